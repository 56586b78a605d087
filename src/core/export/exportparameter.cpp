#include "core/export/exportparameter.h"

#include <charconv>

namespace vro {

namespace {
std::optional<long> ReadInt(const std::map<std::string, std::string>& s, const char* key)
{
    auto it = s.find(key);
    if (it == s.end())
        return std::nullopt;
    long v = 0;
    const std::string& t = it->second;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || p != t.data() + t.size())
        return std::nullopt;
    return v;
}

std::optional<bool> ReadBool(const std::map<std::string, std::string>& s, const char* key)
{
    auto it = s.find(key);
    if (it == s.end())
        return std::nullopt;
    if (it->second == "1" || it->second == "true" || it->second == "True" || it->second == "-1")
        return true;
    if (it->second == "0" || it->second == "false" || it->second == "False")
        return false;
    return std::nullopt;
}

char CharCode(long code, char def) { return code >= 1 && code <= 255 ? static_cast<char>(code) : def; }

std::string StripDots(std::string s)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == '.')
        ++i;
    return s.substr(i);
}
} // namespace

TExportParameter TExportParameter::MissingKeyDefaults()
{
    TExportParameter p;
    p.QuotationMark = ' ';
    p.Delimiter = ' ';
    p.ColWidth = 10;
    p.DefaultFileExtension.clear();
    p.KeepName = 1;
    return p;
}

void TExportParameter::LoadSettings(const std::map<std::string, std::string>& s, char listSeparator)
{
    const TExportParameter d = MissingKeyDefaults();
    OnlySelectedRows = static_cast<int>(ReadInt(s, "OnlySelectedRows").value_or(d.OnlySelectedRows));
    OnlySelectedCols = static_cast<int>(ReadInt(s, "OnlySelectedCols").value_or(d.OnlySelectedCols));
    MeasurementUnit = static_cast<int>(ReadInt(s, "MeasurementUnit").value_or(d.MeasurementUnit));
    FormatSelection = static_cast<int>(ReadInt(s, "FormatSelection").value_or(d.FormatSelection));
    QuotationMark = CharCode(ReadInt(s, "QuotationMark").value_or(d.QuotationMark), d.QuotationMark);
    Delimiter = CharCode(ReadInt(s, "Delimiter").value_or(d.Delimiter), d.Delimiter);
    ColWidthSelection = static_cast<int>(ReadInt(s, "ColWidthSelection").value_or(d.ColWidthSelection));
    ColWidth = static_cast<int>(ReadInt(s, "ColWidth").value_or(d.ColWidth));
    KeepName = static_cast<int>(ReadInt(s, "KeepName").value_or(d.KeepName));
    auto text = [&](const char* key, const std::string& def) {
        auto it = s.find(key);
        return it == s.end() ? def : it->second;
    };
    FilePath = text("FilePath", d.FilePath);
    DefaultFileExtension = StripDots(text("DefaultFileExtension", d.DefaultFileExtension));
    InputFolderPath = text("InputFolderPath", d.InputFolderPath);
    DoFolderExport = ReadBool(s, "DoFolderExport").value_or(d.DoFolderExport);
    AlwaysWithDate = ReadBool(s, "AlwaysWithDate").value_or(d.AlwaysWithDate);
    // Out-of-range numbers from a hand-edited file fall back to the defaults.
    if (FormatSelection < efTabText || FormatSelection > efUserDefined)
        FormatSelection = d.FormatSelection;
    if (ColWidthSelection < ewFree || ColWidthSelection > ewFixed)
        ColWidthSelection = d.ColWidthSelection;
    if (ColWidth < 0 || ColWidth > 1000)
        ColWidth = d.ColWidth;
    if (!ReadInt(s, "Delimiter"))
        ApplyFormatPresetExcept(s, listSeparator);
}

void TExportParameter::ApplyFormatPresetExcept(const std::map<std::string, std::string>& given, char listSeparator)
{
    if (FormatSelection > efTdm)
        return;
    TExportParameter preset = *this;
    preset.ApplyFormatPreset(FormatSelection, listSeparator);
    const auto free = [&](const char* key) { return !given.count(key); };
    if (free("QuotationMark"))
        QuotationMark = preset.QuotationMark;
    if (free("Delimiter"))
        Delimiter = preset.Delimiter;
    if (free("ColWidthSelection"))
        ColWidthSelection = preset.ColWidthSelection;
    if (free("DefaultFileExtension"))
        DefaultFileExtension = preset.DefaultFileExtension;
}

std::map<std::string, std::string> TExportParameter::SaveSettings() const
{
    auto u8 = [](char c) { return std::to_string(static_cast<unsigned char>(c)); };
    return {
        {"OnlySelectedRows", std::to_string(OnlySelectedRows)},
        {"OnlySelectedCols", std::to_string(OnlySelectedCols)},
        {"MeasurementUnit", std::to_string(MeasurementUnit)},
        {"FormatSelection", std::to_string(FormatSelection)},
        {"QuotationMark", u8(QuotationMark)},
        {"Delimiter", u8(Delimiter)},
        {"ColWidthSelection", std::to_string(ColWidthSelection)},
        {"ColWidth", std::to_string(ColWidth)},
        {"FilePath", FilePath},
        {"KeepName", std::to_string(KeepName)},
        {"DefaultFileExtension", DefaultFileExtension},
        {"InputFolderPath", InputFolderPath},
        {"DoFolderExport", DoFolderExport ? "1" : "0"},
        {"AlwaysWithDate", AlwaysWithDate ? "1" : "0"},
    };
}

bool TExportParameter::SetKey(const std::string& key, const std::string& value)
{
    std::map<std::string, std::string> s = SaveSettings();
    if (!s.count(key))
        return false;
    const std::map<std::string, std::string> one{{key, value}};
    const bool isText = key == "FilePath" || key == "DefaultFileExtension" || key == "InputFolderPath";
    const bool isBool = key == "DoFolderExport" || key == "AlwaysWithDate";
    if (isBool && !ReadBool(one, key.c_str()))
        return false;
    if (!isText && !isBool) {
        const auto v = ReadInt(one, key.c_str());
        if (!v || ((key == "QuotationMark" || key == "Delimiter") && (*v < 1 || *v > 255)))
            return false;
    }
    s[key] = value;
    LoadSettings(s, Delimiter); // every key is present: no preset applies
    return true;
}

void TExportParameter::ApplyFormatPreset(int format, char listSeparator)
{
    FormatSelection = format;
    switch (format) {
    case efTabText:
        QuotationMark = ' ';
        Delimiter = '\t';
        ColWidthSelection = ewFree;
        DefaultFileExtension = "txt";
        break;
    case efCsv:
        QuotationMark = ' ';
        Delimiter = listSeparator;
        ColWidthSelection = ewFree;
        DefaultFileExtension = "csv";
        break;
    case efFormattedText:
        QuotationMark = ' ';
        Delimiter = ' ';
        ColWidthSelection = ewOptimal;
        DefaultFileExtension = "prn";
        break;
    case efTdm: DefaultFileExtension = "tdm"; break;
    default: break;
    }
}

std::string TExportParameter::Extension() const { return StripDots(DefaultFileExtension); }

std::optional<int> CheckExportSettings(int delimiterChoice, const std::string& otherDelimiter, int widthChoice,
                                       const std::string& widthText, int quoteChoice)
{
    if (delimiterChoice == 3 && otherDelimiter.empty())
        return 59;
    if (delimiterChoice < 0)
        return 60;
    if (widthChoice == 2) {
        if (widthText.empty())
            return 61;
        int w = 0;
        auto [p, ec] = std::from_chars(widthText.data(), widthText.data() + widthText.size(), w);
        if (ec != std::errc() || p != widthText.data() + widthText.size() || w < 2 || w > 40)
            return 62;
    }
    if (widthChoice < 0)
        return 63;
    if (quoteChoice < 0)
        return 64;
    return std::nullopt;
}

} // namespace vro
