// The start-up pieces of the configuration that need windows: its warnings,
// the first-run language dialog, and the first idle moment's protocol.
#pragma once

#include "core/config/applicationconfig.h"

#include <QDialog>

#include <functional>

class QComboBox;

namespace vro::app {

// The first-run language choice: Deutsch, English, Français.
class TLanguageForm : public QDialog {
    Q_OBJECT
public:
    explicit TLanguageForm(const QString& current, QWidget* parent = nullptr);
    QString Code() const;
    QComboBox* Box() const { return box_; }

private:
    QComboBox* box_;
};

// IConfigUi with the program's dialogs. Without `interactive` (the offscreen
// screenshot run) the language question keeps the configured language.
class TQtConfigUi : public vro::IConfigUi {
public:
    explicit TQtConfigUi(bool interactive = true) : interactive_(interactive) {}
    void ShowWarning(const std::string& heading, const std::string& text) override;
    std::optional<std::string> AskLanguage() override;
    void ReloadConnectionSettings() override;

    std::function<void()> onReloadConnection;
    std::string currentLanguage = "en";

private:
    bool interactive_;
};

} // namespace vro::app
