// File names from templates, for recordings and setups copied out of the
// recorder into a folder.
//
// A template is what the user edits: "%Name", "%Nr" (with a digit count,
// "%Nr:3"), "%Date", "%Time". It is turned into a pattern, which the parser
// fills in: "%n" (name), "%#" (number), "%YYYY", "%MM", "%DD", "%hh", "%mm",
// "%ss". A pattern placeholder followed by ":" and a digit d is padded with
// leading zeros to at least d characters. Placeholders are case-sensitive.
//
// Each placeholder is filled in one left-to-right pass; text that was just
// inserted is never searched again, so a name that itself holds "%n" or
// "%YYYY" appears literally and cannot make the text grow without end.
//
// The parser does not make the result safe as a file name; callers pass it
// through SafeFileName (core/template/safefilename.h) before they join it
// with a folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vro {

class TFilenameParser {
public:
    // The three date forms the parser knows; templates always use YearMonthDay.
    enum TDateForm { YearMonthDay, DayMonthYear, MonthDayYear };

    static constexpr int PresetCount = 4;
    // The user templates 0..3 ("%Name_%Nr:1_%Date_%Time", ...); empty for
    // other indices.
    static std::string_view PresetTemplate(int index);

    TFilenameParser() = default;

    // SetTemplate with preset 0..3; other indices change nothing.
    void SelectPreset(int index);
    // Stores the template, converts it to a pattern and calls SetPattern.
    void SetTemplate(std::string_view templ);
    // Stores the pattern and starts the working text as a copy of it.
    void SetPattern(std::string_view pattern);
    const std::string& GetTemplate() const { return template_; }
    const std::string& GetPattern() const { return pattern_; }

    void SetDateForm(TDateForm form) { dateForm_ = form; }
    TDateForm GetDateForm() const { return dateForm_; }
    // The template to pattern conversion with the current date form.
    std::string TemplateToPattern(std::string_view templ) const;

    void SetName(std::string_view name) { name_ = name; }
    void SetNumber(std::int32_t number) { number_ = number; }
    // Splits a date-time (day count, day 0 = 1899-12-30) into its parts.
    void SetDateTime(double dateTime);

    // Fills the working text and returns it: the file name without
    // extension, empty when the pattern is empty. The working text is
    // consumed: a second Generate without SetPattern returns the same text.
    std::string Generate();

private:
    std::string template_;
    std::string pattern_;
    std::string work_;
    std::string name_;
    std::int32_t number_ = 0;
    std::int16_t year_ = 1899, month_ = 12, day_ = 30, hour_ = 0, minute_ = 0, second_ = 0;
    TDateForm dateForm_ = YearMonthDay;
};

// The file name a transfer out of the recorder gives one file: the pattern
// filled with the file's number, name and start time, made safe with
// SafeFileName, then "." and the extension ("vxrf", "vxsf"). A pattern that
// gives an empty name, ".", or "..", raises EUnsafeFileName.
std::string MakeTemplateFileName(std::string_view pattern, std::string_view name, std::int32_t number, double startTime,
                                 std::string_view extension);

} // namespace vro
