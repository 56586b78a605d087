#include "app/look/fieldcheck.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/colors.h"
#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"

#include <QLineEdit>

namespace vro::app {

void MarkFieldValid(QWidget* field, bool valid)
{
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base, valid ? ValidFieldColor() : FailingFieldColor());
    field->setPalette(pal);
    field->setProperty("vroFieldFailing", !valid);
}

bool IsFieldMarkedFailing(const QWidget* field) { return field->property("vroFieldFailing").toBool(); }

bool CheckField(QWidget* field, const QString& errorText)
{
    if (errorText.isEmpty()) {
        MarkFieldValid(field, true);
        return true;
    }
    MarkFieldValid(field, false);
    field->setFocus();
    MessageBox(errorText, {}, MB_OK | MB_ICONERROR);
    return false;
}

namespace {
bool Apply(QLineEdit* field, std::string text, const std::string& error)
{
    if (error.empty())
        field->setText(QString::fromStdString(text));
    return CheckField(field, QString::fromStdString(error));
}
} // namespace

bool CheckFixField(QLineEdit* field, int decimals, std::int64_t min, std::int64_t max)
{
    std::string text = field->text().toStdString();
    const std::string error = vro::CheckFixValueText(text, decimals, min, max);
    return Apply(field, text, error);
}

bool CheckTimeSpanField(QLineEdit* field, std::int64_t minSeconds, std::int64_t maxSeconds)
{
    std::string text = field->text().toStdString();
    const std::string error = vro::CheckTimeSpanText(text, minSeconds, maxSeconds);
    return Apply(field, text, error);
}

bool CheckTextField(QLineEdit* field, int maxLength)
{
    std::string text = field->text().toStdString();
    std::string error = vro::CheckEmptyText(text);
    if (error.empty() && QString::fromStdString(text).size() > maxLength) {
        error = vro::LibraryTexts().TooLongError;
        const auto pos = error.find("%d");
        if (pos != std::string::npos)
            error.replace(pos, 2, std::to_string(maxLength));
    }
    return Apply(field, text, error);
}

} // namespace vro::app
