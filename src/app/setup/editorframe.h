// The common frame of the setup detail editors and the start-recording page:
// a bold title, a main panel of caption/field rows that the editor's logic
// shows and hides by the fields' object names, and a bottom panel with the
// OK and Cancel labels. The logic lives below (src/device/setupedit/); a
// frame only puts its choices into the controls, takes the user's picks back
// and marks a refused field.
//
// Communication errors go to ReportDeviceError: by default text 684 with
// heading 696 and an error icon; the device window replaces it with its own,
// which also sets the error latch. Closing hides the frame and emits closed();
// the opener refreshes its summaries at its next periodic update.
#pragma once

#include "device/setupedit/vro8editcommon.h"

#include <QFrame>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace vro {
class TVro8Setup;
}

namespace vro::app {

class TButtonLabel;

class TVroEditorFrame : public QFrame {
    Q_OBJECT
public:
    TVroEditorFrame(const QString& objectName, int textBase, vro::TVro8Setup& setup, QWidget* parent);

    vro::TVro8Setup& Setup() const { return setup_; }
    int TextBase() const { return base_; }
    // Reads what the editor needs from the recorder and fills the controls.
    // False after a communication error (reported).
    virtual bool Open() = 0;
    // The periodic update of the opener, passed on while the frame shows.
    virtual void PeriodicUpdate() {}

    // Replaced by the device window: report (684/696) and set the latch.
    std::function<void(const std::string& detail)> ReportDeviceError;

    TButtonLabel* OkLabel() const { return ok_; }
    TButtonLabel* CancelLabel() const { return cancel_; }
    QLabel* Title() const { return title_; }

    // The field with this object name, or null.
    QWidget* Field(const QString& name) const;
    bool RowShown(const QString& name) const;
    // Marks a refused field (light yellow, focus, message); nothing for an
    // empty result. True when it passed.
    bool Mark(const vro::TVro8EditResult& result);

signals:
    void closed();

protected:
    // Adds a row: the caption label (object name with its text number) and
    // the field; returns the field.
    template <typename W>
    W* AddRow(const QString& captionName, W* field)
    {
        AddRowWidget(captionName, field);
        return field;
    }
    void AddRowWidget(const QString& captionName, QWidget* field);
    // Shows exactly the named rows (in the order they were added).
    void ShowRows(const std::vector<std::string>& names);
    void ShowAllRows();
    QComboBox* AddCombo(const QString& captionName, const QString& name);
    QLineEdit* AddEdit(const QString& captionName, const QString& name);
    // The choice into a list and back.
    static void Fill(QComboBox* box, const vro::TVro8Choice& choice);
    static void Take(QComboBox* box, vro::TVro8Choice& choice);
    // All edit fields white again.
    void ClearMarks();
    // Runs `f`; a communication error is reported and false returned.
    bool Guarded(const std::function<void()>& f);
    void Close();
    void ApplyCaptions();

    QVBoxLayout* MainLayout() const { return mainLayout_; }
    QWidget* RowsPanel() const { return rowsPanel_; }

    virtual void OnOk() = 0;
    virtual void OnCancel() { Close(); }

private:
    struct TRowWidgets {
        QLabel* caption;
        QWidget* field;
    };
    vro::TVro8Setup& setup_;
    int base_;
    QLabel* title_;
    QVBoxLayout* mainLayout_;
    QWidget* rowsPanel_;
    QGridLayout* grid_;
    std::vector<TRowWidgets> rows_;
    TButtonLabel* ok_;
    TButtonLabel* cancel_;
};

} // namespace vro::app
