// Save to VRO of the setup editor: the name and number asked, checked and
// compared with the settings directory as they will be stored, one question
// for the first entry of that name and number, then one store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vro {

class IVroFilesUi;
class TVro8Directory;
class TVro8Setup;

inline constexpr std::size_t kVro8SetupNameLength = 32;

// A number typed or read from a file name: surrounding blanks ignored;
// anything but digits, or a value beyond 0..4294967295, counts as 0.
std::uint32_t ParseEntryNumber(std::string_view text);
// The name as the recorder keeps it: trimmed, at most 32 characters.
std::string StoredSetupName(std::string_view typed);

enum class TVroSaveResult { Cancelled, BlankName, Declined, Stored };

// Text 720 (Cancel ends), on layouts above 1 text 750 (Cancel ends), text
// 746 for a blank name, the directory refreshed, text 751 for a match, then
// SaveToDirectory (which writes the live setup first).
TVroSaveResult SaveSetupToDirectory(TVro8Setup& setup, TVro8Directory& directory, IVroFilesUi& ui);

} // namespace vro
