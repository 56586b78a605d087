// Helpers shared by the value tests.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace vro {

// The message of the exception `f` throws, or "(no error)".
inline std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace vro
