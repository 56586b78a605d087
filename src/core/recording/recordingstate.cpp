#include "core/recording/recording.h"

#include "core/recording/recordingdetail.h"
#include "core/text/texts.h"
#include "core/util/largearray.h"

#include <algorithm>

namespace vro {

using namespace recording_detail;

// ---------------------------------------------------------------------------
// TRecordingStateWrapper

TRecordingStateWrapper::TRecordingStateWrapper(TRecording& owner) : TRecordingWrapper(owner)
{
    AssignLarge(States, static_cast<std::size_t>(std::max(owner.RecordCount, 0)));
}

std::string TRecordingStateWrapper::GetTitle() const { return text(148); }

std::string TRecordingStateWrapper::GetStateText(std::int32_t i) const
{
    if (i < 0 || static_cast<std::size_t>(i) >= States.size())
        return "-";
    const std::uint16_t state = States[static_cast<std::size_t>(i)];
    std::string s;
    if (owner_->RecordingType == 3 || owner_->RecordingType == 4) {
        s = FormatBitGroups(state, StateCodeId);
    } else if (owner_->RecordingSource == 2) {
        static const char* const names[] = {"MAN", "Tr1", "Tr2", "T12", "MIN", "MAX", "TAS"};
        if (state < 7)
            s = names[state];
    } else {
        for (int b = 0; b < 4; ++b)
            if (state & (1u << b)) {
                if (!s.empty())
                    s += ", ";
                s += "T" + std::to_string(b + 1);
            }
    }
    return s.empty() ? "-" : s;
}

void TRecordingStateWrapper::InsertState(std::int32_t index, std::uint16_t state)
{
    const auto at =
        static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(States.size())));
    States.insert(States.begin() + static_cast<std::ptrdiff_t>(at), state);
}

void TRecordingStateWrapper::InsertStates(const TRecordingStateWrapper& other, std::int32_t index)
{
    const auto at =
        static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(States.size())));
    const TStateValues copy = other.States; // other may be this object
    States.insert(States.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
}

void TRecordingStateWrapper::CopyFrom(const TRecordingStateWrapper& other, std::int32_t first)
{
    StateCodeId = other.StateCodeId;
    const auto n = static_cast<std::size_t>(std::max(owner_->RecordCount, 0));
    TStateValues out(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int64_t j = static_cast<std::int64_t>(first) + static_cast<std::int64_t>(k);
        if (j >= 0 && j < static_cast<std::int64_t>(other.States.size()))
            out[k] = other.States[static_cast<std::size_t>(j)];
    }
    States = std::move(out);
}

void TRecordingStateWrapper::Grow(std::int32_t n)
{
    if (n > 0)
        States.resize(States.size() + static_cast<std::size_t>(n), 0);
}

namespace {
std::string WidestStateText(const TRecording& r, std::int32_t codeId)
{
    if (r.RecordingType == 3 || r.RecordingType == 4)
        return FormatBitGroups(65535, codeId);
    return r.RecordingSource == 2 ? "WWW" : "T1, T2, T3, T4";
}
} // namespace

int TRecordingStateWrapper::GetTextLength(bool header, const std::string& prefix) const
{
    int n = CharCount(WidestStateText(*owner_, StateCodeId));
    if (header)
        n = std::max(n, CharCount(prefix + GetTitle()));
    return n;
}

int TRecordingStateWrapper::GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const
{
    int w = measure(WidestStateText(*owner_, StateCodeId));
    if (header)
        w = std::max(w, measure(prefix + GetTitle()));
    return w;
}

} // namespace vro
