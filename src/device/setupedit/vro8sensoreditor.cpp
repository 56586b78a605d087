#include "device/setupedit/vro8sensoreditor.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <algorithm>

namespace vro {

namespace {

const char* const kLoRange = "LoRangeEdit";
const char* const kHiRange = "HiRangeEdit";
const char* const kUnit = "UnitComboBox";
const char* const kDecimals = "x44x47xDecimalFormatComboBox";
const char* const kSignal = "InputSignalComboBox";
const char* const kMode = "ModusComboBox";
const char* const kVolume = "VolEdit";
const char* const kPressure = "PressureEdit";
const char* const kFactor = "FactorEdit";

bool IsCanBus(const std::string& summary) { return DvxTrim(summary) == "CAN-Bus"; }

} // namespace

// ---- list view ---------------------------------------------------------------------------------

void TVro8SensorEditor::Open(bool readBlock)
{
    record_ = -1;
    if (readBlock)
        setup_.ReadBlock(EVro8Block::Sensor);
    Build();
    Refresh();
}

void TVro8SensorEditor::Build()
{
    const int v = setup_.ComVersion();
    TVro8SensorSetup& s = setup_.SensorSetup();
    Rows.clear();
    for (int i = 0; i < Vro8SensorCount(v); ++i) {
        TRow row;
        row.Caption = Vro8Format(text(1026), Vro8ChannelLetter(i));
        if (i < Vro8SmartInputCount(v)) {
            for (int j = 0; j < s.SmartFlag(i); ++j) {
                TSubRow sub;
                sub.Caption = "  |" + Vro8Format(text(1027), std::to_string(j + 1));
                sub.Label = "  |-> ";
                if (TVro8Device* dev = setup_.Device())
                    sub.Label += dev->SetupBlocks.SubChannelText(i, j);
                row.Subs.push_back(sub);
            }
        }
        Rows.push_back(row);
    }
    s.ClearSmartFlagsChanged();
}

void TVro8SensorEditor::Refresh()
{
    if (TVro8Device* dev = setup_.Device()) {
        dev->Measurement.ReadChannels();
        setup_.ReadSmartFlags();
    }
    if (setup_.SensorSetup().SmartFlagsChanged() ||
        Rows.size() != static_cast<std::size_t>(Vro8SensorCount(setup_.ComVersion())))
        Build();
    const TVro8SensorSetup& s = setup_.SensorSetup();
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        TRow& row = Rows[i];
        const TVro8SensorSetupWrapper w = s.Sensor(static_cast<int>(i));
        row.Checked = w.ActiveState();
        row.Summary = setup_.SensorDescription(static_cast<int>(i));
        row.Clickable = !IsCanBus(row.Summary);
        for (std::size_t j = 0; j < row.Subs.size(); ++j) {
            row.Subs[j].Checked = !GetBit(w.SubChannelMask(), static_cast<int>(j));
            row.Subs[j].Enabled = row.Clickable;
        }
    }
}

void TVro8SensorEditor::SetActive(int record, bool on)
{
    setup_.SensorSetup().Sensor(record).SetActiveState(on);
    if (record >= 0 && static_cast<std::size_t>(record) < Rows.size())
        Rows[static_cast<std::size_t>(record)].Checked = on;
    setup_.WriteBlock(EVro8Block::Sensor);
}

void TVro8SensorEditor::SetSubActive(int record, int sub, bool on)
{
    TVro8SensorSetupWrapper w = setup_.SensorSetup().Sensor(record);
    w.SetSubChannelMask(SetBit(w.SubChannelMask(), sub, !on));
    setup_.WriteBlock(EVro8Block::Sensor);
}

void TVro8SensorEditor::Ok() { setup_.WriteBlock(EVro8Block::Sensor); }

// ---- settings view -----------------------------------------------------------------------------

TVro8SensorEditor::EClass TVro8SensorEditor::ClassOf(int record, int comVersion)
{
    if (comVersion == 5)
        return record <= 2 ? EClass::Analog : record == 3 ? EClass::Counter : EClass::Calculated;
    return record <= 7 ? EClass::Analog : record <= 9 ? EClass::Counter : EClass::Calculated;
}

int TVro8SensorEditor::ChosenDecimals() const
{
    const int d = Decimals.Value();
    return d >= 0 && d <= 8 ? d : 0;
}

int TVro8SensorEditor::PressureDecimals() const
{
    int d = 0;
    const TVro8Device* dev = setup_.Device();
    if (dev && dev->Measurement.ChannelCount() > 0)
        d = dev->Measurement.Channel(0).Decimals;
    if (d < 0 || d > 8)
        d = 0;
    return d == 3 ? 3 : std::min(d + 1, 8);
}

bool TVro8SensorEditor::OpenSettings(int record)
{
    const int v = setup_.ComVersion();
    if (record < 0 || record >= Vro8SensorCount(v))
        return false;
    if (IsCanBus(setup_.SensorDescription(record)))
        return false;
    record_ = record;
    class_ = ClassOf(record, v);
    cancelShown_ = true;
    const TVro8SensorSetupWrapper w = setup_.SensorSetup().Sensor(record);
    Heading = text(999 + record);
    Name = w.Name();
    Decimals = TVro8Choice::Of(Vro8TextRange(1040, 1043), w.Decimals());
    const int d = ChosenDecimals();
    std::vector<std::string> signals;
    if (class_ != EClass::Calculated)
        for (int t : Vro8SignalTypeList(record, v))
            signals.push_back(text(Vro8SignalTypeText(t)));
    Signal = class_ == EClass::Calculated ? TVro8Choice{} : TVro8Choice::Of(signals, w.Signal());
    LoRange = Vro8FixText(w.LoRange(), d);
    HiRange = Vro8FixText(w.HiRange(), d);
    Volume = Vro8FixText(w.FactorLow(), d);
    Pressure = Vro8FixText(w.FactorHigh(), PressureDecimals());
    Factor = Vro8FixText(w.Factor(), 2);
    Unit = w.MUnit();
    if (class_ == EClass::Counter) {
        Mode = TVro8Choice{};
        UnitList = {"Hz", "kHz", "/min", "l/min", "USG/min"};
        UnitFreeText = true;
        return true;
    }
    std::vector<std::string> modes;
    if (class_ == EClass::Calculated) {
        modes = {text(1064), text(1065)};
    } else {
        modes = {text(1018), text(1019)};
        if (record == 1 && v != 5)
            modes.insert(modes.end(), {"", text(1062), text(1063)});
    }
    Mode = TVro8Choice::Of(modes, w.Mode());
    UnitList.clear();
    ModeChanged();
    return true;
}

std::vector<std::string> TVro8SensorEditor::SettingsRows() const
{
    switch (class_) {
    case EClass::Counter: return {kSignal, kUnit, kFactor, kHiRange, kDecimals};
    case EClass::Calculated:
        if (Mode.Value() == 1)
            return {kMode, kUnit, kHiRange, kDecimals};
        return {kMode};
    case EClass::Analog:
        if (Mode.Value() == 1)
            return {kMode, kSignal, kLoRange, kHiRange, kUnit, kDecimals};
        if (Mode.Value() == 4 && record_ == 1 && setup_.ComVersion() != 5)
            return {kMode, kDecimals, kUnit, kVolume, kPressure};
        return {kMode};
    }
    return {};
}

void TVro8SensorEditor::ModeChanged()
{
    const std::string munit = setup_.SensorSetup().Sensor(record_).MUnit();
    if (class_ == EClass::Analog) {
        if (Mode.Value() == 1) {
            UnitList = {"bar", "psi", "MPa", "°C", "°F", "Kelvin", "l/min", "USG/min", "kW", "PS", "hp"};
            UnitFreeText = true;
        } else if (Mode.Value() == 4 && record_ == 1 && setup_.ComVersion() != 5) {
            UnitList = {text(891), "l/min"};
            UnitFreeText = true;
        }
        Unit = munit;
    } else if (class_ == EClass::Calculated && Mode.Value() == 1) {
        UnitList = {"kW", "PS", "hp"};
        UnitFreeText = false;
        Unit = UnitList.front();
        for (const std::string& u : UnitList)
            if (DvxTrim(u) == DvxTrim(munit)) {
                Unit = u;
                break;
            }
    }
}

void TVro8SensorEditor::DecimalsChanged()
{
    if (!(class_ == EClass::Analog && record_ == 1 && Mode.Value() == 4 && setup_.ComVersion() != 5))
        return;
    TVro8SensorSetupWrapper w = setup_.SensorSetup().Sensor(record_);
    const int old = std::min<int>(w.Decimals(), 8);
    std::string t = Volume;
    std::int64_t raw = 0;
    try {
        raw = ConvertStrToDvxValue(DvxTrim(t), old, 4, true);
    } catch (const std::exception&) {
        raw = w.FactorLow();
    }
    w.SetDecimals(static_cast<std::uint16_t>(Decimals.Value()));
    Volume = Vro8FixText(raw, ChosenDecimals());
}

TVro8EditResult TVro8SensorEditor::SettingsOk()
{
    cancelShown_ = false;
    const int d = ChosenDecimals();
    const std::vector<std::string> rows = SettingsRows();
    const auto shown = [&rows](const char* name) { return std::find(rows.begin(), rows.end(), name) != rows.end(); };
    std::int64_t lo = 0, hi = 0, vol = 0, pressure = 0, factor = 0;
    if (class_ == EClass::Analog) {
        if (Mode.Value() == 1) {
            if (auto f = Vro8CheckFix(kLoRange, LoRange, d, -30000, 30000, lo))
                return f;
            if (auto f = Vro8CheckFix(kHiRange, HiRange, d, -30000, 30000, hi))
                return f;
        }
        if (shown(kPressure)) {
            if (auto f = Vro8CheckFix(kPressure, Pressure, PressureDecimals(), 0, 30000, pressure))
                return f;
            if (auto f = Vro8CheckFix(kVolume, Volume, d, 0, 30000, vol))
                return f;
        }
    } else if (shown(kHiRange)) {
        if (auto f = Vro8CheckFix(kHiRange, HiRange, d, 100, 30000, hi))
            return f;
        if (class_ == EClass::Counter)
            if (auto f = Vro8CheckFix(kFactor, Factor, 2, 0, 2147483647, factor))
                return f;
    }
    // Every shown field passed: now the record takes them.
    TVro8SensorSetupWrapper w = setup_.SensorSetup().Sensor(record_);
    w.SetDecimals(static_cast<std::uint16_t>(Decimals.Value()));
    if (class_ == EClass::Analog) {
        if (Mode.Value() == 1) {
            w.SetLoRange(static_cast<std::int16_t>(lo));
            w.SetHiRange(static_cast<std::int16_t>(hi));
        }
        if (shown(kPressure)) {
            w.SetFactorHigh(static_cast<std::uint16_t>(pressure));
            w.SetFactorLow(static_cast<std::uint16_t>(vol));
        }
        w.SetMode(static_cast<std::uint16_t>(Mode.Value()));
    } else {
        if (shown(kHiRange))
            w.SetHiRange(static_cast<std::int16_t>(hi));
        if (class_ == EClass::Counter)
            w.SetFactor(static_cast<std::uint32_t>(factor));
        else
            w.SetMode(static_cast<std::uint16_t>(Mode.Value()));
    }
    w.SetName(Name);
    if (class_ != EClass::Calculated)
        w.SetSignal(static_cast<std::uint16_t>(Signal.Value()));
    if (class_ != EClass::Calculated || shown(kUnit))
        w.SetMUnit(Unit.substr(0, std::min<std::size_t>(Unit.size(), 8)));
    setup_.WriteBlock(EVro8Block::Sensor);
    record_ = -1;
    Refresh();
    return std::nullopt;
}

void TVro8SensorEditor::SettingsCancel() { record_ = -1; }

} // namespace vro
