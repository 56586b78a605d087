#include "device/setupedit/vro8caneditor.h"

#include "core/text/texts.h"
#include "core/values/dvxdatautils.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <cstdio>

namespace vro {

std::optional<std::uint32_t> Vro8ParseHexId(std::string_view text)
{
    std::string t = DvxTrim(text);
    std::string_view s = t;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.remove_prefix(2);
    else if (!s.empty() && s[0] == '$')
        s.remove_prefix(1);
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

void TVro8CanEditor::Open(bool readBlock)
{
    message_ = -1;
    if (readBlock)
        setup_.ReadBlock(EVro8Block::Can);
    Refresh();
}

void TVro8CanEditor::Refresh()
{
    Rows.clear();
    for (int n = 0; n < TVro8CanSetup::kMessages; ++n) {
        TRow r;
        r.Caption = Vro8Format(text(1077), std::to_string(n + 1));
        r.Checked = setup_.CanSetup().Message(n).Active();
        r.Summary = setup_.CanMessageDescription(n, true);
        Rows.push_back(r);
    }
}

void TVro8CanEditor::SetActive(int message, bool on)
{
    setup_.CanSetup().Message(message).SetActive(on);
    setup_.WriteBlock(EVro8Block::Can);
    Refresh();
}

void TVro8CanEditor::Ok() { setup_.WriteBlock(EVro8Block::Can); }

std::vector<std::string> TVro8CanEditor::SettingsRows()
{
    return {"NameEdit",          "LoRangeEdit",           "HiRangeEdit",
            "UnitEdit",          "DecimalFormatComboBox", "FrameFormatComboBox",
            "MessageIdEdit",     "DataOffsetEdit",        "DataFormatComboBox",
            "ByteOrderComboBox", "LowDataEdit",           "HighDataEdit"};
}

void TVro8CanEditor::OpenSettings(int message)
{
    message_ = message;
    cancelShown_ = true;
    const TVro8CanMessageSetupWrapper m = setup_.CanSetup().Message(message);
    Heading = Vro8Format(text(1077), std::to_string(message + 1));
    Name = m.Name();
    Decimals = TVro8Choice::Of(Vro8TextRange(1086, 1089), m.Decimals());
    const int d = Decimals.Value() >= 0 && Decimals.Value() <= 8 ? Decimals.Value() : 0;
    LoRange = Vro8FixText(m.LoRange(), d);
    HiRange = Vro8FixText(m.HiRange(), d);
    Unit = m.Unit();
    FrameFormat = TVro8Choice::Of(Vro8TextRange(1091, 1092), m.FrameFormat());
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(m.MessageId()));
    MessageId = hex;
    DataOffset = std::to_string(m.DataOffset());
    DataFormat = TVro8Choice::Of(Vro8TextRange(1096, 1104), m.DataFormat());
    ByteOrder = TVro8Choice::Of(Vro8TextRange(1106, 1107), m.ByteOrder());
    LowData = std::to_string(m.LoRawRange());
    HighData = std::to_string(m.HiRawRange());
}

TVro8EditResult TVro8CanEditor::SettingsOk()
{
    cancelShown_ = false;
    const int d = Decimals.Value() >= 0 && Decimals.Value() <= 8 ? Decimals.Value() : 0;
    std::int64_t lo = 0, hi = 0, offset = 0, lowData = 0, highData = 0;
    if (auto f = Vro8CheckFix("LoRangeEdit", LoRange, d, -30000, 30000, lo))
        return f;
    if (auto f = Vro8CheckFix("HiRangeEdit", HiRange, d, -30000, 30000, hi))
        return f;
    // The identifier is hexadecimal: the decimal number reader would take
    // "20000000" as decimal and read "1AD" or "12B" through its suffixes.
    std::string id = DvxTrim(MessageId);
    std::string msg = CheckEmptyText(id);
    if (!msg.empty())
        return TVro8EditFailure{"MessageIdEdit", msg};
    const std::optional<std::uint32_t> ident = Vro8ParseHexId(id);
    if (!ident)
        return TVro8EditFailure{"MessageIdEdit", LibraryTexts().IllegalCharError};
    const std::uint32_t maxId = FrameFormat.Value() == 1 ? 0x1FFFFFFFu : 0x7FFu;
    if (*ident > maxId)
        return TVro8EditFailure{"MessageIdEdit", Vro8Format(LibraryTexts().GreaterThanError, std::to_string(maxId))};
    if (auto f = Vro8CheckFix("DataOffsetEdit", DataOffset, 0, 0, 7, offset))
        return f;
    if (auto f = Vro8CheckFix("LowDataEdit", LowData, 0, -2147483647, 2147483647, lowData))
        return f;
    if (auto f = Vro8CheckFix("HighDataEdit", HighData, 0, -2147483647, 2147483647, highData))
        return f;
    TVro8CanMessageSetupWrapper m = setup_.CanSetup().Message(message_);
    m.SetName(Name);
    m.SetDecimals(static_cast<std::uint16_t>(Decimals.Value()));
    m.SetLoRange(static_cast<std::int16_t>(lo));
    m.SetHiRange(static_cast<std::int16_t>(hi));
    m.SetUnit(Unit);
    m.SetFrameFormat(static_cast<std::uint16_t>(FrameFormat.Value()));
    m.SetMessageId(*ident);
    m.SetDataOffset(static_cast<std::uint16_t>(offset));
    m.SetDataFormat(static_cast<std::uint16_t>(DataFormat.Value()));
    m.SetByteOrder(static_cast<std::uint16_t>(ByteOrder.Value()));
    m.SetLoRawRange(static_cast<std::int32_t>(lowData));
    m.SetHiRawRange(static_cast<std::int32_t>(highData));
    setup_.WriteBlock(EVro8Block::Can);
    message_ = -1;
    Refresh();
    return std::nullopt;
}

} // namespace vro
