// The graph pane under the offscreen platform: pixels of small known
// recordings, mouse-driven zoom and pan, each tool's readout after a
// scripted mouse path, keys, the legend click and the snapshot list.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/graph/axes.h"
#include "app/graph/graph.h"
#include "app/graph/graphicframe.h"
#include "app/graph/graphtools.h"
#include "app/graph/qtgraphcanvas.h"
#include "app/graph/snapshotforms.h"
#include "app/graph/trackerform.h"
#include "app/table/tableframe.h"
#include "core/graph/axislogic.h"
#include "core/values/vro8utils.h"

using namespace vro;
using namespace vro::app;
using namespace vro::graph;

namespace {

std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->HasMinMaxValues = minmax;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Sensor " + std::to_string(c + 1);
        ch.MeasureUnit = c % 2 ? "°C" : "bar";
        ch.Decimals = 1;
        ch.FullLoRange = ch.CurrentLoRange = 0;
        ch.FullHiRange = ch.CurrentHiRange = 1000;
        ch.ColorIndex = c;
        for (int i = 0; i < samples; ++i) {
            const double t = static_cast<double>(i) / samples;
            const int v =
                static_cast<int>(500 + 300 * std::sin(6.28 * (c + 1) * t) + 40 * std::sin(97.0 * t * (c + 2)));
            ch.Values[static_cast<std::size_t>(i)] = v;
            if (minmax) {
                ch.MinValues[static_cast<std::size_t>(i)] = v - 30;
                ch.MaxValues[static_cast<std::size_t>(i)] = v + 30;
            }
        }
    }
    r->LeftYAxis = 1;
    r->RightYAxis = channels > 1 ? 2 : 0;
    r->Time->ResetRange();
    r->FileName = "/tmp/test.vxrf";
    return r;
}

QColor Pixel(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

} // namespace

class GraphTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TRecording> rec;
    std::unique_ptr<TGraphicFrame> frame;

    TGraph* G() { return frame->Graph(); }
    TGraphicView& V() { return frame->View(); }
    int W() { return V().XExtent; }
    int H() { return V().YExtent; }
    // A point on the grid line corner (i, j) of the 10 × 10 cells.
    QPoint Cell(int i, int j) { return QPoint(i * W() / 10, j * H() / 10); }

    void Open(int channels, int samples, bool minmax = false)
    {
        rec = MakeRecording(channels, samples, minmax);
        frame = std::make_unique<TGraphicFrame>();
        frame->resize(900, 600);
        frame->SetRecording(rec.get());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->ProcessChanges();
        G()->EnsureBitmap();
    }

private slots:
    void cleanup()
    {
        frame.reset();
        rec.reset();
    }

    void knownCurveLandsOnKnownPixels()
    {
        auto r = MakeRecording(1, 11);
        for (auto& v : r->Channel(0).Values)
            v = 500; // half of the range 0..1000
        r->Channel(0).Values[10] = 1000;
        TGraphicView view;
        view.SetRecording(r.get());
        TGraph g(view);
        g.resize(101, 101);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.EnsureBitmap();
        const QImage& img = g.Bitmap();
        const QColor red(255, 0, 0);
        // Samples 0..9 at y 50, x 0, 10, ..., 90; then up to (100, 0).
        QCOMPARE(Pixel(img, 5, 50), red);
        QCOMPARE(Pixel(img, 89, 50), red);
        QCOMPARE(Pixel(img, 5, 51), QColor(254, 254, 254));
        QCOMPARE(Pixel(img, 100, 0), red);
        QCOMPARE(Pixel(img, 95, 25), red);
        // Grid lines: every tenth column, grey.
        QCOMPARE(Pixel(img, 30, 75), QColor(192, 192, 192));
        QCOMPARE(Pixel(img, 35, 75), QColor(254, 254, 254));
    }

    void columnDrawingMatchesThePlainStrokes()
    {
        // 1001 samples on W = 100: columns of ten samples; each column's
        // stroke covers exactly the range of its samples.
        auto r = MakeRecording(1, 1001);
        auto& ch = r->Channel(0);
        for (int i = 0; i <= 1000; ++i)
            ch.Values[static_cast<std::size_t>(i)] = (i / 10) % 2 ? 800 : 200;
        TGraphicView view;
        view.SetRecording(r.get());
        TGraph g(view);
        g.resize(101, 101);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.EnsureBitmap();
        const QImage& img = g.Bitmap();
        const QColor red(255, 0, 0);
        // Column 4 (samples 40..49, value 200 → y 80) reaches up to its
        // neighbour at y 20; column 5 spans 20..80 as well.
        QCOMPARE(Pixel(img, 4, 80), red);
        QCOMPARE(Pixel(img, 4, 21), red);
        QCOMPARE(Pixel(img, 4, 81), QColor(254, 254, 254));
        QCOMPARE(Pixel(img, 0, 80), red);
        // The first column has no left neighbour: one pixel on the grid line.
        QCOMPARE(Pixel(img, 0, 79), QColor(192, 192, 192));
    }

    // The printer view goes through the same renderer onto any painter: on a
    // printer page the painter has no image to write into, so the lines go
    // through QPainter itself. Both ways must give the same pixels, and the
    // monochrome page draws every channel black.
    void printerViewDrawsThroughAnyPainterLikeTheScreen()
    {
        auto r = MakeRecording(3, 20000, true);
        TPrinterView pv;
        pv.SetRecording(r.get());
        TCanvasMetrics m{[](const std::string& t) { return static_cast<int>(t.size()) * 6; }, 12};
        pv.Layout(900, 600, m, m, 14);
        QVERIFY(pv.XExtent > 100 && pv.YExtent > 100);
        const QPoint origin(pv.PlotRect.Left, pv.PlotRect.Top);
        auto draw = [&](bool throughPainter) {
            QImage page(900, 600, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter p(&page);
            if (throughPainter)
                p.setClipRect(QRect(0, 0, 900, 600)); // no direct writes: the printer's way
            RenderGraph(pv, p, origin);
            return page;
        };
        const QImage direct = draw(false);
        const QImage painted = draw(true);
        QCOMPARE(painted, direct);
        // The plot lies inside its rectangle: outside it the page is untouched.
        QCOMPARE(direct.pixelColor(pv.PlotRect.Left - 1, pv.PlotRect.Top + 5), QColor(Qt::white));
        QCOMPARE(direct.pixelColor(pv.PlotRect.Left + 1, pv.PlotRect.Top + 1), QColor(254, 254, 254));

        pv.Monochrome = true;
        const QImage mono = draw(false);
        QSet<QRgb> colours;
        for (int y = pv.PlotRect.Top; y <= pv.PlotRect.Bottom; ++y)
            for (int x = pv.PlotRect.Left; x <= pv.PlotRect.Right; ++x)
                colours.insert(mono.pixel(x, y) & 0xFFFFFF);
        QVERIFY(colours.contains(0x000000));
        QVERIFY(!colours.contains(0xFF0000)); // channel 1's red is gone
        QVERIFY(!colours.contains(qRgb(255, 0, 0) & 0xFFFFFF));
    }

    void magnifierDragZoomsIntoTheCells()
    {
        Open(2, 1000);
        V().SetTool(toolMagnifier);
        QVERIFY(dynamic_cast<TMagnifier*>(G()->Tool()));
        QTest::mousePress(G(), Qt::LeftButton, {}, Cell(2, 3) + QPoint(2, 2));
        QTest::mouseMove(G(), Cell(4, 4) + QPoint(3, 3));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, Cell(4, 4) + QPoint(3, 3));
        // Three columns (2..5) and two rows (3..5) from the top.
        QCOMPARE(rec->Time->LoRange, 200);
        QCOMPARE(rec->Time->HiRange, 500);
        QCOMPARE(rec->Channel(0).CurrentLoRange, 500);
        QCOMPARE(rec->Channel(0).CurrentHiRange, 700);
        QCOMPARE(V().ActiveTool, std::uint8_t(toolMagnifier));
        // A drag released outside the plot does not zoom.
        QTest::mousePress(G(), Qt::LeftButton, {}, Cell(1, 1));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(W() + 30, 5));
        QCOMPARE(rec->Time->LoRange, 200);
    }

    void inverseMagnifierAndHandPanInGridCells()
    {
        Open(1, 1000);
        V().Zoom(0.5, 0, 0.5, 0.5); // window 500..1000
        frame->ProcessChanges();
        V().SetTool(toolHand);
        const QPoint a = Cell(5, 5);
        QTest::mousePress(G(), Qt::LeftButton, {}, a);
        QTest::mouseMove(G(), a + QPoint(W() * 3 / 10, 0));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, a + QPoint(W() * 3 / 10, 0));
        QCOMPARE(rec->Time->LoRange, 350); // 30 % of the 500-sample span earlier
        // A drag of 4 % leaves the view as it was.
        QTest::mousePress(G(), Qt::LeftButton, {}, a);
        QTest::mouseRelease(G(), Qt::LeftButton, {}, a + QPoint(W() * 4 / 100, 0));
        QCOMPARE(rec->Time->LoRange, 350);
        V().SetTool(toolInversMagnifier);
        QTest::mouseClick(G(), Qt::LeftButton, {}, Cell(0, 9) + QPoint(3, 3));
        QCOMPARE(rec->Time->HiRange - rec->Time->LoRange, 1000); // clamped to the recording
    }

    void rulerReadoutFollowsTheMouseWithoutRedrawingCurves()
    {
        Open(2, 1000);
        V().SetTool(toolRuler);
        G()->repaint(); // the tool change itself lays out and redraws once
        frame->XAxis()->repaint();
        const int redraws = G()->FullRedrawCount();
        const int axisRenders = frame->XAxis()->RenderCount();
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(40, 30));
        QTest::mouseMove(G(), QPoint(60, 50));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(60, 50));
        QCOMPARE(V().X1, 60);
        QCOMPARE(V().Y1, 50);
        QVERIFY(V().MeasureShown);
        const TReadout r = AxisReadout(V(), -1, true);
        QCOMPARE(r.Text, V().AxisValueText(-1, 60.0 / W()));
        const TReadout y = AxisReadout(V(), 0, false);
        QCOMPARE(y.Text, V().AxisValueText(0, 1 - 50.0 / H()));
        // Keys move the crosshair by one pixel.
        int key = Qt::Key_Left;
        frame->KeyDown(key, {});
        QCOMPARE(key, 0);
        QCOMPARE(V().X1, 59);
        G()->repaint();
        frame->XAxis()->repaint();
        QCOMPARE(G()->FullRedrawCount(), redraws);
        QCOMPARE(frame->XAxis()->RenderCount(), axisRenders);
    }

    void caliperDragsLinesAndMovesWithKeys()
    {
        Open(1, 1000);
        V().SetTool(toolCaliper);
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(G(), QPoint(200, 150));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(V().X1, 99);
        QCOMPARE(V().X2, 200);
        QCOMPARE(V().Y2, 150);
        // A press near the first vertical line drags only that line.
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(101, 300));
        QTest::mouseMove(G(), QPoint(120, 310));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(120, 310));
        QCOMPARE(V().X1, 120);
        QCOMPARE(V().X2, 200);
        QCOMPARE(V().Y1, 99);
        int key = Qt::Key_Right;
        frame->KeyDown(key, Qt::ShiftModifier);
        QCOMPARE(V().X1, 120);
        QCOMPARE(V().X2, 201);
        key = Qt::Key_Right;
        frame->KeyDown(key, {});
        QCOMPARE(V().X1, 121);
        QCOMPARE(V().X2, 202);
        const TReadout r = AxisReadout(V(), -1, true);
        QVERIFY(r.Bar);
        QCOMPARE(r.Text, V().AxisSpanText(-1, 81.0 / W()));
    }

    void trackerFollowsMouseAndWindow()
    {
        Open(2, 1000);
        V().SetTool(toolTracker);
        auto* tool = dynamic_cast<TTracker*>(G()->Tool());
        QVERIFY(tool);
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(W() / 4, 20));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(W() / 4, 20));
        const std::int32_t expect = rec->Time->RelativeToIndex(static_cast<double>(W() / 4) / W());
        QCOMPARE(V().Cursor1, expect);
        QCOMPARE(tool->Form()->TimeLabel->text().toStdString(), TrackerTimeText(V(), expect));
        QCOMPARE(AxisReadout(V(), 0, false).Text, rec->Channel(0).GetValueText(expect));
        // Step 10: typing 123 places the cursor at 123; ">" then gives 130.
        tool->Form()->StepSizeCombo->setCurrentIndex(3);
        tool->Form()->Edit->setText(QStringLiteral("123"));
        QCOMPARE(V().Cursor1, 123);
        QTest::mousePress(tool->Form()->findChild<QLabel*>(QStringLiteral("PlusLabel")), Qt::LeftButton);
        QTest::mouseRelease(tool->Form()->findChild<QLabel*>(QStringLiteral("PlusLabel")), Qt::LeftButton);
        QCOMPARE(V().Cursor1, 130);
        tool->Form()->Edit->setText(QStringLiteral("abc"));
        QCOMPARE(V().Cursor1, 130);
        // Closing the window switches the tool off.
        tool->Form()->close();
        QCOMPARE(V().ActiveTool, std::uint8_t(0));
        QVERIFY(!G()->Tool());
    }

    void deltaTrackerShowsBothTimesAndTheDifference()
    {
        Open(1, 1000);
        V().SetTool(toolDeltaTracker);
        auto* tool = dynamic_cast<TDeltaTracker*>(G()->Tool());
        QVERIFY(tool);
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(W() / 5, 40));
        QTest::mouseMove(G(), QPoint(W() / 2, 40));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(W() / 2, 40));
        const auto& t = *rec->Time;
        QCOMPARE(V().Cursor1, t.RelativeToIndex((W() / 5 - 1.0) / W()));
        QCOMPARE(V().Cursor2, t.RelativeToIndex(static_cast<double>(W() / 2) / W()));
        QCOMPARE(tool->Form()->DiffTimeLabel->text().toStdString(), TrackerDiffText(V()));
        QCOMPARE(tool->Form()->TimeLabel2->text().toStdString(), TrackerTimeText(V(), V().Cursor2));
        // Grabbing cursor 1 moves only that one.
        const int xa = V().SampleToX(V().Cursor1);
        const std::int32_t c2 = V().Cursor2;
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(xa + 2, 40));
        QTest::mouseMove(G(), QPoint(xa + 50, 40));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(xa + 50, 40));
        QCOMPARE(V().Cursor2, c2);
        QCOMPARE(V().Cursor1, t.RelativeToIndex(static_cast<double>(xa + 50) / W()));
    }

    void navigatorKeysPanAndZoomByATenth()
    {
        Open(1, 1000);
        V().SetTool(toolNavigator);
        QVERIFY(dynamic_cast<TNavigator*>(G()->Tool()));
        int key = Qt::Key_Right;
        frame->KeyDown(key, Qt::ShiftModifier);
        QCOMPARE(rec->Time->LoRange, 0);
        QCOMPARE(rec->Time->HiRange, 900);
        key = Qt::Key_Right;
        frame->KeyDown(key, {});
        QCOMPARE(rec->Time->LoRange, 90);
        // Views while navigating do not enter the history.
        const int pos = rec->History.Position;
        G()->repaint();
        QCOMPARE(rec->History.Position, pos);
        V().SetTool(toolNavigator); // again: off
        QCOMPARE(V().ActiveTool, std::uint8_t(0));
    }

    void legendAndAxisClicksRequestSettings()
    {
        Open(3, 100);
        const auto& items = frame->LegendItems();
        QCOMPARE(int(items.size()), 4);
        QTest::mouseClick(items[3], Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(V().SettingsRequest, 2);
        QTest::mouseClick(items[0], Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(V().SettingsRequest, -1);
        QTest::mouseClick(frame->XAxis(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(V().SettingsRequest, -2);
        // A hidden channel shrinks to one line; the time item sits at the bottom.
        rec->Channel(1).Visible = false;
        V().RebuildDrawList();
        frame->LayoutLegend();
        QCOMPARE(items[2]->ItemHeight(), items[2]->TextH + 4);
        QCOMPARE(items[0]->y() + items[0]->height(), frame->LegendColumn()->height());
    }

    void axesFollowTheChannelsSides()
    {
        Open(3, 100);
        QCOMPARE(int(frame->LeftAxes().size()), 1);
        QCOMPARE(frame->LeftAxes()[0]->AxisIndex, 0);
        QCOMPARE(frame->RightAxes()[0]->AxisIndex, 1);
        rec->LeftYAxis = 0;
        rec->RightYAxis = 7;
        V().ApplyViewState(rec->GetViewState());
        frame->ProcessChanges();
        QCOMPARE(int(frame->LeftAxes().size()), 1);
        QCOMPARE(frame->LeftAxes()[0]->AxisIndex, -1);
        QCOMPARE(frame->LeftAxes()[0]->width(), 15);
        QCOMPARE(int(frame->RightAxes().size()), 3);
    }

    void historyLabelsGoBackAndForward()
    {
        Open(1, 1000);
        V().Zoom(0.5, 0, 0.5, 0);
        frame->ProcessChanges();
        G()->repaint();
        QVERIFY(rec->History.CanBack());
        QVERIFY(frame->RunCommand(QStringLiteral("BackwardsLabel")));
        QCOMPARE(rec->Time->HiRange, 1000);
        QVERIFY(frame->RunCommand(QStringLiteral("ForwardLabel")));
        QCOMPARE(rec->Time->HiRange, 500);
        QVERIFY(frame->RunCommand(QStringLiteral("FullScaleLabel")));
        QCOMPARE(rec->Time->HiRange, 1000);
    }

    void snapshotListDeleteForgetsTheShownSnapshot()
    {
        Open(1, 100);
        SaveSnapshot(*rec, "a", "first");
        SaveSnapshot(*rec, "b", "second");
        SaveSnapshot(*rec, "c", "third");
        TSnapshotListForm f(*rec, &V());
        f.List->setCurrentRow(1);
        QCOMPARE(f.Memo->toPlainText(), QStringLiteral("second"));
        f.Memo->setPlainText(QStringLiteral("edited"));
        f.DeleteSelected();
        QCOMPARE(rec->SnapshotCamera.Count(), 2);
        QCOMPARE(f.List->currentRow(), 1);
        QCOMPARE(f.Memo->toPlainText(), QStringLiteral("third"));
        QCOMPARE(rec->SnapshotCamera.Items(1).Description, std::string("third"));
        f.Finish();
        QCOMPARE(rec->SnapshotCamera.Items(0).Description, std::string("first"));
    }

    void screenshots()
    {
        // Pictures of the pane for the documentation: envelopes, both
        // axes sides, a tool on screen; and the table pane.
        Open(4, 200000, true);
        rec->ShowTableMinMax = 1;
        rec->RightYAxis = 2;
        V().ApplyViewState(rec->GetViewState());
        frame->resize(1100, 650);
        frame->ProcessChanges();
        V().SetTool(toolCaliper);
        G()->repaint(); // the tool change redraws once before the user measures
        QTest::mousePress(G(), Qt::LeftButton, {}, QPoint(W() / 5, H() / 3));
        QTest::mouseMove(G(), QPoint(W() / 2, H() * 2 / 3));
        QTest::mouseRelease(G(), Qt::LeftButton, {}, QPoint(W() / 2, H() * 2 / 3));
        const QString dir = qEnvironmentVariable("VRO_SCREENSHOT_DIR", QDir::tempPath());
        QImage shot = frame->grab().toImage();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(dir + QStringLiteral("/graph-pane.png")));
        TTableFrame table;
        table.resize(700, 400);
        table.SetRecording(rec.get());
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QVERIFY(table.grab().toImage().save(dir + QStringLiteral("/graph-table.png")));
    }
};

QTEST_MAIN(GraphTest)
#include "graph_test.moc"
