// Other text helpers: tokens, sorting, bit groups, COM settings, trimming.
#include "core/values/dvxdatautils.h"

#include <cstdio>

namespace vro {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

} // namespace

int CountTokens(std::string_view Delimiters, std::string_view Text)
{
    int n = 1;
    for (char c : Text)
        if (Delimiters.find(c) != std::string_view::npos)
            ++n;
    return n;
}

std::string GetToken(std::string_view Delimiters, std::string_view Text, int N)
{
    if (N < 0)
        return {};
    int field = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= Text.size(); ++i) {
        if (i == Text.size() || Delimiters.find(Text[i]) != std::string_view::npos) {
            if (field == N)
                return DvxTrim(Text.substr(start, i - start));
            ++field;
            start = i + 1;
        }
    }
    return {};
}

void SortStrings(std::vector<std::string>& List,
                 const std::function<bool(const std::string&, const std::string&)>& Before)
{
    std::vector<std::string> placed;
    placed.reserve(List.size());
    for (auto& item : List) {
        auto at = placed.end();
        for (auto it = placed.begin(); it != placed.end(); ++it)
            if (Before(item, *it)) {
                at = it;
                break;
            }
        placed.insert(at, std::move(item));
    }
    List = std::move(placed);
}

std::string FormatBitGroups(std::int32_t Value, std::int32_t Layout)
{
    if (Layout == 0)
        return std::to_string(Value & 0x7FFF);
    int bits = (Layout >> 16) & 0xF;
    if (bits == 0)
        bits = 15;
    std::string out;
    std::uint32_t group = 0;
    int groupBits = 0;
    char b[32];
    for (int pos = bits - 1; pos >= 0; --pos) {
        group = group * 2 + ((static_cast<std::uint32_t>(Value) >> pos) & 1u);
        ++groupBits;
        if (pos == 0 || (Layout & (1 << pos))) {
            const int v = static_cast<int>(group);
            if (groupBits == bits)
                std::snprintf(b, sizeof b, "%d", v);
            else if (groupBits <= 3)
                std::snprintf(b, sizeof b, "%1.1d", v);
            else if (groupBits <= 6)
                std::snprintf(b, sizeof b, "%2.2d", v);
            else if (groupBits <= 9)
                std::snprintf(b, sizeof b, "%3.3d", v);
            else if (groupBits <= 13)
                std::snprintf(b, sizeof b, "%4.4d", v);
            else
                std::snprintf(b, sizeof b, "%5.5d", v);
            if (!out.empty())
                out += " - ";
            out += b;
            group = 0;
            groupBits = 0;
        }
    }
    return out;
}

void ParseComSettings(std::string_view Text, int& PortIndex, int& Baudrate)
{
    const std::string t = Upper(DvxTrim(Text));
    const auto fail = [&]() { return EDvxValueError("Illegal COM-Settings: \"" + std::string(Text) + "\""); };
    const std::size_t p = t.find("COM");
    if (p == std::string::npos)
        throw fail();
    std::size_t i = p + 3;
    if (i >= t.size() || t[i] < '1' || t[i] > '9')
        throw fail();
    int port = t[i] - '0';
    if (i + 1 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '9')
        port = port * 10 + (t[i + 1] - '0');
    int baud = 0;
    for (int rate : DvxBaudRates)
        if (t.find(std::to_string(rate) + " BAUD") != std::string::npos)
            baud = rate;
    if (baud == 0)
        throw fail();
    PortIndex = port - 1;
    Baudrate = baud;
}

std::string DvxTrim(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return std::string(Text);
}

} // namespace vro
