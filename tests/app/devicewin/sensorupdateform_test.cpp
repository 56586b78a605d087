// The firmware update wizard's window offscreen: captions in three
// languages, the marker colours, the bar moving during a transfer to the
// simulated recorder over a pseudo-terminal, and that closing and Escape
// during a step cancel it instead of closing the window.
#include "app/devicewin/sensorupdateform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/firmware/vro8hexconverter.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

// The simulated recorder on a pseudo-terminal, the connection over the
// serial port with the main window's kind of dispatcher (queued calls).
struct TPtyRig {
    explicit TPtyRig(sim::TSimProfile profile = {})
    {
        pty = std::make_unique<sim::TSimPty>();
        recorder = std::make_shared<sim::TSimRecorder>(profile);
        simulator = std::make_unique<sim::TSimulator>(pty->Master());
        service = std::make_unique<sim::TSimRecorderService>(*simulator, pty->Master(), recorder);
        simulator->Start();
        connection = std::make_unique<TDvxConnection>(nullptr, [](std::function<void()> fn) {
            QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
        });
        connection->SetPortPath(pty->SlavePath());
        connection->SetBaudrate(460800);
        connection->Open();
        manager = std::make_unique<TVro8Manager>(*connection);
        manager->Connect();
    }
    ~TPtyRig()
    {
        manager.reset();
        connection.reset();
        simulator->Stop();
        service.reset();
        simulator.reset();
        pty.reset();
    }
    std::unique_ptr<sim::TSimPty> pty;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
};

QString SampleFile(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("f.vxupd"));
    WriteFileAtomically(path.toStdString(),
                        MakeUpdateFileText("02", ImageToHex(0, MakeSampleImage(0, "VRO8K-S 1.08", 1)),
                                           ImageToHex(1, MakeSampleImage(1, "VRO8K-M 2.11", 2))));
    return path;
}

template <typename T>
T* Child(QWidget& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class TSensorUpdateFormTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        std::string why;
        if (!sim::TSimPty::Available(why))
            QSKIP(why.c_str());
    }

    void CaptionsInThreeLanguages()
    {
        TPtyRig rig;
        for (const char* lang : {"de", "en", "fr"}) {
            SelectTextLanguage(lang);
            SelectLibraryLanguage(lang);
            TDvxSensorUpdateForm form(*rig.manager, nullptr, 0);
            QCOMPARE(Child<QLabel>(form, "TopLabel")->text(),
                     QStringLiteral("VRO8K-M V2.10 - ") + QString::fromStdString(text(559)));
            QCOMPARE(Child<QLabel>(form, "x1xDataLabel")->text(), QString::fromStdString(text(560)));
            QCOMPARE(Child<QLabel>(form, "x3xCheckDataLabel")->text(), QString::fromStdString(text(562)));
            QCOMPARE(Child<QLabel>(form, "InfoLabel")->text(), QString::fromStdString(text(579)));
            QVERIFY(Child<QLabel>(form, "InfoLabel")->wordWrap());
            QCOMPARE(Child<QLabel>(form, "NextLabel")->text().trimmed(),
                     QString::fromUtf8(LibraryTexts().NextCaption).remove(QLatin1Char('&')).trimmed());
            QVERIFY(Child<QLabel>(form, "x4xActivateUpdateLabel")->isHidden());
        }
        SelectTextLanguage("en");
        SelectLibraryLanguage("en");
        QCOMPARE(QString::fromUtf8(LibraryTexts().NextCaption), QStringLiteral("Continue"));
    }

    void WholeUpdateWithMovingBarAndMarkers()
    {
        QTemporaryDir dir;
        TPtyRig rig;
        TDvxSensorUpdateForm form(*rig.manager, nullptr, 0);
        form.show();
        QCOMPARE(form.MarkerColor(0), QColor(0xC0, 0xC0, 0xC0));
        form.SetChosenFile(SampleFile(dir));
        QTest::mouseClick(Child<QLabel>(form, "NextLabel"), Qt::LeftButton);
        QCOMPARE(form.Wizard().Step, 1);
        QCOMPARE(form.MarkerColor(0), QColor(0x00, 0xFF, 0x00));
        QCOMPARE(Child<QLabel>(form, "PathLabel")->text(), QStringLiteral("VRO8K-M 2.11 / VRO8K-S 1.08"));

        // The bar, as painted while the transfer runs, and the yellow marker.
        auto* bar = Child<QProgressBar>(form, "ProgressBar");
        std::vector<int> seen;
        QColor running;
        QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int v) {
            seen.push_back(v);
            running = form.MarkerColor(1);
        });
        QTest::mouseClick(Child<QLabel>(form, "NextLabel"), Qt::LeftButton);
        QCOMPARE(form.Wizard().InfoText, 581);
        QVERIFY2(seen.size() > 20, "the bar did not move during the transfer");
        QVERIFY(std::find_if(seen.begin(), seen.end(), [](int v) { return v > 0 && v < 1000; }) != seen.end());
        QCOMPARE(running, QColor(0xFF, 0xFF, 0x00));
        QVERIFY(bar->isHidden());

        QTest::mouseClick(Child<QLabel>(form, "NextLabel"), Qt::LeftButton);
        QCOMPARE(form.Wizard().InfoText, 582);
        QVERIFY(Child<QLabel>(form, "NextLabel")->isHidden());
        QCOMPARE(Child<QLabel>(form, "CancelLabel")->text().trimmed(), QStringLiteral("Close"));
        QCOMPARE(form.MarkerColor(2), QColor(0x00, 0xFF, 0x00));
        QTest::mouseClick(Child<QLabel>(form, "CancelLabel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    // The whole update through the window in each language; the recorder
    // then identifies with the file's version.
    void WholeUpdateInThreeLanguagesThenTheNewVersion()
    {
        QTemporaryDir dir;
        int n = 0;
        for (const char* lang : {"de", "en", "fr"}) {
            SelectTextLanguage(lang);
            SelectLibraryLanguage(lang);
            sim::TSimProfile profile;
            profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
            TPtyRig rig(profile);
            const std::string version = "VRO8K-M 3.0" + std::to_string(++n);
            const QString path = dir.filePath(QString::fromLatin1(lang) + QStringLiteral(".vxupd"));
            WriteFileAtomically(path.toStdString(),
                                MakeUpdateFileText("02", ImageToHex(0, MakeSampleImage(0, "VRO8K-S 1.09", 5)),
                                                   ImageToHex(1, MakeSampleImage(1, version, 6))));
            {
                TDvxSensorUpdateForm form(*rig.manager, nullptr, 0);
                form.show();
                form.SetChosenFile(path);
                for (int step = 1; step <= 3; ++step)
                    QTest::mouseClick(Child<QLabel>(form, "NextLabel"), Qt::LeftButton);
                QCOMPARE(form.Wizard().InfoText, 582);
                QCOMPARE(Child<QLabel>(form, "InfoLabel")->text(), QString::fromStdString(text(582)));
                QCOMPARE(Child<QLabel>(form, "CancelLabel")->text().trimmed(),
                         QString::fromUtf8(LibraryTexts().CloseCaption).remove(QLatin1Char('&')).trimmed());
            }
            rig.manager->Connect();
            QCOMPARE(QString::fromStdString(rig.manager->GetDescription()), QString::fromStdString(version));
        }
        SelectTextLanguage("en");
        SelectLibraryLanguage("en");
    }

    void CloseAndEscapeDuringAStepCancelIt()
    {
        QTemporaryDir dir;
        sim::TSimProfile profile;
        profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
        TPtyRig rig(profile);
        TDvxSensorUpdateForm form(*rig.manager, nullptr, 0);
        form.show();
        form.SetChosenFile(SampleFile(dir));
        form.Wizard().NextLabelClick();
        int reports = 0;
        bool visibleAfterClose = false;
        QObject::connect(Child<QProgressBar>(form, "ProgressBar"), &QProgressBar::valueChanged, &form, [&](int) {
            if (++reports == 10) {
                QCloseEvent close;
                QApplication::sendEvent(&form, &close);
                visibleAfterClose = form.isVisible() && !close.isAccepted();
            }
        });
        form.Wizard().NextLabelClick();
        QVERIFY(visibleAfterClose);
        QVERIFY(form.isVisible());
        QCOMPARE(form.Wizard().InfoText, 568);
        QVERIFY(form.Wizard().Cancelled);
        QVERIFY(Child<QLabel>(form, "InfoLabel")->text().startsWith(QString::fromStdString(text(558))));
        QCOMPARE(form.MarkerColor(1), QColor(0xFF, 0x00, 0x00));

        // Escape during the check (through the unlock: top, left, bottom).
        for (const char* panel : {"TopPanel", "LeftPanel", "BottomPanel"})
            QTest::mouseClick(Child<QWidget>(form, panel), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(form.Wizard().UnlockState, 3);
        reports = 0;
        QObject::disconnect(Child<QProgressBar>(form, "ProgressBar"), nullptr, &form, nullptr);
        QObject::connect(Child<QProgressBar>(form, "ProgressBar"), &QProgressBar::valueChanged, &form, [&](int) {
            if (++reports == 5)
                QTest::keyClick(&form, Qt::Key_Escape);
        });
        QTest::mouseClick(Child<QLabel>(form, "x3xCheckDataLabel"), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(form.Wizard().InfoText, 569);
        QVERIFY(form.Wizard().Cancelled);
        // Escape with nothing running closes the window.
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TSensorUpdateFormTest)
#include "sensorupdateform_test.moc"
