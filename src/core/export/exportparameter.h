// The settings of the text and TDM export (one instance for the program),
// kept in the configuration section "ExportParameters".
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace vro {

struct TExportParameter {
    enum TFormat : int { efTabText = 0, efCsv = 1, efFormattedText = 2, efTdm = 3, efUserDefined = 4 };
    enum TWidthMode : int { ewFree = 0, ewOptimal = 1, ewFixed = 2 };

    // A new instance before the configuration is read.
    int OnlySelectedRows = 0; // 1: only the visible time window
    int OnlySelectedCols = 0; // 1: only the visible channels
    int MeasurementUnit = 0;  // 1: units in a second line
    int FormatSelection = 0;
    char QuotationMark = '"'; // ' ' = none
    char Delimiter = ';';
    int ColWidthSelection = 0;
    int ColWidth = 25;
    std::string FilePath;
    int KeepName = 1;                         // 0 keep the recording's name, 1 ask
    std::string DefaultFileExtension = "txt"; // without the dot
    std::string InputFolderPath;
    bool DoFolderExport = false;
    bool AlwaysWithDate = false;

    // The values a missing configuration key gives.
    static TExportParameter MissingKeyDefaults();

    // Reads the section's keys (as stored: numbers, character codes, texts);
    // a missing or unreadable key takes its MissingKeyDefaults value. Stored
    // settings without a delimiter (none saved yet) take the delimiter and
    // the other keys a format presets from the chosen format's preset, so
    // that "Text (separated by tabs)" writes tabs from the first run on.
    void LoadSettings(const std::map<std::string, std::string>& section, char listSeparator);
    std::map<std::string, std::string> SaveSettings() const;
    // Sets one key in its stored form; false for an unknown key or value.
    bool SetKey(const std::string& key, const std::string& value);

    // What choosing a data format presets in the settings dialog.
    void ApplyFormatPreset(int format, char listSeparator);
    // The keys the chosen format presets (quotation mark, delimiter, width
    // mode, extension), for those of them not in `given`.
    void ApplyFormatPresetExcept(const std::map<std::string, std::string>& given, char listSeparator);

    bool HasQuotation() const { return QuotationMark != ' ' && QuotationMark != '\0'; }
    bool FixedWidth() const { return ColWidthSelection == ewOptimal || ColWidthSelection == ewFixed; }
    // The extension without leading dots.
    std::string Extension() const;
};

// Checks of the settings dialog's OK, in order; the number of the first
// failing text, or none. `delimiterChoice`: 0 space, 1 tab, 2 list
// separator, 3 other, -1 none; `widthChoice` and `quoteChoice` likewise -1
// for none.
std::optional<int> CheckExportSettings(int delimiterChoice, const std::string& otherDelimiter, int widthChoice,
                                       const std::string& widthText, int quoteChoice);

} // namespace vro
