#include "core/util/charset.h"

#include <cstdint>

namespace vro {

std::string Latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size() + latin1.size() / 8);
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

namespace {
// Decodes one UTF-8 sequence at s[i]; returns the code point or -1 and the length used.
std::int32_t DecodeOne(std::string_view s, std::size_t i, std::size_t& len)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    len = 1;
    if (b0 < 0x80)
        return b0;
    int n;
    std::int32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        n = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 3;
        cp = b0 & 0x07;
    } else
        return -1;
    if (i + static_cast<std::size_t>(n) >= s.size())
        return -1;
    for (int k = 1; k <= n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr std::int32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    len = static_cast<std::size_t>(n) + 1;
    return cp;
}
} // namespace

std::string Utf8ToLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len;
        const std::int32_t cp = DecodeOne(utf8, i, len);
        out.push_back(cp >= 0 && cp <= 0xFF ? static_cast<char>(cp) : '?');
        i += len;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t len;
        if (DecodeOne(bytes, i, len) < 0)
            return false;
        i += len;
    }
    return true;
}

} // namespace vro
