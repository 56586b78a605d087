#include "core/manager/reference.h"

#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/manager/recordingmanager.h"
#include "core/values/dvxdatautils.h"

#include <filesystem>

namespace vro {

namespace fs = std::filesystem;

// ---- TReferenceSettings ---------------------------------------------------

TReferenceSettings TReferenceSettings::Read(const TIniList& list, bool applyDefaults)
{
    const auto rd = [&](const cfg::TBoolKey& k) {
        return cfg::Read(list, applyDefaults ? cfg::ReferenceApplyDefault(k) : k);
    };
    TReferenceSettings s;
    s.TimeSettings = rd(cfg::kRefTimeSettings);
    s.AxisSettings = rd(cfg::kRefAxisSettings);
    s.CustomName = rd(cfg::kRefCustomName);
    s.FullRange = rd(cfg::kRefFullRange);
    s.CurrentRange = rd(cfg::kRefCurrentRange);
    s.ShowMeasurement = rd(cfg::kRefShowMeasurement);
    s.ColorAndLines = rd(cfg::kRefColorAndLines);
    s.Comment = rd(cfg::kRefComment);
    return s;
}

void TReferenceSettings::Write(TIniList& list) const
{
    cfg::Write(list, cfg::kRefTimeSettings, TimeSettings);
    cfg::Write(list, cfg::kRefAxisSettings, AxisSettings);
    cfg::Write(list, cfg::kRefCustomName, CustomName);
    cfg::Write(list, cfg::kRefFullRange, FullRange);
    cfg::Write(list, cfg::kRefCurrentRange, CurrentRange);
    cfg::Write(list, cfg::kRefShowMeasurement, ShowMeasurement);
    cfg::Write(list, cfg::kRefColorAndLines, ColorAndLines);
    cfg::Write(list, cfg::kRefComment, Comment);
}

// ---- Reference recording ----------------------------------------------------

void TRecordingManager::MakeReference() { reference_ = Active(); }

void TRecordingManager::DisableReferenceUse()
{
    UseReferenceWhileOpening = false;
    UseReferenceReceive = false;
}

bool TRecordingManager::FindReference()
{
    const std::string name = cfg::Read(config_, cfg::kRefFilename);
    for (int i = 0; i < Count(); ++i)
        if (SameFileName(Items(i).FileName, name)) {
            Activate(i);
            reference_ = &Items(i);
            return true;
        }
    if (name == "---")
        return false;
    const TMsgAnswer a =
        ui_.Ask("Wollen sie die Referenzaufnahme jetzt laden?!", TMsgButtons::YesNoCancel, TMsgIcon::Question);
    if (a == TMsgAnswer::Yes) {
        std::error_code ec;
        if (fs::exists(name, ec)) {
            // A file that cannot be opened is treated like a missing one.
            if (TRecording* r = OpenFile(name)) {
                reference_ = r;
                return true;
            }
        }
    }
    DisableReferenceUse();
    if (a != TMsgAnswer::Cancel)
        cfg::Write(config_, cfg::kRefFilename, "---");
    return false;
}

void TRecordingManager::ApplyReference(int index)
{
    if (index < 0 || index >= Count())
        return;
    TRecording* target = &Items(index); // stays valid when the reference is opened
    if (!reference_ && !FindReference())
        return;
    ApplyTo(*target, TReferenceSettings::Read(config_, true));
}

void TRecordingManager::ApplyReferenceToAll()
{
    for (TRecording* r : All()) {
        if (IndexOf(r) < 0)
            continue;
        if (!reference_ && !FindReference())
            return;
        ApplyTo(*r, TReferenceSettings::Read(config_, true));
    }
}

void TRecordingManager::ApplyTo(TRecording& target, const TReferenceSettings& s)
{
    const TRecording& ref = *reference_;
    target.Saved = false;
    if (s.TimeSettings && target.Time && ref.Time && !ref.HasTimeStamps && !target.HasTimeStamps &&
        ref.SampleRate == target.SampleRate && ref.PreTriggerCount == target.PreTriggerCount &&
        ref.RecordingType == target.RecordingType && ref.RecordCount == target.RecordCount &&
        ref.RecordingSource == target.RecordingSource)
        target.Time->SetRange(ref.Time->LoRange, ref.Time->HiRange);

    // The reference's settings are taken before anything changes, so that a
    // recording that is its own reference reads what it had.
    struct TChannelSettings {
        std::string DeviceName, MeasureUnit, CustomName, Comment;
        std::int32_t DeviceLoRange, DeviceHiRange, Decimals;
        std::int32_t FullLoRange, FullHiRange, CurrentLoRange, CurrentHiRange;
        std::int32_t ColorIndex, Style;
        bool Visible, ShowMinMax;
    };
    std::vector<TChannelSettings> rc;
    for (int i = 0; i < ref.ChannelCount; ++i) {
        const auto& c = ref.Channel(i);
        rc.push_back({c.DeviceName, c.MeasureUnit, c.CustomName, c.Comment, c.DeviceLoRange, c.DeviceHiRange,
                      c.Decimals, c.FullLoRange, c.FullHiRange, c.CurrentLoRange, c.CurrentHiRange, c.ColorIndex,
                      c.Style, c.Visible, c.ShowMinMax});
    }
    const std::int32_t refX = ref.XAxisIndex, refLeft = ref.LeftYAxis, refRight = ref.RightYAxis;

    for (int r = 0; r < static_cast<int>(rc.size()); ++r) {
        const TChannelSettings& from = rc[static_cast<std::size_t>(r)];
        for (int t = 0; t < target.ChannelCount; ++t) {
            auto& to = target.Channel(t);
            if (to.DeviceName != from.DeviceName || to.DeviceLoRange != from.DeviceLoRange ||
                to.DeviceHiRange != from.DeviceHiRange || to.Decimals != from.Decimals ||
                to.MeasureUnit != from.MeasureUnit)
                continue;
            if (s.AxisSettings) {
                if (refX == r)
                    target.XAxisIndex = t;
                target.LeftYAxis = SetBit(target.LeftYAxis, t, GetBit(refLeft, r));
                target.RightYAxis = SetBit(target.RightYAxis, t, GetBit(refRight, r));
            }
            if (s.CustomName)
                to.CustomName = from.CustomName;
            if (s.ShowMeasurement)
                to.Visible = from.Visible;
            if (s.ColorAndLines) {
                to.ColorIndex = from.ColorIndex;
                to.Style = from.Style;
            }
            if (s.FullRange) {
                to.FullLoRange = from.FullLoRange;
                to.FullHiRange = from.FullHiRange;
            }
            if (s.CurrentRange) {
                to.CurrentLoRange = from.CurrentLoRange;
                to.CurrentHiRange = from.CurrentHiRange;
            }
            if (s.Comment)
                to.Comment = from.Comment;
            to.ShowMinMax = from.ShowMinMax;
        }
    }
    target.CheckAxes();
    target.History.Add(target.GetViewState());
    Refresh();
}

// ---- TReferenzForm ----------------------------------------------------------

TReferenzForm::TReferenzForm(TRecordingManager& manager, TIniList& config)
    : Settings(TReferenceSettings::Read(config, false)), manager_(manager), config_(config)
{
    fileName_ = cfg::Read(config, cfg::kRefFilename);
    UseReferenceReceive = cfg::Read(config, cfg::kUseReferenceReceive);
    UseReferenceWhileOpening = cfg::Read(config, cfg::kUseReferenceWhileOpening);
}

bool TReferenzForm::CanMakeReference() const
{
    const TRecording* a = manager_.Active();
    return a && !TRecordingManager::SameFileName(a->FileName, fileName_);
}

bool TReferenzForm::CanApplyToCurrent() const { return CanMakeReference() && fileName_ != "---"; }

bool TReferenzForm::CanApplyToAll() const
{
    if (manager_.Count() == 0 || fileName_ == "---")
        return false;
    return !(manager_.Count() == 1 && TRecordingManager::SameFileName(manager_.Items(0).FileName, fileName_));
}

void TReferenzForm::MakeCurrentReference()
{
    if (!CanMakeReference())
        return;
    manager_.MakeReference();
    fileName_ = manager_.Active()->FileName;
    Store();
}

void TReferenzForm::ApplyToCurrent()
{
    Store();
    manager_.ApplyReference(manager_.ActiveIndex());
}

void TReferenzForm::ApplyToAll()
{
    Store();
    manager_.ApplyReferenceToAll();
}

void TReferenzForm::Store()
{
    Settings.Write(config_);
    cfg::Write(config_, cfg::kRefFilename, fileName_);
    cfg::Write(config_, cfg::kUseReferenceReceive, UseReferenceReceive);
    cfg::Write(config_, cfg::kUseReferenceWhileOpening, UseReferenceWhileOpening);
    manager_.UseReferenceReceive = UseReferenceReceive;
    manager_.UseReferenceWhileOpening = UseReferenceWhileOpening;
}

} // namespace vro
