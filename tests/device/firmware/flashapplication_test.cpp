// TVroFlashApplication against the simulated recorder over the in-memory pair.
#include "device/firmware/vroflashapplication.h"
#include "firmware_support.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

using namespace vro;
using namespace vro::test;
using vro::sim::ERecorderFault;

namespace {

std::vector<std::string> HexLines(int area, const std::vector<std::uint8_t>& image)
{
    return SplitTextLines(ImageToHex(area, image));
}

} // namespace

TEST(FlashApplication, EachAreaIsWrittenReadBackAndVerified)
{
    TRecorderRig rig;
    rig.Connect();
    TVroFlashApplication flash(rig.device->FlashAreas);
    const auto img0 = MakeSampleImage(0, "VRO8K-S 1.08", 11);
    const auto img1 = MakeSampleImage(1, "VRO8K-M 2.11", 12);

    // The byte timeout seen while each area's packets go out.
    std::vector<std::uint32_t> timeouts[2];
    rig.connector->SetOnProgress([&](int) { timeouts[flash.Area()].push_back(rig.connector->GetByteTimeout()); });
    for (int area : {0, 1}) {
        flash.SelectArea(area);
        EXPECT_FALSE(flash.HasFileImage(area));
        flash.LoadHex(HexLines(area, area == 0 ? img0 : img1), 0);
        EXPECT_EQ(flash.FileImage(area).Image, area == 0 ? img0 : img1);
        flash.Write();
        EXPECT_EQ(flash.Written(area), static_cast<std::int64_t>(Vro8AreaSize(area)));
        EXPECT_EQ(rig.recorder->FirmwareArea(area), area == 0 ? img0 : img1);
        EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
        EXPECT_TRUE(flash.Verify());
        EXPECT_TRUE(flash.ReadBackComplete(area));
    }
    rig.connector->SetOnProgress({});
    ASSERT_EQ(timeouts[0].size() + timeouts[1].size() > 1000, true);
    // Area 1's packets ran under 10000 ms; its read-back (and all of area 0) under 2000.
    EXPECT_EQ(timeouts[0].front(), 2000u);
    EXPECT_EQ(std::count(timeouts[1].begin(), timeouts[1].end(), 10000u), 1059);
    EXPECT_EQ(timeouts[1].back(), 2000u);
}

TEST(FlashApplication, ByteTimeoutIsRestoredAfterAFailedWriteAndWrittenCountsAcknowledgedBytes)
{
    TRecorderRig rig;
    rig.Connect();
    rig.recorder->SetFault('S', 113, {ERecorderFault::Status, 1, -1, 5});
    TVroFlashApplication flash(rig.device->FlashAreas);
    flash.SelectArea(1);
    flash.LoadHex(HexLines(1, MakeSampleImage(1, "X", 1)), 0);
    EXPECT_ANY_THROW(flash.Write());
    EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
    EXPECT_EQ(flash.Written(1), 5 * 240);

    // No image: nothing is sent.
    flash.SelectArea(0);
    const int before = rig.recorder->RequestCount('S', 110);
    EXPECT_ANY_THROW(flash.Write());
    EXPECT_EQ(rig.recorder->RequestCount('S', 110), before);
}

TEST(FlashApplication, AnIncompleteReadBackNeverVerifies)
{
    // Files whose tail is erased flash: the unread part of a cut read-back
    // is 0xFF like the file, and still the comparison must fail. (Both areas
    // written and read back whole also activate them: at once here.)
    sim::TSimProfile profile;
    profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
    TRecorderRig rig(3, profile);
    rig.Connect();
    TVroFlashApplication flash(rig.device->FlashAreas);
    for (int area : {0, 1}) {
        std::vector<std::uint8_t> img(Vro8AreaSize(area), 0xFF);
        for (std::size_t i = 0; i < 4096; ++i)
            img[i] = static_cast<std::uint8_t>(i * 7);
        flash.SelectArea(area);
        flash.LoadHex(HexLines(area, img), 0);
        flash.Write();
        ASSERT_TRUE(flash.Verify());
        rig.recorder->SetFault('R', area == 0 ? 111 : 114, {ERecorderFault::CutAt, area == 0 ? 31200 : 246000});
        EXPECT_FALSE(flash.Verify()) << area;
        EXPECT_FALSE(flash.ReadBackComplete(area));
        EXPECT_TRUE(TVroFlashApplication::ImagesEqual(area, img, flash.ReadBackImage(area)));
        rig.recorder->ClearFaults();
    }
}

TEST(FlashApplication, Area1MayDifferOnlyInTheRecordersOwnBytes)
{
    sim::TSimProfile profile;
    profile.AlterArea1OnReadBack = true;
    TRecorderRig rig(3, profile);
    rig.Connect();
    TVroFlashApplication flash(rig.device->FlashAreas);
    const auto img = MakeSampleImage(1, "VRO8K-M 2.11", 5);
    flash.SelectArea(1);
    flash.LoadHex(HexLines(1, img), 0);
    flash.Write();
    EXPECT_TRUE(flash.Verify());
    EXPECT_NE(flash.ReadBackImage(1), img);

    auto other = img;
    for (std::size_t k : {20u, 21u, 23u})
        other[k] ^= 0x5A;
    EXPECT_TRUE(TVroFlashApplication::ImagesEqual(1, img, other));
    EXPECT_FALSE(TVroFlashApplication::ImagesEqual(0, img, other));
    other[24] ^= 1;
    EXPECT_FALSE(TVroFlashApplication::ImagesEqual(1, img, other));
    other = img;
    other[19] ^= 1;
    EXPECT_FALSE(TVroFlashApplication::ImagesEqual(1, img, other));
    EXPECT_FALSE(TVroFlashApplication::ImagesEqual(1, img, {}));
}

TEST(FlashApplication, VersionAnswersAndAFailedLoadLeavesNoImage)
{
    TRecorderRig rig;
    rig.Connect();
    TVroFlashApplication flash(rig.device->FlashAreas);
    flash.SelectArea(0);
    EXPECT_EQ(flash.ReadVersion(), "VRO8K-S 1.07");
    flash.SelectArea(1);
    EXPECT_EQ(flash.ReadVersion(), "VRO8K-M 2.10");

    flash.LoadHex(HexLines(1, MakeSampleImage(1, "A", 1)), 0);
    ASSERT_TRUE(flash.HasFileImage(1));
    EXPECT_THROW(flash.LoadHex({":00000001FF", ":0100000000FF"}, 0), EReConvert);
    EXPECT_FALSE(flash.HasFileImage(1));
}
