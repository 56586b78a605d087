// The connection dialogs offscreen: captions from the text tables, the
// connected and unconnected states, connect and disconnect against the
// simulated recorder, the messages of failed opens and identifications, the
// port settings (lists, OK test, cancel, typed paths) and the search with its
// result dialog over pseudo-terminals.
#include "app/connection/autoconnectform.h"
#include "app/connection/connectionforms.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/colors.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"
#include "link/dvxporttable.h"
#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"
#include "support/simfarend.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

// Acts on the next modal dialog once it shows (bounded: 5 s).
void OnNextModal(std::function<void(QWidget*)> act, int* seen = nullptr)
{
    auto* timer = new QTimer(qApp);
    auto left = std::make_shared<int>(500);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, left, act, seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            if (seen)
                ++*seen;
            act(modal);
        } else if (--*left <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

void Click(QWidget* w)
{
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// The message dialog's text, to tell which message opened.
QString MessageText(QWidget* modal)
{
    QStringList texts;
    for (QLabel* l : modal->findChildren<QLabel*>())
        texts << l->text();
    return texts.join(QLatin1Char('\n'));
}

class TListedPorts : public TDvxSystemPortSource {
public:
    std::vector<TPortEntry> entries;
    std::vector<TPortEntry> Scan() override { return entries; }
};

// Connection and device manager over a memory pair with the simulated recorder.
struct TRig : test::TSimFarEnd {
    TRig()
    {
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        manager = std::make_unique<TVro8Manager>(*connection);
    }
    ~TRig()
    {
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
};

} // namespace

class ConnectionFormsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SelectLanguage(QStringLiteral("en")); }

    void connectionDialogConnectsAndDisconnects()
    {
        TRig rig;
        TDvxConnectionForm form(*rig.connection, *rig.manager);
        form.show();
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("x0xTitleLabel"))->text(), Txt(609));
        QCOMPARE(form.ConnectLabel()->text().trimmed(), Txt(613));
        QCOMPARE(form.AutoConnectCheckBox()->text(), Txt(618));
        QVERIFY(form.V24SettingsStateLabel()->text().startsWith(QStringLiteral("COM1: 460800 baud")));
        QCOMPARE(form.SensorStateLabel()->text(), Txt(621));
        QVERIFY(form.ConnectLabel()->isEnabled());
        QVERIFY(form.ChangeLabel()->isEnabled());
        QVERIFY(!form.DisconnectLabel()->isEnabled());
        QVERIFY(!form.AutoConnectCheckBox()->isEnabled());
        QCOMPARE(form.StateShape()->palette().color(QPalette::Window), FromBgr(0x808080));

        Click(form.ConnectLabel());
        QVERIFY(rig.manager->IsConnected());
        QCOMPARE(form.SensorStateLabel()->text(), Txt(622) + QStringLiteral(" VRO8K-M V2.10"));
        QVERIFY(form.SensorStateLabel()->font().bold());
        QCOMPARE(form.StateShape()->palette().color(QPalette::Window), FromBgr(0x008000));
        QVERIFY(!form.ConnectLabel()->isEnabled());
        QVERIFY(!form.ChangeLabel()->isEnabled());
        QVERIFY(form.DisconnectLabel()->isEnabled());
        QVERIFY(form.AutoConnectCheckBox()->isEnabled());

        form.AutoConnectCheckBox()->setChecked(true);
        Click(form.DisconnectLabel());
        QVERIFY(!rig.manager->IsConnected());
        QVERIFY(!rig.connection->IsOpen());
        QCOMPARE(form.SensorStateLabel()->text(), Txt(621));
        QTest::keyClick(&form, Qt::Key_Escape); // Escape is OK: the choice is kept
        QCOMPARE(form.result(), int(mrOk));
        QVERIFY(rig.connection->AutoConnect);
    }

    void silentRecorderGivesTheCommunicationError()
    {
        TRig rig;
        rig.simulator->SetSilent(true);
        rig.connection->Connector().SetByteTimeout(100);
        TDvxConnectionForm form(*rig.connection, *rig.manager);
        form.show();
        QString seenText;
        int seen = 0;
        OnNextModal(
            [&](QWidget* m) {
                seenText = MessageText(m);
                Click(m->findChild<TButtonLabel*>(QStringLiteral("OkLabel")));
            },
            &seen);
        form.Connect();
        QCOMPARE(seen, 1);
        QVERIFY(seenText.contains(Txt(676).left(30)));
        QVERIFY(seenText.contains(Txt(694)));
        QVERIFY(!rig.manager->IsConnected());
        QCOMPARE(form.SensorStateLabel()->text(), Txt(621));
    }

    void portThatCannotOpenGivesTheInterfaceError()
    {
        TDvxConnection connection(nullptr, {}, std::make_unique<TListedPorts>());
        connection.SetPortIndex(97); // COM98: nothing behind it
        TVro8Manager manager(connection);
        TDvxConnectionForm form(connection, manager);
        form.show();
        QString seenText;
        OnNextModal([&](QWidget* m) {
            seenText = MessageText(m);
            Click(m->findChild<TButtonLabel*>(QStringLiteral("OkLabel")));
        });
        form.Connect();
        QVERIFY(seenText.contains(Txt(693)));
        QVERIFY(seenText.contains(QStringLiteral("The interface could not be opened.")));
        QVERIFY(!connection.IsOpen());
    }

    void onlyOneConnectionDialogAtATime()
    {
        TRig rig;
        int inner = -1;
        OnNextModal([&](QWidget* m) {
            QVERIFY(OpenConnectionDialog());
            inner = ShowConnectionDialog(*rig.connection, *rig.manager);
            Click(m->findChild<TButtonLabel*>(QStringLiteral("OkLabel")));
        });
        QCOMPARE(ShowConnectionDialog(*rig.connection, *rig.manager), int(mrOk));
        QCOMPARE(inner, int(mrOk));
        QVERIFY(!OpenConnectionDialog());
    }

    void closingTheDialogsIsOkAndCancel()
    {
        TRig rig;
        OnNextModal([](QWidget* m) { m->close(); });
        QCOMPARE(ShowConnectionDialog(*rig.connection, *rig.manager), int(mrOk));
        OnNextModal([](QWidget* m) { m->close(); });
        QCOMPARE(ShowPortSettings(*rig.connection), int(mrCancel));
        QVERIFY(!rig.connection->IsOpen());
    }

    void portSettingsListsCancelAndFailedTest()
    {
        auto ports = std::make_unique<TListedPorts>();
        TDvxConnection connection(nullptr, {}, std::move(ports));
        connection.SetPortIndex(5);
        connection.SetBaudrate(57600);
        connection.PortScanMode = 2;
        TDvxV24ExtendedSettingsForm form(connection);
        form.show();
        QVERIFY(form.AllPortsRadioButton()->isChecked());
        QCOMPARE(form.VxPortsRadioButton()->text(), Txt(653));
        QCOMPARE(form.SearchLabel()->text().trimmed(), Txt(658));
        QCOMPARE(form.BaudrateComboBox()->count(), 6);
        QCOMPARE(form.BaudrateComboBox()->currentText(), QStringLiteral("57600"));
        QCOMPARE(form.PortNumberComboBox()->count(), 99);
        QVERIFY(form.PortNumberComboBox()->currentText().startsWith(QStringLiteral("COM6:")));
        Click(form.VxPortsRadioButton());
        QCOMPARE(form.PortNumberComboBox()->count(), 0);

        // OK on a port that cannot open: text 659, the dialog stays, nothing changes.
        Click(form.AllPortsRadioButton());
        form.PortNumberComboBox()->setCurrentIndex(96);
        form.BaudrateComboBox()->setCurrentIndex(5);
        QString seenText;
        OnNextModal([&](QWidget* m) {
            seenText = MessageText(m);
            Click(m->findChild<TButtonLabel*>(QStringLiteral("OkLabel")));
        });
        form.Ok();
        QVERIFY(seenText.contains(QStringLiteral("The selected port could not be opened.")));
        QVERIFY(form.isVisible());
        QCOMPARE(connection.PortIndex(), 5);
        QCOMPARE(connection.Baudrate(), 57600);

        Click(form.CancelLabel());
        QCOMPARE(form.result(), int(mrCancel));
        QCOMPARE(connection.PortIndex(), 5);
        QCOMPARE(connection.PortScanMode, 2); // cancel keeps the mode
    }

    void portSettingsAcceptTypedPseudoTerminal()
    {
        std::string why;
        if (!sim::TSimPty::Available(why))
            QSKIP(why.c_str());
        sim::TSimPty pty;
        TDvxConnection connection(nullptr, {}, std::make_unique<TListedPorts>());
        TDvxV24ExtendedSettingsForm form(connection);
        form.show();
        form.PortNumberComboBox()->setEditText(QString::fromStdString(pty.SlavePath()));
        form.BaudrateComboBox()->setCurrentIndex(5);
        Click(form.OkLabel());
        QCOMPARE(form.result(), int(mrOk));
        QCOMPARE(connection.PortPath(), pty.SlavePath());
        QCOMPARE(connection.Baudrate(), 460800);
        QVERIFY(!connection.IsOpen());
        TDvxPortTable::Global().Assign(connection.PortIndex(), "");
    }

    void searchFindsTheRecorderAndApplies()
    {
        std::string why;
        if (!sim::TSimPty::Available(why))
            QSKIP(why.c_str());
        sim::TSimPty silent;
        sim::TSimPty live;
        auto recorder = std::make_shared<sim::TSimRecorder>();
        sim::TSimulator simulator(live.Master());
        auto service = std::make_unique<sim::TSimRecorderService>(simulator, live.Master(), recorder);
        simulator.Start();
        TDvxPortTable::Global().Assign(93, silent.SlavePath());
        TDvxPortTable::Global().Assign(94, live.SlavePath());
        auto ports = std::make_unique<TListedPorts>();
        ports->entries = {{93, silent.SlavePath(), EPortKind::Explicit, ""},
                          {94, live.SlavePath(), EPortKind::Explicit, ""}};
        TDvxConnection connection(nullptr, {}, std::move(ports));
        connection.SetSearchByteTimeout(100);
        connection.SetPortIndex(2);
        connection.SetBaudrate(9600);
        connection.PortScanMode = 1;

        TDvxV24ExtendedSettingsForm form(connection);
        form.show();
        QStringList lines;
        form.runResultDialog = [&](TDvxSensorSearchResultForm& r) {
            for (int i = 0; i < r.ResultListBox()->count(); ++i)
                lines << r.ResultListBox()->item(i)->text();
            r.show();
            Click(r.ApplyLabel());
            return r.result();
        };
        form.Search();
        QCOMPARE(lines, QStringList{QStringLiteral("VRO8K-M V2.10 at COM95 with 460800 baud")});
        QCOMPARE(form.result(), int(mrOk));
        QCOMPARE(connection.PortIndex(), 94);
        QCOMPARE(connection.Baudrate(), 460800);
        QCOMPARE(connection.PortScanMode, 0);
        QVERIFY(!connection.IsOpen());

        // Cancelling the result dialog restores the choice and keeps the dialog open.
        TDvxV24ExtendedSettingsForm again(connection);
        again.show();
        connection.SetPortIndex(93);
        again.runResultDialog = [&](TDvxSensorSearchResultForm& r) {
            r.show();
            Click(r.CancelLabel());
            return r.result();
        };
        again.Search();
        QVERIFY(again.isVisible());
        QCOMPARE(connection.PortIndex(), 93);
        QCOMPARE(again.ProgressBar()->value(), 0);
        QVERIFY(again.ProgressLabel()->text().isEmpty());

        // Nobody there: text 665.
        simulator.SetSilent(true);
        QString seenText;
        OnNextModal([&](QWidget* m) {
            seenText = MessageText(m);
            Click(m->findChild<TButtonLabel*>(QStringLiteral("OkLabel")));
        });
        again.Search();
        QVERIFY(seenText.contains(Txt(665)));
        simulator.Stop();
        service.reset();
        TDvxPortTable::Global().Assign(93, "");
        TDvxPortTable::Global().Assign(94, "");
    }

    void autoConnectWindowShowsTheOutcomeAndGoes()
    {
        TRig rig;
        TQtAutoConnectUi ui;
        ui.holdMs = 50;
        rig.manager->SetAutoConnectUi(&ui);
        rig.connection->AutoConnect = true;
        QVERIFY(rig.manager->EnsureConnected());
        QPointer<QWidget> shown = QApplication::topLevelWidgets().isEmpty() ? nullptr : nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TAutoConnectForm*>(w))
                shown = f;
        QVERIFY(shown);
        QCOMPARE(static_cast<TAutoConnectForm*>(shown.data())->StateLabel()->text(), Txt(700));
        QTRY_VERIFY_WITH_TIMEOUT(!shown, 5000);
    }
};

QTEST_MAIN(ConnectionFormsTest)
#include "connectionforms_test.moc"
