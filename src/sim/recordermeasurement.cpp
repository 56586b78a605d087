// Channels and current values: R 10, R 11, R 12, S 13.
#include "sim/recorder.h"

#include "core/util/bytes.h"

#include <algorithm>
#include <cmath>

namespace vro::sim {

std::vector<TSimChannel> TSimRecorder::DefaultChannels()
{
    return {
        {-100, 6000, 1, 0, 0, 0, "Pressure P1", "bar"},
        {-100, 4000, 1, 1, 0, 0, "Pressure P2", "bar"},
        {-500, 2000, 1, 2, 0, 0, "Temperature",
         "\xB0"
         "C"},
        {0, 3000, 1, 3, 0, 0, "Flow", "l/min"},
        {-1, 250, 0, 4, 1, 0, "Smart sub 1", "bar"},
        {0, 30000, 0, 8, 0, 4, "Frequency", "Hz"},
    };
}

void TSimRecorder::SetChannels(std::vector<TSimChannel> channels, bool minMax)
{
    TLock l(mutex_);
    channels_ = std::move(channels);
    minMax_ = minMax;
    followSensors_ = false;
    extremes_.clear();
}

void TSimRecorder::SetMinMax(bool minMax)
{
    TLock l(mutex_);
    minMax_ = minMax;
    extremes_.clear();
}

std::vector<TSimChannel> TSimRecorder::Channels() const
{
    TLock l(mutex_);
    return channels_;
}

TByteString TSimRecorder::CurrentValues() const
{
    const double t = std::chrono::duration<double>(TClock::now() - created_).count();
    TByteString out;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const auto& c = channels_[i];
        const double mid = (static_cast<double>(c.LoRange) + c.HiRange) / 2.0;
        const double amp = (static_cast<double>(c.HiRange) - c.LoRange) / 4.0;
        auto clamp16 = [](double x) { return static_cast<std::int16_t>(std::clamp(std::lround(x), -32767L, 32767L)); };
        const double v = mid + amp * std::sin(t * 0.7 * static_cast<double>(i + 1));
        std::vector<std::int16_t> words{clamp16(v)};
        if (minMax_) {
            // Running extremes since the last reset (S 13), so that a reset shows.
            if (extremes_.size() != channels_.size())
                extremes_.assign(channels_.size(), {});
            auto& e = extremes_[i];
            const std::int16_t lo = clamp16(v - amp / 8), hi = clamp16(v + amp / 8);
            e = e.Set ? TExtremes{std::min(e.Min, lo), std::max(e.Max, hi), true} : TExtremes{lo, hi, true};
            words.push_back(e.Min);
            words.push_back(e.Max);
        }
        for (auto w : words)
            AppendLE(out, w);
    }
    if (out.size() > 192)
        out.resize(192);
    return out;
}

TRecorderAnswer TSimRecorder::AnswerChannelCount(const TCall&)
{
    TByteString b(4, 0);
    PutLE<std::uint16_t>(b, 0, static_cast<std::uint16_t>(channels_.size()));
    PutLE<std::uint16_t>(b, 2, minMax_ ? 1 : 0);
    return Data(std::move(b));
}

TRecorderAnswer TSimRecorder::AnswerChannel(const TCall& c)
{
    if (c.Data.size() != 2)
        return Silence();
    const std::uint16_t i = GetU16(c.Data, 0);
    if (i >= channels_.size())
        return {};
    return Data(WriteChannel(profile_.ComVersion, channels_[i]));
}

TRecorderAnswer TSimRecorder::AnswerCurrentValues(const TCall&) { return Data(CurrentValues()); }

TRecorderAnswer TSimRecorder::AnswerResetMinMax(const TCall&)
{
    extremes_.clear();
    return Status1(0);
}

} // namespace vro::sim
