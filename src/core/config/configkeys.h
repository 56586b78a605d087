// The registry of the configuration's sections and keys: every key the
// program keeps, with its type and the default a missing key reads as.
// Owners read and write their keys through these descriptors, so the names
// and defaults live in one place:
//     bool on = cfg::Read(list, cfg::kAutoConnect);
//     cfg::Write(list, cfg::kAutoConnect, false);
// Reads never create a section; writes select the key's section.
#pragma once

#include "core/config/inilist.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vro::cfg {

struct TBoolKey {
    std::string_view section, key;
    bool def;
};
struct TIntKey {
    std::string_view section, key;
    int def;
};
struct TStringKey {
    std::string_view section, key;
    std::string_view def;
};

bool Read(const TIniList& list, const TBoolKey& k);
int Read(const TIniList& list, const TIntKey& k);
std::string Read(const TIniList& list, const TStringKey& k);
void Write(TIniList& list, const TBoolKey& k, bool value);
void Write(TIniList& list, const TIntKey& k, int value);
// An empty string removes the key (a later read gives the default).
void Write(TIniList& list, const TStringKey& k, std::string_view value);

// ---- Globals
inline constexpr std::string_view kGlobals = "Globals";
inline constexpr TBoolKey kFirstRun{kGlobals, "FirstRun", true};
inline constexpr TBoolKey kWasShutDown{kGlobals, "WasShutDown", false};
inline constexpr TStringKey kLanguage{kGlobals, "Language", "en"};
inline constexpr TBoolKey kShowDownloadRecoveryInfo{kGlobals, "ShowDownloadRecoveryInfo", true};
inline constexpr TStringKey kWorkingDirectory{kGlobals, "WorkingDirectory", ""};

// ---- Window placement: sections MainForm and SensorForm, the same five keys.
inline constexpr std::string_view kMainForm = "MainForm";
inline constexpr std::string_view kSensorForm = "SensorForm";
inline constexpr std::string_view kMaximized = "Maximized";
inline constexpr std::string_view kTop = "Top";
inline constexpr std::string_view kLeft = "Left";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kDefaultLeft = 10, kDefaultTop = 10, kDefaultWidth = 400, kDefaultHeight = 300;

// ---- RecentFiles: Count, then File0, File1, ... (at most 30 written).
inline constexpr std::string_view kRecentFiles = "RecentFiles";
inline constexpr TIntKey kRecentCount{kRecentFiles, "Count", 0};
inline constexpr std::string_view kRecentFilePrefix = "File";
inline constexpr int kMaxRecentFiles = 30;
// Count entries, stopping at the first missing or empty one.
std::vector<std::string> ReadRecentFiles(const TIniList& list);
// Count = min(size, 30), File0..File(Count-1); File keys beyond are removed.
void WriteRecentFiles(TIniList& list, const std::vector<std::string>& files);

// ---- ReferenceSettings. The defaults below are the dialog's (all false);
// when the reference is applied, TimeSettings and Comment default to false
// and the other six to true (ReferenceApplyDefault).
inline constexpr std::string_view kReferenceSettings = "ReferenceSettings";
inline constexpr TBoolKey kRefTimeSettings{kReferenceSettings, "TimeSettings", false};
inline constexpr TBoolKey kRefAxisSettings{kReferenceSettings, "AxisSettings", false};
inline constexpr TBoolKey kRefCustomName{kReferenceSettings, "CustomName", false};
inline constexpr TBoolKey kRefFullRange{kReferenceSettings, "FullRange", false};
inline constexpr TBoolKey kRefCurrentRange{kReferenceSettings, "CurrentRange", false};
inline constexpr TBoolKey kRefShowMeasurement{kReferenceSettings, "ShowMeasurement", false};
inline constexpr TBoolKey kRefColorAndLines{kReferenceSettings, "ColorAndLines", false};
inline constexpr TBoolKey kRefComment{kReferenceSettings, "Comment", false};
inline constexpr TStringKey kRefFilename{kReferenceSettings, "Filename", "---"};
inline constexpr TBoolKey kUseReferenceReceive{kReferenceSettings, "UseReferenceReceive", false};
inline constexpr TBoolKey kUseReferenceWhileOpening{kReferenceSettings, "UseReferenceWhileOpening", false};
// The key with the default that applies when the reference is applied.
TBoolKey ReferenceApplyDefault(const TBoolKey& k);

// ---- ConnectionSettings
inline constexpr std::string_view kConnectionSettings = "ConnectionSettings";
inline constexpr TIntKey kComPort{kConnectionSettings, "ComPort", 0};
// The serial port's device path (/dev/ttyUSB0, a pseudo-terminal), kept
// beside its index so that a port keeps its identity when others come and go.
inline constexpr TStringKey kComPortDevice{kConnectionSettings, "ComPortDevice", ""};
inline constexpr TIntKey kBaudrate{kConnectionSettings, "Baudrate", 9600};
inline constexpr TBoolKey kAutoConnect{kConnectionSettings, "AutoConnect", false};
inline constexpr TIntKey kPortScanMode{kConnectionSettings, "PortScanMode", 0};
// Written by the connection settings; "+" after the crash recovery.
inline constexpr TStringKey kBusAddress{kConnectionSettings, "BusAddress", ""};

// ---- ExportParameters
inline constexpr std::string_view kExportParameters = "ExportParameters";
inline constexpr TIntKey kExpOnlySelectedRows{kExportParameters, "OnlySelectedRows", 0};
inline constexpr TIntKey kExpOnlySelectedCols{kExportParameters, "OnlySelectedCols", 0};
inline constexpr TIntKey kExpMeasurementUnit{kExportParameters, "MeasurementUnit", 0};
inline constexpr TIntKey kExpFormatSelection{kExportParameters, "FormatSelection", 0};
inline constexpr TIntKey kExpColWidthSelection{kExportParameters, "ColWidthSelection", 0};
inline constexpr TIntKey kExpQuotationMark{kExportParameters, "QuotationMark", 32};
inline constexpr TIntKey kExpDelimiter{kExportParameters, "Delimiter", 32};
inline constexpr TIntKey kExpColWidth{kExportParameters, "ColWidth", 10};
inline constexpr TIntKey kExpKeepName{kExportParameters, "KeepName", 1};
inline constexpr TStringKey kExpFilePath{kExportParameters, "FilePath", ""};
inline constexpr TStringKey kExpDefaultFileExtension{kExportParameters, "DefaultFileExtension", ""};
inline constexpr TStringKey kExpInputFolderPath{kExportParameters, "InputFolderPath", ""};
inline constexpr TBoolKey kExpDoFolderExport{kExportParameters, "DoFolderExport", false};
inline constexpr TBoolKey kExpAlwaysWithDate{kExportParameters, "AlwaysWithDate", false};

// ---- Folders: the default is the current directory (the caller supplies it).
inline constexpr TStringKey kSensorRecordingFolder{"Folders", "SensorRecordingFolder", ""};
std::string ReadSensorRecordingFolder(const TIniList& list);

// ---- CommentOptions
inline constexpr TIntKey kRecordingNameOption{"CommentOptions", "RecordingNameOption", 0};

// ---- 7SegmentPanel
inline constexpr TIntKey kDisplaySize{"7SegmentPanel", "DisplaySize", 0};
inline constexpr TBoolKey kSegmentMinMax{"7SegmentPanel", "MinMax", false};

// ---- PrintingForm
inline constexpr TBoolKey kPrinter{"PrintingForm", "Printer", true};
inline constexpr TIntKey kPrinterIndex{"PrintingForm", "PrinterIndex", 0};
inline constexpr TStringKey kPdfPath{"PrintingForm", "PdfPath", ""};
inline constexpr TIntKey kKeepNameIndex{"PrintingForm", "KeepNameIndex", -1};
inline constexpr TBoolKey kPdfWantShow{"PrintingForm", "PdfWantShow", false};

// ---- MergeRecordingSettings (Path is set by the merge dialog)
inline constexpr TStringKey kMergePath{"MergeRecordingSettings", "Path", ""};
inline constexpr TBoolKey kMergeFolder{"MergeRecordingSettings", "MergeFolder", true};

// ---- RemarkPreSettings
inline constexpr TIntKey kRemarkFontSize{"RemarkPreSettings", "FontSize", 8};
inline constexpr TIntKey kRemarkFontColor{"RemarkPreSettings", "FontColor", 0};
inline constexpr TBoolKey kRemarkIsBold{"RemarkPreSettings", "IsBold", false};
inline constexpr TBoolKey kRemarkIsItalic{"RemarkPreSettings", "IsItalic", false};
inline constexpr TBoolKey kRemarkIsUnderlined{"RemarkPreSettings", "IsUnderlined", false};

// ---- ScaleSettings
inline constexpr TIntKey kScaleRaster{"ScaleSettings", "ScaleRaster", 0};
inline constexpr TBoolKey kScaleTogether{"ScaleSettings", "ScaleTogether", false};

// The whole registry as a table (for listing and checks); dynamic keys
// (window placement, recent files) are not in it.
enum class TKeyType { Bool, Int, String };
struct TKeyInfo {
    std::string_view section, key;
    TKeyType type;
    std::string_view def; // file form of the default
};
const std::vector<TKeyInfo>& Registry();

} // namespace vro::cfg
