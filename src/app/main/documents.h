// TDocuments: the main window's side of the recording manager. It owns the
// core's TRecordingManager, answers its questions with the program's dialogs
// (IRecordingManagerUi), and turns the manager's two notifications into Qt
// signals. All document logic stays in the manager.
#pragma once

#include "core/manager/recordingmanager.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace vro {
class TApplicationConfig;
}

namespace vro::app {

// "Description(*.a)|*.a;*.b|..." of the text tables as a Qt file-dialog filter,
// with the upper-case form of every pattern added (file systems here are
// case-sensitive; the program accepts upper-case extensions).
QString FileDialogFilter(const QString& tableFilter);

// The manager's questions answered by the program's windows.
class TQtManagerUi : public vro::IRecordingManagerUi {
public:
    void ShowMessage(const std::string& text, vro::TMsgIcon icon) override;
    vro::TMsgAnswer Ask(const std::string& text, vro::TMsgButtons buttons, vro::TMsgIcon icon) override;
    std::vector<std::string> AskOpenFiles(const std::string& folder) override;
    std::vector<std::string> AskImportFiles(const std::string& folder) override;
    std::optional<std::string> AskSaveFile(const std::string& proposal) override;
    vro::TCheckSaveAnswer AskCheckFileSave(const std::vector<std::string>& names, std::vector<bool>& checked) override;
    bool AskTextImportSettings(vro::textimport::TTextFileSettings& choice,
                               const vro::textimport::TTextImportSettings& analysed) override;
};

class TDocuments : public QObject {
    Q_OBJECT
public:
    TDocuments(vro::TApplicationConfig& config, QObject* parent = nullptr);
    ~TDocuments() override;

    vro::TRecordingManager& Manager() { return *manager_; }

    int Count() const { return manager_->Count(); }
    int ActiveIndex() const { return manager_->ActiveIndex(); }
    vro::TRecording* Active() const { return manager_->Active(); }
    vro::TRecording* Item(int i) const { return &manager_->Items(i); }
    void Activate(int i) { manager_->Activate(i); }

    void OpenFile(const QString& name) { manager_->OpenFile(name.toStdString()); }
    void OpenWithDialog() { manager_->OpenWithDialog(); }
    void ImportWithDialog() { manager_->ImportWithDialog(); }
    void Save() { manager_->Save(); }
    void SaveAs() { manager_->SaveAs(); }
    void SaveAll() { manager_->SaveAll(); }
    void Close() { manager_->Close(); }
    void CloseAll() { manager_->CloseAll(); }
    bool CheckUnsaved() { return manager_->CheckUnsaved(); }
    void Extract() { manager_->Extract(); }
    void ReferenceDialog();

    QStringList RecentFiles() const;
    // Opens recent entry i; then the reference when it is applied on opening.
    void OpenRecent(int i);

    void LoadSettings() { manager_->LoadSettings(); }
    void RememberRecentFiles() { manager_->RememberRecentFiles(); }

signals:
    void listChanged();
    void beforeAction(vro::TRecording& recording);

private:
    vro::TApplicationConfig& config_;
    TQtManagerUi ui_;
    std::unique_ptr<vro::TRecordingManager> manager_;
};

} // namespace vro::app
