#include "app/setup/setuppages.h"

#include "app/devicewin/vro8setupframe.h"
#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/live/onlineframe.h"
#include "app/look/apptext.h"
#include "app/main/documents.h"
#include "app/main/mainform.h"
#include "app/main/showforms.h"
#include "app/setup/blockframes.h"
#include "app/setup/itemframes.h"
#include "app/setup/startrecordingframe.h"
#include "core/manager/recordingmanager.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "link/connection/dvxconnection.h"

#include <QApplication>
#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace vro::app {

namespace {

QPointer<TVroStartRecordingPage>& CurrentPage()
{
    static QPointer<TVroStartRecordingPage> page;
    return page;
}

} // namespace

TVroEditorFrame* CreateSetupEditor(TVroSetupBlock block, vro::TVro8Setup& setup, QWidget* parent)
{
    switch (block) {
    case TVroSetupBlock::Sensors: return new TVro8SensorSetupFrame(setup, true, parent);
    case TVroSetupBlock::Triggers: return new TVro8TriggerSetupFrame(setup, true, parent);
    case TVroSetupBlock::Recording: return new TVro8RecordingSetupFrame(setup, parent);
    case TVroSetupBlock::Base: return new TVro8BaseSetupFrame(setup, parent);
    case TVroSetupBlock::Display: return new TVro8DisplaySetupFrame(setup, parent);
    case TVroSetupBlock::Can: return new TVro8CanSetupFrame(setup, true, parent);
    }
    return nullptr;
}

// ---- the start page ----------------------------------------------------------------------------

TVroStartRecordingPage::TVroStartRecordingPage(TVroForm& form, QWidget* parent) : TVroPageFrame(form, parent)
{
    setObjectName(QStringLiteral("TVro8StartRecordingFrame"));
    CurrentPage() = this;
    setup_ = std::make_unique<vro::TVro8Setup>(form.Manager().Device());
    vro::TVro8StartServices s = vro::Vro8StartServices(form.Manager());
    s.SetBusy = [&form](bool busy, bool remote) { form.SetBusy(busy, remote); };
    if (TDocuments* docs = form.Documents())
        s.AskSeriesName = [docs] { return docs->Manager().AskSeriesName(); };
    // The read-out with its progress on the state line; End measurement
    // during it cancels the transfer (the recording stays in the recorder).
    s.Download = [this, &form](bool saveToFile) {
        auto hold = form.HoldPing();
        readingOut_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        form.Connection().SetProgressHandler([this, &form](int perMille) {
            frame_->Page().SetProgress(perMille);
            frame_->StateLine()->setText(QString::fromStdString(frame_->Page().StateLine()));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (frame_->Page().CancelRequested())
                form.Connection().Cancel();
        });
        struct TRestore {
            TVroStartRecordingPage* page;
            TVroForm& form;
            ~TRestore()
            {
                form.Connection().SetProgressHandler({});
                QApplication::restoreOverrideCursor();
                page->readingOut_ = false;
            }
        } restore{this, form};
        return form.Manager().DownloadRemoteRecording(saveToFile);
    };
    // "Save to PC": the real-time frame runs over the page with the choices;
    // the list index of the rate is its row of the sample-interval table.
    s.StartOnline = [this, &form](bool saveToFile, bool repeat, const vro::TVro8StartChoices& c) {
        vro::TOnlineChoices oc;
        oc.RecordingType = c.RecordingType;
        oc.SampleRate = c.RateRow();
        oc.DurationIndex = c.TimeIndex;
        oc.SimpleCurvMode = c.RecordingOption;
        oc.TriggerPosition = c.PreTrigger;
        oc.Comment = c.Comment;
        stack_->setCurrentWidget(online_);
        const bool started = online_->Start(form.Manager(), saveToFile, repeat, oc, saveToFile);
        if (!started)
            stack_->setCurrentWidget(frame_);
        return started;
    };
    stack_ = new QStackedLayout(this);
    online_ = new TVro8OnlineRecordingFrame(this);
    online_->OnDeviceError = [&form] { form.Latch().Set(); };
    frame_ = new TVro8StartRecordingFrame(*setup_, std::move(s), this);
    frame_->setObjectName(QStringLiteral("StartRecordingPanel"));
    frame_->ReportDeviceError = [&form](const std::string&) { form.ReportDeviceError(); };
    frame_->OpenEditor = [this](int which) { return OpenEditor(which); };
    stack_->addWidget(frame_);
    stack_->addWidget(online_);
    stack_->setCurrentWidget(frame_);
    connect(online_, &TVro8OnlineRecordingFrame::runEnded, this, [this](bool seriesEnded) {
        if (seriesEnded)
            frame_->EndAutomatic();
        stack_->setCurrentWidget(frame_);
        frame_->OnlineRunEnded();
    });
    connect(online_, &TVro8OnlineRecordingFrame::automaticEnded, this, [this] { frame_->EndAutomatic(); });
    frame_->Open();
}

TVroStartRecordingPage::~TVroStartRecordingPage()
{
    EndRun();
    if (CurrentPage() == this)
        CurrentPage().clear();
}

TVroStartRecordingPage* TVroStartRecordingPage::Current() { return CurrentPage().data(); }

bool TVroStartRecordingPage::IsTransferShown() const { return readingOut_; }

void TVroStartRecordingPage::EndRun()
{
    if (online_->Running())
        online_->EndAndWait();
}

void TVroStartRecordingPage::PeriodicUpdate()
{
    frame_->PeriodicUpdate();
    if (stack_->currentWidget() != frame_ && stack_->currentWidget() != online_ &&
        !stack_->currentWidget()->isVisible())
        stack_->setCurrentWidget(frame_);
}

void TVroStartRecordingPage::Stop() { frame_->Stop(); }

TVroEditorFrame* TVroStartRecordingPage::OpenEditor(int which)
{
    TVroEditorFrame* editor = nullptr;
    if (which == 0) {
        editor = new TVro8SensorSetupFrame(*setup_, false, this);
        editor->Open();
    } else {
        auto* t = new TVro8TriggerSetupFrame(*setup_, false, this);
        t->Open();
        if (which >= 2)
            t->OpenForStart(which - 2);
        editor = t;
    }
    editor->ReportDeviceError = [this](const std::string&) { Form().ReportDeviceError(); };
    stack_->addWidget(editor);
    stack_->setCurrentWidget(editor);
    connect(editor, &TVroEditorFrame::closed, this, [this] {
        stack_->setCurrentWidget(frame_);
        frame_->show();
    });
    return editor;
}

// ---- registration ------------------------------------------------------------------------------

void RegisterSetupPages()
{
    RegisterVroPage(
        vro::TVroAction::StartRecording, QStringLiteral("TVro8StartRecordingFrame"),
        [](TVroForm& form, QWidget* parent) -> TVroPageFrame* { return new TVroStartRecordingPage(form, parent); });
    // The setup page's block titles: the editors work on the page's model;
    // base, display, recording and trigger editors read their block first.
    for (int b = 0; b < kVroSetupBlockCount; ++b) {
        const auto block = static_cast<TVroSetupBlock>(b);
        RegisterVroSetupEditor(block, [block](TVro8SetupFrame& page, QWidget* parent) -> QWidget* {
            TVroEditorFrame* editor = nullptr;
            switch (block) {
            case TVroSetupBlock::Sensors: editor = new TVro8SensorSetupFrame(page.Setup(), false, parent); break;
            case TVroSetupBlock::Triggers: editor = new TVro8TriggerSetupFrame(page.Setup(), false, parent); break;
            case TVroSetupBlock::Can: editor = new TVro8CanSetupFrame(page.Setup(), false, parent); break;
            default: editor = CreateSetupEditor(block, page.Setup(), parent); break;
            }
            TVroForm& form = page.Form();
            editor->ReportDeviceError = [&form](const std::string&) { form.ReportDeviceError(); };
            auto hold = form.HoldPing();
            editor->Open();
            return editor;
        });
    }
    RegisterVroCancelRemoteRecording([](TVroForm& form) {
        if (TVroStartRecordingPage* page = TVroStartRecordingPage::Current()) {
            page->Stop();
            return;
        }
        try {
            form.Manager().Device().RemoteRecording.StopRemoteRecording();
        } catch (...) {
        }
        form.SetBusy(false, false);
    });
}

namespace {

// A plain host window for an editor shown on its own.
QWidget* HostEditor(TMainForm& main, TVroSetupBlock block, const std::function<void(TVroEditorFrame&)>& then = {})
{
    try {
        if (!main.Connection().IsOpen())
            main.Connection().Open();
        if (main.DeviceManager() && !main.DeviceManager()->IsConnected())
            main.DeviceManager()->Connect();
    } catch (const std::exception&) {
    }
    auto* host = new QWidget(nullptr);
    host->setAttribute(Qt::WA_DeleteOnClose);
    host->resize(560, 520);
    auto* layout = new QVBoxLayout(host);
    auto* setup = new vro::TVro8Setup(main.DeviceManager()->Device());
    TVroEditorFrame* editor = CreateSetupEditor(block, *setup, host);
    QObject::connect(host, &QObject::destroyed, [setup] { delete setup; });
    layout->addWidget(editor);
    host->setWindowTitle(editor->objectName());
    editor->Open();
    if (then)
        then(*editor);
    host->show();
    return host;
}

void RegisterEditor(const QString& name, TVroSetupBlock block)
{
    RegisterShowForm(name, [block](TMainForm& main) { return HostEditor(main, block); });
}

} // namespace

void RegisterSetupShowForms()
{
    RegisterEditor(QStringLiteral("TVro8BaseSetupFrame"), TVroSetupBlock::Base);
    RegisterEditor(QStringLiteral("TVro8DisplaySetupFrame"), TVroSetupBlock::Display);
    RegisterEditor(QStringLiteral("TVro8RecordingSetupFrame"), TVroSetupBlock::Recording);
    RegisterEditor(QStringLiteral("TVro8SensorSetupFrame"), TVroSetupBlock::Sensors);
    RegisterEditor(QStringLiteral("TVro8TriggerSetupFrame"), TVroSetupBlock::Triggers);
    RegisterEditor(QStringLiteral("TVro8CanSetupFrame"), TVroSetupBlock::Can);
    for (int r = 0; r < 12; ++r)
        RegisterShowForm(QStringLiteral("TVro8SensorSetupFrame:%1").arg(QChar('A' + r)), [r](TMainForm& main) {
            return HostEditor(main, TVroSetupBlock::Sensors,
                              [r](TVroEditorFrame& e) { static_cast<TVro8SensorSetupFrame&>(e).OpenSettings(r); });
        });
    for (int n = 0; n < 4; ++n)
        RegisterShowForm(QStringLiteral("TVro8TriggerSetupFrame:%1").arg(n + 1), [n](TMainForm& main) {
            return HostEditor(main, TVroSetupBlock::Triggers,
                              [n](TVroEditorFrame& e) { static_cast<TVro8TriggerSetupFrame&>(e).OpenEvent(n); });
        });
    for (int n = 0; n < 32; ++n)
        RegisterShowForm(QStringLiteral("TVro8CanSetupFrame:%1").arg(n + 1), [n](TMainForm& main) {
            return HostEditor(main, TVroSetupBlock::Can,
                              [n](TVroEditorFrame& e) { static_cast<TVro8CanSetupFrame&>(e).OpenSettings(n); });
        });
    // The start page with a save option and type chosen.
    for (int save = 0; save < 2; ++save)
        for (int type = 0; type < 4; ++type)
            RegisterShowForm(QStringLiteral("TVro8StartRecordingFrame:%1:%2")
                                 .arg(save ? QStringLiteral("VRO") : QStringLiteral("PC"))
                                 .arg(type),
                             [save, type](TMainForm& main) -> QWidget* {
                                 vro::TVro8StartChoices& c = vro::TVro8StartChoices::Remembered();
                                 c.SaveToVro = save == 1;
                                 c.RecordingType = type;
                                 const TShowForm page = FindShowForm(QStringLiteral("TVro8StartRecordingFrame"));
                                 return page ? page(main) : nullptr;
                             });
}

} // namespace vro::app
