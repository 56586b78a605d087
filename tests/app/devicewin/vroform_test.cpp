// The device window offscreen against the simulated recorder on a memory
// port pair: the unconnected state (Actions disabled, no labels, the
// connection dialog on the first periodic update only), the connected state
// (five actions mirrored by the labels, a registered page opened and drawn
// bold, unregistered ones disabled), the ping and its failure, the latch
// recovery and SetBusy.
#include "app/connection/connectionforms.h"
#include "app/devicewin/vroform.h"
#include "app/devicewin/vropage.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/config/applicationconfig.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "support/simfarend.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

// Closes the next connection dialog once it shows (bounded: 5 s).
void CloseNextConnectionDialog(int* seen)
{
    auto* timer = new QTimer(qApp);
    auto left = std::make_shared<int>(500);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, left, seen] {
        if (TDvxConnectionForm* form = OpenConnectionDialog(); form && form->isVisible()) {
            timer->stop();
            timer->deleteLater();
            ++*seen;
            form->Ok();
        } else if (--*left <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

class TTestPage : public TVroPageFrame {
public:
    using TVroPageFrame::TVroPageFrame;
    void PeriodicUpdate() override { ++ticks; }
    int ticks = 0;
};

struct TRig : test::TSimFarEnd {
    explicit TRig(bool connect)
    {
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        manager = std::make_unique<TVro8Manager>(*connection);
        if (connect) {
            connection->Open();
            manager->Connect();
        }
    }
    ~TRig()
    {
        delete form.data();
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    TVroForm* Open()
    {
        form = new TVroForm(TVroContext{config, *connection, *manager, latch, nullptr, [this] { ++closed; }});
        form->Initialise();
        form->show();
        return form;
    }
    TApplicationConfig config;
    TDvxErrorHandler latch;
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
    QPointer<TVroForm> form;
    int closed = 0;
};

} // namespace

class VroFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetNonInteractive(false);
        RegisterDevicePages();
        // The current-values slot carries a page of this test.
        RegisterVroPage(TVroAction::CurrentValues, QStringLiteral("TTestPage"),
                        [](TVroForm& f, QWidget* parent) { return new TTestPage(f, parent); });
    }
    void init() { SelectLanguage(QStringLiteral("en")); }

    void withoutRecorderActionsAreDisabledAndTheDialogComesOnce()
    {
        TRig rig(false);
        TVroForm* form = rig.Open();
        QCOMPARE(form->objectName(), QStringLiteral("TVroForm"));
        QCOMPARE(form->ConnectionItem()->text(), Txt(472));
        QVERIFY(!form->ActionsMenu()->isEnabled());
        QVERIFY(form->TitleLabel()->isHidden());
        for (int i = 0; i < kVroActionCount; ++i)
            QVERIFY(form->Label(static_cast<TVroAction>(i))->isHidden());
        int dialogs = 0;
        CloseNextConnectionDialog(&dialogs);
        form->PeriodicUpdate();
        QCOMPARE(dialogs, 1);
        form->PeriodicUpdate();
        QCOMPARE(dialogs, 1);
        QVERIFY(!form->RefreshTimerTick());
    }

    void withRecorderFiveActionsAndPageSwitch()
    {
        TRig rig(true);
        TVroForm* form = rig.Open();
        QVERIFY(form->ActionsMenu()->isEnabled());
        QCOMPARE(form->TitleLabel()->text(), QStringLiteral("  ") + Txt(485));
        for (TVroAction a : {TVroAction::CurrentValues, TVroAction::Recordings, TVroAction::Settings,
                             TVroAction::ManageSettings, TVroAction::StartRecording}) {
            QVERIFY(form->Item(a)->isVisible());
            QVERIFY(!form->Label(a)->isHidden());
            QCOMPARE(form->Label(a)->text(), FrameButtonCaption(form->Item(a)->text()));
            QCOMPARE(form->Label(a)->isEnabled(), form->Item(a)->isEnabled());
        }
        QCOMPARE(form->Item(TVroAction::Recordings)->text(), Txt(475));
        QVERIFY(form->Label(TVroAction::CancelRemoteRecording)->isHidden());
        QVERIFY(form->Item(TVroAction::CurrentValues)->isEnabled());
        QVERIFY2(!form->Item(TVroAction::StartRecording)->isEnabled(), "not registered");

        QTest::mouseClick(form->Label(TVroAction::CurrentValues), Qt::LeftButton);
        auto* page = dynamic_cast<TTestPage*>(form->CurrentPage());
        QVERIFY(page);
        QVERIFY(form->Label(TVroAction::CurrentValues)->font().bold());
        QVERIFY(!form->Label(TVroAction::Recordings)->font().bold());
        form->PeriodicUpdate();
        QCOMPARE(page->ticks, 1);
        QVERIFY(form->RefreshTimerTick());
        QVERIFY(rig.manager->IsConnected());
    }

    void setBusyDisablesAndShowsEndMeasurement()
    {
        TRig rig(true);
        TVroForm* form = rig.Open();
        form->SetBusy(true, true);
        QVERIFY(!form->Label(TVroAction::CurrentValues)->isEnabled());
        QVERIFY(!form->Item(TVroAction::ManageSettings)->isEnabled());
        QVERIFY(!form->Label(TVroAction::CancelRemoteRecording)->isHidden());
        QVERIFY(!form->ExtrasMenu()->menuAction()->isVisible());
        QVERIFY(!form->RefreshTimerTick());
        form->RefreshState();
        QVERIFY(!form->Label(TVroAction::CancelRemoteRecording)->isHidden());
        form->SetBusy(false, false);
        QVERIFY(form->Label(TVroAction::CurrentValues)->isEnabled());
        QVERIFY(form->Label(TVroAction::CancelRemoteRecording)->isHidden());
        QVERIFY(form->ExtrasMenu()->menuAction()->isVisible());
        {
            const TVroPingHold hold = form->HoldPing();
            QVERIFY(!form->RefreshTimerTick());
        }
        QVERIFY(form->RefreshTimerTick());
    }

    void pingFailureHidesTheActions()
    {
        TRig rig(true);
        TVroForm* form = rig.Open();
        int dialogs = 0;
        form->PeriodicUpdate(); // the first update: the port is open, no dialog
        rig.StopRecorder();     // the cable is pulled
        QVERIFY(form->RefreshTimerTick());
        QVERIFY(!rig.manager->IsConnected());
        form->PeriodicUpdate();
        QVERIFY(!form->ActionsMenu()->isEnabled());
        QVERIFY(form->Label(TVroAction::Recordings)->isHidden());
        QCOMPARE(dialogs, 0);
    }

    void latchRecoveryFreesThePageAndOffersTheDialog()
    {
        TRig rig(true);
        TVroForm* form = rig.Open();
        form->PeriodicUpdate();
        form->OpenPage(TVroAction::CurrentValues);
        QVERIFY(form->CurrentPage());
        rig.latch.Set();
        int dialogs = 0;
        CloseNextConnectionDialog(&dialogs);
        form->PeriodicUpdate();
        QCOMPARE(dialogs, 1);
        QVERIFY(!rig.latch.Test());
        QVERIFY(!form->CurrentPage());
        QVERIFY(!rig.manager->IsConnected());
        QVERIFY2(rig.connection->IsOpen(), "reopened");
        form->PeriodicUpdate();
        QVERIFY(!form->ActionsMenu()->isEnabled());
    }

    void closingFreesTheWindowAndReports()
    {
        TRig rig(true);
        TVroForm* form = rig.Open();
        form->close();
        QTRY_VERIFY(rig.form.isNull());
        QCOMPARE(rig.closed, 1);
    }
};

QTEST_MAIN(VroFormTest)
#include "vroform_test.moc"
