#include "device/files/vrofilenames.h"

#include "core/template/filenameparser.h"
#include "core/template/safefilename.h"
#include "core/values/dvxdatetime.h"
#include "device/window/vro8setupstore.h"

#include <cstdio>

namespace vro {

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::string NumberedFileName(std::string_view name, std::uint32_t number, std::string_view extension)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%5.5u", number);
    // The number makes the component neither "." nor "..": a recorder entry
    // named ".." still gets a file.
    return SafeFileName(std::string(name) + "-" + digits) + "." + std::string(extension);
}

std::uint32_t LowestFreeNumber(const std::filesystem::path& folder, std::string_view name, std::string_view extension)
{
    std::error_code ec;
    for (std::uint32_t n = 0;; ++n) {
        if (!std::filesystem::exists(folder / NumberedFileName(name, n, extension), ec))
            return n;
        if (n == 0xFFFFFFFFu)
            return n;
    }
}

bool IsValidNewName(std::string_view name)
{
    const std::string_view t = Trimmed(name);
    if (t.empty() || t == "." || t == "..")
        return false;
    return t.find('/') == std::string_view::npos && t.find('\\') == std::string_view::npos;
}

std::filesystem::path UniqueFilePath(const std::filesystem::path& folder, const std::string& fileName)
{
    std::error_code ec;
    std::filesystem::path p = FileInFolder(folder, fileName);
    if (!std::filesystem::exists(p, ec))
        return p;
    const std::string stem = std::filesystem::path(fileName).stem().string();
    const std::string ext = std::filesystem::path(fileName).extension().string();
    for (int i = 1;; ++i) {
        p = FileInFolder(folder, stem + "-" + std::to_string(i) + ext);
        if (!std::filesystem::exists(p, ec))
            return p;
    }
}

std::filesystem::path EntryFilePath(const std::filesystem::path& folder, const TVroNaming& naming,
                                    std::string_view name, std::uint32_t number, std::uint32_t date,
                                    std::string_view extension)
{
    switch (naming.Option) {
    case noFreeNumber:
        return FileInFolder(folder, NumberedFileName(name, LowestFreeNumber(folder, name, extension), extension));
    case noNewName: {
        const std::string n(Trimmed(naming.NewName));
        return FileInFolder(folder, NumberedFileName(n, LowestFreeNumber(folder, n, extension), extension));
    }
    case noTemplate:
        return UniqueFilePath(folder, MakeTemplateFileName(naming.Pattern, name, static_cast<std::int32_t>(number),
                                                           DvxDate2000 + date / 86400.0, extension));
    default: return FileInFolder(folder, NumberedFileName(name, number, extension));
    }
}

TVroNameNumber NameAndNumberFromFile(std::string_view stem)
{
    const std::size_t last = stem.rfind('-');
    if (last != std::string_view::npos && AllDigits(stem.substr(last + 1)))
        return {std::string(stem.substr(0, last)), ParseEntryNumber(stem.substr(last + 1))};
    const std::size_t first = stem.find('-');
    if (first == std::string_view::npos)
        return {std::string(stem), 0};
    const std::size_t second = stem.find('-', first + 1);
    const std::string_view num =
        stem.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    return {std::string(stem.substr(0, first)), ParseEntryNumber(num)};
}

} // namespace vro
