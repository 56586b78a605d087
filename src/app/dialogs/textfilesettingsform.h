// TTextFileSettingsForm: confirms or changes how a text file is imported:
// column separation (Tab, Comma, Semicolon, Other, Fixed width), time
// interpretation, a preview grid of the first lines split as chosen, and a
// help line. The choices and their check are the core's TTextFileSettings;
// this window shows them. Texts from base 701.
#pragma once

#include "core/textimport/textfilehandler.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace vro::app {

class TTextFileSettingsForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 701;

    TTextFileSettingsForm(const vro::textimport::TTextFileSettings& start,
                          const vro::textimport::TTextImportSettings& analysed, QWidget* parent = nullptr);

    // The choices as the controls show them.
    vro::textimport::TTextFileSettings Choice() const;
    void SetChoice(const vro::textimport::TTextFileSettings& choice);
    QTableWidget* PreviewGrid() const { return grid_; }
    QLabel* HelpLabel() const { return help_; }
    QLineEdit* IntervalEdit() const { return interval_; }
    QLineEdit* OtherEdit() const { return other_; }

    // OK: closes when the choices pass their check, else shows the message
    // and stays open. Returns whether it closed.
    bool TryAccept();

    static bool Run(vro::textimport::TTextFileSettings& choice, const vro::textimport::TTextImportSettings& analysed);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Renew();

    vro::textimport::TTextImportSettings analysed_;
    QRadioButton* tab_ = nullptr;
    QRadioButton* comma_ = nullptr;
    QRadioButton* semicolon_ = nullptr;
    QRadioButton* otherRadio_ = nullptr;
    QRadioButton* fixed_ = nullptr;
    QLineEdit* other_ = nullptr;
    QRadioButton* noTime_ = nullptr;
    QRadioButton* addTime_ = nullptr;
    QRadioButton* dateTime_ = nullptr;
    QRadioButton* seconds_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* help_ = nullptr;
};

} // namespace vro::app
