// The shared text helpers: what counts as a blank, ASCII-only case, empty
// pieces of a split and where an extension starts.
#include "core/util/text.h"

#include <gtest/gtest.h>

using namespace vro;

TEST(Text, TrimTakesSpacesAndControlCharactersFromBothEndsOnly)
{
    EXPECT_EQ(Trim(" \t\r\n\x01 a b \x1f\v"), "a b");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
    EXPECT_EQ(TrimRight("  x  "), "  x");
    // A byte above 127 (part of a UTF-8 or Latin-1 character) is no blank.
    EXPECT_EQ(Trim("\xC2\xA0x\xA0"), "\xC2\xA0x\xA0");
}

TEST(Text, CaseIsFoldedForAsciiLettersAlone)
{
    EXPECT_EQ(LowerAscii("AbZ09@[`{\xC3\x84"), "abz09@[`{\xC3\x84");
    EXPECT_EQ(UpperAscii("abz\xC3\xA4"), "ABZ\xC3\xA4");
    EXPECT_TRUE(EqualNoCase("VxCrypt:", "vXcRYPT:"));
    EXPECT_FALSE(EqualNoCase("\xC3\x84", "\xC3\xA4")); // not a letter here
    EXPECT_FALSE(EqualNoCase("ab", "abc"));
    EXPECT_TRUE(EndsWithNoCase("10:00 PM", "pm"));
    EXPECT_FALSE(EndsWithNoCase("m", "pm"));
}

TEST(Text, SplitKeepsEmptyPieces)
{
    EXPECT_EQ(Split("a,,b", ','), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(Split(",", ','), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Split("abc", ','), (std::vector<std::string>{"abc"}));
}

TEST(Text, ExtensionIsTheEndOfTheLastNameWhateverItsCase)
{
    EXPECT_TRUE(HasExtension("out.vxrf", ".vxrf"));
    EXPECT_TRUE(HasExtension("dir/OUT.VXRF", ".vxrf"));
    EXPECT_TRUE(HasExtension("a.b.Vxrf", ".vxrf"));
    EXPECT_FALSE(HasExtension("out.vxrf.txt", ".vxrf"));
    EXPECT_FALSE(HasExtension("outvxrf", ".vxrf"));
    EXPECT_FALSE(HasExtension(".vxrf", ".vxrf")); // a hidden file without extension
    EXPECT_FALSE(HasExtension("dir/.vxrf", ".vxrf"));
    EXPECT_FALSE(HasExtension("", ".vxrf"));
}
