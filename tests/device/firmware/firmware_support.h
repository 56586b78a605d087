// Update files for the firmware tests: sample images written as HEX and
// packed into ".vxupd" files in a temporary folder.
#pragma once

#include "core/firmware/vro8hexconverter.h"
#include "core/util/atomicfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace vro::test {

struct TUpdateFiles {
    TUpdateFiles()
    {
        dir =
            std::filesystem::temp_directory_path() / ("vro-fw-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    ~TUpdateFiles() { std::filesystem::remove_all(dir); }

    // A file with sample images of the given versions.
    std::string Sample(const std::string& name, const std::string& code, const std::string& v0 = "VRO8K-S 1.08",
                       const std::string& v1 = "VRO8K-M 2.11", std::uint32_t seed = 3)
    {
        image0 = MakeSampleImage(0, v0, seed);
        image1 = MakeSampleImage(1, v1, seed + 1);
        return Write(name, MakeUpdateFileText(code, ImageToHex(0, image0), ImageToHex(1, image1)));
    }
    std::string Write(const std::string& name, const std::string& content)
    {
        const auto path = dir / name;
        WriteFileAtomically(path, content);
        return path.string();
    }

    std::filesystem::path dir;
    std::vector<std::uint8_t> image0, image1;
};

} // namespace vro::test
