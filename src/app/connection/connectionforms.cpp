#include "app/connection/connectionforms.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>

namespace vro::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Keeps a dialog inside the screen at (x, y); a negative point centres it.
void PlaceDialog(QWidget* w, QPoint at)
{
    w->adjustSize();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize s = w->size();
    if (at.x() < 0 || at.y() < 0) {
        w->move(area.left() + (area.width() - s.width()) / 2, area.top() + (area.height() - s.height()) / 2);
        return;
    }
    w->move(std::max(area.left(), std::min(at.x(), area.left() + area.width() - s.width())),
            std::max(area.top(), std::min(at.y(), area.top() + area.height() - s.height())));
}

QPoint BelowTopLeft(QWidget* w) { return w->mapToGlobal(QPoint(0, 20)); }

// The hourglass for the lifetime of the object.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

TButtonLabel* LinkLabel(const char* name, QWidget* parent)
{
    auto* l = new TButtonLabel(QString::fromLatin1(name), parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPointer<TDvxConnectionForm> gOpenForm;

} // namespace

// ---- search result dialog ---------------------------------------------------------

TDvxSensorSearchResultForm::TDvxSensorSearchResultForm(vro::TDvxConnection& connection,
                                                       std::vector<vro::TDvxSearchResult> results,
                                                       std::function<void(const vro::TDvxSearchResult&)> onSelect,
                                                       QWidget* parent)
    : QDialog(parent), connection_(connection), results_(std::move(results)), onSelect_(std::move(onSelect))
{
    setObjectName(QStringLiteral("TDvxSensorSearchResultForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTitleLabel"));
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* info = new QLabel(f.main);
    info->setObjectName(QStringLiteral("x1xInfoLabel"));
    info->setWordWrap(true);
    layout->addWidget(info);
    list_ = new QListWidget(f.main);
    list_->setObjectName(QStringLiteral("ResultListBox"));
    list_->setMinimumSize(360, 6 * kLineHeight);
    layout->addWidget(list_);
    // Every line has style 1 of the styled lines: bold.
    for (const vro::TDvxSearchResult& r : results_) {
        auto* item = new QListWidgetItem(Q(r.Line), list_);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        if (!r.Path.empty())
            item->setToolTip(Q(r.Path));
    }
    apply_ = AddBottomButton(f, QStringLiteral("ApplyLabel"));
    cancel_ = AddBottomButton(f, QStringLiteral("CancelLabel"));
    ApplyQtCaptions(this, kTextBase);
    setWindowTitle(DialogCaption());
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { SelectLine(row); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        SelectLine(list_->row(item));
        done(mrOk);
    });
    connect(apply_, &TButtonLabel::clicked, this, [this] {
        SelectLine(list_->currentRow());
        done(mrOk);
    });
    connect(cancel_, &TButtonLabel::clicked, this, [this] { done(mrCancel); });
    if (!results_.empty())
        list_->setCurrentRow(0);
}

void TDvxSensorSearchResultForm::SelectLine(int row)
{
    // The line's own port and rate, not a parse of its text: an
    // identification may itself contain "COM" or a rate.
    if (row < 0 || row >= static_cast<int>(results_.size()))
        return;
    const vro::TDvxSearchResult& r = results_[static_cast<std::size_t>(row)];
    connection_.SetPortIndex(r.PortIndex);
    connection_.SetBaudrate(r.Baudrate);
    if (onSelect_)
        onSelect_(r);
}

// ---- port settings dialog ---------------------------------------------------------

TDvxV24ExtendedSettingsForm::TDvxV24ExtendedSettingsForm(vro::TDvxConnection& connection, QWidget* parent)
    : QDialog(parent), connection_(connection)
{
    setObjectName(QStringLiteral("TDvxV24ExtendedSettingsForm"));
    connection_.Close();
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTitleLabel"));
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* info = new QLabel(f.main);
    info->setObjectName(QStringLiteral("x9xInfoLabel"));
    info->setWordWrap(true);
    layout->addWidget(info);
    vxPorts_ = new QRadioButton(f.main);
    vxPorts_->setObjectName(QStringLiteral("x1xVxPortsRadioButton"));
    existing_ = new QRadioButton(f.main);
    existing_->setObjectName(QStringLiteral("x2xAvaliblePortsRadioButton"));
    allPorts_ = new QRadioButton(f.main);
    allPorts_->setObjectName(QStringLiteral("x3xAllPortsRadioButton"));
    for (QRadioButton* r : {vxPorts_, existing_, allPorts_})
        layout->addWidget(r);
    auto* grid = new QGridLayout;
    auto* portLabel = new QLabel(f.main);
    portLabel->setObjectName(QStringLiteral("x4xPortLabel"));
    auto* rateLabel = new QLabel(f.main);
    rateLabel->setObjectName(QStringLiteral("x5xBaudrateLabel"));
    ports_ = new QComboBox(f.main);
    ports_->setObjectName(QStringLiteral("PortNumberComboBox"));
    // A device path may be typed in (a pseudo-terminal, a by-id link).
    ports_->setEditable(true);
    ports_->setInsertPolicy(QComboBox::NoInsert);
    ports_->setMinimumWidth(260);
    rates_ = new QComboBox(f.main);
    rates_->setObjectName(QStringLiteral("BaudrateComboBox"));
    for (std::int32_t r : vro::kDvxOfferedBaudRates)
        rates_->addItem(QString::number(r));
    refresh_ = new TButtonLabel(QStringLiteral("RefreshLabel"), f.main);
    grid->addWidget(portLabel, 0, 0);
    grid->addWidget(ports_, 0, 1);
    grid->addWidget(refresh_, 0, 2);
    grid->addWidget(rateLabel, 1, 0);
    grid->addWidget(rates_, 1, 1);
    layout->addLayout(grid);
    auto* usb = new QLabel(f.main);
    usb->setObjectName(QStringLiteral("x16xUsbInfoLabel"));
    usb->setWordWrap(true);
    layout->addWidget(usb);
    auto* searchInfo = new QLabel(f.main);
    searchInfo->setObjectName(QStringLiteral("x10xSearchInfoLabel"));
    searchInfo->setWordWrap(true);
    layout->addWidget(searchInfo);
    search_ = LinkLabel("x6xSearchSensorLabel", f.main);
    layout->addWidget(search_, 0, Qt::AlignLeft);
    bar_ = new QProgressBar(f.main);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    progressLabel_ = new QLabel(f.main);
    progressLabel_->setObjectName(QStringLiteral("ProgressLabel"));
    layout->addWidget(progressLabel_);
    ok_ = AddBottomButton(f, QStringLiteral("OkLabel"));
    cancel_ = AddBottomButton(f, QStringLiteral("CancelLabel"));
    ApplyQtCaptions(this, kTextBase);
    setWindowTitle(DialogCaption());
    StyleButtonLabel(search_);
    StyleButtonLabel(refresh_);

    switch (connection_.PortScanMode) {
    case 1: existing_->setChecked(true); break;
    case 2: allPorts_->setChecked(true); break;
    default: vxPorts_->setChecked(true); break;
    }
    for (QRadioButton* r : {vxPorts_, existing_, allPorts_})
        connect(r, &QRadioButton::clicked, this, [this] { BuildPortList(); });
    connect(refresh_, &TButtonLabel::clicked, this, [this] { BuildPortList(); });
    connect(search_, &TButtonLabel::clicked, this, [this] { Search(); });
    connect(ok_, &TButtonLabel::clicked, this, [this] { Ok(); });
    connect(cancel_, &TButtonLabel::clicked, this, [this] { CancelOrStop(); });
}

std::int32_t TDvxV24ExtendedSettingsForm::CheckedMode() const
{
    return existing_->isChecked() ? 1 : allPorts_->isChecked() ? 2 : 0;
}

void TDvxV24ExtendedSettingsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    BuildPortList();
    Reselect(connection_.PortIndex(), connection_.Baudrate());
    ports_->setFocus();
}

void TDvxV24ExtendedSettingsForm::BuildPortList()
{
    TWaitCursor wait;
    const std::int32_t mode = CheckedMode();
    const QString existingCaption = Txt(654); // 654: All existing interfaces
    const vro::TDvxPortList list = connection_.BuildPortList(mode, [&](std::int32_t probed) {
        existing_->setText(existingCaption + QStringLiteral("  ") +
                           Q(vro::FormatDvxText(vro::text(664), {std::to_string(probed)})));
        existing_->repaint();
    });
    existing_->setText(existingCaption);
    ports_->clear();
    for (const vro::TDvxPortListEntry& e : list.Entries)
        ports_->addItem(Q(e.Text), e.PortIndex);
    Reselect(connection_.PortIndex(), -1);
}

void TDvxV24ExtendedSettingsForm::Reselect(std::int32_t portIndex, std::int32_t baudrate)
{
    int row = -1;
    for (int i = 0; i < ports_->count(); ++i)
        if (vro::PortIndexFromEntryText(ports_->itemText(i).toStdString()) == portIndex) {
            row = i;
            break;
        }
    if (row < 0 && ports_->count() > 0)
        row = 0;
    ports_->setCurrentIndex(row);
    if (baudrate >= 0) {
        const int r = rates_->findText(QString::number(baudrate));
        rates_->setCurrentIndex(r >= 0 ? r : 0);
    }
}

void TDvxV24ExtendedSettingsForm::Ok()
{
    if (searching_)
        return;
    const std::int32_t baud = rates_->currentText().toInt();
    const QString portText = ports_->currentText().trimmed();
    const std::int32_t mode = CheckedMode();
    bool ok = false;
    if (portText.startsWith(QLatin1Char('/'))) {
        // A typed device path gets a port number first; a failure leaves the old one.
        const std::int32_t oldPort = connection_.PortIndex();
        try {
            const std::int32_t index = connection_.SetPortPath(portText.toStdString());
            connection_.SetPortIndex(oldPort);
            ok = connection_.ApplyPortSettings(baud > 0 ? baud : 9600, index, mode);
        } catch (const std::exception&) {
            connection_.SetPortIndex(oldPort);
            ok = false;
        }
    } else {
        const std::int32_t index = vro::PortIndexFromEntryText(portText.toStdString());
        ok = index >= 0 && connection_.ApplyPortSettings(baud > 0 ? baud : 9600, index, mode);
    }
    if (ok) {
        done(mrOk);
        return;
    }
    connection_.Close();
    MessageBox(Txt(659), QString(), MB_OK | MB_ICONERROR); // 659: The selected port could not be opened. Check...
}

void TDvxV24ExtendedSettingsForm::CancelOrStop()
{
    if (searching_) {
        stopSearch_ = true;
        return;
    }
    connection_.Close();
    done(mrCancel);
}

void TDvxV24ExtendedSettingsForm::SetControlsEnabled(bool on)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{vxPorts_, existing_, allPorts_, ports_, rates_, refresh_, search_, ok_})
        w->setEnabled(on);
}

void TDvxV24ExtendedSettingsForm::Search()
{
    if (searching_)
        return;
    vxPorts_->setChecked(true);
    BuildPortList();
    searching_ = true;
    stopSearch_ = false;
    SetControlsEnabled(false);
    vro::TDvxSearchOutcome out;
    {
        TWaitCursor wait;
        out = connection_.SearchDevices([this](const vro::TDvxSearchStep& s) {
            bar_->setValue(s.Position);
            progressLabel_->setText(Q(s.Text));
            QCoreApplication::processEvents();
            return !stopSearch_;
        });
    }
    searching_ = false;
    SetControlsEnabled(true);
    if (out.NoPorts) {
        MessageBox(Txt(670), QString(), MB_OK | MB_ICONERROR); // 670: No interfaces were found at which devices cou...
        return;
    }
    bar_->setValue(100);
    progressLabel_->setText(Txt(669)); // 669: Device search ended.
    int result = mrCancel;
    const QPoint at = BelowTopLeft(search_);
    if (out.Results.empty()) {
        if (!out.Cancelled)
            // 665: No VRO device found.
            ShowMessageDialog(QString(), Txt(665), miInformation, {}, mbOK, at.x(), at.y());
    } else {
        const std::int32_t oldPort = connection_.PortIndex();
        const std::int32_t oldBaud = connection_.Baudrate();
        TDvxSensorSearchResultForm form(
            connection_, out.Results, [this](const vro::TDvxSearchResult& r) { Reselect(r.PortIndex, r.Baudrate); },
            this);
        PlaceDialog(&form, at);
        result = runResultDialog ? runResultDialog(form) : form.exec();
        if (result != mrOk) {
            connection_.SetPortIndex(oldPort);
            connection_.SetBaudrate(oldBaud);
        }
    }
    bar_->setValue(0);
    progressLabel_->clear();
    if (result == mrOk) {
        done(mrOk);
        return;
    }
    Reselect(connection_.PortIndex(), connection_.Baudrate());
}

void TDvxV24ExtendedSettingsForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        CancelOrStop();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !searching_) {
        Ok();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDvxV24ExtendedSettingsForm::closeEvent(QCloseEvent* event)
{
    if (searching_) {
        stopSearch_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

int ShowPortSettings(vro::TDvxConnection& connection, QWidget* parent, QPoint at)
{
    TDvxV24ExtendedSettingsForm form(connection, parent);
    PlaceDialog(&form, at);
    const int r = form.exec();
    connection.Close();
    return r;
}

// ---- connection dialog ----------------------------------------------------------------

TDvxConnectionForm::TDvxConnectionForm(vro::TDvxConnection& connection, vro::TVro8Manager& manager, QWidget* parent)
    : QDialog(parent), connection_(connection), manager_(manager)
{
    setObjectName(QStringLiteral("TDvxConnectionForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTitleLabel"));
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(MakeTitleLabel(QStringLiteral("x11xSensorTitleLabel"), f.main));
    auto* stateRow = new QHBoxLayout;
    stateShape_ = new QFrame(f.main);
    stateShape_->setObjectName(QStringLiteral("StateShape"));
    stateShape_->setFixedSize(14, 14);
    stateShape_->setAutoFillBackground(true);
    sensorState_ = new QLabel(f.main);
    sensorState_->setObjectName(QStringLiteral("SensorStateLabel"));
    stateRow->addWidget(stateShape_);
    stateRow->addWidget(sensorState_, 1);
    layout->addLayout(stateRow);
    auto* v24Row = new QHBoxLayout;
    v24State_ = new QLabel(f.main);
    v24State_->setObjectName(QStringLiteral("V24SettingsStateLabel"));
    change_ = LinkLabel("x8xV24SettingsLinkLabel", f.main);
    v24Row->addWidget(v24State_, 1);
    v24Row->addWidget(change_);
    layout->addLayout(v24Row);
    auto* actions = new QHBoxLayout;
    connect_ = LinkLabel("x4xConnectLabel", f.main);
    disconnect_ = LinkLabel("x5xDisconnectLabel", f.main);
    actions->addWidget(connect_);
    actions->addWidget(disconnect_);
    actions->addStretch(1);
    layout->addLayout(actions);
    autoConnect_ = new QCheckBox(f.main);
    autoConnect_->setObjectName(QStringLiteral("x9xAutoConnectCheckBox"));
    layout->addWidget(autoConnect_);
    ok_ = AddBottomButton(f, QStringLiteral("OkLabel"));
    ApplyQtCaptions(this, kTextBase);
    setWindowTitle(DialogCaption());
    for (TButtonLabel* l : {change_, connect_, disconnect_})
        StyleButtonLabel(l);
    connect(connect_, &TButtonLabel::clicked, this, [this] { Connect(); });
    connect(disconnect_, &TButtonLabel::clicked, this, [this] { Disconnect(); });
    connect(change_, &TButtonLabel::clicked, this, [this] { Change(); });
    connect(ok_, &TButtonLabel::clicked, this, [this] { Ok(); });

    autoConnect_->setChecked(connection_.AutoConnect);
    v24State_->setText(Q(connection_.GetDescription()));
    Refresh();
}

void TDvxConnectionForm::Refresh()
{
    const bool connected = manager_.IsConnected();
    change_->setEnabled(!connected);
    connect_->setEnabled(!connected);
    disconnect_->setEnabled(connected);
    autoConnect_->setEnabled(connected);
    QPalette shape = stateShape_->palette();
    shape.setColor(QPalette::Window, FromBgr(connected ? 0x008000 : 0x808080));
    stateShape_->setPalette(shape);
    QFont font = sensorState_->font();
    font.setBold(connected);
    sensorState_->setFont(font);
    QPalette text = sensorState_->palette();
    text.setColor(QPalette::WindowText, connected ? FromBgr(0x009000) : QColor(Qt::black));
    sensorState_->setPalette(text);
    // 622: Connected with; 621: No connection exists
    sensorState_->setText(connected ? Txt(622) + QLatin1Char(' ') + Q(manager_.GetDescription()) : Txt(621));
}

void TDvxConnectionForm::Connect()
{
    bool opened = false;
    try {
        connection_.Open();
        opened = true;
    } catch (const std::exception&) {
    }
    if (!opened) {
        manager_.ForgetIdentity();
        connection_.Close();
        // 675: The interface could not be opened. Please c...; 693: Interface error
        MessageBox(Txt(675), Txt(693), MB_OK | MB_ICONERROR);
    } else {
        {
            TWaitCursor wait;
            manager_.Connect();
        }
        if (!manager_.IsConnected())
            // 676: No connection to the device could be set...; 694: Communication error
            MessageBox(Txt(676), Txt(694), MB_OK | MB_ICONERROR);
    }
    activateWindow();
    Refresh();
}

void TDvxConnectionForm::Disconnect()
{
    manager_.ForgetIdentity();
    connection_.Close();
    Refresh();
}

void TDvxConnectionForm::Change()
{
    const QPoint at = BelowTopLeft(v24State_);
    if (runPortSettings) {
        TDvxV24ExtendedSettingsForm form(connection_, this);
        runPortSettings(form);
        connection_.Close();
    } else {
        ShowPortSettings(connection_, this, at);
    }
    // The port settings dialog leaves the port closed: the recorder is
    // connected again with "Connect".
    manager_.ForgetIdentity();
    v24State_->setText(Q(connection_.GetDescription()));
    Refresh();
}

void TDvxConnectionForm::Ok()
{
    connection_.AutoConnect = autoConnect_->isChecked();
    done(mrOk);
}

void TDvxConnectionForm::keyPressEvent(QKeyEvent* event)
{
    const int k = event->key();
    if (k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter) {
        Ok();
        return;
    }
    QDialog::keyPressEvent(event);
}

TDvxConnectionForm* OpenConnectionDialog() { return gOpenForm.data(); }

int ShowConnectionDialog(vro::TDvxConnection& connection, vro::TVro8Manager& manager, QWidget* parent, QPoint at)
{
    if (gOpenForm) {
        gOpenForm->Refresh();
        return mrOk;
    }
    TDvxConnectionForm form(connection, manager, parent);
    gOpenForm = &form;
    PlaceDialog(&form, at);
    const int r = form.exec();
    gOpenForm = nullptr;
    return r;
}

} // namespace vro::app
