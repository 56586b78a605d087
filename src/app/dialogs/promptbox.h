// One-line input dialog: an optional heading, a label above the edit field,
// OK and Cancel. Enter is OK, Escape is Cancel. With `password` the field shows
// one "*" per character.
#pragma once

#include <QDialog>

class QLineEdit;
class QLabel;

namespace vro::app {

class TDvxPromptBox : public QDialog {
    Q_OBJECT
public:
    TDvxPromptBox(const QString& caption, const QString& heading, const QString& label, bool password,
                  const QString& value, QWidget* parent = nullptr);

    QString Value() const;
    QLineEdit* Edit() const { return edit_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* edit_ = nullptr;
};

// Shows the prompt modally. OK: true and the edited text in `value`; Cancel:
// false and `value` unchanged.
bool Prompt(const QString& caption, const QString& heading, const QString& label, bool password, QString& value);

} // namespace vro::app
