// Helpers of the app tests: answering modal dialogs that the code under test
// opens, with a bounded wait for the dialog to appear.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace vro::apptest {

// Once a modal dialog is shown, calls `act` with it (from the dialog's event
// loop). Polls every 10 ms and gives up after `timeoutMs`; returns a counter
// that tells the test whether the answer happened.
void AnswerNextModal(std::function<void(QWidget*)> act, int timeoutMs = 5000);
int AnsweredCount();

// Clicks the clickable label (or button) with this object name inside `w`.
bool ClickChild(QWidget* w, const QString& objectName);

// Answers the next modal dialog by clicking the named label.
void ClickInNextModal(const QString& objectName, int timeoutMs = 5000);

// A configuration file in a fresh temporary folder (kept for the test run).
QString TempConfigFile();
QString TempDir();

} // namespace vro::apptest

namespace vro::apptest {

// A configuration file that starts quietly: not a first run, last run shut
// down properly, in the given language.
QString QuietConfigFile(const QString& language = QStringLiteral("en"));

// A copy of a reference recording of tests/data under `name` in a fresh folder.
QString SampleRecording(const QString& name = QStringLiteral("sample.vxrf"));
QString TestDataDir();

} // namespace vro::apptest
