#include "app/look/windowlayout.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/colors.h"

#include <QBoxLayout>
#include <QLabel>

namespace vro::app {

QFrame* MakePanel(const QString& objectName, const QColor& color, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(objectName);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);
    return panel;
}

void StyleWindowBackground(QWidget* window)
{
    window->setAutoFillBackground(true);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, WindowBackgroundColor());
    window->setPalette(pal);
}

QLabel* MakeTitleLabel(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    label->setFont(f);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString DialogCaption() { return QStringLiteral(" ") + ApplicationTitle(); }

TDialogFrame BuildDialogFrame(QWidget* window, const QString& heading)
{
    TDialogFrame f;
    StyleWindowBackground(window);
    window->setWindowTitle(DialogCaption());
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);

    f.top = MakePanel(QStringLiteral("TopPanel"), TopPanelColor(), window);
    auto* topLayout = new QVBoxLayout(f.top);
    topLayout->setContentsMargins(8, 4, 8, 4);
    f.topLabel = MakeTitleLabel(QStringLiteral("TopLabel"), f.top);
    f.topLabel->setText(heading);
    topLayout->addWidget(f.topLabel);
    f.top->setMinimumHeight(kLineHeight + 8);
    f.top->setVisible(!heading.isEmpty());
    outer->addWidget(f.top);

    f.main = MakePanel(QStringLiteral("MainPanel"), MainPanelColor(), window);
    outer->addWidget(f.main, 1);

    f.bottom = MakePanel(QStringLiteral("BottomPanel"), BottomPanelColor(), window);
    f.bottom->setMinimumHeight(kLineHeight + 8);
    f.bottomLayout = new QHBoxLayout(f.bottom);
    f.bottomLayout->setContentsMargins(4, 4, 4, 4);
    f.bottomLayout->setSpacing(kSpacing);
    f.bottomLayout->addStretch(1);
    outer->addWidget(f.bottom);
    return f;
}

TButtonLabel* AddBottomButton(TDialogFrame& frame, const QString& objectName, const QString& caption)
{
    auto* label = new TButtonLabel(objectName, frame.bottom);
    label->setText(caption);
    StyleButtonLabel(label);
    frame.bottomLayout->addWidget(label);
    return label;
}

} // namespace vro::app
