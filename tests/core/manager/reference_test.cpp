// The reference recording: applying its settings, the time window, a
// reference file that cannot be opened, and the dialog's enable rules.
#include "core/manager/reference.h"
#include "manager_support.h"

namespace vro {
namespace {

TEST_F(Manager, ReferenceAppliesMatchingChannelsWithTheApplyDefaults)
{
    auto ref = MakeRecording(2);
    ref->FileName = (dir / "ref.vxrf").string();
    ref->Channel(1).CustomName = "Inlet";
    ref->Channel(1).ColorIndex = 7;
    ref->Channel(1).Comment = "not copied by default";
    ref->LeftYAxis = 1;  // channel A left
    ref->RightYAxis = 2; // channel B right
    ref->XAxisIndex = -1;
    auto target = MakeRecording(3);
    target->Channel(0).DeviceName = "Channel B"; // matches reference channel 1
    target->Channel(1).DeviceName = "Other";
    target->Saved = true;
    manager.AddRecording(std::move(ref));
    manager.MakeReference();
    TRecording& t = manager.AddRecording(std::move(target));
    manager.ApplyReference(1);
    EXPECT_FALSE(t.Saved);
    EXPECT_EQ(t.Channel(0).CustomName, "Inlet");
    EXPECT_EQ(t.Channel(0).ColorIndex, 7);
    EXPECT_EQ(t.Channel(0).Comment, "");
    EXPECT_EQ(t.Channel(1).CustomName, "");
    EXPECT_EQ(t.RightYAxis & 1, 1); // axis settings applied although the key is missing
    EXPECT_EQ(t.LeftYAxis & 1, 0);

    TReferenzForm form(manager, config);
    EXPECT_FALSE(form.Settings.AxisSettings); // the dialog shows the row unchecked
}

TEST_F(Manager, ReferenceTimeWindowOnlyForCompatibleRecordings)
{
    cfg::Write(config, cfg::kRefTimeSettings, true);
    auto ref = MakeRecording(1, 100);
    ref->Time->SetRange(10, 60);
    auto plain = MakeRecording(1, 100);
    auto stamped = MakeRecording(1, 100, true);
    const std::int32_t stampedLo = stamped->Time->LoRange, stampedHi = stamped->Time->HiRange;
    manager.AddRecording(std::move(ref));
    manager.MakeReference();
    TRecording& p = manager.AddRecording(std::move(plain));
    TRecording& s = manager.AddRecording(std::move(stamped));
    manager.ApplyReferenceToAll();
    EXPECT_EQ(p.Time->LoRange, 10);
    EXPECT_EQ(p.Time->HiRange, 60);
    EXPECT_EQ(s.Time->LoRange, stampedLo);
    EXPECT_EQ(s.Time->HiRange, stampedHi);
}

TEST_F(Manager, ReferenceFileThatCannotBeOpenedSwitchesTheUsesOff)
{
    std::ofstream(dir / "ref.vxrf") << "damaged";
    cfg::Write(config, cfg::kRefFilename, (dir / "ref.vxrf").string());
    manager.UseReferenceWhileOpening = manager.UseReferenceReceive = true;
    auto r = MakeRecording();
    r->Saved = true;
    TRecording& t = manager.AddRecording(std::move(r));
    ui.answers = {TMsgAnswer::Yes};
    manager.ApplyReference(0);
    EXPECT_EQ(ui.questions.back(), "Wollen sie die Referenzaufnahme jetzt laden?!");
    EXPECT_EQ(manager.Reference(), nullptr);
    EXPECT_FALSE(manager.UseReferenceWhileOpening);
    EXPECT_FALSE(manager.UseReferenceReceive);
    EXPECT_EQ(cfg::Read(config, cfg::kRefFilename), "---");
    EXPECT_TRUE(t.Saved); // nothing applied
    EXPECT_EQ(manager.Count(), 1);
}

TEST_F(Manager, ReferenceFormEnableRules)
{
    TReferenzForm empty(manager, config);
    EXPECT_FALSE(empty.CanMakeReference());
    EXPECT_FALSE(empty.CanApplyToAll());
    const std::string a = WriteFile("a.vxrf");
    manager.OpenFile(a);
    TReferenzForm form(manager, config);
    EXPECT_TRUE(form.CanMakeReference());
    EXPECT_FALSE(form.CanApplyToCurrent()); // no reference file stored yet
    form.UseReferenceWhileOpening = true;
    form.MakeCurrentReference();
    EXPECT_EQ(cfg::Read(config, cfg::kRefFilename), a);
    EXPECT_TRUE(manager.UseReferenceWhileOpening);
    EXPECT_FALSE(form.CanMakeReference());
    EXPECT_FALSE(form.CanApplyToAll()); // the only open recording is the reference
    manager.AddRecording(MakeRecording());
    EXPECT_TRUE(form.CanApplyToCurrent());
    EXPECT_TRUE(form.CanApplyToAll());
}

} // namespace
} // namespace vro
