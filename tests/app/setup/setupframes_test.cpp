// The setup detail editors and the start-recording page offscreen against
// the simulated recorder: captions in three languages, rows per type, mode
// and save option, the field look of a refusal, Cancel hidden after OK, the
// combination drawing's pixels and the state line of a running recording.
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/fieldcheck.h"
#include "app/setup/blockframes.h"
#include "app/setup/itemframes.h"
#include "app/setup/startrecordingframe.h"
#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"
#include "device/setup/vro8setup.h"
#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"
#include "support/simfarend.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <deque>
#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

// The device layer on the near end of a memory port pair, the simulated
// recorder on the far end, connected and identified.
struct TRig : test::TSimFarEnd {
    explicit TRig(int v = 3) : test::TSimFarEnd(Profile(v))
    {
        connector = std::make_unique<TDvxV24Connector>(pair.TakeA());
        connector->SetBaudrate(460800);
        connector->Open();
        device = std::make_unique<TVro8Device>(*connector);
        connected = Vro8Connect(*device).Connected;
        setup = std::make_unique<TVro8Setup>(*device);
    }
    ~TRig()
    {
        setup.reset();
        device.reset();
        StopRecorder();
        connector.reset();
    }
    static sim::TSimProfile Profile(int v)
    {
        sim::TSimProfile p;
        p.ComVersion = v;
        return p;
    }
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
    std::unique_ptr<TVro8Setup> setup;
    bool connected = false;
};

QStringList Items(QComboBox* b)
{
    QStringList out;
    for (int i = 0; i < b->count(); ++i)
        out << b->itemText(i);
    return out;
}

} // namespace

class SetupFramesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetNonInteractive(true);
        SetDvxFormatSettings(TDvxFormatSettings::Iso());
    }
    void init() { SelectLanguage(QStringLiteral("en")); }

    void captionsInThreeLanguages()
    {
        TRig r;
        QVERIFY(r.connected);
        for (const char* code : {"de", "en", "fr"}) {
            SelectLanguage(QString::fromLatin1(code));
            TVro8BaseSetupFrame base(*r.setup);
            QVERIFY(base.Open());
            QCOMPARE(base.objectName(), QStringLiteral("TVro8BaseSetupFrame"));
            QCOMPARE(base.Title()->text(), Txt(885));
            QCOMPARE(base.findChild<QLabel*>(QStringLiteral("x3xPressureUnitLabel"))->text(), Txt(888));
            auto* p = base.findChild<QComboBox*>(QStringLiteral("x6x9xPressureUnitComboBox"));
            QCOMPARE(Items(p), (QStringList{Txt(891), Txt(892), Txt(893), Txt(894)}));
            TVro8TriggerSetupFrame trig(*r.setup, true);
            QVERIFY(trig.Open());
            QCOMPARE(trig.Title()->text(), Txt(908));
            QVERIFY(trig.CancelLabel()->text().contains(Txt(910)));
            TVro8StartRecordingFrame start(*r.setup, {});
            QCOMPARE(start.Title()->text(), Txt(1174));
            QVERIFY(start.OkLabel()->text().contains(Txt(1175)));
            QCOMPARE(start.OkLabel()->objectName(), QStringLiteral("x1xOkLabel"));
        }
    }

    void recordingRowsAndTheRefusedName()
    {
        TRig r;
        TVro8RecordingSetupFrame f(*r.setup);
        f.resize(500, 400);
        f.show();
        QVERIFY(f.Open());
        auto* type = f.findChild<QComboBox*>(QStringLiteral("x25x27xRecordingTypeComboBox"));
        QCOMPARE(type->count(), 4); // layout 3 offers start-stop recording
        type->setCurrentIndex(2);
        QVERIFY(!f.RowShown(QStringLiteral("x7x24xSampleRateComboBox")));
        type->setCurrentIndex(1);
        QVERIFY(f.RowShown(QStringLiteral("x50x60xTriggerPositionComboBox")));
        QVERIFY(!f.RowShown(QStringLiteral("x44x45xSimpleCurveModeComboBox")));
        type->setCurrentIndex(0);
        QVERIFY(f.RowShown(QStringLiteral("x44x45xSimpleCurveModeComboBox")));
        auto* name = f.findChild<QLineEdit*>(QStringLiteral("RecordingNameEdit"));
        name->setText(QStringLiteral("   "));
        QTest::mouseClick(f.OkLabel(), Qt::LeftButton);
        QVERIFY(f.isVisible());
        QVERIFY(IsFieldMarkedFailing(name));
        QCOMPARE(name->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xA0));
        name->setText(QStringLiteral("Pump 3"));
        QTest::mouseClick(f.OkLabel(), Qt::LeftButton);
        QVERIFY(!f.isVisible());
        TVro8Setup check(*r.device);
        check.ReadBlock(EVro8Block::Recording);
        QCOMPARE(QString::fromStdString(check.RecordingSetup().RecordingName()), QStringLiteral("Pump 3"));
    }

    void sensorRowsPerModeAndCancelHiddenAfterOk()
    {
        TRig r;
        TVro8SensorSetupFrame f(*r.setup, true);
        f.resize(600, 600);
        f.show();
        QVERIFY(f.Open());
        QVERIFY(f.RefreshTimer().isActive());
        QVERIFY(f.CancelLabel()->isHidden());
        QVERIFY(f.findChild<QCheckBox*>(QStringLiteral("ChannelBSub1CheckBox")));
        QVERIFY(f.OpenSettings(1));
        QVERIFY(!f.CancelLabel()->isHidden());
        auto* mode = f.findChild<QComboBox*>(QStringLiteral("ModusComboBox"));
        QCOMPARE(mode->count(), 5);
        mode->setCurrentIndex(4);
        QVERIFY(f.RowShown(QStringLiteral("VolEdit")));
        QVERIFY(f.RowShown(QStringLiteral("PressureEdit")));
        QVERIFY(!f.RowShown(QStringLiteral("LoRangeEdit")));
        mode->setCurrentIndex(1);
        QVERIFY(f.RowShown(QStringLiteral("LoRangeEdit")));
        QVERIFY(!f.RowShown(QStringLiteral("VolEdit")));
        auto* hi = f.findChild<QLineEdit*>(QStringLiteral("HiRangeEdit"));
        hi->setText(QStringLiteral("99999"));
        QTest::mouseClick(f.OkLabel(), Qt::LeftButton);
        QVERIFY(IsFieldMarkedFailing(hi));
        QVERIFY(f.CancelLabel()->isHidden());
        QVERIFY(f.Editor().InSettings());
        hi->setText(QStringLiteral("100"));
        QTest::mouseClick(f.OkLabel(), Qt::LeftButton);
        QVERIFY(!f.Editor().InSettings());
        QVERIFY(f.ListPanel()->isVisible());
    }

    void triggerDrawingPixels()
    {
        TRig r;
        TVro8TriggerSetupFrame f(*r.setup, true);
        f.resize(500, 500);
        f.show();
        QVERIFY(f.Open());
        auto* comb = f.findChild<QComboBox*>(QStringLiteral("x7x11xCommonTriggerComboBox"));
        comb->setCurrentIndex(2); // "1 and 2 and 3"
        const QImage img = f.Drawing()->grab().toImage();
        auto at = [&img](int x, int y) { return QColor(img.pixel(x, y)); };
        QCOMPARE(at(120, 50), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(at(100, 50), QColor(Qt::black)); // the bracket
        QCOMPARE(at(30, 40), QColor(Qt::black));  // the box's left side
        QCOMPARE(at(40, 15), QColor(Qt::black));  // its top at y = 15
        QCOMPARE(at(40, 76), QColor(Qt::black));  // its bottom at 15 + 62 - 1
        QCOMPARE(at(40, 80), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(at(80, 46), QColor(Qt::black));        // the output line
        QCOMPARE(at(80, 90), QColor(Qt::black));        // event 4 straight to the bracket
        QCOMPARE(at(80, 20), QColor(0xE0, 0xE0, 0xE0)); // event 1 ends at the box
    }

    void startPageControlsAndStateLine()
    {
        TRig r;
        std::deque<std::int32_t> states;
        TVro8StartServices s;
        s.GetRecorderState = [&states] {
            const std::int32_t v = states.empty() ? 0 : states.front();
            if (!states.empty())
                states.pop_front();
            return v;
        };
        s.StartRemote = [](bool) { return true; };
        s.NowMs = [] { return std::int64_t{0}; };
        TVro8StartChoices choices;
        TVro8StartRecordingFrame f(*r.setup, s, nullptr, choices);
        f.resize(600, 500);
        f.show();
        QVERIFY(f.Open());
        // "Save to PC" without the real-time frame cannot start.
        QVERIFY(!f.OkLabel()->isEnabled());
        QVERIFY(f.RowShown(QStringLiteral("CommentMemo")));
        QVERIFY(!f.RowShown(QStringLiteral("NameEdit")));
        auto* save = f.findChild<QComboBox*>(QStringLiteral("x47x48xSaveRecordingDataComboBox"));
        auto* type = f.findChild<QComboBox*>(QStringLiteral("x60x63xRecordingTypeComboBox"));
        auto* rate = f.findChild<QComboBox*>(QStringLiteral("SampleRateComboBox"));
        QCOMPARE(type->count(), 3);
        QCOMPARE(rate->count(), 11);
        QCOMPARE(rate->currentText(), QStringLiteral("100 ms"));
        save->setCurrentIndex(1);
        QVERIFY(f.OkLabel()->isEnabled());
        QCOMPARE(type->count(), 4);
        QCOMPARE(rate->count(), 18);
        QCOMPARE(rate->currentText(), QStringLiteral("10 ms"));
        QVERIFY(f.RowShown(QStringLiteral("NameEdit")));
        type->setCurrentIndex(3);
        QVERIFY(f.RowShown(QStringLiteral("StartTriggerLabel")));
        QVERIFY(f.RowShown(QStringLiteral("x44x45xAutomaticModeComboBox")));
        QVERIFY(!f.RowShown(QStringLiteral("TriggerSettingsLabel")));
        type->setCurrentIndex(2);
        QVERIFY(f.RowShown(QStringLiteral("TriggerSettingsLabel")));
        QVERIFY(f.RowShown(QStringLiteral("x44x45xAutomaticModeComboBox")));
        QVERIFY(!f.RowShown(QStringLiteral("SampleRateComboBox")));
        // Back on the PC: type 3 is gone, event log without automatic measurement.
        save->setCurrentIndex(0);
        QCOMPARE(type->currentIndex(), 2);
        QVERIFY(!f.RowShown(QStringLiteral("x44x45xAutomaticModeComboBox")));
        // A recording watched: the choices hide, the state line animates.
        f.Page().Watch();
        f.PeriodicUpdate();
        QVERIFY(f.StateLine()->isVisible());
        QCOMPARE(f.StateLine()->text(), Txt(1282).prepend(QStringLiteral(". ")).append(QStringLiteral(" .")));
        f.PeriodicUpdate();
        QCOMPARE(f.StateLine()->text(), Txt(1282).prepend(QStringLiteral(".. ")).append(QStringLiteral(" ..")));
        states = {3};
        f.PeriodicUpdate();
        QVERIFY(!f.StateLine()->isVisible());
        QVERIFY(f.OkLabel()->isVisible());
    }
};

QTEST_MAIN(SetupFramesTest)
#include "setupframes_test.moc"
