#include "app/dialogs/messagedialog.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QStyle>

#include <cstdio>

namespace vro::app {

unsigned MessageBoxButtons(unsigned flags)
{
    switch (flags & 15u) {
    case MB_OKCANCEL: return mbOK | mbCancel;
    case MB_ABORTRETRYIGNORE: return mbAbort | mbRetry | mbIgnore;
    case MB_YESNOCANCEL: return mbYes | mbNo | mbCancel;
    case MB_YESNO: return mbYes | mbNo;
    case MB_RETRYCANCEL: return mbRetry | mbCancel;
    default: return mbOK;
    }
}

TMessageIcon MessageBoxIcon(unsigned flags)
{
    switch (flags & 240u) {
    case MB_ICONERROR: return miError;
    case MB_ICONQUESTION: return miQuestion;
    case MB_ICONWARNING: return miWarning;
    case MB_ICONINFORMATION: return miInformation;
    default: return miNone;
    }
}

namespace {

QPixmap IconPixmap(TMessageIcon icon)
{
    QStyle::StandardPixmap sp = QStyle::SP_MessageBoxInformation;
    switch (icon) {
    case miWarning: sp = QStyle::SP_MessageBoxWarning; break;
    case miError: sp = QStyle::SP_MessageBoxCritical; break;
    case miQuestion: sp = QStyle::SP_MessageBoxQuestion; break;
    default: break;
    }
    return QApplication::style()->standardIcon(sp).pixmap(32, 32);
}

} // namespace

TDvxMessageForm::TDvxMessageForm(const QString& heading, const QString& text, TMessageIcon icon,
                                 const QStringList& list, unsigned buttons, int timeoutResult, int timeoutMs,
                                 QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TDvxMessageForm"));
    TDialogFrame f = BuildDialogFrame(this, heading);
    setWindowTitle(ApplicationTitle());
    topPanel_ = f.top;

    auto* mainLayout = new QHBoxLayout(f.main);
    mainLayout->setContentsMargins(8, 8, 8, 8);
    mainLayout->setSpacing(8);
    auto* image = new QLabel(f.main);
    image->setObjectName(QStringLiteral("Image"));
    if (icon != miNone) {
        image->setPixmap(IconPixmap(icon));
        image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        mainLayout->addWidget(image, 0, Qt::AlignTop);
    } else {
        image->hide(); // the text takes the image's place
    }
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(16);
    auto* message = new QLabel(f.main);
    message->setObjectName(QStringLiteral("MessageLabel"));
    message->setTextFormat(Qt::PlainText);
    message->setText(text);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textColumn->addWidget(message);
    if (!list.isEmpty()) {
        auto* listBox = new QListWidget(f.main);
        listBox->setObjectName(QStringLiteral("ListBox1"));
        listBox->addItems(list);
        listBox->setFixedHeight(100);
        textColumn->addWidget(listBox);
    }
    textColumn->addStretch(1);
    mainLayout->addLayout(textColumn, 1);

    if ((buttons & 0x7FFu) == 0)
        buttons |= mbOK; // a dialog always has a way out
    struct B {
        const char* name;
        unsigned bit;
        int result;
    };
    static const B table[] = {
        {"YesLabel", mbYes, mrYes},
        {"NoLabel", mbNo, mrNo},
        {"OkLabel", mbOK, mrOk},
        {"CancelLabel", mbCancel, mrCancel},
        {"AbortLabel", mbAbort, mrAbort},
        {"RetryLabel", mbRetry, mrRetry},
        {"IgnoreLabel", mbIgnore, mrIgnore},
        {"AllLabel", mbAll, mrAll},
        {"NoToAllLabel", mbNoToAll, mrNoToAll},
        {"YesToAllLabel", mbYesToAll, mrYesToAll},
        {"HelpLabel", mbHelp, mrNone},
    };
    for (const B& b : table) {
        if (!(buttons & b.bit))
            continue;
        TButtonLabel* label = AddBottomButton(f, QString::fromLatin1(b.name));
        buttons_.append(label);
        const int result = b.result;
        if (b.bit == mbHelp)
            connect(label, &TButtonLabel::clicked, this, &TDvxMessageForm::helpRequested);
        else
            connect(label, &TButtonLabel::clicked, this, [this, result] { done(result); });
    }
    setMinimumSize(300, 150);
    resize(sizeHint().expandedTo(QSize(300, 150)));

    if (timeoutMs > 0) {
        timer_.setObjectName(QStringLiteral("Timer"));
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this, timeoutResult] { done(timeoutResult); });
        timer_.start(timeoutMs);
    }
}

TButtonLabel* TDvxMessageForm::Button(const QString& objectName) const
{
    for (TButtonLabel* b : buttons_)
        if (b->objectName() == objectName)
            return b;
    return nullptr;
}

bool TDvxMessageForm::IsTopPanelVisible() const { return !topPanel_->isHidden(); }

void TDvxMessageForm::PlaceAt(int x, int y)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize s = size();
    if (x < 0 || y < 0) {
        move(area.left() + (area.width() - s.width()) / 2, area.top() + (area.height() - s.height()) / 2);
        return;
    }
    const int left = std::max(area.left(), std::min(x, area.left() + area.width() - s.width()));
    const int top = std::max(area.top(), std::min(y, area.top() + area.height() - s.height()));
    move(left, top);
}

void TDvxMessageForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (Button(QStringLiteral("OkLabel")))
            done(mrOk);
        event->accept();
        return;
    case Qt::Key_Escape:
        if (Button(QStringLiteral("CancelLabel")))
            done(mrCancel);
        event->accept(); // without Cancel, Escape does nothing
        return;
    default: QDialog::keyPressEvent(event);
    }
}

void TDvxMessageForm::closeEvent(QCloseEvent* event)
{
    // The window's close button answers like Escape; a dialog that offers only
    // OK closes with OK; any other dialog wants one of its buttons.
    if (Button(QStringLiteral("CancelLabel"))) {
        setResult(mrCancel);
        event->accept();
    } else if (buttons_.size() == 1 && Button(QStringLiteral("OkLabel"))) {
        setResult(mrOk);
        event->accept();
    } else {
        event->ignore();
    }
}

namespace {
bool gNonInteractive = false;
}

void SetNonInteractive(bool on) { gNonInteractive = on; }
bool IsNonInteractive() { return gNonInteractive; }

int NonInteractiveAnswer(unsigned buttons)
{
    if ((buttons & 0x3FFu) == 0 || (buttons & mbOK))
        return mrOk;
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    const struct {
        unsigned bit;
        int result;
    } order[] = {
        {mbYes, mrYes}, {mbAbort, mrAbort},     {mbRetry, mrRetry},       {mbIgnore, mrIgnore},
        {mbAll, mrAll}, {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll},
    };
    for (const auto& o : order)
        if (buttons & o.bit)
            return o.result;
    return mrOk;
}

int ShowMessageDialog(const QString& heading, const QString& text, TMessageIcon icon, const QStringList& list,
                      unsigned buttons, int x, int y, int timeoutResult, int timeoutMs)
{
    if (gNonInteractive) {
        std::fprintf(stderr, "vrowin: %s%s%s\n", qPrintable(heading), heading.isEmpty() ? "" : ": ", qPrintable(text));
        return NonInteractiveAnswer(buttons);
    }
    TDvxMessageForm form(heading, text, icon, list, buttons, timeoutResult, timeoutMs, QApplication::activeWindow());
    form.PlaceAt(x, y);
    return form.exec();
}

int MessageBox(const QString& text, const QString& heading, unsigned flags)
{
    return ShowMessageDialog(heading, text, MessageBoxIcon(flags), {}, MessageBoxButtons(flags));
}

void ShowNote(const QString& text) { ShowMessageDialog({}, text, miNone, {}, mbOK); }

void ShowErrorAndAbort(const QString& text)
{
    MessageBox(text, {}, MB_OK | MB_ICONERROR);
    throw ESilentAbort{};
}

} // namespace vro::app
