// TApplicationConfig: the one configuration object of a program run. It
// owns the section list (TIniList), knows the file, loads it at start-up,
// runs the start-up protocol that detects a run that did not end properly,
// and writes the file back (Save(false) right after start-up, Save(true) as
// the last settings step of the normal close), so a crash, kill or power
// failure leaves WasShutDown = 0 for the next start.
//
// The file: "Automatic generated file! Do not modify", an empty line, the XML
// declaration, then the root element VxApplicationConfig with one empty
// element per section (nothing after the declaration once "Reset options"
// was chosen). It is always written to a temporary file and renamed into
// place, so a failed or interrupted write leaves the previous file intact.
// A file that exists but cannot be read or has the wrong shape is renamed
// aside (".bak") before the defaults are used, and the user is told once.
//
// Location: $XDG_CONFIG_HOME (else ~/.config), folder "vrowin", file
// PROGRAM-USER.vxacf; `--config FILE` overrides it (ConfigFileFromArguments).
//
// Dialogs are the application's: the object talks to them through
// IConfigUi. GUI thread only.
#pragma once

#include "core/config/inilist.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vro {

// What the configuration needs from the user interface.
class IConfigUi {
public:
    virtual ~IConfigUi() = default;
    // A message with a warning icon and an OK button.
    virtual void ShowWarning(const std::string& heading, const std::string& text) = 0;
    // The first-run language dialog: the chosen code ("de", "en", "fr"), or
    // nothing when the user cancelled it (the program then ends).
    virtual std::optional<std::string> AskLanguage() = 0;
    // The crash recovery changed the connection keys: the connection
    // object reloads its settings.
    virtual void ReloadConnectionSettings() = 0;
};

// A window rectangle (also a screen's work area).
struct TPlacementRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TPlacementRect&, const TPlacementRect&) = default;
};

struct TWindowPlacement {
    bool maximized = false;
    TPlacementRect rect;
};

// Fits a window rectangle into a work area: width limited to the area's
// width (but never below minWidth), left to [area.left, area.left +
// area.width - width] (area.left when the window is wider), the same for
// height and top. Correct for work areas that do not start at 0.
TPlacementRect ClampPlacement(TPlacementRect rect, const TPlacementRect& workArea, int minWidth = 0, int minHeight = 0);

// PROGRAM-USER.vxacf (the program's name and the user's), in the user's configuration folder.
std::filesystem::path DefaultConfigFileName(std::string_view programName = "vrowin");
// The value of "--config FILE" or "--config=FILE" among the arguments, else
// DefaultConfigFileName(programName).
std::filesystem::path ConfigFileFromArguments(int argc, const char* const* argv,
                                              std::string_view programName = "vrowin");
// The login name (at most 255 characters, no path separators).
std::string ConfigUserName();

inline constexpr std::string_view kConfigRoot = "VxApplicationConfig";
inline constexpr std::string_view kConfigHeaderLine = "Automatic generated file! Do not modify";

class TApplicationConfig {
public:
    // The file name is fixed here; nothing is read yet.
    explicit TApplicationConfig(std::filesystem::path fileName, IConfigUi* ui = nullptr);
    // At DefaultConfigFileName() ("vrowin").
    TApplicationConfig();

    void SetUi(IConfigUi* ui) { ui_ = ui; }
    const std::filesystem::path& FileName() const { return fileName_; }
    TIniList& List() { return list_; }
    const TIniList& List() const { return list_; }

    // Reads the file. A missing or damaged file gives first run, was not
    // shut down, language "en"; a damaged one is renamed aside first. In
    // every case Globals/FirstRun becomes 0 in memory.
    void Load();
    // Writes the file (atomically). A failure is shown once per program run
    // with the library message and never reaches the caller; the result
    // tells whether the file was written.
    bool Save(bool wasShutDown);

    // The start-up protocol (first idle of the main window): tells about a
    // damaged file, runs the first-run language dialog or, after a run that
    // did not end properly, resets the critical connection settings and
    // shows text 16; then Save(false). Returns false when the language
    // dialog was cancelled: the program ends without saving.
    bool RunStartupProtocol();

    // Stores the code and Globals/Language only when it differs.
    void SetLanguage(std::string_view code);

    bool FirstRun() const { return firstRun_; }
    bool WasShutDown() const { return wasShutDown_; }
    const std::string& Language() const { return language_; }
    bool ShowDownloadRecoveryInfo() const { return showDownloadRecoveryInfo_; }
    void SetShowDownloadRecoveryInfo(bool b) { showDownloadRecoveryInfo_ = b; }
    const std::string& WorkingDirectory() const { return workingDirectory_; }
    void SetWorkingDirectory(std::string dir) { workingDirectory_ = std::move(dir); }

    // "Reset options": the next save writes no sections.
    void SetResetFlag(bool on = true) { reset_ = on; }
    bool ResetFlag() const { return reset_; }

    // Whether Load found a damaged file, where it was put aside (empty when
    // it could not be), and why it could not be read.
    bool FileWasDamaged() const { return damaged_; }
    const std::filesystem::path& DamagedFileBackup() const { return damagedBackup_; }
    const std::string& LoadError() const { return loadError_; }

    // Section MainForm or SensorForm: Maximized always, the rectangle only
    // when the window is in the normal state.
    void StorePlacement(std::string_view section, bool maximized, bool normalState, const TPlacementRect& rect);
    // Nothing when the section has no Top key; otherwise the stored values
    // with their defaults, unclamped (the window applies ClampPlacement for
    // its screen).
    std::optional<TWindowPlacement> RestorePlacement(std::string_view section) const;

    // The file text Save writes.
    std::string FileText() const;

    // True once the save-failure message was shown in this program run.
    static bool SaveFailureReported();
    static void ResetSaveFailureReported(); // for tests

private:
    void KeepDamagedFileAside(const std::string& why);

    std::filesystem::path fileName_;
    IConfigUi* ui_;
    TIniList list_;
    bool firstRun_ = true;
    bool wasShutDown_ = false;
    std::string language_ = "en";
    bool showDownloadRecoveryInfo_ = true;
    std::string workingDirectory_;
    bool reset_ = false;
    std::filesystem::path damagedBackup_;
    std::string loadError_;
    bool damaged_ = false;
    bool damageReported_ = false;
};

} // namespace vro
