// vro device record check|start|state|stop|download: the start-recording
// page without its window.
//   check   the page's checks and the name check on what the recorder holds;
//           writes nothing
//   start   Start steps 1-7; with --wait OUT.vxrf the remote recording is
//           supervised and read out into OUT.vxrf; with --automatic --series
//           BASE.vxrf --runs N a series BASE-001.vxrf ... is made. "Save to
//           PC" runs the checks, then `vro device online` with the choices.
//   state   the remote recording's state (ENQ probe)
//   stop    R 210: stops a remote recording
//   download OUT.vxrf   the recording the recorder has just made
// Ctrl-C during the supervision stops the recorder (R 210) and exits 130.
#include "cli/devicesession.h"
#include "core/util/text.h"
#include "cli/verb.h"

#include "core/manager/recordingmanager.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "core/values/vro8utils.h"
#include "device/live/onlinerun.h"
#include "device/manager/vro8manager.h"
#include "device/setup/vro8setup.h"
#include "device/setupedit/vro8startrecording.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

void SelectLanguage(TArgs& args)
{
    const std::string code = args.Option("--language").value_or("en");
    if (code != "de" && code != "en" && code != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + code + "\"");
    SelectTextLanguage(code);
    SelectLibraryLanguage(code);
}

// The page's choices from the options; what the page would not offer is a
// usage fault.
TVro8StartChoices ChoicesFromArgs(TArgs& args)
{
    TVro8StartChoices c;
    const std::string save = args.Option("--save").value_or("pc");
    if (save != "pc" && save != "vro")
        throw EUsage("--save must be pc or vro, not \"" + save + "\"");
    c.SaveToVro = save == "vro";
    c.RecordingType = static_cast<int>(args.IntOption("--type", 0, 0, 3));
    if (c.RecordingType == 3 && !c.SaveToVro)
        throw EUsage("type 3 (start-stop recording) is offered with --save vro only");
    if (const auto rate = args.Option("--rate")) {
        const int row = TVro8StartRates::ParseRate(*rate, !c.SaveToVro);
        if (row < 0)
            throw EUsage("--rate \"" + *rate + "\" is not offered with --save " + save);
        (c.SaveToVro ? c.VroRateIndex : c.PcRateIndex) = TVro8StartRates::IndexOfRow(!c.SaveToVro, row);
    }
    if (const auto time = args.Option("--time")) {
        c.TimeIndex = TVro8RecordingTimes::ParseTime(*time);
        if (c.TimeIndex < 0)
            throw EUsage("--time \"" + *time +
                         "\" is not one of 1s 2s 5s 10s 30s 60s 2min 5min 10min 30min 60min "
                         "2h 4h 8h 12h 24h");
    }
    if (const auto mode = args.Option("--mode")) {
        if (*mode != "end" && *mode != "continuous")
            throw EUsage("--mode must be end or continuous");
        c.RecordingOption = *mode == "continuous" ? 1 : 0;
    }
    c.PreTrigger = static_cast<int>(args.IntOption("--trigger-position", 0, 0, 10));
    c.Automatic = args.Flag("--automatic");
    c.Name = args.Option("--name").value_or("");
    c.Comment = args.Option("--comment").value_or("");
    return c;
}

json CheckJson(const TVro8StartCheck& r, int text)
{
    return {{"Ok", r.Ok() && text == 0},
            {"Text", r.Ok() ? text : r.Text},
            {"Trigger", r.Trigger},
            {"Detail", r.Detail},
            {"Message", r.Ok() ? (text ? vro::text(text) : std::string{}) : r.Message},
            {"Channels", r.Channels},
            {"Interval", r.Interval},
            {"Samples", r.Samples}};
}

int Failed(const std::exception& e)
{
    if (TDeviceSession::Interrupted()) {
        std::cerr << "vro device record: cancelled\n";
        return 130;
    }
    std::cerr << text(684) << "\n(" << e.what() << ")\n";
    return 1;
}

// The page on a session's recorder, with the recorder's services; the
// recording read out goes to `out` (or the next file of the series).
struct TPageRun {
    TDeviceSession session;
    TVro8Setup setup;
    TVro8StartChoices choices;
    std::string out, base, comment;
    int number = 1;
    int runs = 1;
    std::unique_ptr<TVro8StartRecording> page;

    TPageRun(TArgs& args, TVro8StartChoices c) : session(args), setup(session.Device()), choices(std::move(c)) {}
    TPageRun(const std::string& port, std::int32_t baud, TVro8StartChoices c)
        : session(port, baud), setup(session.Device()), choices(std::move(c))
    {}

    void Open()
    {
        session.Connect();
        TVro8Device& dev = session.Device();
        TVro8StartServices s;
        s.StartRemote = [&dev](bool repeat) { return dev.RemoteRecording.StartRemoteRecording(repeat) == 1; };
        s.GetRecorderState = [&dev] { return dev.RemoteRecording.GetRecorderState(); };
        s.StopRemote = [&dev] { dev.RemoteRecording.StopRemoteRecording(); };
        s.ReadChannels = [&dev] {
            dev.Measurement.ReadChannels();
            std::vector<TVro8ChannelDescription> list;
            for (int i = 0; i < dev.Measurement.ChannelCount(); ++i)
                list.push_back(dev.Measurement.Channel(i));
            return list;
        };
        s.BaudRate = [&dev] { return dev.Connector().GetBaudrate(); };
        s.NowMs = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
        s.Now = [] { return DvxNow(); };
        s.AskSeriesName = [this]() -> std::optional<std::string> { return base; };
        s.PrepareSeries = [this](const std::string&, int n, const std::string& c) {
            number = n;
            comment = c;
        };
        s.Download = [this, &dev](bool saveToFile) {
            const std::string name = saveToFile ? TRecordingManager::SeriesName(base, number++) : out;
            TProgress progress(dev.Connector());
            TTakeReport report;
            auto r =
                Vro8ReadRemoteRecording(dev, 20000, name.empty() ? TTakeNaming{} : TTakeNaming::InFile(name), report);
            if (!report.Message.empty())
                std::cerr << report.Message << "\n";
            r->Comment = comment;
            if (name.empty())
                return std::string{};
            try {
                r->SaveToFile();
            } catch (const std::exception& e) {
                throw EVro8SaveFailed(name, e.what());
            }
            std::cerr << name << ": " << r->ChannelCount << " channels, " << r->RecordCount << " samples\n";
            if (saveToFile && number > runs)
                page->EndAutomatic();
            return name;
        };
        page = std::make_unique<TVro8StartRecording>(setup, std::move(s), choices);
        page->Open();
    }
};

int RunCheck(TArgs& args)
{
    SelectLanguage(args);
    const bool asJson = args.Flag("--json");
    TVro8StartChoices c = ChoicesFromArgs(args);
    TPageRun run(args, c);
    args.CheckAllUsed(0);
    try {
        run.Open();
    } catch (const std::exception& e) {
        return Failed(e);
    }
    const TVro8StartCheck r = run.page->Check();
    const int nameText = r.Ok() && run.choices.SaveToVro && DvxTrim(run.choices.Name).empty() ? 1172 : 0;
    const json j = CheckJson(r, nameText);
    if (asJson)
        std::cout << j.dump(2) << "\n";
    if (!j["Ok"].get<bool>()) {
        std::cerr << j["Message"].get<std::string>() << "\n";
        return 1;
    }
    if (!asJson)
        std::cout << "checks passed: " << r.Channels << " channels, interval " << r.Interval << " x 0.1 ms, "
                  << r.Samples << " samples per channel\n";
    return 0;
}

int RunStart(TArgs& args)
{
    SelectLanguage(args);
    const bool asJson = args.Flag("--json");
    TVro8StartChoices c = ChoicesFromArgs(args);
    const auto wait = args.Option("--wait");
    const auto series = args.Option("--series");
    const auto runs = args.IntOption("--runs", 1, 1, 999);
    const auto port = args.Option("--port");
    const auto baud = static_cast<std::int32_t>(args.IntOption("--baud", 460800, 9600, 460800));
    args.CheckAllUsed(0);
    if (!port)
        throw EUsage("--port PATH is required");
    if (c.AutomaticInEffect() && c.SaveToVro && !series)
        throw EUsage("--automatic takes --series BASE.vxrf");
    if (series && !c.AutomaticInEffect())
        throw EUsage("--series needs --automatic with a type that offers it (1, 3, or 2 with --save vro)");
    for (const auto* p : {&wait, &series})
        if (*p && !HasExtension(**p, ".vxrf"))
            throw EUsage("unsupported output format \"" + **p + "\" (only .vxrf)");
    if (!c.SaveToVro && !wait)
        throw EUsage("--save pc takes --wait OUT.vxrf");

    std::vector<std::string> online{"--port", *port, "--baud", std::to_string(baud)};
    {
        TPageRun run(*port, baud, c);
        run.out = wait.value_or("");
        run.base = series.value_or("");
        run.runs = static_cast<int>(runs);
        json report = json::array();
        try {
            run.Open();
            if (!c.SaveToVro) {
                // The checks here; the run itself is the online measurement's.
                const TVro8StartCheck r = run.page->Check();
                if (!r.Ok()) {
                    if (asJson)
                        std::cout << CheckJson(r, 0).dump(2) << "\n";
                    std::cerr << r.Message << "\n";
                    return 1;
                }
            } else {
                const auto notice = run.page->Start();
                if (notice) {
                    if (asJson)
                        std::cout << json{{"Ok", false}, {"Message", notice->Message}}.dump(2) << "\n";
                    std::cerr << (notice->DeviceError ? text(684) + "\n(" + notice->Message + ")" : notice->Message)
                              << "\n";
                    return 1;
                }
                std::cerr << "remote recording started\n";
                if (!wait && !series) {
                    if (asJson)
                        std::cout << json{{"Ok", true}, {"Repeat", 0}}.dump(2) << "\n";
                    return 0;
                }
                std::string lastLine;
                while (run.page->State() != TVro8StartRecording::EState::Editing) {
                    if (TDeviceSession::Interrupted()) {
                        run.page->Stop();
                        std::cerr << "\nvro device record: cancelled, the recorder was stopped\n";
                        return 130;
                    }
                    const std::size_t before = run.page->Files().size();
                    if (const auto n = run.page->PeriodicUpdate()) {
                        std::cerr << (n->DeviceError ? text(684) + "\n(" + n->Message + ")" : n->Message) << "\n";
                        return 1;
                    }
                    for (std::size_t i = before; i < run.page->Files().size(); ++i)
                        report.push_back({{"Repeat", i == 0 ? 0 : 1}, {"File", run.page->Files()[i]}});
                    if (run.page->StateLine() != lastLine) {
                        lastLine = run.page->StateLine();
                        if (!lastLine.empty())
                            std::cerr << "\r" << lastLine.substr(0, lastLine.find('\n')) << "        " << std::flush;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
                std::cerr << "\n";
                if (asJson)
                    std::cout << report.dump(2) << "\n";
                else
                    for (const auto& r : report)
                        std::cout << r["File"].get<std::string>() << "\n";
                return 0;
            }
        } catch (const EInterrupted&) {
            std::cerr << "vro device record: cancelled\n";
            return 130;
        } catch (const std::exception& e) {
            return Failed(e);
        }
        // "Save to PC": the online measurement with what the page hands the
        // real-time frame, once the page's session has let the port go. The
        // recording time also ends a continuous run here, where no End
        // button is.
        const TOnlineChoices oc = OnlineChoicesFromStart(run.choices);
        const std::int64_t seconds = std::max<std::int64_t>(1, TVro8RecordingTimes::Time(oc.DurationIndex) / 10000);
        online.insert(online.end(),
                      {"--type", std::to_string(oc.RecordingType), "--rate", std::to_string(oc.SampleRate),
                       "--duration", std::to_string(oc.DurationIndex), "--seconds", std::to_string(seconds),
                       "--trigger-position", std::to_string(oc.TriggerPosition), "--language",
                       std::string(LanguageCode(TextLanguage()))});
        if (oc.RecordingType == 0)
            online.insert(online.end(), {"--mode", oc.SimpleCurvMode ? "continuous" : "end"});
        if (!oc.Comment.empty())
            online.insert(online.end(), {"--comment", oc.Comment});
        if (asJson)
            online.push_back("--json");
    }
    online.push_back(*wait);
    TArgs onlineArgs(online);
    return VerbDeviceOnline(onlineArgs);
}

int RunState(TArgs& args)
{
    const bool asJson = args.Flag("--json");
    TDeviceSession s(args);
    args.CheckAllUsed(0);
    try {
        s.Connect();
        const std::int32_t st = s.Device().RemoteRecording.GetRecorderState();
        static const char* const meanings[] = {"running", "finished", "no answer", "idle"};
        const std::string meaning = st >= 0 && st <= 3 ? meanings[st] : "unknown";
        if (asJson)
            std::cout << json{{"State", st}, {"Meaning", meaning}}.dump(2) << "\n";
        else
            std::cout << st << " " << meaning << "\n";
        return 0;
    } catch (const std::exception& e) {
        return Failed(e);
    }
}

int RunStop(TArgs& args)
{
    TDeviceSession s(args);
    args.CheckAllUsed(0);
    try {
        s.Connect();
        s.Device().RemoteRecording.StopRemoteRecording();
        std::cerr << "remote recording stopped\n";
        return 0;
    } catch (const std::exception& e) {
        return Failed(e);
    }
}

int RunDownload(TArgs& args)
{
    TDeviceSession s(args);
    args.CheckAllUsed(1);
    const std::string out = args.Positional(0, "OUT.vxrf");
    if (!HasExtension(out, ".vxrf"))
        throw EUsage("unsupported output format \"" + out + "\" (only .vxrf)");
    try {
        s.Connect();
        TProgress progress(s.Connector());
        TTakeReport report;
        auto r = Vro8ReadRemoteRecording(s.Device(), 20000, TTakeNaming::InFile(out), report);
        if (!report.Message.empty())
            std::cerr << report.Message << "\n";
        r->SaveToFile();
        std::cerr << out << ": " << r->ChannelCount << " channels, " << r->RecordCount << " samples\n";
        return 0;
    } catch (const std::exception& e) {
        return Failed(e);
    }
}


} // namespace

int VerbDeviceRecordCheck(TArgs& args) { return RunCheck(args); }
int VerbDeviceRecordStart(TArgs& args) { return RunStart(args); }
int VerbDeviceRecordState(TArgs& args) { return RunState(args); }
int VerbDeviceRecordStop(TArgs& args) { return RunStop(args); }
int VerbDeviceRecordDownload(TArgs& args) { return RunDownload(args); }

} // namespace vro::cli
