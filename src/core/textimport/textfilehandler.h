// Import of delimited or column-aligned text files as recordings.
//
// TTextFileHandler holds the whole file in one buffer and its lines as views
// into it (right-trimmed, empty lines left out). The analysis guesses the
// delimiter, whether line 0 is a header and whether the first column is a
// time column; the settings dialog (its logic is TTextFileSettings, the
// window belongs to the desktop program) confirms or changes the choices;
// Import then reads every data column into floating-point numbers (NaN = no
// value). Cells are parsed in place with std::from_chars; nothing is
// allocated per cell, and no field ever reaches beyond its line.
//
// TRecording's FillFromTextFile turns the result into a recording.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/textimport/textnumbers.h"

namespace vro::textimport {

// A file that cannot be imported; what() is the reason ("No Data in File", ...).
class ETextImport : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kMaxImportColumns = 32;
inline constexpr std::size_t kPreviewLines = 30;

// The choices shared between the analysis and the dialog.
struct TTextImportSettings {
    char Delimiter = 0; // 0: no delimiter found
    bool FixedWidth = false;
    bool HasTimeColumn = false;
    bool TimeIsDateTime = false; // the time column holds date-times (or integer stamps)
    bool NoTimeReference = true; // no time column at all
    bool TimeHasStamps = false;  // the analysis found time stamps (dates or integer seconds)
    double SampleInterval = 0;   // seconds; 0: none
    std::vector<std::string> PreviewLines;
};

enum class TColumnSeparation { Tab, Comma, Semicolon, Other, FixedWidth };
enum class TTimeInterpretation { NoTime, AddTime, DateTime, Seconds };

// The logic of the settings dialog: its choices, their start values, the
// check on OK and the preview split.
struct TTextFileSettings {
    TColumnSeparation Separation = TColumnSeparation::Tab;
    std::string OtherDelimiter; // the "Other:" edit; its first character counts
    TTimeInterpretation Time = TTimeInterpretation::NoTime;
    std::string IntervalText; // the "Add time" edit, in seconds

    // The choices as the analysis found them (never fixed width).
    static TTextFileSettings FromAnalysis(const TTextImportSettings& analysed);
    // The delimiter the choices give; 0 for none (and for fixed width).
    char Delimiter() const;
    // 0 when OK may close the dialog, else the number of the text to show.
    int Validate() const;
    // The "Add time" interval in seconds; 0 unless Time is AddTime and valid.
    double Interval() const;
    // The help-line text shown after text 714 for the chosen time interpretation.
    int HelpText() const;
    // The preview grid: the preview lines split as the choices say.
    std::vector<std::vector<std::string>> PreviewCells(const std::vector<std::string>& lines) const;
};

// Choices of the command line that go beyond the dialog.
struct TTextImportOverrides {
    int HeaderLine = -1; // -1 guess; 0 no header line; N >= 1: line N holds the names, data follow
    int TimeColumn = -1; // -1 guess (first column); 0 none; N >= 1: column N is the time column
};

// One data column.
struct TFileSensor {
    std::string Name;
    std::string Unit;           // from a units line ("[bar]"), else empty
    std::vector<double> Values; // NaN: no value
    int Decimals = 0;
    double Minimum = 0;
    double Maximum = 10;
    bool Has32BitSize = true;
};

class TTextFileHandler {
public:
    explicit TTextFileHandler(TTextLocale locale = {});

    // Reads and analyses a text (Algorithms 1 to 5): lines, header line,
    // delimiter, time column, preview. Raises ETextImport.
    void Load(std::string fileName, std::string content, const TTextImportOverrides& overrides = {});
    void LoadFile(const std::filesystem::path& path, const TTextImportOverrides& overrides = {});

    // The analysis as the dialog starts with it.
    const TTextImportSettings& Settings() const { return settings_; }

    // Reads the data with the dialog's choices (Algorithm 7). Raises ETextImport.
    void Import(const TTextFileSettings& choice);

    // The whole import as the recording manager runs it: load, show the dialog
    // (which may change the choices and returns false for Cancel), import.
    bool Analyse(std::string fileName, std::string content,
                 const std::function<bool(TTextFileSettings&, const TTextImportSettings&)>& dialog);

    // Results (after Import).
    const std::string& FileName() const { return fileName_; }
    std::int32_t RecordingSource() const { return 5; }
    std::uint8_t RecordingType() const { return 4; }
    int ChannelCount() const { return static_cast<int>(sensors_.size()); }
    std::int32_t RecordCount() const { return recordCount_; }
    bool HasTimeStamps() const { return hasTimeStamps_; }
    bool HasStates() const { return false; }
    bool HasMinMaxValues() const { return false; }
    std::int32_t PreTriggerCount() const { return 0; }
    std::int32_t SampleRate() const { return sampleRate_; } // 0.1 ms; 0: unknown
    bool TimeIsDateTime() const { return timeIsDate_; }
    const std::string& Comment() const { return comment_; }
    const std::vector<TFileSensor>& Sensors() const { return sensors_; }
    const std::vector<std::int32_t>& TimeStamps() const { return stamps_; }

    // Analysis details (for `vro import --show-guess`).
    int FirstDataLine() const { return firstDataLine_; } // relative to the header line or file start
    int TimeColumn() const { return timeColumn_; }       // field index, -1 none
    int LineCount() const { return static_cast<int>(lines_.size()); }

private:
    enum class TTimeKind { None, Equidistant, DateStamps, IntegerStamps, NumericPlain };
    struct TTimeAnalysis {
        TTimeKind Kind = TTimeKind::None;
        std::int32_t SampleRate = 0;
    };

    void Analyse();
    void SplitLines();
    void TakeUnitLine();
    std::string_view Line(std::size_t i) const { return lines_[base_ + i]; }
    std::size_t Lines() const { return lines_.size() - base_; }
    int GuessFirstDataLine(char delimiter, bool wholeLine) const;
    bool CandidateFits(char c, int firstData) const;
    bool SplitsIntoNumbers(char c) const;
    TTimeAnalysis AnalyseTime(char delimiter, int column, int firstData) const;
    void CutFixedWidth();

    struct TCachedAnalysis {
        bool Valid = false;
        char Delimiter = 0;
        int Column = 0;
        int FirstData = 0;
        TTimeAnalysis Result;
    };

    TTextLocale locale_;
    TCachedAnalysis cached_;
    TTextImportOverrides overrides_;
    std::string fileName_;
    std::string buffer_;                  // the text handed to Load
    std::shared_ptr<const void> mapping_; // or the mapped file of LoadFile
    std::string_view data_;
    std::string fixedBuffer_;
    std::vector<std::string_view> lines_;
    std::string unitLine_; // the units line of the text export, when there is one
    bool hasUnitLine_ = false;
    std::size_t base_ = 0; // lines before the header line (command-line override)
    TTextImportSettings settings_;
    int firstDataLine_ = 0;
    int timeColumn_ = -1;

    std::int32_t recordCount_ = 0;
    bool hasTimeStamps_ = false;
    bool timeIsDate_ = false;
    std::int32_t sampleRate_ = 0;
    std::string comment_;
    std::vector<TFileSensor> sensors_;
    std::vector<std::int32_t> stamps_;
};

// The field n (from 0) of a line split at `delimiter` (0: the whole line),
// trimmed; empty beyond the last field. Never reads beyond the line.
std::string_view GetField(std::string_view line, char delimiter, int n);
// Number of fields of a line (1 without delimiter).
int CountFields(std::string_view line, char delimiter);

} // namespace vro::textimport
