// Names from the recorder or from templates as one component of a path.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vro {

class EUnsafeFileName : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Replaces path separators, control characters and \ : * ? " < > | by "_",
// so that the name stays inside the folder it is joined with and is valid on
// every common file system. "." and ".." are refused with EUnsafeFileName.
// Names that need no change come back as they are (the empty name too).
std::string SafeFileName(std::string_view name);

} // namespace vro
