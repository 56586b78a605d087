// vro device edit base|display|recording|sensor|trigger|can: the setup
// detail editors without their windows. Without an action the editor's view
// is printed (the list view, or with --channel, --event or --message the
// settings or event view of that item). Actions:
//   --active 0|1     the list view's box of the selection (a channel, its
//                    sub-channel --sub J from 1, an event, a message)
//   --combination N  the trigger main view's combination, then its OK
//   --set NAME=TEXT  types a field or picks a list entry by index (lists
//                    first, Mode before Decimals, then texts; a trigger's
//                    Sensor and SubChannel go to the chosen source's lists,
//                    SubChannel counting from 1), then OK of that view
// After an action the view it returns to is printed. A refused field prints
// its message on standard error (with --json {"Ok": false, "Field", "Message"})
// and exits 1 with nothing written.
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"
#include "device/setup/vro8setup.h"
#include "device/setupedit/vro8blockeditors.h"
#include "device/setupedit/vro8caneditor.h"
#include "device/setupedit/vro8sensoreditor.h"
#include "device/setupedit/vro8triggereditor.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <iostream>
#include <map>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

// The --set pairs in the order given.
std::vector<std::pair<std::string, std::string>> SetPairs(TArgs& args)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& s : args.Options("--set")) {
        const std::size_t eq = s.find('=');
        if (eq == std::string::npos || eq == 0)
            throw EUsage("--set takes NAME=TEXT, not \"" + s + "\"");
        out.emplace_back(s.substr(0, eq), s.substr(eq + 1));
    }
    return out;
}

int IndexOf(const std::string& name, const std::string& value)
{
    int n = 0;
    const auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || p != value.data() + value.size())
        throw EUsage(name + " takes a list index, not \"" + value + "\"");
    return n;
}

void Pick(TVro8Choice& c, const std::string& name, const std::string& value, int offset = 0)
{
    const int i = IndexOf(name, value) - offset;
    if (!c.Select(i))
        throw EUsage(name + " has no entry " + value + " (0.." + std::to_string(c.Entries.size() - 1 + offset) + ")");
}

// Fields of a view: lists and texts by the block's field names, in the
// order --set applies them.
struct TFields {
    std::vector<std::pair<std::string, TVro8Choice*>> lists;
    std::vector<std::pair<std::string, std::string*>> texts;
    std::map<std::string, int> offsets; // lists whose values count from 1

    void Apply(const std::vector<std::pair<std::string, std::string>>& pairs,
               const std::function<void(const std::string&)>& changed = {})
    {
        for (const auto& [name, c] : lists)
            for (const auto& [k, v] : pairs)
                if (k == name) {
                    Pick(*c, k, v, offsets.count(k) ? offsets[k] : 0);
                    if (changed)
                        changed(k);
                }
        for (const auto& [name, t] : texts)
            for (const auto& [k, v] : pairs)
                if (k == name)
                    *t = v;
        for (const auto& [k, v] : pairs) {
            bool known = false;
            for (const auto& l : lists)
                known = known || l.first == k;
            for (const auto& t : texts)
                known = known || t.first == k;
            if (!known)
                throw EUsage("this view has no field " + k);
        }
    }
    json Json() const
    {
        json j;
        for (const auto& [name, c] : lists)
            j[name] = c->Value() + (offsets.count(name) ? offsets.at(name) : 0);
        for (const auto& [name, t] : texts)
            j[name] = *t;
        return j;
    }
};

void PrintView(const json& j, bool asJson)
{
    if (asJson) {
        std::cout << j.dump(2) << "\n";
        return;
    }
    for (const auto& [k, v] : j.items()) {
        if (v.is_string())
            std::cout << k << ": " << v.get<std::string>() << "\n";
        else if (v.is_array() && !v.empty() && v.front().is_object()) {
            std::cout << k << ":\n";
            for (const auto& e : v) {
                std::cout << " ";
                for (const auto& [k2, v2] : e.items())
                    std::cout << " " << k2 << "=" << (v2.is_string() ? v2.get<std::string>() : v2.dump());
                std::cout << "\n";
            }
        } else
            std::cout << k << ": " << v.dump() << "\n";
    }
}

struct TEditOptions {
    std::optional<std::string> channel, active, combination;
    long long sub = 0, event = 0, message = 0;
};

struct ERefused {
    TVro8EditFailure failure;
};

void Refuse(const TVro8EditResult& r)
{
    if (r)
        throw ERefused{*r};
}

json ListJson(const TVro8Choice& c, const std::string& name)
{
    (void)name;
    return c.Entries.empty() ? json() : json(c.Entries[static_cast<std::size_t>(c.Selected)]);
}

// ---- the editors ----

json BaseView(TVro8BaseEditor& e)
{
    return {{"PreassureUnit", e.PreassureUnit.Value()},
            {"TemperatureUnit", e.TemperatureUnit.Value()},
            {"FlowUnit", e.FlowUnit.Value()},
            {"Summary", ListJson(e.PreassureUnit, "").get<std::string>() + ", " +
                            ListJson(e.TemperatureUnit, "").get<std::string>() + ", " +
                            ListJson(e.FlowUnit, "").get<std::string>()}};
}

json Base(TVro8Setup& setup, const TEditOptions&, const std::vector<std::pair<std::string, std::string>>& set)
{
    TVro8BaseEditor e(setup);
    e.Open();
    if (!set.empty()) {
        TFields f{
            {{"PreassureUnit", &e.PreassureUnit}, {"TemperatureUnit", &e.TemperatureUnit}, {"FlowUnit", &e.FlowUnit}},
            {},
            {}};
        f.Apply(set);
        e.Ok();
        e.Open();
    }
    return BaseView(e);
}

json Display(TVro8Setup& setup, const TEditOptions&, const std::vector<std::pair<std::string, std::string>>& set)
{
    TVro8DisplayEditor e(setup);
    e.Open();
    TFields f{{{"Kind", &e.Kind}, {"MinMax", &e.MinMax}, {"Bar", &e.Bar}, {"Filter", &e.Filter}}, {}, {}};
    if (!set.empty()) {
        f.Apply(set);
        e.Ok();
        e.Open();
    }
    json j = f.Json();
    j["Summary"] = setup.DisplayDescription();
    return j;
}

json Recording(TVro8Setup& setup, const TEditOptions&, const std::vector<std::pair<std::string, std::string>>& set)
{
    TVro8RecordingEditor e(setup);
    e.Open();
    TFields f{{{"RecordingType", &e.RecordingType},
               {"SampleRate", &e.SampleRate},
               {"Duration", &e.Duration},
               {"SimpleCurvMode", &e.SimpleCurvMode},
               {"TriggerPosition", &e.TriggerPosition}},
              {{"RecordingName", &e.RecordingName}},
              {}};
    if (!set.empty()) {
        f.Apply(set);
        Refuse(e.Ok());
        e.Open();
    }
    json j = f.Json();
    j["Rows"] = e.Rows();
    j["Summary"] = setup.RecordingDescription();
    return j;
}

int LetterIndex(const std::string& s, int count)
{
    if (s.size() != 1)
        throw EUsage("--channel takes a letter, not \"" + s + "\"");
    const char c = static_cast<char>(s[0] >= 'a' && s[0] <= 'z' ? s[0] - 'a' + 'A' : s[0]);
    const int i = c - 'A';
    if (i < 0 || i >= count)
        throw EUsage("--channel " + s + " is not a channel of this recorder (A.." +
                     std::string(1, static_cast<char>('A' + count - 1)) + ")");
    return i;
}

json SensorList(TVro8SensorEditor& e)
{
    json list = json::array();
    for (std::size_t i = 0; i < e.Rows.size(); ++i) {
        const auto& r = e.Rows[i];
        json subs = json::array();
        for (std::size_t j = 0; j < r.Subs.size(); ++j)
            subs.push_back({{"SubChannel", j + 1},
                            {"Active", r.Subs[j].Checked ? 1 : 0},
                            {"Enabled", r.Subs[j].Enabled ? 1 : 0},
                            {"Text", r.Subs[j].Label.substr(6)}});
        json row = {{"Input", Vro8ChannelLetter(static_cast<int>(i))},
                    {"ActiveState", r.Checked ? 1 : 0},
                    {"Summary", r.Summary},
                    {"Clickable", r.Clickable ? 1 : 0}};
        if (!subs.empty())
            row["SubChannels"] = subs;
        list.push_back(row);
    }
    return {{"Channels", list}};
}

json Sensor(TVro8Setup& setup, const TEditOptions& o, const std::vector<std::pair<std::string, std::string>>& set)
{
    const auto& channel = o.channel;
    const auto sub = o.sub;
    const auto& active = o.active;
    TVro8SensorEditor e(setup);
    e.Open(true);
    if (!channel) {
        if (active || !set.empty() || sub)
            throw EUsage("--active, --sub and --set need --channel");
        return SensorList(e);
    }
    const int record = LetterIndex(*channel, Vro8SensorCount(setup.ComVersion()));
    if (active) {
        if (!set.empty())
            throw EUsage("--active and --set are separate actions");
        const bool on = IndexOf("--active", *active) != 0;
        if (sub) {
            if (sub > static_cast<long long>(e.Rows[static_cast<std::size_t>(record)].Subs.size()))
                throw EUsage("input " + *channel + " has " +
                             std::to_string(e.Rows[static_cast<std::size_t>(record)].Subs.size()) + " sub-channels");
            if (!e.Rows[static_cast<std::size_t>(record)].Subs[static_cast<std::size_t>(sub - 1)].Enabled)
                throw EUsage("the sub-channels of a CAN-Bus input cannot be switched");
            e.SetSubActive(record, static_cast<int>(sub - 1), on);
        } else {
            e.SetActive(record, on);
        }
        e.Refresh();
        return SensorList(e);
    }
    if (!e.OpenSettings(record))
        throw std::runtime_error("channel " + *channel + " is a CAN-Bus input; its settings cannot be opened");
    TFields f{{{"Mode", &e.Mode}, {"Decimals", &e.Decimals}, {"Signal", &e.Signal}},
              {{"Name", &e.Name},
               {"LoRange", &e.LoRange},
               {"HiRange", &e.HiRange},
               {"MUnit", &e.Unit},
               {"Volume", &e.Volume},
               {"Pressure", &e.Pressure},
               {"Factor", &e.Factor}},
              {}};
    if (!set.empty()) {
        f.Apply(set, [&e](const std::string& name) {
            if (name == "Mode")
                e.ModeChanged();
            else if (name == "Decimals")
                e.DecimalsChanged();
        });
        Refuse(e.SettingsOk());
        return SensorList(e);
    }
    json j = f.Json();
    j["Heading"] = e.Heading;
    j["Rows"] = e.SettingsRows();
    j["Units"] = e.UnitList;
    return j;
}

json TriggerMain(TVro8TriggerEditor& e)
{
    json events = json::array();
    for (int i = 0; i < e.EventCount(); ++i)
        events.push_back({{"Event", i + 1},
                          {"ActiveState", e.Active[static_cast<std::size_t>(i)] ? 1 : 0},
                          {"Summary", e.Summaries[static_cast<std::size_t>(i)]}});
    json j = {{"Events", events}, {"Combination", e.Combination.Value()}};
    const TVro8TriggerDrawing d = Vro8TriggerDrawing(e.Combination.Value());
    json boxes = json::array(), lines = json::array();
    for (const auto& b : d.Boxes)
        boxes.push_back({b.X, b.Y, b.W, b.H});
    for (const auto& l : d.Lines)
        lines.push_back({l.X1, l.Y1, l.X2, l.Y2});
    j["Drawing"] = {{"Boxes", boxes}, {"Lines", lines}};
    return j;
}

json Trigger(TVro8Setup& setup, const TEditOptions& o, const std::vector<std::pair<std::string, std::string>>& set)
{
    const auto event = o.event;
    const auto& active = o.active;
    const auto& combination = o.combination;
    TVro8TriggerEditor e(setup);
    e.Open(true);
    if (event > e.EventCount())
        throw EUsage("this recorder has " + std::to_string(e.EventCount()) + " events");
    if (combination) {
        if (event || active || !set.empty())
            throw EUsage("--combination is an action of its own");
        Pick(e.Combination, "--combination", *combination);
        e.Ok();
        e.Open(false);
        return TriggerMain(e);
    }
    if (!event) {
        if (active || !set.empty())
            throw EUsage("--active and --set need --event");
        return TriggerMain(e);
    }
    const int ev = static_cast<int>(event - 1);
    if (active) {
        e.SetActive(ev, IndexOf("--active", *active) != 0);
        return TriggerMain(e);
    }
    e.OpenEvent(ev);
    // Sensor and SubChannel go to the chosen source's lists.
    std::vector<std::pair<std::string, std::string>> pairs = set;
    for (auto& [k, v] : pairs)
        if (k == "Source")
            Pick(e.Source, k, v);
    const bool window = e.Source.Value() == 3;
    TFields f{{{"Input", &e.Input},
               {"Edge", &e.Edge},
               {"Sensor", window ? &e.WindowSensor : &e.ValueSensor},
               {"SubChannel", window ? &e.WindowSub : &e.ValueSub},
               {"Direction", &e.Direction},
               {"Distance", &e.Distance},
               {"StartMode", &e.StartMode}},
              {{"Value", &e.Value},
               {"LoLimet", &e.LoLimit},
               {"HiLimit", &e.HiLimit},
               {"Count", &e.Count},
               {"StartDate", &e.StartDate},
               {"StartTime", &e.StartTime}},
              {{"SubChannel", 1}}};
    if (!set.empty()) {
        std::vector<std::pair<std::string, std::string>> rest;
        for (const auto& p : pairs)
            if (p.first != "Source")
                rest.push_back(p);
        f.Apply(rest, [&e, window](const std::string& name) {
            if (name == "Sensor" || name == "SubChannel")
                e.ChannelChanged(window);
        });
        const TVro8EditResult r = e.EventOk();
        if (r && r->Message.empty())
            throw std::runtime_error(text(684));
        Refuse(r);
        return TriggerMain(e);
    }
    json j = {{"Heading", e.Heading}, {"Source", e.Source.Value()}};
    j.update(f.Json());
    j["Rows"] = e.EventRows();
    return j;
}

json CanList(TVro8CanEditor& e)
{
    json list = json::array();
    for (std::size_t i = 0; i < e.Rows.size(); ++i)
        list.push_back({{"Message", i + 1}, {"Active", e.Rows[i].Checked ? 1 : 0}, {"Summary", e.Rows[i].Summary}});
    return {{"Messages", list}};
}

json Can(TVro8Setup& setup, const TEditOptions& o, const std::vector<std::pair<std::string, std::string>>& set)
{
    if (setup.ComVersion() != 4)
        throw std::runtime_error("this recorder (layout " + std::to_string(setup.ComVersion()) +
                                 ") has no CAN block; it exists on layout 4");
    const auto message = o.message;
    const auto& active = o.active;
    TVro8CanEditor e(setup);
    e.Open(true);
    if (!message) {
        if (active || !set.empty())
            throw EUsage("--active and --set need --message");
        return CanList(e);
    }
    const int m = static_cast<int>(message - 1);
    if (active) {
        e.SetActive(m, IndexOf("--active", *active) != 0);
        return CanList(e);
    }
    e.OpenSettings(m);
    TFields f{{{"Decimals", &e.Decimals},
               {"FrameFormat", &e.FrameFormat},
               {"DataFormat", &e.DataFormat},
               {"ByteOrder", &e.ByteOrder}},
              {{"Name", &e.Name},
               {"LoRange", &e.LoRange},
               {"HiRange", &e.HiRange},
               {"Unit", &e.Unit},
               {"MessageId", &e.MessageId},
               {"DataOffset", &e.DataOffset},
               {"LoRawRange", &e.LowData},
               {"HiRawRange", &e.HighData}},
              {}};
    if (!set.empty()) {
        f.Apply(set);
        Refuse(e.SettingsOk());
        return CanList(e);
    }
    json j = {{"Heading", e.Heading}};
    j.update(f.Json());
    return j;
}

int RunEdit(TArgs& args)
{
    const bool asJson = args.Flag("--json");
    const std::string code = args.Option("--language").value_or("en");
    if (code != "de" && code != "en" && code != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + code + "\"");
    SelectTextLanguage(code);
    SelectLibraryLanguage(code);
    SetDvxFormatSettings(TDvxFormatSettings::Iso());
    static const std::map<std::string, json (*)(TVro8Setup&, const TEditOptions&,
                                                const std::vector<std::pair<std::string, std::string>>&)>
        editors{{"base", Base},     {"display", Display}, {"recording", Recording},
                {"sensor", Sensor}, {"trigger", Trigger}, {"can", Can}};
    TDeviceSession session(args);
    const auto set = SetPairs(args);
    TEditOptions o;
    o.channel = args.Option("--channel");
    o.sub = args.IntOption("--sub", 0, 1, 32);
    o.active = args.Option("--active");
    o.combination = args.Option("--combination");
    o.event = args.IntOption("--event", 0, 1, 4);
    o.message = args.IntOption("--message", 0, 1, 32);
    args.CheckAllUsed(1);
    const auto pos = args.Positionals();
    if (pos.empty() || !editors.count(pos.front()))
        throw EUsage("which editor: base, display, recording, sensor, trigger or can");
    const auto editor = editors.at(pos.front());
    try {
        session.Connect();
        TVro8Setup setup(session.Device());
        json view = editor(setup, o, set);
        PrintView(view, asJson);
        return 0;
    } catch (const ERefused& r) {
        if (asJson)
            std::cout << json{{"Ok", false}, {"Field", r.failure.Field}, {"Message", r.failure.Message}}.dump(2)
                      << "\n";
        std::cerr << r.failure.Field << ": " << r.failure.Message << "\n";
        return 1;
    } catch (const EUsage&) {
        throw;
    } catch (const EInterrupted&) {
        std::cerr << "vro device edit: cancelled\n";
        return 130;
    } catch (const std::exception& e) {
        if (TDeviceSession::Interrupted()) {
            std::cerr << "vro device edit: cancelled\n";
            return 130;
        }
        std::cerr << e.what() << "\n";
        return 1;
    }
}

} // namespace

int VerbDeviceEdit(TArgs& args) { return RunEdit(args); }

} // namespace vro::cli
