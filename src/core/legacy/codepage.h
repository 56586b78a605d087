// Conversion of the texts of older recording files to the program's UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vro {

enum class TCodePage {
    Oem437,  // DOS, United States
    Oem850,  // DOS, Western Europe (the OEM code page of German and French systems)
    Win1252, // Windows, Western Europe
};

// Every byte becomes one character, so the conversion never fails.
std::string CodePageToUtf8(std::string_view bytes, TCodePage page);

} // namespace vro
