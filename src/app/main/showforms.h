// The forms and panes that `vrowin --show NAME` opens by object name over
// the started main window, for screenshots. Each entry opens its form on the
// window's current state (connection, open files) and returns the widget to
// photograph. A unit with a new window adds its entry in RegisterShowForms
// (showforms.cpp); the device window's pages come from the page registry
// (app/devicewin/vropage.h) by their form names.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vro::app {

class TMainForm;

using TShowForm = std::function<QWidget*(TMainForm& main)>;

void RegisterShowForm(const QString& name, TShowForm open);
// Every name, sorted; the entries of this build are registered first.
QStringList ShowFormNames();
// Empty when the name is unknown.
TShowForm FindShowForm(const QString& name);

// Options of the shown forms beside the program's own ("--online K=V,..."):
// the names the command line takes and the values it was given.
QStringList ShowFormOptionNames();
void SetShowFormOption(const QString& name, const QString& value);
QString ShowFormOption(const QString& name);

// The live windows' entries (current values, large display, real-time frame).
void RegisterLiveShowForms();
// The firmware update wizard (--update-file FILE stands in for the file
// dialog, --next N presses Continue N times first).
void RegisterFirmwareShowForms();

} // namespace vro::app
