#include "app/setup/itemframes.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "device/setup/vro8setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vro::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* BoldHeading(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("HeadingLabel"));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

TButtonLabel* Summary(const QString& name, QWidget* parent)
{
    auto* l = new TButtonLabel(name, parent);
    l->setCursor(Qt::PointingHandCursor);
    l->setStyleSheet(QStringLiteral("color: #000080;"));
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

// The combination drawing of the trigger editor.
class TTriggerDrawingBox : public QWidget {
public:
    explicit TTriggerDrawingBox(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("CombinationPaintBox"));
        setFixedSize(140, 110);
    }
    int Combination = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0xE0, 0xE0, 0xE0));
        p.setPen(Qt::black);
        const vro::TVro8TriggerDrawing d = vro::Vro8TriggerDrawing(Combination);
        for (const auto& l : d.Lines)
            p.drawLine(l.X1, l.Y1, l.X2, l.Y2);
        for (const auto& b : d.Boxes) {
            p.drawRect(b.X, b.Y, b.W - 1, b.H - 1);
            p.drawText(QRect(b.X, b.Y, b.W, b.H), Qt::AlignCenter, QStringLiteral("&"));
        }
    }
};

} // namespace

// ---- sensor ------------------------------------------------------------------------------------

TVro8SensorSetupFrame::TVro8SensorSetupFrame(vro::TVro8Setup& setup, bool readBlock, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8SensorSetupFrame"), vro::TVro8SensorEditor::TextBase, setup, parent),
      editor_(setup), readBlock_(readBlock)
{
    auto* hint = new QLabel(this);
    hint->setObjectName(QStringLiteral("x2xHintLabel"));
    MainLayout()->insertWidget(0, hint);
    list_ = new QWidget(this);
    list_->setObjectName(QStringLiteral("ListPanel"));
    listGrid_ = new QGridLayout(list_);
    listGrid_->setVerticalSpacing(5);
    listGrid_->setColumnStretch(1, 1);
    MainLayout()->insertWidget(1, list_);
    heading_ = BoldHeading(this);
    MainLayout()->insertWidget(2, heading_);
    name_ = AddEdit(QStringLiteral("x15xNameLabel"), QStringLiteral("NameEdit"));
    name_->setMaxLength(32);
    mode_ = AddCombo(QStringLiteral("x17xModeLabel"), QStringLiteral("ModusComboBox"));
    signal_ = AddCombo(QStringLiteral("x16xSignalLabel"), QStringLiteral("InputSignalComboBox"));
    lo_ = AddEdit(QStringLiteral("x18xLoRangeLabel"), QStringLiteral("LoRangeEdit"));
    hi_ = AddEdit(QStringLiteral("x19xHiRangeLabel"), QStringLiteral("HiRangeEdit"));
    unit_ = AddCombo(QStringLiteral("x20xUnitLabel"), QStringLiteral("UnitComboBox"));
    decimals_ = AddCombo(QStringLiteral("x21xDecimalsLabel"), QStringLiteral("x44x47xDecimalFormatComboBox"));
    volume_ = AddEdit(QStringLiteral("x28xVolumeLabel"), QStringLiteral("VolEdit"));
    pressure_ = AddEdit(QStringLiteral("x29xPressureLabel"), QStringLiteral("PressureEdit"));
    factor_ = AddEdit(QStringLiteral("x32xFactorLabel"), QStringLiteral("FactorEdit"));
    MainLayout()->addStretch(1);
    ApplyCaptions();
    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (building_)
            return;
        TakeSettings();
        editor_.ModeChanged();
        ShowSettings();
    });
    connect(decimals_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (building_)
            return;
        TakeSettings();
        editor_.DecimalsChanged();
        const QSignalBlocker b(volume_);
        volume_->setText(Q(editor_.Volume));
    });
    timer_.setInterval(3000);
    connect(&timer_, &QTimer::timeout, this, [this] { RefreshTick(); });
}

bool TVro8SensorSetupFrame::Open()
{
    building_ = true;
    const bool ok = Guarded([this] { editor_.Open(readBlock_); });
    building_ = false;
    ShowList();
    if (ok)
        timer_.start();
    return ok;
}

void TVro8SensorSetupFrame::RefreshTick()
{
    if (editor_.InSettings())
        return;
    timer_.stop();
    if (Guarded([this] { editor_.Refresh(); })) {
        ShowList();
        timer_.start();
    }
}

void TVro8SensorSetupFrame::BuildList()
{
    while (QLayoutItem* item = listGrid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int row = 0;
    for (std::size_t i = 0; i < editor_.Rows.size(); ++i) {
        const auto& r = editor_.Rows[i];
        auto* box = new QCheckBox(Q(r.Caption), list_);
        box->setObjectName(QStringLiteral("Channel%1CheckBox").arg(QChar('A' + static_cast<int>(i))));
        auto* summary = Summary(QStringLiteral("Channel%1Label").arg(QChar('A' + static_cast<int>(i))), list_);
        listGrid_->addWidget(box, row, 0);
        listGrid_->addWidget(summary, row, 1);
        const int record = static_cast<int>(i);
        connect(box, &QCheckBox::toggled, this, [this, record](bool on) {
            if (!building_)
                Guarded([this, record, on] { editor_.SetActive(record, on); });
        });
        connect(summary, &TButtonLabel::clicked, this, [this, record] { OpenSettings(record); });
        ++row;
        for (std::size_t j = 0; j < r.Subs.size(); ++j) {
            auto* sub = new QCheckBox(Q(r.Subs[j].Caption), list_);
            sub->setObjectName(QStringLiteral("Channel%1Sub%2CheckBox").arg(QChar('A' + record)).arg(j + 1));
            auto* label = new QLabel(Q(r.Subs[j].Label), list_);
            label->setObjectName(QStringLiteral("Channel%1Sub%2Label").arg(QChar('A' + record)).arg(j + 1));
            listGrid_->addWidget(sub, row, 0);
            listGrid_->addWidget(label, row, 1);
            const int s = static_cast<int>(j);
            connect(sub, &QCheckBox::toggled, this, [this, record, s](bool on) {
                if (!building_)
                    Guarded([this, record, s, on] { editor_.SetSubActive(record, s, on); });
            });
            ++row;
        }
    }
    builtSubs_.clear();
    for (const auto& r : editor_.Rows)
        builtSubs_.push_back(r.Subs.size());
}

void TVro8SensorSetupFrame::ShowList()
{
    building_ = true;
    // Rebuilt when the rows changed (smart flags), else only updated.
    std::vector<std::size_t> subs;
    for (const auto& r : editor_.Rows)
        subs.push_back(r.Subs.size());
    const bool rebuild = subs != builtSubs_;
    if (rebuild)
        BuildList();
    for (std::size_t i = 0; i < editor_.Rows.size(); ++i) {
        const auto& r = editor_.Rows[i];
        const QChar letter('A' + static_cast<int>(i));
        list_->findChild<QCheckBox*>(QStringLiteral("Channel%1CheckBox").arg(letter))->setChecked(r.Checked);
        auto* summary = list_->findChild<TButtonLabel*>(QStringLiteral("Channel%1Label").arg(letter));
        summary->setText(Q(r.Summary));
        // A CAN-Bus input is a plain label.
        summary->setEnabled(true);
        summary->setCursor(r.Clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
        summary->setStyleSheet(r.Clickable ? QStringLiteral("color: #000080;") : QString());
        summary->setProperty("vroClickable", r.Clickable);
        for (std::size_t j = 0; j < r.Subs.size(); ++j) {
            auto* sub = list_->findChild<QCheckBox*>(QStringLiteral("Channel%1Sub%2CheckBox").arg(letter).arg(j + 1));
            sub->setChecked(r.Subs[j].Checked);
            sub->setEnabled(r.Subs[j].Enabled);
        }
    }
    building_ = false;
    list_->show();
    findChild<QLabel*>(QStringLiteral("x2xHintLabel"))->show();
    heading_->hide();
    RowsPanel()->hide();
    CancelLabel()->hide();
}

bool TVro8SensorSetupFrame::OpenSettings(int record)
{
    if (!editor_.OpenSettings(record))
        return false;
    building_ = true;
    heading_->setText(Q(editor_.Heading));
    name_->setText(Q(editor_.Name));
    Fill(decimals_, editor_.Decimals);
    Fill(signal_, editor_.Signal);
    Fill(mode_, editor_.Mode);
    lo_->setText(Q(editor_.LoRange));
    hi_->setText(Q(editor_.HiRange));
    volume_->setText(Q(editor_.Volume));
    pressure_->setText(Q(editor_.Pressure));
    factor_->setText(Q(editor_.Factor));
    building_ = false;
    ClearMarks();
    ShowSettings();
    return true;
}

void TVro8SensorSetupFrame::ShowSettings()
{
    building_ = true;
    {
        const QSignalBlocker b(unit_);
        unit_->clear();
        for (const std::string& u : editor_.UnitList)
            unit_->addItem(Q(u));
        unit_->setEditable(editor_.UnitFreeText);
        if (editor_.UnitFreeText)
            unit_->setEditText(Q(editor_.Unit));
        else
            unit_->setCurrentText(Q(editor_.Unit));
    }
    building_ = false;
    std::vector<std::string> rows{"NameEdit"};
    for (const std::string& r : editor_.SettingsRows())
        rows.push_back(r);
    ShowRows(rows);
    list_->hide();
    findChild<QLabel*>(QStringLiteral("x2xHintLabel"))->hide();
    heading_->show();
    RowsPanel()->show();
    CancelLabel()->setVisible(editor_.CancelShown());
}

void TVro8SensorSetupFrame::TakeSettings()
{
    editor_.Name = name_->text().toStdString();
    Take(decimals_, editor_.Decimals);
    Take(signal_, editor_.Signal);
    Take(mode_, editor_.Mode);
    editor_.LoRange = lo_->text().toStdString();
    editor_.HiRange = hi_->text().toStdString();
    editor_.Volume = volume_->text().toStdString();
    editor_.Pressure = pressure_->text().toStdString();
    editor_.Factor = factor_->text().toStdString();
    editor_.Unit = unit_->currentText().toStdString();
}

void TVro8SensorSetupFrame::OnOk()
{
    if (!editor_.InSettings()) {
        if (Guarded([this] { editor_.Ok(); })) {
            timer_.stop();
            Close();
        }
        return;
    }
    TakeSettings();
    ClearMarks();
    vro::TVro8EditResult r;
    const bool ok = Guarded([this, &r] { r = editor_.SettingsOk(); });
    CancelLabel()->setVisible(editor_.CancelShown());
    if (ok && Mark(r))
        ShowList();
}

void TVro8SensorSetupFrame::OnCancel()
{
    if (editor_.InSettings()) {
        editor_.SettingsCancel();
        ShowList();
    }
}

// ---- trigger -----------------------------------------------------------------------------------

TVro8TriggerSetupFrame::TVro8TriggerSetupFrame(vro::TVro8Setup& setup, bool readChannels, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8TriggerSetupFrame"), vro::TVro8TriggerEditor::TextBase, setup, parent),
      editor_(setup), readChannels_(readChannels)
{
    main_ = new QWidget(this);
    main_->setObjectName(QStringLiteral("MainViewPanel"));
    auto* grid = new QGridLayout(main_);
    grid->setColumnStretch(1, 1);
    auto* events = new QLabel(main_);
    events->setObjectName(QStringLiteral("x18xEventsLabel"));
    grid->addWidget(events, 0, 0, 1, 2);
    for (int i = 0; i < 4; ++i) {
        boxes_[i] = new QCheckBox(main_);
        boxes_[i]->setObjectName(QStringLiteral("x%1xTrigger%2CheckBox").arg(19 + i).arg(i + 1));
        summaries_[i] = Summary(QStringLiteral("Trigger%1Label").arg(i + 1), main_);
        summaries_[i]->setWordWrap(true);
        grid->addWidget(boxes_[i], 1 + i, 0);
        grid->addWidget(summaries_[i], 1 + i, 1);
        connect(boxes_[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (filling_)
                return;
            Guarded([this, i, on] { editor_.SetActive(i, on); });
            ShowMain();
        });
        connect(summaries_[i], &TButtonLabel::clicked, this, [this, i] { OpenEvent(i); });
    }
    auto* comb = new QLabel(main_);
    comb->setObjectName(QStringLiteral("x6xCombinationLabel"));
    combination_ = new QComboBox(main_);
    combination_->setObjectName(QStringLiteral("x7x11xCommonTriggerComboBox"));
    grid->addWidget(comb, 5, 0);
    grid->addWidget(combination_, 5, 1);
    drawing_ = new TTriggerDrawingBox(main_);
    grid->addWidget(drawing_, 6, 1);
    MainLayout()->insertWidget(0, main_);
    connect(combination_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_)
            return;
        editor_.Combination.Select(i);
        static_cast<TTriggerDrawingBox*>(drawing_)->Combination = editor_.Combination.Value();
        drawing_->update();
    });

    heading_ = BoldHeading(this);
    MainLayout()->insertWidget(1, heading_);
    source_ = AddCombo(QStringLiteral("x12xSourceLabel"), QStringLiteral("x13x17xSourceComboBox"));
    input_ = AddCombo(QStringLiteral("x29xInputLabel"), QStringLiteral("InputComboBox"));
    edge_ = AddCombo(QStringLiteral("x32xEdgeLabel"), QStringLiteral("EdgeComboBox"));
    valueSensor_ = AddCombo(QStringLiteral("x35xValueSensorLabel"), QStringLiteral("ValueSensorComboBox"));
    valueSub_ = AddCombo(QStringLiteral("x36xValueSubLabel"), QStringLiteral("ValueSubChannelComboBox"));
    value_ = AddEdit(QStringLiteral("x48xValueLabel"), QStringLiteral("ValueEdit"));
    direction_ = AddCombo(QStringLiteral("x49xDirectionLabel"), QStringLiteral("DirectionComboBox"));
    windowSensor_ = AddCombo(QStringLiteral("x35xWindowSensorLabel"), QStringLiteral("WindowSensorComboBox"));
    windowSub_ = AddCombo(QStringLiteral("x36xWindowSubLabel"), QStringLiteral("WindowSubChannelComboBox"));
    lo_ = AddEdit(QStringLiteral("x52xLoLimitLabel"), QStringLiteral("LoLimitEdit"));
    hi_ = AddEdit(QStringLiteral("x53xHiLimitLabel"), QStringLiteral("HiLimitEdit"));
    count_ = AddEdit(QStringLiteral("x37xCountLabel"), QStringLiteral("CountEdit"));
    distance_ = AddCombo(QStringLiteral("x47xDistanceLabel"), QStringLiteral("DistanceComboBox"));
    startMode_ = AddCombo(QStringLiteral("x54xStartModeLabel"), QStringLiteral("StartModeComboBox"));
    startDate_ = AddEdit(QStringLiteral("x69xStartDateLabel"), QStringLiteral("StartDateEdit"));
    startTime_ = AddEdit(QStringLiteral("x70xStartTimeLabel"), QStringLiteral("StartTimeEdit"));
    MainLayout()->addStretch(1);
    ApplyCaptions();
    CancelLabel()->setText(FrameButtonCaption(Txt(910))); // 910: Discard
    auto rerow = [this](int) {
        if (filling_)
            return;
        TakeEvent();
        ShowEvent();
    };
    connect(source_, &QComboBox::currentIndexChanged, this, rerow);
    connect(startMode_, &QComboBox::currentIndexChanged, this, rerow);
    const std::pair<QComboBox*, bool> channelLists[] = {
        {valueSensor_, false}, {valueSub_, false}, {windowSensor_, true}, {windowSub_, true}};
    for (const auto& [b, window] : channelLists)
        connect(b, &QComboBox::currentIndexChanged, this, [this, window = window](int) {
            if (filling_)
                return;
            TakeEvent();
            editor_.ChannelChanged(window);
            filling_ = true;
            value_->setText(Q(editor_.Value));
            lo_->setText(Q(editor_.LoLimit));
            hi_->setText(Q(editor_.HiLimit));
            filling_ = false;
            ShowEvent();
        });
}

bool TVro8TriggerSetupFrame::Open()
{
    const bool ok = Guarded([this] { editor_.Open(readChannels_); });
    ShowMain();
    return ok;
}

void TVro8TriggerSetupFrame::ShowMain()
{
    filling_ = true;
    const int n = editor_.EventCount();
    for (int i = 0; i < 4; ++i) {
        const bool has = i < n && i < static_cast<int>(editor_.Active.size());
        boxes_[i]->setVisible(has);
        summaries_[i]->setVisible(has);
        if (has) {
            boxes_[i]->setChecked(editor_.Active[static_cast<std::size_t>(i)]);
            summaries_[i]->setText(Q(editor_.Summaries[static_cast<std::size_t>(i)]));
        }
    }
    Fill(combination_, editor_.Combination);
    auto* d = static_cast<TTriggerDrawingBox*>(drawing_);
    d->Combination = editor_.Combination.Value();
    drawing_->setVisible(Setup().ComVersion() != 5);
    drawing_->update();
    filling_ = false;
    main_->show();
    heading_->hide();
    RowsPanel()->hide();
}

void TVro8TriggerSetupFrame::OpenEvent(int event)
{
    editor_.OpenEvent(event);
    ShowEvent();
}

void TVro8TriggerSetupFrame::OpenForStart(int event)
{
    editor_.OpenForStart(event);
    ShowEvent();
}

void TVro8TriggerSetupFrame::ShowEvent()
{
    filling_ = true;
    heading_->setText(Q(editor_.Heading));
    Fill(source_, editor_.Source);
    Fill(input_, editor_.Input);
    Fill(edge_, editor_.Edge);
    Fill(valueSensor_, editor_.ValueSensor);
    Fill(valueSub_, editor_.ValueSub);
    Fill(direction_, editor_.Direction);
    Fill(windowSensor_, editor_.WindowSensor);
    Fill(windowSub_, editor_.WindowSub);
    Fill(distance_, editor_.Distance);
    Fill(startMode_, editor_.StartMode);
    value_->setText(Q(editor_.Value));
    lo_->setText(Q(editor_.LoLimit));
    hi_->setText(Q(editor_.HiLimit));
    count_->setText(Q(editor_.Count));
    startDate_->setText(Q(editor_.StartDate));
    startTime_->setText(Q(editor_.StartTime));
    filling_ = false;
    ShowRows(editor_.EventRows());
    main_->hide();
    heading_->show();
    RowsPanel()->show();
}

void TVro8TriggerSetupFrame::TakeEvent()
{
    Take(source_, editor_.Source);
    Take(input_, editor_.Input);
    Take(edge_, editor_.Edge);
    Take(valueSensor_, editor_.ValueSensor);
    Take(valueSub_, editor_.ValueSub);
    Take(direction_, editor_.Direction);
    Take(windowSensor_, editor_.WindowSensor);
    Take(windowSub_, editor_.WindowSub);
    Take(distance_, editor_.Distance);
    Take(startMode_, editor_.StartMode);
    editor_.Value = value_->text().toStdString();
    editor_.LoLimit = lo_->text().toStdString();
    editor_.HiLimit = hi_->text().toStdString();
    editor_.Count = count_->text().toStdString();
    editor_.StartDate = startDate_->text().toStdString();
    editor_.StartTime = startTime_->text().toStdString();
}

void TVro8TriggerSetupFrame::OnOk()
{
    if (!editor_.InEvent()) {
        for (int i = 0; i < editor_.EventCount() && i < static_cast<int>(editor_.Active.size()); ++i)
            editor_.Active[static_cast<std::size_t>(i)] = boxes_[i]->isChecked();
        if (Guarded([this] { editor_.Ok(); }))
            Close();
        return;
    }
    TakeEvent();
    ClearMarks();
    const vro::TVro8EditResult r = editor_.EventOk();
    if (r && r->Message.empty())
        return; // the write failed: the view stays, without a message
    if (!Mark(r))
        return;
    if (editor_.Closed())
        Close();
    else
        ShowMain();
}

void TVro8TriggerSetupFrame::OnCancel()
{
    if (editor_.Cancel())
        ShowMain();
    else
        Close();
}

// ---- CAN ---------------------------------------------------------------------------------------

TVro8CanSetupFrame::TVro8CanSetupFrame(vro::TVro8Setup& setup, bool readBlock, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8CanSetupFrame"), vro::TVro8CanEditor::TextBase, setup, parent),
      editor_(setup), readBlock_(readBlock)
{
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ListScrollBox"));
    scroll->setWidgetResizable(true);
    list_ = new QWidget(scroll);
    list_->setObjectName(QStringLiteral("ListPanel"));
    auto* grid = new QGridLayout(list_);
    grid->setColumnStretch(1, 1);
    for (int n = 0; n < vro::TVro8CanSetup::kMessages; ++n) {
        auto* box = new QCheckBox(list_);
        box->setObjectName(QStringLiteral("Message%1CheckBox").arg(n + 1));
        auto* summary = Summary(QStringLiteral("Message%1Label").arg(n + 1), list_);
        grid->addWidget(box, n, 0);
        grid->addWidget(summary, n, 1);
        boxes_.push_back(box);
        summaries_.push_back(summary);
        connect(box, &QCheckBox::toggled, this, [this, n](bool on) {
            if (!box_filling_)
                Guarded([this, n, on] { editor_.SetActive(n, on); });
        });
        connect(summary, &TButtonLabel::clicked, this, [this, n] { OpenSettings(n); });
    }
    scroll->setWidget(list_);
    MainLayout()->insertWidget(0, scroll, 1);
    heading_ = BoldHeading(this);
    MainLayout()->insertWidget(1, heading_);
    name_ = AddEdit(QStringLiteral("x5xNameLabel"), QStringLiteral("NameEdit"));
    lo_ = AddEdit(QStringLiteral("x6xLoRangeLabel"), QStringLiteral("LoRangeEdit"));
    hi_ = AddEdit(QStringLiteral("x7xHiRangeLabel"), QStringLiteral("HiRangeEdit"));
    unit_ = AddEdit(QStringLiteral("x8xUnitLabel"), QStringLiteral("UnitEdit"));
    decimals_ = AddCombo(QStringLiteral("x9xDecimalsLabel"), QStringLiteral("DecimalFormatComboBox"));
    frame_ = AddCombo(QStringLiteral("x14xFrameFormatLabel"), QStringLiteral("FrameFormatComboBox"));
    id_ = AddEdit(QStringLiteral("x17xMessageIdLabel"), QStringLiteral("MessageIdEdit"));
    offset_ = AddEdit(QStringLiteral("x18xDataOffsetLabel"), QStringLiteral("DataOffsetEdit"));
    format_ = AddCombo(QStringLiteral("x19xDataFormatLabel"), QStringLiteral("DataFormatComboBox"));
    order_ = AddCombo(QStringLiteral("x29xByteOrderLabel"), QStringLiteral("ByteOrderComboBox"));
    low_ = AddEdit(QStringLiteral("x32xLowDataLabel"), QStringLiteral("LowDataEdit"));
    high_ = AddEdit(QStringLiteral("x33xHighDataLabel"), QStringLiteral("HighDataEdit"));
    ApplyCaptions();
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (!editor_.InSettings()) {
            editor_.Refresh();
            ShowList();
        }
    });
}

bool TVro8CanSetupFrame::Open()
{
    const bool ok = Guarded([this] { editor_.Open(readBlock_); });
    ShowList();
    timer_.start();
    return ok;
}

void TVro8CanSetupFrame::ShowList()
{
    box_filling_ = true;
    for (std::size_t n = 0; n < editor_.Rows.size() && n < boxes_.size(); ++n) {
        boxes_[n]->setText(Q(editor_.Rows[n].Caption));
        boxes_[n]->setChecked(editor_.Rows[n].Checked);
        summaries_[n]->setText(Q(editor_.Rows[n].Summary));
    }
    box_filling_ = false;
    findChild<QScrollArea*>(QStringLiteral("ListScrollBox"))->show();
    heading_->hide();
    RowsPanel()->hide();
    CancelLabel()->hide();
}

void TVro8CanSetupFrame::OpenSettings(int message)
{
    editor_.OpenSettings(message);
    heading_->setText(Q(editor_.Heading));
    name_->setText(Q(editor_.Name));
    lo_->setText(Q(editor_.LoRange));
    hi_->setText(Q(editor_.HiRange));
    unit_->setText(Q(editor_.Unit));
    Fill(decimals_, editor_.Decimals);
    Fill(frame_, editor_.FrameFormat);
    id_->setText(Q(editor_.MessageId));
    offset_->setText(Q(editor_.DataOffset));
    Fill(format_, editor_.DataFormat);
    Fill(order_, editor_.ByteOrder);
    low_->setText(Q(editor_.LowData));
    high_->setText(Q(editor_.HighData));
    ClearMarks();
    ShowSettings();
}

void TVro8CanSetupFrame::ShowSettings()
{
    ShowAllRows();
    findChild<QScrollArea*>(QStringLiteral("ListScrollBox"))->hide();
    heading_->show();
    RowsPanel()->show();
    CancelLabel()->setVisible(editor_.CancelShown());
}

void TVro8CanSetupFrame::OnOk()
{
    if (!editor_.InSettings()) {
        if (Guarded([this] { editor_.Ok(); })) {
            timer_.stop();
            Close();
        }
        return;
    }
    editor_.Name = name_->text().toStdString();
    editor_.LoRange = lo_->text().toStdString();
    editor_.HiRange = hi_->text().toStdString();
    editor_.Unit = unit_->text().toStdString();
    Take(decimals_, editor_.Decimals);
    Take(frame_, editor_.FrameFormat);
    editor_.MessageId = id_->text().toStdString();
    editor_.DataOffset = offset_->text().toStdString();
    Take(format_, editor_.DataFormat);
    Take(order_, editor_.ByteOrder);
    editor_.LowData = low_->text().toStdString();
    editor_.HighData = high_->text().toStdString();
    ClearMarks();
    vro::TVro8EditResult r;
    const bool ok = Guarded([this, &r] { r = editor_.SettingsOk(); });
    CancelLabel()->setVisible(editor_.CancelShown());
    if (ok && Mark(r))
        ShowList();
}

void TVro8CanSetupFrame::OnCancel()
{
    if (editor_.InSettings()) {
        editor_.SettingsCancel();
        ShowList();
    }
}

} // namespace vro::app
