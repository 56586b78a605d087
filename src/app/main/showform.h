// The forms and panes that `vrowin --show NAME --screenshot OUT.png` opens
// offscreen. Each window family registers its names here; the opener builds
// the form on the main window's state (files opened, port connected) and
// calls `ready` with the widget to photograph once it has painted what it
// is meant to show (for device pages: after their first update).
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace vro::app {

class TMainForm;

struct TShowContext {
    TMainForm& main;
    QString port;
    // Option values given after --show, by option name ("--online").
    QMap<QString, QString> values;
    // Called once with the widget to grab, or with null and an error text.
    std::function<void(QWidget* widget, const QString& error)> ready;
};

struct TShowForm {
    QString name;
    QString help; // one line for --help
    std::function<void(TShowContext& context)> open;
};

void RegisterShowForm(TShowForm form);
// Every registered name (the families register on the first call).
const std::vector<TShowForm>& ShowForms();
const TShowForm* FindShowForm(const QString& name);
// Option names the show forms take a value for (beside the program's own).
QStringList ShowFormOptions();

// The families' registration functions, called by ShowForms.
void RegisterLiveShowForms();

} // namespace vro::app
