// The export commands of the main window: the settings dialog of the text
// and TDM export, the export of the active recording and the export of a
// whole folder. Writing the files is the core's (core/export).
#pragma once

#include <QDialog>

#include "core/export/exportparameter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vro {
class TIniList;
class TRecording;
} // namespace vro

namespace vro::app {

class TExportDataSettingsForm : public QDialog {
    Q_OBJECT
public:
    // Shows `parameter`; OK stores the choices back into it.
    TExportDataSettingsForm(TExportParameter& parameter, bool folderMode, QWidget* parent = nullptr);

    QComboBox* FormatBox() const { return format_; }
    QComboBox* QuoteBox() const { return quote_; }
    QComboBox* DelimiterBox() const { return delimiter_; }
    QLineEdit* DelimiterEdit() const { return otherDelimiter_; }
    QComboBox* WidthBox() const { return width_; }
    QLineEdit* WidthEdit() const { return widthEdit_; }
    QLineEdit* ExtensionEdit() const { return extension_; }
    // The checks of OK; stores and accepts when they pass.
    bool TryAccept();

private:
    void FormatChosen(int format);
    void UpdateEnabled();

    TExportParameter& parameter_;
    bool folderMode_;
    QComboBox* unit_;
    QComboBox* rows_;
    QComboBox* cols_;
    QComboBox* format_;
    QComboBox* quote_;
    QComboBox* delimiter_;
    QLineEdit* otherDelimiter_;
    QComboBox* width_;
    QLineEdit* widthEdit_;
    QLineEdit* folder_;
    QLineEdit* inputFolder_;
    QLineEdit* extension_;
    QComboBox* name_;
    QCheckBox* withDate_;
};

// The section "ExportParameters" of the configuration.
void LoadExportSettings(TExportParameter& parameter, const TIniList& config);
void SaveExportSettings(const TExportParameter& parameter, TIniList& config);

// "Export": settings dialog, file name (dialog or overwrite question), then
// the text or TDM files. Cancelling any step ends silently.
void RunExport(TRecording& recording, TExportParameter& parameter, QWidget* parent);
// "Export folder...": every recording file of a folder as text, with progress
// and Escape to stop.
void RunExportFolder(TExportParameter& parameter, QWidget* parent);

} // namespace vro::app
