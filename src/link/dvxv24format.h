// printf-style text for the connector's fixed English log lines and
// messages; internal to src/link.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace vro::v24detail {

[[gnu::format(printf, 1, 2)]] inline std::string Format(const char* fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

} // namespace vro::v24detail
