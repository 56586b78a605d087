// TVro8SensorEditor: the sensor block's editor without a window. The list
// view has one row per sensor record (12, 5 on layout 5) with its check box
// and summary and, for the smart inputs, one row per sub-channel; a click on
// a box writes the block at once. The settings view edits one record: its
// rows depend on the channel class (analog inputs, counter inputs,
// calculated channels) and the mode, and OK checks every shown field before
// anything is stored, so that a refusal leaves the record as it was (the
// decimals included).
#pragma once

#include "device/setupedit/vro8editcommon.h"

#include <string>
#include <vector>

namespace vro {

class TVro8Setup;

class TVro8SensorEditor {
public:
    static constexpr int TextBase = 996;
    enum class EClass { Analog, Counter, Calculated };

    struct TSubRow {
        std::string Caption; // "  |- Sub 1"
        std::string Label;   // "  |-> " + the sub-channel's text
        bool Checked = false;
        bool Enabled = true;
    };
    struct TRow {
        std::string Caption; // "Channel A"
        bool Checked = false;
        std::string Summary;
        bool Clickable = true; // false for a "CAN-Bus" input
        std::vector<TSubRow> Subs;
    };

    explicit TVro8SensorEditor(TVro8Setup& setup) : setup_(setup) {}

    // ---- list view ----
    // With readBlock the sensor block is read first (an editor opened on its
    // own); the setup page's editor shows the block as the page holds it.
    // Then Build and Refresh.
    void Open(bool readBlock);
    // The rows with the sub-channel texts (R 51); clears the changed flag.
    void Build();
    // The channel list and smart flags read again (not the block); rebuilt
    // when the flags changed; then the rows' boxes and summaries.
    void Refresh();
    std::vector<TRow> Rows;
    // A channel box, a sub-channel box (j from 0): stored and the block written.
    void SetActive(int record, bool on);
    void SetSubActive(int record, int sub, bool on);
    // OK of the list view: writes the block.
    void Ok();

    // ---- settings view ----
    static EClass ClassOf(int record, int comVersion);
    // Opens the settings view of a record; false for a "CAN-Bus" input.
    bool OpenSettings(int record);
    bool InSettings() const { return record_ >= 0; }
    int Record() const { return record_; }
    EClass Class() const { return class_; }
    // The rows below the designation, top to bottom (object names).
    std::vector<std::string> SettingsRows() const;
    // Mode rules: the rows and the unit list for the mode now chosen.
    void ModeChanged();
    // Record B in orifice mode stores a new decimal format at once and shows
    // the volume's raw value with the new decimals; otherwise only the choice.
    void DecimalsChanged();
    // The pressure's decimals: the first channel's decimals + 1, 3 stays 3
    // (an empty channel list counts as 0; at most 8).
    int PressureDecimals() const;
    // Checks the shown fields in order; when all pass, stores the record,
    // writes the block and returns to the list view. Hides Cancel either way.
    TVro8EditResult SettingsOk();
    // Back to the list view without storing.
    void SettingsCancel();
    bool CancelShown() const { return cancelShown_; }

    std::string Heading;               // "Channel A" (text 999 + record)
    std::string Name;                  // NameEdit
    TVro8Choice Decimals;              // x44x47xDecimalFormatComboBox
    TVro8Choice Signal;                // InputSignalComboBox (the input's types on the layout)
    TVro8Choice Mode;                  // ModusComboBox
    std::string LoRange;               // LoRangeEdit
    std::string HiRange;               // HiRangeEdit
    std::string Volume;                // VolEdit
    std::string Pressure;              // PressureEdit
    std::string Factor;                // FactorEdit
    std::vector<std::string> UnitList; // UnitComboBox
    bool UnitFreeText = true;
    std::string Unit;

private:
    int ChosenDecimals() const;
    TVro8Setup& setup_;
    int record_ = -1;
    EClass class_ = EClass::Analog;
    bool cancelShown_ = false;
    std::vector<int> signalCodes_;
};

} // namespace vro
