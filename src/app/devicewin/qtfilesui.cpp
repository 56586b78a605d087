#include "app/devicewin/qtfilesui.h"

#include "app/dialogs/filenameinputform.h"
#include "app/dialogs/messagedialog.h"
#include "app/dialogs/promptbox.h"
#include "app/look/windowlayout.h"

#include <QDateTime>

namespace vro::app {

std::optional<std::string> TQtFilesUi::AskText(const std::string& prompt, const std::string& initial)
{
    QString value = QString::fromStdString(initial);
    if (!Prompt(DialogCaption(), {}, QString::fromStdString(prompt), false, value))
        return std::nullopt;
    return value.toStdString();
}

bool TQtFilesUi::AskYesNo(const std::string& question)
{
    return MessageBox(QString::fromStdString(question), {}, MB_YESNO | MB_ICONQUESTION) == mrYes;
}

void TQtFilesUi::ShowError(const std::string& text)
{
    MessageBox(QString::fromStdString(text), {}, MB_OK | MB_ICONERROR);
}

void TQtFilesUi::ShowInformation(const std::string& text)
{
    MessageBox(QString::fromStdString(text), {}, MB_OK | MB_ICONINFORMATION);
}

} // namespace vro::app

namespace vro::app {

int TQtFilesUi::AskTemplate(std::string& pattern)
{
    const QDateTime now = QDateTime::currentDateTime();
    const double day = QDate(1899, 12, 30).daysTo(now.date()) + now.time().msecsSinceStartOfDay() / 86400000.0;
    return TFilenameInputForm::Run(pattern, "SomeName", 2, day);
}

} // namespace vro::app
