// TVro8SetupFrame: the setup editor page of the device window. It shows the
// recorder's current setup as six block summaries under clickable block
// titles (a title opens the block's detail editor when one is registered,
// vropage.h) and offers Load from VRO (the settings list window), Save to
// VRO, Load from file and Save to file. The summaries and the Save to VRO
// decisions are the device layer's (device/window/); this page reads,
// writes and asks.
//
// Every action that may change the recorder's setup sets the refresh-needed
// flag; the periodic update then reads the setup again unless a detail
// editor is visible.
#pragma once

#include "app/devicewin/qtfilesui.h"
#include "app/devicewin/vropage.h"
#include "device/setup/vro8setup.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QListWidget;

namespace vro::app {

class TButtonLabel;

// The small list window of the settings stored in the recorder ("Settings
// in the Vro"); a click on an entry runs `onChoose` with its directory index.
class TVroSettingsListForm : public QDialog {
    Q_OBJECT
public:
    explicit TVroSettingsListForm(QWidget* parent = nullptr);
    // One line per entry ("name, Nr. number"), or the not-clickable line of text 531.
    void Fill(const std::vector<std::string>& lines);
    QListWidget* List() const { return list_; }
    std::function<void(int index)> onChoose;

private:
    QListWidget* list_ = nullptr;
    bool empty_ = true;
};

class TVro8SetupFrame : public TVroPageFrame {
    Q_OBJECT
public:
    static constexpr int kTextBase = 720;

    TVro8SetupFrame(TVroForm& form, QWidget* parent);
    ~TVro8SetupFrame() override;

    vro::TVro8Setup& Setup() { return *setup_; }
    void PeriodicUpdate() override;

    // ReadAll and RefreshSetups, then the summaries; a communication error
    // is reported (684/696, latch) and passed on.
    void Refresh();
    // The summaries from the model as it is now.
    void RebuildSummaries();
    void SetRefreshNeeded() { refreshNeeded_ = true; }
    bool RefreshNeeded() const { return refreshNeeded_; }

    void LoadFromDirectory();
    void SaveToDirectory();
    // With an empty name the open or save dialog asks.
    void LoadFromFile(QString fileName = {});
    void SaveToFile(QString fileName = {});
    // Frees an open detail editor and opens the block's one.
    void OpenEditor(TVroSetupBlock block);
    QWidget* Editor() const { return editor_.data(); }

    TButtonLabel* BlockTitle(TVroSetupBlock block) const { return titles_[static_cast<int>(block)]; }
    QLabel* BlockSummary(TVroSetupBlock block) const { return summaries_[static_cast<int>(block)]; }
    TVroSettingsListForm* ListForm() const { return listForm_.data(); }
    // The questions (tests answer them).
    std::unique_ptr<vro::IVroFilesUi> ui = std::make_unique<TQtFilesUi>();

private:
    // Runs a recorder operation with the ping held off; a communication
    // error is reported and latched. False when it failed.
    bool Guarded(const std::function<void()>& op);

    std::unique_ptr<vro::TVro8Setup> setup_;
    std::array<TButtonLabel*, kVroSetupBlockCount> titles_{};
    std::array<QLabel*, kVroSetupBlockCount> summaries_{};
    QWidget* canBlock_ = nullptr;
    QPointer<QWidget> editor_;
    QPointer<TVroSettingsListForm> listForm_;
    bool refreshNeeded_ = false;
};

} // namespace vro::app
