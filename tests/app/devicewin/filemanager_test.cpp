// The two file pages offscreen on the simulated recorder: the empty-list
// line, the Open/Delete enable rule, sorting by two clicks, the Delete key,
// ">" of the stored-settings page, the recordings page's copy and its abort,
// and the folder and option keys stored when the page closes.
#include "app/devicewin/filemanagerframe.h"
#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/dialogs/progressform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/config/applicationconfig.h"
#include "device/dvxerrorhandler.h"
#include "device/files/vrosetuptransfer.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "support/simfarend.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

struct TYesUi : IVroFilesUi {
    int questions = 0;
    std::vector<std::string> errors;
    std::optional<std::string> AskText(const std::string&, const std::string&) override { return std::string("N"); }
    bool AskYesNo(const std::string&) override
    {
        ++questions;
        return true;
    }
    void ShowError(const std::string& t) override { errors.push_back(t); }
    void ShowInformation(const std::string&) override {}
};

struct TRig : test::TSimFarEnd {
    TRig()
    {
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        manager = std::make_unique<TVro8Manager>(*connection);
        connection->Open();
        manager->Connect();
        config.List().SelectSection("Folders");
        config.List().WriteString("SensorRecordingFolder", dir.path().toStdString());
        form = new TVroForm(TVroContext{config, *connection, *manager, latch, nullptr, {}});
        form->Initialise();
        form->show();
    }
    template <typename T>
    T* Page(TVroAction a)
    {
        form->OpenPage(a);
        auto* page = qobject_cast<T*>(form->CurrentPage());
        if (page) {
            auto yes = std::make_unique<TYesUi>();
            ui = yes.get();
            page->ui = std::move(yes);
        }
        return page;
    }
    ~TRig()
    {
        delete form.data();
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    QTemporaryDir dir;
    TApplicationConfig config;
    TDvxErrorHandler latch;
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
    QPointer<TVroForm> form;
    TYesUi* ui = nullptr;
};

QStringList Names(QTreeWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

void Select(QTreeWidget* list, int row) { list->topLevelItem(row)->setSelected(true); }

} // namespace

class FileManagerTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SelectLanguage(QStringLiteral("en"));
        SetNonInteractive(true); // information messages answer at once
    }

    void emptyLineEnableRuleAndSorting()
    {
        TRig rig;
        auto* page = rig.Page<TVroSetupFileManagerFrame>(TVroAction::ManageSettings);
        QVERIFY(page);
        QCOMPARE(page->FolderList()->topLevelItemCount(), 1);
        QTreeWidgetItem* empty = page->FolderList()->topLevelItem(0);
        QCOMPARE(empty->text(0), Txt(531) + QLatin1Char('\t'));
        QVERIFY(!(empty->flags() & Qt::ItemIsSelectable));
        QVERIFY(!page->OpenLabel()->isEnabled());
        rig.recorder->AddSetup("Test", 10);
        rig.recorder->AddSetup("Test", 9);
        page->Update();
        page->SortBy(0, 0);
        QCOMPARE(Names(page->SensorList()),
                 (QStringList{"Default setup-00001", "Leak test-00002", "Test-00009", "Test-00010"}));
        page->SortBy(0, 0);
        QCOMPARE(Names(page->SensorList()).first(), QStringLiteral("Test-00010"));
        // The selection addresses the entry, wherever the sort put it.
        Select(page->SensorList(), 0);
        QCOMPARE(page->SelectedEntries(), std::vector<int>{2});
        QVERIFY(page->OpenLabel()->isEnabled());
        QVERIFY(page->DeleteLabel()->isEnabled());
    }

    void copyToFolderAndDeleteKey()
    {
        TRig rig;
        auto* page = rig.Page<TVroSetupFileManagerFrame>(TVroAction::ManageSettings);
        Select(page->SensorList(), 1);
        page->SensorToFolder();
        QVERIFY(QFileInfo::exists(rig.dir.filePath(QStringLiteral("Leak test-00002.vxsf"))));
        QVERIFY(!QFileInfo::exists(rig.dir.filePath(QString::fromLatin1(kVroSetupBackupName))));
        QCOMPARE(page->FolderList()->topLevelItemCount(), 1);
        QVERIFY(rig.form->isEnabled());
        // Delete key: question, the file, then the recorder entry.
        Select(page->FolderList(), 0);
        Select(page->SensorList(), 1);
        page->FolderList()->setFocus();
        QTest::keyClick(page->FolderList(), Qt::Key_Delete);
        QCOMPARE(rig.ui->questions, 1);
        QVERIFY(!QFileInfo::exists(rig.dir.filePath(QStringLiteral("Leak test-00002.vxsf"))));
        QCOMPARE(page->SensorList()->topLevelItemCount(), 1);
        QCOMPARE(rig.connection->Connector().GetByteTimeout(), TDvxV24Connector::kDefaultByteTimeout);
    }

    void recordingsCopyAndAbort()
    {
        TRig rig;
        auto* page = rig.Page<TVroRecordFileManagerFrame>(TVroAction::Recordings);
        QVERIFY(page);
        QVERIFY(page->ToSensorButton()->isHidden());
        QVERIFY(page->TitleLabel()->text().endsWith(Txt(549)));
        page->finishHoldMs = 0;
        Select(page->SensorList(), 0);
        page->SensorToFolder();
        QCOMPARE(page->FolderList()->topLevelItemCount(), 1);
        QVERIFY(page->FolderList()->topLevelItem(0)->text(0).endsWith(QStringLiteral("-00001.vxrf")));
        QVERIFY(rig.form->isEnabled());
        // Abort while the first of two downloads runs: no file, no message, selection cleared.
        rig.recorder->SetFault('R', 23, {sim::ERecorderFault::Delay, 100, -1, 0});
        Select(page->SensorList(), 1);
        Select(page->SensorList(), 2);
        QTimer::singleShot(50, page, [page] { QTest::mouseClick(page->Progress()->AbortLabel(), Qt::LeftButton); });
        page->SensorToFolder();
        QVERIFY(rig.ui->errors.empty());
        QVERIFY(page->SelectedEntries().empty());
        QCOMPARE(page->FolderList()->topLevelItemCount(), 1);
        QVERIFY(rig.form->isEnabled());
        rig.recorder->ClearFaults();
        QVERIFY(rig.manager->Ping());
    }

    void keysStoredOnClose()
    {
        TRig rig;
        auto* page = rig.Page<TVroSetupFileManagerFrame>(TVroAction::ManageSettings);
        page->SetNameOption(2);
        rig.form->FreePage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(rig.config.List().ReadInt("CommentOptions", "RecordingNameOption", 0), 2);
        QCOMPARE(QString::fromStdString(rig.config.List().ReadString("Folders", "SensorRecordingFolder", "")),
                 rig.dir.path());
    }
};

QTEST_MAIN(FileManagerTest)
#include "filemanager_test.moc"
