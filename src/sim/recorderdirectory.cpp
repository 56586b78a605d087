// The directory of recordings and stored setups: R 30, R 31, R 32, R 33.
#include "sim/recorder.h"

#include "core/util/bytes.h"
#include "link/vro8commands.h"

namespace vro::sim {

TRecorderAnswer TSimRecorder::AnswerCount(const TCall& c)
{
    listIsSetups_ = c.Number == vro8::kSetupCount;
    const std::size_t count = listIsSetups_ ? setups_.size() : recordings_.size();
    TByteString b(2, 0);
    PutLE<std::uint16_t>(b, 0, static_cast<std::uint16_t>(count));
    return Data(std::move(b));
}

TRecorderAnswer TSimRecorder::AnswerEntries(const TCall& c)
{
    TByteString list;
    if (listIsSetups_)
        for (const auto& s : setups_) {
            auto e = WriteEntry(s.Handle, s.Name, s.Number, s.Date);
            list.insert(list.end(), e.begin(), e.end());
        }
    else
        for (const auto& r : recordings_) {
            auto e = WriteEntry(r.Handle, r.Name, r.Number, r.StartTime);
            list.insert(list.end(), e.begin(), e.end());
        }
    return ReadPiece(list, c);
}

TRecorderAnswer TSimRecorder::AnswerDelete(const TCall& c)
{
    if (c.Data.size() != 2)
        return Status2(2);
    const std::uint16_t h = GetU16(c.Data, 0);
    for (auto it = recordings_.begin(); it != recordings_.end(); ++it)
        if (it->Handle == h) {
            recordings_.erase(it);
            if (headerHandle_ == h)
                headerHandle_.reset();
            if (sampleHandle_ == h)
                sampleHandle_.reset();
            return Status2(0);
        }
    for (auto it = setups_.begin(); it != setups_.end(); ++it)
        if (it->Handle == h) {
            setups_.erase(it);
            return Status2(0);
        }
    return Status2(3);
}

} // namespace vro::sim
