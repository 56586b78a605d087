// The setup editor page offscreen on the simulated recorder: block titles
// and summaries, the CAN block only on layout 4, Load from VRO through the
// list window (the empty line not clickable), Save to VRO and the file
// actions with scripted answers, and a device error latched.
#include "app/devicewin/vro8setupframe.h"
#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/config/applicationconfig.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"
#include "support/simfarend.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

using namespace vro;
using namespace vro::app;

namespace {

struct TScriptUi : IVroFilesUi {
    std::deque<std::optional<std::string>> texts;
    std::deque<bool> answers;
    std::vector<std::string> asked, errors;
    std::optional<std::string> AskText(const std::string& p, const std::string&) override
    {
        asked.push_back(p);
        auto t = texts.front();
        texts.pop_front();
        return t;
    }
    bool AskYesNo(const std::string& q) override
    {
        asked.push_back(q);
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowError(const std::string& t) override { errors.push_back(t); }
    void ShowInformation(const std::string&) override {}
};

struct TRig : test::TSimFarEnd {
    explicit TRig(int layout) : TSimFarEnd(Profile(layout))
    {
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        manager = std::make_unique<TVro8Manager>(*connection);
        connection->Open();
        manager->Connect();
        form = new TVroForm(TVroContext{config, *connection, *manager, latch, nullptr, {}});
        form->Initialise();
        form->show();
        form->OpenPage(TVroAction::Settings);
        page = qobject_cast<TVro8SetupFrame*>(form->CurrentPage());
        auto script = std::make_unique<TScriptUi>();
        ui = script.get();
        if (page)
            page->ui = std::move(script);
    }
    static sim::TSimProfile Profile(int layout)
    {
        sim::TSimProfile p;
        p.ComVersion = layout;
        return p;
    }
    ~TRig()
    {
        delete form.data();
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    TApplicationConfig config;
    TDvxErrorHandler latch;
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
    QPointer<TVroForm> form;
    TVro8SetupFrame* page = nullptr;
    TScriptUi* ui = nullptr;
};

} // namespace

class SetupFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SelectLanguage(QStringLiteral("en")); }

    void summariesAndCanBlockByLayout()
    {
        for (int layout : {3, 4}) {
            TRig rig(layout);
            QVERIFY(rig.page);
            QCOMPARE(rig.page->BlockTitle(TVroSetupBlock::Sensors)->text().trimmed(), Txt(728));
            QVERIFY(
                rig.page->BlockSummary(TVroSetupBlock::Sensors)->text().startsWith(Txt(732) + QStringLiteral(": ")));
            QCOMPARE(rig.page->BlockSummary(TVroSetupBlock::Can)->isVisibleTo(rig.page), layout == 4);
            QVERIFY(!rig.page->RefreshNeeded());
            QVERIFY(rig.form->Label(TVroAction::Settings)->font().bold());
        }
    }

    void saveToVroAsksForAMatchAndLoadFromVroLoads()
    {
        TRig rig(3);
        rig.ui->texts = {std::string("Pump test"), std::string("3")};
        rig.page->SaveToDirectory();
        QVERIFY(rig.page->RefreshNeeded());
        rig.ui->texts = {std::string("Pump test"), std::string("3")};
        rig.ui->answers = {false};
        rig.page->SaveToDirectory();
        QCOMPARE(QString::fromStdString(rig.ui->asked.back()),
                 QString::fromStdString(FormatMessage(vro::text(751), {"Pump test"})));
        // Load from VRO: the list window shows the entries; a click loads one.
        QTimer::singleShot(0, rig.page, [&rig] {
            TVroSettingsListForm* list = rig.page->ListForm();
            QVERIFY(list && list->isVisible());
            QVERIFY(list->List()->count() >= 1);
            QVERIFY(list->List()->item(0)->text().contains(QStringLiteral(", Nr.")));
            QListWidget* l = list->List();
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(0)).center());
        });
        rig.page->LoadFromDirectory();
        QVERIFY(!rig.page->ListForm()->isVisible());
        QVERIFY(!rig.latch.Test());
    }

    void loadFromFileRefusesOtherExtensionsAndSaveAsks()
    {
        TRig rig(3);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("one.vxsf"));
        rig.page->SaveToFile(dir.filePath(QStringLiteral("one")));
        QVERIFY(QFileInfo::exists(file));
        rig.ui->answers = {false};
        rig.page->SaveToFile(file);
        QCOMPARE(rig.ui->asked.size(), std::size_t(1));
        QFile::copy(file, dir.filePath(QStringLiteral("two.VXSF")));
        rig.page->LoadFromFile(dir.filePath(QStringLiteral("two.VXSF")));
        QCOMPARE(rig.ui->errors.size(), std::size_t(1));
        QFile bad(dir.filePath(QStringLiteral("bad.vxsf")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a setup");
        bad.close();
        const TVro8SetupData before = rig.page->Setup().Data;
        rig.page->LoadFromFile(bad.fileName());
        QCOMPARE(rig.ui->errors.size(), std::size_t(2));
        QVERIFY(rig.page->Setup().Data == before);
        rig.page->LoadFromFile(file);
        QCOMPARE(rig.ui->errors.size(), std::size_t(2));
        QVERIFY(!rig.latch.Test());
    }

    void aDeviceErrorIsReportedAndLatched()
    {
        TRig rig(3);
        rig.StopRecorder();
        rig.connection->Connector().SetByteTimeout(50);
        SetNonInteractive(true); // the 684 message is answered at once
        try {
            rig.page->Refresh();
        } catch (const std::exception&) {
        }
        SetNonInteractive(false);
        QVERIFY(rig.latch.Test());
    }
};

QTEST_MAIN(SetupFrameTest)
#include "setupframe_test.moc"
