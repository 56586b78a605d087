// TCheckFileSaveForm: the list of recordings with unsaved changes, each with a
// check mark (all checked on entry). "Save and close" (Enter), "Close without
// saving", Cancel (Escape). Texts from base 144.
#pragma once

#include "core/manager/recordingmanager.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace vro::app {

class TCheckFileSaveForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 144;

    TCheckFileSaveForm(const std::vector<std::string>& names, QWidget* parent = nullptr);

    vro::TCheckSaveAnswer Answer() const { return answer_; }
    std::vector<bool> Checked() const;
    QListWidget* List() const { return list_; }

    // Shows the dialog modally; `checked` receives the check marks.
    static vro::TCheckSaveAnswer Run(const std::vector<std::string>& names, std::vector<bool>& checked);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Finish(vro::TCheckSaveAnswer answer);
    QListWidget* list_ = nullptr;
    vro::TCheckSaveAnswer answer_ = vro::TCheckSaveAnswer::Cancel;
};

} // namespace vro::app
