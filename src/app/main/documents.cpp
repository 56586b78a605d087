#include "app/main/documents.h"

#include "app/dialogs/checkfilesaveform.h"
#include "app/dialogs/messagedialog.h"
#include "app/dialogs/referenzform.h"
#include "app/dialogs/textfilesettingsform.h"
#include "app/look/apptext.h"
#include "core/config/applicationconfig.h"

#include <QApplication>
#include <QFileDialog>

namespace vro::app {

QString FileDialogFilter(const QString& tableFilter)
{
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            patterns << t;
            if (t.toUpper() != t)
                patterns << t.toUpper();
        }
        // The table's caption may carry its pattern already ("Text file(*.*)"):
        // the filter shows the caption once, then the patterns once.
        QString caption = parts[i].trimmed();
        if (caption.endsWith(QLatin1Char(')')) && caption.contains(QLatin1Char('(')))
            caption = caption.left(caption.lastIndexOf(QLatin1Char('('))).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(caption, patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

TMessageIcon IconOf(vro::TMsgIcon icon)
{
    switch (icon) {
    case vro::TMsgIcon::Information: return miInformation;
    case vro::TMsgIcon::Warning: return miWarning;
    case vro::TMsgIcon::Error: return miError;
    case vro::TMsgIcon::Question: return miQuestion;
    }
    return miNone;
}

std::vector<std::string> ToStd(const QStringList& list)
{
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

} // namespace

void TQtManagerUi::ShowMessage(const std::string& text, vro::TMsgIcon icon)
{
    ShowMessageDialog({}, QString::fromStdString(text), IconOf(icon), {}, mbOK);
}

vro::TMsgAnswer TQtManagerUi::Ask(const std::string& text, vro::TMsgButtons buttons, vro::TMsgIcon icon)
{
    const unsigned mask = buttons == vro::TMsgButtons::YesNo ? (mbYes | mbNo) : (mbYes | mbNo | mbCancel);
    const int r = ShowMessageDialog({}, QString::fromStdString(text), IconOf(icon), {}, mask);
    if (r == mrYes)
        return vro::TMsgAnswer::Yes;
    if (r == mrNo)
        return vro::TMsgAnswer::No;
    return vro::TMsgAnswer::Cancel;
}

std::vector<std::string> TQtManagerUi::AskOpenFiles(const std::string& folder)
{
    // 313: Open recording ...
    return ToStd(QFileDialog::getOpenFileNames(QApplication::activeWindow(), Txt(313), QString::fromStdString(folder),
                                               FileDialogFilter(Txt(314)))); // 314: VX Recording(*.vxrf;...
}

std::vector<std::string> TQtManagerUi::AskImportFiles(const std::string& folder)
{
    // 316: Importing recording...
    return ToStd(QFileDialog::getOpenFileNames(QApplication::activeWindow(), Txt(316), QString::fromStdString(folder),
                                               FileDialogFilter(Txt(315)))); // 315: Text file(*.*)|*.*
}

std::optional<std::string> TQtManagerUi::AskSaveFile(const std::string& proposal)
{
    QFileDialog dialog(QApplication::activeWindow(), Txt(310)); // 310: Save recording as ...
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(FileDialogFilter(Txt(311))); // 311: VX Recording(*.vxrf)|*.vxrf
    dialog.setDefaultSuffix(Txt(312));                // 312: vxrf
    if (!proposal.empty())
        dialog.selectFile(QString::fromStdString(proposal));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

vro::TCheckSaveAnswer TQtManagerUi::AskCheckFileSave(const std::vector<std::string>& names, std::vector<bool>& checked)
{
    return TCheckFileSaveForm::Run(names, checked);
}

bool TQtManagerUi::AskTextImportSettings(vro::textimport::TTextFileSettings& choice,
                                         const vro::textimport::TTextImportSettings& analysed)
{
    return TTextFileSettingsForm::Run(choice, analysed);
}

TDocuments::TDocuments(vro::TApplicationConfig& config, QObject* parent)
    : QObject(parent), config_(config), manager_(std::make_unique<vro::TRecordingManager>(config.List(), ui_))
{
    manager_->OnListChanged = [this] { emit listChanged(); };
    manager_->OnBeforeSave = [this](vro::TRecording& r) { emit beforeAction(r); };
}

TDocuments::~TDocuments()
{
    manager_->OnListChanged = nullptr;
    manager_->OnBeforeSave = nullptr;
}

void TDocuments::ReferenceDialog() { TReferenzForm::Run(*manager_, config_.List()); }

QStringList TDocuments::RecentFiles() const
{
    QStringList out;
    for (const std::string& f : manager_->RecentFiles())
        out << QString::fromStdString(f);
    return out;
}

void TDocuments::OpenRecent(int i)
{
    const auto& recent = manager_->RecentFiles();
    if (i < 0 || i >= static_cast<int>(recent.size()))
        return;
    const std::string name = recent[static_cast<std::size_t>(i)];
    if (manager_->OpenFile(name) && manager_->UseReferenceWhileOpening && manager_->Active())
        manager_->ApplyReference(manager_->ActiveIndex());
}

} // namespace vro::app
