// What the text export writes, the text import reads back to the same values.
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "core/textimport/textfilehandler.h"
#include "core/util/atomicfile.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vro;

namespace {

struct TPreset {
    const char* name;
    int format;
    int measurementUnit;
};

class ExportRoundTrip : public ::testing::TestWithParam<TPreset> {};

} // namespace

TEST_P(ExportRoundTrip, ImportGivesTheExportedValues)
{
    TRecording r;
    r.ChannelCount = 3;
    r.RecordCount = 500;
    r.SampleRate = 1;
    r.CreateChannelObjects();
    std::mt19937 rng(9);
    const char* names[] = {"Pressure", "Flow;1", "Temp"};
    for (int c = 0; c < 3; ++c) {
        auto& ch = r.Channel(c);
        ch.DeviceName = names[c];
        ch.MeasureUnit = c == 2 ? "" : "bar";
        ch.Decimals = c + 1;
        for (auto& v : ch.Values)
            v = static_cast<std::int32_t>(rng() % 200001) - 100000;
    }
    r.Channel(2).Values[17] = NoValue;
    r.Time->ResetRange();

    TExportParameter p;
    p.ApplyFormatPreset(GetParam().format, ';');
    p.MeasurementUnit = GetParam().measurementUnit;
    const fs::path file = fs::temp_directory_path() / ("vro_roundtrip_" + std::to_string(::getpid()) + GetParam().name);
    WriteTextFile(r, p, file);

    textimport::TTextFileHandler in;
    in.LoadFile(file);
    in.Import(textimport::TTextFileSettings::FromAnalysis(in.Settings()));
    fs::remove(file);
    ASSERT_EQ(in.ChannelCount(), 3);
    ASSERT_EQ(in.RecordCount(), 500);
    for (int c = 0; c < 3; ++c) {
        const auto& s = in.Sensors()[static_cast<std::size_t>(c)];
        EXPECT_EQ(s.Name, r.Channel(c).GetName());
        const double factor = Vro8Factor[r.Channel(c).Decimals];
        for (int i = 0; i < 500; ++i) {
            const std::int32_t raw = r.Channel(c).Values[static_cast<std::size_t>(i)];
            if (raw == NoValue)
                EXPECT_TRUE(std::isnan(s.Values[static_cast<std::size_t>(i)])) << c << "/" << i;
            else
                ASSERT_NEAR(s.Values[static_cast<std::size_t>(i)], raw / factor, 0.5 / factor) << c << "/" << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, ExportRoundTrip,
                         ::testing::Values(TPreset{"tab", TExportParameter::efTabText, 0},
                                           TPreset{"tabunits", TExportParameter::efTabText, 1},
                                           TPreset{"csv", TExportParameter::efCsv, 0},
                                           TPreset{"csvunits", TExportParameter::efCsv, 1}),
                         [](const auto& info) { return std::string(info.param.name); });
