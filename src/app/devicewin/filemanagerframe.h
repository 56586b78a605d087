// TDvxFileManagerFrame: the two-list page of the device window, the base of
// the recordings page and the stored-settings page. The left list holds the
// recorder's entries, the right one the files of a folder with the page's
// extension; each line keeps its directory index or file path, so sorting
// (per list and column, a second click reverses) never changes what an
// action addresses. ">" and "<" transfer, Open, Delete (also the Delete
// key) and Refresh act on the selection; the folder and the naming option
// come from the configuration and are stored when the page closes.
//
// TVroSetupFileManagerFrame is the stored-settings page: its transfers and
// deletion are the device layer's loops (device/files/vrosetuptransfer.h).
#pragma once

#include "app/devicewin/qtfilesui.h"
#include "app/devicewin/vropage.h"
#include "device/files/vrofilesort.h"

#include <QString>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace vro {
class TVro8Setup;
}

namespace vro::app {

class TButtonLabel;
class TDvxProgressForm;

class TDvxFileManagerFrame : public TVroPageFrame {
    Q_OBJECT
public:
    static constexpr int kTextBase = 519;

    TDvxFileManagerFrame(TVroForm& form, QWidget* parent, const QString& objectName);
    ~TDvxFileManagerFrame() override;

    // Reads the folder and option keys, makes the folder current, refreshes.
    void Open();
    void PeriodicUpdate() override;
    bool IsTransferShown() const override;

    // Both lists and the button states.
    void Update();
    void RefreshFolder();
    void RefreshButtons();
    void SetFolder(const QString& folder);
    QString Folder() const { return folder_; }
    int NameOption() const;
    void SetNameOption(int option);

    // A click on a column label: list 0 recorder, 1 folder; column 0 name, 1 date.
    void SortBy(int list, int column);
    // Deletes the selected files (texts 538/539 when a file was selected).
    void DeleteSelectedFiles();

    virtual void SensorToFolder() = 0;
    virtual void FolderToSensor() {}
    virtual void OpenSelected() {}
    virtual void DeleteSelected() = 0;
    virtual void RefreshDevice() = 0;

    std::vector<int> SelectedEntries() const;
    std::vector<QString> SelectedFiles() const;

    QTreeWidget* SensorList() const { return sensorList_; }
    QTreeWidget* FolderList() const { return folderList_; }
    QLabel* TitleLabel() const { return title_; }
    QLabel* FolderPathLabel() const { return folderLabel_; }
    QComboBox* OptionBox() const { return option_; }
    TButtonLabel* OpenLabel() const { return open_; }
    TButtonLabel* DeleteLabel() const { return delete_; }
    TButtonLabel* ToFolderButton() const { return toFolder_; }
    TButtonLabel* ToSensorButton() const { return toSensor_; }
    TDvxProgressForm* Progress() const { return progress_; }

    std::unique_ptr<vro::IVroFilesUi> ui = std::make_unique<TQtFilesUi>();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual QString Extension() const = 0;
    // The recorder's entries as lines (Index set), or none.
    void SetDeviceLines(std::vector<vro::TVroListLine> lines);
    // A device error in a page operation: 684/696 and the latch.
    void DeviceError();
    TDvxProgressForm& StartProgress(const QString& title);
    void EndProgress();
    void Fill(int list);

    QLabel* title_ = nullptr;

private:
    struct TListState {
        std::vector<vro::TVroListLine> lines;
        int column = -1;
        bool descending = false;
    };

    QTreeWidget* sensorList_ = nullptr;
    QTreeWidget* folderList_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QComboBox* option_ = nullptr;
    TButtonLabel* open_ = nullptr;
    TButtonLabel* delete_ = nullptr;
    TButtonLabel* refresh_ = nullptr;
    TButtonLabel* toFolder_ = nullptr;
    TButtonLabel* toSensor_ = nullptr;
    TDvxProgressForm* progress_ = nullptr;
    TListState lists_[2];
    QString folder_;
    bool opened_ = false;
};

class TVroSetupFileManagerFrame : public TDvxFileManagerFrame {
    Q_OBJECT
public:
    TVroSetupFileManagerFrame(TVroForm& form, QWidget* parent);
    ~TVroSetupFileManagerFrame() override;

    void SensorToFolder() override;
    void FolderToSensor() override;
    void DeleteSelected() override;
    void RefreshDevice() override;

protected:
    QString Extension() const override { return QStringLiteral("vxsf"); }

private:
    std::unique_ptr<vro::TVro8Setup> setup_;
};

// The recordings page: recorder recordings to ".vxrf" files (">"), or into
// the document list ("Open" with recorder entries).
class TVroRecordFileManagerFrame : public TDvxFileManagerFrame {
    Q_OBJECT
public:
    TVroRecordFileManagerFrame(TVroForm& form, QWidget* parent);

    void SensorToFolder() override { Transfer(false); }
    void OpenSelected() override;
    void DeleteSelected() override;
    void RefreshDevice() override;
    // Copy mode, or open mode (recordings handed to the device window).
    void Transfer(bool openMode);
    // How long the finished progress window stays (2000 ms).
    int finishHoldMs = 2000;

protected:
    QString Extension() const override { return QStringLiteral("vxrf"); }
};

} // namespace vro::app
