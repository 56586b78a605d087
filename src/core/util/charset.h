// Text encodings at the program's boundaries. Inside the program every
// string is UTF-8; recording files and the wire carry ISO-8859-1.
#pragma once

#include <string>
#include <string_view>

namespace vro {

// ISO-8859-1 bytes to UTF-8 (every byte is a code point, so this never fails).
std::string Latin1ToUtf8(std::string_view latin1);

// UTF-8 to ISO-8859-1; characters outside Latin-1 (and malformed bytes)
// become '?', so the result always has one byte per character.
std::string Utf8ToLatin1(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

} // namespace vro
