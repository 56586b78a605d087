#include "device/setupedit/vro8editcommon.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"

#include <algorithm>

namespace vro {

TVro8Choice TVro8Choice::Of(std::vector<std::string> entries, int value)
{
    TVro8Choice c;
    c.Offered = static_cast<int>(entries.size());
    c.Entries = std::move(entries);
    if (value >= 0 && value < c.Offered) {
        c.Selected = value;
    } else {
        c.ExtraValue = value;
        c.Entries.push_back(std::to_string(value));
        c.Selected = c.Offered;
    }
    return c;
}

int TVro8Choice::ValueOf(int index) const
{
    if (index >= 0 && index < Offered)
        return index;
    return ExtraValue;
}

bool TVro8Choice::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(Entries.size()))
        return false;
    Selected = index;
    return true;
}

TVro8EditResult Vro8CheckFix(const std::string& field, std::string& text, int decimals, std::int64_t min,
                             std::int64_t max, std::int64_t& raw)
{
    const std::string msg = CheckFixValueText(text, decimals, min, max);
    if (!msg.empty())
        return TVro8EditFailure{field, msg};
    raw = ConvertStrToDvxValue(text, decimals, 4, true);
    return std::nullopt;
}

std::string Vro8FixText(std::int64_t raw, int decimals)
{
    return ConvertDvxFixValueToStr(decimals >= 0 && decimals <= 8 ? decimals : 0, true, raw);
}

std::string Vro8Format(const std::string& pattern, const std::string& value)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '%' && (pattern[i + 1] == 'd' || pattern[i + 1] == 's'))
            return pattern.substr(0, i) + value + pattern.substr(i + 2);
    return pattern;
}

std::vector<std::string> Vro8TextRange(int first, int last)
{
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n)
        out.push_back(text(n));
    return out;
}

std::string Vro8ChannelLetter(int index) { return std::string(1, static_cast<char>('A' + index)); }

} // namespace vro
