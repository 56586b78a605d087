#include "app/main/startup.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>

namespace vro::app {

namespace {
const char* const kCodes[] = {"de", "en", "fr"};
}

TLanguageForm::TLanguageForm(const QString& current, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TLanguageForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("Sprache / Language / Langue"));
    auto* layout = new QVBoxLayout(f.main);
    box_ = new QComboBox(f.main);
    box_->setObjectName(QStringLiteral("LanguageComboBox"));
    box_->addItems({QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Français")});
    box_->setCurrentIndex(current == QStringLiteral("de") ? 0 : current == QStringLiteral("fr") ? 2 : 1);
    layout->addWidget(box_);
    layout->addStretch(1);
    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    connect(ok, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    resize(320, 150);
}

QString TLanguageForm::Code() const { return QString::fromLatin1(kCodes[std::clamp(box_->currentIndex(), 0, 2)]); }

void TQtConfigUi::ShowWarning(const std::string& heading, const std::string& text)
{
    ShowMessageDialog(QString::fromStdString(heading), QString::fromStdString(text), miWarning, {}, mbOK);
}

std::optional<std::string> TQtConfigUi::AskLanguage()
{
    if (!interactive_)
        return currentLanguage;
    TLanguageForm form(QString::fromStdString(currentLanguage), QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Code().toStdString();
}

void TQtConfigUi::ReloadConnectionSettings()
{
    if (onReloadConnection)
        onReloadConnection();
}

} // namespace vro::app
