// Filling the numbered message texts: each conversion of the pattern
// ("%s", "%d", "%5.5d", ...) takes the next argument, already made a
// string; "%%" is a percent sign. Missing arguments leave the conversion
// empty, extra ones are ignored, so a translated text with fewer
// conversions never reads past its arguments.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vro {

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string> args);

} // namespace vro
