// The standard arrangement of the program's windows: a grey window background
// around a light main panel, with optional left, top (title) and bottom
// (button) panels. The panels are QFrames named MainPanel, LeftPanel, TopPanel
// and BottomPanel so that tests and the caption rule can find them.
#pragma once

#include <QFrame>
#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

namespace vro::app {

class TButtonLabel;

// A panel with its own background colour.
QFrame* MakePanel(const QString& objectName, const QColor& color, QWidget* parent);

// Colours the window background and gives a window the program's font.
void StyleWindowBackground(QWidget* window);

// Bold size-10 title label (the heading of a top panel).
QLabel* MakeTitleLabel(const QString& objectName, QWidget* parent);

// A standard dialog skeleton: TopPanel (one title row), MainPanel and BottomPanel,
// stacked in `window` with the standard margins. The bottom panel gets a
// horizontal layout whose labels are right-aligned; AddBottomButton appends one.
struct TDialogFrame {
    QFrame* top = nullptr;
    QLabel* topLabel = nullptr;
    QFrame* main = nullptr;
    QFrame* bottom = nullptr;
    QBoxLayout* bottomLayout = nullptr;
};
TDialogFrame BuildDialogFrame(QWidget* window, const QString& heading);

// Adds a styled clickable label to the bottom panel (right-aligned, left-to-right order).
TButtonLabel* AddBottomButton(TDialogFrame& frame, const QString& objectName, const QString& caption = {});

// Window caption of dialogs: one blank followed by the application title.
QString DialogCaption();

// The first top-level window of class T (for which `test` holds, when given),
// brought to the front and restored when minimised; null when there is none.
template <typename T, typename Test = bool (*)(T*)>
T* BringFormToFront(Test test = nullptr);

} // namespace vro::app

#include <QApplication>

namespace vro::app {

template <typename T, typename Test>
T* BringFormToFront(Test test)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        T* form = qobject_cast<T*>(w);
        if (!form || (test && !test(form)))
            continue;
        if (form->isMinimized())
            form->showNormal();
        form->show();
        form->raise();
        form->activateWindow();
        return form;
    }
    return nullptr;
}

} // namespace vro::app
