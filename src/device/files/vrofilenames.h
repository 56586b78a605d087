// File names of the transfers between the recorder and a folder, by the
// naming option of the file pages:
//   0 the entry's name and number ("%s-%5.5d"), an existing file overwritten;
//   1 the entry's name and the lowest free number;
//   2 a name asked once per transfer and the lowest free number;
//   3 a file-name template filled with name, number and date.
// Every name from the recorder, the prompt or a template passes SafeFileName
// before a path is built, so the file stays inside the folder. The way back
// (name and number from a file name) is NameAndNumberFromFile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vro {

enum TVroNameOption : int { noKeepName = 0, noFreeNumber = 1, noNewName = 2, noTemplate = 3 };

// name-nnnnn.ext with the name made safe ("." and ".." raise EUnsafeFileName).
std::string NumberedFileName(std::string_view name, std::uint32_t number, std::string_view extension);
// The smallest n from 0 with no file name-nnnnn.ext in the folder.
std::uint32_t LowestFreeNumber(const std::filesystem::path& folder, std::string_view name, std::string_view extension);
// The option-2 name: not blank after trimming, no "/" or "\", not "." or "..".
bool IsValidNewName(std::string_view name);
// The path in the folder; when it exists, "-1", "-2", ... before the extension.
std::filesystem::path UniqueFilePath(const std::filesystem::path& folder, const std::string& fileName);

struct TVroNaming {
    int Option = noKeepName;
    std::string NewName; // option 2
    std::string Pattern; // option 3 (a template's pattern)
};

// The target of one recorder entry (date: seconds since 2000).
std::filesystem::path EntryFilePath(const std::filesystem::path& folder, const TVroNaming& naming,
                                    std::string_view name, std::uint32_t number, std::uint32_t date,
                                    std::string_view extension);

struct TVroNameNumber {
    std::string Name;
    std::uint32_t Number = 0;
};
// From a file name without its extension: when the text after the last "-"
// is all digits, the name is what comes before that "-" and the number those
// digits ("Leak-A-00003": Leak-A, 3); otherwise the name ends at the first
// "-" and the number is the text up to the next "-" (not a number: 0).
TVroNameNumber NameAndNumberFromFile(std::string_view stem);

} // namespace vro
