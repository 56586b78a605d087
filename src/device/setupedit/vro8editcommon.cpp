#include "device/setupedit/vro8editcommon.h"

#include "core/text/texts.h"

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

std::vector<std::string> Vro8TextRange(int first, int last)
{
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n)
        out.push_back(text(n));
    return out;
}

std::string Vro8ChannelLetter(int index)
{
    return std::string(1, static_cast<char>('A' + index));
}

} // namespace vro
