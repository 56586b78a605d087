#include "core/util/atomicfile.h"
#include "core/util/bytes.h"
#include "core/util/charset.h"
#include "core/util/md5.h"
#include "core/util/numeric.h"
#include "core/util/textwidth.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using namespace vro;

TEST(Bytes, LittleEndianRoundTripAndBounds)
{
    std::array<std::uint8_t, 8> buf{};
    PutLE<std::int32_t>(buf, 2, -2);
    EXPECT_EQ(buf[2], 0xFE);
    EXPECT_EQ(buf[5], 0xFF);
    EXPECT_EQ(GetI32(buf, 2), -2);
    EXPECT_EQ(GetU16(buf, 2), 0xFFFE);
    EXPECT_THROW(GetU32(buf, 5), EBufferRange);
    EXPECT_THROW(PutLE<std::uint16_t>(buf, 7, 1), EBufferRange);
    EXPECT_THROW(GetU16(buf, SIZE_MAX), EBufferRange);
    PutF64(buf, 0, 1.5);
    EXPECT_EQ(GetF64(buf, 0), 1.5);
}

TEST(Numeric, RoundsHalvesToEvenAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundToInt<std::int32_t>(2147483647.4), 2147483647);
    EXPECT_FALSE(RoundToInt<std::int32_t>(2147483647.6));
    EXPECT_EQ(RoundToInt<std::int32_t>(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(RoundToInt<std::int32_t>(-2147483649.0));
    EXPECT_FALSE(RoundToInt<std::int64_t>(9.3e18));
    EXPECT_FALSE(RoundToInt<std::uint16_t>(-1.0));
    EXPECT_EQ(RoundToInt<std::uint16_t>(65535.0), 65535);
    EXPECT_FALSE(RoundToInt<std::int32_t>(std::nan("")));
    EXPECT_FALSE(RoundToInt<std::int32_t>(INFINITY));
}

TEST(Charset, Latin1AndUtf8)
{
    EXPECT_EQ(Latin1ToUtf8("Temp \xB0"
                           "C"),
              "Temp \xC2\xB0"
              "C");
    EXPECT_EQ(Utf8ToLatin1("Temp \xC2\xB0"
                           "C"),
              "Temp \xB0"
              "C");
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC"), "?"); // euro sign is not Latin-1
    EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");       // truncated sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));        // overlong
    EXPECT_TRUE(IsValidUtf8("\xC3\xA4\xF0\x9F\x98\x80"));
}

TEST(Md5, KnownDigests)
{
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vro_atomic_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesOnlyOnCommitAndLeavesNoTemporaryFiles)
{
    const fs::path f = dir_ / "a.vxrf";
    WriteFileAtomically(f, "old");
    {
        TAtomicFile w(f);
        w.Write("new content");
        EXPECT_EQ(ReadWholeFile(f), "old"); // not yet committed
    }                                       // destroyed without Commit: abandoned
    EXPECT_EQ(ReadWholeFile(f), "old");
    {
        TAtomicFile w(f);
        std::string big(3 << 20, 'x');
        w.Write(big);
        w.Commit();
    }
    EXPECT_EQ(fs::file_size(f), 3u << 20);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(AtomicFileTest, FailsClearlyWhenTheFolderIsMissing)
{
    EXPECT_THROW(TAtomicFile(dir_ / "missing" / "x"), EFileWrite);
    EXPECT_THROW(ReadWholeFile(dir_ / "nothing"), std::runtime_error);
}

TEST(TextWidthTest, ColumnsCountTheCharactersShown)
{
    EXPECT_EQ(DisplayWidth("bar"), 3);
    EXPECT_EQ(DisplayWidth("\xC2\xB0"
                           "C"),
              2);                                           // °C: two bytes for the degree sign, two columns
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1);                // e with a combining acute accent
    EXPECT_EQ(DisplayWidth("\xE6\x97\xA5\xE6\x9C\xAC"), 4); // two wide characters
    EXPECT_EQ(DisplayWidth(""), 0);
    // Padding: by columns; a wider text is never cut.
    EXPECT_EQ(PadToWidth("\xC2\xB0"
                         "C",
                         5),
              "\xC2\xB0"
              "C   ");
    EXPECT_EQ(PadToWidth("12", 5, true), "   12");
    EXPECT_EQ(PadToWidth("toolong", 3), "toolong");
    // Malformed bytes still take a column each instead of failing.
    EXPECT_GE(DisplayWidth("a\xFF"), 2);
}
