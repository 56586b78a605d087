#include "app/dialogs/textfilesettingsform.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/fieldcheck.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

namespace vro::app {

using vro::textimport::TColumnSeparation;
using vro::textimport::TTextFileSettings;
using vro::textimport::TTimeInterpretation;

TTextFileSettingsForm::TTextFileSettingsForm(const TTextFileSettings& start,
                                             const vro::textimport::TTextImportSettings& analysed, QWidget* parent)
    : QDialog(parent), analysed_(analysed)
{
    setObjectName(QStringLiteral("TTextFileSettingsForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTopLabel"));
    auto* layout = new QVBoxLayout(f.main);
    auto* groups = new QHBoxLayout;
    auto radio = [](const char* name, QWidget* parent) {
        auto* r = new QRadioButton(parent);
        r->setObjectName(QString::fromLatin1(name));
        return r;
    };

    auto* sep = new QGroupBox(f.main);
    sep->setObjectName(QStringLiteral("x1xSeparationGroupBox"));
    auto* sepLayout = new QGridLayout(sep);
    tab_ = radio("x2xTabRadioButton", sep);
    comma_ = radio("x3xCommaRadioButton", sep);
    semicolon_ = radio("x4xSemicolonRadioButton", sep);
    otherRadio_ = radio("x5xOtherRadioButton", sep);
    fixed_ = radio("x6xFixedWidthRadioButton", sep);
    other_ = new QLineEdit(sep);
    other_->setObjectName(QStringLiteral("OtherEdit"));
    other_->setMaxLength(1);
    other_->setFixedWidth(40);
    sepLayout->addWidget(tab_, 0, 0);
    sepLayout->addWidget(comma_, 1, 0);
    sepLayout->addWidget(semicolon_, 2, 0);
    sepLayout->addWidget(otherRadio_, 3, 0);
    sepLayout->addWidget(other_, 3, 1);
    sepLayout->addWidget(fixed_, 4, 0);
    auto* sepGroup = new QButtonGroup(this);
    for (QRadioButton* r : {tab_, comma_, semicolon_, otherRadio_, fixed_})
        sepGroup->addButton(r);
    groups->addWidget(sep);

    auto* time = new QGroupBox(f.main);
    time->setObjectName(QStringLiteral("x7xTimeGroupBox"));
    auto* timeLayout = new QGridLayout(time);
    noTime_ = radio("x8xNoTimeRadioButton", time);
    addTime_ = radio("x9xAddTimeRadioButton", time);
    dateTime_ = radio("x10xDateTimeRadioButton", time);
    seconds_ = radio("x11xSecondsRadioButton", time);
    interval_ = new QLineEdit(time);
    interval_->setObjectName(QStringLiteral("IntervalEdit"));
    interval_->setFixedWidth(80);
    timeLayout->addWidget(noTime_, 0, 0);
    timeLayout->addWidget(addTime_, 1, 0);
    timeLayout->addWidget(interval_, 1, 1);
    timeLayout->addWidget(dateTime_, 2, 0, 1, 2);
    timeLayout->addWidget(seconds_, 3, 0, 1, 2);
    auto* timeGroup = new QButtonGroup(this);
    for (QRadioButton* r : {noTime_, addTime_, dateTime_, seconds_})
        timeGroup->addButton(r);
    groups->addWidget(time, 1);
    layout->addLayout(groups);

    auto* preview = new QGroupBox(f.main);
    preview->setObjectName(QStringLiteral("x12xPreviewGroupBox"));
    auto* previewLayout = new QVBoxLayout(preview);
    grid_ = new QTableWidget(preview);
    grid_->setObjectName(QStringLiteral("PreviewGrid"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(20);
    previewLayout->addWidget(grid_);
    layout->addWidget(preview, 1);
    help_ = new QLabel(f.main);
    help_->setObjectName(QStringLiteral("HelpLabel"));
    help_->setWordWrap(true);
    layout->addWidget(help_);

    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    connect(ok, &TButtonLabel::clicked, this, &TTextFileSettingsForm::TryAccept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    ApplyQtCaptions(this, kTextBase);

    SetChoice(start);
    for (QRadioButton* r : {tab_, comma_, semicolon_, otherRadio_, fixed_, noTime_, addTime_, dateTime_, seconds_})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Renew();
        });
    connect(other_, &QLineEdit::textChanged, this, [this] { Renew(); });
    resize(720, 560);
}

void TTextFileSettingsForm::SetChoice(const TTextFileSettings& c)
{
    switch (c.Separation) {
    case TColumnSeparation::Tab: tab_->setChecked(true); break;
    case TColumnSeparation::Comma: comma_->setChecked(true); break;
    case TColumnSeparation::Semicolon: semicolon_->setChecked(true); break;
    case TColumnSeparation::Other: otherRadio_->setChecked(true); break;
    case TColumnSeparation::FixedWidth: fixed_->setChecked(true); break;
    }
    other_->setText(QString::fromStdString(c.OtherDelimiter));
    switch (c.Time) {
    case TTimeInterpretation::NoTime: noTime_->setChecked(true); break;
    case TTimeInterpretation::AddTime: addTime_->setChecked(true); break;
    case TTimeInterpretation::DateTime: dateTime_->setChecked(true); break;
    case TTimeInterpretation::Seconds: seconds_->setChecked(true); break;
    }
    interval_->setText(QString::fromStdString(c.IntervalText));
    Renew();
}

TTextFileSettings TTextFileSettingsForm::Choice() const
{
    TTextFileSettings c;
    c.Separation = tab_->isChecked()         ? TColumnSeparation::Tab
                   : comma_->isChecked()     ? TColumnSeparation::Comma
                   : semicolon_->isChecked() ? TColumnSeparation::Semicolon
                   : fixed_->isChecked()     ? TColumnSeparation::FixedWidth
                                             : TColumnSeparation::Other;
    c.OtherDelimiter = other_->text().toStdString();
    c.Time = addTime_->isChecked()    ? TTimeInterpretation::AddTime
             : dateTime_->isChecked() ? TTimeInterpretation::DateTime
             : seconds_->isChecked()  ? TTimeInterpretation::Seconds
                                      : TTimeInterpretation::NoTime;
    c.IntervalText = interval_->text().toStdString();
    return c;
}

void TTextFileSettingsForm::Renew()
{
    const TTextFileSettings c = Choice();
    const auto cells = c.PreviewCells(analysed_.PreviewLines);
    int columns = 0;
    for (const auto& row : cells)
        columns = std::max(columns, static_cast<int>(row.size()));
    grid_->clear();
    grid_->setRowCount(static_cast<int>(cells.size()));
    grid_->setColumnCount(columns);
    for (int r = 0; r < static_cast<int>(cells.size()); ++r)
        for (int k = 0; k < static_cast<int>(cells[r].size()); ++k)
            grid_->setItem(r, k, new QTableWidgetItem(QString::fromStdString(cells[r][k])));
    help_->setText(Txt(714) + QLatin1Char(' ') + Txt(c.HelpText())); // 714: Help:
    interval_->setEnabled(c.Time == TTimeInterpretation::AddTime);
    other_->setEnabled(c.Separation == TColumnSeparation::Other);
}

bool TTextFileSettingsForm::TryAccept()
{
    const int error = Choice().Validate();
    if (error != 0) {
        CheckField(interval_, Txt(error));
        return false;
    }
    MarkFieldValid(interval_, true);
    accept();
    return true;
}

void TTextFileSettingsForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        TryAccept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape rejects
}

bool TTextFileSettingsForm::Run(TTextFileSettings& choice, const vro::textimport::TTextImportSettings& analysed)
{
    TTextFileSettingsForm form(choice, analysed, QApplication::activeWindow());
    if (form.exec() != QDialog::Accepted)
        return false;
    choice = form.Choice();
    return true;
}

} // namespace vro::app
