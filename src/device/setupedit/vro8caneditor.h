// TVro8CanEditor: the CAN block's editor (layout 4) without a window: a list
// view of the 32 messages (a box click writes the block at once) and a
// settings view for one message whose OK checks every field before any is
// stored. The identifier is hexadecimal text ("1AD", "0x1AD", "$1AD"),
// checked against 11 or 29 bits.
#pragma once

#include "device/setupedit/vro8editcommon.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vro {

class TVro8Setup;

// The identifier text as a number: hexadecimal digits after an optional
// "0x" or "$"; empty for anything else (blank, other characters, more than
// eight digits).
std::optional<std::uint32_t> Vro8ParseHexId(std::string_view text);

class TVro8CanEditor {
public:
    static constexpr int TextBase = 1076;
    struct TRow {
        std::string Caption; // "Message 1"
        bool Checked = false;
        std::string Summary;
    };

    explicit TVro8CanEditor(TVro8Setup& setup) : setup_(setup) {}

    // ---- list view ----
    // With readBlock the CAN block is read first.
    void Open(bool readBlock);
    // The rows from the model (the window does this once a second).
    void Refresh();
    std::vector<TRow> Rows;
    void SetActive(int message, bool on);
    void Ok();

    // ---- settings view ----
    void OpenSettings(int message);
    bool InSettings() const { return message_ >= 0; }
    int Message() const { return message_; }
    TVro8EditResult SettingsOk();
    void SettingsCancel() { message_ = -1; }
    bool CancelShown() const { return cancelShown_; }
    // The fields' object names in their order on the view.
    static std::vector<std::string> SettingsRows();

    std::string Heading;
    std::string Name;        // NameEdit
    std::string LoRange;     // LoRangeEdit
    std::string HiRange;     // HiRangeEdit
    std::string Unit;        // UnitEdit
    TVro8Choice Decimals;    // DecimalFormatComboBox
    TVro8Choice FrameFormat; // FrameFormatComboBox
    std::string MessageId;   // MessageIdEdit (hexadecimal)
    std::string DataOffset;  // DataOffsetEdit
    TVro8Choice DataFormat;  // DataFormatComboBox
    TVro8Choice ByteOrder;   // ByteOrderComboBox
    std::string LowData;     // LowDataEdit
    std::string HighData;    // HighDataEdit

private:
    TVro8Setup& setup_;
    int message_ = -1;
    bool cancelShown_ = false;
};

} // namespace vro
