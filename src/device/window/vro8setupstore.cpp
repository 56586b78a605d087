#include "device/window/vro8setupstore.h"

#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/files/vrofilesui.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <charconv>
#include <limits>

namespace vro {

namespace {

std::string_view Trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::uint32_t ParseEntryNumber(std::string_view text)
{
    const std::string_view t = Trimmed(text);
    if (t.empty())
        return 0;
    for (char c : t)
        if (c < '0' || c > '9')
            return 0;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size() || value > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(value);
}

std::string StoredSetupName(std::string_view typed)
{
    std::string name(Trimmed(typed));
    if (name.size() > kVro8SetupNameLength)
        name.resize(kVro8SetupNameLength);
    return std::string(Trimmed(name));
}

TVroSaveResult SaveSetupToDirectory(TVro8Setup& setup, TVro8Directory& directory, IVroFilesUi& ui)
{
    const std::optional<std::string> typed = ui.AskText(text(720), {});
    if (!typed)
        return TVroSaveResult::Cancelled;
    std::uint32_t number = 0;
    if (setup.ComVersion() > 1) {
        const std::optional<std::string> n = ui.AskText(text(750), {});
        if (!n)
            return TVroSaveResult::Cancelled;
        number = ParseEntryNumber(*n);
    }
    const std::string name = StoredSetupName(*typed);
    if (name.empty()) {
        ui.ShowError(text(746));
        return TVroSaveResult::BlankName;
    }
    directory.RefreshSetups();
    // The name is compared as it will be stored; one question for the first
    // match, and one store whatever the number of matching entries.
    for (const TVro8Entry& e : directory.Entries()) {
        if (std::string(Trimmed(e.Name)) == name && e.Number == number) {
            if (!ui.AskYesNo(FormatMessage(text(751), {name})))
                return TVroSaveResult::Declined;
            break;
        }
    }
    setup.SaveToDirectory(name, number);
    return TVroSaveResult::Stored;
}

} // namespace vro
