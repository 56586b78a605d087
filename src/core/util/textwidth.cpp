#include "core/util/textwidth.h"

#include <uniwidth.h>

namespace vro {

int DisplayWidth(std::string_view utf8)
{
    return u8_width(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), "UTF-8");
}

std::string PadToWidth(std::string_view utf8, int width, bool alignRight)
{
    const int missing = width - DisplayWidth(utf8);
    if (missing <= 0)
        return std::string(utf8);
    const std::string blanks(static_cast<std::size_t>(missing), ' ');
    return alignRight ? blanks + std::string(utf8) : std::string(utf8) + blanks;
}

} // namespace vro
