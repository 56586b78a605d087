// WaitUntil: the tests' one way to wait for something another thread or
// process does: polls `done` until it holds or `limit` has passed. True
// when it held; the limit only stops a broken run from hanging.
#pragma once

#include <chrono>
#include <thread>

namespace vro::test {

template <class F>
bool WaitUntil(F done, std::chrono::milliseconds limit = std::chrono::seconds(60))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace vro::test
