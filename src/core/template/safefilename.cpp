#include "core/template/safefilename.h"

namespace vro {

std::string SafeFileName(std::string_view name)
{
    if (name == "." || name == "..")
        throw EUnsafeFileName("\"" + std::string(name) + "\" is no valid file name");
    std::string out(name);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return out;
}

} // namespace vro
