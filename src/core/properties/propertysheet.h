// The properties sheet of a recording: the ordered headings and rows the
// properties pane paints and `vro properties` prints, each with the top y it
// is painted at. Its pieces (type name, trigger list, information-line split,
// range text) also serve the printout's recorded-data rows.
//
// Texts come from the active text table; dates and the decimal separator
// from the given format settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/recording/recording.h"
#include "core/values/dvxdatetime.h"

namespace vro {

struct TSheetEntry {
    bool Heading = false;
    std::string Label; // a heading's text
    std::string Value;
    int Top = 0; // y of the text's top
    bool operator==(const TSheetEntry&) const = default;
};

struct TPropertySheet {
    std::vector<TSheetEntry> Entries;
    int Height = 0; // y after the last entry
};

// The sheet's geometry, in pixels of an 8-point font.
inline constexpr int kSheetFontSize = 8;
inline constexpr int kSheetTop = 10;
inline constexpr int kSheetLabelLeft = 25;
inline constexpr int kSheetLabelRight = 150;
inline constexpr int kSheetValueLeft = 160;
inline constexpr int kSheetHeadingGap = 5;                    // before a heading
inline constexpr int kSheetHeadingStep = kSheetFontSize + 10; // a heading's height
inline constexpr int kSheetRowHeight = kSheetFontSize + 8;    // a row's text box
inline constexpr int kSheetRowStep = kSheetFontSize + 13;

TPropertySheet BuildPropertySheet(const TRecording& r, const TDvxFormatSettings& fs = DvxFormatSettings());

// Type 0..3 named (texts 293, 294, 295, 307); any other type empty.
std::string RecordingTypeName(int type);
// "Trigger1, Trigger3" for the set bits 0..7 of the state; "-" for none.
std::string TriggerEventText(std::int32_t triggerState);
// "dd.mm.yyyy   hh:nn:ss" whatever the locale (three blanks).
std::string FixedSheetDateTime(double dateTime);
// "-" for the recorder's no-trigger value, else the fixed form.
std::string TriggerTimeText(double triggerTime);

// One information line: "@x" is heading x; otherwise the label is the text
// before the first "|", the value the text up to the second "|", both
// trimmed of blanks; no "|" leaves the value empty.
struct TInfoLine {
    bool Heading = false;
    std::string Label;
    std::string Value;
};
TInfoLine SplitInfoLine(const std::string& line);

// raw / 10^decimals as its shortest decimal text ("250", "-1", "12.34").
std::string ShortestDecimalText(std::int32_t raw, int decimals, const TDvxFormatSettings& fs = DvxFormatSettings());
// "lo .. hi unit" of the channel's device range; none when an end has no value.
std::optional<std::string> MeasurementRangeText(const TRecordingSensorWrapper& channel,
                                                const TDvxFormatSettings& fs = DvxFormatSettings());

} // namespace vro
