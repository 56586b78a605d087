// The main window: start-up with and without a file, the first-run and crash
// checks, files from outside (extensions, drop order), menu enabling, the
// unsaved-changes flow on close, captions in three languages, key words,
// placement, reset options and the recent-file items.
#include "app/dialogs/checkfilesaveform.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/main/documents.h"
#include "app/main/keywordwatcher.h"
#include "app/graph/graphicframe.h"
#include "app/main/mainform.h"
#include "app/main/mainmenu.h"
#include "app/main/placement.h"
#include "support/app_support.h"
#include "core/config/applicationconfig.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace vro::app;
using namespace vro::apptest;

namespace {

std::unique_ptr<TMainForm> StartForm(TStartOptions options)
{
    if (options.configFile.isEmpty())
        options.configFile = QuietConfigFile();
    auto form = std::make_unique<TMainForm>(options);
    QSignalSpy started(form.get(), &TMainForm::startupFinished);
    form->show();
    if (!form->HasFinishedFirstIdle())
        started.wait(5000);
    return form;
}

// Answers the next message dialog with OK and records its text.
void NoteNextMessage(QString& text)
{
    AnswerNextModal([&text](QWidget* w) {
        if (auto* l = w->findChild<QLabel*>(QStringLiteral("MessageLabel")))
            text = l->text();
        ClickChild(w, QStringLiteral("OkLabel"));
    });
}

void TypeText(QWidget* window, const QString& letters)
{
    for (QChar c : letters) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, static_cast<Qt::Key>(c.unicode()));
    }
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithoutFileBlankAndDisabled()
    {
        auto form = StartForm({});
        QVERIFY(form->HasFinishedFirstIdle());
        QCOMPARE(form->windowTitle(), QStringLiteral("VROWIN"));
        QVERIFY(form->IsBlankShown());
        QCOMPARE(form->Documents().Count(), 0);
        const TMainMenu& m = form->MainMenu();
        for (QMenu* menu : {m.view, m.graphic, m.edit})
            QVERIFY2(!menu->isEnabled(), qPrintable(menu->objectName()));
        for (QAction* a : {m.save, m.saveAs, m.saveAll, m.exportOne, m.print, m.close, m.closeAll, m.viewGraphic,
                           m.viewTable, m.viewProperties, m.viewDescription})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(form->MainMenu().open->isEnabled());
        QVERIFY(form->MainMenu().quit->isEnabled());
        QVERIFY(!form->MainMenu().merge->isVisible());
        QCOMPARE(form->StatusConnectionText(), Txt(621));
        QCOMPARE(form->StatusChangedText(), QString());
        QVERIFY(form->minimumWidth() >= 640 && form->minimumHeight() >= 380);
    }

    void startsWithFileShowsItsProperties()
    {
        TStartOptions o;
        o.file = SampleRecording();
        auto form = StartForm(o);
        QTRY_COMPARE(form->Documents().Count(), 1);
        QVERIFY(!form->IsBlankShown());
        // The graph shows the recording; the properties pane comes from the View menu.
        QVERIFY(form->GraphicFrame()->isVisible());
        QVERIFY(!form->PropertiesPane()->isVisible());
        form->MainMenu().viewProperties->trigger();
        QVERIFY(form->PropertiesPane()->isVisible());
        vro::TRecording* r = form->Documents().Active();
        QVERIFY(r);
        QVERIFY(form->PropertiesPane()->toPlainText().contains(QString::fromStdString(r->Channel(0).GetLongName())));
        QVERIFY(form->MainMenu().view->isEnabled());
        QVERIFY(form->MainMenu().viewProperties->isChecked());
        QVERIFY(form->MainMenu().save->isEnabled());
        QVERIFY(form->MainMenu().closeAll->isEnabled());
        // Graph and Edit follow the graphic pane: enabled while it shows, disabled when hidden.
        QVERIFY(form->MainMenu().graphic->isEnabled());
        QVERIFY(form->MainMenu().edit->isEnabled());
        form->MainMenu().viewGraphic->trigger();
        QVERIFY(!form->GraphicFrame()->isVisible());
        QVERIFY(!form->MainMenu().graphic->isEnabled());
        QVERIFY(!form->MainMenu().edit->isEnabled());
        form->MainMenu().viewGraphic->trigger();
        QVERIFY(form->GraphicFrame()->isVisible());
        // Unsaved changes show the marker on the next idle moment.
        r->Saved = false;
        form->IdleTick();
        QCOMPARE(form->StatusChangedText(), Txt(128));
        r->Saved = true;
        // Closing the last recording brings the blank area back.
        form->MainMenu().close->trigger();
        QCOMPARE(form->Documents().Count(), 0);
        QVERIFY(form->IsBlankShown());
        QVERIFY(!form->MainMenu().save->isEnabled());
    }

    void firstRunAsksForTheLanguage()
    {
        TStartOptions o;
        o.configFile = TempConfigFile(); // no file: first run
        AnswerNextModal([](QWidget* w) {
            auto* box = w->findChild<QComboBox*>(QStringLiteral("LanguageComboBox"));
            QVERIFY(box);
            box->setCurrentIndex(0); // Deutsch
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        auto form = StartForm(o);
        QCOMPARE(AnsweredCount() > 0, true);
        QCOMPARE(form->MainMenu().file->title(), QString::fromStdString(vro::text(vro::TTextLanguage::German, 71)));
        QVERIFY(QFileInfo::exists(o.configFile)); // Save(false) right after the check
        form->close();
        vro::TApplicationConfig written(o.configFile.toStdString());
        written.Load();
        QCOMPARE(written.Language(), std::string("de"));
        QVERIFY(written.WasShutDown());
        SelectLanguage(QStringLiteral("en"));
    }

    void crashedRunShowsText16()
    {
        const QString file = TempConfigFile();
        {
            vro::TApplicationConfig c(file.toStdString());
            c.Load();
            c.Save(false); // a run that never reached its normal close
        }
        QString shown;
        NoteNextMessage(shown);
        TStartOptions o;
        o.configFile = file;
        auto form = StartForm(o);
        QCOMPARE(shown, Txt(16));
    }

    void filesFromOutsideDispatchOnTheExtension()
    {
        auto form = StartForm({});
        const QString upper = SampleRecording(QStringLiteral("UPPER.VXRF"));
        form->OpenFileByName(upper);
        QCOMPARE(form->Documents().Count(), 1);
        // The same file again only activates it.
        form->OpenFileByName(upper);
        QCOMPARE(form->Documents().Count(), 1);

        QString shown;
        NoteNextMessage(shown);
        form->OpenFileByName(TempDir() + QStringLiteral("/update.VXUPD"));
        QCOMPARE(shown, Txt(130));
        NoteNextMessage(shown);
        form->OpenFileByName(TempDir() + QStringLiteral("/notes.txt"));
        QCOMPARE(shown, Txt(131));
        NoteNextMessage(shown);
        form->OpenFileByName(TempDir() + QStringLiteral("/missing.vxrf"));
        QVERIFY(shown.contains(QStringLiteral("missing.vxrf")));
        QCOMPARE(form->Documents().Count(), 1);
    }

    void droppedFilesOpenInDropOrder()
    {
        auto form = StartForm({});
        const QString a = SampleRecording(QStringLiteral("a.vxrf"));
        const QString b = SampleRecording(QStringLiteral("b.vxrf"));
        const QString fw = TempDir() + QStringLiteral("/fw.vxupd");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(fw), QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QString shown;
        int countAtNote = -1;
        AnswerNextModal([&](QWidget* w) {
            shown = w->findChild<QLabel*>(QStringLiteral("MessageLabel"))->text();
            countAtNote = form->Documents().Count();
            ClickChild(w, QStringLiteral("OkLabel"));
        });
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &drop);
        QTRY_COMPARE(form->Documents().Count(), 2);
        QCOMPARE(shown, Txt(130));
        QCOMPARE(countAtNote, 1); // the note came between the two recordings
        QCOMPARE(QFileInfo(QString::fromStdString(form->Documents().Item(0)->FileName)).fileName(),
                 QStringLiteral("a.vxrf"));
        QCOMPARE(QFileInfo(QString::fromStdString(form->Documents().Item(1)->FileName)).fileName(),
                 QStringLiteral("b.vxrf"));
    }

    void closeWithUnsavedChangesEachAnswer()
    {
        for (const char* answer : {"CancelLabel", "x2xCloseWithoutSavingLabel", "x1xSaveAndCloseLabel"}) {
            TStartOptions o;
            o.file = SampleRecording();
            o.configFile = QuietConfigFile();
            auto form = StartForm(o);
            QTRY_COMPARE(form->Documents().Count(), 1);
            vro::TRecording* r = form->Documents().Active();
            r->Comment = "changed by the test";
            r->Saved = false;
            const QByteArray before = [&] {
                QFile f(o.file);
                f.open(QIODevice::ReadOnly);
                return f.readAll();
            }();
            QStringList listed;
            AnswerNextModal([&](QWidget* w) {
                auto* check = qobject_cast<TCheckFileSaveForm*>(w);
                QVERIFY(check);
                for (int i = 0; i < check->List()->count(); ++i)
                    listed << check->List()->item(i)->text();
                QCOMPARE(check->findChild<QLabel*>(QStringLiteral("x1xSaveAndCloseLabel"))->text().trimmed(), Txt(145));
                ClickChild(w, QString::fromLatin1(answer));
            });
            form->close();
            QCOMPARE(listed.size(), 1);
            QFile f(o.file);
            f.open(QIODevice::ReadOnly);
            const QByteArray after = f.readAll();
            if (QLatin1String(answer) == QLatin1String("CancelLabel")) {
                QVERIFY(form->isVisible()); // the program keeps running
                QCOMPARE(form->Documents().Count(), 1);
                QCOMPARE(after, before);
                r->Saved = true; // let the fixture close quietly
                form->close();
            } else {
                QVERIFY(!form->isVisible());
                if (QLatin1String(answer) == QLatin1String("x1xSaveAndCloseLabel"))
                    QVERIFY(after != before && after.contains("changed by the test"));
                else
                    QCOMPARE(after, before);
            }
            vro::TApplicationConfig written(o.configFile.toStdString());
            written.Load();
            QVERIFY(written.WasShutDown());
        }
    }

    void menuTableFillsEveryMemberOnce()
    {
        auto form = StartForm({});
        const TMainMenu& m = form->MainMenu();
        QSet<QString> names;
        QSet<const QObject*> objects;
        for (const TMenuEntry* e = MainMenuEntries(); e->kind != TMenuKind::End; ++e) {
            const QString name = QString::fromLatin1(e->name);
            QVERIFY2(!names.contains(name), e->name);
            names.insert(name);
            QAction* action = e->action ? m.*(e->action) : nullptr;
            const QObject* object = e->kind == TMenuKind::Menu ? static_cast<const QObject*>(m.*(e->menu)) : action;
            if (e->kind == TMenuKind::Menu || e->kind == TMenuKind::Item)
                QVERIFY2(object, e->name);
            if (!object)
                continue;
            // The caption rule finds the entry by this name.
            QCOMPARE(object->objectName(), name);
            QVERIFY2(!objects.contains(object), e->name);
            objects.insert(object);
            if (action && !e->built)
                QVERIFY2(!action->isEnabled(), e->name);
            if (e->paneCommand)
                QVERIFY2(form->GraphicFrame()->CommandLabel(QString::fromLatin1(e->paneCommand)), e->paneCommand);
        }
        for (QAction* a : m.recentFiles)
            QVERIFY(a && !objects.contains(a));
    }

    void captionsInAllThreeLanguages()
    {
        for (const auto& [code, lang] :
             {std::pair{"de", vro::TTextLanguage::German}, std::pair{"en", vro::TTextLanguage::English},
              std::pair{"fr", vro::TTextLanguage::French}}) {
            TStartOptions o;
            o.language = QString::fromLatin1(code);
            auto form = StartForm(o);
            int checked = 0;
            for (const TMenuEntry* e = MainMenuEntries(); e->kind != TMenuKind::End; ++e) {
                const auto n = vro::ComponentTextNumber(e->name);
                if (!n)
                    continue;
                const QString expected = QString::fromStdString(vro::text(lang, TMainForm::kTextBase + *n));
                const TMainMenu& m = form->MainMenu();
                const QString shown = e->kind == TMenuKind::Menu ? (m.*(e->menu))->title() : (m.*(e->action))->text();
                QCOMPARE(shown, expected);
                ++checked;
            }
            QCOMPARE(checked, 57);
            QCOMPARE(form->StatusConnectionText(), QString::fromStdString(vro::text(lang, 621)));
        }
        // Changing the language relabels the running window at once.
        auto form = StartForm({});
        form->SetLanguage(QStringLiteral("fr"));
        QCOMPARE(form->MainMenu().open->text(), QString::fromStdString(vro::text(vro::TTextLanguage::French, 72)));
        form->SetLanguage(QStringLiteral("en"));
    }

    void keyWords()
    {
        TKeywordWatcher w(QStringLiteral("DIAGNOSE"));
        bool hit = false;
        for (QChar c : QStringLiteral("DIAGDIAGNOSE"))
            hit = w.Feed(c.unicode()) || hit;
        QVERIFY(!hit); // the second D is no new start after the mismatch
        for (QChar c : QStringLiteral("DIAGNOSE"))
            hit = w.Feed(c.unicode());
        QVERIFY(hit);
        QCOMPARE(w.Position(), 0);

        auto form = StartForm({});
        QString shown;
        NoteNextMessage(shown);
        TypeText(form.get(), QStringLiteral("DIAGNOSE"));
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY(shown.startsWith(QStringLiteral("Es gibt noch andere Befehle")));
        QVERIFY(form->LogForm() && form->LogForm()->isVisible());
        NoteNextMessage(shown = QString());
        TypeText(form.get(), QStringLiteral("MEMMONITOR"));
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY(form->MemMonitor() && form->MemMonitor()->isVisible());
        form->close();
        QTRY_VERIFY(!form->LogForm()); // closed (and freed) with the main window
    }

    void placementIsClampedToTheWorkArea()
    {
        const QSize min(640, 380);
        // A work area that does not start at 0 (second monitor to the right).
        const QRect right(1920, 0, 1280, 1024);
        QCOMPARE(FitIntoArea(QRect(100, 100, 800, 600), right, min), QRect(1920, 100, 800, 600));
        QCOMPARE(FitIntoArea(QRect(3000, 900, 800, 600), right, min), QRect(2400, 424, 800, 600));
        QCOMPARE(FitIntoArea(QRect(2000, 50, 4000, 3000), right, min), QRect(1920, 0, 1280, 1024));
        // A panel on the left.
        const QRect panel(64, 0, 1856, 1080);
        QCOMPARE(FitIntoArea(QRect(-5000, 10, 800, 600), panel, min), QRect(64, 10, 800, 600));
        // Minimum larger than the area: pinned to the corner.
        QCOMPARE(FitIntoArea(QRect(10, 10, 100, 100), QRect(0, 0, 600, 300), min).topLeft(), QPoint(0, 0));

        const QString file = QuietConfigFile();
        {
            vro::TApplicationConfig c(file.toStdString());
            c.Load();
            c.StorePlacement("MainForm", false, true, {-5000, -5000, 100000, 300});
            c.Save(true);
        }
        TStartOptions o;
        o.configFile = file;
        auto form = StartForm(o);
        const QRect area = form->screen()->availableGeometry();
        QCOMPARE(form->x(), area.left());
        QCOMPARE(form->y(), area.top());
        QCOMPARE(form->width(), area.width());
        QVERIFY(form->height() >= 380);
    }

    void resetOptionsSetsTheFlagOnYes()
    {
        auto form = StartForm({});
        ClickInNextModal(QStringLiteral("NoLabel"));
        form->MainMenu().resetOptions->trigger();
        QVERIFY(!form->Config().ResetFlag());
        QString shown;
        AnswerNextModal([&](QWidget* w) {
            ClickChild(w, QStringLiteral("YesLabel"));
            NoteNextMessage(shown);
        });
        form->MainMenu().resetOptions->trigger();
        QVERIFY(form->Config().ResetFlag());
        QCOMPARE(shown, Txt(15));
    }

    void recentFilesAppearAfterClosing()
    {
        TStartOptions o;
        o.file = SampleRecording(QStringLiteral("recent.vxrf"));
        auto form = StartForm(o);
        QTRY_COMPARE(form->Documents().Count(), 1);
        QMenu* file = form->MainMenu().file;
        emit file->aboutToShow();
        QVERIFY(!form->MainMenu().recentFiles[0]->isVisible());
        form->MainMenu().closeAll->trigger();
        QCOMPARE(form->Documents().Count(), 0);
        emit file->aboutToShow();
        QAction* first = form->MainMenu().recentFiles[0];
        QVERIFY(first->isVisible());
        QVERIFY(first->text().startsWith(QStringLiteral("1.  ")));
        QVERIFY(first->text().endsWith(QStringLiteral("recent.vxrf")));
        QVERIFY(!form->MainMenu().recentFiles[1]->isVisible());
        first->trigger();
        QCOMPARE(form->Documents().Count(), 1);
        emit file->aboutToShow();
        QVERIFY(!form->MainMenu().recentFiles[0]->isVisible());
    }

    void openImportAndSaveAsThroughTheMenus()
    {
        auto form = StartForm({});
        const QString rec = SampleRecording(QStringLiteral("menu.vxrf"));
        auto pickFile = [](const QString& file) {
            return [file](QWidget* w) {
                auto* dialog = qobject_cast<QFileDialog*>(w);
                QVERIFY(dialog);
                dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            };
        };
        AnswerNextModal(pickFile(rec));
        form->MainMenu().open->trigger();
        QCOMPARE(form->Documents().Count(), 1);

        // Import a delimited text file: the file dialog, then the settings dialog.
        const QString text = TempDir() + QStringLiteral("/values.txt");
        {
            QFile f(text);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("time;pressure;flow\n0.0;1.5;10\n0.5;1.7;11\n1.0;1.9;12\n1.5;2.1;13\n");
        }
        AnswerNextModal([&](QWidget* w) {
            pickFile(text)(w);
            ClickInNextModal(QStringLiteral("OkLabel"));
        });
        form->MainMenu().import->trigger();
        QCOMPARE(form->Documents().Count(), 2);
        vro::TRecording* imported = form->Documents().Active();
        QCOMPARE(imported->ChannelCount, 2);
        QCOMPARE(imported->RecordCount, 4);
        QVERIFY(!imported->Saved);
        QVERIFY(form->PropertiesPane()->toPlainText().contains(QStringLiteral("pressure")));

        // Save as: the save dialog names the file; the recording is saved.
        const QString target = TempDir() + QStringLiteral("/imported");
        AnswerNextModal(pickFile(target));
        form->MainMenu().saveAs->trigger();
        QVERIFY(imported->Saved);
        QVERIFY(QFileInfo::exists(target + QStringLiteral(".vxrf")));
        form->IdleTick();
        QCOMPARE(form->StatusChangedText(), QString());
        // Activating the first document through the document list.
        auto* list = form->findChild<QListWidget*>(QStringLiteral("DocumentListBox"));
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(0);
        QCOMPARE(form->Documents().ActiveIndex(), 0);
    }

    void fileDialogFilterAddsUpperCase()
    {
        // A caption that carries its pattern shows it once.
        QCOMPARE(FileDialogFilter(QStringLiteral("VX Recording(*.vxrf)|*.vxrf")),
                 QStringLiteral("VX Recording (*.vxrf *.VXRF)"));
        QCOMPARE(FileDialogFilter(QStringLiteral("Text file(*.*)|*.*")), QStringLiteral("Text file (*.*)"));
        QCOMPARE(FileDialogFilter(QStringLiteral("Legacy files (*.vro;*.cur)|*.vro;*.cur")),
                 QStringLiteral("Legacy files (*.vro *.VRO *.cur *.CUR)"));
        QCOMPARE(FileDialogFilter(QStringLiteral("A|*.a;*.b|B|*.*")), QStringLiteral("A (*.a *.A *.b *.B);;B (*.*)"));
    }
};

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
