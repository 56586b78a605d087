#include "device/setupedit/vro8startrecording.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "core/values/vro8utils.h"
#include "device/manager/vro8manager.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vro {

// ---- choices -----------------------------------------------------------------------------------

int TVro8StartChoices::RateRow() const
{
    const int row =
        SaveToVro ? TVro8StartRates::RowOfIndex(false, VroRateIndex) : TVro8StartRates::RowOfIndex(true, PcRateIndex);
    return row >= 0 ? row : (SaveToVro ? TVro8StartRates::VroDefaultRow : TVro8StartRates::PcDefaultRow);
}

std::int64_t TVro8StartChoices::Interval() const { return TVro8StartRates::Interval(RateRow()); }

std::int64_t TVro8StartChoices::Samples() const
{
    const int t = TVro8RecordingTimes::Valid(TimeIndex) ? TimeIndex : TVro8RecordingTimes::DefaultIndex;
    return TVro8RecordingTimes::Samples(RateRow(), t);
}

int TVro8StartChoices::TypeCount(bool saveToVro, int comVersion) { return saveToVro && comVersion >= 3 ? 4 : 3; }

bool TVro8StartChoices::AutomaticShown() const
{
    return RecordingType == 1 || RecordingType == 3 || (RecordingType == 2 && SaveToVro);
}

TVro8StartChoices& TVro8StartChoices::Remembered()
{
    static TVro8StartChoices choices;
    return choices;
}

// ---- checks ------------------------------------------------------------------------------------

namespace {

// The first channel on the input (and sub-channel unless it is 0), as the
// recorder's channel list holds it.
const TVro8ChannelDescription* FindIn(const std::vector<TVro8ChannelDescription>& list, int input, int sub)
{
    for (const auto& c : list)
        if (c.Input == input && (sub == 0 || c.SubChannel == sub))
            return &c;
    return nullptr;
}

// Detail text of an active trigger's fault, 0 when it is sound.
int TriggerFault(const TVro8TriggerEventWrapper& t, const TVro8StartCheckInput& in)
{
    switch (t.Source()) {
    case 1: {
        // The digital trigger inputs are inputs of their own: I and J, D on layout 5.
        const int input = in.ComVersion == 5 ? 3 : (t.Input() == 0 ? 8 : 9);
        return FindIn(in.Channels, input, 0) ? 1168 : 0;
    }
    case 2: {
        const TVro8ChannelDescription* c = FindIn(in.Channels, t.Sensor(), t.SubChannel());
        if (!c)
            return 1163;
        return t.Value() < c->LoRange || t.Value() > c->HiRange ? 1164 : 0;
    }
    case 3: {
        const TVro8ChannelDescription* c = FindIn(in.Channels, t.Sensor(), t.SubChannel());
        if (!c)
            return 1163;
        if (t.LoLimet() < c->LoRange || t.LoLimet() > c->HiRange || t.HiLimit() < c->LoRange ||
            t.HiLimit() > c->HiRange)
            return 1165;
        const std::int64_t span = std::int64_t{c->HiRange} - c->LoRange;
        const std::int64_t width = std::int64_t{t.HiLimit()} - t.LoLimet();
        return width < 3 * std::max<std::int64_t>(1, span / 200) ? 1166 : 0;
    }
    case 4: {
        if (t.Count() > 1 || t.StartMode() == 0)
            return 0;
        const double start = ConvertDvxDateToDateTime(DvxDatePart(t.StartDate()) + DvxTimeOfDay(t.StartTime()));
        return start < in.Now ? 1167 : 0;
    }
    default: return 0;
    }
}

} // namespace

TVro8StartCheck Vro8CheckStart(const TVro8StartChoices& ch, const TVro8StartCheckInput& in)
{
    TVro8StartCheck r;
    r.Channels = static_cast<int>(in.Channels.size());
    r.Interval = ch.Interval();
    r.Samples = ch.Samples();
    auto fail = [&r](int n) {
        r.Text = n;
        r.Message = text(n);
        return r;
    };
    if (r.Channels == 0)
        return fail(1154);
    const std::int64_t channels = r.Channels;
    if (ch.RecordingType != 2) {
        if (ch.SaveToVro && in.Sensors) {
            const TVro8SensorSetupWrapper b = in.Sensors->Sensor(1);
            if (b.ActiveState() && b.Mode() > 2 && r.Interval < 10)
                return fail(1169);
        }
        if (ch.SaveToVro) {
            if (r.Interval < (channels + 1) / 2)
                return fail(1171);
        } else {
            // interval / 10000 s < (2 ch + 6) * 11 / min(baud, 115000), in integers.
            const std::int64_t baud = std::clamp<std::int64_t>(in.BaudRate, 1, 115000);
            if (r.Interval * baud < (2 * channels + 6) * 11 * 10000)
                return fail(1157);
        }
        if (r.Samples < 500)
            return fail(1158);
        if (ch.SaveToVro && in.Sensors && r.Interval < 10) {
            for (int i = 0; i < 4 && i < Vro8SensorCount(in.ComVersion); ++i)
                if (in.Sensors->Sensor(i).ActiveState() && in.Sensors->SmartFlag(i) != 0)
                    return fail(1173);
        }
        const std::int64_t total = channels * r.Samples;
        if (ch.SaveToVro ? total > 500000 : total > 1000000)
            return fail(ch.SaveToVro ? 1170 : 1159);
    }
    if (ch.RecordingType != 0 && in.Triggers) {
        const int events = Vro8TriggerEventCount(in.ComVersion);
        bool any = false;
        for (int i = 0; i < events; ++i) {
            const TVro8TriggerEventWrapper t = in.Triggers->Event(i);
            if (!t.ActiveState())
                continue;
            any = true;
            if (const int detail = TriggerFault(t, in)) {
                r.Text = 1156;
                r.Trigger = i + 1;
                r.Detail = detail;
                r.Message = text(1156) + " " + std::to_string(i + 1) + "\n" + text(detail);
                return r;
            }
        }
        if (!any)
            return fail(1155);
    }
    return r;
}

// ---- services ----------------------------------------------------------------------------------

TVro8StartServices Vro8StartServices(TVro8Manager& m)
{
    TVro8StartServices s;
    s.StartRemote = [&m](bool repeat) { return m.Device().RemoteRecording.StartRemoteRecording(repeat) == 1; };
    s.GetRecorderState = [&m] { return m.Device().RemoteRecording.GetRecorderState(); };
    s.StopRemote = [&m] { m.Device().RemoteRecording.StopRemoteRecording(); };
    s.Download = [&m](bool saveToFile) { return m.DownloadRemoteRecording(saveToFile); };
    s.PrepareSeries = [&m](const std::string& base, int number, const std::string& comment) {
        m.SeriesBaseName = base;
        m.SeriesNumber = number;
        m.RecordingComment = comment;
    };
    s.ReadChannels = [&m] {
        TVro8Measurement& meas = m.Device().Measurement;
        meas.ReadChannels();
        std::vector<TVro8ChannelDescription> out;
        for (int i = 0; i < meas.ChannelCount(); ++i)
            out.push_back(meas.Channel(i));
        return out;
    };
    s.BaudRate = [&m] { return m.Connector().GetBaudrate(); };
    s.NowMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    s.Now = [] { return DvxNow(); };
    return s;
}

// ---- the page ----------------------------------------------------------------------------------

TVro8StartRecording::TVro8StartRecording(TVro8Setup& setup, TVro8StartServices services, TVro8StartChoices& choices)
    : setup_(setup), svc_(std::move(services)), choices_(choices)
{}

void TVro8StartRecording::Open()
{
    setup_.ReadBlock(EVro8Block::Sensor);
    setup_.ReadBlock(EVro8Block::Trigger);
    setup_.ReadBlock(EVro8Block::Recording);
    if (svc_.ReadChannels)
        channels_ = svc_.ReadChannels();
    ChoicesChanged();
    RefreshNeeded = false;
}

void TVro8StartRecording::ChoicesChanged()
{
    if (choices_.RecordingType < 0 ||
        choices_.RecordingType >= TVro8StartChoices::TypeCount(choices_.SaveToVro, setup_.ComVersion()))
        choices_.RecordingType = 0;
    if (TVro8StartRates::RowOfIndex(false, choices_.VroRateIndex) < 0)
        choices_.VroRateIndex = TVro8StartRates::IndexOfRow(false, TVro8StartRates::VroDefaultRow);
    if (TVro8StartRates::RowOfIndex(true, choices_.PcRateIndex) < 0)
        choices_.PcRateIndex = TVro8StartRates::IndexOfRow(true, TVro8StartRates::PcDefaultRow);
    if (!TVro8RecordingTimes::Valid(choices_.TimeIndex))
        choices_.TimeIndex = TVro8RecordingTimes::DefaultIndex;
    choices_.RecordingOption = std::clamp(choices_.RecordingOption, 0, 1);
    choices_.PreTrigger = std::clamp(choices_.PreTrigger, 0, 10);
}

std::vector<std::string> TVro8StartRecording::Controls() const
{
    const std::string rate = "SampleRateComboBox", time = "x15x30xRecordingTimeComboBox",
                      automatic = "x44x45xAutomaticModeComboBox", trigger = "TriggerSettingsLabel";
    std::vector<std::string> out{"x60x63xRecordingTypeComboBox", "x47x48xSaveRecordingDataComboBox",
                                 "SensorSettingsLabel"};
    auto add = [&out](std::initializer_list<std::string> l) { out.insert(out.end(), l); };
    switch (choices_.RecordingType) {
    case 0: add({rate, time, "x54x55xRecordingOptionComboBox"}); break;
    case 1: add({rate, time, trigger, "x33x43xPreTriggerComboBox", automatic}); break;
    case 2:
        add({trigger});
        if (choices_.SaveToVro)
            add({automatic});
        break;
    default: add({"StartTriggerLabel", "StopTriggerLabel", rate, time, automatic}); break;
    }
    out.push_back(choices_.SaveToVro ? "NameEdit" : "CommentMemo");
    return out;
}

std::vector<std::string> TVro8StartRecording::TypeEntries() const
{
    return Vro8TextRange(1234, 1233 + TVro8StartChoices::TypeCount(choices_.SaveToVro, setup_.ComVersion()));
}

std::vector<std::string> TVro8StartRecording::RateEntries() const
{
    std::vector<std::string> out;
    for (int i = 0; i < TVro8StartRates::Count(!choices_.SaveToVro); ++i)
        out.emplace_back(TVro8StartRates::Label(!choices_.SaveToVro, i));
    return out;
}

std::vector<std::string> TVro8StartRecording::TimeEntries() const
{
    return Vro8TextRange(TVro8RecordingTimes::FirstText,
                         TVro8RecordingTimes::FirstText + TVro8RecordingTimes::Count - 1);
}

std::string TVro8StartRecording::SensorSummary() const
{
    std::string out;
    for (int i = 0; i < Vro8SensorCount(setup_.ComVersion()); ++i) {
        if (!setup_.Data.Sensors.Sensor(i).ActiveState())
            continue;
        if (!out.empty())
            out += "\n";
        out += Vro8ChannelLetter(i) + ": " + setup_.SensorDescription(i);
    }
    return out.empty() ? text(1154) : out;
}

std::string TVro8StartRecording::TriggerSummary() const
{
    std::string out;
    for (int i = 0; i < Vro8TriggerEventCount(setup_.ComVersion()); ++i) {
        if (!setup_.Data.Triggers.Event(i).ActiveState())
            continue;
        if (!out.empty())
            out += "\n";
        out += std::to_string(i + 1) + ": " + setup_.TriggerDescription(i);
    }
    return out.empty() ? text(1155) : out;
}

bool TVro8StartRecording::HasStartStopSummaries() const { return setup_.ComVersion() >= 3; }
std::string TVro8StartRecording::StartTriggerSummary() const { return setup_.TriggerDescription(0); }
std::string TVro8StartRecording::StopTriggerSummary() const { return setup_.TriggerDescription(1); }

TVro8StartCheck TVro8StartRecording::Check() const
{
    TVro8StartCheckInput in;
    in.ComVersion = setup_.ComVersion();
    in.Sensors = &setup_.Data.Sensors;
    in.Triggers = &setup_.Data.Triggers;
    in.Channels = channels_;
    in.BaudRate = svc_.BaudRate ? svc_.BaudRate() : 460800;
    in.Now = svc_.Now ? svc_.Now() : DvxNow();
    return Vro8CheckStart(choices_, in);
}

void TVro8StartRecording::StoreIntoBlock()
{
    TVro8RecordingSetup& r = setup_.RecordingSetup();
    r.SetRecordingType(static_cast<std::uint16_t>(choices_.RecordingType));
    r.SetDuration(static_cast<std::uint16_t>(choices_.TimeIndex));
    r.SetSimpleCurvMode(static_cast<std::uint16_t>(choices_.RecordingOption));
    r.SetTriggerPosition(static_cast<std::uint16_t>(choices_.PreTrigger));
    r.SetSampleRate(static_cast<std::uint16_t>(choices_.RateRow()));
    r.SetRecordingName(choices_.Name);
}

std::optional<TVro8StartRecording::TNotice> TVro8StartRecording::Start()
{
    ChoicesChanged();
    choices_.Name = DvxTrim(choices_.Name);
    if (choices_.SaveToVro)
        StoreIntoBlock();
    try {
        setup_.WriteBlock(EVro8Block::Recording);
        if (svc_.ReadChannels)
            channels_ = svc_.ReadChannels();
    } catch (const std::exception& e) {
        return TNotice{e.what(), true};
    }
    const TVro8StartCheck check = Check();
    if (!check.Ok())
        return TNotice{check.Message, false};
    if (choices_.SaveToVro && choices_.Name.empty())
        return TNotice{text(1172), false};
    if (!choices_.SaveToVro && !svc_.StartOnline)
        return TNotice{text(684), false};
    automatic_ = choices_.AutomaticInEffect();
    std::string base;
    if (automatic_) {
        const std::optional<std::string> name = svc_.AskSeriesName ? svc_.AskSeriesName() : std::nullopt;
        if (!name || name->empty())
            return std::nullopt;
        base = *name;
    }
    if (svc_.PrepareSeries)
        svc_.PrepareSeries(base, 1, choices_.Comment);
    files_.clear();
    return StartRun(false);
}

std::optional<TVro8StartRecording::TNotice> TVro8StartRecording::StartRun(bool repeat)
{
    if (!choices_.SaveToVro) {
        state_ = EState::OnlineRun;
        if (svc_.SetBusy)
            svc_.SetBusy(true, false);
        if (!svc_.StartOnline(automatic_, repeat, choices_))
            EndBusy();
        return std::nullopt;
    }
    bool started = false;
    try {
        started = svc_.StartRemote(repeat);
    } catch (const std::exception& e) {
        EndBusy();
        return TNotice{e.what(), true};
    }
    if (!started) {
        EndBusy();
        return TNotice{text(1281), false};
    }
    state_ = EState::RemoteRunning;
    startedHere_ = true;
    cancel_ = false;
    phase_ = 0;
    stateLine_ = PhaseText(0);
    if (svc_.SetBusy)
        svc_.SetBusy(true, true);
    return std::nullopt;
}

std::string TVro8StartRecording::PhaseText(int phase)
{
    const std::string t = text(1282);
    switch (phase) {
    case 1:
    case 5: return ". " + t + " .";
    case 2:
    case 4: return ".. " + t + " ..";
    case 3: return "... " + t + " ...";
    default: return t;
    }
}

void TVro8StartRecording::SetProgress(int perMille)
{
    stateLine_ = text(1284) + "\n" + std::to_string(std::clamp(perMille, 0, 1000) / 10) + " %";
}

void TVro8StartRecording::EndBusy()
{
    state_ = EState::Editing;
    startedHere_ = false;
    automatic_ = false;
    stateLine_.clear();
    if (svc_.SetBusy)
        svc_.SetBusy(false, false);
}

std::optional<TVro8StartRecording::TNotice> TVro8StartRecording::PeriodicUpdate()
{
    if (state_ == EState::Pausing) {
        // No state polling in the pause: the finished run would be read out twice.
        if (svc_.NowMs() - pauseStart_ < kPauseMs)
            return std::nullopt;
        return StartRun(true);
    }
    if (state_ != EState::RemoteRunning)
        return std::nullopt;
    std::int32_t state = 2;
    try {
        state = svc_.GetRecorderState();
    } catch (const std::exception& e) {
        EndBusy();
        return TNotice{e.what(), true};
    }
    if (state == 0) {
        phase_ = (phase_ + 1) % 6;
        stateLine_ = PhaseText(phase_);
        return std::nullopt;
    }
    if (state == 1 && startedHere_)
        return ReadOut();
    EndBusy();
    return std::nullopt;
}

std::optional<TVro8StartRecording::TNotice> TVro8StartRecording::ReadOut()
{
    state_ = EState::ReadingOut;
    SetProgress(0);
    std::string file;
    try {
        file = svc_.Download(automatic_);
    } catch (const EVro8SaveFailed&) {
        // The recording went to the documents unsaved; the series ends.
        EndBusy();
        return TNotice{text(18), false};
    } catch (const std::exception& e) {
        const bool cancelled = cancel_;
        EndBusy();
        if (cancelled)
            return std::nullopt;
        return TNotice{e.what(), true};
    }
    if (cancel_) {
        EndBusy();
        return std::nullopt;
    }
    if (!file.empty())
        files_.push_back(file);
    if (!automatic_) {
        EndBusy();
        return std::nullopt;
    }
    state_ = EState::Pausing;
    stateLine_ = text(1283);
    pauseStart_ = svc_.NowMs();
    return std::nullopt;
}

void TVro8StartRecording::Watch()
{
    state_ = EState::RemoteRunning;
    startedHere_ = false;
    automatic_ = false;
    phase_ = 0;
    stateLine_ = PhaseText(0);
    if (svc_.SetBusy)
        svc_.SetBusy(true, true);
}

void TVro8StartRecording::Stop()
{
    if (state_ == EState::ReadingOut) {
        cancel_ = true;
        return;
    }
    if (state_ == EState::RemoteRunning || state_ == EState::Pausing) {
        try {
            if (svc_.StopRemote)
                svc_.StopRemote();
        } catch (...) {
        }
    }
    EndBusy();
}

void TVro8StartRecording::OnlineRunEnded()
{
    if (state_ != EState::OnlineRun)
        return;
    if (automatic_) {
        StartRun(true);
        return;
    }
    EndBusy();
}

} // namespace vro
