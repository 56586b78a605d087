#include "app/setup/editorframe.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/fieldcheck.h"
#include "device/setup/vro8setup.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace vro::app {

TVroEditorFrame::TVroEditorFrame(const QString& objectName, int textBase, vro::TVro8Setup& setup, QWidget* parent)
    : QFrame(parent), setup_(setup), base_(textBase)
{
    setObjectName(objectName);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    MarkCaptionFrame(this);
    auto* outer = new QVBoxLayout(this);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("x0xTitleLabel"));
    QFont f = title_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title_->setFont(f);
    outer->addWidget(title_);
    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("MainPanel"));
    mainLayout_ = new QVBoxLayout(main);
    mainLayout_->setContentsMargins(0, 0, 0, 0);
    rowsPanel_ = new QWidget(main);
    grid_ = new QGridLayout(rowsPanel_);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setVerticalSpacing(4);
    grid_->setColumnStretch(1, 1);
    mainLayout_->addWidget(rowsPanel_);
    outer->addWidget(main, 1);
    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("BottomPanel"));
    auto* bl = new QHBoxLayout(bottom);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->addStretch(1);
    ok_ = new TButtonLabel(QStringLiteral("OkLabel"), bottom);
    cancel_ = new TButtonLabel(QStringLiteral("CancelLabel"), bottom);
    StyleButtonLabel(ok_);
    StyleButtonLabel(cancel_);
    bl->addWidget(ok_);
    bl->addWidget(cancel_);
    outer->addWidget(bottom);
    connect(ok_, &TButtonLabel::clicked, this, [this] { OnOk(); });
    connect(cancel_, &TButtonLabel::clicked, this, [this] { OnCancel(); });
    // 684: The action selected cannot be carried out due...; 696: Device error
    ReportDeviceError = [this](const std::string&) { MessageBox(Txt(684), Txt(696), MB_ICONERROR); };
}

void TVroEditorFrame::ApplyCaptions() { ApplyQtCaptions(this, base_); }

void TVroEditorFrame::AddRowWidget(const QString& captionName, QWidget* field)
{
    auto* caption = new QLabel(rowsPanel_);
    caption->setObjectName(captionName);
    field->setParent(rowsPanel_);
    const int row = static_cast<int>(rows_.size());
    grid_->addWidget(caption, row, 0);
    grid_->addWidget(field, row, 1);
    rows_.push_back({caption, field});
}

QComboBox* TVroEditorFrame::AddCombo(const QString& captionName, const QString& name)
{
    auto* box = new QComboBox;
    box->setObjectName(name);
    return AddRow(captionName, box);
}

QLineEdit* TVroEditorFrame::AddEdit(const QString& captionName, const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return AddRow(captionName, edit);
}

void TVroEditorFrame::ShowRows(const std::vector<std::string>& names)
{
    for (const TRowWidgets& r : rows_) {
        const std::string n = r.field->objectName().toStdString();
        const bool shown = std::find(names.begin(), names.end(), n) != names.end();
        r.caption->setVisible(shown);
        r.field->setVisible(shown);
    }
}

void TVroEditorFrame::ShowAllRows()
{
    for (const TRowWidgets& r : rows_) {
        r.caption->setVisible(true);
        r.field->setVisible(true);
    }
}

bool TVroEditorFrame::RowShown(const QString& name) const
{
    for (const TRowWidgets& r : rows_)
        if (r.field->objectName() == name)
            return !r.field->isHidden();
    return false;
}

QWidget* TVroEditorFrame::Field(const QString& name) const { return findChild<QWidget*>(name); }

bool TVroEditorFrame::Mark(const vro::TVro8EditResult& result)
{
    if (!result)
        return true;
    QWidget* f = Field(QString::fromStdString(result->Field));
    if (f)
        CheckField(f, QString::fromStdString(result->Message));
    else
        MessageBox(QString::fromStdString(result->Message), Txt(696), MB_ICONERROR); // 696: Device error
    return false;
}

void TVroEditorFrame::ClearMarks()
{
    for (QLineEdit* e : findChildren<QLineEdit*>())
        MarkFieldValid(e, true);
}

void TVroEditorFrame::Fill(QComboBox* box, const vro::TVro8Choice& choice)
{
    const QSignalBlocker block(box);
    box->clear();
    for (const std::string& e : choice.Entries)
        box->addItem(QString::fromStdString(e));
    box->setCurrentIndex(choice.Entries.empty() ? -1 : choice.Selected);
}

void TVroEditorFrame::Take(QComboBox* box, vro::TVro8Choice& choice) { choice.Select(box->currentIndex()); }

bool TVroEditorFrame::Guarded(const std::function<void()>& f)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        f();
        QApplication::restoreOverrideCursor();
        return true;
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        if (ReportDeviceError)
            ReportDeviceError(e.what());
        return false;
    }
}

void TVroEditorFrame::Close()
{
    hide();
    emit closed();
}

} // namespace vro::app
