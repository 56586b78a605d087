#include "app/calc/channelforms.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "core/calc/calcchannel.h"
#include "core/calc/filter.h"
#include "core/recording/recording.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

namespace vro::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

TButtonLabel* Button(const QString& name, QWidget* parent)
{
    auto* b = new TButtonLabel(name, parent);
    StyleButtonLabel(b);
    return b;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

// The formula and unit texts of the last use in this program run.
QString gLastFormula;
QString gLastUnit;

} // namespace

bool CheckDerivedChannelAllowed(const TRecording& recording, bool calculated)
{
    if (const int refusal = DerivedChannelRefusal(recording, calculated)) {
        // 394: Adding calculated channels; 442: Add a filtered channel
        MessageBox(Txt(refusal), Txt(calculated ? 394 : 442), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Calculated channel

TCalcChannelForm::TCalcChannelForm(TRecording& recording, QWidget* parent)
    : QDialog(parent), recording_(recording), calc_(std::make_unique<TCalcChannel>(recording))
{
    setObjectName(QStringLiteral("TCalcChannelForm"));
    auto* grid = new QGridLayout;
    auto* formulaLabel = new QLabel(this);
    formulaLabel->setObjectName(QStringLiteral("x02xFormulaLabel"));
    formula_ = new QLineEdit(gLastFormula, this);
    formula_->setObjectName(QStringLiteral("FormulaEdit"));
    auto* unitLabel = new QLabel(this);
    unitLabel->setObjectName(QStringLiteral("x01xUnitLabel"));
    unit_ = new QLineEdit(gLastUnit, this);
    unit_->setObjectName(QStringLiteral("UnitEdit"));
    unit_->setMaxLength(10);
    auto* decimalsLabel = new QLabel(this);
    decimalsLabel->setObjectName(QStringLiteral("x03xDecimalsLabel"));
    decimals_ = new QComboBox(this);
    decimals_->setObjectName(QStringLiteral("DecimalsComboBox"));
    for (int d = 0; d <= 8; ++d)
        decimals_->addItem(QStringLiteral("%1 (%2)").arg(d).arg(
            d == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(d, QLatin1Char('0'))));
    grid->addWidget(formulaLabel, 0, 0);
    grid->addWidget(formula_, 0, 1, 1, 3);
    grid->addWidget(unitLabel, 1, 0);
    grid->addWidget(unit_, 1, 1);
    grid->addWidget(decimalsLabel, 1, 2);
    grid->addWidget(decimals_, 1, 3);

    calculate_ = Button(QStringLiteral("x05xCalculateLabel"), this);
    settings_ = Button(QStringLiteral("x04xSettingsLabel"), this);
    settings_->hide(); // the graph settings dialog comes with the graphic pane
    ok_ = Button(QStringLiteral("OkLabel"), this);
    ok_->hide();
    cancel_ = Button(QStringLiteral("CancelLabel"), this);
    helpLabel_ = Button(QStringLiteral("HelpLabel"), this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setWordWrap(true);
    help_ = new QPlainTextEdit(this);
    help_->setObjectName(QStringLiteral("HelpMemo"));
    help_->setReadOnly(true);
    help_->setFixedHeight(160);
    help_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({calculate_, settings_, ok_, cancel_, helpLabel_}));
    layout->addWidget(status_);
    layout->addWidget(help_);

    ApplyQtCaptions(this, 394);
    setWindowTitle(Txt(394)); // 394: Adding calculated channels
    // The help text: the rules, with the "@" line replaced by the channels.
    QStringList lines;
    for (int n = 414; n <= 441; ++n) {
        const QString t = Txt(n);
        if (t.trimmed() == QLatin1String("@")) {
            for (int i = 0; i < recording.ChannelCount; ++i)
                lines << QStringLiteral("  S%1  %2").arg(i + 1).arg(Q(recording.Channel(i).GetLongName()));
        } else {
            lines << t;
        }
    }
    help_->setPlainText(lines.join(QLatin1Char('\n')));

    connect(calculate_, &TButtonLabel::clicked, this, &TCalcChannelForm::Calculate);
    connect(ok_, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel_, &TButtonLabel::clicked, this, &QDialog::reject);
    connect(helpLabel_, &TButtonLabel::clicked, this, &TCalcChannelForm::ToggleHelp);
    connect(formula_, &QLineEdit::textEdited, this, [this] { ok_->hide(); });
    connect(unit_, &QLineEdit::textEdited, this, [this](const QString& u) {
        calc_->SetUnit(u.toStdString());
        if (changed)
            changed();
    });
    connect(decimals_, &QComboBox::currentIndexChanged, this, &TCalcChannelForm::DecimalsChanged);
}

TCalcChannelForm::~TCalcChannelForm() = default;

void TCalcChannelForm::ToggleHelp()
{
    help_->setVisible(!help_->isVisible());
    adjustSize();
}

void TCalcChannelForm::ShowFailure(int textNumber, const QString& message)
{
    status_->setText(message);
    ok_->hide();
    const bool formulaError = textNumber >= 409 && textNumber <= 412;
    // 408: Error in formula; 394: Adding calculated channels
    MessageBox(message, Txt(formulaError ? 408 : 394), MB_OK | MB_ICONERROR);
}

void TCalcChannelForm::Calculate()
{
    computing_ = true;
    const TCalcResult res =
        calc_->Calculate(formula_->text().toStdString(), decimals_->currentIndex(), true, unit_->text().toStdString());
    if (calc_->HasChannel()) {
        settings_->setVisible(false);
        if (changed)
            changed();
    }
    if (res.Decimals != decimals_->currentIndex())
        decimals_->setCurrentIndex(res.Decimals);
    computing_ = false;
    if (res.TextNumber != 0) {
        ShowFailure(res.TextNumber, Q(res.Message));
        return;
    }
    status_->setText(Q(res.Message));
    ok_->show();
}

void TCalcChannelForm::DecimalsChanged(int index)
{
    if (computing_ || !calc_->HasChannel() || !ok_->isVisible())
        return;
    // A chosen number of decimals is kept as long as the raw values fit.
    const TCalcResult res = calc_->Calculate(formula_->text().toStdString(), index, false, unit_->text().toStdString());
    if (changed)
        changed();
    if (res.TextNumber != 0) {
        ShowFailure(res.TextNumber, Q(res.Message));
        return;
    }
    status_->setText(Q(res.Message));
    ok_->show();
}

void TCalcChannelForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (ok_->isVisible())
            accept();
        else
            Calculate();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TCalcChannelForm::done(int result)
{
    gLastFormula = formula_->text();
    gLastUnit = unit_->text();
    if (result == QDialog::Accepted && ok_->isVisible()) {
        calc_->Accept();
        accepted_ = true;
    } else if (!accepted_) {
        calc_->Cancel();
        result = QDialog::Rejected;
    }
    if (changed)
        changed();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// Filtered channel

TFilterChannelForm::TFilterChannelForm(TRecording& recording, QWidget* parent) : QDialog(parent), recording_(recording)
{
    setObjectName(QStringLiteral("TFilterChannelForm"));
    const int originals = recording.ChannelCount;
    filter_ = std::make_unique<TFilterChannel>(recording);

    auto* channelLabel = new QLabel(this);
    channelLabel->setObjectName(QStringLiteral("x01xChannelLabel"));
    channel_ = new QComboBox(this);
    channel_->setObjectName(QStringLiteral("ChannelComboBox"));
    for (int i = 0; i < originals; ++i)
        channel_->addItem(Q(recording.Channel(i).GetName()));
    auto* smoothLabel = new QLabel(this);
    smoothLabel->setObjectName(QStringLiteral("x02xSmoothingLabel"));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("FilterTB"));
    slider_->setRange(7, 40);
    slider_->setValue(7);
    auto* settings = Button(QStringLiteral("x03xSettingsLabel"), this);
    settings->hide(); // the graph settings dialog comes with the graphic pane
    ok_ = Button(QStringLiteral("OkLabel"), this);
    auto* cancel = Button(QStringLiteral("CancelLabel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(channelLabel);
    layout->addWidget(channel_);
    layout->addWidget(smoothLabel);
    layout->addWidget(slider_);
    layout->addLayout(ButtonRow({settings, ok_, cancel}));
    ApplyQtCaptions(this, 442);
    setWindowTitle(Txt(442)); // 442: Add a filtered channel

    connect(ok_, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    connect(channel_, &QComboBox::currentIndexChanged, this, [this] { Recompute(true); });
    connect(slider_, &QSlider::valueChanged, this, [this] { Recompute(false); });
    Recompute(true);
}

TFilterChannelForm::~TFilterChannelForm() = default;

int TFilterChannelForm::NewChannelIndex() const { return filter_ ? filter_->ChannelIndex() : -1; }

void TFilterChannelForm::Recompute(bool force)
{
    const int position = slider_->value();
    const int channel = channel_->currentIndex();
    if (!force && position == lastPosition_ && channel == lastChannel_)
        return;
    lastPosition_ = position;
    lastChannel_ = channel;
    filter_->Apply(channel < 0 ? 0 : channel, TFilter::SliderWidth(position));
    ok_->show();
    if (changed)
        changed();
}

void TFilterChannelForm::done(int result)
{
    if (!accepted_) {
        if (result == QDialog::Accepted)
            filter_->Accept();
        else
            filter_->Cancel();
        accepted_ = true;
    }
    if (changed)
        changed();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// Time shift

TTimeShiftForm::TTimeShiftForm(TRecording& recording, const std::vector<int>& visibleChannels, int graphWidth,
                               QWidget* parent)
    : QDialog(parent), recording_(recording), channels_(visibleChannels)
{
    setObjectName(QStringLiteral("TTimeShiftForm"));
    auto* channelLabel = new QLabel(this);
    channelLabel->setObjectName(QStringLiteral("x08xChannelLabel"));
    channel_ = new QComboBox(this);
    channel_->setObjectName(QStringLiteral("ChannelComboBox"));
    for (int c : channels_)
        channel_->addItem(Q(recording.Channel(c).GetName()));
    auto* offsetTitle = new QLabel(this);
    offsetTitle->setObjectName(QStringLiteral("x07xOffsetTitleLabel"));
    offset_ = new QLabel(this);
    offset_->setObjectName(QStringLiteral("OffsetLabel"));
    bar_ = new QScrollBar(Qt::Horizontal, this);
    bar_->setObjectName(QStringLiteral("ShiftScrollBar"));
    bar_->setRange(-recording.RecordCount, recording.RecordCount);
    // One pixel of the graph per small step; a hidden graph counts as one pixel wide.
    const std::int64_t span = static_cast<std::int64_t>(recording.Time->LastIndex) - recording.Time->FirstIndex;
    const int small = static_cast<int>(std::clamp<std::int64_t>(span / std::max(graphWidth, 1), 1, 2000));
    bar_->setSingleStep(small);
    bar_->setPageStep(std::clamp(small * 10, 1, 30000));
    auto* del = Button(QStringLiteral("x02xDeleteLabel"), this);
    auto* delAll = Button(QStringLiteral("x03xDeleteAllLabel"), this);
    auto* close = Button(QStringLiteral("CloseLabel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(channelLabel);
    layout->addWidget(channel_);
    auto* row = new QHBoxLayout;
    row->addWidget(offsetTitle);
    row->addWidget(offset_, 1);
    layout->addLayout(row);
    layout->addWidget(bar_);
    layout->addLayout(ButtonRow({del, delAll, close}));
    ApplyQtCaptions(this, 463);
    setWindowTitle(Txt(463)); // 463: Channel time-shifting wizard
    setMinimumWidth(420);

    connect(del, &TButtonLabel::clicked, this, &TTimeShiftForm::DeleteShift);
    connect(delAll, &TButtonLabel::clicked, this, &TTimeShiftForm::DeleteAllShifts);
    connect(close, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(channel_, &QComboBox::currentIndexChanged, this, &TTimeShiftForm::ShowChannel);
    connect(channel_, &QComboBox::activated, this, [this] { bar_->setFocus(); });
    connect(bar_, &QScrollBar::valueChanged, this, &TTimeShiftForm::ShiftChanged);
    ShowChannel(0);
}

void TTimeShiftForm::ShowChannel(int listIndex)
{
    if (listIndex < 0 || listIndex >= static_cast<int>(channels_.size()))
        return;
    const int shift = recording_.Channel(channels_[static_cast<std::size_t>(listIndex)]).TimeShift;
    QSignalBlocker block(bar_);
    bar_->setValue(shift);
    offset_->setText(Q(recording_.Time->GetOffsetText(shift) + " " + recording_.Time->TimeUnit));
}

void TTimeShiftForm::ShiftChanged(int value)
{
    const int i = channel_->currentIndex();
    if (i < 0 || i >= static_cast<int>(channels_.size()))
        return;
    recording_.Channel(channels_[static_cast<std::size_t>(i)]).SetTimeShift(value);
    offset_->setText(Q(recording_.Time->GetOffsetText(value) + " " + recording_.Time->TimeUnit));
    if (changed)
        changed();
}

void TTimeShiftForm::DeleteShift() { bar_->setValue(0); }

void TTimeShiftForm::DeleteAllShifts()
{
    for (int i = 0; i < recording_.ChannelCount; ++i)
        if (recording_.Channel(i).TimeShift != 0)
            recording_.Channel(i).SetTimeShift(0);
    QSignalBlocker block(bar_);
    bar_->setValue(0);
    offset_->setText(Q(recording_.Time->GetOffsetText(0) + " " + recording_.Time->TimeUnit));
    if (changed)
        changed();
}

void TTimeShiftForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        accept(); // there is no cancel: the shifts stay as set
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------
// Channel removal

TDeleteChannelForm::TDeleteChannelForm(TRecording& recording, QWidget* parent) : QDialog(parent), recording_(recording)
{
    setObjectName(QStringLiteral("TDeleteChannelForm"));
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("x01xSelectLabel"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ChannelCheckListBox"));
    for (int i = 0; i < recording.ChannelCount; ++i) {
        auto* item = new QListWidgetItem(Q(recording.Channel(i).GetName()), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* ok = Button(QStringLiteral("OkLabel"), this);
    auto* cancel = Button(QStringLiteral("CancelLabel"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addLayout(ButtonRow({ok, cancel}));
    ApplyQtCaptions(this, 449);
    setWindowTitle(Txt(449)); // 449: Remove channels
    connect(ok, &TButtonLabel::clicked, this, [this] {
        for (const QString& name : DeleteChecked())
            // 451: Channel %s couldn't be deleted. At least...; 449: Remove channels
            MessageBox(Txt(451).replace(QLatin1String("%s"), name), Txt(449), MB_OK | MB_ICONERROR);
        accept();
    });
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
}

QStringList TDeleteChannelForm::DeleteChecked()
{
    QStringList kept;
    recording_.XAxisIndex = -1;
    for (int row = list_->count() - 1; row >= 0; --row) {
        if (list_->item(row)->checkState() != Qt::Checked)
            continue;
        if (!recording_.DeleteChannel(row))
            kept << list_->item(row)->text();
    }
    bool anyVisible = false;
    for (int i = 0; i < recording_.ChannelCount; ++i)
        anyVisible = anyVisible || recording_.Channel(i).Visible;
    if (!anyVisible && recording_.ChannelCount > 0)
        recording_.Channel(0).Visible = true;
    if (changed)
        changed();
    return kept;
}

} // namespace vro::app
