// The table pane under the offscreen platform: columns and rows of the
// graph's visible window, "#" for values that do not fit, shaded state rows.
#include <QScrollBar>
#include <QtTest>

#include "app/table/tableframe.h"

using namespace vro;
using namespace vro::app;

namespace {

std::unique_ptr<TRecording> MakeRecording(int samples, bool states)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = 2;
    r->RecordCount = samples;
    r->HasStates = states;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    for (int c = 0; c < 2; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Channel " + std::to_string(c);
        ch.MeasureUnit = "bar";
        ch.Decimals = 1;
        for (int i = 0; i < samples; ++i)
            ch.Values[static_cast<std::size_t>(i)] = i * 10 + c;
    }
    if (states)
        for (int i = 0; i < samples; ++i)
            r->State->States[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i % 3 == 1 ? 0x8001 : 1);
    r->Time->ResetRange();
    return r;
}

} // namespace

class TableTest : public QObject {
    Q_OBJECT
private slots:
    void rowsFollowTheVisibleWindow()
    {
        auto r = MakeRecording(1000, false);
        r->Time->SetRange(500, 600);
        TTableFrame t;
        t.resize(500, 300);
        t.SetRecording(r.get());
        t.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t));
        QVERIFY(t.isVisible());
        QCOMPARE(t.VerticalScrollBar()->minimum(), 500);
        QCOMPARE(t.VerticalScrollBar()->maximum(), 600);
        QCOMPARE(t.VerticalScrollBar()->value(), 500);
        QCOMPARE(int(t.Sections().size()), 3);
        QCOMPARE(t.DisplayText(500, 1), QString::fromStdString(r->Channel(0).GetValueText(500)));
        QVERIFY(t.VerticalScrollBar()->pageStep() >= 1);
        t.SetRecording(nullptr);
        QVERIFY(!t.isVisible());
    }

    void tooWideValuesShowAsHashes()
    {
        auto r = MakeRecording(10, false);
        r->Channel(0).Values[3] = 123456789;
        TTableFrame t;
        t.resize(500, 300);
        t.SetRecording(r.get());
        t.SetSectionWidth(1, 0); // down to its minimum width
        const QString s = t.DisplayText(3, 1);
        QVERIFY(!s.isEmpty());
        QCOMPARE(s, QString(s.size(), QLatin1Char('#')));
    }

    void stateRowsWithBit15AreShaded()
    {
        auto r = MakeRecording(20, true);
        TTableFrame t;
        t.resize(500, 300);
        t.SetRecording(r.get());
        t.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t));
        QCOMPARE(int(t.Sections().size()), 4); // time, event, two channels
        const QImage img = t.Grid()->grab().toImage();
        const int h = t.RowHeight();
        // Row 1 is marked, row 0 is not; look at the middle of the value column.
        const int x = t.Sections()[0].Width + t.Sections()[1].Width + 3;
        QCOMPARE(img.pixelColor(x, h + h / 2), QColor(224, 224, 224));
        QCOMPARE(img.pixelColor(x, h / 2), QColor(248, 248, 248));
    }
};

QTEST_MAIN(TableTest)
#include "table_test.moc"
