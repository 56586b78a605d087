// TRecordingManager: the open recordings (the documents of the main window),
// the active one and the reference recording, and every file command on
// them: open, import, save, save as, save all, close, close all, extract,
// the unsaved-changes check, untitled names, series names, the recent-files
// list and applying a reference recording's settings.
//
// Ownership: the manager owns every open TRecording from AddRecording to
// Close and is the recordings' TRecordingHost (save-name dialog loop and
// before-save notification). The reference is a plain pointer to one of the
// open recordings, cleared when it is closed.
//
// Dialogs and messages go through IRecordingManagerUi, which the desktop
// program implements with its windows (and tests with scripted answers).
// The manager tells its owner through two callbacks: OnBeforeSave (views
// write their settings into a recording) and OnListChanged (the document
// list, the names or the active document changed; suppressed while a
// multi-document command runs).
//
// Settings: the recent-files list and section ReferenceSettings of the
// application configuration's TIniList, which the caller owns.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/manager/reference.h"
#include "core/recording/recording.h"

namespace vro {

class TIniList;

namespace textimport {
struct TTextFileSettings;
struct TTextImportSettings;
} // namespace textimport

enum class TMsgIcon { Information, Warning, Error, Question };
enum class TMsgButtons { YesNo, YesNoCancel };
enum class TMsgAnswer { Yes, No, Cancel };
// The answers of the unsaved-recordings dialog (TCheckFileSaveForm).
enum class TCheckSaveAnswer { SaveAndClose, CloseWithoutSaving, Cancel };

class IRecordingManagerUi {
public:
    virtual ~IRecordingManagerUi() = default;
    virtual void ShowMessage(const std::string& text, TMsgIcon icon) = 0;
    virtual TMsgAnswer Ask(const std::string& text, TMsgButtons buttons, TMsgIcon icon) = 0;
    // The open dialog (text 313, filter 314, several files that must
    // exist), starting in `folder`; empty when cancelled.
    virtual std::vector<std::string> AskOpenFiles(const std::string& folder) = 0;
    // The import dialog (text 316, filter 315); empty when cancelled.
    virtual std::vector<std::string> AskImportFiles(const std::string& folder) = 0;
    // The save dialog (text 310, filter 311, default extension "vxrf",
    // asks before overwriting) with a proposal without extension; nothing
    // when cancelled.
    virtual std::optional<std::string> AskSaveFile(const std::string& proposal) = 0;
    // TCheckFileSaveForm (title text 144; buttons 145, 146, Cancel): the
    // names with their check marks, all checked on entry; the user may
    // clear some.
    virtual TCheckSaveAnswer AskCheckFileSave(const std::vector<std::string>& names, std::vector<bool>& checked) = 0;
    // The text import settings dialog; false when cancelled.
    virtual bool AskTextImportSettings(textimport::TTextFileSettings& choice,
                                       const textimport::TTextImportSettings& analysed) = 0;
};

class TRecordingManager : public TRecordingHost {
public:
    TRecordingManager(TIniList& config, IRecordingManagerUi& ui);
    ~TRecordingManager() override;
    TRecordingManager(const TRecordingManager&) = delete;
    TRecordingManager& operator=(const TRecordingManager&) = delete;

    std::function<void(TRecording&)> OnBeforeSave;
    std::function<void()> OnListChanged;

    bool UseReferenceWhileOpening = false;
    bool UseReferenceReceive = false;

    // Takes the recording on: time-stamp check (with the repair question;
    // not again with stampsChecked, for a download taken with the question
    // already asked), sequence number, untitled name, activation. Returns it.
    TRecording& AddRecording(std::unique_ptr<TRecording> recording, bool stampsChecked = false);
    // The repair question of a time-stamp fault (1: text 22, 2: text 23);
    // true when the user agrees.
    bool AskRepairTimeStamps(int fault);
    // An open recording of that name is activated; otherwise the file is
    // loaded (text 7 on failure). Returns the recording, null on failure.
    TRecording* OpenFile(const std::string& name);
    void OpenWithDialog();
    void ImportWithDialog();
    TRecording* ImportTextFile(const std::string& name);

    // Null means the active recording. Each returns whether the recording
    // is saved afterwards (a cancelled dialog or a failure give false).
    bool Save(TRecording* recording = nullptr);
    bool SaveAs();
    void SaveAll();
    void SaveAll(const std::vector<TRecording*>& list);

    // Closes one recording (asking text 9 when it has unsaved changes);
    // false when it stays open (cancelled, or the save failed).
    bool Close(TRecording* recording = nullptr);
    void CloseAll();
    void CloseAll(const std::vector<TRecording*>& list);
    // True when the recordings may be closed: none unsaved, the user chose
    // to close without saving, or every checked recording was saved.
    bool CheckUnsaved();
    bool CheckUnsaved(const std::vector<TRecording*>& list);
    void Extract();

    void Activate(int index);
    bool FindAndActivate(const std::string& name);
    void Refresh() override;

    // Series of recordings under one base name: Test.vxrf, 7 → Test-007.vxrf.
    static std::string SeriesName(const std::string& base, int number);
    // Whether files "base-NNN.ext" (three or more digits) exist.
    bool SeriesExists(const std::string& base) const;
    // The save dialog until the name has no series or the user agrees to
    // overwrite it (text 8); nothing when cancelled.
    std::optional<std::string> AskSeriesName();
    std::int32_t NextSequenceNumber() { return sequence_++; }

    // Start-up: recent files and the automatic reference uses. Shutdown:
    // open confirmed names to the top of the recent files, then stored.
    void LoadSettings();
    void RememberRecentFiles();
    const std::vector<std::string>& RecentFiles() const { return recent_; }

    void MakeReference();
    void ApplyReference(int index);
    void ApplyReferenceToAll();
    void DisableReferenceUse();
    TRecording* Reference() const { return reference_; }

    int ActiveIndex() const { return active_; }
    int Count() const { return static_cast<int>(docs_.size()); }
    TRecording& Items(int i) const { return *docs_.at(static_cast<std::size_t>(i)).recording; }
    TRecording* Active() const { return active_ >= 0 ? &Items(active_) : nullptr; }
    int IndexOf(const TRecording* recording) const;
    // The document list entry's text (the FileName as of the last Refresh).
    const std::string& EntryText(int i) const { return docs_.at(static_cast<std::size_t>(i)).text; }
    // A recording's file name relative to CurrentFolder (the name itself
    // without a folder yet), as the document list and recent files show it.
    std::string RelativeName(const TRecording& recording) const;
    // The file names relative to CurrentFolder with their recordings.
    std::vector<std::pair<std::string, TRecording*>> GetNames() const;
    // The folder of the last opened file: where the open and import dialogs
    // start, and what GetNames' names are relative to. The process's working
    // folder is left alone.
    const std::string& CurrentFolder() const { return currentFolder_; }
    // The reason of the last load or import failure (text 7 names the file only).
    const std::string& LastError() const { return lastError_; }

    // TRecordingHost
    void BeforeSave(TRecording& recording) override;
    std::optional<std::string> AskSaveName(const std::string& current) override;
    bool IsNameFree(const std::string& name) override;
    void ShowError(const std::string& message) override;
    void ShowWarning(const std::string& message) { ui_.ShowMessage(message, TMsgIcon::Warning); }

    // File names compared as the recordings' file systems may compare
    // them: lexically normalised and without regard to (ASCII) case.
    static bool SameFileName(const std::string& a, const std::string& b);

private:
    struct TDocument {
        std::unique_ptr<TRecording> recording;
        std::string text;
    };

    // Saves with the error shown; whether the recording is saved afterwards.
    bool SaveNow(TRecording& r, bool withNameCheck);
    void Destroy(int index);
    void RemoveRecent(const std::string& name);
    void PushRecent(const std::string& name);
    void LoadWarnings(TRecording& r);
    // Finds, asks for and opens the reference; false when nothing can be applied.
    bool FindReference();
    void ApplyTo(TRecording& target, const TReferenceSettings& s);
    std::vector<TRecording*> All() const;

    TIniList& config_;
    IRecordingManagerUi& ui_;
    std::vector<TDocument> docs_;
    int active_ = -1;
    TRecording* reference_ = nullptr;
    int untitled_ = 1;
    std::int32_t sequence_ = 0;
    bool bulk_ = false;
    std::vector<std::string> recent_;
    std::string currentFolder_;
    std::string lastError_;
};

} // namespace vro
