// The program's message dialog, prompt, progress window, clickable labels,
// field checks and the caption rule on Qt widgets.
#include "app/dialogs/messagedialog.h"
#include "app/dialogs/progressform.h"
#include "app/dialogs/promptbox.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/fieldcheck.h"
#include "app/look/windowlayout.h"
#include "support/app_support.h"
#include "core/text/texts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace vro::app;
using vro::apptest::AnswerNextModal;
using vro::apptest::ClickInNextModal;

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SelectLanguage(QStringLiteral("en")); }

    void messageBoxFlagsMapToButtonsAndIcons()
    {
        QCOMPARE(MessageBoxButtons(MB_OK), unsigned(mbOK));
        QCOMPARE(MessageBoxButtons(MB_OKCANCEL), unsigned(mbOK | mbCancel));
        QCOMPARE(MessageBoxButtons(MB_ABORTRETRYIGNORE), unsigned(mbAbort | mbRetry | mbIgnore));
        QCOMPARE(MessageBoxButtons(MB_YESNOCANCEL | MB_ICONQUESTION), unsigned(mbYes | mbNo | mbCancel));
        QCOMPARE(MessageBoxButtons(MB_YESNO | MB_ICONWARNING), unsigned(mbYes | mbNo));
        QCOMPARE(MessageBoxButtons(MB_RETRYCANCEL), unsigned(mbRetry | mbCancel));
        QCOMPARE(MessageBoxButtons(9), unsigned(mbOK));
        QCOMPARE(MessageBoxIcon(MB_ICONERROR), miError);
        QCOMPARE(MessageBoxIcon(MB_ICONQUESTION), miQuestion);
        QCOMPARE(MessageBoxIcon(MB_ICONWARNING), miWarning);
        QCOMPARE(MessageBoxIcon(MB_ICONINFORMATION), miInformation);
        QCOMPARE(MessageBoxIcon(0x50), miNone);
    }

    void yesNoIgnoresEscapeAndAnswersByClick()
    {
        // flags 52: Yes + No with a warning icon; Escape must not close it.
        int escapeResult = -1;
        AnswerNextModal([&](QWidget* w) {
            auto* form = qobject_cast<TDvxMessageForm*>(w);
            QVERIFY(form);
            QVERIFY(form->Button(QStringLiteral("YesLabel")));
            QVERIFY(form->Button(QStringLiteral("NoLabel")));
            QVERIFY(!form->Button(QStringLiteral("CancelLabel")));
            QCOMPARE(form->Button(QStringLiteral("YesLabel"))->text(), QStringLiteral("  Yes  "));
            QTest::keyClick(form, Qt::Key_Escape);
            escapeResult = form->isVisible() ? 0 : 1;
            vro::apptest::ClickChild(form, QStringLiteral("NoLabel"));
        });
        QCOMPARE(MessageBox(QStringLiteral("Question?"), QStringLiteral("Heading"), 52), int(mrNo));
        QCOMPARE(escapeResult, 0);
        ClickInNextModal(QStringLiteral("YesLabel"));
        QCOMPARE(MessageBox(QStringLiteral("Question?"), {}, 52), int(mrYes));
    }

    void yesNoCancelEscapeIsCancel()
    {
        AnswerNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(MessageBox(QStringLiteral("Save?"), {}, 35), int(mrCancel));
    }

    void emptyMaskShowsOnlyOkAndEnterPressesIt()
    {
        QStringList shown;
        AnswerNextModal([&](QWidget* w) {
            for (auto* l : w->findChildren<TButtonLabel*>())
                if (!l->isHidden())
                    shown << l->objectName();
            QTest::keyClick(w, Qt::Key_Return);
        });
        QCOMPARE(ShowMessageDialog(QStringLiteral("H"), QStringLiteral("T"), miInformation, {}, 0), int(mrOk));
        QCOMPARE(shown, QStringList{QStringLiteral("OkLabel")});
    }

    void everyButtonGivesItsResult()
    {
        const struct {
            unsigned bit;
            const char* name;
            int result;
        } all[] = {
            {mbYes, "YesLabel", mrYes},
            {mbNo, "NoLabel", mrNo},
            {mbOK, "OkLabel", mrOk},
            {mbCancel, "CancelLabel", mrCancel},
            {mbAbort, "AbortLabel", mrAbort},
            {mbRetry, "RetryLabel", mrRetry},
            {mbIgnore, "IgnoreLabel", mrIgnore},
            {mbAll, "AllLabel", mrAll},
            {mbNoToAll, "NoToAllLabel", mrNoToAll},
            {mbYesToAll, "YesToAllLabel", mrYesToAll},
        };
        for (const auto& b : all) {
            ClickInNextModal(QString::fromLatin1(b.name));
            QCOMPARE(ShowMessageDialog({}, QStringLiteral("T"), miNone, {}, 0x3FF), b.result);
        }
    }

    void headingHidesTopPanelWhenEmptyAndListShows()
    {
        TDvxMessageForm with(QStringLiteral("Heading"), QStringLiteral("Text"), miError, {}, mbOK);
        TDvxMessageForm without(QString(), QStringLiteral("Text"), miError, {}, mbOK);
        QVERIFY(with.IsTopPanelVisible());
        QVERIFY(!without.IsTopPanelVisible());
        QVERIFY(without.sizeHint().height() < with.sizeHint().height());
        QVERIFY(with.width() >= 300 && with.height() >= 150);
        TDvxMessageForm list(QString(), QStringLiteral("Text"), miNone, {QStringLiteral("a.vxrf")}, mbOK);
        QVERIFY(list.findChild<QWidget*>(QStringLiteral("ListBox1")));
        QVERIFY(list.findChild<QLabel*>(QStringLiteral("Image"))->isHidden());
    }

    void nonInteractiveRunsAnswerWithoutAWindow()
    {
        QCOMPARE(NonInteractiveAnswer(mbYes | mbNo), int(mrNo));
        QCOMPARE(NonInteractiveAnswer(mbYes | mbNo | mbCancel), int(mrCancel));
        QCOMPARE(NonInteractiveAnswer(mbOK | mbCancel), int(mrOk));
        QCOMPARE(NonInteractiveAnswer(0), int(mrOk));
        QCOMPARE(NonInteractiveAnswer(mbAbort | mbRetry | mbIgnore), int(mrAbort));
        SetNonInteractive(true);
        QCOMPARE(MessageBox(QStringLiteral("File x can't be opened."), {}, MB_YESNO), int(mrNo));
        QVERIFY(!QApplication::activeModalWidget());
        SetNonInteractive(false);
    }

    void timeoutClosesWithItsResult()
    {
        QCOMPARE(ShowMessageDialog({}, QStringLiteral("T"), miNone, {}, mbOK | mbCancel, -1, -1, mrIgnore, 30),
                 int(mrIgnore));
    }

    void placementStaysInsideTheScreen()
    {
        TDvxMessageForm form({}, QStringLiteral("T"), miNone, {}, mbOK);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        form.PlaceAt(area.right() + 500, area.bottom() + 500);
        QVERIFY(area.contains(form.geometry().topLeft()));
        QCOMPARE(form.x() + form.width(), area.left() + area.width());
    }

    void germanCaptionsFollowTheLibraryLanguage()
    {
        SelectLanguage(QStringLiteral("de"));
        TDvxMessageForm form({}, QStringLiteral("T"), miNone, {}, mbOK | mbCancel);
        QCOMPARE(form.Button(QStringLiteral("OkLabel"))->text(), QStringLiteral("  Ok  "));
        QCOMPARE(form.Button(QStringLiteral("CancelLabel"))->text(), QStringLiteral("  Abbrechen  "));
        SelectLanguage(QStringLiteral("fr"));
        TDvxMessageForm fr({}, QStringLiteral("T"), miNone, {}, mbYes);
        QCOMPARE(fr.Button(QStringLiteral("YesLabel"))->text(), QStringLiteral("  Oui  "));
    }

    void promptReturnsTheEditOrKeepsTheValue()
    {
        QString value = QStringLiteral("old");
        AnswerNextModal([](QWidget* w) {
            auto* box = qobject_cast<TDvxPromptBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("VROWIN"));
            box->Edit()->setText(QStringLiteral("new"));
            QTest::keyClick(box->Edit(), Qt::Key_Return);
        });
        QVERIFY(Prompt({}, QStringLiteral("H"), QStringLiteral("Name"), false, value));
        QCOMPARE(value, QStringLiteral("new"));

        AnswerNextModal([](QWidget* w) {
            auto* box = qobject_cast<TDvxPromptBox*>(w);
            QCOMPARE(box->windowTitle(), QStringLiteral("Caption"));
            QCOMPARE(box->Edit()->echoMode(), QLineEdit::Password);
            box->Edit()->setText(QStringLiteral("typed"));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QVERIFY(!Prompt(QStringLiteral("Caption"), {}, QStringLiteral("Password"), true, value));
        QCOMPARE(value, QStringLiteral("new"));

        ClickInNextModal(QStringLiteral("OkLabel"));
        QVERIFY(Prompt({}, {}, QStringLiteral("Name"), false, value));
    }

    void progressBarPositionIsBoundedAndSafe()
    {
        QCOMPARE(ProgressBarPosition(0, 4), 250);
        QCOMPARE(ProgressBarPosition(3, 4), 1000);
        QCOMPARE(ProgressBarPosition(1, 4), 500);
        QCOMPARE(ProgressBarPosition(0, 0), 0); // empty folder: no division by zero
        QCOMPARE(ProgressBarPosition(5, -1), 0);
        QCOMPARE(ProgressBarPosition(9, 4), 1000); // past the end stays full
        QCOMPARE(ProgressBarPosition(-7, 4), 0);
        QCOMPARE(ProgressBarPosition(0, 3), 333);
        QCOMPARE(ProgressBarPosition(0, 8), 125);
        QCOMPARE(ProgressBarPosition(LLONG_MAX / 2, 1), 1000);
    }

    void progressAbortRunsOnceByLabelEscapeOrClose()
    {
        TDvxProgressForm form;
        int aborted = 0;
        form.SetAbortHandler([&] { ++aborted; });
        form.Begin(QStringLiteral("Export"), true, true);
        QVERIFY(form.isVisible() && form.IsRunning());
        form.SetTotal(0, 4, QStringLiteral("file 1"));
        form.SetCurrent(1, 2, QStringLiteral("part"));
        QCOMPARE(form.TotalPosition(), 250);
        QCOMPARE(form.CurrentPosition(), 1000);
        QVERIFY(vro::apptest::ClickChild(&form, QStringLiteral("AbortLabel")));
        QCOMPARE(aborted, 1);
        QVERIFY(!form.IsRunning());
        QVERIFY(form.AbortLabel()->isHidden());
        QCOMPARE(form.TotalText(), QString::fromUtf8(vro::LibraryTexts().AbortedText));
        form.SetTotal(1, 4, QStringLiteral("file 2")); // the aborted line stays
        QCOMPARE(form.TotalText(), QString::fromUtf8(vro::LibraryTexts().AbortedText));
        form.SetAborting();
        QCOMPARE(aborted, 1);

        form.Begin(QStringLiteral("Again"), false, true);
        QVERIFY(form.findChild<QWidget*>(QStringLiteral("CurrentProgressBar"))->isHidden());
        QCOMPARE(form.TotalPosition(), 0);
        QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(aborted, 2);
        QVERIFY(form.isVisible()); // Escape aborts but does not close

        form.Begin(QStringLiteral("Close"), false, true);
        form.close();
        QCOMPARE(aborted, 3);
        QVERIFY(form.isVisible()); // closing a running window is refused
        form.close();
        QVERIFY(!form.isVisible()); // not running any more: closes and hides

        form.Begin(QStringLiteral("No abort"), false, false);
        QTest::keyClick(&form, Qt::Key_Escape);
        QCOMPARE(aborted, 3);
        QVERIFY(form.IsRunning());
        form.Finish();
        QVERIFY(!form.isVisible());
    }

    void buttonLabelLooksAndHeldFlag()
    {
        QWidget parent;
        parent.setAutoFillBackground(true);
        TButtonLabel label(QStringLiteral("SomeLabel"), &parent);
        label.setText(QStringLiteral("&Start "));
        StyleButtonLabel(&label);
        QCOMPARE(label.text(), QStringLiteral("  Start  "));
        QCOMPARE(label.palette().color(QPalette::WindowText), ButtonLabelTextColor());
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QSignalSpy clicked(&label, &TButtonLabel::clicked);
        parent.show();
        QTest::mousePress(&label, Qt::LeftButton, {}, label.rect().center());
        QVERIFY(IsButtonLabelHeld());
        QCOMPARE(label.palette().color(QPalette::Window), ButtonLabelPressedColor());
        QTest::mouseRelease(&label, Qt::LeftButton, {}, label.rect().center());
        QVERIFY(!IsButtonLabelHeld());
        QCOMPARE(clicked.count(), 1);
        // Released outside: no click.
        QTest::mousePress(&label, Qt::LeftButton, {}, label.rect().center());
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(clicked.count(), 1);
        // Disabled: no click, no held flag.
        label.setEnabled(false);
        QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!IsButtonLabelHeld());
        UnstyleLabel(&label);
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(!label.IsStyled());
    }

    void failingFieldTurnsYellowAndCorrectedTurnsWhite()
    {
        QWidget w;
        auto* edit = new QLineEdit(&w);
        w.show();
        QString shown;
        AnswerNextModal([&](QWidget* m) {
            shown = m->findChild<QLabel*>(QStringLiteral("MessageLabel"))->text();
            vro::apptest::ClickChild(m, QStringLiteral("OkLabel"));
        });
        edit->setText(QStringLiteral("abc"));
        QVERIFY(!CheckFixField(edit, 0, 0, 100));
        QVERIFY(IsFieldMarkedFailing(edit));
        QCOMPARE(edit->palette().color(QPalette::Base), FailingFieldColor());
        QVERIFY(!shown.isEmpty());
        edit->setText(QStringLiteral(" 42 "));
        QVERIFY(CheckFixField(edit, 0, 0, 100));
        QCOMPARE(edit->palette().color(QPalette::Base), ValidFieldColor());
        QCOMPARE(edit->text(), QStringLiteral("42"));
        QVERIFY(CheckField(edit, QString()));

        ClickInNextModal(QStringLiteral("OkLabel"));
        edit->setText(QStringLiteral("toolong"));
        QVERIFY(!CheckTextField(edit, 3));

        edit->setText(QStringLiteral("2,5"));
        QVERIFY(CheckFloatField(edit, 0, 10));
        AnswerNextModal([&](QWidget* m) {
            shown = m->findChild<QLabel*>(QStringLiteral("MessageLabel"))->text();
            vro::apptest::ClickChild(m, QStringLiteral("OkLabel"));
        });
        edit->setText(QStringLiteral("12.5"));
        QVERIFY(!CheckFloatField(edit, 0, 10));
        QVERIFY(shown.contains(QStringLiteral("10")));
        QVERIFY(IsFieldMarkedFailing(edit));
    }

    void formLookupBringsTheFirstMatchToTheFront()
    {
        QVERIFY(!BringFormToFront<TDvxProgressForm>());
        TDvxProgressForm a, b;
        a.setObjectName(QStringLiteral("first"));
        b.setObjectName(QStringLiteral("second"));
        TDvxProgressForm* found =
            BringFormToFront<TDvxProgressForm>([](TDvxProgressForm* f) { return f->objectName() == "second"; });
        QCOMPARE(found, &b);
        QVERIFY(b.isVisible());
    }

    void captionRuleOnWidgetsSkipsFrames()
    {
        QWidget form;
        auto* label = new QLabel(QStringLiteral("design"), &form);
        label->setObjectName(QStringLiteral("x1xFirstLabel"));
        auto* combo = new QComboBox(&form);
        combo->setObjectName(QStringLiteral("x2x4xKindComboBox"));
        combo->addItem(QStringLiteral("design item"));
        auto* plain = new QLabel(QStringLiteral("keep"), &form);
        plain->setObjectName(QStringLiteral("x1FreeLabel"));
        auto* frame = new QWidget(&form);
        MarkCaptionFrame(frame);
        auto* inner = new QLabel(QStringLiteral("inner"), frame);
        inner->setObjectName(QStringLiteral("x1xInnerLabel"));
        auto* radios = new TRadioGroup(QStringLiteral("x5x6xChoiceRadioGroup"), &form);
        ApplyQtCaptions(&form, 100);
        QCOMPARE(label->text(), Txt(101));
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), Txt(102));
        QCOMPARE(combo->itemText(2), Txt(104));
        QCOMPARE(plain->text(), QStringLiteral("keep"));
        QCOMPARE(inner->text(), QStringLiteral("inner"));
        QCOMPARE(radios->Items(), (QStringList{Txt(105), Txt(106)}));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
