#include "core/template/safefilename.h"

namespace vro {

namespace fs = std::filesystem;

std::string SafeFileName(std::string_view name)
{
    if (name == "." || name == "..")
        throw EUnsafeFileName("\"" + std::string(name) + "\" is no valid file name");
    std::string out(name);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return out;
}

namespace {

fs::path Normal(const fs::path& p)
{
    std::error_code ec;
    const fs::path a = fs::absolute(p, ec);
    return (ec ? p : a).lexically_normal();
}

} // namespace

bool IsInFolder(const fs::path& folder, const fs::path& path)
{
    fs::path f = Normal(folder.empty() ? fs::path(".") : folder);
    if (!f.has_filename())
        f = f.parent_path(); // "dir/" normalises with an empty last component
    const fs::path rel = Normal(path).lexically_relative(f);
    if (rel.empty() || rel == ".")
        return false;
    return *rel.begin() != "..";
}

fs::path FileInFolder(const fs::path& folder, std::string_view fileName)
{
    const auto refuse = [&](const std::string& why) {
        return EUnsafeFileName("The file name \"" + std::string(fileName) + "\" " + why + " (folder \"" +
                               folder.string() + "\")");
    };
    if (fileName.empty())
        throw refuse("is empty");
    if (fileName == "." || fileName == "..")
        throw refuse("is no valid file name");
    if (fileName.find('/') != std::string_view::npos || fileName.find('\0') != std::string_view::npos)
        throw refuse("holds a path separator");
    fs::path p = folder / fs::path(std::string(fileName));
    if (!IsInFolder(folder, p))
        throw refuse("would lie outside the folder");
    return p;
}

} // namespace vro
