// What the setup editors have in common, without any window: a check result
// (the failing field and its message), the choice lists that also show a
// block value outside the list, and the text of a numbered entry range.
//
// The editors work on a TVro8Setup; reading and writing the recorder raise
// the link's and the recorder's errors (EDvxV24Error, EVro8Device), which the
// caller reports (a window with text 684 and the error latch, `vro` on
// standard error).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vro {

// A failed check: the control's object name and the message (library or
// numbered text in the chosen language).
struct TVro8EditFailure {
    std::string Field;
    std::string Message;
};
// Empty when every check passed.
using TVro8EditResult = std::optional<TVro8EditFailure>;

// A list of entries with a selection. A block value that the list does not
// offer becomes an extra entry with its number, selected, so that OK keeps the
// value unless the user picks another entry (instead of writing "no
// selection").
struct TVro8Choice {
    std::vector<std::string> Entries;
    int Selected = 0;
    int Offered = 0;     // entries the list offers; an extra one follows
    int ExtraValue = -1; // the value of the extra entry, -1 without one

    // The list with `value` selected (an extra entry when value is outside 0..size-1).
    static TVro8Choice Of(std::vector<std::string> entries, int value);
    // The block value of entry `index` (the extra entry gives its value).
    int ValueOf(int index) const;
    int Value() const { return ValueOf(Selected); }
    // Selects entry `index`; false (unchanged) for an index outside the list.
    bool Select(int index);
};

// The check of a numeric field with the value conversion (decimals, raw
// limits): on success `raw` holds the value and the text is trimmed.
TVro8EditResult Vro8CheckFix(const std::string& field, std::string& text, int decimals, std::int64_t min,
                             std::int64_t max, std::int64_t& raw);
// A raw value as the fields show it (exactly `decimals` decimals, 0..8;
// decimals outside are shown as 0).
std::string Vro8FixText(std::int64_t raw, int decimals);
// A text's first "%s" or "%d" replaced by `value`.
std::string Vro8Format(const std::string& pattern, const std::string& value);

// Texts first..last of the text table in the chosen language.
std::vector<std::string> Vro8TextRange(int first, int last);

// Letter of channel record `index` ("A" ...), upper case.
std::string Vro8ChannelLetter(int index);

} // namespace vro
