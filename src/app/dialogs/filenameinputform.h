// TFilenameInputForm: composes the file-name template for files copied out of
// the recorder: a preset list with the digit count of "Nr", a free input with
// four links that append placeholders, and a preview for a sample name, number
// and date-time. The logic is the core's TFilenameInputLogic. Texts from base 1301.
#pragma once

#include "core/template/filenameinputlogic.h"

#include <QDialog>

#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace vro::app {

class TButtonLabel;

class TFilenameInputForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 1301;

    TFilenameInputForm(const std::string& sampleName, std::int32_t sampleNumber, double sampleDateTime,
                       QWidget* parent = nullptr);

    const vro::TFilenameInputLogic& Logic() const { return logic_; }
    QComboBox* PresetBox() const { return presets_; }
    QComboBox* DigitBox() const { return digits_; }
    QLineEdit* TemplateEdit() const { return template_; }
    QLabel* PreviewLabel() const { return preview_; }
    QGroupBox* FreeInputGroup() const { return free_; }

    // 0: OK with a pattern (in `result`), 2: OK with an empty pattern,
    // 1: cancelled (`result` emptied).
    static int Run(std::string& result, const std::string& sampleName, std::int32_t sampleNumber,
                   double sampleDateTime);

private:
    void FromLogic();

    vro::TFilenameInputLogic logic_;
    QComboBox* presets_ = nullptr;
    QComboBox* digits_ = nullptr;
    QGroupBox* free_ = nullptr;
    QLineEdit* template_ = nullptr;
    QLabel* preview_ = nullptr;
    bool updating_ = false;
};

} // namespace vro::app
