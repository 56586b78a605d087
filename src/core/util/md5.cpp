#include "core/util/md5.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace vro {

std::string Md5Hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &len, EVP_md5(), nullptr) != 1)
        throw std::runtime_error("MD5 digest failed");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * len);
    for (unsigned int i = 0; i < len; ++i) {
        out.push_back(kHex[digest[i] >> 4]);
        out.push_back(kHex[digest[i] & 15]);
    }
    return out;
}

} // namespace vro
