// Helpers shared by the units of dvxdatautils.h; internal to core/values.
#pragma once

#include <string>
#include <string_view>

namespace vro::dvxdata_detail {

inline std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

} // namespace vro::dvxdata_detail
