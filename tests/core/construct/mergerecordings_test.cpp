#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/construct/mergerecordings.h"
#include "core/legacy/legacybuilder.h"
#include "core/text/texts.h"

using namespace vro;
namespace fs = std::filesystem;

namespace {

struct TShape {
    int Channels = 1;
    bool Stamps = true;
    bool States = false;
    bool MinMax = false;
};

// Writes a recording file of `count` samples, stamps first, first + 1, ...
// and values 10 x stamp.
fs::path WriteRecording(const fs::path& path, std::int32_t first, std::int32_t count, TShape shape = {})
{
    TRecording r;
    r.RecordingType = shape.Stamps ? 2 : 0;
    r.HasTimeStamps = shape.Stamps;
    r.HasStates = shape.States;
    r.HasMinMaxValues = shape.MinMax;
    r.ChannelCount = shape.Channels;
    r.RecordCount = count;
    r.SampleRate = 12;
    r.CreateChannelObjects();
    for (std::int32_t k = 0; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (shape.Stamps)
            r.Time->TimeStamps[i] = first + k;
        for (int c = 0; c < shape.Channels; ++c)
            r.Channel(c).Values[i] = ((first + k) * 10 + c) % 30000;
    }
    r.Time->ResetRange();
    r.FileName = path.string();
    r.NameConfirmed = true;
    r.SaveToFile();
    return path;
}

class MergeRecordings : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vro_merge_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

std::vector<std::int32_t> Stamps(const TRecording& r)
{
    return {r.Time->TimeStamps.begin(), r.Time->TimeStamps.begin() + r.RecordCount};
}

using TNames = std::vector<std::string>;

} // namespace

TEST_F(MergeRecordings, FolderListsRecordingFilesByPatternThenName)
{
    for (const char* name : {"b.vxrf", "a.VXRF", "c.vrf", "0.VRF", ".hidden.vxrf", "notes.txt", "vxrf"})
        std::ofstream(dir / name) << "x";
    fs::create_directories(dir / "sub.vxrf");
    std::ofstream(dir / "sub.vxrf" / "inner.vxrf") << "x";
    TNames names;
    for (const auto& p : ListMergeFolder(dir))
        names.push_back(p.filename().string());
    EXPECT_EQ(names, (TNames{"a.VXRF", "b.vxrf", "0.VRF", "c.vrf"}));
}

TEST_F(MergeRecordings, MissingAndEmptyFolders)
{
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromFolder(dir / "none"), 6);
    EXPECT_EQ(MergeMessage(6, m.FailedFileName(), (dir / "none").string(), TTextLanguage::English),
              "Directory " + (dir / "none").string() + " does not exist");
    std::ofstream(dir / "plain.txt") << "x";
    std::ofstream(dir / ".x.vxrf") << "x";
    EXPECT_EQ(m.MergeFromFolder(dir), 7);
    EXPECT_TRUE(m.MergedNames().empty());
    EXPECT_EQ(MergeMessage(7, "", "/data", TTextLanguage::English),
              "The directory /data does not contain any recordings");
    EXPECT_EQ(m.MergeFromList({}), 7);
}

TEST_F(MergeRecordings, OneFileIsMergedWhateverItHolds)
{
    // No time stamps, legacy or not: a single file is all there is to merge.
    WriteRecording(dir / "only.vxrf", 0, 5, {.Channels = 2, .Stamps = false});
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromFolder(dir), 0);
    EXPECT_EQ(m.MergedNames(), TNames{"only.vxrf"});
    EXPECT_EQ(m.Result().RecordCount, 5);

    fs::remove(dir / "only.vxrf");
    test::TLegacyBuilder b(2); // an older recorder's event log of three samples
    b.U8(80, 0);
    b.I32(89, 9);
    b.U16(109, 3);
    b.Input(1, -100, 100, 1, "bar", 2, true, -50, 50);
    b.Samples({1, 2, 3});
    b.Stamps({300000000, 300000010, 300000030});
    b.States({0, 3, 6});
    const auto legacy = b.bytes;
    std::ofstream(dir / "OLD.VRF", std::ios::binary)
        .write(reinterpret_cast<const char*>(legacy.data()), static_cast<std::streamsize>(legacy.size()));
    EXPECT_EQ(m.MergeFromFolder(dir), 0);
    EXPECT_EQ(m.MergedNames(), TNames{"OLD.VRF"});
    EXPECT_EQ(m.Result().RecordingSource, 2);
    EXPECT_EQ(m.Result().RecordCount, 3);
}

TEST_F(MergeRecordings, FirstFileWithoutStampsStopsBeforeAnyAppend)
{
    const auto a = WriteRecording(dir / "a.vxrf", 0, 3, {.Stamps = false});
    const auto b = WriteRecording(dir / "b.vxrf", 100, 3);
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromList({a, b}), 3);
    EXPECT_EQ(m.FailedFileName(), "a.vxrf");
    EXPECT_EQ(m.MergedNames(), TNames{"a.vxrf"});
    EXPECT_EQ(m.Result().RecordCount, 3);
    // The second file without stamps is CheckAppend's own code 3.
    EXPECT_EQ(m.MergeFromList({b, a}), 3);
    EXPECT_EQ(m.FailedFileName(), "a.vxrf");
    EXPECT_EQ(m.MergedNames(), TNames{"b.vxrf"});
}

TEST_F(MergeRecordings, MismatchesStopAtTheFileAndKeepWhatWasMerged)
{
    const auto a = WriteRecording(dir / "a.vxrf", 100, 3);
    const auto b = WriteRecording(dir / "b.vxrf", 200, 3);
    const auto wide = WriteRecording(dir / "wide.vxrf", 300, 3, {.Channels = 2});
    const auto mm = WriteRecording(dir / "mm.vxrf", 300, 3, {.MinMax = true});
    const auto st = WriteRecording(dir / "st.vxrf", 300, 3, {.States = true});
    TMergeRecordings m;
    struct TCase {
        fs::path File;
        int Code;
    };
    for (const TCase& c : {TCase{wide, 2}, TCase{mm, 4}, TCase{st, 5}}) {
        EXPECT_EQ(m.MergeFromList({a, b, c.File, a}), c.Code) << c.File;
        EXPECT_EQ(m.FailedFileName(), c.File.filename().string());
        EXPECT_EQ(m.MergedNames(), (TNames{"a.vxrf", "b.vxrf"}));
        EXPECT_EQ(Stamps(m.Result()), (std::vector<std::int32_t>{100, 101, 102, 200, 201, 202}));
    }
    EXPECT_EQ(MergeMessage(2, "wide.vxrf", "", TTextLanguage::English),
              "Not all recordings could be merged\nThe amount of measurement channels in recording wide.vxrf does "
              "not match the other recordings\n\nSave merged recordings?");
    EXPECT_EQ(MergeMessage(5, "st.vxrf", "", TTextLanguage::German).find("st.vxrf") != std::string::npos, true);
}

TEST_F(MergeRecordings, BlocksAndInterleavedSamples)
{
    const auto late = WriteRecording(dir / "late.vxrf", 110, 3);
    const auto early = WriteRecording(dir / "early.vxrf", 100, 3);
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromList({late, early}), 0);
    EXPECT_EQ(Stamps(m.Result()), (std::vector<std::int32_t>{100, 101, 102, 110, 111, 112}));
    EXPECT_FALSE(m.Result().Saved);

    // Overlapping spans are joined sample by sample; at an equal stamp the
    // appended sample goes first.
    TRecording odd;
    odd.RecordingType = 2;
    odd.HasTimeStamps = true;
    odd.ChannelCount = 1;
    odd.RecordCount = 3;
    odd.CreateChannelObjects();
    odd.Time->TimeStamps = {100, 102, 104};
    odd.Channel(0).Values = {1, 2, 3};
    odd.Time->ResetRange();
    odd.FileName = (dir / "odd.vxrf").string();
    odd.NameConfirmed = true;
    odd.SaveToFile();
    EXPECT_EQ(m.MergeFromList({early, dir / "odd.vxrf"}), 0);
    EXPECT_EQ(Stamps(m.Result()), (std::vector<std::int32_t>{100, 100, 101, 102, 102, 104}));
    EXPECT_EQ(m.Result().Channel(0).Values, (TSensorValues{1, 1000, 1010, 2, 1020, 3}));
}

TEST_F(MergeRecordings, SizeLimitOnBothSides)
{
    // Stamps and two 16-bit channels: 8 bytes a sample, 2,500,000 samples
    // are exactly 20,000,000 bytes.
    const TShape two{.Channels = 2};
    const auto a = WriteRecording(dir / "a.vxrf", 0, 1250000, two);
    const auto b = WriteRecording(dir / "b.vxrf", 2000000, 1250000, two);
    const auto c = WriteRecording(dir / "c.vxrf", 4000000, 1250001, two);
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromList({a, b}), 0);
    EXPECT_EQ(m.Result().RecordCount, 2500000);
    EXPECT_EQ(m.Result().DataSize(), 20000000);
    EXPECT_EQ(m.MergeFromList({a, c}), 1);
    EXPECT_EQ(m.FailedFileName(), "c.vxrf");
    EXPECT_EQ(m.MergedNames(), TNames{"a.vxrf"});
    EXPECT_EQ(m.Result().RecordCount, 1250000);
    EXPECT_EQ(MergeMessage(1, "c.vxrf", "", TTextLanguage::English),
              "Not all recordings could be merged\nThe maximum size from merged recordings of 20MB has been "
              "exceeded\n\nSave merged recordings?");
}

TEST_F(MergeRecordings, UnreadableFileIsCodeEight)
{
    const auto a = WriteRecording(dir / "a.vxrf", 100, 3);
    std::ofstream(dir / "bad.vxrf") << "not a recording";
    TMergeRecordings m;
    EXPECT_EQ(m.MergeFromList({a, dir / "bad.vxrf"}), 8);
    EXPECT_EQ(m.FailedFileName(), "bad.vxrf");
    EXPECT_EQ(m.MergedNames(), TNames{"a.vxrf"});
    EXPECT_FALSE(m.ErrorReason().empty());
    EXPECT_EQ(MergeMessage(8, "bad.vxrf", "", TTextLanguage::English, m.ErrorReason()),
              "Not all recordings could be merged\nbad.vxrf: " + m.ErrorReason());
    EXPECT_EQ(m.MergeFromList({dir / "missing.vxrf", a}), 8);
    EXPECT_EQ(m.FailedFileName(), "missing.vxrf");
    EXPECT_TRUE(m.MergedNames().empty());
    EXPECT_EQ(MergeMessage(8, "", "", TTextLanguage::English), "Not all recordings could be merged");
}

TEST_F(MergeRecordings, ProgressAndCancelBetweenFiles)
{
    std::vector<fs::path> files;
    for (int i = 0; i < 4; ++i)
        files.push_back(WriteRecording(dir / ("f" + std::to_string(i) + ".vxrf"), 100 * i, 2));
    TMergeRecordings m;
    std::vector<std::pair<int, int>> seen;
    m.OnProgress = [&](int pos, int max) { seen.emplace_back(pos, max); };
    EXPECT_EQ(m.MergeFromFolder(dir), 0);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(m.Result().RecordCount, 8);

    m.OnProgress = [&](int pos, int) {
        if (pos == 1)
            m.Cancel();
    };
    EXPECT_EQ(m.MergeFromList(files), kMergeCancelled);
    EXPECT_EQ(m.MergedNames(), (TNames{"f0.vxrf", "f1.vxrf"}));
    // A new merge starts uncancelled.
    m.OnProgress = {};
    EXPECT_EQ(m.MergeFromList(files), 0);
}

TEST(MergeMessage, SuccessInEachLanguage)
{
    EXPECT_EQ(MergeMessage(0, "", "", TTextLanguage::English),
              "The following recordings have been successfully merged\n\nSave merged recordings?");
    for (auto lang : {TTextLanguage::German, TTextLanguage::French})
        EXPECT_EQ(MergeMessage(0, "", "", lang), text(lang, 1323) + "\n\n" + text(lang, 1339));
    EXPECT_EQ(MergeMessage(3, "x.vxrf", "", TTextLanguage::French),
              text(TTextLanguage::French, 1331) + "\n" +
                  std::string(text(TTextLanguage::French, 1334))
                      .replace(text(TTextLanguage::French, 1334).find("%s"), 2, "x.vxrf") +
                  "\n\n" + text(TTextLanguage::French, 1339));
}
