// vro setup show FILE.vxsf [--json]: the descriptive texts of a setup file.
// vro device setup get --port PATH [--baud B] OUT.vxsf: the recorder's setup into a file.
// vro device setup put --port PATH [--baud B] IN.vxsf: a setup file into the recorder.
// vro device setups --port PATH [--baud B] [--json]: the recorder's settings directory.
//
// A file shown without a recorder is described for the layout version the
// file names (layout 4, the one with every block, when it names none); it
// has no connected channels, so inputs read "No sensor detected" the way the
// setup editor shows an empty input. Ctrl-C ends a transfer between two
// exchanges.
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

// Descriptions use CR LF between lines; the terminal wants LF.
std::string Lines(std::string s)
{
    for (std::size_t p; (p = s.find("\r\n")) != std::string::npos;)
        s.erase(p, 1);
    return s;
}

std::string Letter(int i) { return std::string(1, static_cast<char>('A' + i)); }

int Show(TArgs& a)
{
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(1);
    const std::string path = a.Positional(0, "FILE.vxsf");
    const std::optional<int> named = TVro8Setup::FileComVersion(path);
    const int v = named && *named >= 1 && *named <= 5 ? *named : 4;
    TVro8Setup setup(v);
    setup.LoadFromFile(path);

    const int sensors = Vro8SensorCount(v);
    const int events = Vro8TriggerEventCount(v);
    if (asJson) {
        json doc;
        doc["ComVersion"] = v;
        json s = json::array();
        for (int i = 0; i < sensors; ++i) {
            const TVro8SensorSetupWrapper w = setup.Data.Sensors.Sensor(i);
            s.push_back({{"Input", Letter(i)},
                         {"ActiveState", w.ActiveState() ? 1 : 0},
                         {"Mode", w.Mode()},
                         {"Signal", w.Signal()},
                         {"SignalType", setup.SignalTypeName(i)},
                         {"LoRange", w.LoRange()},
                         {"HiRange", w.HiRange()},
                         {"Decimals", w.Decimals()},
                         {"MUnit", w.MUnit()},
                         {"Name", w.Name()},
                         {"Factor", w.Factor()},
                         {"SubChannelMask", w.SubChannelMask()},
                         {"Description", setup.SensorDescription(i)}});
        }
        doc["SensorSetup"] = s;
        json t = json::array();
        for (int e = 0; e < events; ++e) {
            const TVro8TriggerEventWrapper w = setup.Data.Triggers.Event(e);
            t.push_back({{"ActiveState", w.ActiveState() ? 1 : 0},
                         {"Source", w.Source()},
                         {"Description", setup.TriggerDescription(e)}});
        }
        doc["TriggerSetup"] = {{"Trigger", t}, {"Combination", setup.Data.Triggers.Combination()}};
        const TVro8RecordingSetup& r = setup.Data.Recording;
        doc["RecordingSetup"] = {
            {"RecordingType", r.RecordingType()},     {"SampleRate", r.SampleRate()},
            {"SimpleCurvMode", r.SimpleCurvMode()},   {"Duration", r.Duration()},
            {"RecordingName", r.RecordingName()},     {"TriggerPosition", r.TriggerPosition()},
            {"RecordingNumber", r.RecordingNumber()}, {"Description", Lines(setup.RecordingDescription())}};
        doc["BaseSetup"] = {{"FlowUnit", setup.Data.Base.FlowUnit()},
                            {"PreassureUnit", setup.Data.Base.PreassureUnit()},
                            {"TemperatureUnit", setup.Data.Base.TemperatureUnit()},
                            {"Description", setup.BaseDescription()}};
        const TVro8DisplaySetup& d = setup.Data.Display;
        doc["DisplaySetup"] = {{"Bar", d.Bar()},
                               {"Filter", d.Filter()},
                               {"Kind", d.Kind()},
                               {"MinMax", d.MinMax()},
                               {"Description", Lines(setup.DisplayDescription())}};
        if (v > 2) {
            json c = json::array();
            for (int m = 0; m < TVro8CanSetup::kMessages; ++m) {
                const TVro8CanMessageSetupWrapper w = setup.Data.Can.Message(m);
                c.push_back({{"MessageId", w.MessageId()},
                             {"Active", w.Active()},
                             {"Name", w.Name()},
                             {"Unit", w.Unit()},
                             {"Description", setup.CanMessageDescription(m, false)}});
            }
            doc["CanSetup"] = c;
        }
        std::cout << doc.dump(2) << "\n";
        return 0;
    }
    std::cout << "ComVersion " << v << "\n";
    for (int i = 0; i < sensors; ++i)
        std::cout << "Sensor " << Letter(i) << ": " << setup.SensorDescription(i) << "\n";
    for (int e = 0; e < events; ++e)
        std::cout << "Trigger " << e + 1 << ": " << setup.TriggerDescription(e) << "\n";
    std::cout << "Recording:\n" << Lines(setup.RecordingDescription()) << "\n";
    std::cout << "Base: " << setup.BaseDescription() << "\n";
    std::cout << "Display:\n" << Lines(setup.DisplayDescription()) << "\n";
    if (v > 2)
        for (int m = 0; m < TVro8CanSetup::kMessages; ++m)
            std::cout << "CAN " << m + 1 << ": " << setup.CanMessageDescription(m, false) << "\n";
    return 0;
}

int Get(TArgs& a)
{
    TDeviceSession session(a);
    a.CheckAllUsed(1);
    const std::string out = a.Positional(0, "OUT.vxsf");
    session.Connect();
    TVro8Setup setup(session.Device());
    setup.ReadAll();
    setup.SaveToFile(out);
    std::cout << "setup of layout " << session.Device().ComVersion() << " written to " << out << "\n";
    return 0;
}

int Put(TArgs& a)
{
    TDeviceSession session(a);
    a.CheckAllUsed(1);
    const std::string in = a.Positional(0, "IN.vxsf");
    session.Connect();
    TVro8Setup setup(session.Device());
    setup.LoadFromFile(in); // converted to the connected recorder's layout
    const std::optional<int> written = TVro8Setup::FileComVersion(in);
    if (written && *written != session.Device().ComVersion())
        std::cerr << "note: the file was written for layout " << *written << ", converted to layout "
                  << session.Device().ComVersion() << "\n";
    setup.WriteAll();
    std::cout << "setup from " << in << " written to the recorder (layout " << session.Device().ComVersion() << ")\n";
    return 0;
}

int List(TArgs& a)
{
    TDeviceSession session(a);
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(0);
    session.Connect();
    TVro8Directory& dir = session.Device().Directory;
    dir.RefreshSetups();
    if (asJson) {
        json list = json::array();
        for (int i = 0; i < dir.Count(); ++i) {
            const TVro8Entry& e = dir.Entry(i);
            list.push_back({{"Index", i},
                            {"Handle", e.Handle},
                            {"Name", e.Name},
                            {"Number", e.Number},
                            {"Date", e.Date},
                            {"DateText", Vro8StampText(e.Date)}});
        }
        std::cout << list.dump(2) << "\n";
        return 0;
    }
    const std::vector<std::string> lines = dir.ListEntries();
    for (std::size_t i = 0; i < lines.size(); ++i)
        std::cout << i << "\t" << lines[i] << "\n";
    return 0;
}

} // namespace

int VerbSetupShow(TArgs& args) { return Show(args); }
int VerbDeviceSetupGet(TArgs& args) { return Get(args); }
int VerbDeviceSetupPut(TArgs& args) { return Put(args); }
int VerbDeviceSetups(TArgs& args) { return List(args); }

} // namespace vro::cli
