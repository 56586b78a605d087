#include "device/setupedit/vro8blockeditors.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

namespace vro {

// ---- base --------------------------------------------------------------------------------------

void TVro8BaseEditor::Open()
{
    setup_.ReadBlock(EVro8Block::Base);
    Load();
}

void TVro8BaseEditor::Load()
{
    const TVro8BaseSetup& b = setup_.BaseSetup();
    PreassureUnit = TVro8Choice::Of(Vro8TextRange(891, 894), b.PreassureUnit());
    TemperatureUnit = TVro8Choice::Of(Vro8TextRange(895, 898), b.TemperatureUnit());
    FlowUnit = TVro8Choice::Of(Vro8TextRange(899, 901), b.FlowUnit());
}

void TVro8BaseEditor::Ok()
{
    TVro8BaseSetup& b = setup_.BaseSetup();
    b.SetPreassureUnit(static_cast<std::uint16_t>(PreassureUnit.Value()));
    b.SetTemperatureUnit(static_cast<std::uint16_t>(TemperatureUnit.Value()));
    b.SetFlowUnit(static_cast<std::uint16_t>(FlowUnit.Value()));
    setup_.WriteBlock(EVro8Block::Base);
}

// ---- display -----------------------------------------------------------------------------------

void TVro8DisplayEditor::Open()
{
    setup_.ReadBlock(EVro8Block::Display);
    Load();
}

void TVro8DisplayEditor::Load()
{
    const TVro8DisplaySetup& d = setup_.DisplaySetup();
    Filter = TVro8Choice::Of(Vro8TextRange(871, 874), d.Filter());
    Kind = TVro8Choice::Of(Vro8TextRange(877, 882), d.Kind());
    Bar = TVro8Choice::Of(Vro8TextRange(875, 876), d.Bar());
    MinMax = TVro8Choice::Of(Vro8TextRange(883, 884), d.MinMax());
}

void TVro8DisplayEditor::Ok()
{
    TVro8DisplaySetup& d = setup_.DisplaySetup();
    d.SetFilter(static_cast<std::uint16_t>(Filter.Value()));
    d.SetKind(static_cast<std::uint16_t>(Kind.Value()));
    d.SetBar(static_cast<std::uint16_t>(Bar.Value()));
    d.SetMinMax(static_cast<std::uint16_t>(MinMax.Value()));
    setup_.WriteBlock(EVro8Block::Display);
}

// ---- recording ---------------------------------------------------------------------------------

void TVro8RecordingEditor::Open()
{
    setup_.ReadBlock(EVro8Block::Recording);
    Load();
}

void TVro8RecordingEditor::Load()
{
    const TVro8RecordingSetup& r = setup_.RecordingSetup();
    RecordingName = r.RecordingName();
    std::vector<std::string> types = Vro8TextRange(826, 828);
    if (setup_.ComVersion() >= 3)
        types.push_back(text(849));
    RecordingType = TVro8Choice::Of(std::move(types), r.RecordingType());
    SampleRate = TVro8Choice::Of(Vro8TextRange(808, 825), r.SampleRate());
    Duration = TVro8Choice::Of(Vro8TextRange(829, 844), r.Duration());
    SimpleCurvMode = TVro8Choice::Of(Vro8TextRange(845, 846), r.SimpleCurvMode());
    TriggerPosition = TVro8Choice::Of(Vro8TextRange(851, 861), r.TriggerPosition());
}

std::vector<std::string> TVro8RecordingEditor::Rows() const
{
    const std::string rate = "x7x24xSampleRateComboBox", duration = "x28x43xDurationComboBox";
    switch (RecordingType.Value()) {
    case 0: return {rate, duration, "x44x45xSimpleCurveModeComboBox"};
    case 1: return {rate, duration, "x50x60xTriggerPositionComboBox"};
    case 2: return {};
    default: return {rate, duration};
    }
}

TVro8EditResult TVro8RecordingEditor::Ok()
{
    if (DvxTrim(RecordingName).empty())
        return TVro8EditFailure{"RecordingNameEdit", text(746)};
    TVro8RecordingSetup& r = setup_.RecordingSetup();
    r.SetRecordingName(RecordingName);
    r.SetRecordingType(static_cast<std::uint16_t>(RecordingType.Value()));
    r.SetSampleRate(static_cast<std::uint16_t>(SampleRate.Value()));
    r.SetDuration(static_cast<std::uint16_t>(Duration.Value()));
    r.SetSimpleCurvMode(static_cast<std::uint16_t>(SimpleCurvMode.Value()));
    r.SetTriggerPosition(static_cast<std::uint16_t>(TriggerPosition.Value()));
    setup_.WriteBlock(EVro8Block::Recording);
    return std::nullopt;
}

void TVro8RecordingEditor::Cancel() { Open(); }

} // namespace vro
