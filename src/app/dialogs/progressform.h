// The progress window: a title, a total bar and an optional current bar, each
// with a state line, and an optional abort label. It is shown without being
// modal so that its creator keeps working and updates it. Abort (the label,
// Escape while the label shows, or closing the window while it runs) switches
// it once into its aborting state: the label hides, the total line reads the
// library's "is aborted...", the running flag clears and the abort handler runs.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

namespace vro::app {

class TButtonLabel;

// Bar position on a scale of 0..1000 for step i (counted from 0) of n:
// round((i*1000 + 1000) / n), 0 for n <= 0 and never outside 0..1000.
int ProgressBarPosition(long long i, long long n);

class TDvxProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TDvxProgressForm(QWidget* parent = nullptr);

    void Begin(const QString& title, bool withCurrentBar, bool withAbort);
    void SetTotal(long long i, long long n, const QString& text);
    void SetCurrent(long long i, long long n, const QString& text);
    void ShowEscHint();
    void SetAborting();
    // Ends the run and hides the window.
    void Finish();

    void SetAbortHandler(std::function<void()> handler) { onAbort_ = std::move(handler); }
    bool IsRunning() const { return running_; }
    bool IsAborted() const { return aborted_; }

    int TotalPosition() const;
    int CurrentPosition() const;
    QString TotalText() const;
    TButtonLabel* AbortLabel() const { return abortLabel_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* title_ = nullptr;
    QProgressBar* totalBar_ = nullptr;
    QLabel* totalLine_ = nullptr;
    QProgressBar* currentBar_ = nullptr;
    QLabel* currentLine_ = nullptr;
    QLabel* escHint_ = nullptr;
    TButtonLabel* abortLabel_ = nullptr;
    std::function<void()> onAbort_;
    bool running_ = false;
    bool aborted_ = false;
};

} // namespace vro::app
