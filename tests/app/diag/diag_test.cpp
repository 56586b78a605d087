// The transfer log and manual message windows: the log sink over a real
// connector, frame line details, saving, and the manual message checks.
#include "app/diag/v24logform.h"
#include "app/main/memmonitor.h"
#include "support/app_support.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QTest>

using namespace vro::app;
using namespace vro::apptest;

namespace {

std::unique_ptr<vro::TDvxV24Connector> MemoryConnector(vro::TDvxV24MemoryPortPair& pair)
{
    return std::make_unique<vro::TDvxV24Connector>(pair.TakeA(), [](std::function<void()> fn) {
        QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
    });
}

} // namespace

class DiagTest : public QObject {
    Q_OBJECT
private slots:
    void logWindowIsTheSinkWhileItExists()
    {
        vro::TDvxV24MemoryPortPair pair;
        auto connector = MemoryConnector(pair);
        connector->Open();
        connector->SetByteTimeout(20);
        auto* form = new TDvxV24LogForm(*connector);
        form->show();
        QVERIFY(connector->IsLogging());
        std::vector<std::uint8_t> answer(16);
        QVERIFY_THROWS_EXCEPTION(vro::EDvxV24Error, connector->Transfer('R', 40, answer));
        QTRY_VERIFY(form->MainListBox()->count() >= 2);
        int frameRow = -1;
        for (int i = 0; i < form->MainListBox()->count(); ++i)
            if (form->MainListBox()->item(i)->text().contains(QStringLiteral("Transmit Adr")))
                frameRow = i;
        QVERIFY(frameRow >= 0);
        form->MainListBox()->setCurrentRow(frameRow);
        QVERIFY(form->DetailListbox()->count() >= 3);
        QCOMPARE(form->DetailListbox()->item(1)->text(), QStringLiteral(" Adr Hex Ch 8bit   16bit         32bit"));
        connector->Monitor().Start();
        connector->Monitor().Failure();
        QTRY_VERIFY(form->MonitorLabel()->text().startsWith(QStringLiteral("Count:")));

        const QString file = TempDir() + QStringLiteral("/log.txt");
        QCOMPARE(form->SaveTo(file), QString());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count('\n'), form->MainListBox()->count());
        QVERIFY(!form->SaveTo(TempDir() + QStringLiteral("/missing/folder/log.txt")).isEmpty());

        QVERIFY(ClickChild(form, QStringLiteral("ClearLogButton")));
        QCOMPARE(form->MainListBox()->count(), 0);
        QCOMPARE(form->MonitorLabel()->text(), QString());

        form->OpenMessageForm();
        QPointer<TDvxV24MessageForm> message = form->MessageForm();
        QVERIFY(message && message->isVisible());
        QCOMPARE(message->AddressBox()->count(), 28);
        QString shown;
        AnswerNextModal([&](QWidget* w) {
            shown = w->findChild<QLabel*>(QStringLiteral("MessageLabel"))->text();
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        message->NumberEdit()->setText(QStringLiteral("300"));
        QCOMPARE(message->Transmit(), QStringLiteral("Die Nachrichtennummer ist ungültig."));
        QCOMPARE(shown, QStringLiteral("Die Nachrichtennummer ist ungültig."));
        ClickInNextModal(QStringLiteral("OkLabel"));
        message->NumberEdit()->setText(QStringLiteral("40"));
        message->DataMemo()->setPlainText(QStringLiteral("5:3"));
        QVERIFY(message->Transmit().startsWith(QStringLiteral("Ungültige Datengröße")));
        // A frame without an answer: the connector's time-out is shown.
        ClickInNextModal(QStringLiteral("OkLabel"));
        message->NumberEdit()->setText(QStringLiteral("40"));
        message->AddressBox()->setCurrentText(QStringLiteral("R"));
        message->DataMemo()->setPlainText(QStringLiteral("1\n2:2"));
        QVERIFY(message->Transmit().contains(QStringLiteral("Timeout")));

        form->close(); // frees itself and stops logging
        QTRY_VERIFY(!message);
        QVERIFY(!connector->IsLogging());
    }

    void memoryMonitorReadsTheProcess()
    {
        QVERIFY(ReadProcessMemoryText().contains(QStringLiteral("VmRSS")));
        TMemMonitorForm form;
        QVERIFY(form.findChild<QLabel*>(QStringLiteral("MemoryLabel"))->text().contains(QStringLiteral("Vm")));
    }
};

QTEST_MAIN(DiagTest)
#include "diag_test.moc"
