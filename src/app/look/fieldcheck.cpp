#include "app/look/fieldcheck.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/colors.h"
#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"

#include <QLineEdit>

#include <cmath>
#include <cstdio>

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

namespace {
std::string FillLimit(const char* format, const std::string& limit)
{
    std::string text = format;
    const auto pos = text.find("%d");
    if (pos != std::string::npos)
        text.replace(pos, 2, limit);
    return text;
}

std::string LimitText(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
} // namespace

bool CheckFloatField(QLineEdit* field, double min, double max)
{
    std::string text = field->text().toStdString();
    std::string error = vro::CheckEmptyText(text);
    if (error.empty()) {
        const double v = vro::StrToFloatExDef(text, std::nan(""));
        if (std::isnan(v))
            error = vro::LibraryTexts().IllegalCharError;
        else if (v > max)
            error = FillLimit(vro::LibraryTexts().GreaterThanError, LimitText(max));
        else if (v < min)
            error = FillLimit(vro::LibraryTexts().LessThanError, LimitText(min));
    }
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
