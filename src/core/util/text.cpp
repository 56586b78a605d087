#include "core/util/text.h"

#include <algorithm>

namespace vro {

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string LowerAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = LowerAscii(c);
    return r;
}

std::string UpperAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = UpperAscii(c);
    return r;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && EqualNoCase(s.substr(s.size() - suffix.size()), suffix);
}

std::vector<std::string> Split(std::string_view s, char separator)
{
    std::vector<std::string> out;
    for (;;) {
        const std::size_t at = s.find(separator);
        out.emplace_back(s.substr(0, at));
        if (at == std::string_view::npos)
            return out;
        s.remove_prefix(at + 1);
    }
}

bool HasExtension(std::string_view fileName, std::string_view ext)
{
    // The extension follows the last dot of the last path element, and a
    // name that is only the extension (".vxrf") has none.
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view leaf = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    return leaf.size() > ext.size() && EndsWithNoCase(leaf, ext);
}

} // namespace vro
