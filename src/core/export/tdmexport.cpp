#include "core/export/tdmexport.h"

#include "core/recording/recording.h"
#include "core/util/atomicfile.h"
#include "core/util/bytes.h"
#include "core/values/dvxdatetime.h"
#include "core/xml/xmlstream.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace vro {

namespace {

constexpr const char* kUsiNamespace = "http://www.ni.com/Schemas/USI/1_0";
constexpr const char* kTdmNamespace = "http://www.ni.com/DataModels/USI/TDM/1_0";

std::string Usi(int n) { return "usi" + std::to_string(n); }
std::string Ref(int n) { return "#xpointer(id(\"" + Usi(n) + "\"))"; }
std::string RefList(int from, int to)
{
    std::string s = "#xpointer(";
    for (int n = from; n <= to; ++n)
        s += "id(\"" + Usi(n) + "\") ";
    return s + ")";
}

// "yyyy-mm-ddThh:mm:ss" with the locale's time separator.
std::string TdmDateTime(double dateTime)
{
    const TDvxDateParts d = DecodeDvxDateTime(dateTime);
    const char sep = DvxFormatSettings().TimeSeparator;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d%c%02d%c%02d", d.Year, d.Month, d.Day, d.Hour, sep, d.Minute,
                  sep, d.Second);
    return buf;
}

} // namespace

TDiademFileExporter::TDiademFileExporter(TRecording& recording) : recording_(recording) {}

std::string TDiademFileExporter::HeaderText(const std::string& base) const
{
    const TRecording& r = recording_;
    const int C = r.ChannelCount;
    const std::string timeTitle = r.Time->GetTitle();
    TXmlWriter w;
    w.WriteDeclaration();
    w.AddAttribute("version", "1.0");
    w.AddAttribute("xmlns:usi", kUsiNamespace);
    w.BeginElement("usi:tdm");
    w.BeginElement("usi:documentation");
    w.TextElement("usi:exporter", "VroWinExporter");
    w.TextElement("usi:exporterVersion", "1.0");
    w.EndElement("usi:documentation");
    w.AddAttribute("modelName", "Korvatek generated meta file");
    w.AddAttribute("modelVersion", "1.0");
    w.BeginElement("usi:model");
    w.AddAttribute("nsUri", kTdmNamespace);
    w.EmptyElement("usi:include");
    w.EndElement("usi:model");

    w.BeginElement("usi:include");
    w.AddAttribute("byteOrder", "littleEndian");
    w.AddStringAttribute("url", base + ".tdx");
    w.BeginElement("file");
    for (int k = 0; k <= C; ++k) {
        w.AddIntAttribute("byteOffset", static_cast<std::int64_t>(k) * r.RecordCount * 8);
        w.AddAttribute("id", "inc" + std::to_string(k));
        w.AddIntAttribute("length", r.RecordCount);
        w.AddAttribute("valueType", "eFloat64Usi");
        w.EmptyElement("block");
    }
    w.EndElement("file");
    w.EndElement("usi:include");

    w.BeginElement("usi:data");
    // The root.
    w.AddAttribute("id", Usi(1));
    w.BeginElement("tdm_root");
    w.StringElement("name", base);
    w.StringElement("description", "VroWin8000 TDMExport von " + base);
    w.StringElement("title", base);
    w.TextElement("author", "VroWin8000");
    w.TextElement("datetime", TdmDateTime(r.StartTime));
    w.TextElement("registertxt1", "Zusaetzliche Infos");
    w.BeginElement("instance_attributes");
    w.AddStringAttribute("name", base);
    w.BeginElement("string_attribute");
    w.TextElement("s", "Zusatzeigenschaften");
    w.EndElement("string_attribute");
    w.EndElement("instance_attributes");
    w.StringElement("channelgroups", Ref(2));
    w.EndElement("tdm_root");
    // The channel group.
    w.AddAttribute("id", Usi(2));
    w.BeginElement("tdm_channelgroup");
    w.StringElement("name", r.GetDisplayFileName());
    w.StringElement("description", r.Description);
    w.StringElement("root", Ref(1));
    w.TextElement("registertxt1", "Optionale Textinfos");
    w.StringElement("channels", RefList(3, C + 3));
    w.StringElement("submatrices", RefList(C + 4, 2 * C + 4));
    w.EndElement("tdm_channelgroup");
    // The time channel.
    w.AddAttribute("id", Usi(3));
    w.BeginElement("tdm_channel");
    w.StringElement("name", timeTitle);
    w.TextElement("description", "Time");
    w.StringElement("group", Ref(2));
    w.StringElement("unit_string", r.HasTimeStamps ? std::string("s") : r.Time->TimeUnit);
    w.TextElement("datatype", "DT_DOUBLE");
    w.FloatElement("minimum", r.Time->TimeDecimals, r.Time->TimeToValue(r.Time->FirstIndex));
    w.FloatElement("maximum", r.Time->TimeDecimals, r.Time->TimeToValue(r.Time->LastIndex));
    w.TextElement("registertxt1", "Additional time info");
    w.TextElement("instance_attributes", "");
    w.StringElement("local_columns", Ref(2 * C + 6));
    w.EndElement("tdm_channel");
    // One channel per recording channel.
    for (int i = 0; i < C; ++i) {
        const auto& ch = r.Channel(i);
        w.AddAttribute("id", Usi(4 + i));
        w.BeginElement("tdm_channel");
        w.StringElement("name", ch.GetName());
        w.StringElement("description", ch.Comment);
        w.StringElement("group", Ref(2));
        w.StringElement("unit_string", ch.MeasureUnit);
        w.TextElement("datatype", "DT_DOUBLE");
        w.FixedElement("minimum", ch.FullLoRange, ch.Decimals);
        w.FixedElement("maximum", ch.FullHiRange, ch.Decimals);
        w.TextElement("registertxt1", "Additional channel info");
        w.TextElement("instance_attributes", "");
        w.StringElement("local_columns", Ref(2 * C + 8 + 2 * i));
        w.EndElement("tdm_channel");
    }
    // Submatrices.
    w.AddAttribute("id", Usi(C + 4));
    w.BeginElement("submatrix");
    w.StringElement("name", timeTitle + "-Submatrix");
    w.TextElement("description", "Time");
    w.StringElement("measurement", Ref(2));
    w.IntElement("number_of_rows", r.RecordCount);
    w.StringElement("local_columns", Ref(2 * C + 6));
    w.EndElement("submatrix");
    for (int i = 0; i < C; ++i) {
        w.AddAttribute("id", Usi(C + 5 + i));
        w.BeginElement("submatrix");
        w.StringElement("name", r.Channel(i).GetName() + "-Submatrix");
        w.TextElement("description", "Submatrixbeschreibung");
        w.StringElement("measurement", Ref(2));
        w.IntElement("number_of_rows", r.RecordCount);
        w.StringElement("local_columns", Ref(2 * C + 8 + 2 * i));
        w.EndElement("submatrix");
    }
    // Sequences and local columns.
    auto column = [&](int seqId, int colId, const std::string& external, const std::string& description, int quantity,
                      int submatrix, const std::string& lo, const std::string& hi) {
        w.AddAttribute("id", Usi(seqId));
        w.BeginElement("double_sequence");
        w.AddAttribute("external", external);
        w.EmptyElement("values");
        w.EndElement("double_sequence");
        w.AddAttribute("id", Usi(colId));
        w.BeginElement("localcolumn");
        w.TextElement("name", "ColumnName");
        w.StringElement("description", description);
        w.StringElement("measurement_quantity", Ref(quantity));
        w.StringElement("submatrix", Ref(submatrix));
        w.TextElement("global_flag", "15");
        w.TextElement("independent", "0");
        w.TextElement("minimum", lo);
        w.TextElement("maximum", hi);
        w.TextElement("sequence_representation", "explicit");
        w.StringElement("values", Ref(seqId));
        w.EndElement("localcolumn");
    };
    column(2 * C + 5, 2 * C + 6, "inc0", timeTitle + "-LocalColumn", 3, C + 4, "0", "0");
    for (int i = 0; i < C; ++i) {
        const auto& ch = r.Channel(i);
        column(2 * C + 7 + 2 * i, 2 * C + 8 + 2 * i, "inc" + std::to_string(i + 1), ch.GetName() + "-LocalColumn",
               4 + i, C + 5 + i, std::to_string(ch.FullLoRange), std::to_string(ch.FullHiRange));
    }
    w.EndElement("usi:data");
    w.EndElement("usi:tdm");
    return w.TakeBuffer();
}

void TDiademFileExporter::WriteData(const std::filesystem::path& name) const
{
    const TRecording& r = recording_;
    const std::int32_t n = r.RecordCount;
    TAtomicFile file(name);
    std::vector<std::uint8_t> block;
    block.resize(static_cast<std::size_t>(n) * 8);
    for (std::int32_t i = 0; i < n; ++i)
        PutF64(block, static_cast<std::size_t>(i) * 8,
               r.HasTimeStamps ? r.Time->GetDateTime(i) : r.Time->TimeToValue(i));
    file.Write(block);
    for (int c = 0; c < r.ChannelCount; ++c) {
        const auto& ch = r.Channel(c);
        const double factor = DecimalsValid(ch.Decimals) ? Vro8Factor[ch.Decimals] : 1.0;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t raw = ch.GetValue(i);
            PutF64(block, static_cast<std::size_t>(i) * 8, raw == NoValue ? 0.0 : raw / factor);
        }
        file.Write(block);
    }
    file.Commit();
}

void TDiademFileExporter::ExportTdm(const std::filesystem::path& fileName)
{
    if (recording_.ChannelCount < 1 || !recording_.Time)
        throw std::runtime_error("No Channel available! Saving as \".tdm\" cancelled.");
    const std::string base = fileName.stem().string();
    const std::filesystem::path folder = fileName.parent_path();
    header_ = folder / (base + ".tdm");
    data_ = folder / (base + ".tdx");
    WriteFileAtomically(header_, HeaderText(base));
    WriteData(data_);
}

} // namespace vro
