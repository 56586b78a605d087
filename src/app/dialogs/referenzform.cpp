#include "app/dialogs/referenzform.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

namespace vro::app {

namespace {
// Rows of the option list; -1 marks the two heading rows.
constexpr int kRowKey[10] = {-1, 0, 1, -1, 2, 3, 4, 5, 6, 7};

bool* Field(vro::TReferenceSettings& s, int key)
{
    bool* fields[8] = {&s.TimeSettings, &s.AxisSettings,    &s.CustomName,    &s.FullRange,
                       &s.CurrentRange, &s.ShowMeasurement, &s.ColorAndLines, &s.Comment};
    return fields[key];
}
} // namespace

TReferenzForm::TReferenzForm(vro::TRecordingManager& manager, vro::TIniList& config, QWidget* parent)
    : QDialog(parent), logic_(manager, config)
{
    setObjectName(QStringLiteral("TReferenzForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTopLabel"));
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    auto heading = [&](const char* name) {
        QLabel* l = MakeTitleLabel(QString::fromLatin1(name), f.main);
        layout->addWidget(l);
    };
    auto link = [&](const char* name) {
        auto* l = new TButtonLabel(QString::fromLatin1(name), f.main);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        layout->addWidget(l, 0, Qt::AlignLeft);
        return l;
    };
    heading("x1xReferenceTopLabel");
    fileLabel_ = new QLabel(f.main);
    fileLabel_->setObjectName(QStringLiteral("FileNameLabel"));
    layout->addWidget(fileLabel_);
    makeLabel_ = link("x2xMakeReferenceLabel");
    heading("x3xOptionsTopLabel");
    options_ = new QListWidget(f.main);
    options_->setObjectName(QStringLiteral("x4x13xOptionsCheckListBox"));
    options_->setMinimumHeight(10 * 20);
    layout->addWidget(options_);
    heading("x14xCasesTopLabel");
    receive_ = new QCheckBox(f.main);
    receive_->setObjectName(QStringLiteral("x15xReceiveCheckBox"));
    opening_ = new QCheckBox(f.main);
    opening_->setObjectName(QStringLiteral("x16xOpeningCheckBox"));
    layout->addWidget(receive_);
    layout->addWidget(opening_);
    applyCurrentLabel_ = link("x17xApplyCurrentLabel");
    applyAllLabel_ = link("x18xApplyAllLabel");
    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    ApplyQtCaptions(this, kTextBase);
    setWindowTitle(Txt(kTextBase));
    for (TButtonLabel* l : {makeLabel_, applyCurrentLabel_, applyAllLabel_})
        StyleButtonLabel(l);
    for (int row = 0; row < options_->count() && row < 10; ++row) {
        QListWidgetItem* item = options_->item(row);
        if (kRowKey[row] < 0) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            item->setFlags(Qt::ItemIsEnabled);
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
    }
    FromLogic();

    connect(ok, &TButtonLabel::clicked, this, &TReferenzForm::Ok);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    connect(makeLabel_, &TButtonLabel::clicked, this, [this] {
        ToLogic();
        logic_.MakeCurrentReference();
        FromLogic();
    });
    connect(applyCurrentLabel_, &TButtonLabel::clicked, this, [this] {
        ToLogic();
        logic_.ApplyToCurrent();
        FromLogic();
    });
    connect(applyAllLabel_, &TButtonLabel::clicked, this, [this] {
        ToLogic();
        logic_.ApplyToAll();
        FromLogic();
    });
    resize(420, 520);
}

void TReferenzForm::ToLogic()
{
    for (int row = 0; row < options_->count() && row < 10; ++row)
        if (kRowKey[row] >= 0)
            *Field(logic_.Settings, kRowKey[row]) = options_->item(row)->checkState() == Qt::Checked;
    logic_.UseReferenceReceive = receive_->isChecked();
    logic_.UseReferenceWhileOpening = opening_->isChecked();
}

void TReferenzForm::FromLogic()
{
    fileLabel_->setText(QString::fromStdString(logic_.ReferenceFileName()));
    for (int row = 0; row < options_->count() && row < 10; ++row)
        if (kRowKey[row] >= 0)
            options_->item(row)->setCheckState(*Field(logic_.Settings, kRowKey[row]) ? Qt::Checked : Qt::Unchecked);
    receive_->setChecked(logic_.UseReferenceReceive);
    opening_->setChecked(logic_.UseReferenceWhileOpening);
    makeLabel_->setEnabled(logic_.CanMakeReference());
    applyCurrentLabel_->setEnabled(logic_.CanApplyToCurrent());
    applyAllLabel_->setEnabled(logic_.CanApplyToAll());
}

void TReferenzForm::Ok()
{
    ToLogic();
    logic_.Store();
    accept();
}

void TReferenzForm::Run(vro::TRecordingManager& manager, vro::TIniList& config)
{
    TReferenzForm form(manager, config, QApplication::activeWindow());
    form.exec();
}

} // namespace vro::app
