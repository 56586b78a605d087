#include "app/graph/snapshotforms.h"

#include <QAbstractItemModel>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "app/dialogs/promptbox.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/values/dvxdatetime.h"

namespace vro::app {

namespace {

// The program's one date-and-time form (the same as every other date shown).
QString DateTimeText(double days) { return QString::fromStdString(DvxDateTimeToText(days)); }

TButtonLabel* MakeLabel(const QString& name, const QString& caption, QWidget* parent)
{
    auto* l = new TButtonLabel(name, parent);
    l->setText(caption);
    StyleButtonLabel(l);
    return l;
}

} // namespace

// ---- TSnapshotForm

TSnapshotForm::TSnapshotForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSnapshotForm"));
    setWindowTitle(Txt(353)); // 353: Save view
    auto* g = new QGridLayout(this);
    g->addWidget(new QLabel(Txt(354), this), 0, 0); // 354: Name
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    g->addWidget(NameEdit, 0, 1);
    g->addWidget(new QLabel(Txt(355), this), 1, 0, Qt::AlignTop); // 355: Description
    DescriptionMemo = new QPlainTextEdit(this);
    DescriptionMemo->setObjectName(QStringLiteral("DescriptionMemo"));
    g->addWidget(DescriptionMemo, 1, 1);
    auto* ok = MakeLabel(QStringLiteral("OkLabel"), QStringLiteral("OK"), this);
    auto* cancel = MakeLabel(QStringLiteral("CancelLabel"), QStringLiteral("Cancel"), this);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    g->addLayout(row, 2, 0, 1, 2);
    connect(ok, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    resize(360, 200);
}

void TSnapshotForm::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !DescriptionMemo->hasFocus()) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TSnapshotForm::Execute(TRecording& recording, QWidget* parent)
{
    TSnapshotForm f(parent);
    if (f.exec() != QDialog::Accepted)
        return false;
    graph::SaveSnapshot(recording, f.NameEdit->text().toStdString(), f.DescriptionMemo->toPlainText().toStdString());
    return true;
}

// ---- TSnapshotListForm

TSnapshotListForm::TSnapshotListForm(TRecording& recording, graph::TGraphicView* view, QWidget* parent)
    : QDialog(parent), recording_(recording), logic_(recording, view)
{
    setObjectName(QStringLiteral("TSnapshotListForm"));
    setWindowTitle(Txt(357)); // 357: List views
    auto* g = new QGridLayout(this);
    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List->setDragDropMode(QAbstractItemView::InternalMove);
    g->addWidget(List, 0, 0, 4, 1);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    g->addWidget(Memo, 0, 1, 1, 2);
    CreatedLabel = new QLabel(Txt(360), this); // 360: Created:
    DateLabel = new QLabel(this);
    DateLabel->setObjectName(QStringLiteral("DateLabel"));
    g->addWidget(CreatedLabel, 1, 1);
    g->addWidget(DateLabel, 1, 2);
    DeleteLabel = MakeLabel(QStringLiteral("DeleteLabel"), Txt(358), this); // 358: Delete
    RenameLabel = MakeLabel(QStringLiteral("RenameLabel"), Txt(362), this); // 362: Rename
    auto* ok = MakeLabel(QStringLiteral("OkLabel"), QStringLiteral("OK"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(DeleteLabel);
    row->addWidget(RenameLabel);
    row->addStretch();
    row->addWidget(ok);
    g->addLayout(row, 4, 0, 1, 3);
    connect(DeleteLabel, &TButtonLabel::clicked, this, &TSnapshotListForm::DeleteSelected);
    connect(RenameLabel, &TButtonLabel::clicked, this, &TSnapshotListForm::RenameCurrent);
    connect(ok, &TButtonLabel::clicked, this, &TSnapshotListForm::Finish);
    connect(List, &QListWidget::itemSelectionChanged, this, &TSnapshotListForm::SelectionChanged);
    connect(List, &QListWidget::itemDoubleClicked, this, [this] { RenameCurrent(); });
    connect(List->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                if (filling_)
                    return;
                // rowsMoved names the row before which the entry went.
                const int target = to > from ? to - 1 : to;
                logic_.Move(from, target);
            });
    resize(480, 280);
    Fill(recording_.SnapshotCamera.Count() > 0 ? 0 : -1);
}

void TSnapshotListForm::Fill(int select)
{
    filling_ = true;
    List->clear();
    const auto& cam = recording_.SnapshotCamera;
    const bool any = cam.Count() > 0;
    if (!any)
        List->addItem(Txt(363)); // 363: No views available
    for (int i = 0; i < cam.Count(); ++i)
        List->addItem(QString::fromStdString(cam.Items(i).Name));
    List->setEnabled(any);
    DeleteLabel->setVisible(any);
    RenameLabel->setVisible(any);
    CreatedLabel->setVisible(any);
    DateLabel->setVisible(any);
    filling_ = false;
    if (any && select >= 0)
        List->setCurrentRow(select, QItemSelectionModel::ClearAndSelect);
    else
        Memo->clear();
}

void TSnapshotListForm::SelectionChanged()
{
    if (filling_ || recording_.SnapshotCamera.Count() == 0)
        return;
    const int row = List->currentRow();
    if (row < 0 || !List->item(row) || !List->item(row)->isSelected())
        return;
    const std::string description = logic_.Select(row, Memo->toPlainText().toStdString());
    Memo->setPlainText(QString::fromStdString(description));
    DateLabel->setText(DateTimeText(recording_.SnapshotCamera.Items(row).DateTime));
}

void TSnapshotListForm::DeleteSelected()
{
    std::vector<int> rows;
    for (auto* item : List->selectedItems())
        rows.push_back(List->row(item));
    if (rows.empty())
        return;
    const int next = logic_.DeleteSelected(rows, Memo->toPlainText().toStdString());
    Memo->clear();
    Fill(next);
}

void TSnapshotListForm::RenameCurrent()
{
    const int row = List->currentRow();
    if (row < 0 || row >= recording_.SnapshotCamera.Count())
        return;
    QString value = QString::fromStdString(recording_.SnapshotCamera.Items(row).Name);
    if (!Prompt(Txt(362), QString(), Txt(362), false, value)) // 362: Rename
        return;
    logic_.Rename(row, value.toStdString());
    List->item(row)->setText(QString::fromStdString(recording_.SnapshotCamera.Items(row).Name));
}

void TSnapshotListForm::Finish()
{
    logic_.StoreMemo(Memo->toPlainText().toStdString());
    accept();
}

void TSnapshotListForm::reject()
{
    logic_.StoreMemo(Memo->toPlainText().toStdString());
    QDialog::reject();
}

void TSnapshotListForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && !Memo->hasFocus()) {
        DeleteSelected();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !Memo->hasFocus()) {
        Finish();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vro::app
