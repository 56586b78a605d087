// The real-time frame offscreen against the simulated recorder: actions per
// type and state, captions in three languages, known pixels of the graph and
// its boxes, the display settings dialog (colour, focus, message, Apply and
// Cancel), the magnifier drag, the hand trigger, the event-log page, the end
// of a run (document or nothing), a broken link, and closing the device
// window during a run.
#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/live/onlineframe.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/fieldcheck.h"
#include "app/main/documents.h"
#include "core/config/applicationconfig.h"
#include "core/graph/graphrender.h"
#include "core/manager/recordingmanager.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "sim/simchannels.h"
#include "support/simfarend.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

struct TRig : test::TSimFarEnd {
    explicit TRig(int channels = 3, sim::TSimOnlineConfig online = {})
    {
        if (online.Interval == sim::TSimOnlineConfig{}.Interval)
            online.Interval = std::chrono::microseconds(1000);
        recorder->SetOnline(online);
        recorder->SetChannels(sim::SimChannelList(channels), false);
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        connection->Open();
        manager = std::make_unique<TVro8Manager>(*connection, &documents);
        manager->Connect();
        manager->Device().Measurement.ReadChannels();
    }
    ~TRig()
    {
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    TApplicationConfig config;
    TQtManagerUi ui;
    TRecordingManager documents{config.List(), ui};
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
};

TOnlineChoices Choices(int type)
{
    TOnlineChoices c;
    c.RecordingType = type;
    c.SampleRate = 3;    // 1 ms
    c.DurationIndex = 3; // 10 s: no run here ends by a full ring
    return c;
}

TButtonLabel* Label(QWidget* w, const char* name) { return w->findChild<TButtonLabel*>(QString::fromLatin1(name)); }

// Message dialogs shown while it lives: their texts, each closed at once.
struct TMessages {
    QStringList texts;
    QTimer timer;
    TMessages()
    {
        SetNonInteractive(false);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->inherits("vro::app::TDvxMessageForm")) {
                    QString all;
                    for (QLabel* l : w->findChildren<QLabel*>())
                        all += l->text() + QLatin1Char('\n');
                    texts << all;
                    w->close();
                }
        });
        timer.start(10);
    }
    ~TMessages() { SetNonInteractive(true); }
    bool Saw(int text) const
    {
        for (const QString& t : texts)
            if (t.contains(Txt(text)))
                return true;
        return false;
    }
};

// Waits until the run delivers data and the graph has painted it.
bool WaitForLiveData(TVro8OnlineRecordingFrame& frame, int records = 50)
{
    const int paints = frame.PaintCount();
    return QTest::qWaitFor(
        [&] {
            return frame.Run() && frame.Run()->Live() && frame.Run()->Online().RecordCount() >= records &&
                   frame.PaintCount() > paints;
        },
        10000);
}

QRgb Rgb(graph::TRgb c) { return qRgb(c.R, c.G, c.B); }

} // namespace

class OnlineFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SelectLanguage(QStringLiteral("en"));
        SetNonInteractive(true);
        TVro8OnlineRecordingFrame::KeptSettings().reset();
    }

    void actionsPerTypeAndState()
    {
        TRig rig;
        TVro8OnlineRecordingFrame frame;
        frame.resize(900, 500);
        // Type 0, alone: no End automatic, no Trigger.
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QVERIFY(frame.isVisible());
        for (const char* name : {"x11xCancelLabel", "x13xSettingsLabel", "x14xMagniferLabel", "x15xFullRangeLabel"})
            QVERIFY2(Label(&frame, name)->isVisible(), name);
        QVERIFY(!Label(&frame, "x16xCancelAutoLabel")->isVisible());
        QVERIFY(!Label(&frame, "x17xTriggerLabel")->isVisible());
        QVERIFY(WaitForLiveData(frame));
        QSignalSpy ended(&frame, &TVro8OnlineRecordingFrame::runEnded);
        QTest::mouseClick(Label(&frame, "x11xCancelLabel"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QCOMPARE(ended.at(0).at(0).toBool(), false);
        QVERIFY(!frame.Running());
        QVERIFY(!frame.isVisible());
        QVERIFY(frame.LastRunBuiltRecording());
        QCOMPARE(rig.documents.Count(), 1);

        // Type 1 in a series: End automatic and Trigger (the simulator's
        // event 1 is released by hand); after the release Trigger is off.
        QSignalSpy automatic(&frame, &TVro8OnlineRecordingFrame::automaticEnded);
        TOnlineChoices triggered = Choices(1);
        triggered.TriggerPosition = 3;
        QVERIFY(frame.Start(*rig.manager, false, true, triggered, true));
        QVERIFY(Label(&frame, "x16xCancelAutoLabel")->isVisible());
        QVERIFY(Label(&frame, "x17xTriggerLabel")->isVisible());
        QVERIFY(WaitForLiveData(frame));
        QVERIFY(Label(&frame, "x17xTriggerLabel")->isEnabled());
        QTest::mouseClick(Label(&frame, "x17xTriggerLabel"), Qt::LeftButton);
        QCOMPARE(frame.Run()->Online().TriggerState(), 1);
        QVERIFY(!Label(&frame, "x17xTriggerLabel")->isEnabled());
        QTest::mouseClick(Label(&frame, "x16xCancelAutoLabel"), Qt::LeftButton);
        QCOMPARE(automatic.count(), 1);
        QVERIFY(!Label(&frame, "x16xCancelAutoLabel")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(frame.Run()->Online().PostCount() > 20, 5000);
        frame.End();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 10000);
        QCOMPARE(rig.documents.Count(), 2);

        // Type 2: End and Trigger only, no time axis, the event-log page.
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(2)));
        for (const char* name : {"x13xSettingsLabel", "x14xMagniferLabel", "x15xFullRangeLabel", "x16xCancelAutoLabel"})
            QVERIFY2(!Label(&frame, name)->isVisible(), name);
        QVERIFY(Label(&frame, "x11xCancelLabel")->isVisible());
        QVERIFY(Label(&frame, "x17xTriggerLabel")->isVisible());
        QCOMPARE(frame.Graph()->XBoxHeight(), 0);
        QVERIFY(WaitForLiveData(frame, 5));
        const int events = frame.Run()->Online().WriteIndex();
        QTest::mouseClick(Label(&frame, "x17xTriggerLabel"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(frame.Run()->Online().WriteIndex() > events, 5000);
        // The page's first line is drawn on the graph background.
        const int paints = frame.PaintCount();
        QTRY_VERIFY_WITH_TIMEOUT(frame.PaintCount() > paints, 5000);
        const QImage& img = frame.Graph()->Image();
        QCOMPARE(img.pixel(5, 5), Rgb(kOnlineBackground));
        int ink = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 120; ++x)
                ink += img.pixel(x, y) != Rgb(kOnlineBackground);
        QVERIFY(ink > 20);
        frame.End();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 3, 10000);
        QCOMPARE(rig.documents.Count(), 3);
        QVERIFY(rig.documents.Items(2).RecordCount > events);
    }

    void captionsInThreeLanguages()
    {
        TRig rig;
        for (const char* code : {"de", "en", "fr"}) {
            SelectLanguage(QString::fromLatin1(code));
            TVro8OnlineRecordingFrame frame;
            QCOMPARE(Label(&frame, "x11xCancelLabel")->text().trimmed(), Txt(1251).trimmed());
            QCOMPARE(Label(&frame, "x13xSettingsLabel")->text().trimmed(), Txt(1253).trimmed());
            QCOMPARE(Label(&frame, "x17xTriggerLabel")->text().trimmed(), Txt(1257).trimmed());
            QCOMPARE(frame.findChild<QLabel*>(QStringLiteral("x0xTitleLabel"))->text(), Txt(1240));
            QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
            TVro8OnlineSettingsForm form(frame);
            QCOMPARE(form.windowTitle(), Txt(1259));
            QCOMPARE(form.XAxis()->itemText(0), Txt(1265));
            frame.End();
            QTRY_VERIFY_WITH_TIMEOUT(!frame.Running(), 10000);
        }
        QVERIFY(Txt(1251) != QString::fromStdString(text(TTextLanguage::German, 1251)) ||
                Txt(1251) != QString::fromStdString(text(TTextLanguage::French, 1251)));
    }

    void knownPixelsOfGraphAndBoxes()
    {
        TRig rig(3);
        TVro8OnlineRecordingFrame frame;
        frame.resize(1000, 500);
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QVERIFY(WaitForLiveData(frame, 200));
        TOnlineGraphWidget* g = frame.Graph();
        // Three channels on the left: 3 × 80 pixels, the empty right side 15.
        QCOMPARE(g->Axes().LeftStrip, 240);
        QCOMPARE(g->Axes().RightStrip, 15);
        const QRect r = g->GraphRect();
        QCOMPARE(r.left(), 240);
        QCOMPARE(r.right(), g->width() - 16);
        const int paints = frame.PaintCount();
        QTRY_VERIFY_WITH_TIMEOUT(frame.PaintCount() > paints, 5000);
        const QImage& img = g->Image();
        // The grid line at the first tenth of the width, background beside it.
        const int gx = r.left() + r.width() / 10;
        int gridRows = 0, background = 0;
        for (int y = 1; y < r.height() - 1; ++y) {
            gridRows += img.pixel(gx, y) == Rgb(kOnlineGrid);
            background += img.pixel(gx + 2, y) == Rgb(kOnlineBackground);
        }
        QVERIFY2(gridRows > r.height() / 2, qPrintable(QString::number(gridRows)));
        QVERIFY(background > r.height() / 2);
        // Channel 0's curve in colour 0.
        bool colour0 = false;
        for (int y = 0; y < r.height() && !colour0; ++y)
            for (int x = r.left(); x <= r.right() && !colour0; ++x)
                colour0 = img.pixel(x, y) == Rgb(OnlineChannelColor(0));
        QVERIFY(colour0);
        // The boxes' grey between two labels, left of the ticks; the empty box.
        const int between = g->Axes().Left[0].Labels[1].Pos + (r.height() / 20);
        QCOMPARE(img.pixel(78, between), Rgb(kOnlineGrid));
        QCOMPARE(img.pixel(80 + 78, between), Rgb(kOnlineGrid));
        QCOMPARE(img.pixel(r.right() + 8, r.height() / 2), Rgb(kOnlineGrid));
        frame.End();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Running(), 10000);
    }

    void dialogChecksAppliesAndCancels()
    {
        TMessages messages;
        TRig rig(3);
        TVro8OnlineRecordingFrame frame;
        frame.resize(900, 500);
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        TOnlineRun& run = *frame.Run();
        const TOnlineDisplaySettings before = run.Settings;
        {
            TVro8OnlineSettingsForm form(frame);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.ModeBox()->isVisible()); // type 0
            const int d = run.Channels()[1].Decimals;
            // Upper limit not 10 above the lower one: refused, field marked.
            form.LoEdit(1)->setText(QString::fromStdString(RawToText(100, d)));
            form.HiEdit(1)->setText(QString::fromStdString(RawToText(105, d)));
            QVERIFY(!form.Apply());
            QVERIFY(IsFieldMarkedFailing(form.HiEdit(1)));
            QVERIFY(!IsFieldMarkedFailing(form.LoEdit(1)));
            QCOMPARE(form.focusWidget(), form.HiEdit(1));
            QTRY_VERIFY(messages.Saw(1279));
            QVERIFY(run.Settings == before);
            // An earlier field is checked first, the lower before the upper.
            form.LoEdit(0)->setText(QStringLiteral("1x"));
            QVERIFY(!form.Apply());
            QVERIFY(IsFieldMarkedFailing(form.LoEdit(0)));
            QTRY_VERIFY(messages.Saw(1277));
            form.LoEdit(0)->setText(QString::fromStdString(RawToText(run.Settings.LoY[0], run.Channels()[0].Decimals)));
            // Apply takes over and stays open; the X axis disables its channel.
            form.HiEdit(1)->setText(QString::fromStdString(RawToText(300, d)));
            form.XAxis()->setCurrentIndex(3); // channel 2
            QVERIFY(!(form.LeftList()->item(2)->flags() & Qt::ItemIsEnabled));
            QVERIFY(!(form.RightList()->item(2)->flags() & Qt::ItemIsEnabled));
            QVERIFY(form.LeftList()->item(1)->flags() & Qt::ItemIsEnabled);
            form.ShownBox(0)->setChecked(false);
            QVERIFY(form.Apply());
            QVERIFY(form.isVisible());
            QCOMPARE(run.Settings.LoY[1], 100);
            QCOMPARE(run.Settings.HiY[1], 300);
            QCOMPARE(run.Settings.XChannel, 2);
            QVERIFY(!(run.Settings.Shown & 1u));
            QVERIFY(!(run.Settings.LeftAxis >> 2 & 1u)); // disabled entries do not count
            QVERIFY(!frame.Graph()->Axes().TimeAxis);
        }
        {
            // Cancel (Escape) changes nothing.
            const TOnlineDisplaySettings applied = run.Settings;
            TVro8OnlineSettingsForm form(frame);
            form.show();
            form.HiEdit(1)->setText(QStringLiteral("77"));
            form.XAxis()->setCurrentIndex(0);
            QTest::keyClick(&form, Qt::Key_Escape);
            QCOMPARE(form.result(), int(QDialog::Rejected));
            QVERIFY(run.Settings == applied);
            // Enter is OK: taken over and closed.
            TVro8OnlineSettingsForm ok(frame);
            ok.show();
            ok.XAxis()->setCurrentIndex(0);
            QTest::keyClick(&ok, Qt::Key_Return);
            QCOMPARE(ok.result(), int(QDialog::Accepted));
            QCOMPARE(run.Settings.XChannel, -1);
        }
        frame.End();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Running(), 10000);
        // The settings are kept for the next run (all channels shown again).
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QCOMPARE(frame.Run()->Settings.HiY[1], 300);
        QCOMPARE(frame.Run()->Settings.Shown, 7u);
        frame.End();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Running(), 10000);
    }

    void magnifierDragSetsTheRangesAndFullSizeRestores()
    {
        TRig rig(2);
        TVro8OnlineRecordingFrame frame;
        frame.resize(900, 500);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QVERIFY(WaitForLiveData(frame));
        TOnlineGraphWidget* g = frame.Graph();
        TButtonLabel* zoom = Label(&frame, "x14xMagniferLabel");
        QTest::mouseClick(zoom, Qt::LeftButton);
        QVERIFY(frame.Magnifier().Active());
        QVERIFY(zoom->font().bold());
        QCOMPARE(g->cursor().shape(), Qt::CrossCursor);
        const QRect r = g->GraphRect();
        const QPoint a(r.left() + 20, r.top() + r.height() / 4), b(r.left() + 200, r.top() + r.height() / 2);
        QTest::mousePress(g, Qt::LeftButton, {}, a);
        QVERIFY(frame.Magnifier().Dragging());
        // Painting pauses during the drag: the data goes on, the image stays.
        const int paints = g->PaintCount();
        const int records = frame.Run()->Online().RecordCount();
        QTest::mouseMove(g, b);
        QTRY_VERIFY_WITH_TIMEOUT(frame.Run()->Online().RecordCount() > records + 100, 5000);
        QCOMPARE(g->PaintCount(), paints);
        const auto& s = frame.Run()->Settings;
        const auto want0 = MagnifierRange(OnlinePixelValue(a.y(), r.height(), s.LoY[0], s.HiY[0], true),
                                          OnlinePixelValue(b.y(), r.height(), s.LoY[0], s.HiY[0], true));
        QTest::mouseRelease(g, Qt::LeftButton, {}, b);
        QVERIFY(!frame.Magnifier().Dragging());
        QCOMPARE(s.LoY[0], want0.first);
        QCOMPARE(s.HiY[0], want0.second);
        QVERIFY(s.HiY[1] - s.LoY[1] >= kMinDisplaySpan);
        // Full size switches the magnifier off and restores the measuring ranges.
        QTest::mouseClick(Label(&frame, "x15xFullRangeLabel"), Qt::LeftButton);
        QVERIFY(!frame.Magnifier().Active());
        QVERIFY(!zoom->font().bold());
        const auto& ch = frame.Run()->Channels();
        for (int c = 0; c < 2; ++c) {
            const auto full =
                DisplayRangeOf(ch[static_cast<std::size_t>(c)].LoRange, ch[static_cast<std::size_t>(c)].HiRange);
            QCOMPARE(s.LoY[static_cast<std::size_t>(c)], full.first);
            QCOMPARE(s.HiY[static_cast<std::size_t>(c)], full.second);
        }
        // A release outside the graph changes nothing.
        QTest::mouseClick(zoom, Qt::LeftButton);
        const TOnlineDisplaySettings kept = frame.Run()->Settings;
        QTest::mousePress(g, Qt::LeftButton, {}, a);
        QTest::mouseRelease(g, Qt::LeftButton, {}, QPoint(r.right() + 5, b.y()));
        QVERIFY(frame.Run()->Settings == kept);
        // Any other action switches it off first.
        frame.End();
        QVERIFY(!frame.Magnifier().Active());
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Running(), 10000);
    }

    void aBrokenLinkKeepsTheDataAndReportsIt()
    {
        TMessages messages;
        sim::TSimOnlineConfig cfg;
        cfg.StopAfter = 120;
        TRig rig(2, cfg);
        TVro8OnlineRecordingFrame frame;
        int latched = 0;
        frame.OnDeviceError = [&latched] { ++latched; };
        QSignalSpy ended(&frame, &TVro8OnlineRecordingFrame::runEnded);
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 15000);
        QCOMPARE(ended.at(0).at(0).toBool(), true); // a series ends
        QCOMPARE(latched, 1);
        QTRY_VERIFY(messages.Saw(1250));
        QCOMPARE(rig.documents.Count(), 1);
        QCOMPARE(rig.documents.Items(0).RecordCount, 120);
    }

    void aFailedSaveShowsTheFileAndKeepsTheRecordingUnsaved()
    {
        TMessages messages;
        TRig rig(2);
        rig.manager->SeriesBaseName = "/nonexistent-folder-of-the-test/series.vxrf";
        TVro8OnlineRecordingFrame frame;
        QSignalSpy ended(&frame, &TVro8OnlineRecordingFrame::runEnded);
        QVERIFY(frame.Start(*rig.manager, true, false, Choices(0), true));
        QVERIFY(WaitForLiveData(frame));
        frame.End();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QCOMPARE(ended.at(0).at(0).toBool(), true); // the series ends
        QTRY_VERIFY(messages.Saw(758) || !messages.texts.isEmpty());
        QVERIFY2(messages.texts.join(QString()).contains(QStringLiteral("series-001.vxrf")),
                 qPrintable(messages.texts.join(QStringLiteral("|"))));
        QCOMPARE(rig.documents.Count(), 1); // the measurement stays, unsaved
        QVERIFY(!rig.documents.Items(0).NameConfirmed);
    }

    void aRunWithoutDataCreatesNothing()
    {
        sim::TSimOnlineConfig cfg;
        cfg.Interval = std::chrono::seconds(30); // the first record would come after the end
        TRig rig(2, cfg);
        TVro8OnlineRecordingFrame frame;
        QSignalSpy ended(&frame, &TVro8OnlineRecordingFrame::runEnded);
        QVERIFY(frame.Start(*rig.manager, false, false, Choices(0)));
        QTRY_VERIFY_WITH_TIMEOUT(frame.Run()->Live(), 5000);
        frame.EndAndWait();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!frame.LastRunBuiltRecording());
        QCOMPARE(rig.documents.Count(), 0);
    }

    void closingTheDeviceWindowEndsTheRunAndKeepsTheData()
    {
        TRig rig(2);
        TDvxErrorHandler latch;
        QPointer<TVroForm> form =
            new TVroForm(TVroContext{rig.config, *rig.connection, *rig.manager, latch, nullptr, {}});
        struct TGone {
            QPointer<TVroForm>& form;
            ~TGone() { delete form.data(); } // before the rig, also when a check fails
        } gone{form};
        form->Initialise();
        form->show();
        form->OpenPage(TVroAction::StartRecording);
        auto* frame = form->findChild<TVro8OnlineRecordingFrame*>();
        QVERIFY(frame);
        QVERIFY(frame->Start(*rig.manager, false, false, Choices(0)));
        QTRY_VERIFY_WITH_TIMEOUT(frame->Run()->Live() && frame->Run()->Online().RecordCount() > 50, 10000);
        form->close(); // ends the run like End and waits for the worker
        QCOMPARE(rig.documents.Count(), 1);
        QVERIFY(rig.documents.Items(0).RecordCount > 0);
        QTRY_VERIFY(form.isNull());
    }
};

QTEST_MAIN(OnlineFrameTest)
#include "onlineframe_test.moc"
