#include "app/dialogs/filenameinputform.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace vro::app {

TFilenameInputForm::TFilenameInputForm(const std::string& sampleName, std::int32_t sampleNumber, double sampleDateTime,
                                       QWidget* parent)
    : QDialog(parent), logic_(sampleName, sampleNumber, sampleDateTime)
{
    setObjectName(QStringLiteral("TFilenameInputForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTopLabel"));
    auto* layout = new QVBoxLayout(f.main);

    auto* presetGroup = new QGroupBox(f.main);
    presetGroup->setObjectName(QStringLiteral("x6xPresetsGroupBox"));
    auto* pl = new QVBoxLayout(presetGroup);
    presets_ = new QComboBox(presetGroup);
    presets_->setObjectName(QStringLiteral("PresetComboBox"));
    for (const std::string& t : vro::TFilenameInputLogic::PresetTexts())
        presets_->addItem(QString::fromStdString(t));
    pl->addWidget(presets_);
    auto* digitsLabel = new QLabel(presetGroup);
    digitsLabel->setObjectName(QStringLiteral("x18xDigitsLabel"));
    digitsLabel->setWordWrap(true);
    pl->addWidget(digitsLabel);
    digits_ = new QComboBox(presetGroup);
    digits_->setObjectName(QStringLiteral("DigitComboBox"));
    for (const std::string& t : vro::TFilenameInputLogic::DigitTexts())
        digits_->addItem(QString::fromStdString(t));
    pl->addWidget(digits_);
    layout->addWidget(presetGroup);

    free_ = new QGroupBox(f.main);
    free_->setObjectName(QStringLiteral("x10xFreeInputGroupBox"));
    auto* fl = new QVBoxLayout(free_);
    auto* templateLabel = new QLabel(free_);
    templateLabel->setObjectName(QStringLiteral("x9xTemplateLabel"));
    fl->addWidget(templateLabel);
    auto* editRow = new QHBoxLayout;
    template_ = new QLineEdit(free_);
    template_->setObjectName(QStringLiteral("TemplateEdit"));
    editRow->addWidget(template_, 1);
    auto* clear = new TButtonLabel(QStringLiteral("x11xClearLabel"), free_);
    editRow->addWidget(clear);
    fl->addLayout(editRow);
    auto* explain = new QLabel(free_);
    explain->setObjectName(QStringLiteral("x12xExplanationLabel"));
    explain->setWordWrap(true);
    fl->addWidget(explain);
    auto* available = new QLabel(free_);
    available->setObjectName(QStringLiteral("x13xParametersLabel"));
    fl->addWidget(available);
    auto* links = new QHBoxLayout;
    auto* date = new TButtonLabel(QStringLiteral("x14xDateLabel"), free_);
    auto* time = new TButtonLabel(QStringLiteral("x15xTimeLabel"), free_);
    auto* number = new TButtonLabel(QStringLiteral("x16xNumberLabel"), free_);
    auto* name = new TButtonLabel(QStringLiteral("x17xNameLabel"), free_);
    for (TButtonLabel* l : {date, time, number, name})
        links->addWidget(l);
    links->addStretch(1);
    fl->addLayout(links);
    layout->addWidget(free_);

    auto* previewGroup = new QGroupBox(f.main);
    previewGroup->setObjectName(QStringLiteral("x8xPreviewGroupBox"));
    auto* vl = new QVBoxLayout(previewGroup);
    preview_ = new QLabel(previewGroup);
    preview_->setObjectName(QStringLiteral("PreviewLabel"));
    preview_->setTextFormat(Qt::PlainText);
    vl->addWidget(preview_);
    layout->addWidget(previewGroup);
    layout->addStretch(1);

    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    ApplyQtCaptions(this, kTextBase);
    for (TButtonLabel* l : {clear, date, time, number, name})
        StyleButtonLabel(l);

    connect(presets_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (updating_)
            return;
        logic_.ChoosePreset(i);
        FromLogic();
    });
    connect(digits_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (updating_)
            return;
        logic_.ChooseDigits(i + 1);
        FromLogic();
    });
    connect(template_, &QLineEdit::textEdited, this, [this](const QString& t) {
        logic_.SetTemplateText(t.toStdString());
        FromLogic();
    });
    auto act = [this](void (vro::TFilenameInputLogic::*fn)()) {
        return [this, fn] {
            (logic_.*fn)();
            FromLogic();
        };
    };
    connect(clear, &TButtonLabel::clicked, this, act(&vro::TFilenameInputLogic::Clear));
    connect(date, &TButtonLabel::clicked, this, act(&vro::TFilenameInputLogic::AppendDate));
    connect(time, &TButtonLabel::clicked, this, act(&vro::TFilenameInputLogic::AppendTime));
    connect(number, &TButtonLabel::clicked, this, act(&vro::TFilenameInputLogic::AppendNumber));
    connect(name, &TButtonLabel::clicked, this, act(&vro::TFilenameInputLogic::AppendName));
    connect(ok, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    FromLogic();
    resize(460, 480);
}

void TFilenameInputForm::FromLogic()
{
    updating_ = true;
    presets_->setCurrentIndex(logic_.Preset());
    digits_->setCurrentIndex(logic_.Digits() - 1);
    const QString t = QString::fromStdString(logic_.TemplateText());
    if (template_->text() != t)
        template_->setText(t);
    free_->setVisible(logic_.FreeInputVisible());
    preview_->setText(QString::fromStdString(logic_.Preview()));
    updating_ = false;
}

int TFilenameInputForm::Run(std::string& result, const std::string& sampleName, std::int32_t sampleNumber,
                            double sampleDateTime)
{
    TFilenameInputForm form(sampleName, sampleNumber, sampleDateTime, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return vro::TFilenameInputLogic::Cancel(result);
    return form.Logic().Accept(result);
}

} // namespace vro::app
