// The main text tables and the library text set: layout of the tables, the
// English wording that callers rely on for each quoted text number
// (quoted_en.tsv, produced by scripts/extract-texts), and placeholders that
// agree across the three languages.
#include "core/text/texts.h"

#include "core/util/charset.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace vro {
namespace {

const TTextLanguage kLanguages[] = {TTextLanguage::German, TTextLanguage::English, TTextLanguage::French};

const std::set<int> kFree = {0,  3,   24,  41,  42,  43,  57,  58,  66,  70,  85,
                             95, 114, 120, 147, 156, 274, 281, 282, 284, 289, 452};

std::set<int> EmptySlots()
{
    std::set<int> s = {123, 804, 866, 912, 913, 1038, 1039, 1111, 1153, 1162, 1280};
    for (int n :
         {528, 529, 530, 931, 932, 933, 934, 935, 936, 1044, 1045, 1046, 1186, 1187, 1188, 1223, 1224, 1225, 1226})
        s.insert(n);
    return s;
}

// The TSV escapes of the translators' files: \n, \t and \\.
std::string Unescape(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char e = s[++i];
            out.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e);
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// The printf conversions of a text in order ("%s", "%5.5d", "%1.*f", "%%").
std::vector<std::string> Placeholders(const std::string& s)
{
    static const std::regex kConversion(R"(%[-+ 0#]*(\d+|\*)?(\.(\d+|\*))?[sdfxXuicge%])");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), kConversion); it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

TEST(MainTexts, SearchResultLineStaysReadableAsComSettings)
{
    // A line of the device search (text 671) is read back by its port and
    // baud rate: "COM" right before the port number, the rate before "baud".
    for (TTextLanguage lang : kLanguages) {
        std::string t = text(lang, 671);
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(t.find("COM%D"), std::string::npos) << LanguageCode(lang);
        EXPECT_NE(t.find("%D BAUD"), std::string::npos) << LanguageCode(lang);
    }
}

// The library set is a record of C strings only; walk it as an array.
std::vector<const char*> LibraryEntries(const TLibraryTexts& t)
{
    static_assert(sizeof(TLibraryTexts) % sizeof(const char*) == 0);
    std::vector<const char*> out(sizeof(TLibraryTexts) / sizeof(const char*));
    std::memcpy(out.data(), &t, sizeof(TLibraryTexts));
    return out;
}

TEST(MainTexts, OutOfRangeNumbersAndLanguageCodes)
{
    SelectTextLanguage("en");
    EXPECT_EQ(text(0), "!free!");
    EXPECT_EQ(text(1340), "VX Recording(*.vxrf; *.vrf)|*.vxrf;*.vrf");
    EXPECT_EQ(text(-1), "TextErr--1");
    EXPECT_EQ(text(1341), "TextErr-1341");
    EXPECT_EQ(text(-2147483647 - 1), "TextErr--2147483648");
    SelectTextLanguage("de");
    EXPECT_EQ(TextLanguage(), TTextLanguage::German);
    EXPECT_EQ(text(0), "!free!");
    EXPECT_EQ(text(5000), "TextErr-5000");
    SelectTextLanguage("fr");
    EXPECT_EQ(TextLanguage(), TTextLanguage::French);
    EXPECT_EQ(text(2), text(TTextLanguage::French, 2));
    for (const char* code : {"DE", "it", "", "en", "deu", "fr "}) {
        SelectTextLanguage(code);
        EXPECT_EQ(TextLanguage(), TTextLanguage::English) << code;
    }
    EXPECT_EQ(text(67), "View");
    EXPECT_EQ(LanguageCode(TTextLanguage::German), "de");
    EXPECT_EQ(LanguageCode(TTextLanguage::French), "fr");
}

TEST(MainTexts, FreeAndEmptySlotsAndNoOtherEmptyEntry)
{
    const std::set<int> empty = EmptySlots();
    ASSERT_EQ(empty.size(), 30u);
    for (TTextLanguage lang : kLanguages) {
        for (int n = 0; n < kTextCount; ++n) {
            const std::string t = text(lang, n);
            if (kFree.count(n))
                EXPECT_EQ(t, "!free!") << LanguageCode(lang) << " " << n;
            else if (empty.count(n))
                EXPECT_EQ(t, "") << LanguageCode(lang) << " " << n;
            else {
                EXPECT_FALSE(t.empty()) << LanguageCode(lang) << " " << n;
                EXPECT_NE(t, "!free!") << LanguageCode(lang) << " " << n;
            }
        }
    }
}

TEST(MainTexts, QuotedEnglishWording)
{
    // Beside this file; __FILE__ is relative to the build folder, not to the test's working folder.
    const auto path = std::filesystem::path(VRO_TEST_DATA).parent_path() / "core/text/quoted_en.tsv";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const int n = std::stoi(line.substr(0, tab));
        EXPECT_EQ(text(TTextLanguage::English, n), Unescape(line.substr(tab + 1))) << "text " << n;
        ++count;
    }
    EXPECT_GT(count, 500);
}

TEST(MainTexts, TextsWithFixedPieces)
{
    // Texts of which only a piece is fixed: the wizard's introduction ends
    // with the hint to "Continue"; list ends of the recording-time choices.
    const std::string intro = text(TTextLanguage::English, 579);
    const std::string end = "You will then move to the selection of the firmware file by pressing \"Continue\".";
    ASSERT_GE(intro.size(), end.size());
    EXPECT_EQ(intro.substr(intro.size() - end.size()), end);
    EXPECT_EQ(text(TTextLanguage::English, 179), "Double quotation marks ( \" )");
    EXPECT_EQ(text(TTextLanguage::English, 1189), "1 second");
    EXPECT_EQ(text(TTextLanguage::English, 1204), "24 hrs");
}

TEST(MainTexts, GermanAndFrenchDifferFromEnglishWhereTheyShould)
{
    // A few fixed points of the translations; the rest is checked by the
    // placeholder and emptiness tests.
    EXPECT_EQ(text(TTextLanguage::German, 1), "Aufnahme");
    EXPECT_EQ(text(TTextLanguage::French, 1), "Enregistrement");
    EXPECT_EQ(text(TTextLanguage::German, 71), "Datei");
    EXPECT_EQ(text(TTextLanguage::French, 71), "Fichier");
}

TEST(MainTexts, EveryTextFitsTheSystemCodePage)
{
    // The tables are UTF-8 inside the program but must survive the way out
    // to ISO-8859-1 (recording files, legacy dialogs) without a '?'.
    for (TTextLanguage lang : kLanguages) {
        for (int n = 0; n < kTextCount; ++n) {
            const std::string t = text(lang, n);
            ASSERT_TRUE(IsValidUtf8(t)) << LanguageCode(lang) << " " << n;
            EXPECT_EQ(Latin1ToUtf8(Utf8ToLatin1(t)), t) << LanguageCode(lang) << " " << n;
        }
        for (const char* t : LibraryEntries(LibraryTexts(lang)))
            EXPECT_EQ(Latin1ToUtf8(Utf8ToLatin1(t)), std::string(t)) << LanguageCode(lang) << " " << t;
    }
}

TEST(MainTexts, PlaceholdersAgreeAcrossLanguages)
{
    for (int n = 0; n < kTextCount; ++n) {
        const auto en = Placeholders(text(TTextLanguage::English, n));
        EXPECT_EQ(Placeholders(text(TTextLanguage::German, n)), en) << "text " << n;
        EXPECT_EQ(Placeholders(text(TTextLanguage::French, n)), en) << "text " << n;
    }
}

TEST(MainTexts, FileDialogFiltersKeepTheirPatterns)
{
    // A filter is description|pattern pairs; the patterns must not be translated.
    for (int n : {311, 314, 315, 318, 370, 573, 760, 1340}) {
        auto patterns = [](const std::string& s) {
            std::vector<std::string> parts;
            std::size_t b = 0;
            for (std::size_t e; (e = s.find('|', b)) != std::string::npos; b = e + 1)
                parts.push_back(s.substr(b, e - b));
            parts.push_back(s.substr(b));
            std::vector<std::string> odd;
            for (std::size_t i = 1; i < parts.size(); i += 2)
                odd.push_back(parts[i]);
            return odd;
        };
        const auto en = patterns(text(TTextLanguage::English, n));
        EXPECT_FALSE(en.empty()) << n;
        EXPECT_EQ(patterns(text(TTextLanguage::German, n)), en) << n;
        EXPECT_EQ(patterns(text(TTextLanguage::French, n)), en) << n;
    }
    for (TTextLanguage lang : kLanguages)
        EXPECT_EQ(text(lang, 312), "vxrf");
}

TEST(LibraryTexts, SelectionAndButtonCaptions)
{
    SelectLibraryLanguage("en");
    EXPECT_STREQ(LibraryTexts().YesToAllCaption, "All Yes");
    EXPECT_STREQ(LibraryTexts().RetryCaption, "Repeat");
    SelectLibraryLanguage("fr");
    EXPECT_EQ(LibraryLanguage(), TTextLanguage::French);
    EXPECT_STREQ(LibraryTexts().ApplyCaption, "Transférer");
    SelectLibraryLanguage("DE");
    EXPECT_EQ(LibraryLanguage(), TTextLanguage::English);
    SelectLibraryLanguage("de");
    EXPECT_STREQ(LibraryTexts().OkCaption, "Ok");
    EXPECT_STREQ(LibraryTexts().CloseCaption, "Schließen");
    EXPECT_STREQ(LibraryTexts(TTextLanguage::English).EmptyInputError, "The entry may not be left empty.");
}

TEST(LibraryTexts, CompleteAndPlaceholdersAgree)
{
    const auto en = LibraryEntries(LibraryTexts(TTextLanguage::English));
    const auto de = LibraryEntries(LibraryTexts(TTextLanguage::German));
    const auto fr = LibraryEntries(LibraryTexts(TTextLanguage::French));
    for (std::size_t i = 0; i < en.size(); ++i) {
        ASSERT_NE(en[i], nullptr) << i;
        ASSERT_NE(de[i], nullptr) << i;
        ASSERT_NE(fr[i], nullptr) << i;
        EXPECT_NE(*en[i], '\0') << i;
        EXPECT_NE(*de[i], '\0') << i;
        EXPECT_NE(*fr[i], '\0') << i;
        EXPECT_EQ(Placeholders(de[i]), Placeholders(en[i])) << i << ": " << de[i];
        EXPECT_EQ(Placeholders(fr[i]), Placeholders(en[i])) << i << ": " << fr[i];
    }
    EXPECT_EQ(Placeholders(LibraryTexts(TTextLanguage::English).ConfigSaveError),
              (std::vector<std::string>{"%s", "%s", "%s"}));
}

} // namespace
} // namespace vro
