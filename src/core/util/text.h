// Small text helpers over plain bytes, the one copy the program uses.
// Letters are ASCII only: the recorder's names, file extensions, keys and
// formula words are compared and lower-cased byte by byte, and a byte of a
// UTF-8 or Latin-1 character is never changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vro {

// A space or a control character (every byte up to ' '), as trimming treats them.
constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The text without blanks at its ends (a view of the same characters).
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string LowerAscii(std::string_view s);
std::string UpperAscii(std::string_view s);

// Equal but for the case of ASCII letters.
bool EqualNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

// The pieces between the separators, empty ones included ("a,,b" gives
// "a", "", "b"; "" gives one empty piece).
std::vector<std::string> Split(std::string_view s, char separator);

// Whether a file name ends in the extension `ext` (with its dot, ".vxrf"),
// whatever the case of either.
bool HasExtension(std::string_view fileName, std::string_view ext);

} // namespace vro
