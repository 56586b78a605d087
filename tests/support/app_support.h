// Helpers of the app tests: answering modal dialogs that the code under test
// opens, with a bounded wait for the dialog to appear.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace vro::apptest {

// Once a modal dialog is shown, calls `act` with it (from the dialog's event
// loop), then waits for that dialog to close. When no dialog appears within
// `timeoutMs`, or the answered one is still open `timeoutMs` after `act`, the
// current test fails (QTest::qFail) and every modal dialog still open is
// closed, so that a test that waits in a dialog ends instead of hanging.
// A helper left from an earlier test never acts in a later one.
void AnswerNextModal(std::function<void(QWidget*)> act, int timeoutMs = 5000);
// How many dialogs the helpers have answered.
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
