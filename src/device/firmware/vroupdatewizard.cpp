#include "device/firmware/vroupdatewizard.h"

#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <filesystem>

namespace vro {

namespace {

constexpr int kTextCancelled = 558;
constexpr int kTextNoDevice = 564;
constexpr int kTextLoadFailed = 565;
constexpr int kTextTransferFailed = 568;
constexpr int kTextCheckFailed = 569;
constexpr int kTextTransferring = 574;
constexpr int kTextChecking = 575;
constexpr int kTextUnequal = 578;
constexpr int kTextIntroduction = 579;
constexpr int kTextLoaded = 580;
constexpr int kTextTransferred = 581;
constexpr int kTextChecked = 582;

} // namespace

std::string_view MarkerName(EVroMarker marker)
{
    switch (marker) {
    case EVroMarker::Yellow: return "yellow";
    case EVroMarker::Lime: return "lime";
    case EVroMarker::Red: return "red";
    case EVroMarker::Silver: break;
    }
    return "silver";
}

std::uint32_t MarkerRgb(EVroMarker marker)
{
    switch (marker) {
    case EVroMarker::Yellow: return 0xFFFF00;
    case EVroMarker::Lime: return 0x00FF00;
    case EVroMarker::Red: return 0xFF0000;
    case EVroMarker::Silver: break;
    }
    return 0xC0C0C0;
}

TVroUpdateWizard::TVroUpdateWizard(TVro8Device& device, std::string description, bool connected, IVroUpdateWizardUi& ui,
                                   std::uint32_t loadWaitMs)
    : device_(device), description_(std::move(description)), connected_(connected), ui_(ui), loadWaitMs_(loadWaitMs),
      flash_(device.FlashAreas)
{}

void TVroUpdateWizard::Initialise()
{
    BackVisible = false;
    Step = 0;
    RunIntroduction();
    if (!connected_ || !device_.Identified()) {
        InfoText = kTextNoDevice;
        NextVisible = false;
    }
    ui_.Changed();
}

std::string TVroUpdateWizard::InfoLabelText() const
{
    if (InfoCancelled)
        return text(kTextCancelled) + "\n\n" + text(InfoText);
    return text(InfoText);
}

int TVroUpdateWizard::HardwareVariant() const { return device_.Identified() ? device_.Ident().HardwareVariant : -1; }

void TVroUpdateWizard::RunStep()
{
    switch (Step) {
    case 0: RunIntroduction(); break;
    case 1: RunFileStep(); break;
    case 2: RunTransferStep(); break;
    case 3: RunCheckStep(); break;
    default: break;
    }
    ui_.Changed();
}

void TVroUpdateWizard::NextLabelClick()
{
    if (Running || !NextVisible || !NextEnabled)
        return;
    ++Step;
    if (Step <= 5)
        RunStep();
}

void TVroUpdateWizard::BackLabelClick()
{
    if (Running || !BackVisible)
        return;
    Step = 0;
    RunStep();
}

bool TVroUpdateWizard::CancelLabelClick()
{
    if (Running) {
        RequestCancel();
        return false;
    }
    return true;
}

void TVroUpdateWizard::RequestCancel()
{
    cancel_.store(true);
    device_.Connector().Cancel();
}

bool TVroUpdateWizard::CancelWanted() const { return cancel_.load(); }

void TVroUpdateWizard::TopPanelClick() { UnlockState = UnlockState == 0 ? 1 : 0; }
void TVroUpdateWizard::LeftPanelClick() { UnlockState = UnlockState == 1 ? 2 : 0; }
void TVroUpdateWizard::BottomPanelClick() { UnlockState = UnlockState == 2 ? 3 : 0; }

void TVroUpdateWizard::x1xDataLabelClick()
{
    if (Running)
        return;
    if (UnlockState != 3) {
        UnlockState = 0;
        return;
    }
    RunFileStep();
    ui_.Changed();
}

void TVroUpdateWizard::x2xSendToDeviceLabelClick()
{
    if (Running)
        return;
    if (UnlockState != 3) {
        UnlockState = 0;
        return;
    }
    RunTransferStep();
    ui_.Changed();
}

void TVroUpdateWizard::x3xCheckDataLabelClick()
{
    if (Running)
        return;
    if (UnlockState != 3) {
        UnlockState = 0;
        return;
    }
    RunCheckStep();
    ui_.Changed();
}

void TVroUpdateWizard::SetMarkers(EVroMarker a, EVroMarker b, EVroMarker c) { Markers = {a, b, c, EVroMarker::Silver}; }

void TVroUpdateWizard::RunIntroduction()
{
    InfoText = kTextIntroduction;
    InfoCancelled = false;
    BackVisible = false;
    PathLabel.clear();
    SetMarkers(EVroMarker::Silver, EVroMarker::Silver, EVroMarker::Silver);
    ProgressVisible = false;
}

bool TVroUpdateWizard::LoadFile(std::string& reason)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(FileName);
    } catch (const std::exception& e) {
        reason = e.what();
        return false;
    }
    const std::string joined = JoinUpdateFileLines(bytes);
    std::vector<std::string> lines0;
    std::vector<std::string> lines1;
    bool split = false;
    try {
        split = TVro8000HexConverter::Split(joined, lines0, HardwareCode, lines1);
    } catch (const EReConvert& e) {
        reason = e.Reason();
        return false;
    }
    const int variant = HardwareVariant();
    if (!HardwareCodeAccepted(variant, HardwareCode)) {
        reason = "hardware code \"" + HardwareCode + "\" is not for a recorder of hardware variant " +
                 std::to_string(variant);
        return false;
    }
    for (int area : {1, 0}) {
        flash_.SelectArea(area);
        try {
            flash_.ReadVersion();
        } catch (const std::exception& e) {
            reason = "area " + std::to_string(area) + ": no version answer (" + e.what() + ")";
            return false;
        }
        try {
            flash_.LoadHex(area == 1 ? lines1 : lines0, loadWaitMs_);
        } catch (const EReConvert& e) {
            reason = split ? e.Reason() : "hardware code \"" + HardwareCode + "\" is not split; " + e.Reason();
            return false;
        }
    }
    return true;
}

void TVroUpdateWizard::RunFileStep()
{
    std::string chosen = FileName;
    if (!ui_.ChooseFile(chosen)) {
        Step = 0;
        RunIntroduction();
        return;
    }
    FileName = chosen;
    Message.reset();
    MessageText.clear();
    Reason.clear();
    HardwareCode.clear();
    Written = {};
    AreaEqual = {};
    Cancelled = false;
    // Whatever this load brings, nothing of an earlier file stays.
    fileLoaded_ = false;
    flash_.DiscardImages();

    ui_.SetBusy(true);
    std::string reason;
    const bool ok = LoadFile(reason);
    ui_.SetBusy(false);
    if (!ok) {
        flash_.DiscardImages();
        Reason = reason;
        Message = kTextLoadFailed;
        MessageText =
            FormatMessage(text(kTextLoadFailed), {std::filesystem::path(FileName).filename().string(), description_});
        ui_.ShowError(MessageText);
        Step = 0;
        RunIntroduction();
        return;
    }
    fileLoaded_ = true;
    SetMarkers(EVroMarker::Lime, EVroMarker::Silver, EVroMarker::Silver);
    PathLabel = flash_.FileVersion(1) + " / " + flash_.FileVersion(0);
    InfoText = kTextLoaded;
    InfoCancelled = false;
    BackVisible = true;
}

void TVroUpdateWizard::RunWithProgress(const std::function<void()>& work)
{
    TDvxV24Connector& c = device_.Connector();
    c.SetOnProgress([this](int perMille) {
        ProgressPosition = perMille;
        ui_.Progress(perMille);
    });
    ui_.SetBusy(true);
    ui_.RunBlocking(work);
    ui_.SetBusy(false);
    c.SetOnProgress({});
    Running = false;
}

void TVroUpdateWizard::RunTransferStep()
{
    if (!fileLoaded_)
        return;
    NextEnabled = false;
    CancelEnabled = true;
    BackVisible = false;
    SetMarkers(EVroMarker::Lime, EVroMarker::Yellow, EVroMarker::Silver);
    ProgressVisible = true;
    TitleProgressText = kTextTransferring;
    ProgressPosition = 0;
    InfoCancelled = false;
    Written = {};
    AreaEqual = {};
    Reason.clear();
    Cancelled = false;
    cancel_.store(false);
    Running = true;
    ui_.Changed();

    bool ok = true;
    bool cancelled = false;
    int failedArea = -1;
    std::string error;
    TDvxV24Connector& c = device_.Connector();
    RunWithProgress([&] {
        // Area 0 always goes first.
        for (int area : {0, 1}) {
            if (CancelWanted()) {
                ok = false;
                cancelled = true;
                failedArea = area;
                return;
            }
            flash_.SelectArea(area);
            if (!flash_.HasFileImage(area))
                continue;
            try {
                flash_.Write();
            } catch (const std::exception& e) {
                ok = false;
                // The connector's flag also tells of a cancel from outside
                // (Ctrl-C); each transfer clears it when it starts.
                cancelled = CancelWanted() || c.IsCancelled();
                failedArea = area;
                error = e.what();
                return;
            }
        }
    });
    Written = {flash_.Written(0), flash_.Written(1)};
    ProgressVisible = false;
    if (!ok) {
        Cancelled = cancelled;
        SetMarkers(EVroMarker::Lime, EVroMarker::Red, EVroMarker::Silver);
        InfoText = kTextTransferFailed;
        InfoCancelled = Cancelled;
        NextVisible = false;
        CancelEnabled = true;
        Reason = "area " + std::to_string(failedArea) + ": " + std::to_string(Written[failedArea]) + " of " +
                 std::to_string(Vro8AreaSize(failedArea)) + " bytes written (" +
                 (Cancelled ? std::string("cancelled") : error) + ")";
        return;
    }
    NextEnabled = true;
    CancelEnabled = true;
    SetMarkers(EVroMarker::Lime, EVroMarker::Lime, EVroMarker::Silver);
    InfoText = kTextTransferred;
    Step = 2;
}

void TVroUpdateWizard::RunCheckStep()
{
    if (!fileLoaded_)
        return;
    NextEnabled = false;
    CancelEnabled = true;
    SetMarkers(EVroMarker::Lime, EVroMarker::Lime, EVroMarker::Yellow);
    ProgressVisible = true;
    TitleProgressText = kTextChecking;
    ProgressPosition = 0;
    InfoCancelled = false;
    AreaEqual = {};
    Reason.clear();
    Cancelled = false;
    cancel_.store(false);
    Running = true;
    ui_.Changed();

    bool failed = false;
    bool cancelled = false;
    std::string error;
    TDvxV24Connector& c = device_.Connector();
    RunWithProgress([&] {
        // Both areas are read back, area 0 first; either one differing fails.
        for (int area : {0, 1}) {
            if (CancelWanted()) {
                cancelled = true;
                return;
            }
            flash_.SelectArea(area);
            try {
                const bool equal = flash_.Verify();
                // A cancelled read stops early; it is not a comparison.
                if (CancelWanted() || c.IsCancelled()) {
                    cancelled = true;
                    return;
                }
                AreaEqual[static_cast<std::size_t>(area)] = equal;
            } catch (const std::exception& e) {
                failed = true;
                error = "area " + std::to_string(area) + ": " + e.what();
                return;
            }
        }
    });
    ProgressVisible = false;
    CancelEnabled = true;
    NextVisible = false;
    if (cancelled || failed) {
        Cancelled = cancelled;
        SetMarkers(EVroMarker::Lime, EVroMarker::Lime, EVroMarker::Red);
        InfoText = kTextCheckFailed;
        InfoCancelled = Cancelled;
        Reason = Cancelled ? "cancelled" : error;
        return;
    }
    if (AreaEqual[0].value_or(false) && AreaEqual[1].value_or(false)) {
        SetMarkers(EVroMarker::Lime, EVroMarker::Lime, EVroMarker::Lime);
        InfoText = kTextChecked;
        CancelIsClose = true;
        Step = 3;
        return;
    }
    SetMarkers(EVroMarker::Lime, EVroMarker::Lime, EVroMarker::Red);
    InfoText = kTextUnequal;
    for (int area : {0, 1})
        if (!AreaEqual[static_cast<std::size_t>(area)].value_or(false))
            Reason += (Reason.empty() ? "" : "; ") + std::string("area ") + std::to_string(area) +
                      (flash_.ReadBackComplete(area) ? " differs from the file" : ": the read-back stopped early");
}

} // namespace vro
