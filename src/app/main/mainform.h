// TMainForm: the program's one main window. It creates the long-lived objects
// in the program's creation order, keeps the document list on screen with one
// active recording, offers the full menu (entries whose functions are not
// built yet stay disabled), opens files that arrive from outside through one
// routine (OpenFileByName), watches the keyboard for the diagnostic words,
// keeps the status line current from its idle timer and saves all settings on
// close. It owns no document logic: every file command goes to the documents
// object, which forwards to the recording manager of the core.
#pragma once

#include "app/diag/v24logform.h"
#include "app/main/keywordwatcher.h"
#include "app/main/mainmenu.h"
#include "core/export/exportparameter.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QSplitter;

namespace vro {
class TApplicationConfig;
class TDvxConnection;
class TDvxErrorHandler;
class TRecording;
class TVro8Manager;
} // namespace vro

namespace vro::app {

class TButtonLabel;
class TDocuments;
class TGraphicFrame;
class TTableFrame;
class TDvxV24LogForm;
class TQtConfigUi;
class TVroForm;

struct TStartOptions {
    QString configFile;      // --config FILE; empty: the user's configuration folder
    QString language;        // --language de|en|fr; empty: as configured
    QString port;            // --port PATH: the device the connection uses (a simulator's pseudo-terminal)
    QString file;            // the first plain argument: a file to open
    bool interactive = true; // false: no start-up questions (offscreen screenshot)
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kTextBase = 66;

    explicit TMainForm(const TStartOptions& options, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The one entry for files from outside (command line, drag and drop, a
    // second start, the open dialog's and recent list's files go through the
    // documents object): dispatches on the extension, upper case too.
    void OpenFileByName(const QString& path);

    // A second start asked for the window; a non-empty path is opened.
    void HandOff(const QString& path);

    // Selects the configured language and relabels the window at once.
    void SetLanguage(const QString& code);
    void ApplyTexts();

    const TMainMenu& MainMenu() const { return menu_; }
    TDocuments& Documents() const { return *documents_; }
    vro::TApplicationConfig& Config() const { return *config_; }
    vro::TDvxConnection& Connection() const { return *connection_; }
    vro::TVro8Manager* DeviceManager() const { return deviceManager_.get(); }
    vro::TDvxErrorHandler& ErrorHandler() const { return *errorHandler_; }
    // "VRO Manager": creates and initialises the device window on first use,
    // shows it modeless when the port is open, else modally.
    TVroForm* OpenDeviceWindow();
    TVroForm* DeviceWindow() const;
    void DeviceWindowClosed();
    bool IsBlankShown() const;
    bool HasFinishedFirstIdle() const { return firstIdleDone_; }
    QString StatusConnectionText() const;
    QString StatusChangedText() const;
    QPlainTextEdit* PropertiesPane() const { return propertiesPane_; }
    TGraphicFrame* GraphicFrame() const { return graphicFrame_; }
    TTableFrame* TableFrame() const { return tableFrame_; }
    vro::TExportParameter& ExportParameter() { return exportParameter_; }
    TDvxV24LogForm* LogForm() const { return logForm_; }
    QWidget* MemMonitor() const { return memMonitor_; }

    // Runs the idle work once (the timer calls it; tests call it directly).
    void IdleTick();

    // The refresh after the document list or the active recording changed.
    void ActiveRecordingChanged();
    void RefreshMenuState();

signals:
    // Emitted when the first idle moment has run (start-up is complete).
    void startupFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildLayout();
    void ConnectMenu();
    // Switches the graph's active tool off (the menu table's "tool off").
    void ToolOff();
    void FirstIdle();
    void FillRecentFiles();
    // The panes the user wants to see; they show while a recording is active.
    struct TPanesWanted {
        bool graphic = true;
        bool table = false;
        bool properties = false;
    };
    void ShowPane(bool TPanesWanted::*pane, bool show);
    void RefreshPanes();
    void RunChannelCommand(int kind);
    void OpenConnection();
    // The channels the graph draws, for the time-shift dialog.
    std::vector<int> DrawnChannels() const;
    void RefreshPropertiesPane();
    void RefreshDocumentList();
    void RefreshDocumentListMarks();
    QString DocumentEntryText(int i) const;
    void OnKey(int key);
    void OpenDiagnosis();
    void OpenMemMonitor();
    void ResetOptions();
    void SaveSettings();
    void Run(const std::function<void()>& command);

    TStartOptions options_;
    std::unique_ptr<TQtConfigUi> configUi_;
    std::unique_ptr<vro::TApplicationConfig> config_;
    std::unique_ptr<TDocuments> documents_;
    std::unique_ptr<vro::TDvxConnection> connection_;
    std::unique_ptr<vro::TDvxErrorHandler> errorHandler_;
    std::unique_ptr<vro::TVro8Manager> deviceManager_;
    QPointer<TVroForm> deviceWindow_;

    TMainMenu menu_;
    TPanesWanted panes_;
    QFrame* mainPanel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QFrame* leftPanel_ = nullptr;
    QFrame* rightPanel_ = nullptr;
    QFrame* bottomPanel_ = nullptr;
    QFrame* blankShape_ = nullptr;
    QListWidget* documentList_ = nullptr;
    QPlainTextEdit* propertiesPane_ = nullptr;
    QSplitter* paneSplitter_ = nullptr;
    TGraphicFrame* graphicFrame_ = nullptr;
    TTableFrame* tableFrame_ = nullptr;
    vro::TExportParameter exportParameter_;
    TButtonLabel* connectionStateLabel_ = nullptr;
    QLabel* recordingChangedLabel_ = nullptr;

    QTimer idleTimer_;
    bool firstIdleDone_ = false;
    bool placementRestored_ = false;
    bool closing_ = false;
    bool quitAccepted_ = false;
    QString portError_;
    TKeywordWatcher memMonitorWord_{QStringLiteral("MEMMONITOR")};
    TKeywordWatcher diagnoseWord_{QStringLiteral("DIAGNOSE")};
    QPointer<TDvxV24LogForm> logForm_;
    QPointer<QWidget> memMonitor_;
};

} // namespace vro::app
