// vro device online: a real-time measurement on the PC through the same run
// object the real-time frame uses (TOnlineRun: configuration from the start
// page's choices, the worker with its poll loop, End, hand triggers), saved
// as a recording file when it collected samples.
//
// The run ends when --seconds have passed (the user's End), on Ctrl-C (End
// too), or by itself: a full ring in "end" mode, the post-trigger share of
// type 1, a full event log, or a stream that stops (a broken run: what came
// is written, text 1250, exit 1).
#include "cli/devicesession.h"
#include "core/util/text.h"
#include "cli/verb.h"

#include "core/construct/construct.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "device/live/onlinedraw.h"
#include "device/live/onlinerun.h"
#include "device/manager/takedownload.h"
#include "device/manager/vro8manager.h"
#include "device/vro8device.h"
#include "device/vro8online.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

// --y-range CH:LO:HI, the limits as the dialog's fields take them.
struct TYRange {
    int Channel = 0;
    std::string Lo, Hi;
};

TYRange ParseYRange(const std::string& text)
{
    const auto a = text.find(':');
    const auto b = a == std::string::npos ? std::string::npos : text.find(':', a + 1);
    if (b == std::string::npos)
        throw EUsage("--y-range \"" + text + "\": give CH:LO:HI");
    TYRange r;
    const std::string ch = text.substr(0, a);
    auto [p, ec] = std::from_chars(ch.data(), ch.data() + ch.size(), r.Channel);
    if (ch.empty() || ec != std::errc() || p != ch.data() + ch.size() || r.Channel < 0 ||
        r.Channel >= TVro8OnlineRecording::kMaxChannels)
        throw EUsage("--y-range \"" + text + "\": CH is a channel 0..31");
    r.Lo = text.substr(a + 1, b - a - 1);
    r.Hi = text.substr(b + 1);
    return r;
}

double SecondsOption(TArgs& args, const std::string& name)
{
    const auto t = args.Option(name);
    if (!t)
        return -1;
    double v = 0;
    auto [p, ec] = std::from_chars(t->data(), t->data() + t->size(), v);
    if (ec != std::errc() || p != t->data() + t->size() || v < 0 || v > 86400)
        throw EUsage("option " + name + ": \"" + *t + "\" is not a number of seconds 0..86400");
    return v;
}

// The display settings the options ask for, over the defaults of the run;
// a range is checked as the dialog checks it and refused with its text.
void ApplyDisplayOptions(TOnlineRun& run, const std::vector<TYRange>& yRanges, int xChannel)
{
    const auto& channels = run.Channels();
    auto& s = run.Settings;
    std::vector<TOnlineRangeText> fields;
    for (std::size_t c = 0; c < channels.size(); ++c)
        fields.push_back({RawToText(s.LoY[c], channels[c].Decimals), RawToText(s.HiY[c], channels[c].Decimals)});
    for (const auto& y : yRanges) {
        if (y.Channel >= static_cast<int>(channels.size()))
            throw EUsage("--y-range: the recorder has no channel " + std::to_string(y.Channel));
        fields[static_cast<std::size_t>(y.Channel)] = {y.Lo, y.Hi};
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    const TOnlineRangeCheck check = CheckOnlineRanges(fields, channels, ranges);
    if (check.Text != 0)
        throw EUsage("--y-range " + std::to_string(check.Channel) +
                     (check.Upper ? " (upper limit)" : " (lower limit)") + ": " + text(check.Text));
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        s.LoY[c] = ranges[c].first;
        s.HiY[c] = ranges[c].second;
    }
    if (xChannel >= 0) {
        if (xChannel >= static_cast<int>(channels.size()) || channels.size() < 2)
            throw EUsage("--x-channel: the recorder has no channel " + std::to_string(xChannel) + " to set against");
        s.XChannel = xChannel;
        s.DisplayMode = 0;
    }
    run.StoreSettingsInRecording();
}

json RunJson(const TOnlineRun& run, bool columns)
{
    const TVro8OnlineRecording& o = run.Online();
    const int n = o.ChannelCount;
    json lo = json::array(), hi = json::array();
    for (int c = 0; c < n; ++c) {
        lo.push_back(o.LoY[static_cast<std::size_t>(c)]);
        hi.push_back(o.HiY[static_cast<std::size_t>(c)]);
    }
    json j = {{"RecordingType", o.RecordingType},
              {"SampleRate", o.SampleRate},
              {"ChannelCount", n},
              {"BufferLength", o.BufferLength},
              {"DisplayWidth", o.DisplayWidth()},
              {"SimpleCurvMode", o.SimpleCurvMode},
              {"TriggerPosition", o.TriggerPosition},
              {"RecordCount", o.RecordCount()},
              {"WriteIndex", o.WriteIndex()},
              {"Wrapped", o.Wrapped()},
              {"PreCount", o.PreCount()},
              {"PostCount", o.PostCount()},
              {"PreLimit", o.PreLimit()},
              {"PostLimit", o.PostLimit()},
              {"TriggerState", o.TriggerState()},
              {"StartColumn", o.StartColumn()},
              {"EndColumn", o.EndColumn()},
              {"XChannel", o.XChannel},
              {"LoY", lo},
              {"HiY", hi},
              {"HandOverCount", o.HandOverCount()}};
    if (columns) {
        json all = json::array();
        for (int c = 0; c < n; ++c) {
            json list = json::array();
            for (const auto& [mn, mx] : OnlineColumns(o, c))
                list.push_back(json::array({mn, mx}));
            all.push_back(std::move(list));
        }
        j["Columns"] = std::move(all);
    }
    if (o.RecordingType == 2) {
        json lines = json::array();
        for (const auto& l : EventLogLines(run))
            lines.push_back(l.Text);
        j["EventLogPage"] = std::move(lines);
    }
    return j;
}

// The newest values on one line of standard error (only to a terminal).
void ShowValues(const TOnlineRun& run)
{
    std::string line;
    const auto& channels = run.Channels();
    for (std::size_t c = 0; c < channels.size(); ++c)
        line += (c ? "  " : "") + RawToText(run.Online().NewestValue(static_cast<int>(c)), channels[c].Decimals) +
                (channels[c].Unit.empty() ? "" : " " + channels[c].Unit);
    std::fprintf(stderr, "\r%s   ", line.c_str());
    std::fflush(stderr);
}

int RunOnline(TArgs& args)
{
    const auto port = args.Option("--port");
    const auto baud = static_cast<std::int32_t>(args.IntOption("--baud", 460800, 9600, 460800));
    TOnlineChoices c;
    c.RecordingType = static_cast<int>(args.IntOption("--type", 0, 0, 2));
    c.SampleRate = static_cast<int>(args.IntOption("--rate", 9, 0, TVro8SampleData::Count - 1));
    c.DurationIndex = static_cast<int>(args.IntOption("--duration", -1, 0, TVro8RecordingTimes::Count - 1));
    const auto mode = args.Option("--mode");
    const double seconds = SecondsOption(args, "--seconds");
    c.TriggerPosition = static_cast<int>(args.IntOption("--trigger-position", 0, 0, 10));
    const double triggerAt = SecondsOption(args, "--trigger-at");
    const bool repeat = args.Flag("--repeat");
    c.Comment = args.Option("--comment").value_or("");
    const auto width = static_cast<std::int32_t>(args.IntOption("--width", 500, 1, TVro8OnlineRecording::kMaxWidth));
    std::vector<TYRange> yRanges;
    for (const auto& y : args.Options("--y-range"))
        yRanges.push_back(ParseYRange(y));
    const int xChannel = static_cast<int>(args.IntOption("--x-channel", -1, 0, TVro8OnlineRecording::kMaxChannels - 1));
    const bool asJson = args.Flag("--json");
    const bool columns = args.Flag("--columns");
    const std::string language = args.Option("--language").value_or("en");
    args.CheckAllUsed(1);
    if (!port)
        throw EUsage("--port PATH is required");
    if (language != "de" && language != "en" && language != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + language + "\"");
    SelectTextLanguage(language);
    if (mode && *mode != "end" && *mode != "continuous")
        throw EUsage("--mode is end or continuous, not \"" + *mode + "\"");
    if (mode && c.RecordingType != 0)
        throw EUsage("--mode goes with --type 0");
    // Without a recording-time index the ring holds the last S seconds, as
    // before; with one, the run may end by itself.
    c.SimpleCurvMode = mode ? (*mode == "continuous" ? 1 : 0) : (c.DurationIndex < 0 ? 1 : 0);
    if (c.RecordingType != 2 && c.DurationIndex < 0) {
        if (seconds <= 0)
            throw EUsage("give --duration IDX or --seconds S");
        c.BufferLength = std::max<std::int64_t>(1, static_cast<std::int64_t>(seconds * 10000.0) /
                                                       TVro8SampleData::Row(c.SampleRate).Interval);
    }
    if (triggerAt >= 0 && c.RecordingType == 0)
        throw EUsage("--trigger-at goes with --type 1 or 2");
    if (columns && !asJson)
        throw EUsage("--columns goes with --json");
    const std::string out = args.Positional(0, "OUT.vxrf");
    if (!HasExtension(out, ".vxrf"))
        throw EUsage("unsupported output format \"" + out + "\" (only .vxrf)");

    TDeviceSession s(*port, baud);
    s.Connect();
    TVro8Device& device = s.Device();
    device.Measurement.ReadChannels();
    TOnlineRun run(device);
    // Refused here (before S 104): more than 1,000,000 samples (text 1159),
    // more than 32 active channels or none.
    run.Configure(c, width, std::nullopt);
    if (triggerAt >= 0 && run.HandTriggers() == 0)
        throw EUsage("--trigger-at: the recorder has no active trigger event released by hand");
    ApplyDisplayOptions(run, yRanges, xChannel);

    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
    run.Begin(
        repeat, [&run] { run.TakeNotice(); },
        [&] {
            std::lock_guard<std::mutex> l(m);
            ended = true;
            cv.notify_all();
        });
    const bool terminal = ::isatty(2) != 0;
    const auto start = std::chrono::steady_clock::now();
    bool triggered = false, shown = false;
    {
        std::unique_lock<std::mutex> l(m);
        while (!ended) {
            cv.wait_for(l, std::chrono::milliseconds(50));
            if (ended)
                break;
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (TDeviceSession::Interrupted() || (seconds > 0 && elapsed >= seconds))
                run.RequestStop();
            if (triggerAt >= 0 && !triggered && elapsed >= triggerAt && run.Live()) {
                run.Trigger();
                triggered = true;
            }
            if (terminal && !asJson && run.Live() && run.Online().RecordCount() > 0) {
                ShowValues(run);
                shown = true;
            }
        }
    }
    run.Join();
    if (shown)
        std::fprintf(stderr, "\n");
    if (run.EndReason() == EOnlineEnd::StartFailed)
        throw std::runtime_error(text(684) + " (" + run.Error() + ")");

    const TVro8OnlineRecording& o = run.Online();
    const std::int32_t count = o.HandOverCount();
    std::string file;
    if (count > 0) {
        TTakeReport report;
        const auto r =
            TakeOnline(OnlineRecordingData(run.Online(), device.Measurement), count, TTakeNaming::InFile(out), report);
        if (!report.Message.empty())
            std::cerr << report.Message << "\n";
        r->Comment = c.Comment;
        r->SaveToFile();
        file = out;
    }
    if (asJson) {
        json j = RunJson(run, columns);
        j["File"] = file.empty() ? json(nullptr) : json(file);
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << "RecordingType " << o.RecordingType << ", " << run.Channels().size() << " channels, "
                  << o.RecordCount() << " records, " << count << " samples handed over";
        if (o.RecordingType == 1)
            std::cout << " (" << o.PreCount() << " before the trigger, " << o.PostCount() << " after)";
        std::cout << "\n";
        if (o.RecordingType == 2)
            for (const auto& l : EventLogLines(run))
                std::cout << l.Text << "\n";
        if (!file.empty())
            std::cout << file << "\n";
    }
    if (run.EndReason() == EOnlineEnd::LinkBroken) {
        std::cerr << text(1250) << " (" << run.Error() << ")\n";
        return 1;
    }
    if (count < 1) {
        std::cerr << "the online measurement delivered no samples; no file written\n";
        return 1;
    }
    return 0;
}

} // namespace

int VerbDeviceOnline(TArgs& args) { return RunOnline(args); }

} // namespace vro::cli
