// The current-values page and the large display offscreen against the
// simulated recorder: table and actions per min/max mode, captions in three
// languages, the timer, errors (message, latch, timer off), the large
// display's columns, enabling and stored settings.
#include "app/dialogs/messagedialog.h"
#include "app/live/currentvaluesframe.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/config/applicationconfig.h"
#include "core/config/configkeys.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "sim/simchannels.h"
#include "support/simfarend.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

struct TRig : test::TSimFarEnd {
    explicit TRig(int channels = 3, bool minMax = false)
    {
        recorder->SetChannels(sim::SimChannelList(channels), minMax);
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        connection->Open();
        manager = std::make_unique<TVro8Manager>(*connection);
        manager->Connect();
    }
    ~TRig()
    {
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    TApplicationConfig config;
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
};

TButtonLabel* Label(QWidget* w, const char* name) { return w->findChild<TButtonLabel*>(QString::fromLatin1(name)); }

} // namespace

class CurrentValuesTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SelectLanguage(QStringLiteral("en"));
        SetNonInteractive(true);
    }

    void tableWithoutMinMaxHasThreeColumnsAndNoReset()
    {
        TRig rig(2, false);
        QVERIFY(rig.manager->IsConnected());
        TVroCurrentValuesFrame page(*rig.manager, rig.config);
        page.show();
        QVERIFY(page.Open());
        QCOMPARE(page.Grid()->columnCount(), 3);
        QCOMPARE(page.Grid()->rowCount(), 3);
        QCOMPARE(page.Grid()->item(0, 1)->text(), Txt(504));
        QCOMPARE(page.Grid()->item(1, 0)->text(), QStringLiteral("Pressure 1"));
        QVERIFY(!Label(&page, "x1xResetLabel")->isVisible());
        QVERIFY(page.Timer().isActive());
        QCOMPARE(page.Timer().interval(), 500);
        QVERIFY(page.windowTitle().endsWith(QStringLiteral(" - ") + Txt(501)));
    }

    void minMaxShowsFiveColumnsAndResetsBeforeTheRead()
    {
        TRig rig(3, true);
        TVroCurrentValuesFrame page(*rig.manager, rig.config);
        page.show();
        QVERIFY(page.Open());
        QCOMPARE(page.Grid()->columnCount(), 5);
        QCOMPARE(page.Grid()->item(0, 4)->text(), Txt(507));
        QVERIFY(Label(&page, "x1xResetLabel")->isVisible());
        const int resets = rig.recorder->RequestCount('S', 13);
        QTest::mouseClick(Label(&page, "x1xResetLabel"), Qt::LeftButton);
        QCOMPARE(rig.recorder->RequestCount('S', 13), resets); // only at the next update
        const int reads = rig.recorder->RequestCount('R', 12);
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder->RequestCount('R', 12) > reads, 3000);
        QCOMPARE(rig.recorder->RequestCount('S', 13), resets + 1);
    }

    void captionsInThreeLanguages()
    {
        TRig rig(1, true);
        for (const char* code : {"de", "en", "fr"}) {
            SelectLanguage(QString::fromLatin1(code));
            TVroCurrentValuesFrame page(*rig.manager, rig.config);
            QVERIFY(page.Open());
            QCOMPARE(Label(&page, "x1xResetLabel")->text().trimmed(), Txt(502).trimmed());
            QCOMPARE(Label(&page, "x8xRefreshLabel")->text().trimmed(), Txt(509).trimmed());
            QCOMPARE(page.Grid()->item(0, 0)->text(), Txt(503));
        }
        QVERIFY(text(TTextLanguage::German, 503) != text(TTextLanguage::English, 503));
    }

    void noChannelGivesOneDashRow()
    {
        TRig rig(0, false);
        TVroCurrentValuesFrame page(*rig.manager, rig.config);
        QVERIFY(page.Open());
        QCOMPARE(page.Grid()->rowCount(), 2);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(page.Grid()->item(1, c)->text(), QStringLiteral("---"));
    }

    void errorLatchesAndLeavesTheTimerOff()
    {
        TRig rig(2, false);
        TVroCurrentValuesFrame page(*rig.manager, rig.config);
        int latched = 0;
        page.OnDeviceError = [&latched] { ++latched; };
        QVERIFY(page.Open());
        rig.recorder->SetFault('R', 12, {sim::ERecorderFault::Silence});
        QTRY_COMPARE_WITH_TIMEOUT(latched, 1, 8000);
        QVERIFY(!page.Timer().isActive());
    }

    void largeDisplayColumnsEnablingAndSettings()
    {
        TRig rig(3, true);
        cfg::Write(rig.config.List(), cfg::kSegmentMinMax, true);
        cfg::Write(rig.config.List(), cfg::kDisplaySize, 7);
        {
            TVroCurrentValues7SegmentForm form(*rig.manager, rig.config);
            form.resize(900, 600);
            form.setModal(false);
            form.show();
            QVERIFY(form.Initialise());
            QVERIFY(form.MinMax());
            QCOMPARE(form.DisplaySize(), 7);
            QCOMPARE(form.Columns(), 1);
            QVERIFY(Label(&form, "x5xTwoRowsLabel")->isEnabled());
            QVERIFY(!Label(&form, "x6xFourRowsLabel")->isEnabled());
            QVERIFY(Label(&form, "x3xMinMaxLabel")->isEnabled());
            form.SetColumns(4); // three channels: two columns at the next update
            QSignalSpy spy(&form, &TVroCurrentValues7SegmentForm::updated);
            QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 1, 3000);
            QCOMPARE(form.Columns(), 2);
            const auto l = form.Layout();
            QVERIFY(l.CellHeight <= l.CellWidth / 2);
            QTest::mouseClick(Label(&form, "x3xMinMaxLabel"), Qt::LeftButton);
            QVERIFY(!form.MinMax());
            form.accept();
        }
        QVERIFY(!cfg::Read(rig.config.List(), cfg::kSegmentMinMax));
        QCOMPARE(cfg::Read(rig.config.List(), cfg::kDisplaySize), 7);
    }

    void largeDisplayClosesOnError()
    {
        TRig rig(2, false);
        TVroCurrentValues7SegmentForm form(*rig.manager, rig.config);
        int latched = 0;
        form.OnDeviceError = [&latched] { ++latched; };
        form.setModal(false);
        form.show();
        QVERIFY(form.Initialise());
        QVERIFY(!Label(&form, "x3xMinMaxLabel")->isEnabled());
        rig.recorder->SetFault('R', 12, {sim::ERecorderFault::Silence});
        QTRY_COMPARE_WITH_TIMEOUT(latched, 1, 8000);
        QVERIFY(!form.isVisible());
    }

    void sevenSegmentPixels()
    {
        QImage img(120, 48, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            DrawSevenSegmentText(p, QStringLiteral("1"), QRect(0, 0, 120, 48), Qt::black);
        }
        // "1" lights b and c of the last digit only: its right edge is dark, the first digit blank.
        const auto g = vro::live::SevenSegLayout(vro::live::SevenSegMasks("1"), 0, 0, 120, 48);
        QCOMPARE(img.pixelColor(g.Digits[5].Right, (g.TopLine + g.MiddleLine) / 2), QColor(Qt::black));
        QCOMPARE(img.pixelColor(g.Digits[5].Left - g.Thickness, (g.TopLine + g.MiddleLine) / 2), QColor(Qt::white));
        QCOMPARE(img.pixelColor(g.Digits[0].Right, (g.TopLine + g.MiddleLine) / 2), QColor(Qt::white));
    }
};

QTEST_MAIN(CurrentValuesTest)
#include "currentvalues_test.moc"
