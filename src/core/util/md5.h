// MD5 (RFC 1321) as 32 lower-case hexadecimal digits, from OpenSSL's libcrypto.
#pragma once

#include <string>
#include <string_view>

namespace vro {

std::string Md5Hex(std::string_view bytes);

} // namespace vro
