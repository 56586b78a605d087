// The program's numbered text tables and the library text set, each in German,
// English and French, and the caption rule that gives named components their
// texts at run time.
//
// text(n) is safe to call from any thread; the language selection is
// program-wide and is normally changed on the user-interface thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vro {

enum class TTextLanguage { German, English, French };

// Number of entries of each main text table (numbers 0 to kTextCount - 1).
inline constexpr int kTextCount = 1341;

// The marker text of numbers that are no longer used.
inline constexpr std::string_view kFreeText = "!free!";

// "de" selects German, "fr" French, every other code (also "DE", "it" and
// the empty code) English. Before the first call English is in force.
void SelectTextLanguage(std::string_view code);
TTextLanguage TextLanguage();

// Main-table text n of the active table. Numbers outside 0..1340 give
// "TextErr-" followed by n in decimal; it never fails.
std::string text(int n);
// The same for a given table, independent of the selection.
std::string text(TTextLanguage language, int n);

// The language code of a language ("de", "en", "fr").
std::string_view LanguageCode(TTextLanguage language);

// The library text set: named texts of the shared sensor-interface library.
// Before any selection the German block is in force.
struct TLibraryTexts {
    // Button captions.
    const char* YesCaption;
    const char* NoCaption;
    const char* OkCaption;
    const char* CancelCaption;
    const char* AbortCaption;
    const char* RetryCaption;
    const char* IgnoreCaption;
    const char* AllCaption;
    const char* YesToAllCaption;
    const char* NoToAllCaption;
    const char* HelpCaption;
    const char* ApplyCaption;
    const char* NextCaption;
    const char* BackCaption;
    const char* CloseCaption;
    const char* PrintCaption;
    const char* CommentCaption;
    const char* RefreshCaption;

    // Input validation.
    const char* EmptyInputError;
    const char* IllegalCharError;
    const char* GreaterThanError; // %d
    const char* LessThanError;    // %d
    const char* TooLongError;     // %d
    const char* InvalidTimeError;
    const char* InvalidDateError;
    const char* InvalidDateTimeError;
    const char* DateTooLateError;      // %s: the latest allowed date
    const char* DateTooEarlyError;     // %s: the earliest allowed date
    const char* DateTimeTooLateError;  // %s: the latest allowed date and time
    const char* DateTimeTooEarlyError; // %s: the earliest allowed date and time
    const char* InvalidTimeSpanError;
    const char* TimeSpanTooLargeError; // %s
    const char* TimeSpanTooSmallError; // %s
    const char* NoListEntryError;

    // Sensor file and sensor transfer.
    const char* LoadDefaultsHint;
    const char* SaveToFileHint;
    const char* LoadFromFileHint;
    const char* SendToSensorHint;
    const char* ReceiveFromSensorHint;
    const char* SensorWriteError;
    const char* SensorReadError;
    const char* FileSaveError; // %s
    const char* FileLoadError; // %s
    const char* ConfigFileTypeName;
    const char* ConstellationFileTypeName;

    // Sensor information lines.
    const char* PartNumberInfo;     // %d
    const char* SerialNumberInfo2;  // %s-%d
    const char* SerialNumberInfo;   // %d
    const char* ClassificationInfo; // C%2.2d-T%2.2d-V%2.2d-E%2.2d
    const char* ChannelCountInfo;   // %d
    const char* FunctionCodingInfo; // %3.3d-%2.2x-%2.2x
    const char* ValueCodingInfo;    // %4.4x-%4.4x-%4.4x
    const char* ChannelInfo;        // %d=%s: %1.*f .. %1.*f %s (%d bit)
    const char* DigitCodeInfo;      // (DigitCode: %d-%d)
    const char* NotActiveInfo;
    const char* CalibrationDataInfo; // %d-%d
    const char* LinearizationInfo;   // %d
    const char* CalibratedOnInfo;
    const char* RecalibrationInfo;
    const char* RangeCountInfo;
    const char* StandardRangeInfo;
    const char* RangeInfo; // %d=%1.*f .. %1.*f %s
    const char* InactiveInfo;
    const char* LowRangeInfo;
    const char* HighRangeInfo;
    const char* SensorsInfo;
    const char* ToInfo;
    const char* PageInfo;
    const char* DigitalInputsInfo;
    const char* DigitalInputCountInfo;

    // Bus addressing and sensor search.
    const char* BusAddressText;
    const char* AddressPrefixText;
    const char* SetBusAddressText;
    const char* NoAddressText;
    const char* AllAddressesText;
    const char* BusmasterText;
    const char* SearchSmartSensorsText;
    const char* SearchResultsText;
    const char* SearchAtAddressText;
    const char* AddressText;
    const char* NoSensorFoundText;
    const char* SensorsFoundText;
    const char* AbortedText;
    const char* BusAddressFormat;    // %s
    const char* ConnectedWithFormat; // %s
    const char* PortOpenError;

    // Connection progress.
    const char* ConnectedState;
    const char* InitComState;
    const char* CheckModemStatusState;
    const char* CheckModemTypeState;
    const char* CheckPinState;
    const char* InitSimState;
    const char* CheckNetworkState;
    const char* SelectState;
    const char* OpenInterfaceState;
    const char* SetPinsState;
    const char* ModemConnectState;
    const char* DisconnectState;
    const char* NetworkConnectState;
    const char* ConnectingState;
    const char* ConnectError;
    const char* DisconnectedState;
    const char* DisconnectingState;

    // Configuration file.
    const char* ConfigSaveHeading;
    const char* ConfigSaveError; // %s file name, %s folder, %s program file name
};

// "de" fills the library set from the German block, "fr" from the French
// block, every other code from the English block.
void SelectLibraryLanguage(std::string_view code);
TTextLanguage LibraryLanguage();
// The active library set.
const TLibraryTexts& LibraryTexts();
// The library set of a given language, independent of the selection.
const TLibraryTexts& LibraryTexts(TTextLanguage language);

// --- Caption rule ----------------------------------------------------------

// The first text number of a component name ("x05xFileMenuItem" gives 5), or
// nothing when the name does not follow the pattern x<digits>x.
std::optional<int> ComponentTextNumber(std::string_view name);
// The second number of a list-holding component ("x12x15xKindRadioGroup"
// gives 15), or nothing.
std::optional<int> ComponentSecondTextNumber(std::string_view name);

// How a component takes its text.
enum class TCaptionKind {
    Caption, // label, button, check box, menu item, radio button, group box
    Lines,   // radio group, combo box, check list box, memo, tab control, list box
    Other,   // takes no text
};

// A named component as ApplyCaptions sees it; the app wraps its widgets.
class ICaptionTarget {
public:
    virtual ~ICaptionTarget() = default;
    virtual std::string Name() const = 0;
    virtual TCaptionKind Kind() const = 0;
    // Called for TCaptionKind::Caption.
    virtual void SetCaption(const std::string& caption) = 0;
    // Called for TCaptionKind::Lines with the complete new list.
    virtual void SetLines(const std::vector<std::string>& lines) = 0;
};

using TTextLookup = std::function<std::string(int)>;

// Applies the caption rule to every component, in the given order: a
// component whose name carries N gets lookup(base + N) as caption; a list
// component gets lookup(base + N) .. lookup(base + M) (an empty list without
// a second number M). Components without a number are left alone.
void ApplyCaptions(const std::vector<ICaptionTarget*>& components, int base, const TTextLookup& lookup);
void ApplyCaptions(const std::vector<ICaptionTarget*>& components, int base);

// The library caption of a button label by its component name ("OkLabel"
// gives the active library set's OK caption), or nothing for other names.
std::optional<std::string> ButtonLabelCaption(std::string_view componentName);

// The caption part of StyleButtonLabel: the library caption for the known
// names (otherwise `caption`), stripped of its accelerator marker "&"
// ("&&" stands for one "&"), trimmed and framed by two blanks on each side.
std::string StyleButtonLabelCaption(std::string_view componentName, std::string_view caption);

} // namespace vro
