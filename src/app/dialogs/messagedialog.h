// The program's message dialog, used in place of the platform's message box:
// a heading in the top panel, an icon, the message, an optional list and a set
// of clickable button labels chosen by a bit mask, with an optional time-out.
// MessageBox() maps the classic message-box flags onto it, so callers keep
// writing MessageBox(text, heading, MB_YESNO | MB_ICONWARNING).
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>

class QLabel;
class QListWidget;
class QFrame;

namespace vro::app {

class TButtonLabel;

// Button bits of the mask.
enum : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
    mbAll = 128,
    mbNoToAll = 256,
    mbYesToAll = 512,
    mbHelp = 1024,
};

// Modal results (the same numbers as the platform's message-box answers).
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// Icon kinds of the dialog.
enum TMessageIcon : int { miWarning = 0, miError = 1, miInformation = 2, miQuestion = 3, miNone = 4 };

// Message-box flags.
enum : unsigned {
    MB_OK = 0,
    MB_OKCANCEL = 1,
    MB_ABORTRETRYIGNORE = 2,
    MB_YESNOCANCEL = 3,
    MB_YESNO = 4,
    MB_RETRYCANCEL = 5,
    MB_ICONERROR = 16,
    MB_ICONQUESTION = 32,
    MB_ICONWARNING = 48,
    MB_ICONINFORMATION = 64,
};

// The button mask and icon kind that MessageBox uses for the given flags.
unsigned MessageBoxButtons(unsigned flags);
TMessageIcon MessageBoxIcon(unsigned flags);

class TDvxMessageForm : public QDialog {
    Q_OBJECT
public:
    TDvxMessageForm(const QString& heading, const QString& text, TMessageIcon icon, const QStringList& list,
                    unsigned buttons, int timeoutResult = mrNone, int timeoutMs = 0, QWidget* parent = nullptr);

    // Places the dialog at (x, y) kept inside the screen's available area;
    // negative x or y centres it on the screen.
    void PlaceAt(int x, int y);

    TButtonLabel* Button(const QString& objectName) const;
    bool IsTopPanelVisible() const;

signals:
    void helpRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AddButton(const char* name, unsigned bit, int result, unsigned mask);

    QFrame* topPanel_ = nullptr;
    QList<TButtonLabel*> buttons_;
    QTimer timer_;
};

// Runs without a person in front of the screen (the offscreen screenshot):
// message dialogs are written to standard error instead of being shown and
// answer with OK, else Cancel, else No, else their first button.
void SetNonInteractive(bool on);
bool IsNonInteractive();
int NonInteractiveAnswer(unsigned buttons);

// Shows the dialog modally and returns its result.
int ShowMessageDialog(const QString& heading, const QString& text, TMessageIcon icon, const QStringList& list,
                      unsigned buttons, int x = -1, int y = -1, int timeoutResult = mrNone, int timeoutMs = 0);

// The platform message-box style: buttons and icon from `flags`, centred.
int MessageBox(const QString& text, const QString& heading, unsigned flags);

// Text only, no icon, OK.
void ShowNote(const QString& text);

// Thrown by ShowErrorAndAbort: the current command ends silently. The code that
// runs menu commands catches it and does nothing more.
class ESilentAbort {};

// MessageBox with an error icon, then ends the current command silently.
[[noreturn]] void ShowErrorAndAbort(const QString& text);

} // namespace vro::app
