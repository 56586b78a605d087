#include "app/dialogs/progressform.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"
#include "core/util/numeric.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace vro::app {

int ProgressBarPosition(long long i, long long n)
{
    if (n <= 0)
        return 0;
    const double v = RoundHalfEven((static_cast<double>(i) * 1000.0 + 1000.0) / static_cast<double>(n));
    return static_cast<int>(std::clamp(v, 0.0, 1000.0));
}

TDvxProgressForm::TDvxProgressForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TDvxProgressForm"));
    setModal(false);
    TDialogFrame f = BuildDialogFrame(this, QString());
    f.top->show();
    title_ = f.topLabel;
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    auto makeBar = [&](const QString& name) {
        auto* bar = new QProgressBar(f.main);
        bar->setObjectName(name);
        bar->setRange(0, 1000);
        bar->setTextVisible(false);
        bar->setValue(0);
        layout->addWidget(bar);
        return bar;
    };
    auto makeLine = [&](const QString& name) {
        auto* line = new QLabel(f.main);
        line->setObjectName(name);
        line->setTextFormat(Qt::PlainText);
        layout->addWidget(line);
        return line;
    };
    totalBar_ = makeBar(QStringLiteral("TotalProgressBar"));
    totalLine_ = makeLine(QStringLiteral("TotalStateLabel"));
    currentBar_ = makeBar(QStringLiteral("CurrentProgressBar"));
    currentLine_ = makeLine(QStringLiteral("CurrentStateLabel"));
    escHint_ = makeLine(QStringLiteral("EscHintLabel"));
    escHint_->hide();
    layout->addStretch(1);
    abortLabel_ = AddBottomButton(f, QStringLiteral("AbortLabel"));
    connect(abortLabel_, &TButtonLabel::clicked, this, &TDvxProgressForm::SetAborting);
    setMinimumWidth(360);
}

void TDvxProgressForm::Begin(const QString& title, bool withCurrentBar, bool withAbort)
{
    title_->setText(title);
    currentBar_->setVisible(withCurrentBar);
    currentLine_->setVisible(withCurrentBar);
    totalBar_->setValue(0);
    currentBar_->setValue(0);
    totalLine_->clear();
    currentLine_->clear();
    escHint_->hide();
    abortLabel_->setVisible(withAbort);
    aborted_ = false;
    running_ = true;
    show();
    raise();
}

void TDvxProgressForm::SetTotal(long long i, long long n, const QString& text)
{
    totalBar_->setValue(ProgressBarPosition(i, n));
    if (!aborted_)
        totalLine_->setText(text);
}

void TDvxProgressForm::SetCurrent(long long i, long long n, const QString& text)
{
    currentBar_->setValue(ProgressBarPosition(i, n));
    currentLine_->setText(text);
}

void TDvxProgressForm::ShowEscHint()
{
    escHint_->setText(LibraryEscHintText());
    escHint_->show();
}

void TDvxProgressForm::SetAborting()
{
    if (aborted_)
        return;
    aborted_ = true;
    abortLabel_->hide();
    totalLine_->setText(LibraryAbortedText());
    running_ = false;
    if (onAbort_)
        onAbort_();
}

void TDvxProgressForm::Finish()
{
    running_ = false;
    hide();
}

int TDvxProgressForm::TotalPosition() const { return totalBar_->value(); }
int TDvxProgressForm::CurrentPosition() const { return currentBar_->value(); }
QString TDvxProgressForm::TotalText() const { return totalLine_->text(); }

void TDvxProgressForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (running_ && !abortLabel_->isHidden())
            SetAborting();
        event->accept(); // never closes the window by itself
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDvxProgressForm::closeEvent(QCloseEvent* event)
{
    if (running_) {
        event->ignore();
        SetAborting();
        return;
    }
    event->accept();
}

} // namespace vro::app
