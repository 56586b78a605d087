// The validation look of dialog fields: a field that fails its check turns
// light yellow, takes the focus and its message is shown as an error; a field
// that passes turns white again. The checks themselves are the value checks of
// the core; these functions only apply their verdict to the widget.
#pragma once

#include <QString>

#include <cstdint>

class QLineEdit;
class QWidget;

namespace vro::app {

// Empty errorText: the field is marked valid and true is returned. Otherwise
// the field is marked failing, focused, the message shown, and false returned.
bool CheckField(QWidget* field, const QString& errorText);

// Integer (decimals 0) or fixed-point check with raw limits; a passing field
// shows the trimmed text.
bool CheckFixField(QLineEdit* field, int decimals, std::int64_t min, std::int64_t max);
// Time-span check ("3d 5h 10m 12s") with limits in seconds.
bool CheckTimeSpanField(QLineEdit* field, std::int64_t minSeconds, std::int64_t maxSeconds);
// Floating point (either decimal separator) within min..max.
bool CheckFloatField(QLineEdit* field, double min, double max);
// Not empty and at most maxLength characters.
bool CheckTextField(QLineEdit* field, int maxLength);

// Only the colour part, for callers that show their own message.
void MarkFieldValid(QWidget* field, bool valid);
bool IsFieldMarkedFailing(const QWidget* field);

} // namespace vro::app
