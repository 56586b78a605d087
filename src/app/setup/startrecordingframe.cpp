#include "app/setup/startrecordingframe.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "device/setup/vro8setup.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vro::app {

namespace {

QStringList Items(const std::vector<std::string>& v)
{
    QStringList out;
    for (const auto& s : v)
        out << QString::fromStdString(s);
    return out;
}

void SetItems(QComboBox* box, const QStringList& items, int index)
{
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index >= 0 && index < items.size() ? index : 0);
}

} // namespace

TVro8StartRecordingFrame::TVro8StartRecordingFrame(vro::TVro8Setup& setup, vro::TVro8StartServices services,
                                                   QWidget* parent, vro::TVro8StartChoices& choices)
    : TVroEditorFrame(QStringLiteral("TVro8StartRecordingFrame"), vro::TVro8StartRecording::TextBase, setup, parent)
{
    if (!services.SetBusy)
        services.SetBusy = [](bool, bool) {};
    page_ = std::make_unique<vro::TVro8StartRecording>(setup, std::move(services), choices);
    save_ = AddCombo(QStringLiteral("x31xSaveRecordingDataLabel"), QStringLiteral("x47x48xSaveRecordingDataComboBox"));
    type_ = AddCombo(QStringLiteral("x4xRecordingTypeLabel"), QStringLiteral("x60x63xRecordingTypeComboBox"));
    sensors_ =
        AddRow(QStringLiteral("x2xSensorSettingsCaption"), new TButtonLabel(QStringLiteral("SensorSettingsLabel")));
    triggers_ =
        AddRow(QStringLiteral("x3xTriggerSettingsCaption"), new TButtonLabel(QStringLiteral("TriggerSettingsLabel")));
    startTrigger_ =
        AddRow(QStringLiteral("x32xStartTriggerCaption"), new TButtonLabel(QStringLiteral("StartTriggerLabel")));
    stopTrigger_ =
        AddRow(QStringLiteral("x46xStopTriggerCaption"), new TButtonLabel(QStringLiteral("StopTriggerLabel")));
    rate_ = AddCombo(QStringLiteral("x5xSampleRateLabel"), QStringLiteral("SampleRateComboBox"));
    time_ = AddCombo(QStringLiteral("x6xRecordingTimeLabel"), QStringLiteral("x15x30xRecordingTimeComboBox"));
    option_ = AddCombo(QStringLiteral("x7xRecordingOptionLabel"), QStringLiteral("x54x55xRecordingOptionComboBox"));
    preTrigger_ = AddCombo(QStringLiteral("x8xPreTriggerLabel"), QStringLiteral("x33x43xPreTriggerComboBox"));
    automatic_ = AddCombo(QStringLiteral("x9xAutomaticModeLabel"), QStringLiteral("x44x45xAutomaticModeComboBox"));
    name_ = AddEdit(QStringLiteral("x10xNameLabel"), QStringLiteral("NameEdit"));
    name_->setMaxLength(32);
    comment_ = AddRow(QStringLiteral("x11xCommentLabel"), new QPlainTextEdit);
    comment_->setObjectName(QStringLiteral("CommentMemo"));
    comment_->setMaximumHeight(60);
    for (TButtonLabel* l : {sensors_, triggers_, startTrigger_, stopTrigger_}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->setCursor(Qt::PointingHandCursor);
        l->setStyleSheet(QStringLiteral("color: #000080;"));
    }
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("StateLabel"));
    state_->setAlignment(Qt::AlignCenter);
    QFont f = state_->font();
    f.setBold(true);
    state_->setFont(f);
    state_->hide();
    MainLayout()->addWidget(state_, 1);
    MainLayout()->addStretch(1);
    ApplyCaptions();
    OkLabel()->setObjectName(QStringLiteral("x1xOkLabel"));
    OkLabel()->setText(FrameButtonCaption(Txt(1175))); // 1175: Start
    CancelLabel()->hide();

    auto changed = [this] {
        if (filling_)
            return;
        TakeChoices();
        page_->ChoicesChanged();
        ShowChoices();
    };
    for (QComboBox* b : {type_, save_, rate_, time_, option_, preTrigger_, automatic_})
        connect(b, &QComboBox::currentIndexChanged, this, changed);
    connect(sensors_, &TButtonLabel::clicked, this, [this] { EditorClicked(0); });
    connect(triggers_, &TButtonLabel::clicked, this, [this] { EditorClicked(1); });
    connect(startTrigger_, &TButtonLabel::clicked, this, [this] { EditorClicked(2); });
    connect(stopTrigger_, &TButtonLabel::clicked, this, [this] { EditorClicked(3); });
    connect(&timer_, &QTimer::timeout, this, [this] { PeriodicUpdate(); });
}

TVro8StartRecordingFrame::~TVro8StartRecordingFrame() = default;

void TVro8StartRecordingFrame::RunOwnTimer(int intervalMs) { timer_.start(intervalMs); }

bool TVro8StartRecordingFrame::Open()
{
    const bool ok = Guarded([this] { page_->Open(); });
    ShowChoices();
    return ok;
}

void TVro8StartRecordingFrame::TakeChoices()
{
    vro::TVro8StartChoices& c = page_->Choices();
    c.SaveToVro = save_->currentIndex() == 1;
    c.RecordingType = type_->currentIndex();
    // The rate list shown is the list of the save option it was filled for.
    if (rate_->property("vroToVro").toBool())
        c.VroRateIndex = rate_->currentIndex();
    else
        c.PcRateIndex = rate_->currentIndex();
    c.TimeIndex = time_->currentIndex();
    c.RecordingOption = option_->currentIndex();
    c.PreTrigger = preTrigger_->currentIndex();
    c.Automatic = automatic_->currentIndex() == 1;
    c.Name = name_->text().toStdString();
    c.Comment = comment_->toPlainText().toStdString();
}

void TVro8StartRecordingFrame::ShowChoices()
{
    filling_ = true;
    const vro::TVro8StartChoices& c = page_->Choices();
    SetItems(save_, {Txt(1221), Txt(1222)}, c.SaveToVro ? 1 : 0); // 1221: Save to PC; 1222: Save to VRO
    SetItems(type_, Items(page_->TypeEntries()), c.RecordingType);
    SetItems(rate_, Items(page_->RateEntries()), c.SaveToVro ? c.VroRateIndex : c.PcRateIndex);
    rate_->setProperty("vroToVro", c.SaveToVro);
    SetItems(time_, Items(page_->TimeEntries()), c.TimeIndex);
    // 1228: End when time has elapsed; 1229: Record continuously until terminated
    SetItems(option_, {Txt(1228), Txt(1229)}, c.RecordingOption);
    QStringList pre;
    for (int n = 1207; n <= 1217; ++n)
        pre << Txt(n);
    SetItems(preTrigger_, pre, c.PreTrigger);
    SetItems(automatic_, {Txt(1218), Txt(1219)}, c.Automatic ? 1 : 0); // 1218: Deactivated; 1219: Activated
    if (name_->text().toStdString() != c.Name)
        name_->setText(QString::fromStdString(c.Name));
    if (comment_->toPlainText().toStdString() != c.Comment)
        comment_->setPlainText(QString::fromStdString(c.Comment));
    filling_ = false;
    ShowSummaries();
    const bool running = page_->State() != vro::TVro8StartRecording::EState::Editing;
    RowsPanel()->setVisible(!running);
    OkLabel()->setVisible(!running);
    // "Save to PC" needs the real-time frame.
    const bool canStart = c.SaveToVro || page_->CanStartOnline();
    OkLabel()->setEnabled(canStart);
    OkLabel()->setToolTip(canStart ? QString() : Txt(1240)); // 1240: Real-time measurement
    state_->setVisible(running);
    ShowRows(page_->Controls());
}

void TVro8StartRecordingFrame::ShowSummaries()
{
    sensors_->setText(QString::fromStdString(page_->SensorSummary()));
    triggers_->setText(QString::fromStdString(page_->TriggerSummary()));
    if (page_->HasStartStopSummaries()) {
        startTrigger_->setText(QString::fromStdString(page_->StartTriggerSummary()));
        stopTrigger_->setText(QString::fromStdString(page_->StopTriggerSummary()));
    }
}

void TVro8StartRecordingFrame::Notice(const std::optional<vro::TVro8StartRecording::TNotice>& n)
{
    if (!n)
        return;
    if (n->DeviceError) {
        if (ReportDeviceError)
            ReportDeviceError(n->Message);
    } else {
        MessageBox(QString::fromStdString(n->Message), Txt(696), MB_ICONERROR); // 696: Device error
    }
}

void TVro8StartRecordingFrame::OnOk()
{
    TakeChoices();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto n = page_->Start();
    QApplication::restoreOverrideCursor();
    Notice(n);
    state_->setText(QString::fromStdString(page_->StateLine()));
    ShowChoices();
}

void TVro8StartRecordingFrame::PeriodicUpdate()
{
    if (editor_ && editor_->isVisible()) {
        editor_->PeriodicUpdate();
        return;
    }
    if (editor_ || page_->RefreshNeeded) {
        // An editor was closed: the summaries and controls follow the model.
        if (editor_)
            editor_->deleteLater();
        editor_.clear();
        page_->RefreshNeeded = false;
        ShowChoices();
    }
    const bool wasRunning = page_->Running();
    if (page_->State() == vro::TVro8StartRecording::EState::RemoteRunning ||
        page_->State() == vro::TVro8StartRecording::EState::Pausing) {
        // The read-out shows its progress on the state line.
        Notice(page_->PeriodicUpdate());
    }
    state_->setText(QString::fromStdString(page_->StateLine()));
    const bool running = page_->State() != vro::TVro8StartRecording::EState::Editing;
    if (wasRunning != page_->Running() || running != !state_->isHidden())
        ShowChoices();
}

void TVro8StartRecordingFrame::Stop()
{
    page_->Stop();
    ShowChoices();
}

void TVro8StartRecordingFrame::EditorClicked(int which)
{
    TakeChoices();
    if (editor_)
        delete editor_.data();
    if (!OpenEditor)
        return;
    editor_ = OpenEditor(which);
    page_->RefreshNeeded = true;
}

} // namespace vro::app
