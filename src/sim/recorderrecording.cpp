// Header and sample download: R 20, R 21, R 22, R 23.
#include "sim/recorder.h"

#include "core/util/bytes.h"
#include "link/vro8commands.h"

#include <algorithm>

namespace vro::sim {

void TSimRecorder::PatchHeader(std::uint16_t handle, std::size_t offset, std::uint32_t value)
{
    TLock l(mutex_);
    headerPatches_[handle][offset] = value;
}

TSimRecording* TSimRecorder::FindRecording(std::uint16_t handle)
{
    for (auto& r : recordings_)
        if (r.Handle == handle)
            return &r;
    return nullptr;
}

TByteString TSimRecorder::HeaderOf(const TSimRecording& r) const
{
    TByteString h = WriteHeader(profile_.ComVersion, r);
    auto it = headerPatches_.find(r.Handle);
    if (it != headerPatches_.end())
        for (auto [offset, value] : it->second)
            if (offset + 4 <= h.size())
                PutLE<std::uint32_t>(h, offset, value);
    return h;
}

TRecorderAnswer TSimRecorder::AnswerSelect(const TCall& c)
{
    if (c.Data.size() != 2)
        return Status2(2);
    const std::uint16_t h = GetU16(c.Data, 0);
    if (!FindRecording(h))
        return Status2(3);
    (c.Number == vro8::kSelectHeader ? headerHandle_ : sampleHandle_) = h;
    return Status2(0);
}

TRecorderAnswer TSimRecorder::AnswerHeader(const TCall& c)
{
    TSimRecording* r = headerHandle_ ? FindRecording(*headerHandle_) : nullptr;
    return ReadPiece(r ? HeaderOf(*r) : TByteString{}, c);
}

TRecorderAnswer TSimRecorder::AnswerSamples(const TCall& c)
{
    TSimRecording* r = sampleHandle_ ? FindRecording(*sampleHandle_) : nullptr;
    if (!r)
        return ReadPiece({}, c);
    // Sample bytes straight from the words, one piece at a time.
    if (c.Data.size() != 4)
        return Silence();
    const std::uint64_t offset = GetU32(c.Data, 0);
    std::size_t size = r->Words.size() * 2;
    auto f = faults_.find(Key(c.Address, c.Number));
    if (f != faults_.end() && f->second.Mode == ERecorderFault::CutAt)
        size = std::min<std::size_t>(size, static_cast<std::size_t>(f->second.Value));
    TRecorderAnswer ans;
    if (offset < size) {
        const std::size_t take = std::min<std::size_t>(profile_.PieceSize, size - offset);
        ans.Data.resize(take);
        for (std::size_t i = 0; i < take; ++i) {
            const std::uint16_t w = r->Words[(offset + i) / 2];
            ans.Data[i] = static_cast<std::uint8_t>(((offset + i) % 2) ? w >> 8 : w);
        }
        if (f != faults_.end() && f->second.Mode == ERecorderFault::OverPiece)
            ans.Data.resize(std::min<std::size_t>(take + static_cast<std::size_t>(f->second.Value), 240), 0xEE);
    }
    return ans;
}

} // namespace vro::sim
