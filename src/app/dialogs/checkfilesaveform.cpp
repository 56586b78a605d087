#include "app/dialogs/checkfilesaveform.h"

#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

namespace vro::app {

TCheckFileSaveForm::TCheckFileSaveForm(const std::vector<std::string>& names, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCheckFileSaveForm"));
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("-"));
    f.topLabel->setObjectName(QStringLiteral("x0xTopLabel"));
    auto* layout = new QVBoxLayout(f.main);
    list_ = new QListWidget(f.main);
    list_->setObjectName(QStringLiteral("FileListBox"));
    for (const std::string& n : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(n), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    layout->addWidget(list_);
    auto* save = AddBottomButton(f, QStringLiteral("x1xSaveAndCloseLabel"));
    auto* discard = AddBottomButton(f, QStringLiteral("x2xCloseWithoutSavingLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    ApplyQtCaptions(this, kTextBase);
    connect(save, &TButtonLabel::clicked, this, [this] { Finish(vro::TCheckSaveAnswer::SaveAndClose); });
    connect(discard, &TButtonLabel::clicked, this, [this] { Finish(vro::TCheckSaveAnswer::CloseWithoutSaving); });
    connect(cancel, &TButtonLabel::clicked, this, [this] { Finish(vro::TCheckSaveAnswer::Cancel); });
    resize(420, 300);
}

std::vector<bool> TCheckFileSaveForm::Checked() const
{
    std::vector<bool> out;
    for (int i = 0; i < list_->count(); ++i)
        out.push_back(list_->item(i)->checkState() == Qt::Checked);
    return out;
}

void TCheckFileSaveForm::Finish(vro::TCheckSaveAnswer answer)
{
    answer_ = answer;
    done(answer == vro::TCheckSaveAnswer::Cancel ? QDialog::Rejected : QDialog::Accepted);
}

void TCheckFileSaveForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Finish(vro::TCheckSaveAnswer::SaveAndClose);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        Finish(vro::TCheckSaveAnswer::Cancel);
        return;
    }
    QDialog::keyPressEvent(event);
}

vro::TCheckSaveAnswer TCheckFileSaveForm::Run(const std::vector<std::string>& names, std::vector<bool>& checked)
{
    TCheckFileSaveForm form(names, QApplication::activeWindow());
    form.exec(); // closing the window counts as Cancel (the answer's initial value)
    checked = form.Checked();
    return form.Answer();
}

} // namespace vro::app
