// vro generate: a synthetic recording for trying the program and for
// benchmarks. Each channel is a smooth curve (two slow sine waves and a
// drift) with a little noise, in a plausible physical quantity and unit.
#include "cli/verb.h"

#include "core/recording/recording.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"

#include <cmath>
#include <optional>
#include <iostream>
#include <random>

namespace vro::cli {

namespace {

struct TQuantity {
    const char* Name;
    const char* Unit;
    double Lo, Hi; // physical range
};

constexpr TQuantity kQuantities[] = {
    {"Pressure", "bar", 0.0, 100.0},
    {"Temperature",
     "\xC2\xB0"
     "C",
     -20.0, 120.0},
    {"Flow rate", "l/min", 0.0, 250.0},
    {"Differential pressure", "mbar", -50.0, 50.0},
    {"Frequency", "Hz", 0.0, 300.0},
    {"Level", "m", 0.0, 10.0},
    {"Voltage", "V", 0.0, 30.0},
    {"Current", "mA", 4.0, 20.0},
};

// A date-time option in the form YYYY-MM-DDTHH:MM:SS.
std::optional<double> DateOption(TArgs& args, const std::string& name)
{
    const auto value = args.Option(name);
    if (!value)
        return std::nullopt;
    const auto d = DvxTextToDateTime(*value, TDvxFormatSettings::Iso());
    if (!d || value->size() != 19 || (*value)[10] != 'T')
        throw EUsage(name + " must be YYYY-MM-DDTHH:MM:SS, not \"" + *value + "\"");
    return *d;
}

int Run(TArgs& args)
{
    const int channels = static_cast<int>(args.IntOption("--channels", 4, 1, TRecording::MaxChannels));
    const auto samples = static_cast<std::int32_t>(args.IntOption("--samples", 10000, 1, 100000000));
    const bool minmaxFlag = args.Flag("--minmax");
    const bool wide = args.Flag("--32bit");
    const auto type = static_cast<std::uint8_t>(args.IntOption("--type", 0, 0, 3));
    // Type 2, the event log, always carries stamps, min/max and states.
    const bool stamps = args.Flag("--timestamps") || type == 2;
    const bool minmax = minmaxFlag || type == 2;
    const bool states = type == 2;
    const auto startOption = DateOption(args, "--start");
    const auto step = static_cast<std::int32_t>(args.IntOption("--step", 1, 1, 86400 * 365));
    const auto triggerState = static_cast<std::int32_t>(args.IntOption("--trigger-state", 0, 0, 65535));
    const auto triggerTime = DateOption(args, "--trigger-time");
    const auto info = args.Options("--info");
    const auto sensorId = args.Option("--sensor-id");
    args.CheckAllUsed(1);
    const std::string out = args.Positional(0, "OUT.vxrf");

    TRecording r;
    r.FileName = out;
    r.RecordingSource = 0;
    r.RecordingType = type;
    r.SensorId = sensorId.value_or("");
    r.DeviceRecordingName = "Demo";
    r.DeviceRecordingNumber = 1;
    r.Comment = "Synthetic recording made by vro generate";
    r.ChannelCount = channels;
    r.RecordCount = samples;
    r.HasMinMaxValues = minmax;
    r.HasTimeStamps = stamps;
    r.HasStates = states;
    // 1 s with time stamps (row 12), else 100 ms (row 9).
    r.SampleRate = stamps ? 12 : 9;
    const double interval = stamps ? step : 0.1;
    const TDvxDateParts start{2024, 3, 1, 8, 0, 0, 0};
    r.StartTime = startOption.value_or(EncodeDvxDateTime(start).value_or(DvxDate2000));
    r.StopTime = r.StartTime + (samples - 1) * interval / 86400.0;
    if (type != 0) {
        r.TriggerState = triggerState;
        // Without --trigger-time: the recorder's "never triggered" stamp.
        r.TriggerTime = triggerTime.value_or(StampToDateTime(4294967295u));
        if (type == 1)
            r.PreTriggerCount = samples / 2;
    }
    r.InfoStrings = {"@Generator", "Program|vro generate", "Channels|" + std::to_string(channels)};
    if (!info.empty())
        r.InfoStrings = info;
    r.CreateChannelObjects();

    std::mt19937 rng(20240301);
    std::normal_distribution<double> noise(0.0, 1.0);
    const int decimals = wide ? 3 : 2;
    for (int c = 0; c < channels; ++c) {
        TRecordingSensorWrapper& ch = r.Channel(c);
        const TQuantity& q = kQuantities[c % std::size(kQuantities)];
        ch.DeviceName = "Channel " + std::string(1, static_cast<char>('A' + c % 12)) +
                        (c >= 12 ? "-" + std::to_string(c / 12) : "");
        ch.CustomName = q.Name;
        ch.MeasureUnit = q.Unit;
        ch.Decimals = decimals;
        ch.Has32BitSize = wide;
        // 16-bit channels keep their raw values inside -32767..32767.
        double lo = q.Lo, hi = q.Hi;
        if (!wide) {
            const double limit = 32000.0 / Vro8Factor[decimals];
            lo = std::max(lo, -limit);
            hi = std::min(hi, limit);
        }
        ch.DeviceLoRange = ch.FullLoRange = FloatToRaw(lo, decimals, true);
        ch.DeviceHiRange = ch.FullHiRange = FloatToRaw(hi, decimals, true);
        ch.ResetCurrentRange();
        ch.SetColorIndex(c);
        ch.Visible = c < 8;
        const double mid = (lo + hi) / 2, amp = (hi - lo) * 0.35;
        const double f1 = 1.0 / (600.0 + 170.0 * c), f2 = 1.0 / (97.0 + 13.0 * c), phase = 0.7 * c;
        const double sigma = (hi - lo) * 0.004;
        for (std::int32_t i = 0; i < samples; ++i) {
            const double t = i;
            double x = mid + amp * (0.8 * std::sin(2 * M_PI * f1 * t + phase) + 0.2 * std::sin(2 * M_PI * f2 * t)) +
                       (hi - lo) * 0.05 * std::sin(2 * M_PI * t / std::max<double>(samples, 1));
            x = std::clamp(x, lo, hi);
            const double spread = std::abs(noise(rng)) * sigma * 2;
            const double v = std::clamp(x + noise(rng) * sigma, lo, hi);
            ch.Values[static_cast<std::size_t>(i)] = FloatToRaw(v, decimals, true);
            if (minmax) {
                ch.MinValues[static_cast<std::size_t>(i)] = FloatToRaw(std::max(lo, v - spread), decimals, true);
                ch.MaxValues[static_cast<std::size_t>(i)] = FloatToRaw(std::min(hi, v + spread), decimals, true);
            }
        }
    }
    if (stamps) {
        const std::int32_t first = DateTimeToStamp(r.StartTime);
        for (std::int32_t i = 0; i < samples; ++i)
            r.Time->TimeStamps[static_cast<std::size_t>(i)] = first + i * step;
    }
    if (states)
        for (std::int32_t i = 0; i < samples; ++i)
            r.State->States[static_cast<std::size_t>(i)] =
                static_cast<std::uint16_t>(i % 97 == 0 ? 1u << (i / 97 % 8) : 0u);
    r.LeftYAxis = static_cast<std::int32_t>(channels >= 32 ? 0xFFFFFFFFu : ((1u << channels) - 1u));
    r.XAxisIndex = -1;
    r.ShowTableMinMax = 2;
    r.Time->ResetRange();
    r.CheckAxes();
    r.NameConfirmed = true;
    r.SaveToFile();
    std::cout << out << ": " << channels << " channels, " << samples << " samples\n";
    return 0;
}

} // namespace

int VerbGenerate(TArgs& args) { return Run(args); }

} // namespace vro::cli
