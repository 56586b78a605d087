// vro device ...: talk to a recorder (or `vro simulate`) on a serial port.
//   identify, channels, values [--count N], list [--setups], read-header --index N
// Every verb takes --port PATH, --baud B (default 460800) and --json. The
// port is opened, the recorder identified (cancel sequence, R 40) and the
// command run; transfers that take longer than a second show a progress bar
// on standard error. Ctrl-C cancels a running transfer between two
// exchanges, so the recorder is left at a frame boundary and stays usable.
#include "core/values/dvxdatetime.h"
#include "device/files/vrofilesort.h"
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "core/text/texts.h"
#include "core/util/textwidth.h"
#include "device/live/currentvalues.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

// The session of one verb run, with its --json flag.
struct TSession : TDeviceSession {
    bool json = false;
    explicit TSession(TArgs& args) : TDeviceSession(args), json(args.Flag("--json")) {}
};

// A raw value at its decimals ("-12.50" for -1250 at 2).
std::string RawText(std::int64_t raw, int decimals)
{
    if (decimals <= 0 || decimals > 8)
        return std::to_string(raw);
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const bool neg = raw < 0;
    const std::int64_t a = neg ? -raw : raw;
    std::string frac = std::to_string(a % scale);
    frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
    return (neg ? "-" : "") + std::to_string(a / scale) + "." + frac;
}

json ChannelJson(const TVro8ChannelDescription& c)
{
    return {{"LoRange", c.LoRange},       {"HiRange", c.HiRange},   {"Decimals", c.Decimals}, {"Input", c.Input},
            {"SubChannel", c.SubChannel}, {"DataType", c.DataType}, {"Name", c.Name},         {"Unit", c.Unit}};
}

void PrintJson(const json& j) { std::cout << j.dump(2) << "\n"; }

int Run(TArgs& args, const std::function<void(TSession&)>& body, std::size_t positionals = 0)
{
    TSession s(args);
    args.CheckAllUsed(positionals);
    try {
        s.Connect();
        body(s);
        return 0;
    } catch (const EInterrupted&) {
        std::cerr << "vro device: cancelled\n";
        return 130;
    } catch (const EDvxV24Error& e) {
        if (TDeviceSession::Interrupted()) {
            std::cerr << "vro device: cancelled\n";
            return 130;
        }
        std::cerr << e.what() << (e.Detail().empty() ? "" : ": " + e.Detail()) << "\n";
        return 1;
    } catch (const EVro8Device& e) {
        if (TDeviceSession::Interrupted()) {
            std::cerr << "vro device: cancelled\n";
            return 130;
        }
        std::cerr << e.what() << (e.Finding().empty() ? "" : " (" + e.Finding() + ")") << "\n";
        return 1;
    }
}

int Identify(TArgs& args)
{
    return Run(args, [](TSession& s) {
        const TVro8Ident& id = s.Device().Ident();
        if (s.json) {
            PrintJson(
                {{"IdentText", id.IdentText}, {"ComVersion", id.ComVersion}, {"HardwareVariant", id.HardwareVariant}});
            return;
        }
        std::cout << "IdentText        " << id.IdentText << "\nComVersion       " << id.ComVersion
                  << "\nHardwareVariant  " << id.HardwareVariant << "\n";
    });
}

int Channels(TArgs& args)
{
    return Run(args, [](TSession& s) {
        auto& m = s.Device().Measurement;
        m.ReadChannels();
        if (s.json) {
            json list = json::array();
            for (int i = 0; i < m.ChannelCount(); ++i)
                list.push_back(ChannelJson(m.Channel(i)));
            PrintJson({{"ChannelCount", m.ChannelCount()}, {"MinMaxMode", m.MinMaxMode() ? 1 : 0}, {"Channels", list}});
            return;
        }
        // Padded by the columns the texts take on a terminal, so that units
        // such as "°C" keep the columns after them in line.
        const auto row = [](const std::vector<std::string>& cells) {
            static constexpr int kWidths[] = {3, 32, 8, 5, 3, 8, 12, 12, 4};
            static constexpr bool kRight[] = {true, false, false, true, true, true, true, true, true};
            std::string line;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                line += (k == 0 ? "" : k == 1 ? "  " : " ");
                line += PadToWidth(cells[k], kWidths[k], kRight[k]);
            }
            std::cout << line << "\n";
        };
        row({"#", "Name", "Unit", "Input", "Sub", "Decimals", "LoRange", "HiRange", "Type"});
        for (int i = 0; i < m.ChannelCount(); ++i) {
            const auto& c = m.Channel(i);
            row({std::to_string(i), c.Name, c.Unit, std::to_string(c.Input), std::to_string(c.SubChannel),
                 std::to_string(c.Decimals), RawText(c.LoRange, c.Decimals), RawText(c.HiRange, c.Decimals),
                 std::to_string(c.DataType)});
        }
    });
}

// The current-values page's table: --reset resets the min/max values first.
void ValuesTable(TSession& s, bool reset)
{
    TCurrentValues page(s.Device().Measurement);
    s.Device().Measurement.ReadChannels();
    if (reset)
        page.RequestReset();
    const TCurrentValuesTable& t = page.Update();
    if (s.json) {
        PrintJson({{"ColumnCount", t.ColumnCount},
                   {"ShowMin", t.ShowMin},
                   {"ShowMax", t.ShowMax},
                   {"ResetVisible", t.ResetVisible},
                   {"Rows", t.Rows}});
        return;
    }
    // Columns padded by the display width of their widest text.
    std::vector<int> widths(static_cast<std::size_t>(t.ColumnCount), 0);
    for (const auto& row : t.Rows)
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    for (const auto& row : t.Rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c)
                line.append(2, ' ');
            line += c + 1 < row.size() && c < widths.size() ? PadToWidth(row[c], widths[c]) : row[c];
        }
        std::cout << line << "\n";
    }
}

int Values(TArgs& args)
{
    const auto count = args.IntOption("--count", 1, 1, 1000000);
    const bool table = args.Flag("--table");
    const bool reset = args.Flag("--reset");
    const std::string language = args.Option("--language").value_or("en");
    if (language != "de" && language != "en" && language != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + language + "\"");
    if (reset && !table)
        throw EUsage("--reset goes with --table");
    SelectTextLanguage(language);
    if (table)
        return Run(args, [reset](TSession& s) { ValuesTable(s, reset); });
    return Run(args, [count](TSession& s) {
        auto& m = s.Device().Measurement;
        m.ReadChannels();
        json readings = json::array();
        for (long long n = 0; n < count; ++n) {
            TDeviceSession::CheckInterrupted();
            m.ReadCurrentValues();
            json reading = json::array();
            std::string line;
            for (int i = 0; i < m.ChannelCount(); ++i) {
                const auto& c = m.Channel(i);
                auto v = m.Value(i);
                json j = {{"Name", c.Name}, {"Decimals", c.Decimals}, {"Value", v ? json(*v) : json(nullptr)}};
                if (m.MinMaxMode()) {
                    j["Min"] = m.Min(i) ? json(*m.Min(i)) : json(nullptr);
                    j["Max"] = m.Max(i) ? json(*m.Max(i)) : json(nullptr);
                }
                reading.push_back(j);
                line += (i ? "\t" : "") + (v ? RawText(*v, c.Decimals) : std::string("---"));
            }
            if (s.json)
                readings.push_back(reading);
            else
                std::cout << line << std::endl;
        }
        if (s.json)
            PrintJson(count == 1 ? readings[0] : readings);
    });
}

int List(TArgs& args)
{
    const bool setups = args.Flag("--setups");
    const std::string sort = args.Option("--sort").value_or("");
    const bool descending = args.Flag("--descending");
    if (!sort.empty() && sort != "name" && sort != "date")
        throw EUsage("--sort takes name or date");
    return Run(args, [setups, sort, descending](TSession& s) {
        auto& dir = s.Device().Directory;
        {
            TProgress progress(s.Connector());
            if (setups)
                dir.RefreshSetups();
            else
                dir.RefreshRecordings();
        }
        TDeviceSession::CheckInterrupted();
        // The order of the recorder list of the file pages; each line keeps its index.
        std::vector<TVroListLine> order;
        for (int i = 0; i < dir.Count(); ++i) {
            const auto& e = dir.Entry(i);
            order.push_back({e.Name, e.Number, true, e.Date ? DvxDate2000 + e.Date / 86400.0 : 0.0, i, {}});
        }
        if (!sort.empty())
            SortVroLines(order, sort == "name" ? TVroSortColumn::Name : TVroSortColumn::Date, descending);
        if (s.json) {
            json list = json::array();
            for (const TVroListLine& l : order) {
                const auto& e = dir.Entry(l.Index);
                list.push_back({{"Index", l.Index},
                                {"Handle", e.Handle},
                                {"Name", e.Name},
                                {"Number", e.Number},
                                {"Date", e.Date},
                                {"DateText", Vro8StampText(e.Date)}});
            }
            PrintJson(list);
            return;
        }
        const auto lines = dir.ListEntries();
        for (const TVroListLine& l : order)
            std::cout << l.Index << "\t" << lines[static_cast<std::size_t>(l.Index)] << "\n";
    });
}

int ReadHeader(TArgs& args)
{
    const auto index = static_cast<int>(args.IntOption("--index", -1, 0, 65535));
    if (index < 0)
        throw EUsage("--index N is required");
    return Run(args, [index](TSession& s) {
        s.Device().Directory.RefreshRecordings();
        {
            TProgress progress(s.Connector());
            s.Device().Recording.ReadHeader(index);
        }
        TDeviceSession::CheckInterrupted();
        const TVro8Header& h = s.Device().Recording.Header();
        json channels = json::array();
        for (const auto& c : h.Channels)
            channels.push_back(ChannelJson(c));
        json triggers = json::array();
        const int events = s.Device().ComVersion() == 5 ? 2 : 4;
        for (int t = 0; t < events; ++t) {
            const auto& e = h.Triggers[static_cast<std::size_t>(t)];
            triggers.push_back({{"StartDate", e.StartDate},
                                {"StartTime", e.StartTime},
                                {"ActiveState", e.ActiveState},
                                {"Source", e.Source},
                                {"Input", e.Input},
                                {"Edge", e.Edge},
                                {"Sensor", e.Sensor},
                                {"SubChannel", e.SubChannel},
                                {"Value", e.Value},
                                {"Direction", e.Direction},
                                {"LoLimet", e.LoLimet},
                                {"HiLimit", e.HiLimit},
                                {"Count", e.Count},
                                {"Distance", e.Distance},
                                {"StartMode", e.StartMode}});
        }
        json j = {{"Name", h.Name},
                  {"Number", h.Number},
                  {"StartTime", h.StartTime},
                  {"StartTimeText", Vro8StampText(h.StartTime)},
                  {"StopTime", h.StopTime},
                  {"StopTimeText", Vro8StampText(h.StopTime)},
                  {"DataSize", h.DataSize},
                  {"RecordCount", h.RecordCount},
                  {"Type", h.Type},
                  {"SimpleCurveMode", h.SimpleCurveMode},
                  {"SampleRate", h.SampleRate},
                  {"ChannelCount", h.ChannelCount},
                  {"ValueCount", h.ValueCount},
                  {"RecordSize", h.RecordSize},
                  {"Channels", channels},
                  {"TriggerEvents", triggers},
                  {"TriggerCombination", h.TriggerCombination},
                  {"TriggerTime", h.TriggerTime},
                  {"TriggerState", h.TriggerState},
                  {"PreTriggerCount", h.PreTriggerCount},
                  {"Comment", h.Comment}};
        if (s.json) {
            PrintJson(j);
            return;
        }
        for (auto it = j.begin(); it != j.end(); ++it) {
            if (it.key() == "Channels" || it.key() == "TriggerEvents")
                continue;
            std::printf("%-18s %s\n", it.key().c_str(),
                        it->is_string() ? it->get<std::string>().c_str() : it->dump().c_str());
        }
        for (std::size_t c = 0; c < h.Channels.size(); ++c) {
            const auto& ch = h.Channels[c];
            std::printf("Channel %-10zu %s [%s] input %d, %s .. %s, %s\n", c, ch.Name.c_str(), ch.Unit.c_str(),
                        ch.Input, RawText(ch.LoRange, ch.Decimals).c_str(), RawText(ch.HiRange, ch.Decimals).c_str(),
                        ch.Is32Bit() ? "32-bit" : "16-bit");
        }
    });
}


} // namespace

int VerbDeviceIdentify(TArgs& args) { return Identify(args); }
int VerbDeviceChannels(TArgs& args) { return Channels(args); }
int VerbDeviceValues(TArgs& args) { return Values(args); }
int VerbDeviceList(TArgs& args) { return List(args); }
int VerbDeviceReadHeader(TArgs& args) { return ReadHeader(args); }

} // namespace vro::cli
