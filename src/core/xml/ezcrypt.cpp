#include "core/xml/ezcrypt.h"

namespace vro {

bool EZDecipher(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const TEZCryptKey& key)
{
    if (in.size() != out.size())
        return false;
    std::uint32_t r = key.R;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto o = static_cast<std::uint8_t>(in[i] ^ (r >> 8));
        out[i] = o;
        r = ((((o + (r & 255u)) & 255u) * key.M) + key.A) & 65535u;
    }
    return true;
}

bool EZEncipher(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, const TEZCryptKey& key)
{
    if (in.size() != out.size())
        return false;
    std::uint32_t r = key.R;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::uint8_t d = in[i];
        out[i] = static_cast<std::uint8_t>(d ^ (r >> 8));
        r = ((((d + (r & 255u)) & 255u) * key.M) + key.A) & 65535u;
    }
    return true;
}

} // namespace vro
