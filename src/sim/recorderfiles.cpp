#include "sim/recorderfiles.h"
#include "core/util/text.h"
#include "core/construct/loadrecordingfile.h"

#include "core/recording/recording.h"
#include "core/util/charset.h"
#include "core/values/vro8utils.h"

#include <algorithm>
#include <stdexcept>

namespace vro::sim {

namespace {

std::uint32_t Stamp(double dateTime) { return static_cast<std::uint32_t>(DateTimeToStamp(dateTime)); }

std::uint16_t Word16(std::int32_t raw)
{
    if (raw == NoValue)
        return static_cast<std::uint16_t>(-32768);
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(raw, -32767, 32767)));
}

TSimRecording FromRecording(const TRecording& r, const std::string& fallbackName, int comVersion)
{
    TSimRecording s;
    s.Name = Utf8ToLatin1(r.DeviceRecordingName.empty() ? fallbackName : r.DeviceRecordingName).substr(0, 32);
    s.Number = static_cast<std::uint32_t>(std::max(r.DeviceRecordingNumber, 0));
    s.StartTime = Stamp(r.StartTime);
    s.StopTime = Stamp(r.StopTime);
    s.Type = (r.RecordingType & 0x0F) % 4;
    if (r.HasMinMaxValues)
        s.Type |= 0x20;
    if (r.HasStates && r.State)
        s.Type |= 0x40;
    if (r.HasTimeStamps && r.Time)
        s.Type |= 0x80;
    // The type value 2 alone means "all three present" to the recorder; the
    // sample writer below fills what the file does not hold with no-values.
    s.SimpleCurveMode = r.SimpleCurvMode;
    s.SampleRate = std::clamp(r.SampleRate, 0, 27);
    s.TriggerState = r.TriggerState;
    s.TriggerTime = r.TriggerTime > 0 ? Stamp(r.TriggerTime) : 0;
    s.PreTriggerCount = r.PreTriggerCount;
    s.Comment = Utf8ToLatin1(r.Comment).substr(0, 511);
    const int maxChannels = comVersion == 1 ? 10 : 32;
    const int channels = std::min(r.ChannelCount, maxChannels);
    const bool wideRanges = comVersion >= 3;
    for (int i = 0; i < channels; ++i) {
        const auto& c = r.Channel(i);
        TSimChannel ch;
        ch.Name = Utf8ToLatin1(c.DeviceName).substr(0, 32);
        ch.Unit = Utf8ToLatin1(c.MeasureUnit).substr(0, 8);
        ch.Decimals = static_cast<std::uint16_t>(std::clamp(c.Decimals, 0, 8));
        ch.LoRange = wideRanges ? c.DeviceLoRange : std::clamp(c.DeviceLoRange, -32768, 32767);
        ch.HiRange = wideRanges ? c.DeviceHiRange : std::clamp(c.DeviceHiRange, -32768, 32767);
        if (ch.HiRange < ch.LoRange)
            std::swap(ch.LoRange, ch.HiRange);
        ch.Input = static_cast<std::uint8_t>(i % 13);
        ch.DataType = c.Has32BitSize ? 4 : 0;
        s.Channels.push_back(ch);
    }
    s.RecordCount = static_cast<std::uint32_t>(std::clamp(r.RecordCount, 0, 1000000));
    s.Words.reserve(static_cast<std::size_t>(s.WordsPerRecord()) * s.RecordCount);
    for (std::uint32_t k = 0; k < s.RecordCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (s.TimeStamps()) {
            const auto ts =
                r.Time && i < r.Time->TimeStamps.size() ? static_cast<std::uint32_t>(r.Time->TimeStamps[i]) : 0u;
            s.Words.push_back(static_cast<std::uint16_t>(ts & 0xFFFF));
            s.Words.push_back(static_cast<std::uint16_t>(ts >> 16));
        }
        if (s.States())
            s.Words.push_back(r.State && i < r.State->States.size() ? r.State->States[i] : 0);
        for (int c = 0; c < channels; ++c) {
            const auto& ch = r.Channel(c);
            auto put = [&](const TSensorValues& v) {
                const std::int32_t raw = i < v.size() ? v[i] : NoValue;
                if (ch.Has32BitSize) {
                    s.Words.push_back(static_cast<std::uint16_t>(static_cast<std::uint32_t>(raw) & 0xFFFF));
                    s.Words.push_back(static_cast<std::uint16_t>(static_cast<std::uint32_t>(raw) >> 16));
                } else {
                    s.Words.push_back(Word16(raw));
                }
            };
            put(ch.Values);
            if (s.MinMax()) {
                put(ch.MinValues);
                put(ch.MaxValues);
            }
        }
    }
    return s;
}

} // namespace

std::vector<TSimRecording> LoadSimRecordings(const std::filesystem::path& folder, int comVersion)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw std::runtime_error("--recordings: \"" + folder.string() + "\" is not a folder");
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (e.is_regular_file() && HasExtension(e.path().string(), ".vxrf"))
            files.push_back(e.path());
    if (ec)
        throw std::runtime_error("--recordings: " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    if (files.empty())
        throw std::runtime_error("--recordings: no .vxrf file in " + folder.string());
    std::vector<TSimRecording> out;
    for (const auto& f : files) {
        TRecording r;
        try {
            LoadRecordingFile(f, r);
        } catch (const std::exception& e) {
            throw std::runtime_error("--recordings: " + f.string() + ": " + e.what());
        }
        if (r.RecordCount < 1 || r.ChannelCount < 1)
            throw std::runtime_error("--recordings: " + f.string() + " holds no samples");
        out.push_back(FromRecording(r, f.stem().string(), comVersion));
    }
    return out;
}

} // namespace vro::sim
