#include "core/recording/recording.h"

#include "core/recording/recordingdetail.h"

#include <algorithm>
#include <filesystem>

namespace vro {

using namespace recording_detail;

// ---------------------------------------------------------------------------
// TRecording

TRecording::TRecording() = default;
TRecording::~TRecording() = default;

TRecordingSensorWrapper& TRecording::Channel(int i) const
{
    if (i < 0 || i >= ChannelCount || i >= MaxChannels || !Channels[static_cast<std::size_t>(i)])
        throw std::out_of_range("channel " + std::to_string(i) + " does not exist");
    return *Channels[static_cast<std::size_t>(i)];
}

void TRecording::CreateChannelObjects()
{
    if (ChannelCount < 0 || ChannelCount > MaxChannels)
        throw ERecording("Illegal ChannelCount " + std::to_string(ChannelCount));
    if (RecordCount < 0)
        throw ERecording("Illegal RecordSize " + std::to_string(RecordCount));
    if (HasSubTimes && !HasTimeStamps)
        throw ERecording("Sub-times without time stamps");
    for (auto& c : Channels)
        c.reset();
    Time.reset();
    State.reset();
    for (int i = 0; i < ChannelCount; ++i)
        Channels[static_cast<std::size_t>(i)] = std::make_unique<TRecordingSensorWrapper>(*this);
    Time = std::make_unique<TRecordingTimeWrapper>(*this);
    if (HasStates)
        State = std::make_unique<TRecordingStateWrapper>(*this);
}

std::string TRecording::GetName() const { return std::filesystem::path(FileName).stem().string(); }

std::string TRecording::GetRelativeFileName() const
{
    if (FileName.empty())
        return {};
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    if (ec)
        return FileName;
    const auto rel = std::filesystem::path(FileName).lexically_relative(cwd);
    return rel.empty() ? FileName : rel.string();
}

std::string TRecording::GetDisplayFileName() const { return RecordingSource == 5 ? "*" + FileName : FileName; }

std::string TRecording::GetVersion() const
{
    if (RecordingSource == 5)
        return "PELLOVIS_V03_E01";
    bool wide = RecordingSource == 4;
    for (int i = 0; i < ChannelCount && !wide; ++i)
        wide = Channels[static_cast<std::size_t>(i)] && Channels[static_cast<std::size_t>(i)]->Has32BitSize;
    return wide ? "VROWIN_V02_E02" : "VROWIN_V02_E01";
}

bool TRecording::IsKnownVersion(const std::string& version)
{
    return version == "VROWIN_V02_E01" || version == "VROWIN_V02_E02" || version == "PELLOVIS_V03_E01";
}

bool TRecording::DeleteChannel(int index)
{
    if (index < 0 || index >= ChannelCount || ChannelCount < 2)
        return false;
    for (int i = index; i < ChannelCount - 1; ++i)
        Channels[static_cast<std::size_t>(i)] = std::move(Channels[static_cast<std::size_t>(i + 1)]);
    Channels[static_cast<std::size_t>(ChannelCount - 1)].reset();
    for (int r = static_cast<int>(Remarks.size()) - 1; r >= 0; --r) {
        TRemarkData& m = Remarks[static_cast<std::size_t>(r)];
        if (!m.IsAnchored)
            continue;
        if (m.AnchorChannel == index)
            Remarks.erase(Remarks.begin() + r);
        else if (m.AnchorChannel > index)
            --m.AnchorChannel;
    }
    // The axis bit sets follow the channels: bit `index` goes, the higher
    // bits move down one place.
    auto dropBit = [index](std::int32_t set) {
        const auto u = static_cast<std::uint32_t>(set);
        const std::uint32_t low = index == 0 ? 0u : (u & ((1u << index) - 1u));
        const std::uint32_t high = index >= 31 ? 0u : ((u >> (index + 1)) << index);
        return static_cast<std::int32_t>(low | high);
    };
    LeftYAxis = dropBit(LeftYAxis);
    RightYAxis = dropBit(RightYAxis);
    if (XAxisIndex == index)
        XAxisIndex = -1;
    else if (XAxisIndex > index)
        --XAxisIndex;
    --ChannelCount;
    SnapshotCamera.Clear();
    History.Clear();
    Saved = false;
    return true;
}

void TRecording::AppendChannelToViews()
{
    if (ChannelCount < 1)
        return;
    TRecordingSensorWrapper& c = Channel(ChannelCount - 1);
    const bool visible = c.Visible;
    c.Visible = false;
    const std::string state = c.GetViewState();
    c.Visible = visible;
    SnapshotCamera.AppendChannel(state);
    History.AppendChannel(state);
}

void TRecording::CheckAxes()
{
    if (XAxisIndex >= ChannelCount || XAxisIndex < -1)
        XAxisIndex = -1;
    if (XAxisIndex >= 0 && !Channel(XAxisIndex).Visible)
        XAxisIndex = -1;
    if (ChannelCount < 1)
        return;
    bool other = false;
    for (int i = 0; i < ChannelCount && !other; ++i)
        other = i != XAxisIndex && Channel(i).Visible;
    if (!other) {
        if (XAxisIndex < 0)
            Channel(0).Visible = true;
        else
            XAxisIndex = -1;
    }
}

std::string TRecording::GetViewState() const
{
    std::string s = std::to_string(SequenceNumber);
    for (std::int64_t v :
         {std::int64_t(Time ? Time->LoRange : 0), std::int64_t(Time ? Time->HiRange : 0), std::int64_t(XAxisIndex),
          std::int64_t(LeftYAxis), std::int64_t(RightYAxis), std::int64_t(ShowTableMinMax)})
        s.append("|").append(std::to_string(v));
    for (int i = 0; i < ChannelCount; ++i)
        s.append("#").append(Channel(i).GetViewState());
    s += "@";
    bool firstId = true;
    for (const auto& r : Remarks)
        if (r.Visible && r.RemarkId != 0) {
            if (!firstId)
                s += "|";
            s += std::to_string(r.RemarkId);
            firstId = false;
        }
    return s;
}

void TRecording::SetViewState(const std::string& text)
{
    const std::size_t at = text.find('@');
    const std::string_view head = std::string_view(text).substr(0, at);
    const auto parts = Split(head, '#');
    const auto general = Split(parts[0], '|');
    auto field = [&](std::size_t i) -> std::optional<std::int32_t> {
        return i < general.size() ? ReadIntField(general[i]) : std::nullopt;
    };
    if (Time)
        Time->SetRange(field(1).value_or(0), field(2).value_or(2147483647));
    XAxisIndex = field(3).value_or(-1);
    LeftYAxis = field(4).value_or(-1);
    RightYAxis = field(5).value_or(-1);
    const std::int32_t tableMinMax = field(6).value_or(-1);
    ShowTableMinMax = static_cast<std::uint8_t>(tableMinMax >= 0 && tableMinMax <= 2 ? tableMinMax : 0);
    for (int i = 0; i < ChannelCount; ++i) {
        const std::size_t k = static_cast<std::size_t>(i) + 1;
        Channel(i).SetViewState(k < parts.size() ? std::string(parts[k]) : std::string(), i);
    }
    if (at != std::string::npos) {
        for (auto& r : Remarks)
            r.Visible = r.RemarkId == 0;
        for (auto id : Split(std::string_view(text).substr(at + 1), '|'))
            if (auto v = ReadIntField(id)) {
                const int idx = FindRemark(*v);
                if (idx >= 0)
                    Remarks[static_cast<std::size_t>(idx)].Visible = true;
            }
    }
    Saved = false;
    CheckAxes();
}

std::int64_t TRecording::DataSize() const
{
    std::int64_t perSample = 0;
    for (int i = 0; i < ChannelCount; ++i)
        perSample += (HasMinMaxValues ? 3 : 1) * (Channel(i).Has32BitSize ? 4 : 2);
    if (HasTimeStamps)
        perSample += 4;
    if (HasStates)
        perSample += 2;
    return perSample * std::max<std::int64_t>(RecordCount, 0);
}

int TRecording::FindRemark(std::int32_t remarkId) const
{
    for (std::size_t i = 0; i < Remarks.size(); ++i)
        if (Remarks[i].RemarkId == remarkId)
            return static_cast<int>(i);
    return -1;
}

void TRecording::DeleteRemark(int index)
{
    if (index < 0 || index >= static_cast<int>(Remarks.size()))
        return;
    Remarks.erase(Remarks.begin() + index);
    Saved = false;
}

bool TRecording::HasAnchorChannel(const TRemarkData& remark) const
{
    return remark.AnchorChannel >= 0 && remark.AnchorChannel < ChannelCount &&
           Channels[static_cast<std::size_t>(remark.AnchorChannel)] != nullptr;
}

std::int32_t TRecording::GetRemarkIndex(const TRemarkData& remark) const
{
    if (TimeShiftActive && remark.AnchorIndex >= 0 && HasAnchorChannel(remark))
        return ClampTo32(std::int64_t(remark.AnchorIndex) + Channel(remark.AnchorChannel).TimeShift);
    return remark.AnchorIndex;
}

void TRecording::SetRemarkIndex(std::int32_t index, TRemarkData& remark) const
{
    if (TimeShiftActive && index >= 0 && HasAnchorChannel(remark))
        remark.AnchorIndex = ClampTo32(std::int64_t(index) - Channel(remark.AnchorChannel).TimeShift);
    else
        remark.AnchorIndex = index;
}

} // namespace vro
