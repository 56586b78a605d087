#include "app/look/buttonlabel.h"

#include "app/look/apptext.h"
#include "app/look/colors.h"
#include "core/text/texts.h"

#include <QEnterEvent>
#include <QMouseEvent>

namespace vro::app {

namespace {
bool gLabelHeld = false;
}

bool IsButtonLabelHeld() { return gLabelHeld; }

QString FrameButtonCaption(const QString& caption)
{
    return QString::fromStdString(vro::StyleButtonLabelCaption("", caption.toStdString()));
}

TButtonLabel::TButtonLabel(const QString& objectName, QWidget* parent) : QLabel(parent)
{
    setObjectName(objectName);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setMinimumHeight(kLineHeight);
}

QColor TButtonLabel::ParentColor() const
{
    const QWidget* p = parentWidget();
    return p ? p->palette().color(p->backgroundRole()) : palette().color(QPalette::Window);
}

void TButtonLabel::SetBackground(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

void TButtonLabel::enterEvent(QEnterEvent* event)
{
    if (styled_ && isEnabled())
        SetBackground(ButtonLabelHoverColor());
    QLabel::enterEvent(event);
}

void TButtonLabel::leaveEvent(QEvent* event)
{
    if (styled_)
        SetBackground(ParentColor());
    QLabel::leaveEvent(event);
}

void TButtonLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        pressed_ = true;
        if (styled_) {
            SetBackground(ButtonLabelPressedColor());
            gLabelHeld = true;
        }
    }
    QLabel::mousePressEvent(event);
}

void TButtonLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (styled_) {
        gLabelHeld = false;
        SetBackground(rect().contains(event->position().toPoint()) && isEnabled() ? ButtonLabelHoverColor()
                                                                                  : ParentColor());
    }
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && wasPressed && isEnabled() && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TButtonLabel::changeEvent(QEvent* event)
{
    // A label disabled while held must not leave the held flag behind.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && pressed_) {
        pressed_ = false;
        if (styled_) {
            gLabelHeld = false;
            SetBackground(ParentColor());
        }
    }
    QLabel::changeEvent(event);
}

void StyleButtonLabel(TButtonLabel* label)
{
    label->styled_ = true;
    label->setAutoFillBackground(true);
    label->SetBackground(label->ParentColor());
    QPalette pal = label->palette();
    // Every colour group: the disabled one greyed, so a label that cannot be
    // clicked does not look clickable.
    pal.setColor(QPalette::WindowText, ButtonLabelTextColor());
    pal.setColor(QPalette::Disabled, QPalette::WindowText, ButtonLabelDisabledTextColor());
    label->setPalette(pal);
    label->setCursor(Qt::PointingHandCursor);
    label->setText(QString::fromStdString(
        vro::StyleButtonLabelCaption(label->objectName().toStdString(), label->text().toStdString())));
}

void UnstyleLabel(TButtonLabel* label)
{
    label->styled_ = false;
    if (label->pressed_)
        gLabelHeld = false;
    label->pressed_ = false;
    label->SetBackground(label->ParentColor());
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(pal);
    QFont f = label->font();
    f.setBold(false);
    f.setItalic(false);
    label->setFont(f);
    label->unsetCursor();
}

} // namespace vro::app
