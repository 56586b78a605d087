// The single-instance hand-off: the frame format and its checks, a hostile
// client on the local socket, and two real processes (this test as the first
// instance, the real vrowin as the second).
#include "app/main/mainform.h"
#include "app/main/documents.h"
#include "app/main/singleinstance.h"
#include "support/app_support.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

using namespace vro::app;
using namespace vro::apptest;

namespace {

QString UniqueServerName()
{
    return QStringLiteral("vrowin-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QByteArray Frame(quint32 declared, const QByteArray& payload)
{
    QByteArray f(4, '\0');
    for (int i = 0; i < 4; ++i)
        f[i] = static_cast<char>((declared >> (8 * i)) & 0xFF);
    return f + payload;
}

} // namespace

class HandOffTest : public QObject {
    Q_OBJECT
private slots:
    void frameRoundTripAndChecks()
    {
        const QString path = QStringLiteral("/tmp/Prüfung/a b.vxrf");
        const THandOffParse ok = DecodeHandOff(EncodeHandOff(path));
        QCOMPARE(ok.state, THandOffParse::Complete);
        QCOMPARE(ok.path, path);
        QCOMPARE(DecodeHandOff(EncodeHandOff(QString())).state, THandOffParse::Complete);
        // A path longer than the old 255-character limit passes whole.
        const QString longPath = QStringLiteral("/") + QString(600, QLatin1Char('x')) + QStringLiteral(".vxrf");
        QCOMPARE(DecodeHandOff(EncodeHandOff(longPath)).path, longPath);

        QCOMPARE(DecodeHandOff(QByteArray("\x05\x00", 2)).state, THandOffParse::Incomplete);
        QCOMPARE(DecodeHandOff(Frame(10, "abc")).state, THandOffParse::Incomplete);
        QCOMPARE(DecodeHandOff(Frame(kMaxHandOffPayload + 1, "abc")).state, THandOffParse::Invalid);
        QCOMPARE(DecodeHandOff(Frame(0xFFFFFFFFu, "")).state, THandOffParse::Invalid);
        QCOMPARE(DecodeHandOff(Frame(2, "abc")).state, THandOffParse::Invalid); // bytes after the frame
        QCOMPARE(DecodeHandOff(Frame(3, QByteArray("a\0b", 3))).state, THandOffParse::Invalid);
        QCOMPARE(DecodeHandOff(Frame(2, "\xC3\x28")).state, THandOffParse::Invalid); // malformed UTF-8
    }

    void relativeArgumentsBecomeAbsolute()
    {
        const QString abs = AbsoluteHandOffPath(QStringLiteral("sub/../rec.vxrf"));
        QVERIFY(QFileInfo(abs).isAbsolute());
        QCOMPARE(abs, QDir::current().absoluteFilePath(QStringLiteral("rec.vxrf")));
        QCOMPARE(AbsoluteHandOffPath(QString()), QString());
    }

    void hostileClientsAreIgnored()
    {
        TSingleInstanceServer server;
        const QString name = UniqueServerName();
        QVERIFY(server.Listen(name));
        QSignalSpy spy(&server, &TSingleInstanceServer::activationRequested);

        // A length larger than the data, then the client goes away.
        {
            QLocalSocket s;
            s.connectToServer(name);
            QVERIFY(s.waitForConnected(2000));
            s.write(Frame(200, "/etc/passwd.vxrf"));
            QVERIFY(s.waitForBytesWritten(2000));
            s.disconnectFromServer();
        }
        // An oversized declared length is dropped at once.
        {
            QLocalSocket s;
            s.connectToServer(name);
            QVERIFY(s.waitForConnected(2000));
            s.write(Frame(0x7FFFFFFF, QByteArray(64, 'x')));
            QVERIFY(s.waitForBytesWritten(2000));
            // The server (on this thread) closes it without waiting for more.
            QTRY_COMPARE_WITH_TIMEOUT(s.state(), QLocalSocket::UnconnectedState, 2000);
        }
        // A proper frame after them still works.
        QLocalSocket good;
        good.connectToServer(name);
        QVERIFY(good.waitForConnected(2000));
        good.write(EncodeHandOff(QStringLiteral("/data/ok.vxrf")));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 2000);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("/data/ok.vxrf"));

        // A second server under the same name does not take over.
        TSingleInstanceServer other;
        QVERIFY(!other.Listen(name));
    }

    void staleSocketOfACrashedInstanceIsReplaced()
    {
        const QString name = UniqueServerName();
        auto* first = new TSingleInstanceServer;
        QVERIFY(first->Listen(name));
        const QString path = first->ServerName();
        delete first; // a clean end removes the socket; recreate a stale file by hand
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        TSingleInstanceServer second;
        QVERIFY(second.Listen(name));
    }

    void secondProcessHandsItsFileToTheFirst()
    {
        const QString name = UniqueServerName();
        TSingleInstanceServer server;
        QVERIFY(server.Listen(name));
        TStartOptions o;
        o.configFile = QuietConfigFile();
        TMainForm form(o);
        QSignalSpy started(&form, &TMainForm::startupFinished);
        connect(&server, &TSingleInstanceServer::activationRequested, &form, &TMainForm::HandOff);
        form.show();
        QVERIFY(started.count() > 0 || started.wait(5000));
        form.showMinimized();

        const QString file = SampleRecording(QStringLiteral("handed.vxrf"));
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VROWIN_INSTANCE"), name);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        // Started in the file's folder with a relative name: the first
        // instance must still find it.
        second.setWorkingDirectory(QFileInfo(file).absolutePath());
        second.start(QStringLiteral(VROWIN_PATH), {QStringLiteral("handed.vxrf")});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(form.Documents().Count(), 1, 5000);
        QCOMPARE(QFileInfo(QString::fromStdString(form.Documents().Active()->FileName)).canonicalFilePath(),
                 QFileInfo(file).canonicalFilePath());
        QVERIFY(!form.isMinimized());

        // Without a parameter the first instance only comes to the front.
        form.showMinimized();
        QProcess third;
        third.setProcessEnvironment(env);
        third.start(QStringLiteral(VROWIN_PATH), {});
        QVERIFY(third.waitForFinished(20000));
        QCOMPARE(third.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!form.isMinimized(), 5000);
        QCOMPARE(form.Documents().Count(), 1);
    }
};

QTEST_MAIN(HandOffTest)
#include "handoff_test.moc"
