// The caption rule: text numbers in component names, ApplyCaptions over
// captions and lists, and the caption part of StyleButtonLabel.
#include "core/text/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vro {
namespace {

class TFakeComponent : public ICaptionTarget {
public:
    TFakeComponent(std::string name, TCaptionKind kind, std::string caption = "design",
                   std::vector<std::string> lines = {"design item"})
        : name_(std::move(name)), kind_(kind), caption(std::move(caption)), lines(std::move(lines))
    {}
    std::string Name() const override { return name_; }
    TCaptionKind Kind() const override { return kind_; }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetLines(const std::vector<std::string>& l) override { lines = l; }

    std::string name_;
    TCaptionKind kind_;
    std::string caption;
    std::vector<std::string> lines;
};

std::string Numbered(int n) { return "T" + std::to_string(n); }

TEST(ComponentNumbers, FirstAndSecondNumber)
{
    EXPECT_EQ(ComponentTextNumber("x05xFileMenuItem"), 5);
    EXPECT_EQ(ComponentTextNumber("x1xGraphicViewItem"), 1);
    EXPECT_EQ(ComponentTextNumber("x12x15xKindRadioGroup"), 12);
    EXPECT_EQ(ComponentSecondTextNumber("x12x15xKindRadioGroup"), 15);
    EXPECT_EQ(ComponentSecondTextNumber("x10x11xKeepNameComboBox"), 11);
    EXPECT_EQ(ComponentTextNumber("x7x"), 7);
}

TEST(ComponentNumbers, NamesOutsideThePattern)
{
    EXPECT_EQ(ComponentTextNumber(""), std::nullopt);
    EXPECT_EQ(ComponentTextNumber("xx"), std::nullopt);
    EXPECT_EQ(ComponentTextNumber("xxA"), std::nullopt);         // empty number
    EXPECT_EQ(ComponentTextNumber("x12FileMenu"), std::nullopt); // no closing x
    EXPECT_EQ(ComponentTextNumber("xabxLabel"), std::nullopt);   // letters
    EXPECT_EQ(ComponentTextNumber("X5xLabel"), std::nullopt);    // upper-case X
    EXPECT_EQ(ComponentTextNumber("OkLabel"), std::nullopt);
    EXPECT_EQ(ComponentTextNumber("x1 xLabel"), std::nullopt);
    EXPECT_EQ(ComponentSecondTextNumber("x5xLabel"), std::nullopt);
    EXPECT_EQ(ComponentSecondTextNumber("x5xabxLabel"), std::nullopt);
    EXPECT_EQ(ComponentSecondTextNumber("x5x"), std::nullopt);
    // A number too large for an int is not a number.
    EXPECT_EQ(ComponentTextNumber("x99999999999xLabel"), std::nullopt);
}

TEST(ApplyCaptions, CaptionsAndListsFromTheBase)
{
    TFakeComponent menu("x1xGraphicViewItem", TCaptionKind::Caption);
    TFakeComponent combo("x2x4xKindComboBox", TCaptionKind::Lines);
    TFakeComponent memo("x3xHelpMemo", TCaptionKind::Lines);
    TFakeComponent plain("NameEdit", TCaptionKind::Caption);
    TFakeComponent bad("x2LabelWithoutClose", TCaptionKind::Caption);
    TFakeComponent letters("xabxLabel", TCaptionKind::Caption);
    TFakeComponent panel("x9xPanel", TCaptionKind::Other);
    ApplyCaptions({&menu, &combo, &memo, &plain, &bad, &letters, &panel, nullptr}, 100, Numbered);
    EXPECT_EQ(menu.caption, "T101");
    EXPECT_EQ(combo.lines, (std::vector<std::string>{"T102", "T103", "T104"}));
    EXPECT_TRUE(memo.lines.empty()); // a list without a second number is cleared
    EXPECT_EQ(plain.caption, "design");
    EXPECT_EQ(bad.caption, "design");
    EXPECT_EQ(letters.caption, "design");
    EXPECT_EQ(panel.caption, "design");
}

TEST(ApplyCaptions, ReversedRangeGivesEmptyList)
{
    TFakeComponent combo("x5x2xComboBox", TCaptionKind::Lines);
    ApplyCaptions({&combo}, 0, Numbered);
    EXPECT_TRUE(combo.lines.empty());
}

TEST(ApplyCaptions, DefaultLookupIsTheActiveTable)
{
    SelectTextLanguage("en");
    TFakeComponent menu("x1xGraphicViewItem", TCaptionKind::Caption);
    ApplyCaptions({&menu}, 66);
    EXPECT_EQ(menu.caption, "View");
}

TEST(ApplyCaptions, RealFormsGetTheirQuotedTexts)
{
    SelectTextLanguage("en");
    // Trigger editor (base 908): combination and source lists.
    TFakeComponent combination("x7x11xCommonTriggerComboBox", TCaptionKind::Lines);
    TFakeComponent source("x13x17xSourceComboBox", TCaptionKind::Lines);
    TFakeComponent event4("x22xTrigger4CheckBox", TCaptionKind::Caption);
    TFakeComponent discard("CancelLabel", TCaptionKind::Caption);
    ApplyCaptions({&combination, &source, &event4, &discard}, 908);
    EXPECT_EQ(combination.lines, (std::vector<std::string>{"None", "1 and 2", "1 and 2 and 3", "1 and 2 and 3 and 4",
                                                           "(1 & 2) or (3 & 4)"}));
    EXPECT_EQ(source.lines, (std::vector<std::string>{"Actuation of button/key", "External signal change",
                                                      "Specific value", "Leaving measurement window", "Timed"}));
    EXPECT_EQ(event4.caption, "Event 4");
    EXPECT_EQ(discard.caption, "design");

    // Recording editor (base 801): 18 sample rates and 16 durations.
    TFakeComponent rates("x7x24xSampleRateComboBox", TCaptionKind::Lines);
    TFakeComponent durations("x28x43xDurationComboBox", TCaptionKind::Lines);
    ApplyCaptions({&rates, &durations}, 801);
    ASSERT_EQ(rates.lines.size(), 18u);
    EXPECT_EQ(rates.lines.front(), "0.1 ms");
    EXPECT_EQ(rates.lines.back(), "1 min");
    ASSERT_EQ(durations.lines.size(), 16u);
    EXPECT_EQ(durations.lines.front(), "1 sec");
    EXPECT_EQ(durations.lines.back(), "24 hours");

    // Start-recording page (base 1174) in German.
    SelectTextLanguage("de");
    TFakeComponent save("x47x48xSaveRecordingDataComboBox", TCaptionKind::Lines);
    TFakeComponent start("x1xOkLabel", TCaptionKind::Caption);
    ApplyCaptions({&save, &start}, 1174);
    EXPECT_EQ(save.lines, (std::vector<std::string>{"Auf PC speichern", "Im VRO speichern"}));
    EXPECT_EQ(start.caption, "Start");
    SelectTextLanguage("en");
}

TEST(StyleButtonLabel, LibraryCaptionByName)
{
    SelectLibraryLanguage("de");
    EXPECT_EQ(StyleButtonLabelCaption("OkLabel", "&OK"), "  Ok  ");
    EXPECT_EQ(StyleButtonLabelCaption("CloseLabel", ""), "  Schließen  ");
    SelectLibraryLanguage("fr");
    EXPECT_EQ(StyleButtonLabelCaption("CancelLabel", "x"), "  Interrompre  ");
    SelectLibraryLanguage("it");
    EXPECT_EQ(StyleButtonLabelCaption("YesToAllLabel", "x"), "  All Yes  ");
    EXPECT_EQ(StyleButtonLabelCaption("RetryLabel", "x"), "  Repeat  ");
    // Other names keep their caption, stripped of the marker and trimmed.
    EXPECT_EQ(StyleButtonLabelCaption("x3xUpdateLabel", "  &Refresh list "), "  Refresh list  ");
    EXPECT_EQ(StyleButtonLabelCaption("SaveLabel", "Save && close"), "  Save & close  ");
    EXPECT_EQ(StyleButtonLabelCaption("SaveLabel", ""), "    ");
    EXPECT_EQ(ButtonLabelCaption("okLabel"), std::nullopt);
    SelectLibraryLanguage("de");
}

} // namespace
} // namespace vro
