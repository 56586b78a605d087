// The two firmware areas: S 110 / S 113 write, R 111 / R 114 read back,
// R 112 / R 115 the version texts. The areas themselves are TSimFirmware.
#include "sim/recorder.h"

#include "core/util/bytes.h"
#include "link/vro8commands.h"

namespace vro::sim {

std::vector<std::uint8_t> TSimRecorder::FirmwareArea(int area) const
{
    TLock l(mutex_);
    return firmware_.Stored(area);
}

std::string TSimRecorder::FirmwareSummary() const
{
    TLock l(mutex_);
    return firmware_.Summary();
}

void TSimRecorder::RunNewFirmware()
{
    recordings_.clear();
    setups_.clear();
    headerPatches_.clear();
    headerHandle_.reset();
    sampleHandle_.reset();
    InitBlocks();
}

TRecorderAnswer TSimRecorder::AnswerWriteArea(const TCall& c)
{
    const auto w = firmware_.Write(c.Number == vro8::kWriteArea0 ? 0 : 1, c.Data, c.Now);
    return {w.Silent, w.Silent ? TByteString{} : TByteString{w.Status}, w.Delay};
}

TRecorderAnswer TSimRecorder::AnswerReadArea(const TCall& c)
{
    const int area = c.Number == vro8::kReadArea0 ? 0 : 1;
    TRecorderAnswer ans = ReadPiece(firmware_.Stored(area), c);
    if (!ans.Silent && c.Data.size() == 4) {
        firmware_.PatchReadPiece(area, GetU32(c.Data, 0), ans.Data);
        firmware_.ReadAnswered(area, GetU32(c.Data, 0), ans.Data.size(), c.Now);
    }
    return ans;
}

TRecorderAnswer TSimRecorder::AnswerAreaVersion(const TCall& c)
{
    return Data(firmware_.VersionAnswer(c.Number == vro8::kArea0Version ? 0 : 1));
}

} // namespace vro::sim
