#include "app/connection/autoconnectform.h"

#include "app/look/apptext.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace vro::app {

TAutoConnectForm::TAutoConnectForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TAutoConnectForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ApplicationTitle());
    StyleWindowBackground(this);
    auto* layout = new QVBoxLayout(this);
    QFrame* main = MakePanel(QStringLiteral("MainPanel"), MainPanelColor(), this);
    layout->addWidget(main);
    auto* inner = new QVBoxLayout(main);
    inner->setContentsMargins(16, 16, 16, 16);
    state_ = new QLabel(main);
    state_->setObjectName(QStringLiteral("StateLabel"));
    state_->setWordWrap(true);
    state_->setAlignment(Qt::AlignCenter);
    state_->setMinimumWidth(280);
    inner->addWidget(state_);
}

void TAutoConnectForm::SetText(const QString& text)
{
    state_->setText(text);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    state_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TQtAutoConnectUi::Show(const std::string& text)
{
    if (!form_)
        form_ = new TAutoConnectForm();
    form_->show();
    form_->SetText(QString::fromStdString(text));
}

void TQtAutoConnectUi::SetState(const std::string& text)
{
    if (form_)
        form_->SetText(QString::fromStdString(text));
}

void TQtAutoConnectUi::Finish()
{
    if (!form_)
        return;
    // The outcome stays readable for a moment without blocking the program.
    QPointer<TAutoConnectForm> f = form_;
    form_ = nullptr;
    QTimer::singleShot(holdMs, f.data(), [f] {
        if (f)
            f->close();
    });
}

} // namespace vro::app
