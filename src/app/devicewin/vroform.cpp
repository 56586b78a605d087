#include "app/devicewin/vroform.h"

#include "app/connection/connectionforms.h"
#include "app/devicewin/vropage.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "app/main/documents.h"
#include "app/main/placement.h"
#include "core/recording/recording.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/takedownload.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>

namespace vro::app {

namespace {

using vro::TVroAction;

struct TActionNames {
    TVroAction action;
    const char* item;
    const char* label;
};

const TActionNames kActions[] = {
    {TVroAction::CurrentValues, "x2xCurrentValuesItem", "CurrentValuesLabel"},
    {TVroAction::Recordings, "x3xRecordingsItem", "RecordingLabel"},
    {TVroAction::Settings, "x4xSettingsItem", "SettingsLabel"},
    {TVroAction::ManageSettings, "x25xManageSettingsItem", "ManageSettingsLabel"},
    {TVroAction::StartRecording, "x5xStartRecordingItem", "StartRecordingLabel"},
    {TVroAction::CancelRemoteRecording, "x24xCancelRemoteRecordingItem", "CancelRemoteRecordingLabel"},
};

QString WithoutAccelerator(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

bool IsPage(TVroAction a) { return a != TVroAction::CancelRemoteRecording; }

} // namespace

TVroForm::TVroForm(TVroContext context, QWidget* parent)
    : QMainWindow(parent, Qt::Window), ctx_(std::move(context)), logic_(*this, ctx_.latch)
{
    setObjectName(QStringLiteral("TVroForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    RegisterDevicePages();
    BuildLayout();
    vro::TVroWindowState& state = logic_.State();
    for (const TActionNames& n : kActions) {
        const bool registered = IsPage(n.action) ? static_cast<bool>(VroPageFactory(n.action))
                                                 : static_cast<bool>(VroCancelRemoteRecording());
        state.SetRegistered(n.action, registered);
    }
    state.SetFirmwareRegistered(static_cast<bool>(VroFirmwareUpdate()));
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] { RefreshTimerTick(); });
    ApplyQtCaptions(this, kTextBase);
    RefreshState();
}

TVroForm::~TVroForm()
{
    timer_.stop();
    ctx_.manager.SetAutoConnectUi(nullptr);
    if (page_)
        delete page_.data();
    if (ctx_.closed)
        ctx_.closed();
}

void TVroForm::BuildLayout()
{
    resize(760, 520);
    setMinimumSize(560, 380);
    StyleWindowBackground(this);

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    connectionItem_ = new QAction(this);
    connectionItem_->setObjectName(QStringLiteral("x0xV24SettingsItem"));
    bar->addAction(connectionItem_);
    connect(connectionItem_, &QAction::triggered, this, [this] { ShowConnectionDialog(); });

    actionsMenu_ = new QMenu(bar);
    actionsMenu_->setObjectName(QStringLiteral("x13xActionMenuItem"));
    bar->addMenu(actionsMenu_);
    for (const TActionNames& n : kActions) {
        auto* item = new QAction(this);
        item->setObjectName(QString::fromLatin1(n.item));
        actionsMenu_->addAction(item);
        items_[static_cast<int>(n.action)] = item;
        const TVroAction action = n.action;
        connect(item, &QAction::triggered, this, [this, action] { RunAction(action); });
    }
    extrasMenu_ = new QMenu(bar);
    extrasMenu_->setObjectName(QStringLiteral("x15xExtrasMenuItem"));
    bar->addMenu(extrasMenu_);
    firmwareItem_ = new QAction(this);
    firmwareItem_->setObjectName(QStringLiteral("x16xFwUpdateMenuItem"));
    extrasMenu_->addAction(firmwareItem_);
    connect(firmwareItem_, &QAction::triggered, this, [this] { StartFirmwareUpdate(); });

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);
    leftPanel_ = MakePanel(QStringLiteral("LeftPanel"), LeftPanelColor(), central);
    leftPanel_->setFixedWidth(170);
    auto* left = new QVBoxLayout(leftPanel_);
    left->setContentsMargins(6, 8, 6, 8);
    left->setSpacing(4);
    titleLabel_ = MakeTitleLabel(QStringLiteral("ActionTitleLAbel"), leftPanel_);
    left->addWidget(titleLabel_);
    left->addSpacing(6);
    for (const TActionNames& n : kActions) {
        auto* label = new TButtonLabel(QString::fromLatin1(n.label), leftPanel_);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        StyleButtonLabel(label);
        left->addWidget(label);
        labels_[static_cast<int>(n.action)] = label;
        QAction* item = items_[static_cast<int>(n.action)];
        connect(label, &TButtonLabel::clicked, this, [item] {
            if (item->isEnabled() && item->isVisible())
                item->trigger();
        });
    }
    left->addStretch(1);
    outer->addWidget(leftPanel_);
    mainPanel_ = MakePanel(QStringLiteral("MainPanel"), MainPanelColor(), central);
    auto* pageLayout = new QVBoxLayout(mainPanel_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(mainPanel_, 1);
    setCentralWidget(central);
}

void TVroForm::Initialise()
{
    ApplyQtCaptions(this, kTextBase);
    // The window stays inside the work area of its screen.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        setGeometry(FitIntoArea(geometry(), screen->availableGeometry(), minimumSize()));
    logic_.State().SetBusy(false, logic_.State().RemoteRunning());
    ctx_.manager.SetAutoConnectUi(IsNonInteractive() ? nullptr : &autoConnectUi_);
    ctx_.manager.EnsureConnected();
    ctx_.manager.SetAutoConnectUi(nullptr);
    RefreshState();
    logic_.SetLastConnected(IsDeviceConnected());
    timer_.start();
}

void TVroForm::RefreshState()
{
    logic_.State().Refresh(IsDeviceConnected());
    if (!logic_.State().Connected())
        FreePage();
    ApplyItemStates();
}

void TVroForm::SetBusy(bool busy, bool remoteRunning)
{
    logic_.State().SetBusy(busy, remoteRunning);
    ApplyItemStates();
}

void TVroForm::ApplyItemStates()
{
    const vro::TVroWindowState& s = logic_.State();
    for (const TActionNames& n : kActions) {
        const vro::TVroItemState st = s.Item(n.action);
        QAction* item = items_[static_cast<int>(n.action)];
        item->setVisible(st.Visible);
        item->setEnabled(st.Enabled);
    }
    actionsMenu_->setEnabled(s.ActionsEnabled());
    actionsMenu_->menuAction()->setEnabled(s.ActionsEnabled());
    extrasMenu_->menuAction()->setVisible(s.ExtrasVisible());
    firmwareItem_->setEnabled(s.FirmwareEnabled());
    titleLabel_->setText(QStringLiteral("  ") + WithoutAccelerator(actionsMenu_->title()));
    titleLabel_->setVisible(s.ActionsEnabled());
    for (const TActionNames& n : kActions) {
        QAction* item = items_[static_cast<int>(n.action)];
        TButtonLabel* label = labels_[static_cast<int>(n.action)];
        label->setText(FrameButtonCaption(item->text()));
        label->setVisible(item->isVisible());
        label->setEnabled(item->isEnabled());
    }
}

void TVroForm::RunAction(TVroAction action)
{
    if (!logic_.State().Item(action).Enabled)
        return;
    if (action == TVroAction::CancelRemoteRecording) {
        CancelRemoteRecording();
        return;
    }
    OpenPage(action);
}

void TVroForm::OpenPage(TVroAction action)
{
    const TVroPageFactory factory = VroPageFactory(action);
    if (!factory || !IsPage(action))
        return;
    FreePage();
    try {
        TVroPageFrame* page = factory(*this, mainPanel_);
        if (!page)
            return;
        page_ = page;
        pageAction_ = action;
        mainPanel_->layout()->addWidget(page);
        page->show();
    } catch (const std::exception& e) {
        // A page that fails while it opens has reported its error itself
        // when it was a device error; anything else is shown here.
        if (!ctx_.latch.Test())
            MessageBox(QString::fromStdString(e.what()), {}, MB_OK | MB_ICONERROR);
    }
    MarkCurrentPage();
}

void TVroForm::FreePage()
{
    if (page_) {
        TVroPageFrame* page = page_.data();
        page_.clear();
        page->hide();
        page->deleteLater();
    }
    MarkCurrentPage();
}

void TVroForm::ShowConnectionDialog()
{
    if (IsNonInteractive())
        return;
    const vro::TVroPingHold hold = HoldPing();
    vro::app::ShowConnectionDialog(ctx_.connection, ctx_.manager, this, leftPanel_->mapToGlobal(QPoint(20, 20)));
    RefreshState();
}

void TVroForm::StartFirmwareUpdate()
{
    const TVroCommand command = VroFirmwareUpdate();
    if (!command)
        return;
    FreePage();
    const vro::TVroPingHold hold = HoldPing();
    command(*this);
}

void TVroForm::ReceiveRecording(const vro::TDeviceRecordingData& download)
{
    if (!ctx_.documents)
        return;
    vro::TRecordingManager& m = ctx_.documents->Manager();
    vro::TTakeReport report;
    auto r = vro::TakeDownload(download, {}, report, vro::AskThroughDocuments(m));
    vro::AddToDocuments(m, std::move(r), m.UseReferenceReceive);
}

void TVroForm::CancelRemoteRecording()
{
    if (const TVroCommand command = VroCancelRemoteRecording())
        command(*this);
}

void TVroForm::ReportDeviceError()
{
    // 684: The action selected cannot be carried out due...; 696: Device error
    MessageBox(Txt(684), Txt(696), MB_OK | MB_ICONERROR);
    ctx_.latch.Set();
}

bool TVroForm::IsConnectionOpen() { return ctx_.connection.IsOpen(); }
bool TVroForm::IsDeviceConnected() { return ctx_.manager.IsConnected(); }
bool TVroForm::IsAsyncActive() { return ctx_.connection.IsAsyncActive(); }
bool TVroForm::IsTransferShown() { return page_ && page_->IsTransferShown(); }
bool TVroForm::Ping() { return ctx_.manager.Ping(); }
void TVroForm::ForgetIdentity() { ctx_.manager.ForgetIdentity(); }
void TVroForm::CloseConnection() { ctx_.connection.Close(); }
void TVroForm::OpenConnection() { ctx_.connection.Open(); }

void TVroForm::ResetCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TVroForm::FocusWindow()
{
    raise();
    activateWindow();
    setFocus();
}

void TVroForm::StorePlacement()
{
    if (isVisible())
        StoreWindowPlacement(ctx_.config, QStringLiteral("SensorForm"), this);
}

void TVroForm::PagePeriodicUpdate()
{
    if (page_)
        page_->PeriodicUpdate();
}

void TVroForm::MarkCurrentPage()
{
    for (const TActionNames& n : kActions) {
        TButtonLabel* label = labels_[static_cast<int>(n.action)];
        QFont f = label->font();
        const bool current = page_ && pageAction_ == n.action;
        if (f.bold() != current) {
            f.setBold(current);
            label->setFont(f);
        }
    }
}

void TVroForm::showEvent(QShowEvent* event)
{
    if (!placementRestored_) {
        placementRestored_ = true;
        RestoreWindowPlacement(ctx_.config, QStringLiteral("SensorForm"), this);
    }
    QMainWindow::showEvent(event);
}

void TVroForm::EndRun()
{
    if (page_)
        page_->EndRun();
}

void TVroForm::closeEvent(QCloseEvent* event)
{
    timer_.stop();
    EndRun();
    FreePage();
    QMainWindow::closeEvent(event);
}

} // namespace vro::app
