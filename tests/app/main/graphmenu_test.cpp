// The main window's graph and edit menus with the graphic pane: the history
// items copy the pane's labels after every history step, and the edit
// commands switch the active graph tool off before their dialogs open.
#include "app/graph/graph.h"
#include "app/graph/graphicframe.h"
#include "app/graph/graphtools.h"
#include "app/look/buttonlabel.h"
#include "app/main/documents.h"
#include "app/main/mainform.h"
#include "support/app_support.h"
#include "core/recording/recording.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace vro::app;
using namespace vro::apptest;

namespace {

std::unique_ptr<TMainForm> StartWithRecording()
{
    TStartOptions options;
    options.configFile = QuietConfigFile();
    options.file = SampleRecording(QStringLiteral("menu.vxrf"));
    auto form = std::make_unique<TMainForm>(options);
    QSignalSpy started(form.get(), &TMainForm::startupFinished);
    form->resize(1024, 640);
    form->show();
    if (!form->HasFinishedFirstIdle())
        started.wait(5000);
    return form;
}

} // namespace

class GraphMenuTest : public QObject {
    Q_OBJECT
private slots:
    void historyItemsCopyTheLabelsAfterEveryStep()
    {
        auto form = StartWithRecording();
        TGraphicFrame* frame = form->GraphicFrame();
        QVERIFY(frame->isVisible());
        QAction* back = form->MainMenu().back;
        QAction* forward = form->MainMenu().forward;
        QAction* list = form->MainMenu().snapshotList;
        const auto step = [&](bool b, bool f) {
            frame->Graph()->repaint(); // the redraw adds the view to the history
            form->IdleTick();
            QCOMPARE(frame->CommandLabel(QStringLiteral("BackwardsLabel"))->isEnabled(), b);
            QCOMPARE(frame->CommandLabel(QStringLiteral("ForwardLabel"))->isEnabled(), f);
            QCOMPARE(back->isEnabled(), b);
            QCOMPARE(forward->isEnabled(), f);
            QCOMPARE(list->isEnabled(), frame->CommandLabel(QStringLiteral("SnapshotListLabel"))->isEnabled());
        };
        step(false, false);
        frame->View().Zoom(0.5, 0, 0.5, 0);
        frame->View().MarkChanged();
        step(true, false);
        back->trigger();
        step(false, true);
        forward->trigger();
        step(true, false);
    }

    void editCommandsSwitchTheToolOffFirst()
    {
        auto form = StartWithRecording();
        TGraphicFrame* frame = form->GraphicFrame();
        auto& view = frame->View();
        const TMainMenu& m = form->MainMenu();
        for (QAction* item : {m.calcFormula, m.calcFilter, m.timeShift, m.deleteChannel}) {
            view.SetTool(3); // the tracker, with its window
            QCOMPARE(int(view.ActiveTool), 3);
            QVERIFY(dynamic_cast<TTracker*>(frame->Graph()->Tool()));
            int seen = -1;
            bool trackerGone = false;
            // Whatever opens first (the command's dialog or its refusal)
            // finds the tool ended.
            AnswerNextModal([&](QWidget* w) {
                seen = view.ActiveTool;
                trackerGone = !dynamic_cast<TTracker*>(frame->Graph()->Tool());
                w->close();
            });
            const int before = AnsweredCount();
            item->trigger();
            QTRY_VERIFY(AnsweredCount() > before);
            QCOMPARE(seen, 0);
            QVERIFY2(trackerGone, qPrintable(item->objectName()));
        }
        // Extract has no dialog: the tool is off afterwards.
        view.SetTool(3);
        form->MainMenu().extract->trigger();
        QCOMPARE(int(frame->View().ActiveTool), 0);
        // A view change too.
        view.SetTool(1);
        form->MainMenu().viewTable->trigger();
        QCOMPARE(int(frame->View().ActiveTool), 0);
    }
};

QTEST_MAIN(GraphMenuTest)
#include "graphmenu_test.moc"
