// Time spans: "1d 2h 3m 4s" texts and their seconds.
#include "core/values/dvxdatautils.h"

#include "core/values/dvxdatadetail.h"

#include <cstdio>
#include <limits>

namespace vro {

using dvxdata_detail::Lower;

std::string DvxTimeSpanToStr(std::int64_t Seconds)
{
    const bool negative = Seconds < 0;
    // The magnitude is taken unsigned, so that even the most negative value has one.
    const std::uint64_t s =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(Seconds) : static_cast<std::uint64_t>(Seconds);
    const std::uint64_t d = s / 86400, h = s % 86400 / 3600, m = s % 3600 / 60, sec = s % 60;
    char b[64];
    std::string text;
    if (d > 0) {
        std::snprintf(b, sizeof b, "%llud ", static_cast<unsigned long long>(d));
        text = b;
    }
    auto part = [&](std::uint64_t v, const char* padded, const char* plain, bool always) {
        if (!text.empty()) {
            std::snprintf(b, sizeof b, padded, static_cast<unsigned long long>(v));
            text += b;
        } else if (v > 0 || always) {
            std::snprintf(b, sizeof b, plain, static_cast<unsigned long long>(v));
            text = b;
        }
    };
    part(h, "%02lluh ", "%lluh ", false);
    part(m, "%02llum ", "%llum ", false);
    part(sec, "%02llus", "%llus", true);
    return negative ? "-" + text : text;
}

namespace {

std::int64_t SpanTotal(const std::string& textIn)
{
    std::string text = textIn;
    std::int64_t total = 0;
    static const struct {
        char unit;
        std::int64_t factor;
    } units[] = {{'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}};
    for (const auto& u : units) {
        const std::size_t p = text.find(u.unit);
        if (p == std::string::npos)
            continue;
        total += std::int64_t{StrToIntEx(text.substr(0, p))} * u.factor;
        text.erase(0, p + 1);
    }
    if (!DvxTrim(text).empty())
        throw EDvxValueError("Illegal Character");
    return total;
}

} // namespace

std::int32_t ConvertStrToDvxTimeSpan(std::string_view Text)
{
    std::string text = Lower(DvxTrim(Text));
    bool negative = false;
    const std::size_t minus = text.find('-');
    if (minus != std::string::npos) {
        if (!DvxTrim(std::string_view(text).substr(0, minus)).empty())
            throw EDvxValueError("Illegal Character");
        text.erase(0, minus + 1);
        negative = true;
    }
    std::int64_t total = SpanTotal(text);
    if (negative)
        total = -total;
    if (total < std::numeric_limits<std::int32_t>::min() || total > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("Time span out of range: \"" + std::string(Text) + "\"");
    return static_cast<std::int32_t>(total);
}

} // namespace vro
