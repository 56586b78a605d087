// The "Save view" and "List views" dialogs over the recording's snapshot
// camera. The list follows the selection at once (the graph shows the
// selected view); the description memo belongs to the snapshot shown.
#pragma once

#include <QDialog>

#include <memory>

#include "core/graph/graphview.h"

class QLineEdit;
class QPlainTextEdit;
class QListWidget;
class QLabel;

namespace vro::app {

class TButtonLabel;

class TSnapshotForm : public QDialog {
    Q_OBJECT
public:
    explicit TSnapshotForm(QWidget* parent = nullptr);
    QLineEdit* NameEdit = nullptr;
    QPlainTextEdit* DescriptionMemo = nullptr;
    // OK: stores the view of `recording` as a new snapshot.
    static bool Execute(TRecording& recording, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TSnapshotListForm : public QDialog {
    Q_OBJECT
public:
    TSnapshotListForm(TRecording& recording, graph::TGraphicView* view, QWidget* parent = nullptr);
    QListWidget* List = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QLabel* CreatedLabel = nullptr;
    QLabel* DateLabel = nullptr;
    TButtonLabel* DeleteLabel = nullptr;
    TButtonLabel* RenameLabel = nullptr;
    graph::TSnapshotListLogic& Logic() { return logic_; }

    void DeleteSelected();
    void RenameCurrent();
    void Finish();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void Fill(int select);
    void SelectionChanged();
    TRecording& recording_;
    graph::TSnapshotListLogic logic_;
    bool filling_ = false;
};

} // namespace vro::app
