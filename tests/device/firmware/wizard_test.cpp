// TVroUpdateWizard's steps against the simulated recorder: every path's
// markers, texts, label states and Step, and what reaches the recorder.
#include "device/firmware/vroupdatewizard.h"
#include "firmware_support.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

using namespace vro;
using namespace vro::test;
using vro::sim::ERecorderFault;

namespace {

using M = EVroMarker;
using TMarkers = std::array<EVroMarker, 4>;

struct TFakeUi : IVroUpdateWizardUi {
    bool ChooseFile(std::string& fileName) override
    {
        offered.push_back(fileName);
        if (!next)
            return false;
        fileName = *next;
        return true;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void Progress(int perMille) override
    {
        positions.push_back(perMille);
        if (onProgress)
            onProgress(perMille);
    }
    std::optional<std::string> next;
    std::vector<std::string> offered;
    std::vector<std::string> errors;
    std::vector<int> positions;
    std::function<void(int)> onProgress;
};

struct TWizardRig {
    explicit TWizardRig(std::int16_t variant = 1, sim::TSimProfile profile = {}) : rig(3, WithVariant(profile, variant))
    {
        rig.Connect();
        NewWizard();
    }
    static sim::TSimProfile WithVariant(sim::TSimProfile p, std::int16_t v)
    {
        p.HardwareVariant = v;
        return p;
    }
    void NewWizard()
    {
        ui = TFakeUi{};
        wizard = std::make_unique<TVroUpdateWizard>(*rig.device, "VRO8K-M V2.10", true, ui, 0);
        wizard->Initialise();
    }
    // Continue with the file chosen in the dialog.
    void Load(const std::string& file)
    {
        ui.next = file;
        wizard->NextLabelClick();
    }
    int Writes() const { return rig.recorder->RequestCount('S', 110) + rig.recorder->RequestCount('S', 113); }

    TRecorderRig rig;
    TFakeUi ui;
    std::unique_ptr<TVroUpdateWizard> wizard;
};

} // namespace

TEST(UpdateWizard, IntroductionAndWithoutRecorder)
{
    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;
    EXPECT_EQ(z.Step, 0);
    EXPECT_EQ(z.InfoText, 579);
    EXPECT_FALSE(z.BackVisible);
    EXPECT_TRUE(z.NextVisible);
    EXPECT_FALSE(z.ProgressVisible);
    EXPECT_FALSE(z.ActivateVisible);
    EXPECT_EQ(z.Markers, (TMarkers{M::Silver, M::Silver, M::Silver, M::Silver}));

    TFakeUi ui;
    TVroUpdateWizard none(*w.rig.device, "", false, ui, 0);
    none.Initialise();
    EXPECT_EQ(none.InfoText, 564);
    EXPECT_FALSE(none.NextVisible);
    none.NextLabelClick(); // hidden: nothing happens
    EXPECT_TRUE(ui.offered.empty());
}

TEST(UpdateWizard, WholeUpdateEndsCheckedAndCloses)
{
    TUpdateFiles files;
    const std::string file = files.Sample("new.vxupd", "02");
    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;

    w.Load(file);
    EXPECT_EQ(z.Step, 1);
    EXPECT_TRUE(w.ui.errors.empty());
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Silver, M::Silver, M::Silver}));
    EXPECT_EQ(z.PathLabel, "VRO8K-M 2.11 / VRO8K-S 1.08");
    EXPECT_EQ(z.InfoText, 580);
    EXPECT_TRUE(z.BackVisible);
    EXPECT_EQ(z.FileName, file);
    EXPECT_EQ(w.Writes(), 0); // the whole file is checked before anything is written

    z.NextLabelClick();
    EXPECT_EQ(z.Step, 2);
    EXPECT_EQ(z.InfoText, 581);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Lime, M::Silver, M::Silver}));
    EXPECT_FALSE(z.BackVisible);
    EXPECT_TRUE(z.NextEnabled);
    EXPECT_FALSE(z.ProgressVisible);
    EXPECT_EQ(z.Written, (std::array<std::int64_t, 2>{0x7A00, 0x3E000}));
    EXPECT_EQ(w.rig.recorder->FirmwareArea(0), files.image0);
    EXPECT_EQ(w.rig.recorder->FirmwareArea(1), files.image1);
    // The bar ran up to 1000 once per area.
    int restarts = 0;
    for (std::size_t i = 1; i < w.ui.positions.size(); ++i)
        restarts += w.ui.positions[i] < w.ui.positions[i - 1] ? 1 : 0;
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(w.ui.positions.back(), 1000);

    // Area 0 was written before area 1.
    const auto t = w.rig.recorder->Transcript();
    std::ptrdiff_t last110 = -1, first113 = -1;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].Number == 110)
            last110 = static_cast<std::ptrdiff_t>(i);
        if (t[i].Number == 113 && first113 < 0)
            first113 = static_cast<std::ptrdiff_t>(i);
    }
    EXPECT_LT(last110, first113);

    z.NextLabelClick();
    EXPECT_EQ(z.Step, 3);
    EXPECT_EQ(z.InfoText, 582);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Lime, M::Lime, M::Silver}));
    EXPECT_FALSE(z.NextVisible);
    EXPECT_FALSE(z.BackVisible);
    EXPECT_TRUE(z.CancelIsClose);
    EXPECT_EQ(z.AreaEqual[0], true);
    EXPECT_EQ(z.AreaEqual[1], true);
    z.NextLabelClick(); // Continue is hidden: nothing more
    EXPECT_EQ(z.Step, 3);
    EXPECT_TRUE(z.CancelLabelClick());
}

TEST(UpdateWizard, HardwareCodeAgainstVariant)
{
    TUpdateFiles files;
    struct Case {
        std::int16_t variant;
        const char* code;
        bool loads;
    };
    for (const Case& c : {Case{0, "02", false}, Case{1, "02", true}, Case{0, "01", true}, Case{2, "01", false},
                          Case{3, "04", true}, Case{4, "04", false}, Case{0, "03", false}, Case{2, "03", false}}) {
        const std::string file = files.Sample(std::string("f") + c.code + ".vxupd", c.code);
        TWizardRig w(c.variant);
        w.Load(file);
        EXPECT_EQ(w.wizard->Step, c.loads ? 1 : 0) << c.variant << " " << c.code;
        EXPECT_EQ(w.ui.errors.size(), c.loads ? 0u : 1u);
        EXPECT_EQ(w.Writes(), 0);
        if (c.loads)
            continue;
        EXPECT_EQ(w.wizard->Message, 565);
        EXPECT_EQ(w.wizard->InfoText, 579);
        EXPECT_NE(w.ui.errors[0].find(std::string("The file f") + c.code + ".vxupd couldn't"), std::string::npos);
        EXPECT_NE(w.ui.errors[0].find("connected device VRO8K-M V2.10"), std::string::npos);
        // The variant table is checked before the recorder is asked; a "03"
        // file passes it for variants 0 and 2 and then fails with no lines.
        const bool codePasses = HardwareCodeAccepted(c.variant, c.code);
        EXPECT_EQ(w.rig.recorder->RequestCount('R', 115), codePasses ? 1 : 0);
        EXPECT_EQ(w.rig.recorder->RequestCount('R', 112), 0);
    }
}

TEST(UpdateWizard, RefusedFilesCancelledDialogAndStaleImages)
{
    TUpdateFiles files;
    const std::string good = files.Sample("good.vxupd", "02");
    std::string damaged = ReadWholeFile(good);
    damaged[100] = damaged[100] == 'A' ? 'B' : 'A';
    const std::string bad = files.Write("bad.vxupd", damaged);

    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;
    // The dialog cancelled: back to the introduction without a message.
    w.ui.next.reset();
    z.NextLabelClick();
    EXPECT_EQ(z.Step, 0);
    EXPECT_TRUE(w.ui.errors.empty());

    w.Load(good);
    ASSERT_EQ(z.Step, 1);
    z.BackLabelClick();
    EXPECT_EQ(z.Step, 0);
    EXPECT_EQ(z.PathLabel, "");
    // A damaged file after a good one: refused, and the good file's images
    // are gone, so nothing can be transferred under the damaged file's name.
    w.Load(bad);
    EXPECT_EQ(z.Step, 0);
    EXPECT_EQ(w.ui.errors.size(), 1u);
    EXPECT_EQ(w.ui.offered.back(), good); // the dialog starts at the last file
    EXPECT_FALSE(z.FileLoaded());
    EXPECT_FALSE(z.Flash().HasFileImage(0));
    EXPECT_FALSE(z.Flash().HasFileImage(1));
    EXPECT_NE(z.Reason.find("MD5"), std::string::npos);

    // A file that cannot be read at all.
    w.Load((files.dir / "missing.vxupd").string());
    EXPECT_EQ(w.ui.errors.size(), 2u);
    EXPECT_EQ(w.Writes(), 0);

    // Without a version answer the load fails too.
    w.rig.recorder->SetFault('R', 112, {ERecorderFault::Silence});
    w.Load(good);
    EXPECT_EQ(z.Step, 0);
    EXPECT_EQ(w.ui.errors.size(), 3u);
}

TEST(UpdateWizard, ServiceUnlockRunsStepsButNeverWithoutAFile)
{
    TUpdateFiles files;
    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;
    // Wrong orders leave it locked.
    z.LeftPanelClick();
    EXPECT_EQ(z.UnlockState, 0);
    z.TopPanelClick();
    z.BottomPanelClick();
    EXPECT_EQ(z.UnlockState, 0);
    z.TopPanelClick();
    z.LeftPanelClick();
    z.BottomPanelClick();
    EXPECT_EQ(z.UnlockState, 3);

    // No file loaded: the transfer and the check send nothing.
    z.x2xSendToDeviceLabelClick();
    z.x3xCheckDataLabelClick();
    EXPECT_EQ(w.Writes(), 0);
    EXPECT_EQ(w.rig.recorder->RequestCount('R', 111), 0);
    EXPECT_EQ(z.InfoText, 579);
    EXPECT_EQ(z.UnlockState, 3);

    // With the unlock, the check runs straight after a load (no write): the
    // factory firmware differs from the file.
    w.ui.next = files.Sample("u.vxupd", "02");
    z.x1xDataLabelClick();
    EXPECT_TRUE(z.FileLoaded());
    z.x3xCheckDataLabelClick();
    EXPECT_EQ(w.Writes(), 0);
    EXPECT_EQ(z.InfoText, 578);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Lime, M::Red, M::Silver}));
    z.x4xActivateUpdateLabelClick();

    // A step label without the unlock locks again.
    z.TopPanelClick();
    EXPECT_EQ(z.UnlockState, 0);
    z.x2xSendToDeviceLabelClick();
    EXPECT_EQ(w.Writes(), 0);
}

TEST(UpdateWizard, FailedTransferThenASecondRunSucceeds)
{
    TUpdateFiles files;
    const std::string file = files.Sample("f.vxupd", "02");
    TWizardRig w;
    w.rig.recorder->SetFault('S', 113, {ERecorderFault::Status, 2, 1, 100});
    w.Load(file);
    w.wizard->NextLabelClick();
    TVroUpdateWizard& z = *w.wizard;
    EXPECT_EQ(z.InfoText, 568);
    EXPECT_FALSE(z.InfoCancelled);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Red, M::Silver, M::Silver}));
    EXPECT_FALSE(z.NextVisible);
    EXPECT_TRUE(z.CancelEnabled);
    EXPECT_FALSE(z.ProgressVisible);
    EXPECT_EQ(z.Written[0], 0x7A00);
    EXPECT_EQ(z.Written[1], 100 * 240);
    EXPECT_NE(z.Reason.find("area 1: 24000 of 253952 bytes"), std::string::npos);
    EXPECT_EQ(w.rig.connector->GetByteTimeout(), 2000u);

    w.NewWizard();
    w.Load(file);
    w.wizard->NextLabelClick();
    w.wizard->NextLabelClick();
    EXPECT_EQ(w.wizard->InfoText, 582);
}

TEST(UpdateWizard, CancelDuringTransferAndCheck)
{
    TUpdateFiles files;
    const std::string file = files.Sample("c.vxupd", "02");
    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;
    w.Load(file);
    int calls = 0;
    w.ui.onProgress = [&](int) {
        // Area 0 finishes (one 1000), then Cancel during area 1.
        if (++calls == 200) {
            EXPECT_FALSE(z.CancelLabelClick()); // does not close while running
        }
    };
    z.NextLabelClick();
    EXPECT_TRUE(z.Cancelled);
    EXPECT_TRUE(z.InfoCancelled);
    EXPECT_EQ(z.InfoText, 568);
    EXPECT_EQ(z.InfoLabelText().rfind("Transfer cancelled by the user.\n\n", 0), 0u);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Red, M::Silver, M::Silver}));
    EXPECT_EQ(z.Written[0], 0x7A00);
    EXPECT_LT(z.Written[1], 0x3E000);
    EXPECT_GT(z.Written[1], 0);

    // The check cancelled in area 0: area 1 is not read.
    z.TopPanelClick();
    z.LeftPanelClick();
    z.BottomPanelClick();
    calls = 0;
    w.ui.onProgress = [&](int) {
        if (++calls == 20)
            z.CancelLabelClick();
    };
    const int reads114 = w.rig.recorder->RequestCount('R', 114);
    z.x3xCheckDataLabelClick();
    EXPECT_EQ(z.InfoText, 569);
    EXPECT_TRUE(z.InfoCancelled);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Lime, M::Red, M::Silver}));
    EXPECT_EQ(w.rig.recorder->RequestCount('R', 114), reads114);
    EXPECT_FALSE(z.AreaEqual[0].has_value());
}

TEST(UpdateWizard, AnArea0MismatchFailsTheCheck)
{
    TUpdateFiles files;
    const std::string file = files.Sample("m.vxupd", "02");
    TWizardRig w;
    TVroUpdateWizard& z = *w.wizard;
    w.Load(file);
    z.NextLabelClick();
    ASSERT_EQ(z.InfoText, 581);
    w.rig.recorder->SetFault('R', 111, {ERecorderFault::CutAt, 31200});
    z.NextLabelClick();
    EXPECT_EQ(z.InfoText, 578);
    EXPECT_EQ(z.AreaEqual[0], false);
    EXPECT_EQ(z.AreaEqual[1], true);
    EXPECT_EQ(z.Markers, (TMarkers{M::Lime, M::Lime, M::Red, M::Silver}));
    EXPECT_FALSE(z.NextVisible);
    EXPECT_FALSE(z.CancelIsClose);
    EXPECT_NE(z.Reason.find("area 0: the read-back stopped early"), std::string::npos);
}

TEST(UpdateWizard, AfterTheCheckTheRecorderRunsTheNewFirmware)
{
    TUpdateFiles files;
    const std::string file = files.Sample("n.vxupd", "02", "VRO8K-S 1.09", "VRO8K-M 3.00");
    sim::TSimProfile profile;
    profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
    TWizardRig w(1, profile);
    w.Load(file);
    w.wizard->NextLabelClick();
    w.wizard->NextLabelClick();
    ASSERT_EQ(w.wizard->InfoText, 582);
    TVro8Device& d = *w.rig.device;
    d.ReadIdentification();
    EXPECT_EQ(d.Ident().IdentText, "VRO8K-M 3.00");
    EXPECT_EQ(d.FlashAreas.ReadVersion(0), "VRO8K-S 1.09");
    EXPECT_EQ(d.FlashAreas.ReadVersion(1), "VRO8K-M 3.00");
    EXPECT_TRUE(w.rig.recorder->Recordings().empty());
    EXPECT_EQ(w.rig.recorder->SetupCount(), 0u);
    EXPECT_EQ(w.rig.recorder->FirmwareSummary(), "firmware: area 0 131 packets, area 1 1059 packets, 1 activations");
}

TEST(UpdateWizard, PowerLossAndBadCellEndAsFailures)
{
    TUpdateFiles files;
    const std::string file = files.Sample("p.vxupd", "02");
    {
        // The plug pulled during area 0: the transfer fails, nothing is
        // activated, and once the recorder is back a new run succeeds.
        sim::TSimProfile profile;
        profile.Firmware.PowerLoss = sim::TSimFirmwareConfig::TPowerLoss{0, 50, std::chrono::milliseconds(100)};
        profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
        TWizardRig w(1, profile);
        w.Load(file);
        w.wizard->NextLabelClick();
        EXPECT_EQ(w.wizard->InfoText, 568);
        EXPECT_FALSE(w.wizard->Cancelled);
        EXPECT_EQ(w.wizard->Written[0], 50 * 240);
        EXPECT_EQ(w.wizard->Written[1], 0);
        EXPECT_EQ(w.rig.recorder->FirmwareArea(0)[50 * 240], 0xFF);
        w.NewWizard();
        w.Load(file);
        w.wizard->NextLabelClick();
        w.wizard->NextLabelClick();
        EXPECT_EQ(w.wizard->InfoText, 582);
    }
    {
        sim::TSimProfile profile;
        profile.Firmware.BadByte = std::make_pair(0, std::size_t{100});
        TWizardRig w(1, profile);
        w.Load(file);
        w.wizard->NextLabelClick();
        ASSERT_EQ(w.wizard->InfoText, 581);
        w.wizard->NextLabelClick();
        EXPECT_EQ(w.wizard->InfoText, 578);
        EXPECT_EQ(w.wizard->AreaEqual[0], false);
        EXPECT_EQ(w.wizard->AreaEqual[1], true);
        EXPECT_EQ(w.rig.device->FlashAreas.ReadVersion(1), "VRO8K-M 2.10"); // nothing activated
    }
}

// After each kind of failure a second try succeeds: a refused file, then the
// right one in the same opening; a cell that programs right on the second
// write; a transfer cancelled while area 1 is slowly erased. The recorder
// then runs the new firmware.
TEST(UpdateWizard, EachFailureThenASecondTrySucceeds)
{
    TUpdateFiles files;
    const std::string wrong = files.Sample("wrong.vxupd", "01");
    const std::string file = files.Sample("right.vxupd", "02", "VRO8K-S 1.09", "VRO8K-M 3.01");
    sim::TSimProfile profile;
    profile.Firmware.BadByte = std::make_pair(1, std::size_t{5000});
    profile.Firmware.BadByteWrites = 1;
    profile.Firmware.EraseTime = {std::chrono::milliseconds(0), std::chrono::milliseconds(300)};
    profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
    TWizardRig w(1, profile);

    w.Load(wrong);
    EXPECT_EQ(w.wizard->Step, 0);
    EXPECT_EQ(w.ui.errors.size(), 1u);
    w.Load(file);
    ASSERT_EQ(w.wizard->Step, 1);
    w.wizard->NextLabelClick();
    ASSERT_EQ(w.wizard->InfoText, 581);
    w.wizard->NextLabelClick();
    EXPECT_EQ(w.wizard->InfoText, 578);
    EXPECT_EQ(w.wizard->AreaEqual[1], false);
    EXPECT_EQ(w.rig.device->FlashAreas.ReadVersion(1), "VRO8K-M 2.10");

    // Cancelled during area 1 (its erase delays the first answer).
    w.NewWizard();
    w.Load(file);
    bool cancelled = false;
    w.ui.onProgress = [&](int) {
        if (!cancelled && w.wizard->Flash().Area() == 1) {
            cancelled = true;
            w.wizard->RequestCancel();
        }
    };
    w.wizard->NextLabelClick();
    EXPECT_TRUE(w.wizard->Cancelled);
    EXPECT_EQ(w.wizard->InfoText, 568);
    EXPECT_LT(w.wizard->Written[1], 0x3E000);

    w.NewWizard();
    w.Load(file);
    w.wizard->NextLabelClick();
    w.wizard->NextLabelClick();
    EXPECT_EQ(w.wizard->InfoText, 582);
    EXPECT_EQ(w.wizard->Markers, (TMarkers{M::Lime, M::Lime, M::Lime, M::Silver}));
    w.rig.device->ReadIdentification();
    EXPECT_EQ(w.rig.device->Ident().IdentText, "VRO8K-M 3.01");
    EXPECT_EQ(w.rig.device->FlashAreas.ReadVersion(0), "VRO8K-S 1.09");
}
