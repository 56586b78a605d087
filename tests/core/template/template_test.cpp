#include "core/template/filenameinputlogic.h"
#include "core/template/filenameparser.h"
#include "core/template/safefilename.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"

namespace vro {
namespace {

namespace fs = std::filesystem;

double At(int y, int mo, int d, int h, int mi, int s) { return *EncodeDvxDateTime({y, mo, d, h, mi, s, 0}); }

std::string Gen(std::string_view templ, std::string_view name = "Pump", int number = 7,
                double when = At(2024, 3, 5, 14, 30, 5))
{
    TFilenameParser p;
    p.SetTemplate(templ);
    p.SetName(name);
    p.SetNumber(number);
    p.SetDateTime(when);
    return p.Generate();
}

TEST(FilenameParser, PresetsAndExamples)
{
    EXPECT_EQ(Gen("%Name_%Nr:1_%Date_%Time"), "Pump_7_2024-03-5_143005");
    EXPECT_EQ(Gen("%Nr:3_%Name_%Date_%Time"), "007_Pump_2024-03-5_143005");
    EXPECT_EQ(Gen("%Date_%Time_%Name_%Nr:1"), "2024-03-5_143005_Pump_7");
    EXPECT_EQ(Gen("%Date", "x", 1, At(2024, 11, 15, 1, 2, 3)), "2024-11-15");
    EXPECT_EQ(Gen("%Time", "x", 1, At(2024, 11, 15, 1, 2, 3)), "010203");
    TFilenameParser p;
    p.SelectPreset(3);
    EXPECT_EQ(p.GetTemplate(), "%Date_%Time_%Nr:1_%Name");
    EXPECT_EQ(p.GetPattern(), "%YYYY:2-%MM:2-%DD_%hh:2%mm:2%ss:2_%#:1_%n");
    p.SelectPreset(4); // not a preset: unchanged
    EXPECT_EQ(p.GetTemplate(), "%Date_%Time_%Nr:1_%Name");
    p.SetDateForm(TFilenameParser::DayMonthYear);
    EXPECT_EQ(p.TemplateToPattern("%Date"), "%DD:2.%MM:2.%YYYY");
}

TEST(FilenameParser, PaddingRules)
{
    EXPECT_EQ(Gen("%Nr:3", "", 1234), "1234"); // padding never truncates
    EXPECT_EQ(Gen("%Nr:x-", "", 5), "5-");     // a non-digit is dropped, no padding
    EXPECT_EQ(Gen("a%Nr:", "", 5), "a5");      // ":" at the very end: nothing to read
    EXPECT_EQ(Gen("%Nr:9", "", 5), "000000005");
    EXPECT_EQ(Gen("%Nr %Nr:4 %Nr", "", 5), "5 0005 5");
    TFilenameParser p;
    p.SetPattern("%YYYY:6|%MM|%DD:3|%hh|%mm:1|%ss:4");
    p.SetDateTime(At(2024, 3, 5, 4, 6, 9));
    EXPECT_EQ(p.Generate(), "002024|3|005|4|6|0009");
}

TEST(FilenameParser, LiteralTextAndConsumedWorkingText)
{
    EXPECT_EQ(Gen(""), "");
    // Placeholders inside a name stay literal, and one holding the name's own
    // placeholder does not make the text grow.
    EXPECT_EQ(Gen("%Name", "%YYYY"), "%YYYY");
    EXPECT_EQ(Gen("%Name_%Name", "50%n"), "50%n_50%n");
    EXPECT_EQ(Gen("%Name", "%Nr:3"), "%Nr:3");
    // Case matters: "%date" is no placeholder, "%mm" is minutes, "%MM" month.
    EXPECT_EQ(Gen("%date_%Name"), "%date_Pump");
    TFilenameParser p;
    p.SetPattern("%MM-%mm");
    p.SetDateTime(At(2024, 3, 5, 14, 30, 5));
    EXPECT_EQ(p.Generate(), "3-30");
    p.SetDateTime(At(2025, 12, 1, 0, 0, 0));
    EXPECT_EQ(p.Generate(), "3-30"); // the working text was consumed
    p.SetPattern("%MM-%mm");
    EXPECT_EQ(p.Generate(), "12-0");
}

TEST(SafeFileNames, HostileNames)
{
    EXPECT_EQ(SafeFileName("Pump-00007"), "Pump-00007");
    EXPECT_EQ(SafeFileName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(SafeFileName("a\\b:c*d?e\"f<g>h|i"), "a_b_c_d_e_f_g_h_i");
    EXPECT_EQ(SafeFileName(std::string("x\ny\x7f", 4) + "\x01"), "x_y__");
    EXPECT_EQ(SafeFileName("M\xC3\xBC"
                           "hle"),
              "M\xC3\xBC"
              "hle"); // UTF-8 letters stay
    EXPECT_EQ(SafeFileName(""), "");
    EXPECT_EQ(SafeFileName("..."), "...");
    EXPECT_THROW(SafeFileName("."), EUnsafeFileName);
    EXPECT_THROW(SafeFileName(".."), EUnsafeFileName);

    EXPECT_EQ(MakeTemplateFileName("%n_%#:3", "a/b", 2, At(2024, 1, 1, 0, 0, 0), "vxrf"), "a_b_002.vxrf");
    EXPECT_THROW(MakeTemplateFileName("%n", "..", 2, 0, "vxrf"), EUnsafeFileName);
    EXPECT_THROW(MakeTemplateFileName("%n", "", 2, 0, "vxsf"), EUnsafeFileName);
    EXPECT_EQ(MakeTemplateFileName("/", "x", 2, 0, "vxrf"), "_.vxrf");
    EXPECT_EQ(MakeTemplateFileName("%n", "C:\\x", 2, 0, "vxrf"), "C__x.vxrf");
    EXPECT_EQ(MakeTemplateFileName("%n", "\x01\x1f", 2, 0, "vxrf"), "__.vxrf");
}

TEST(SafeFileNames, PathsStayInTheFolder)
{
    const fs::path dir = fs::temp_directory_path() / "vro-names";
    EXPECT_EQ(FileInFolder(dir, "a.vxrf"), dir / "a.vxrf");
    EXPECT_EQ(FileInFolder(dir, "..-00001.vxrf"), dir / "..-00001.vxrf");
    for (const char* bad : {"../x", "a/b", "..", ".", "", "/etc/passwd"})
        EXPECT_THROW(FileInFolder(dir, bad), EUnsafeFileName) << bad;
    // Everything SafeFileName lets through lies in the folder.
    for (const char* name : {"../x", "a/b", "C:\\x", "\x01\x7f", "...", "/"})
        EXPECT_TRUE(IsInFolder(dir, FileInFolder(dir, SafeFileName(name)))) << name;
    try {
        FileInFolder(dir, "../x");
        ADD_FAILURE();
    } catch (const EUnsafeFileName& e) {
        EXPECT_NE(std::string(e.what()).find("../x"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(dir.string()), std::string::npos);
    }

    EXPECT_TRUE(IsInFolder(dir, dir / "x"));
    EXPECT_TRUE(IsInFolder(dir.string() + "/", dir / "sub" / "x"));
    EXPECT_FALSE(IsInFolder(dir, dir));
    EXPECT_FALSE(IsInFolder(dir, dir / "sub" / ".." / ".."));
    EXPECT_FALSE(IsInFolder(dir, dir.parent_path() / "vro-names-other" / "x"));
    EXPECT_TRUE(IsInFolder("", "x.vxrf")); // the empty folder is the current one
}

class InputForm : public ::testing::Test {
protected:
    void SetUp() override { SelectTextLanguage("en"); }
    TFilenameInputLogic form{"SomeName", 2, At(2024, 3, 5, 14, 30, 5)};
};

TEST_F(InputForm, StartsWithPresetZeroAndDigitOne)
{
    EXPECT_EQ(form.Preset(), 0);
    EXPECT_EQ(form.TemplateText(), "%Name_%Nr:1_%Date_%Time");
    EXPECT_EQ(form.Preview(), "SomeName_2_2024-03-5_143005");
    EXPECT_FALSE(form.FreeInputVisible());
    const auto texts = TFilenameInputLogic::PresetTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "name_nr_date_time");
    EXPECT_EQ(texts[4], "free input");
    EXPECT_EQ(TFilenameInputLogic::DigitTexts().back(), "9");
}

TEST_F(InputForm, DigitsAndPresets)
{
    form.ChooseDigits(3);
    EXPECT_EQ(form.TemplateText(), "%Name_%Nr:3_%Date_%Time");
    form.ChoosePreset(1);
    EXPECT_EQ(form.Preview(), "002_SomeName_2024-03-5_143005");
    form.ChooseDigits(0); // not in the list
    EXPECT_EQ(form.Digits(), 3);
    std::string result = "old";
    EXPECT_EQ(form.Accept(result), 0);
    EXPECT_EQ(result, "%#:3_%n_%YYYY:2-%MM:2-%DD_%hh:2%mm:2%ss:2");
    EXPECT_EQ(TFilenameInputLogic::Cancel(result), 1);
    EXPECT_EQ(result, "");
}

TEST_F(InputForm, FreeInputComposition)
{
    form.ChoosePreset(TFilenameInputLogic::FreeInputIndex);
    EXPECT_TRUE(form.FreeInputVisible());
    EXPECT_EQ(form.TemplateText(), "%Name_%Nr:1_%Date_%Time"); // kept for editing
    form.Clear();
    std::string result;
    EXPECT_EQ(form.Accept(result), 2);
    form.AppendDate();
    EXPECT_EQ(form.TemplateText(), "%Date"); // no leading "_"
    form.AppendName();
    form.ChooseDigits(4);
    form.AppendNumber();
    EXPECT_EQ(form.TemplateText(), "%Date_%Name_%Nr:4");
    form.AppendDate(); // moves to the end
    EXPECT_EQ(form.TemplateText(), "%Name_%Nr:4_%Date");
    form.ChooseDigits(2);
    form.AppendNumber();
    EXPECT_EQ(form.TemplateText(), "%Name_%Date_%Nr:2");
    form.AppendTime();
    EXPECT_EQ(form.Preview(), "SomeName_2024-03-5_02_143005");
    form.SetTemplateText("  x_%Nr: ");
    EXPECT_EQ(form.Preview(), "  x_2");
    EXPECT_EQ(form.Accept(result), 0);
    EXPECT_EQ(result, "x_%#:");
    form.AppendNumber();
    EXPECT_EQ(form.TemplateText(), "  x _%Nr:2");
}

} // namespace
} // namespace vro
