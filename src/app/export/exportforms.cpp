#include "app/export/exportforms.h"

#include "app/dialogs/messagedialog.h"
#include "app/dialogs/progressform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "core/config/inilist.h"
#include "core/export/tdmexport.h"
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "core/values/dvxdatetime.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>
#include <filesystem>

namespace vro::app {

namespace {

constexpr int kBase = 155;

QComboBox* List(const QString& name, std::initializer_list<int> texts, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (int t : texts)
        c->addItem(Txt(t));
    return c;
}

QLabel* Caption(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

// A folder line with a browse button.
QWidget* FolderRow(QLineEdit*& edit, const QString& name, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    edit->setObjectName(name);
    auto* browse = new QPushButton(QStringLiteral("..."), row);
    browse->setObjectName(name + QStringLiteral("Button"));
    browse->setFixedWidth(32);
    h->addWidget(edit, 1);
    h->addWidget(browse);
    QLineEdit* target = edit;
    QObject::connect(browse, &QPushButton::clicked, row, [target, row] {
        const QString d = QFileDialog::getExistingDirectory(row, Txt(164), target->text()); // 164: Export folder
        if (!d.isEmpty())
            target->setText(d);
    });
    return row;
}

int QuoteIndex(char q) { return q == '\'' ? 1 : q == '"' ? 2 : 0; }

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TExportDataSettingsForm::TExportDataSettingsForm(TExportParameter& parameter, bool folderMode, QWidget* parent)
    : QDialog(parent), parameter_(parameter), folderMode_(folderMode)
{
    setObjectName(QStringLiteral("TExportDataSettingsForm"));
    unit_ = List(QStringLiteral("UnitComboBox"), {167, 168}, this);
    rows_ = List(QStringLiteral("TimeRangeComboBox"), {169, 170}, this);
    cols_ = List(QStringLiteral("ChannelsComboBox"), {171, 172}, this);
    format_ = List(QStringLiteral("FormatComboBox"), {173, 174, 176, 39, 191}, this);
    quote_ = List(QStringLiteral("QuoteComboBox"), {177, 178, 179}, this);
    delimiter_ = List(QStringLiteral("DelimiterComboBox"), {180, 181, 182, 183}, this);
    otherDelimiter_ = new QLineEdit(this);
    otherDelimiter_->setObjectName(QStringLiteral("DelimiterEdit"));
    otherDelimiter_->setMaxLength(1);
    width_ = List(QStringLiteral("WidthComboBox"), {184, 185, 186}, this);
    widthEdit_ = new QLineEdit(this);
    widthEdit_->setObjectName(QStringLiteral("WidthEdit"));
    extension_ = new QLineEdit(this);
    extension_->setObjectName(QStringLiteral("ExtensionEdit"));
    name_ = List(QStringLiteral("NameComboBox"), {187, 188}, this);
    withDate_ = new QCheckBox(this);
    withDate_->setObjectName(QStringLiteral("x35xAlwaysWithDateCheckBox"));

    auto* form = new QFormLayout;
    form->addRow(Caption(QStringLiteral("x05xFormatLabel"), this), format_);
    form->addRow(Caption(QStringLiteral("x02xUnitLabel"), this), unit_);
    form->addRow(Caption(QStringLiteral("x04xTimeRangeLabel"), this), rows_);
    form->addRow(Caption(QStringLiteral("x03xChannelsLabel"), this), cols_);
    form->addRow(Caption(QStringLiteral("x06xQuoteLabel"), this), quote_);
    auto* delimiterRow = new QHBoxLayout;
    delimiterRow->addWidget(delimiter_, 1);
    delimiterRow->addWidget(otherDelimiter_);
    form->addRow(Caption(QStringLiteral("x07xDelimiterLabel"), this), delimiterRow);
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(width_, 1);
    widthRow->addWidget(widthEdit_);
    form->addRow(Caption(QStringLiteral("x08xWidthLabel"), this), widthRow);
    if (folderMode) {
        auto* inputLabel = Caption(QStringLiteral("x34xInputFolderLabel"), this);
        form->addRow(inputLabel, FolderRow(inputFolder_, QStringLiteral("InputFolderEdit"), this));
        auto* outputLabel = new QLabel(Txt(38), this); // 38: Output folder
        form->addRow(outputLabel, FolderRow(folder_, QStringLiteral("FolderEdit"), this));
        extension_->hide();
        name_->hide();
    } else {
        inputFolder_ = nullptr;
        form->addRow(Caption(QStringLiteral("x09xFolderLabel"), this),
                     FolderRow(folder_, QStringLiteral("FolderEdit"), this));
        form->addRow(Caption(QStringLiteral("x11xExtensionLabel"), this), extension_);
        form->addRow(Caption(QStringLiteral("x10xNameLabel"), this), name_);
    }
    form->addRow(QString(), withDate_);

    auto* ok = new TButtonLabel(QStringLiteral("OkLabel"), this);
    auto* cancel = new TButtonLabel(QStringLiteral("CancelLabel"), this);
    StyleButtonLabel(ok);
    StyleButtonLabel(cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    ApplyQtCaptions(this, kBase);
    setWindowTitle(Txt(155)); // 155: Export of measured values

    // The stored settings.
    const TExportParameter& p = parameter_;
    unit_->setCurrentIndex(p.MeasurementUnit == 1 ? 1 : 0);
    rows_->setCurrentIndex(p.OnlySelectedRows == 1 ? 1 : 0);
    cols_->setCurrentIndex(p.OnlySelectedCols == 1 ? 1 : 0);
    format_->setCurrentIndex(folderMode && p.FormatSelection == TExportParameter::efTdm ? 0 : p.FormatSelection);
    quote_->setCurrentIndex(QuoteIndex(p.QuotationMark));
    const char listSep = DvxFormatSettings().ListSeparator;
    delimiter_->setCurrentIndex(p.Delimiter == ' ' ? 0 : p.Delimiter == '\t' ? 1 : p.Delimiter == listSep ? 2 : 3);
    if (delimiter_->currentIndex() == 3)
        otherDelimiter_->setText(QString(QLatin1Char(p.Delimiter)));
    width_->setCurrentIndex(p.ColWidthSelection);
    widthEdit_->setText(QString::number(p.ColWidth));
    folder_->setText(Q(p.FilePath));
    if (inputFolder_)
        inputFolder_->setText(Q(p.InputFolderPath));
    extension_->setText(Q(p.Extension()));
    name_->setCurrentIndex(p.KeepName == 0 ? 0 : 1);
    withDate_->setChecked(p.AlwaysWithDate);

    connect(format_, &QComboBox::activated, this, &TExportDataSettingsForm::FormatChosen);
    connect(delimiter_, &QComboBox::currentIndexChanged, this, &TExportDataSettingsForm::UpdateEnabled);
    connect(width_, &QComboBox::currentIndexChanged, this, &TExportDataSettingsForm::UpdateEnabled);
    connect(ok, &TButtonLabel::clicked, this, &TExportDataSettingsForm::TryAccept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    UpdateEnabled();
}

void TExportDataSettingsForm::FormatChosen(int format)
{
    // Choosing a format presets the other lists, as the stored presets say.
    TExportParameter preset = parameter_;
    preset.ApplyFormatPreset(format, DvxFormatSettings().ListSeparator);
    if (format != TExportParameter::efUserDefined) {
        quote_->setCurrentIndex(QuoteIndex(preset.QuotationMark));
        const char listSep = DvxFormatSettings().ListSeparator;
        delimiter_->setCurrentIndex(preset.Delimiter == ' '       ? 0
                                    : preset.Delimiter == '\t'    ? 1
                                    : preset.Delimiter == listSep ? 2
                                                                  : 3);
        width_->setCurrentIndex(preset.ColWidthSelection);
        extension_->setText(Q(preset.Extension()));
    }
    UpdateEnabled();
}

void TExportDataSettingsForm::UpdateEnabled()
{
    const bool user = format_->currentIndex() == TExportParameter::efUserDefined;
    quote_->setEnabled(user);
    delimiter_->setEnabled(user);
    width_->setEnabled(user);
    extension_->setEnabled(user);
    otherDelimiter_->setEnabled(user && delimiter_->currentIndex() == 3);
    widthEdit_->setEnabled(user && width_->currentIndex() == 2);
}

bool TExportDataSettingsForm::TryAccept()
{
    const auto failure =
        CheckExportSettings(delimiter_->currentIndex(), otherDelimiter_->text().toStdString(), width_->currentIndex(),
                            widthEdit_->text().trimmed().toStdString(), quote_->currentIndex());
    if (failure) {
        MessageBox(Txt(*failure), Txt(155), MB_OK | MB_ICONERROR); // 155: Export of measured values
        return false;
    }
    TExportParameter& p = parameter_;
    const int d = delimiter_->currentIndex();
    p.Delimiter = d == 0   ? ' '
                  : d == 1 ? '\t'
                  : d == 2 ? DvxFormatSettings().ListSeparator
                           : otherDelimiter_->text().toLatin1().at(0);
    const int q = quote_->currentIndex();
    p.QuotationMark = q == 1 ? '\'' : q == 2 ? '"' : ' ';
    p.ColWidthSelection = width_->currentIndex();
    if (p.ColWidthSelection == TExportParameter::ewFixed)
        p.ColWidth = widthEdit_->text().trimmed().toInt();
    p.MeasurementUnit = unit_->currentIndex();
    p.OnlySelectedRows = rows_->currentIndex();
    p.OnlySelectedCols = cols_->currentIndex();
    p.FormatSelection = format_->currentIndex();
    p.FilePath = folder_->text().trimmed().toStdString();
    if (inputFolder_)
        p.InputFolderPath = inputFolder_->text().trimmed().toStdString();
    p.DoFolderExport = folderMode_;
    if (!folderMode_) {
        p.DefaultFileExtension = extension_->text().trimmed().toStdString();
        p.DefaultFileExtension = p.Extension();
        p.KeepName = name_->currentIndex();
    }
    p.AlwaysWithDate = withDate_->isChecked();
    accept();
    return true;
}

void LoadExportSettings(TExportParameter& parameter, const TIniList& config)
{
    std::map<std::string, std::string> section;
    for (const auto& [key, value] : parameter.SaveSettings())
        if (config.HasKey("ExportParameters", key))
            section[key] = config.ReadString("ExportParameters", key, value);
    parameter.LoadSettings(section, DvxFormatSettings().ListSeparator);
}

void SaveExportSettings(const TExportParameter& parameter, TIniList& config)
{
    config.SelectSection("ExportParameters");
    for (const auto& [key, value] : parameter.SaveSettings())
        config.WriteString(key, value);
}

void RunExport(TRecording& recording, TExportParameter& parameter, QWidget* parent)
{
    TExportDataSettingsForm settings(parameter, false, parent);
    if (settings.exec() != QDialog::Accepted)
        return;
    QString folder = QString::fromStdString(parameter.FilePath);
    if (folder.isEmpty()) {
        // The recording's own folder (the working folder does not follow the
        // files opened); a recording not yet saved: the working folder.
        const QFileInfo file(QString::fromStdString(recording.FileName));
        folder = file.isAbsolute() ? file.absolutePath() : QDir::currentPath();
        parameter.FilePath = folder.toStdString();
    }
    const std::string ext = parameter.Extension();
    QString name = QString::fromStdString(ExportFileName(folder.toStdString(), recording.GetName(), ext).string());
    if (parameter.KeepName == 1) {
        const QString filter = ext.empty() ? QStringLiteral("*") : QStringLiteral("*.%1").arg(Q(ext));
        name = QFileDialog::getSaveFileName(parent, Txt(175), name, filter); // 175: Export measured values as ...
        if (name.isEmpty())
            return;
    } else if (QFileInfo::exists(name)) {
        // 65: The file "%s" may already exist Overwrite f...; 155: Export of measured values
        if (MessageBox(Txt(65).replace(QLatin1String("%s"), name), Txt(155), MB_YESNO | MB_ICONWARNING) != mrYes)
            return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (parameter.FormatSelection == TExportParameter::efTdm)
            TDiademFileExporter(recording).ExportTdm(name.toStdString());
        else
            WriteTextFile(recording, parameter, name.toStdString());
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        MessageBox(QString::fromStdString(e.what()), Txt(155), MB_OK | MB_ICONERROR); // 155: Export of measured values
    }
}

namespace {
// Escape pressed anywhere in the program during the folder export.
class TEscapeWatcher : public QObject {
public:
    std::atomic<bool> pressed{false};

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
            pressed = true;
        return QObject::eventFilter(o, e);
    }
};
} // namespace

void RunExportFolder(TExportParameter& parameter, QWidget* parent)
{
    TExportDataSettingsForm settings(parameter, true, parent);
    if (settings.exec() != QDialog::Accepted)
        return;
    TDvxProgressForm progress(parent);
    TEscapeWatcher escape;
    qApp->installEventFilter(&escape);
    progress.SetAbortHandler([&escape] { escape.pressed = true; });
    progress.Begin(Txt(134), false, true); // 134: Export folder...
    progress.ShowEscHint();
    progress.show();
    const auto result = ExportFolder(
        parameter.InputFolderPath, parameter.FilePath, parameter,
        [&](int i, int n, const std::string& file) {
            progress.SetTotal(i - 1, n, QStringLiteral("%1/%2: %3").arg(i).arg(n).arg(Q(file)));
            QApplication::processEvents();
        },
        &escape.pressed);
    qApp->removeEventFilter(&escape);
    progress.Finish();
    if (!result.Failures.empty()) {
        QStringList lines;
        for (const auto& f : result.Failures)
            lines << Q(f);
        ShowMessageDialog(Txt(134), Txt(134), miWarning, lines, mbOK); // 134: Export folder...
    }
}

} // namespace vro::app
