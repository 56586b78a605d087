#include "app/setup/blockframes.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "device/setup/vro8setup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vro::app {

// ---- base --------------------------------------------------------------------------------------

TVro8BaseSetupFrame::TVro8BaseSetupFrame(vro::TVro8Setup& setup, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8BaseSetupFrame"), vro::TVro8BaseEditor::TextBase, setup, parent),
      editor_(setup)
{
    pressure_ = AddCombo(QStringLiteral("x3xPressureUnitLabel"), QStringLiteral("x6x9xPressureUnitComboBox"));
    temperature_ =
        AddCombo(QStringLiteral("x4xTemperatureUnitLabel"), QStringLiteral("x10x13xTemperatureUnitComboBox"));
    flow_ = AddCombo(QStringLiteral("x5xFlowUnitLabel"), QStringLiteral("x14x16xFlowUnitComboBox"));
    refresh_ = new TButtonLabel(QStringLiteral("RefreshLabel"), this);
    StyleButtonLabel(refresh_);
    MainLayout()->addWidget(refresh_, 0, Qt::AlignLeft);
    MainLayout()->addStretch(1);
    ApplyCaptions();
    refresh_->setText(FrameButtonCaption(Txt(887))); // 887: Update
    connect(refresh_, &TButtonLabel::clicked, this, [this] { Open(); });
}

bool TVro8BaseSetupFrame::Open()
{
    const bool ok = Guarded([this] { editor_.Open(); });
    Show();
    return ok;
}

void TVro8BaseSetupFrame::Show()
{
    Fill(pressure_, editor_.PreassureUnit);
    Fill(temperature_, editor_.TemperatureUnit);
    Fill(flow_, editor_.FlowUnit);
}

void TVro8BaseSetupFrame::OnOk()
{
    Take(pressure_, editor_.PreassureUnit);
    Take(temperature_, editor_.TemperatureUnit);
    Take(flow_, editor_.FlowUnit);
    if (Guarded([this] { editor_.Ok(); }))
        Close();
}

// ---- display -----------------------------------------------------------------------------------

TVro8DisplaySetupFrame::TVro8DisplaySetupFrame(vro::TVro8Setup& setup, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8DisplaySetupFrame"), vro::TVro8DisplayEditor::TextBase, setup, parent),
      editor_(setup)
{
    filter_ = AddCombo(QStringLiteral("x4xFilterLabel"), QStringLiteral("x8x11xFilterComboBox"));
    kind_ = AddCombo(QStringLiteral("x5xKindLabel"), QStringLiteral("x14x19xKindComboBox"));
    bar_ = AddCombo(QStringLiteral("x6xBarLabel"), QStringLiteral("x12x13xBarComboBox"));
    minMax_ = AddCombo(QStringLiteral("x7xMinMaxLabel"), QStringLiteral("x20x21xMinMaxComboBox"));
    refresh_ = new TButtonLabel(QStringLiteral("RefreshLabel"), this);
    StyleButtonLabel(refresh_);
    MainLayout()->addWidget(refresh_, 0, Qt::AlignLeft);
    MainLayout()->addStretch(1);
    ApplyCaptions();
    refresh_->setText(FrameButtonCaption(Txt(887))); // 887: Update
    connect(refresh_, &TButtonLabel::clicked, this, [this] { Open(); });
}

bool TVro8DisplaySetupFrame::Open()
{
    const bool ok = Guarded([this] { editor_.Open(); });
    Show();
    return ok;
}

void TVro8DisplaySetupFrame::Show()
{
    Fill(filter_, editor_.Filter);
    Fill(kind_, editor_.Kind);
    Fill(bar_, editor_.Bar);
    Fill(minMax_, editor_.MinMax);
}

void TVro8DisplaySetupFrame::OnOk()
{
    Take(filter_, editor_.Filter);
    Take(kind_, editor_.Kind);
    Take(bar_, editor_.Bar);
    Take(minMax_, editor_.MinMax);
    if (Guarded([this] { editor_.Ok(); }))
        Close();
}

// ---- recording ---------------------------------------------------------------------------------

TVro8RecordingSetupFrame::TVro8RecordingSetupFrame(vro::TVro8Setup& setup, QWidget* parent)
    : TVroEditorFrame(QStringLiteral("TVro8RecordingSetupFrame"), vro::TVro8RecordingEditor::TextBase, setup, parent),
      editor_(setup)
{
    name_ = AddEdit(QStringLiteral("x1xRecordingNameLabel"), QStringLiteral("RecordingNameEdit"));
    name_->setMaxLength(32);
    type_ = AddCombo(QStringLiteral("x2xRecordingTypeLabel"), QStringLiteral("x25x27xRecordingTypeComboBox"));
    rate_ = AddCombo(QStringLiteral("x4xSampleRateLabel"), QStringLiteral("x7x24xSampleRateComboBox"));
    duration_ = AddCombo(QStringLiteral("x5xDurationLabel"), QStringLiteral("x28x43xDurationComboBox"));
    mode_ = AddCombo(QStringLiteral("x6xSimpleCurveModeLabel"), QStringLiteral("x44x45xSimpleCurveModeComboBox"));
    position_ = AddCombo(QStringLiteral("x47xTriggerPositionLabel"), QStringLiteral("x50x60xTriggerPositionComboBox"));
    MainLayout()->addStretch(1);
    ApplyCaptions();
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int) {
        Take(type_, editor_.RecordingType);
        Show();
    });
}

bool TVro8RecordingSetupFrame::Open()
{
    const bool ok = Guarded([this] { editor_.Open(); });
    name_->setText(QString::fromStdString(editor_.RecordingName));
    Fill(type_, editor_.RecordingType);
    Fill(rate_, editor_.SampleRate);
    Fill(duration_, editor_.Duration);
    Fill(mode_, editor_.SimpleCurvMode);
    Fill(position_, editor_.TriggerPosition);
    ClearMarks();
    Show();
    return ok;
}

void TVro8RecordingSetupFrame::Show()
{
    std::vector<std::string> rows{"RecordingNameEdit", "x25x27xRecordingTypeComboBox"};
    for (const std::string& r : editor_.Rows())
        rows.push_back(r);
    ShowRows(rows);
}

void TVro8RecordingSetupFrame::TakeAll()
{
    editor_.RecordingName = name_->text().toStdString();
    Take(type_, editor_.RecordingType);
    Take(rate_, editor_.SampleRate);
    Take(duration_, editor_.Duration);
    Take(mode_, editor_.SimpleCurvMode);
    Take(position_, editor_.TriggerPosition);
}

void TVro8RecordingSetupFrame::OnOk()
{
    TakeAll();
    ClearMarks();
    vro::TVro8EditResult r;
    if (!Guarded([this, &r] { r = editor_.Ok(); }))
        return;
    if (Mark(r))
        Close();
}

void TVro8RecordingSetupFrame::OnCancel()
{
    Guarded([this] { editor_.Cancel(); });
    Close();
}

} // namespace vro::app
