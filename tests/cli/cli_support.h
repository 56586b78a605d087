// Runs the built vro program and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace vro::test {

struct TRunResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// vro with the given words (each passed as one argument), under LC_ALL=C.UTF-8.
TRunResult RunVro(const std::vector<std::string>& words);

// A fresh empty folder for the current test.
std::string CliTempFolder();

} // namespace vro::test
