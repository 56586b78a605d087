// The graph pane as a user meets it: the plot and the time axis stay in line
// when the active recording, the visible channels or the axis sides change;
// value strips keep the width their numbers need; the command labels follow
// the language, keep their texts whole and do not move when one turns bold;
// the history labels follow every history step; the time legend of a
// time-stamped recording is shown whole.
#include <QApplication>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "app/graph/axes.h"
#include "app/graph/graph.h"
#include "app/graph/graphicframe.h"
#include "app/graph/snapshotforms.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/colors.h"
#include "core/graph/axislogic.h"
#include "core/values/dvxdatetime.h"

using namespace vro;
using namespace vro::app;
using namespace vro::graph;

namespace {

std::unique_ptr<TRecording> MakeRecording(int channels, int samples, int decimals = 1, std::int32_t lo = 0,
                                          std::int32_t hi = 1000, bool stamps = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->SampleRate = stamps ? 12 : 1;
    r->HasTimeStamps = stamps;
    r->StartTime = 44000.5;
    r->StopTime = r->StartTime + samples / 86400.0;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Sensor " + std::to_string(c + 1);
        ch.MeasureUnit = c % 2 ? "\xC2\xB0"
                                 "C"
                               : "bar";
        ch.Decimals = decimals;
        ch.FullLoRange = ch.CurrentLoRange = lo;
        ch.FullHiRange = ch.CurrentHiRange = hi;
        ch.ColorIndex = c;
        for (int i = 0; i < samples; ++i)
            ch.Values[static_cast<std::size_t>(i)] =
                lo + static_cast<std::int32_t>((static_cast<long long>(hi) - lo) * i / samples);
    }
    if (stamps)
        for (int i = 0; i < samples; ++i)
            r->Time->TimeStamps[static_cast<std::size_t>(i)] = 100000000 + i;
    r->LeftYAxis = static_cast<std::int32_t>((1u << channels) - 1u);
    r->RightYAxis = 0;
    r->Time->ResetRange();
    r->FileName = "/tmp/pane.vxrf";
    return r;
}

// The first and last columns with ink in the label row of the time axis.
std::pair<int, int> FirstLabelInk(const TXAxis& axis)
{
    const QImage& img = axis.Bitmap();
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x) {
        bool ink = false;
        for (int y = 2; y < 2 + axis.TextH && y < img.height(); ++y)
            ink = ink || qGray(img.pixel(x, y)) < 160;
        if (ink && first < 0)
            first = x;
        if (ink)
            last = x;
        else if (first >= 0)
            break; // the end of the first label (labels are far apart)
    }
    return {first, last};
}

bool HasColor(const QImage& img, const QColor& c)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == c)
                return true;
    return false;
}

} // namespace

class GraphPaneTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TGraphicFrame> NewFrame(TRecording* r, QSize size = QSize(900, 600))
    {
        auto f = std::make_unique<TGraphicFrame>();
        f->resize(size);
        f->SetRecording(r);
        f->show();
        if (!QTest::qWaitForWindowExposed(f.get()))
            return nullptr;
        Settle(*f);
        return f;
    }

    // What the main window's idle handler and the next paint do.
    static void Settle(TGraphicFrame& f)
    {
        f.View().Changed = true;
        f.ProcessChanges();
        f.Graph()->repaint();
        f.XAxis()->repaint();
    }

    // The plot's left edge in the time axis's coordinates, and where the
    // first time label must then stand.
    static void CheckTimeAxisInLine(TGraphicFrame& f)
    {
        const int plotLeft = f.Graph()->mapTo(&f, QPoint(0, 0)).x() - f.XAxis()->mapTo(&f, QPoint(0, 0)).x();
        int strips = 0;
        for (const TYAxis* a : f.LeftAxes())
            strips += a->width();
        QCOMPARE(plotLeft, strips);
        QCOMPARE(f.View().XExtent, std::max(f.Graph()->width() - 1, 1));
        const auto ticks = HorizontalTicks(f.View(), f.View().XAxisIndex());
        QVERIFY(!ticks.empty());
        const int w = QFontMetrics(f.XAxis()->font()).horizontalAdvance(QString::fromStdString(ticks[0].Text));
        const int expectLeft = PlaceHorizontalLabel(plotLeft, w, f.XAxis()->width());
        const auto [first, last] = FirstLabelInk(*f.XAxis());
        QVERIFY2(first >= expectLeft && first <= expectLeft + 2,
                 qPrintable(QStringLiteral("first ink %1, label left %2").arg(first).arg(expectLeft)));
        QVERIFY(last <= expectLeft + w);
    }

private slots:
    void initTestCase() { SelectLanguage(QStringLiteral("en")); }

    void timeAxisLinesUpAfterEachChange()
    {
        auto four = MakeRecording(4, 500, 2, -100000, 100000);
        auto one = MakeRecording(1, 500);
        auto frame = NewFrame(four.get());
        QVERIFY(frame);
        QCOMPARE(int(frame->LeftAxes().size()), 4);
        CheckTimeAxisInLine(*frame);

        // Switching to the one-channel recording: the strips shrink and the
        // plot and time axis move with them in the same pass.
        frame->SetRecording(one.get());
        Settle(*frame);
        QCOMPARE(int(frame->LeftAxes().size()), 1);
        CheckTimeAxisInLine(*frame);
        // The same as when that recording is opened alone.
        auto alone = NewFrame(one.get());
        QVERIFY(alone);
        QCOMPARE(frame->Graph()->geometry(), alone->Graph()->geometry());
        QCOMPARE(frame->XAxis()->Bitmap(), alone->XAxis()->Bitmap());
        alone.reset();

        // Back to four, then a channel hidden, then moved to the right side.
        frame->SetRecording(four.get());
        Settle(*frame);
        CheckTimeAxisInLine(*frame);
        four->Channel(0).Visible = false;
        frame->View().RebuildDrawList();
        frame->View().MarkChanged();
        Settle(*frame);
        QCOMPARE(int(frame->LeftAxes().size()), 3);
        CheckTimeAxisInLine(*frame);
        four->LeftYAxis = 0b0010;
        four->RightYAxis = 0b1100;
        frame->View().ApplyViewState(four->GetViewState());
        Settle(*frame);
        QCOMPARE(int(frame->LeftAxes().size()), 1);
        QCOMPARE(int(frame->RightAxes().size()), 2);
        CheckTimeAxisInLine(*frame);
    }

    void stripsKeepTheWidthOfTheirWidestNumber()
    {
        // Ranges that need the most digits, in a pane too narrow for all.
        auto r = MakeRecording(4, 200, 2, -1000000000, 1000000000);
        for (const QSize size : {QSize(900, 400), QSize(430, 300), QSize(300, 300)}) {
            auto frame = NewFrame(r.get(), size);
            QVERIFY(frame);
            const auto& axes = frame->LeftAxes();
            int right = 0;
            int wanted = 0;
            for (const TYAxis* a : axes) {
                // Side by side, never one over the other.
                QCOMPARE(a->x(), right);
                right = a->x() + a->width();
                wanted += a->WantedWidth();
            }
            const int room = frame->findChild<QWidget*>(QStringLiteral("GraphContainerPanel"))->width();
            QVERIFY(right + frame->Graph()->width() + frame->RightAxes()[0]->width() <= room);
            for (const TYAxis* a : axes) {
                const TLabelColumn col = VerticalLabelColumn(true, a->width(), a->TextH);
                const auto measure = [a](const std::string& s) {
                    return QFontMetrics(a->font()).horizontalAdvance(QString::fromStdString(s));
                };
                for (const TTick& t : VerticalTicks(frame->View(), a->AxisIndex)) {
                    const std::string shown = FitLabel(t.Text, col.R - col.L, measure);
                    // Whole, or the overflow mark: never a cut number.
                    QVERIFY2(shown == t.Text || shown.find_first_not_of('#') == std::string::npos, shown.c_str());
                    if (wanted + 20 <= room)
                        QCOMPARE(shown, t.Text);
                }
                if (wanted + 20 <= room)
                    QCOMPARE(a->width(), a->WantedWidth());
            }
        }
    }

    void commandLabelsFollowTheLanguage()
    {
        auto r = MakeRecording(1, 100);
        auto frame = NewFrame(r.get());
        QVERIFY(frame);
        const std::pair<const char*, int> labels[] = {{"ViewLabel", 67},       {"FullScaleLabel", 108},
                                                      {"MagnifierLabel", 103}, {"BackwardsLabel", 110},
                                                      {"RulerLabel", 100},     {"EvaluateLabel", 68}};
        for (const char* language : {"de", "fr", "en"}) {
            SelectLanguage(QString::fromLatin1(language));
            frame->ApplyTexts();
            for (const auto& [name, text] : labels) {
                auto* l = frame->findChild<QLabel*>(QString::fromLatin1(name));
                QVERIFY(l);
                QCOMPARE(l->text().trimmed(), Txt(text));
                // Whole: the label is as wide as its text in bold.
                QFont bold = l->font();
                bold.setBold(true);
                QVERIFY2(QFontMetrics(bold).horizontalAdvance(l->text()) <= l->width(), name);
            }
        }
        SelectLanguage(QStringLiteral("fr"));
        frame->ApplyTexts();
        QCOMPARE(frame->findChild<QLabel*>(QStringLiteral("MagnifierLabel"))->text().trimmed(),
                 QStringLiteral("Zoom avant"));
        SelectLanguage(QStringLiteral("en"));
        frame->ApplyTexts();
    }

    void activeLabelDoesNotMoveItsNeighbours()
    {
        auto r = MakeRecording(1, 100);
        auto frame = NewFrame(r.get());
        QVERIFY(frame);
        QWidget* bottom = frame->findChild<QWidget*>(QStringLiteral("BottomPanel"));
        QMap<QString, QRect> before;
        for (QLabel* l : bottom->findChildren<QLabel*>())
            before[l->objectName()] = l->geometry();
        for (int tool : {toolRuler, toolCaliper, toolMagnifier, toolHand, toolNone}) {
            frame->View().SetTool(tool);
            for (QLabel* l : bottom->findChildren<QLabel*>()) {
                QCOMPARE(l->geometry(), before[l->objectName()]);
                QVERIFY(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width());
            }
        }
        // Columns apart: no label reaches into the next column.
        for (QLabel* a : bottom->findChildren<QLabel*>())
            for (QLabel* b : bottom->findChildren<QLabel*>())
                if (a != b && a->objectName() != QLatin1String("ViewLabel") &&
                    b->objectName() != QLatin1String("ViewLabel"))
                    QVERIFY2(!a->geometry().intersects(b->geometry()), qPrintable(a->objectName()));
        // A pane narrower than the columns scrolls them instead of cutting.
        frame->resize(300, 500);
        QTRY_VERIFY(
            frame->findChild<QScrollArea*>(QStringLiteral("BottomScrollBox"))->horizontalScrollBar()->isVisible());
        for (QLabel* l : bottom->findChildren<QLabel*>())
            QCOMPARE(l->geometry(), before[l->objectName()]);
    }

    void historyLabelsFollowEveryStep()
    {
        auto r = MakeRecording(1, 1000);
        auto frame = NewFrame(r.get());
        QVERIFY(frame);
        TButtonLabel* back = frame->CommandLabel(QStringLiteral("BackwardsLabel"));
        TButtonLabel* forward = frame->CommandLabel(QStringLiteral("ForwardLabel"));
        QVERIFY(back && forward);
        const auto expect = [&](bool b, bool f) {
            Settle(*frame);
            QCOMPARE(back->isEnabled(), b);
            QCOMPARE(forward->isEnabled(), f);
            QCOMPARE(back->isEnabled(), r->History.CanBack());
            QCOMPARE(forward->isEnabled(), r->History.CanForward());
        };
        expect(false, false);
        // Disabled labels look disabled: grey, not the clickable blue.
        QVERIFY(!HasColor(back->grab().toImage(), ButtonLabelTextColor()));
        frame->View().Zoom(0.5, 0, 0.5, 0); // the first zoom
        frame->View().MarkChanged();
        expect(true, false);
        QVERIFY(HasColor(back->grab().toImage(), ButtonLabelTextColor()));
        frame->View().Zoom(1, 0, 1, 0.2); // a pan by a fifth
        frame->View().MarkChanged();
        expect(true, false);
        QVERIFY(frame->RunCommand(QStringLiteral("BackwardsLabel")));
        expect(true, true);
        QVERIFY(frame->RunCommand(QStringLiteral("BackwardsLabel")));
        expect(false, true);
        QVERIFY(frame->RunCommand(QStringLiteral("ForwardLabel")));
        expect(true, true);
        // Recalling a stored view adds it like any other view.
        SaveSnapshot(*r, "full", "");
        frame->View().FullScale();
        Settle(*frame);
        TSnapshotListLogic logic(*r, &frame->View());
        logic.Select(0, "");
        frame->View().MarkChanged();
        expect(true, false);
        QVERIFY(frame->CommandLabel(QStringLiteral("SnapshotListLabel"))->isEnabled());
    }

    void timeLegendOfAStampedRecordingIsWhole()
    {
        auto r = MakeRecording(2, 600, 1, 0, 1000, true);
        auto frame = NewFrame(r.get());
        QVERIFY(frame);
        const TLegend* time = frame->LegendItems().front();
        QCOMPARE(time->AxisIndex, -1);
        const auto lines = time->RangeLines();
        QVERIFY(!lines.empty());
        const QFontMetrics fm(time->font());
        std::string joined;
        for (const auto& l : lines) {
            QVERIFY2(fm.horizontalAdvance(QString::fromStdString(l)) <= time->width() - 4, l.c_str());
            joined += l;
        }
        // Both ends of the range are in it, with the date.
        QVERIFY(joined.find(r->Time->IndexToText(0).substr(0, 10)) != std::string::npos);
        QCOMPARE(time->height(), time->ItemHeight());
        QCOMPARE(time->ItemHeight(), time->TextH * (1 + static_cast<int>(lines.size())) + 4);
        // The items stack without overlapping.
        const auto& items = frame->LegendItems();
        for (std::size_t k = 2; k < items.size(); ++k)
            QCOMPARE(items[k]->y(), items[k - 1]->y() + items[k - 1]->height());
        QVERIFY(time->y() >= items.back()->y() + items.back()->height());
    }

    void snapshotListShowsTheProgramsDateForm()
    {
        auto r = MakeRecording(1, 100);
        SaveSnapshot(*r, "a", "");
        r->SnapshotCamera.Items(0).DateTime = 46000.75;
        TSnapshotListForm f(*r, nullptr);
        f.List->setCurrentRow(0);
        QCOMPARE(f.DateLabel->text().toStdString(), DvxDateTimeToText(46000.75));
    }
};

QTEST_MAIN(GraphPaneTest)
#include "graphpane_test.moc"
