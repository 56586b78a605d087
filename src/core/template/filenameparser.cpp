#include "core/template/filenameparser.h"

#include "core/template/safefilename.h"
#include "core/values/dvxdatetime.h"

namespace vro {

namespace {

constexpr std::string_view Presets[TFilenameParser::PresetCount] = {
    "%Name_%Nr:1_%Date_%Time",
    "%Nr:1_%Name_%Date_%Time",
    "%Date_%Time_%Name_%Nr:1",
    "%Date_%Time_%Nr:1_%Name",
};

void ReplaceAll(std::string& s, std::string_view what, std::string_view with)
{
    std::size_t pos = 0;
    while ((pos = s.find(what, pos)) != std::string::npos) {
        s.replace(pos, what.size(), with);
        pos += with.size();
    }
}

// Replaces every occurrence of placeholder p by value, in one pass from the
// left. "p:d" pads the value with zeros to d characters; the digit is taken
// out, a character that is no digit counts as 0 and is taken out too, and a
// ":" at the very end of the text has no digit and pads nothing.
void Fill(std::string& s, std::string_view p, const std::string& value)
{
    std::size_t pos = 0;
    while ((pos = s.find(p, pos)) != std::string::npos) {
        std::size_t len = p.size();
        std::string v = value;
        if (pos + len < s.size() && s[pos + len] == ':') {
            ++len;
            if (pos + len < s.size()) {
                const char c = s[pos + len];
                const std::size_t digits = (c >= '0' && c <= '9') ? static_cast<std::size_t>(c - '0') : 0;
                ++len;
                if (v.size() < digits)
                    v.insert(0, digits - v.size(), '0');
            }
        }
        s.replace(pos, len, v);
        pos += v.size();
    }
}

} // namespace

std::string_view TFilenameParser::PresetTemplate(int index)
{
    if (index < 0 || index >= PresetCount)
        return {};
    return Presets[index];
}

void TFilenameParser::SelectPreset(int index)
{
    if (index >= 0 && index < PresetCount)
        SetTemplate(Presets[index]);
}

std::string TFilenameParser::TemplateToPattern(std::string_view templ) const
{
    static constexpr std::string_view dateForms[] = {"%YYYY:2-%MM:2-%DD", "%DD:2.%MM:2.%YYYY", "%MM:2/%DD:2/%YYYY"};
    std::string p(templ);
    ReplaceAll(p, "%Date", dateForms[dateForm_]);
    ReplaceAll(p, "%Time", "%hh:2%mm:2%ss:2");
    ReplaceAll(p, "%Nr", "%#");
    ReplaceAll(p, "%Name", "%n");
    return p;
}

void TFilenameParser::SetTemplate(std::string_view templ)
{
    template_ = templ;
    SetPattern(TemplateToPattern(templ));
}

void TFilenameParser::SetPattern(std::string_view pattern)
{
    pattern_ = pattern;
    work_ = pattern_;
}

void TFilenameParser::SetDateTime(double dateTime)
{
    const TDvxDateParts p = DecodeDvxDateTime(dateTime);
    year_ = static_cast<std::int16_t>(p.Year);
    month_ = static_cast<std::int16_t>(p.Month);
    day_ = static_cast<std::int16_t>(p.Day);
    hour_ = static_cast<std::int16_t>(p.Hour);
    minute_ = static_cast<std::int16_t>(p.Minute);
    second_ = static_cast<std::int16_t>(p.Second);
}

std::string TFilenameParser::Generate()
{
    if (pattern_.empty())
        return {};
    Fill(work_, "%YYYY", std::to_string(year_));
    Fill(work_, "%MM", std::to_string(month_));
    Fill(work_, "%DD", std::to_string(day_));
    Fill(work_, "%hh", std::to_string(hour_));
    Fill(work_, "%mm", std::to_string(minute_));
    Fill(work_, "%ss", std::to_string(second_));
    Fill(work_, "%#", std::to_string(number_));
    Fill(work_, "%n", name_);
    return work_;
}

std::string MakeTemplateFileName(std::string_view pattern, std::string_view name, std::int32_t number, double startTime,
                                 std::string_view extension)
{
    TFilenameParser parser;
    parser.SetPattern(pattern);
    parser.SetNumber(number);
    parser.SetName(name);
    parser.SetDateTime(startTime);
    const std::string base = SafeFileName(parser.Generate());
    if (base.empty())
        throw EUnsafeFileName("The pattern \"" + std::string(pattern) + "\" gives an empty file name");
    return base + "." + std::string(extension);
}

} // namespace vro
