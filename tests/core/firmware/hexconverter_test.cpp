#include "core/firmware/vro8hexconverter.h"
#include "core/util/md5.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace vro;

namespace {

// One Intel HEX record with a correct checksum.
std::string Rec(unsigned address, unsigned type, const std::vector<std::uint8_t>& data)
{
    char buf[16];
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(buf, sizeof buf, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF, type);
    std::string out = buf;
    for (std::uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
        sum += b;
    }
    std::snprintf(buf, sizeof buf, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return out + buf;
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 0)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

const std::string kEnd = ":00000001FF";

std::string ReasonOf(int area, const std::vector<std::string>& lines)
{
    try {
        LoadHexImage(area, lines);
    } catch (const EReConvert& e) {
        EXPECT_STREQ(e.what(), "Error");
        return e.Reason();
    }
    return "accepted";
}

std::string SmallFile(std::string_view code)
{
    const std::string hex0 = Rec(0x8000, 0, {1, 2, 3}) + "\n" + kEnd + "\n";
    const std::string hex1 = Rec(0x0000, 0, {4, 5}) + "\n" + kEnd + "\n";
    return MakeUpdateFileText(code, hex0, hex1);
}

} // namespace

TEST(HexConverter, HardwareCodeIsCheckedFirstAndEmptiesTheLists)
{
    std::vector<std::string> l0{"stale"}, l1{"stale"};
    std::string code;
    // "03" with a damaged MD5 line: still just false, nothing split.
    std::string text = SmallFile("03");
    text[text.size() - 3] ^= 1;
    EXPECT_FALSE(TVro8000HexConverter::Split(text, l0, code, l1));
    EXPECT_EQ(code, "03");
    EXPECT_TRUE(l0.empty());
    EXPECT_TRUE(l1.empty());

    for (const char* ok : {"01", "02", "04"}) {
        EXPECT_TRUE(TVro8000HexConverter::Split(SmallFile(ok), l0, code, l1)) << ok;
        EXPECT_EQ(code, ok);
        EXPECT_FALSE(l0.empty());
        EXPECT_FALSE(l1.empty());
    }
}

TEST(HexConverter, Md5LineMustMatchExactlyInLowerCase)
{
    std::vector<std::string> l0, l1;
    std::string code;
    std::string text = SmallFile("02");
    text[text.size() - 5] = text[text.size() - 5] == '0' ? '1' : '0';
    EXPECT_THROW(TVro8000HexConverter::Split(text, l0, code, l1), EReConvert);

    std::string upper = SmallFile("02");
    for (std::size_t i = upper.size() - 34; i < upper.size() - 2; ++i)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[i])));
    if (upper != SmallFile("02")) { // digits only would be the same text
        EXPECT_THROW(TVro8000HexConverter::Split(upper, l0, code, l1), EReConvert);
    }
}

TEST(HexConverter, TextsTooShortOrWithoutAreaSignsAreRefusedWithinBounds)
{
    std::vector<std::string> l0, l1;
    std::string code;
    auto withMd5 = [](std::string body) { return body + Md5Hex(body) + "\r\n"; };
    for (const std::string& text : {std::string(), std::string("="), std::string("x=0"), std::string("=01"),
                                    std::string("=02\r\n"), withMd5("VXUPD=02\r\n"), withMd5("=02")}) {
        EXPECT_THROW(TVro8000HexConverter::Split(text, l0, code, l1), EReConvert) << text;
        EXPECT_TRUE(l0.empty());
        EXPECT_TRUE(l1.empty());
    }
    // Two "=" only: the code's sign opens area 0, which then fails in LoadHex.
    const std::string two = withMd5("VXUPD=02IJ=" + std::string("T00000001FFIJ") + "\r\n");
    ASSERT_TRUE(TVro8000HexConverter::Split(two, l0, code, l1));
    EXPECT_NE(ReasonOf(0, l0), "accepted");
    EXPECT_EQ(ReasonOf(1, l1), "accepted");
}

TEST(HexConverter, LineEndsOfAnyKindReadTheSame)
{
    const std::string crlf = SmallFile("02");
    std::string lf, cr;
    for (char c : crlf) {
        if (c != '\r')
            lf += c;
        if (c != '\n')
            cr += c;
    }
    const std::string noFinal = crlf.substr(0, crlf.size() - 2);
    for (const std::string& text : {crlf, lf, cr, noFinal}) {
        const TVro8UpdateFile f = DecodeUpdateFile(text);
        EXPECT_EQ(f.Areas[0].Image[0], 1);
        EXPECT_EQ(f.Areas[0].Image[3], 0xFF);
        EXPECT_EQ(f.Areas[1].Image[1], 5);
        EXPECT_EQ(f.Areas[0].StoredBytes, 3u);
        EXPECT_EQ(f.Areas[1].StoredBytes, 2u);
    }
}

TEST(HexConverter, SampleFileRoundTrip)
{
    const auto img0 = MakeSampleImage(0, "VRO8K-S 1.08", 7);
    const auto img1 = MakeSampleImage(1, "VRO8K-M 2.11", 8);
    const std::string text = MakeUpdateFileText("02", ImageToHex(0, img0), ImageToHex(1, img1));
    const TVro8UpdateFile f = DecodeUpdateFile(text);
    EXPECT_EQ(f.HardwareCode, "02");
    EXPECT_EQ(f.Checksum, text.substr(text.size() - 34, 32));
    EXPECT_EQ(f.Areas[0].Image, img0);
    EXPECT_EQ(f.Areas[1].Image, img1);
    EXPECT_EQ(f.Areas[0].DroppedBytes + f.Areas[1].DroppedBytes, 0u);
    EXPECT_EQ(f.PathLabel(), "VRO8K-M 2.11 / VRO8K-S 1.08");
    EXPECT_EQ(MakeSampleImage(1, "VRO8K-M 2.11", 8), img1); // fixed seed
}

TEST(HexConverter, HardwareVariantTable)
{
    EXPECT_EQ(VariantsAccepting("01"), (std::vector<int>{0}));
    EXPECT_EQ(VariantsAccepting("02"), (std::vector<int>{1}));
    EXPECT_EQ(VariantsAccepting("03"), (std::vector<int>{0, 2}));
    EXPECT_EQ(VariantsAccepting("04"), (std::vector<int>{3}));
    EXPECT_TRUE(VariantsAccepting("05").empty());
    for (int v : {4, -1, 32767})
        for (const char* c : {"01", "02", "03", "04"})
            EXPECT_FALSE(HardwareCodeAccepted(v, c));
}

TEST(HexLoad, UpperAndLowerCaseAndRecordTypes)
{
    const auto img = LoadHexImage(1, {"", "  " + Rec(0x10, 0, {0xAB, 0xCD}) + "  ", ":00000001ff", ""});
    EXPECT_EQ(img.Image[0x10], 0xAB);
    EXPECT_EQ(img.Image[0x11], 0xCD);
    EXPECT_EQ(img.Image.size(), kVro8Area1Size);

    // 02 moves by 16, 04 by 65536; 03 and 05 are read and ignored.
    const auto moved =
        LoadHexImage(1, {Rec(0, 2, {0x10, 0x00}), Rec(0x4, 0, {9}), Rec(0, 4, {0x00, 0x02}), Rec(0x8, 0, {8}),
                         Rec(0, 3, {0, 0, 0, 0}), Rec(0, 5, {0, 0, 0, 0}), Rec(0x9, 0, {7}), kEnd});
    EXPECT_EQ(moved.Image[0x10004], 9);
    EXPECT_EQ(moved.Image[0x20008], 8);
    EXPECT_EQ(moved.Image[0x20009], 7);
    EXPECT_EQ(moved.StoredBytes, 3u);

    // Characters after the checksum byte are not read.
    EXPECT_EQ(ReasonOf(1, {Rec(0, 0, {1}) + "zz", kEnd}), "accepted");
}

TEST(HexLoad, WindowsAreTestedPerByte)
{
    const auto a0 = LoadHexImage(0, {Rec(0x7FF0, 0, Bytes(32)), Rec(0xF9F0, 0, Bytes(32, 100)), kEnd});
    EXPECT_EQ(a0.Image[0], 16); // address 0x8000 = byte 16 of the record
    EXPECT_EQ(a0.Image[15], 31);
    EXPECT_EQ(a0.Image[0x79F0], 100);
    EXPECT_EQ(a0.Image[0x79FF], 115);
    EXPECT_EQ(a0.StoredBytes, 32u);
    EXPECT_EQ(a0.DroppedBytes, 32u);

    const auto a1 = LoadHexImage(1, {Rec(0, 4, {0x00, 0x03}), Rec(0xDFF0, 0, Bytes(32)), kEnd});
    EXPECT_EQ(a1.Image[0x3DFF0], 0);
    EXPECT_EQ(a1.Image[0x3DFFF], 15);
    EXPECT_EQ(a1.StoredBytes, 16u);
    EXPECT_EQ(a1.DroppedBytes, 16u);

    // Type 04 with 0x0004 and with 0xFFFF: at 0x40000 and above, ignored
    // (no overflow to a negative offset).
    for (std::uint8_t hi : {0x00, 0xFF}) {
        const std::uint8_t lo = hi ? 0xFF : 0x04;
        for (int area : {0, 1}) {
            const auto img = LoadHexImage(area, {Rec(0, 4, {hi, lo}), Rec(0xFFF0, 0, Bytes(32)), kEnd});
            EXPECT_EQ(img.StoredBytes, 0u);
            EXPECT_EQ(img.DroppedBytes, 32u);
            EXPECT_EQ(std::count(img.Image.begin(), img.Image.end(), 0xFF), static_cast<long>(Vro8AreaSize(area)));
        }
    }
}

TEST(HexLoad, StructuralRefusals)
{
    const std::string data = Rec(0, 0, {1, 2});
    struct Case {
        std::vector<std::string> lines;
        const char* reason;
    };
    std::string badSum = data;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    const Case cases[] = {
        {{}, "no end record"},
        {{data}, "no end record"},
        {{kEnd, data}, "after the end record"},
        {{":0000000", kEnd}, "too short"},
        {{":000000000", kEnd}, "too short"}, // 10 characters
        {{"x" + data.substr(1), kEnd}, "begin with"},
        {{Rec(0, 6, {1}), kEnd}, "unknown record type"},
        {{badSum, kEnd}, "checksum"},
        {{data.substr(0, data.size() - 2), kEnd}, "shorter than its byte count"},
        {{":10000000" + std::string(6, '0'), kEnd}, "shorter than its byte count"},
        {{Rec(0, 4, {1}), kEnd}, "two data bytes"},
        {{Rec(0, 2, {}), kEnd}, "two data bytes"},
        {{":02000000zz00fe", kEnd}, "not a hexadecimal byte"},
        {{":gg0000000000", kEnd}, "not a hexadecimal byte"},
    };
    for (const Case& c : cases) {
        const std::string reason = ReasonOf(0, c.lines);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason << " for " << ::testing::PrintToString(c.lines);
    }
    // The reason names area and line.
    EXPECT_NE(ReasonOf(1, {"", data, badSum, kEnd}).find("area 1, HEX line 3"), std::string::npos);
}

TEST(HexImage, VersionTexts)
{
    std::vector<std::uint8_t> a0(kVro8Area0Size, 0xFF);
    EXPECT_EQ(ImageVersionText(0, a0), "");
    const std::string at79c0 = "VRO8K-S 1.07";
    std::copy(at79c0.begin(), at79c0.end(), a0.begin() + 0x79C0);
    a0[0x79C0 + at79c0.size()] = 0;
    EXPECT_EQ(ImageVersionText(0, a0), "VRO8K-S 1.07");

    std::vector<std::uint8_t> b0(kVro8Area0Size, 0xFF);
    const std::string at7980 = "OLD 0.99\xE9xxxxxxxxx"; // 14 characters used, Latin-1 e acute
    std::copy(at7980.begin(), at7980.end(), b0.begin() + 0x7980);
    EXPECT_EQ(ImageVersionText(0, b0), "OLD 0.99\xC3\xA9xxxxx");

    std::vector<std::uint8_t> a1(kVro8Area1Size, 0xFF);
    a1[0x3BF00] = 'M';
    EXPECT_EQ(ImageVersionText(1, a1), "M"); // ends at erased flash
    EXPECT_EQ(ImageVersionText(1, {}), "");
}
