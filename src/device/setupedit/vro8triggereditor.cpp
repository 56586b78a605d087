#include "device/setupedit/vro8triggereditor.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "core/values/dvxdatetime.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <algorithm>

namespace vro {

TVro8TriggerDrawing Vro8TriggerDrawing(int combination)
{
    TVro8TriggerDrawing d;
    d.Lines = {{130, 10, 100, 10}, {100, 10, 100, 100}, {100, 100, 130, 100}};
    static constexpr int kY[4] = {20, 38, 72, 90};
    bool combined[4] = {false, false, false, false};
    auto box = [&d](int top, int height, int outY) {
        d.Boxes.push_back({30, top, 28, height});
        d.Lines.push_back({58, outY, 100, outY});
    };
    switch (combination) {
    case 1:
        box(15, 28, 29);
        combined[0] = combined[1] = true;
        break;
    case 2:
        box(15, 62, 46);
        combined[0] = combined[1] = combined[2] = true;
        break;
    case 3:
        box(15, 80, 55);
        std::fill(std::begin(combined), std::end(combined), true);
        break;
    case 4:
        box(15, 28, 29);
        box(67, 28, 81);
        std::fill(std::begin(combined), std::end(combined), true);
        break;
    default: break;
    }
    for (int i = 0; i < 4; ++i)
        d.Lines.push_back({10, kY[i], combined[i] ? 30 : 100, kY[i]});
    return d;
}

double TVro8TriggerEditor::LatestStart()
{
    return ConvertDvxDateToDateTime(0x7FFFFFFFu); // 2000 + 2^31-1 s = 2068-01-19 03:14:07
}

// ---- main view ---------------------------------------------------------------------------------

int TVro8TriggerEditor::EventCount() const { return Vro8TriggerEventCount(setup_.ComVersion()); }

void TVro8TriggerEditor::Open(bool readChannels)
{
    event_ = -1;
    forStart_ = false;
    closed_ = false;
    if (TVro8Device* dev = setup_.Device()) {
        if (readChannels)
            dev->Measurement.ReadChannels();
        setup_.ReadSmartFlags();
    }
    setup_.ReadBlock(EVro8Block::Trigger);
    Load();
}

void TVro8TriggerEditor::Load()
{
    const TVro8TriggerSetup& t = setup_.TriggerSetup();
    Active.clear();
    Summaries.clear();
    for (int i = 0; i < EventCount(); ++i) {
        Active.push_back(t.Event(i).ActiveState());
        Summaries.push_back(setup_.TriggerDescription(i));
    }
    const int combos = setup_.ComVersion() == 5 ? 2 : 5;
    Combination = TVro8Choice::Of(Vro8TextRange(915, 914 + combos), static_cast<int>(t.Combination()));
}

void TVro8TriggerEditor::SetActive(int event, bool on)
{
    setup_.TriggerSetup().Event(event).SetActiveState(on);
    setup_.WriteBlock(EVro8Block::Trigger);
    setup_.ReadBlock(EVro8Block::Trigger);
    Load();
}

void TVro8TriggerEditor::Ok()
{
    TVro8TriggerSetup& t = setup_.TriggerSetup();
    for (int i = 0; i < EventCount() && i < static_cast<int>(Active.size()); ++i)
        t.Event(i).SetActiveState(Active[static_cast<std::size_t>(i)]);
    t.SetCombination(static_cast<std::uint32_t>(Combination.Value()));
    setup_.WriteBlock(EVro8Block::Trigger);
}

bool TVro8TriggerEditor::Cancel()
{
    try {
        setup_.ReadBlock(EVro8Block::Trigger);
    } catch (...) {
    }
    Load();
    if (event_ >= 0 && !forStart_) {
        event_ = -1;
        return true;
    }
    event_ = -1;
    forStart_ = false;
    closed_ = true;
    return false;
}

// ---- event view --------------------------------------------------------------------------------

std::vector<std::string> TVro8TriggerEditor::ChannelEntries() const
{
    const int n = setup_.ComVersion() == 5 ? 5 : 12;
    return Vro8TextRange(984, 983 + n);
}

int TVro8TriggerEditor::DecimalsOf(int sensor, int subChannel) const
{
    if (!setup_.FindChannel)
        return 0;
    const auto c = setup_.FindChannel(sensor, subChannel);
    return c && c->Decimals <= 8 ? c->Decimals : 0;
}

bool TVro8TriggerEditor::SubChannelShown(bool window) const
{
    const int input = (window ? WindowSensor : ValueSensor).Value();
    const int v = setup_.ComVersion();
    return v > 1 && input >= 0 && input < Vro8SmartInputCount(v) && setup_.SensorSetup().SmartFlag(input) != 0;
}

int TVro8TriggerEditor::ValueDecimals(bool window) const
{
    const TVro8Choice& sensor = window ? WindowSensor : ValueSensor;
    const TVro8Choice& sub = window ? WindowSub : ValueSub;
    return DecimalsOf(sensor.Value(), SubChannelShown(window) ? sub.Value() + 1 : 0);
}

void TVro8TriggerEditor::OpenEvent(int event)
{
    event_ = event;
    closed_ = false;
    const TVro8TriggerEventWrapper e = setup_.TriggerSetup().Event(event);
    Heading = Vro8Format(text(911), std::to_string(event + 1));
    Source = TVro8Choice::Of(Vro8TextRange(921, 925), e.Source());
    Input = TVro8Choice::Of(Vro8TextRange(938, 939), e.Input());
    Edge = TVro8Choice::Of(Vro8TextRange(941, 942), e.Edge());
    std::vector<std::string> subs;
    for (int n = 1; n <= 32; ++n)
        subs.push_back(Vro8Format(text(982), std::to_string(n)));
    ValueSensor = TVro8Choice::Of(ChannelEntries(), e.Sensor());
    WindowSensor = TVro8Choice::Of(ChannelEntries(), e.Sensor());
    const int sub = e.SubChannel() > 0 ? e.SubChannel() - 1 : 0;
    ValueSub = TVro8Choice::Of(subs, sub);
    WindowSub = TVro8Choice::Of(subs, sub);
    Direction = TVro8Choice::Of(Vro8TextRange(958, 959), e.Direction());
    valueDecimals_ = ValueDecimals(false);
    windowDecimals_ = ValueDecimals(true);
    Value = Vro8FixText(e.Value(), valueDecimals_);
    LoLimit = Vro8FixText(e.LoLimet(), windowDecimals_);
    HiLimit = Vro8FixText(e.HiLimit(), windowDecimals_);
    Count = std::to_string(e.Count());
    Distance = TVro8Choice::Of(Vro8TextRange(946, 954), e.Distance());
    StartMode = TVro8Choice::Of(Vro8TextRange(963, 964), e.StartMode());
    StartDate = DvxDateToText(e.StartDateValue());
    StartTime = DvxTimeToText(e.StartTimeValue());
}

void TVro8TriggerEditor::OpenForStart(int event)
{
    TVro8TriggerSetup& t = setup_.TriggerSetup();
    for (int i = 0; i < TVro8TriggerSetup::kEvents; ++i)
        t.Event(i).SetActiveState(i < 2);
    t.SetCombination(0);
    Load();
    OpenEvent(event);
    forStart_ = true;
}

std::vector<std::string> TVro8TriggerEditor::EventRows() const
{
    std::vector<std::string> rows{"x13x17xSourceComboBox"};
    switch (Source.Value()) {
    case 1:
        if (setup_.ComVersion() != 5)
            rows.push_back("InputComboBox");
        rows.push_back("EdgeComboBox");
        break;
    case 2:
        rows.push_back("ValueSensorComboBox");
        if (SubChannelShown(false))
            rows.push_back("ValueSubChannelComboBox");
        rows.insert(rows.end(), {"ValueEdit", "DirectionComboBox"});
        break;
    case 3:
        rows.push_back("WindowSensorComboBox");
        if (SubChannelShown(true))
            rows.push_back("WindowSubChannelComboBox");
        rows.insert(rows.end(), {"LoLimitEdit", "HiLimitEdit"});
        break;
    case 4:
        rows.insert(rows.end(), {"CountEdit", "DistanceComboBox", "StartModeComboBox"});
        if (StartMode.Value() == 1)
            rows.insert(rows.end(), {"StartDateEdit", "StartTimeEdit"});
        break;
    default: break;
    }
    return rows;
}

void TVro8TriggerEditor::ChannelChanged(bool window)
{
    // The raw values stay: read with the decimals they were shown with.
    auto reshow = [](std::string& text, int from, int to) {
        try {
            const std::int64_t raw = ConvertStrToDvxValue(DvxTrim(text), from, 4, true);
            text = Vro8FixText(raw, to);
        } catch (const std::exception&) {
        }
    };
    const int d = ValueDecimals(window);
    if (window) {
        reshow(LoLimit, windowDecimals_, d);
        reshow(HiLimit, windowDecimals_, d);
        windowDecimals_ = d;
    } else {
        reshow(Value, valueDecimals_, d);
        valueDecimals_ = d;
    }
}

TVro8EditResult TVro8TriggerEditor::EventOk()
{
    std::int64_t value = 0, lo = 0, hi = 0, count = 0;
    double date = 0, time = 0;
    const int source = Source.Value();
    const int vd = ValueDecimals(false), wd = ValueDecimals(true);
    if (source == 2) {
        if (auto f = Vro8CheckFix("ValueEdit", Value, vd, -30000, 30000, value))
            return f;
    } else if (source == 3) {
        if (auto f = Vro8CheckFix("LoLimitEdit", LoLimit, wd, -30000, 30000, lo))
            return f;
        if (auto f = Vro8CheckFix("HiLimitEdit", HiLimit, wd, -30000, 30000, hi))
            return f;
    } else if (source == 4) {
        if (auto f = Vro8CheckFix("CountEdit", Count, 0, 1, 30000, count))
            return f;
        if (StartMode.Value() == 1) {
            std::string msg = CheckDateText(StartDate, 36526.0, LatestStart());
            if (!msg.empty())
                return TVro8EditFailure{"StartDateEdit", msg};
            msg = CheckTimeText(StartTime);
            if (!msg.empty())
                return TVro8EditFailure{"StartTimeEdit", msg};
            date = DvxTextToDate(StartDate).value_or(36526.0);
            time = DvxTextToTime(StartTime).value_or(0.0);
            if (date + time > LatestStart())
                return TVro8EditFailure{
                    "StartTimeEdit", Vro8Format(LibraryTexts().DateTimeTooLateError, DvxDateTimeToText(LatestStart()))};
        }
    }
    TVro8TriggerEventWrapper e = setup_.TriggerSetup().Event(event_);
    e.SetSource(static_cast<std::uint16_t>(source));
    e.SetInput(static_cast<std::uint16_t>(Input.Value()));
    e.SetEdge(static_cast<std::uint16_t>(Edge.Value()));
    if (source == 2 || source == 3) {
        const bool window = source == 3;
        e.SetSensor(static_cast<std::uint8_t>((window ? WindowSensor : ValueSensor).Value()));
        e.SetSubChannel(
            static_cast<std::uint8_t>(SubChannelShown(window) ? (window ? WindowSub : ValueSub).Value() + 1 : 0));
    }
    e.SetDirection(static_cast<std::uint16_t>(Direction.Value()));
    if (source == 2)
        e.SetValue(static_cast<std::int16_t>(value));
    if (source == 3) {
        e.SetLoLimet(static_cast<std::int16_t>(lo));
        e.SetHiLimit(static_cast<std::int16_t>(hi));
    }
    if (source == 4) {
        e.SetCount(static_cast<std::uint16_t>(count));
        e.SetDistance(static_cast<std::uint16_t>(Distance.Value()));
        e.SetStartMode(static_cast<std::uint16_t>(StartMode.Value()));
        if (StartMode.Value() == 1) {
            e.SetStartDateValue(date);
            e.SetStartTimeValue(time);
        }
    }
    try {
        setup_.WriteBlock(EVro8Block::Trigger);
        if (!forStart_)
            setup_.ReadBlock(EVro8Block::Trigger);
    } catch (const std::exception&) {
        return TVro8EditFailure{};
    }
    Load();
    if (forStart_) {
        forStart_ = false;
        closed_ = true;
    }
    event_ = -1;
    return std::nullopt;
}

} // namespace vro
