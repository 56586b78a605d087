// The channel dialogs of the Edit menu, driven as a user would: typing,
// clicking the button labels, moving the slider and the scroll bar.
#include "app/calc/channelforms.h"
#include "app/look/buttonlabel.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace vro;
using namespace vro::app;

namespace {
std::unique_ptr<TRecording> MakeRecording(int channels, int samples)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Sensor " + std::to_string(c + 1);
        ch.Decimals = 1;
        for (int i = 0; i < samples; ++i)
            ch.Values[static_cast<std::size_t>(i)] = (c + 1) * 10 * (i + 1);
    }
    r->Time->ResetRange();
    r->Saved = true;
    return r;
}

void Click(TButtonLabel* label) { QTest::mouseClick(label, Qt::LeftButton); }

// Closes every message dialog that a step opens, and counts them.
int gMessages = 0;
void CloseMessagesSoon()
{
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("vro::app::TDvxMessageForm")) {
                ++gMessages;
                w->close();
            }
        CloseMessagesSoon();
    });
}
} // namespace

class ChannelFormsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SelectTextLanguage("en");
        CloseMessagesSoon();
    }

    void calculatedChannelIsKeptOnOk()
    {
        auto r = MakeRecording(2, 20);
        TCalcChannelForm form(*r);
        form.show();
        QCOMPARE(form.windowTitle(), QString::fromStdString(text(394)));
        QVERIFY(!form.OkLabel()->isVisible());
        QTest::keyClicks(form.FormulaEdit(), "(S1 + s2) / 2");
        QTest::keyClicks(form.UnitEdit(), "bar");
        Click(form.CalculateLabel());
        QCOMPARE(r->ChannelCount, 3);
        QVERIFY(form.OkLabel()->isVisible());
        QVERIFY(form.StatusLine()->text().startsWith(QString::fromStdString(text(405))));
        QCOMPARE(form.DecimalsBox()->currentIndex(), 3); // results 1.5 .. 30
        // Editing the formula hides OK until the next calculation.
        QTest::keyClick(form.FormulaEdit(), Qt::Key_Backspace);
        QVERIFY(!form.OkLabel()->isVisible());
        QTest::keyClicks(form.FormulaEdit(), "2");
        QTest::keyClick(&form, Qt::Key_Return); // Enter calculates while OK is hidden
        QVERIFY(form.OkLabel()->isVisible());
        Click(form.OkLabel());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(r->ChannelCount, 3);
        QVERIFY(!r->Saved);
        QCOMPARE(QString::fromStdString(r->Channel(2).MeasureUnit), QStringLiteral("bar"));
    }

    void cancelRemovesTheChannelAndErrorsKeepOkHidden()
    {
        auto r = MakeRecording(1, 10);
        TCalcChannelForm form(*r);
        form.show();
        form.FormulaEdit()->setText(QString());
        gMessages = 0;
        form.Calculate();
        QCOMPARE(form.StatusLine()->text(), QString::fromStdString(text(402)));
        form.FormulaEdit()->setText("s1+");
        form.Calculate();
        QCOMPARE(form.StatusLine()->text(), QString::fromStdString(text(411)));
        QVERIFY(!form.OkLabel()->isVisible());
        QTRY_COMPARE(gMessages, 2);
        QCOMPARE(r->ChannelCount, 2); // created by the first real calculation
        QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(r->ChannelCount, 1);
    }

    void helpListsTheChannels()
    {
        auto r = MakeRecording(2, 5);
        TCalcChannelForm form(*r);
        const QString help = form.HelpText()->toPlainText();
        QVERIFY(help.contains(QStringLiteral("  S1  ") + QString::fromStdString(r->Channel(0).GetLongName())));
        QVERIFY(help.contains(QStringLiteral("  S2  ")));
    }

    void filterSliderRecomputesAndCancelRemoves()
    {
        auto r = MakeRecording(2, 100);
        int changes = 0;
        {
            TFilterChannelForm form(*r);
            form.changed = [&] { ++changes; };
            QCOMPARE(r->ChannelCount, 3); // created at once
            form.ChannelBox()->setCurrentIndex(1);
            form.FilterTB()->setValue(13); // width 14
            QVERIFY(changes >= 2);
            QCOMPARE(r->Channel(2).Values[50], 1030); // mean of samples 44..57: 20 * (50.5 + 1)
            form.reject();
        }
        QCOMPARE(r->ChannelCount, 2);
        TFilterChannelForm keep(*r);
        keep.accept();
        QCOMPARE(r->ChannelCount, 3);
    }

    void timeShiftFollowsTheScrollBar()
    {
        auto r = MakeRecording(2, 1000);
        TTimeShiftForm form(*r, {0, 1}, 500);
        form.ChannelBox()->setCurrentIndex(1);
        form.ShiftBar()->setValue(5);
        QCOMPARE(r->Channel(1).TimeShift, 5);
        QVERIFY(!r->Saved);
        QCOMPARE(form.ShiftBar()->singleStep(), 1);
        QVERIFY(form.OffsetLabel()->text().endsWith(QString::fromStdString(r->Time->TimeUnit)));
        form.ChannelBox()->setCurrentIndex(0);
        QCOMPARE(form.ShiftBar()->value(), 0);
        form.ShiftBar()->setValue(-3);
        form.DeleteAllShifts();
        QCOMPARE(r->Channel(0).TimeShift, 0);
        QCOMPARE(r->Channel(1).TimeShift, 0);
        // A hidden graph (width 0) does not divide by zero.
        TTimeShiftForm hidden(*r, {0}, 0);
        QCOMPARE(hidden.ShiftBar()->singleStep(), 999);
    }

    void deleteKeepsOneChannel()
    {
        auto r = MakeRecording(3, 5);
        r->Channel(0).Visible = false;
        TDeleteChannelForm form(*r);
        for (int i = 0; i < form.ChannelList()->count(); ++i)
            form.ChannelList()->item(i)->setCheckState(Qt::Checked);
        const QStringList kept = form.DeleteChecked();
        QCOMPARE(kept, QStringList{QString::fromStdString(r->Channel(0).GetName())});
        QCOMPARE(r->ChannelCount, 1);
        QVERIFY(r->Channel(0).Visible);
    }
};

QTEST_MAIN(ChannelFormsTest)
#include "channelforms_test.moc"
