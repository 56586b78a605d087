#include "core/export/exportparameter.h"
#include "core/export/tdmexport.h"
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "core/util/atomicfile.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vro;

namespace {

std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->HasMinMaxValues = minmax;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    const char* names[] = {"Pressure", "Flow", "Temp"};
    const char* units[] = {"bar", "l/min", ""};
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = names[c % 3];
        ch.MeasureUnit = units[c % 3];
        ch.Decimals = c == 0 ? 1 : 2;
        ch.FullLoRange = 0;
        ch.FullHiRange = 25000;
        for (int i = 0; i < samples; ++i) {
            ch.Values[static_cast<std::size_t>(i)] = 123 + i * 10 + c;
            if (minmax) {
                ch.MinValues[static_cast<std::size_t>(i)] = 100 + i;
                ch.MaxValues[static_cast<std::size_t>(i)] = 200 + i;
            }
        }
    }
    r->Time->ResetRange();
    return r;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t s = 0;
    for (std::size_t e; (e = text.find("\r\n", s)) != std::string::npos; s = e + 2)
        out.push_back(text.substr(s, e - s));
    EXPECT_EQ(s, text.size()) << "every line ends with CR LF";
    return out;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vro_export_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Export(TRecording& r, const TExportParameter& p)
    {
        const fs::path f = dir_ / "out.txt";
        WriteTextFile(r, p, f);
        return ReadWholeFile(f);
    }
    fs::path dir_;
};

TExportParameter Preset(int format)
{
    TExportParameter p;
    p.ApplyFormatPreset(format, ';');
    return p;
}

} // namespace

TEST_F(ExportTest, TabPresetWithUnitLine)
{
    auto r = MakeRecording(2, 3);
    TExportParameter p = Preset(TExportParameter::efTabText);
    p.MeasurementUnit = 1;
    const auto lines = Lines(Export(*r, p));
    ASSERT_EQ(lines.size(), 5u);
    const std::string t = r->Time->GetTitle();
    EXPECT_EQ(lines[0], t + "\t" + r->Channel(0).GetName() + "\t" + r->Channel(1).GetName());
    EXPECT_EQ(lines[1],
              r->Time->GetUnitText() + "\t" + r->Channel(0).GetUnitText() + "\t" + r->Channel(1).GetUnitText());
    EXPECT_EQ(lines[2], r->Time->IndexToText(0) + "\t" + RawToText(123, 1) + "\t" + RawToText(124, 2));
    EXPECT_EQ(lines[4], r->Time->IndexToText(2) + "\t" + RawToText(143, 1) + "\t" + RawToText(144, 2));
}

TEST_F(ExportTest, QuotesPaddingAndColumnsOfTheTable)
{
    auto r = MakeRecording(2, 2, true);
    r->Channel(1).DeviceName = "Fl\"ow";
    TExportParameter p = Preset(TExportParameter::efUserDefined);
    p.QuotationMark = '"';
    p.Delimiter = ';';
    auto lines = Lines(Export(*r, p));
    // All channels: with min/max data every channel has min and max columns.
    EXPECT_NE(lines[0].find("\"Min " + r->Channel(0).GetName() + "\""), std::string::npos);
    EXPECT_NE(lines[0].find("\"" + std::string("Fl\"\"ow")), std::string::npos);

    // Fixed width 8: short cells padded inside the quotes, longer ones never cut.
    p.QuotationMark = ' ';
    p.ColWidthSelection = TExportParameter::ewFixed;
    p.ColWidth = 8;
    r->Channel(0).DeviceName = "VeryLongName";
    lines = Lines(Export(*r, p));
    const std::string header = lines[0];
    EXPECT_NE(header.find(";VeryLongName;"), std::string::npos);
    // Cells are right-aligned to the larger of the width and the column's text length (12 here).
    const std::string cell = lines[1].substr(lines[1].find(';') + 1, 12);
    EXPECT_EQ(cell, std::string(12 - RawToText(123, 1).size(), ' ') + RawToText(123, 1));
}

TEST_F(ExportTest, CellsWithTheDelimiterAreQuotedSoTheFileReadsBack)
{
    auto r = MakeRecording(2, 1);
    r->Channel(0).DeviceName = "Flow;1";
    TExportParameter p = Preset(TExportParameter::efCsv);
    const auto lines = Lines(Export(*r, p));
    EXPECT_NE(lines[0].find(";\"Flow;1"), std::string::npos);
    // Every other cell is unchanged and the row has one delimiter per gap.
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), ';'), 2);
}

TEST_F(ExportTest, SelectedRowsAndVisibleChannels)
{
    auto r = MakeRecording(3, 1000);
    r->Time->SetRange(200, 300);
    r->Channel(1).Visible = false;
    TExportParameter p = Preset(TExportParameter::efTabText);
    p.OnlySelectedRows = 1;
    p.OnlySelectedCols = 1;
    const auto lines = Lines(Export(*r, p));
    EXPECT_EQ(static_cast<int>(lines.size()), 1 + r->Time->LastIndex - r->Time->FirstIndex + 1);
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\t'), 2);
    EXPECT_EQ(lines[1].substr(0, lines[1].find('\t')), r->Time->IndexToText(r->Time->FirstIndex));
}

TEST_F(ExportTest, FolderExportTouchesOnlyRecordingFiles)
{
    EXPECT_EQ(ExportFolder(dir_, (dir_ / "out").string(), Preset(0)).FileCount, 0);
    auto r = MakeRecording(1, 5);
    r->FileName = (dir_ / "a.vxrf").string();
    r->SaveToFile();
    WriteFileAtomically(dir_ / "b.vxrf", "not a recording");
    WriteFileAtomically(dir_ / "c.txt", "x");
    fs::create_directories(dir_ / "out");
    const auto res = ExportFolder(dir_, (dir_ / "out").string(), Preset(0));
    EXPECT_EQ(res.FileCount, 2);
    ASSERT_EQ(res.Exported.size(), 1u);
    EXPECT_TRUE(fs::exists(dir_ / "out" / "a.txt"));
    ASSERT_EQ(res.Failures.size(), 1u);
    EXPECT_EQ(res.Failures[0].rfind("Error exporting b.vxrf.", 0), 0u);
}

TEST(ExportParameterTest, KeysPresetsAndChecks)
{
    TExportParameter p;
    p.LoadSettings({}, ',');
    EXPECT_EQ(p.QuotationMark, ' ');
    EXPECT_EQ(p.ColWidth, 10);
    EXPECT_TRUE(p.SetKey("Delimiter", "44"));
    EXPECT_EQ(p.Delimiter, ',');
    EXPECT_FALSE(p.SetKey("Delimiter", "x"));
    EXPECT_FALSE(p.SetKey("NoSuchKey", "1"));
    EXPECT_TRUE(p.SetKey("DefaultFileExtension", ".csv"));
    EXPECT_EQ(p.Extension(), "csv");
    TExportParameter q;
    q.LoadSettings(p.SaveSettings(), ',');
    EXPECT_EQ(q.SaveSettings(), p.SaveSettings());
    EXPECT_EQ(ExportFileName("/tmp/out", "Test", ".txt"), fs::path("/tmp/out/Test.txt"));
    EXPECT_EQ(CheckExportSettings(3, "", 0, "", 0), 59);
    EXPECT_EQ(CheckExportSettings(-1, "", 0, "", 0), 60);
    EXPECT_EQ(CheckExportSettings(0, "", 2, "", 0), 61);
    EXPECT_EQ(CheckExportSettings(0, "", 2, "41", 0), 62);
    EXPECT_EQ(CheckExportSettings(0, "", -1, "", 0), 63);
    EXPECT_EQ(CheckExportSettings(0, "", 0, "", -1), 64);
    EXPECT_FALSE(CheckExportSettings(1, "", 2, "8", 2));
}

TEST(ExportParameterTest, SettingsWithoutADelimiterTakeTheFormatsPreset)
{
    // Nothing stored: the first format, text with tabs, with its preset.
    TExportParameter p;
    p.LoadSettings({}, ';');
    EXPECT_EQ(p.FormatSelection, TExportParameter::efTabText);
    EXPECT_EQ(p.Delimiter, '\t');
    EXPECT_EQ(p.Extension(), "txt");
    // A stored format without a delimiter: that format's preset.
    p.LoadSettings({{"FormatSelection", "1"}}, ';');
    EXPECT_EQ(p.Delimiter, ';');
    EXPECT_EQ(p.Extension(), "csv");
    p.LoadSettings({{"FormatSelection", "2"}, {"QuotationMark", "34"}}, ';');
    EXPECT_EQ(p.Delimiter, ' ');
    EXPECT_EQ(p.ColWidthSelection, TExportParameter::ewOptimal);
    EXPECT_EQ(p.QuotationMark, '"'); // stored keys stay
    // A stored delimiter is kept, and nothing else is preset.
    p.LoadSettings({{"FormatSelection", "0"}, {"Delimiter", "32"}}, ';');
    EXPECT_EQ(p.Delimiter, ' ');
    EXPECT_EQ(p.Extension(), "");
    // The user-defined format has no preset: the missing-key defaults.
    p.LoadSettings({{"FormatSelection", "4"}}, ';');
    EXPECT_EQ(p.Delimiter, ' ');
}

TEST_F(ExportTest, TdmHeaderReferencesResolveAndBlocksHoldTheValues)
{
    auto r = MakeRecording(2, 100);
    r->Channel(1).DeviceName = "A<&B";
    r->Channel(1).Values[7] = NoValue;
    TDiademFileExporter x(*r);
    x.ExportTdm(dir_ / "Test.txt");
    ASSERT_TRUE(fs::exists(dir_ / "Test.tdm"));
    const std::string header = ReadWholeFile(dir_ / "Test.tdm");
    const std::string data = ReadWholeFile(dir_ / "Test.tdx");
    EXPECT_EQ(data.size(), 2400u);
    EXPECT_NE(header.find("url=\"Test.tdx\""), std::string::npos);
    EXPECT_NE(header.find("A&lt;&amp;B"), std::string::npos);
    EXPECT_EQ(header.find("A<&B"), std::string::npos);
    EXPECT_NE(header.find("<maximum>250.00</maximum>"), std::string::npos);
    EXPECT_NE(header.find("<maximum>25000</maximum>"), std::string::npos);

    // Every id usi1..usi14 is defined once and every reference names one of them.
    std::set<std::string> ids;
    const std::regex idRe("id=\"(usi[0-9]+)\"");
    for (std::sregex_iterator it(header.begin(), header.end(), idRe), end; it != end; ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << (*it)[1];
    EXPECT_EQ(ids.size(), 14u);
    const std::regex refRe("id\\(&quot;(usi[0-9]+)&quot;\\)");
    int refs = 0;
    for (std::sregex_iterator it(header.begin(), header.end(), refRe), end; it != end; ++it, ++refs)
        EXPECT_TRUE(ids.count((*it)[1])) << (*it)[1];
    EXPECT_GT(refs, 20);

    // The blocks lie where the header says and hold the channel values.
    const std::regex blockRe("<block byteOffset=\"([0-9]+)\" id=\"inc([0-9]+)\" length=\"([0-9]+)\"");
    int blocks = 0;
    for (std::sregex_iterator it(header.begin(), header.end(), blockRe), end; it != end; ++it, ++blocks) {
        const std::size_t offset = std::stoul((*it)[1]);
        const int k = std::stoi((*it)[2]);
        EXPECT_EQ(std::stoi((*it)[3]), 100);
        EXPECT_EQ(offset, static_cast<std::size_t>(k) * 800);
        for (int i = 0; i < 100; ++i) {
            double v;
            std::memcpy(&v, data.data() + offset + static_cast<std::size_t>(i) * 8, 8);
            if (k == 0)
                EXPECT_DOUBLE_EQ(v, r->Time->TimeToValue(i));
            else if (k == 2 && i == 7)
                EXPECT_EQ(v, 0.0);
            else
                EXPECT_DOUBLE_EQ(v, (123 + i * 10 + (k - 1)) / (k == 1 ? 10.0 : 100.0));
        }
    }
    EXPECT_EQ(blocks, 3);

    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
        const std::string cmd = "xmllint --noout '" + (dir_ / "Test.tdm").string() + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << "the header is well-formed XML";
    }
}

TEST_F(ExportTest, TdmRefusesARecordingWithoutChannels)
{
    TRecording r;
    TDiademFileExporter x(r);
    EXPECT_THROW(x.ExportTdm(dir_ / "Empty.tdm"), std::runtime_error);
    EXPECT_FALSE(fs::exists(dir_ / "Empty.tdm"));
}
