// The online measurement stream: S 104 starts it, ESC stops it, the frame
// layer pulls the records that are due.
#include "sim/recorder.h"

#include "core/util/bytes.h"

#include <algorithm>
#include <array>

namespace vro::sim {

void TSimRecorder::SetOnline(const TSimOnlineConfig& c)
{
    TLock l(mutex_);
    profile_.Online = c;
}

std::vector<std::vector<std::int16_t>> TSimRecorder::StreamedRecords() const
{
    TLock l(mutex_);
    return streamed_;
}

std::vector<std::uint8_t> TSimRecorder::StreamedStatus() const
{
    TLock l(mutex_);
    return streamedStatus_;
}

long TSimRecorder::StreamDropped() const
{
    TLock l(mutex_);
    return streamDropped_;
}

long TSimRecorder::StreamedForgotten() const
{
    TLock l(mutex_);
    return streamedDropped_;
}

void TSimRecorder::CountDropped(long records)
{
    TLock l(mutex_);
    streamDropped_ += records;
}

void TSimRecorder::HandleCancel()
{
    TLock l(mutex_);
    streaming_ = false;
}

bool TSimRecorder::Streaming() const
{
    TLock l(mutex_);
    return streaming_;
}

TByteString TSimRecorder::NextStreamRecord()
{
    const auto& cfg = profile_.Online;
    const long k = streamCount_++;
    TByteString out;
    if (cfg.JunkEvery > 0 && k % cfg.JunkEvery == cfg.JunkEvery - 1) {
        out.push_back(0x88);
        out.push_back(0x01);
    }
    const std::size_t cc = channels_.size();
    if (streamType_ == 2) {
        std::vector<std::array<std::int16_t, 3>> triples(cc);
        std::vector<std::int16_t> flat;
        for (std::size_t c = 0; c < cc; ++c) {
            const auto v = static_cast<std::int16_t>(((k * 37 + static_cast<long>(c) * 101) % 4000) - 2000);
            triples[c] = {v, static_cast<std::int16_t>(v - 10 - static_cast<int>(c)),
                          static_cast<std::int16_t>(v + 10 + static_cast<int>(c))};
            flat.insert(flat.end(), triples[c].begin(), triples[c].end());
        }
        const std::uint8_t status = cfg.EventEvery > 0 && k % cfg.EventEvery == cfg.EventEvery - 1
                                        ? static_cast<std::uint8_t>(1u << (k % 4))
                                        : 0;
        auto r = WriteOnlineEvent(triples, status, cfg.FreeByte);
        out.insert(out.end(), r.begin(), r.end());
        streamed_.push_back(std::move(flat));
        streamedStatus_.push_back(status);
        BoundStreamed();
        return out;
    }
    std::vector<std::int16_t> values(cc);
    for (std::size_t c = 0; c < cc; ++c) {
        // A saw tooth per channel across the middle of its measuring range, with a spike
        // every 13 records: column extremes differ from the ends.
        const long lo = std::max<long>(channels_[c].LoRange, -32000), hi = std::min<long>(channels_[c].HiRange, 32000);
        const long span = std::max<long>(hi - lo, 10);
        long v = lo + span / 5 + (k * static_cast<long>(c + 3)) % 600 * span / 1000;
        if (k % 13 == 5)
            v += span / 6 - static_cast<long>(c) * span / 200;
        values[c] = static_cast<std::int16_t>(std::clamp<long>(v, -32768, 32767));
    }
    const std::uint8_t status = cfg.TriggerAtRecord >= 0 && k >= cfg.TriggerAtRecord ? 0x01 : 0x00;
    const bool bad = cfg.BadChecksumEvery > 0 && k % cfg.BadChecksumEvery == cfg.BadChecksumEvery - 1;
    auto r = WriteOnlineRecord(values, status, bad);
    out.insert(out.end(), r.begin(), r.end());
    if (!bad) {
        streamed_.push_back(std::move(values));
        streamedStatus_.push_back(status);
        BoundStreamed();
    }
    return out;
}

void TSimRecorder::BoundStreamed()
{
    // The reference keeps the last kStreamedKept records of a run (older ones are counted only).
    if (streamed_.size() <= kStreamedKept + kStreamedKept / 10)
        return;
    const std::size_t drop = streamed_.size() - kStreamedKept;
    streamed_.erase(streamed_.begin(), streamed_.begin() + static_cast<long>(drop));
    streamedStatus_.erase(streamedStatus_.begin(), streamedStatus_.begin() + static_cast<long>(drop));
    streamedDropped_ += static_cast<long>(drop);
}

TByteString TSimRecorder::PullStream(TClock::time_point now)
{
    TLock l(mutex_);
    TByteString out;
    if (!streaming_)
        return out;
    int burst = 0;
    while (streaming_ && streamNext_ <= now) {
        auto r = NextStreamRecord();
        out.insert(out.end(), r.begin(), r.end());
        streamNext_ += profile_.Online.Interval;
        if (profile_.Online.StopAfter >= 0 && streamCount_ >= profile_.Online.StopAfter)
            streaming_ = false;
        if (++burst >= 64) {
            // Far behind (a stalled pump): do not flood, resume at the present.
            streamNext_ = now + profile_.Online.Interval;
            break;
        }
    }
    return out;
}

TRecorderAnswer TSimRecorder::AnswerOnlineStart(const TCall& c)
{
    const auto d = c.Data;
    if (d.size() != 6 || channels_.empty() || channels_.size() > 32 || GetU16(d, 0) > 2)
        return Status1(1);
    streamType_ = GetU16(d, 0);
    streaming_ = true;
    streamCount_ = 0;
    streamed_.clear();
    streamedStatus_.clear();
    streamedDropped_ = 0;
    streamNext_ = c.Now + profile_.Online.Interval;
    return Status1(0);
}

} // namespace vro::sim
