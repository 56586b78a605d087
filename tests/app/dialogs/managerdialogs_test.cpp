// The dialogs of the recording manager, the text import and the file-name
// templates: their buttons, keys and return values over the core's logic.
#include "app/dialogs/checkfilesaveform.h"
#include "app/dialogs/filenameinputform.h"
#include "app/dialogs/referenzform.h"
#include "app/dialogs/textfilesettingsform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/main/documents.h"
#include "support/app_support.h"
#include "core/config/applicationconfig.h"
#include "core/values/dvxdatetime.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace vro::app;
using namespace vro::apptest;

class ManagerDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SelectLanguage(QStringLiteral("en")); }

    void checkFileSaveAnswersAndMarks()
    {
        const std::vector<std::string> names{"a.vxrf", "Recording1"};
        {
            TCheckFileSaveForm form(names);
            QCOMPARE(form.findChild<QLabel*>(QStringLiteral("x0xTopLabel"))->text(), Txt(144));
            QCOMPARE(form.findChild<QLabel*>(QStringLiteral("x2xCloseWithoutSavingLabel"))->text().trimmed(), Txt(146));
            QCOMPARE(form.Checked(), (std::vector<bool>{true, true}));
        }
        std::vector<bool> checked;
        AnswerNextModal([](QWidget* w) {
            auto* form = qobject_cast<TCheckFileSaveForm*>(w);
            form->List()->item(0)->setCheckState(Qt::Unchecked);
            QTest::keyClick(w, Qt::Key_Return);
        });
        QCOMPARE(TCheckFileSaveForm::Run(names, checked), vro::TCheckSaveAnswer::SaveAndClose);
        QCOMPARE(checked, (std::vector<bool>{false, true}));
        AnswerNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(TCheckFileSaveForm::Run(names, checked), vro::TCheckSaveAnswer::Cancel);
        ClickInNextModal(QStringLiteral("x2xCloseWithoutSavingLabel"));
        QCOMPARE(TCheckFileSaveForm::Run(names, checked), vro::TCheckSaveAnswer::CloseWithoutSaving);
        ClickInNextModal(QStringLiteral("CancelLabel"));
        QCOMPARE(TCheckFileSaveForm::Run(names, checked), vro::TCheckSaveAnswer::Cancel);
    }

    void textFileSettingsStartAsAnalysedAndCheckTheInterval()
    {
        vro::textimport::TTextImportSettings analysed;
        analysed.Delimiter = ',';
        analysed.HasTimeColumn = true;
        analysed.NoTimeReference = false;
        analysed.PreviewLines = {"t,a,b", "0,1,2", "1,3,4"};
        const auto start = vro::textimport::TTextFileSettings::FromAnalysis(analysed);
        TTextFileSettingsForm form(start, analysed);
        QVERIFY(form.findChild<QRadioButton*>(QStringLiteral("x3xCommaRadioButton"))->isChecked());
        QCOMPARE(form.findChild<QRadioButton*>(QStringLiteral("x3xCommaRadioButton"))->text(), Txt(704));
        QCOMPARE(form.PreviewGrid()->rowCount(), 3);
        QCOMPARE(form.PreviewGrid()->columnCount(), 3);
        QCOMPARE(form.PreviewGrid()->item(2, 2)->text(), QStringLiteral("4"));
        QVERIFY(form.HelpLabel()->text().startsWith(Txt(714)));
        // Semicolon: each line is one cell.
        form.findChild<QRadioButton*>(QStringLiteral("x4xSemicolonRadioButton"))->setChecked(true);
        QCOMPARE(form.PreviewGrid()->columnCount(), 1);

        // "Add time" with an interval that is no number: text 719, stays open.
        form.show();
        form.findChild<QRadioButton*>(QStringLiteral("x9xAddTimeRadioButton"))->setChecked(true);
        form.IntervalEdit()->setText(QStringLiteral("abc"));
        QString shown;
        AnswerNextModal([&](QWidget* w) {
            shown = w->findChild<QLabel*>(QStringLiteral("MessageLabel"))->text();
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        QVERIFY(!form.TryAccept());
        QCOMPARE(shown, Txt(719));
        QVERIFY(form.isVisible());
        form.IntervalEdit()->setText(QStringLiteral("0.5"));
        QVERIFY(form.TryAccept());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Choice().Interval(), 0.5);

        auto choice = start;
        ClickInNextModal(QStringLiteral("CancelLabel"));
        QVERIFY(!TTextFileSettingsForm::Run(choice, analysed));
        AnswerNextModal([](QWidget* w) {
            w->findChild<QRadioButton*>(QStringLiteral("x2xTabRadioButton"))->setChecked(true);
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        QVERIFY(TTextFileSettingsForm::Run(choice, analysed));
        QCOMPARE(choice.Separation, vro::textimport::TColumnSeparation::Tab);
    }

    void filenameInputPresetsFreeInputAndResult()
    {
        const double when = *vro::EncodeDvxDateTime({2024, 3, 5, 14, 30, 5, 0});
        TFilenameInputForm form("Pump", 7, when);
        QCOMPARE(form.PresetBox()->count(), 5);
        QCOMPARE(form.PresetBox()->itemText(0), Txt(1302));
        QCOMPARE(form.PreviewLabel()->text(), QStringLiteral("Pump_7_2024-03-5_143005"));
        QVERIFY(form.FreeInputGroup()->isHidden());
        form.PresetBox()->setCurrentIndex(1);
        form.DigitBox()->setCurrentIndex(2); // three digits
        QCOMPARE(form.PreviewLabel()->text(), QStringLiteral("007_Pump_2024-03-5_143005"));
        form.PresetBox()->setCurrentIndex(4); // free input
        QVERIFY(!form.FreeInputGroup()->isHidden());
        form.show();
        QVERIFY(ClickChild(&form, QStringLiteral("x11xClearLabel")));
        QCOMPARE(form.TemplateEdit()->text(), QString());
        QVERIFY(ClickChild(&form, QStringLiteral("x17xNameLabel")));
        QVERIFY(ClickChild(&form, QStringLiteral("x14xDateLabel")));
        QCOMPARE(form.PreviewLabel()->text(), QStringLiteral("Pump_2024-03-5"));
        QTest::keyClicks(form.TemplateEdit(), QStringLiteral("_x"));
        QCOMPARE(form.PreviewLabel()->text(), QStringLiteral("Pump_2024-03-5_x"));

        std::string result = "old";
        ClickInNextModal(QStringLiteral("OkLabel"));
        QCOMPARE(TFilenameInputForm::Run(result, "SomeName", 2, when), 0);
        QCOMPARE(result, std::string("%n_%#:1_%YYYY:2-%MM:2-%DD_%hh:2%mm:2%ss:2"));
        ClickInNextModal(QStringLiteral("CancelLabel"));
        QCOMPARE(TFilenameInputForm::Run(result, "SomeName", 2, when), 1);
        QCOMPARE(result, std::string());
        AnswerNextModal([](QWidget* w) {
            auto* f = qobject_cast<TFilenameInputForm*>(w);
            f->PresetBox()->setCurrentIndex(4);
            ClickChild(w, QStringLiteral("x11xClearLabel"));
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        QCOMPARE(TFilenameInputForm::Run(result, "SomeName", 2, when), 2);
    }

    void referenceDialogLinksAndStore()
    {
        vro::TApplicationConfig config(TempConfigFile().toStdString());
        TQtManagerUi ui;
        vro::TRecordingManager manager(config.List(), ui);
        {
            TReferenzForm form(manager, config.List());
            QCOMPARE(form.OptionList()->count(), 10);
            QCOMPARE(form.OptionList()->item(0)->text(), Txt(637));
            QVERIFY(!(form.OptionList()->item(0)->flags() & Qt::ItemIsUserCheckable));
            QVERIFY(form.OptionList()->item(1)->flags() & Qt::ItemIsUserCheckable);
            QVERIFY(!form.MakeReferenceLabel()->isEnabled());
            QVERIFY(!form.ApplyCurrentLabel()->isEnabled());
            QVERIFY(!form.ApplyAllLabel()->isEnabled());
            QCOMPARE(form.FileNameLabel()->text(), QStringLiteral("---"));
        }
        const QString file = SampleRecording(QStringLiteral("ref.vxrf"));
        QVERIFY(manager.OpenFile(file.toStdString()));
        TReferenzForm form(manager, config.List());
        form.show();
        QVERIFY(form.MakeReferenceLabel()->isEnabled());
        QVERIFY(ClickChild(&form, QStringLiteral("x2xMakeReferenceLabel")));
        QVERIFY(form.FileNameLabel()->text().endsWith(QStringLiteral("ref.vxrf")));
        QVERIFY(!form.MakeReferenceLabel()->isEnabled());       // it is the reference now
        form.OptionList()->item(2)->setCheckState(Qt::Checked); // axis settings
        form.OpeningCheckBox()->setChecked(true);
        form.Ok();
        QVERIFY(config.List().ReadBool("ReferenceSettings", "AxisSettings", false));
        QVERIFY(!config.List().ReadBool("ReferenceSettings", "TimeSettings", true));
        QVERIFY(config.List().ReadBool("ReferenceSettings", "UseReferenceWhileOpening", false));
        QVERIFY(QString::fromStdString(config.List().ReadString("ReferenceSettings", "Filename", ""))
                    .endsWith(QStringLiteral("ref.vxrf")));
    }
};

QTEST_MAIN(ManagerDialogsTest)
#include "managerdialogs_test.moc"
