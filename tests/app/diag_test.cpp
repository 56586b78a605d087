// The transfer log and manual message windows: data byte decoding, frame line
// details, the log sink over a real connector, saving, and the manual
// message checks.
#include "app/diag/v24decode.h"
#include "app/diag/v24logform.h"
#include "app/main/memmonitor.h"
#include "app_support.h"
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
    void dataBytesDecodeInGroupsOfFour()
    {
        const auto lines = DecodeDataBytes({0x41, 0x01, 0xFF, 0xFF}, '=');
        QCOMPARE(lines.size(), size_t(6));
        QCOMPARE(QString::fromStdString(lines[0]), QStringLiteral("  0:  41  A   65"));
        QCOMPARE(QString::fromStdString(lines[1]), QStringLiteral("  1:   1       1     321"));
        QCOMPARE(QString::fromStdString(lines[2]), QStringLiteral(" -----------------------"));
        QCOMPARE(QString::fromStdString(lines[4]), QStringLiteral("  3:  FF  \u00FF  255      -1        -65215"));
        QCOMPARE(lines[5], std::string(38, '='));
        QCOMPARE(DecodeDataBytes({0x01, 0x02, 0x03, 0x04}, '-')[5], std::string(38, '-'));
        QCOMPARE(QString::fromStdString(DecodeHeaderLine()), QStringLiteral(" Adr Hex Ch 8bit   16bit         32bit"));
    }

    void frameLinesGiveTheirDataBytes()
    {
        const std::string line = "   0.125s: Transmit Adr \"R\" Nr 040 :  02 05 52 28 07 7B 03";
        QVERIFY(IsFrameLine(line));
        const auto d = DecodeFrameLine(line);
        QCOMPARE(d.size(), size_t(4));
        QCOMPARE(d[0], line.substr(0, 36));
        QCOMPARE(d[2], std::string(38, '='));
        QVERIFY(QString::fromStdString(d[3]).startsWith(QStringLiteral("  0:   7")));
        const auto empty = DecodeFrameLine("   0.125s: Receive  Adr \"r\" Nr 040 :  02 02 72 28 63 03");
        QCOMPARE(empty.back(), std::string("no data"));
        // A broken hex group stops the decoding quietly.
        const auto broken = DecodeFrameLine("   0.125s: Receive  Adr \"r\" Nr 040 :  02 05 72 28 07 Z");
        QCOMPARE(broken.size(), size_t(4));
        QVERIFY(DecodeFrameLine("   0.000s: Open Port Com1: 9600").empty());
        QVERIFY(DecodeFrameLine("").empty());
    }

    void manualDataLinesAndNumber()
    {
        auto ok = ParseManualData({"1", " 0x1234:2 ", "", "-1:4"});
        QVERIFY(ok.error.empty());
        QCOMPARE(ok.bytes, (std::vector<std::uint8_t>{1, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF}));
        QCOMPARE(QString::fromStdString(ParseManualData({"5:3"}).error),
                 QStringLiteral("Ungültige Datengröße in 5:3, nur 1,2 und 4 erlaubt."));
        QCOMPARE(QString::fromStdString(ParseManualData({"zz"}).error), QStringLiteral("Ungültige Datenangabe in zz."));
        std::vector<std::string> many(251, "7");
        QCOMPARE(ParseManualData(many).error, std::string("Zuviele Daten angegeben, max 255."));
        many.pop_back();
        QCOMPARE(ParseManualData(many).bytes.size(), size_t(250));
        QCOMPARE(ParseManualNumber("255").value(), std::uint8_t(255));
        QVERIFY(!ParseManualNumber("256"));
        QVERIFY(!ParseManualNumber("x"));
        QVERIFY(!ParseManualNumber("-1"));
    }

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
            if (IsFrameLine(form->MainListBox()->item(i)->text().toStdString()))
                frameRow = i;
        QVERIFY(frameRow >= 0);
        form->MainListBox()->setCurrentRow(frameRow);
        QVERIFY(form->DetailListbox()->count() >= 3);
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
