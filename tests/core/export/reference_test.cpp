// The text export of one small recording in each preset, byte for byte
// against the reference files in tests/data/export. A change of any cell,
// padding, quote or line end shows here. VRO_UPDATE_REFERENCES=1 rewrites them.
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "core/util/atomicfile.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vro;

namespace {
struct TReference {
    const char* file;
    int format;
    int units;
    char quote;
};

class ExportReference : public ::testing::TestWithParam<TReference> {};

std::unique_ptr<TRecording> Sample()
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = 3;
    r->RecordCount = 6;
    r->HasMinMaxValues = true;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    const char* names[] = {"Pressure", "Flow \"A\"", "Temperature;2"};
    const char* units[] = {"bar", "l/min", ""};
    const int decimals[] = {2, 1, 0};
    for (int c = 0; c < 3; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = names[c];
        ch.MeasureUnit = units[c];
        ch.Decimals = decimals[c];
        for (int i = 0; i < 6; ++i) {
            const std::int32_t v = (c == 1 ? -1 : 1) * (1234 * (i + 1) + 7 * c);
            ch.Values[static_cast<std::size_t>(i)] = v;
            ch.MinValues[static_cast<std::size_t>(i)] = v - 10;
            ch.MaxValues[static_cast<std::size_t>(i)] = v + 10;
        }
    }
    r->Channel(2).Values[3] = NoValue;
    r->Channel(1).Visible = false;
    r->Time->ResetRange();
    return r;
}
} // namespace

TEST_P(ExportReference, MatchesTheReferenceFile)
{
    auto r = Sample();
    TExportParameter p;
    p.ApplyFormatPreset(GetParam().format, ';');
    p.MeasurementUnit = GetParam().units;
    if (GetParam().format == TExportParameter::efUserDefined) {
        p.QuotationMark = GetParam().quote;
        p.Delimiter = ',';
        p.ColWidthSelection = TExportParameter::ewFixed;
        p.ColWidth = 9;
        p.OnlySelectedCols = 1;
    }
    const fs::path reference = fs::path(VRO_TEST_DATA) / "export" / GetParam().file;
    const fs::path out = fs::temp_directory_path() / ("vro_reference_" + std::to_string(::getpid()) + GetParam().file);
    WriteTextFile(*r, p, out);
    const std::string written = ReadWholeFile(out);
    fs::remove(out);
    if (std::getenv("VRO_UPDATE_REFERENCES"))
        WriteFileAtomically(reference, written);
    EXPECT_EQ(written, ReadWholeFile(reference)) << reference;
}

INSTANTIATE_TEST_SUITE_P(Presets, ExportReference,
                         ::testing::Values(TReference{"tab.txt", TExportParameter::efTabText, 1, ' '},
                                           TReference{"csv.csv", TExportParameter::efCsv, 0, ' '},
                                           TReference{"formatted.prn", TExportParameter::efFormattedText, 1, ' '},
                                           TReference{"user-quoted.txt", TExportParameter::efUserDefined, 1, '"'}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });
