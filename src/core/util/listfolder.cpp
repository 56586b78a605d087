#include "core/util/listfolder.h"

#include "core/util/text.h"

#include "core/values/dvxdatetime.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>

namespace vro {

namespace {

// The extension patterns as lower-case suffixes (".x"); an empty one for "all files".
std::vector<std::string> Suffixes(std::string_view list)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find(';', start);
        std::string e(list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (e.empty())
            out.emplace_back();
        else
            out.push_back(LowerAscii(e[0] == '.' ? e : "." + e));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return out;
}

double LocalDayCount(std::filesystem::file_time_type t)
{
    const auto sys = std::chrono::file_clock::to_sys(t);
    const std::time_t tt = std::chrono::system_clock::to_time_t(sys);
    std::tm tm{};
    localtime_r(&tt, &tm);
    TDvxDateParts p;
    p.Year = tm.tm_year + 1900;
    p.Month = tm.tm_mon + 1;
    p.Day = tm.tm_mday;
    p.Hour = tm.tm_hour;
    p.Minute = tm.tm_min;
    p.Second = std::min(tm.tm_sec, 59);
    return EncodeDvxDateTime(p).value_or(0.0);
}

} // namespace

bool ListFolder(const std::filesystem::path& folder, std::string_view extensions, std::vector<TFolderFile>& files)
{
    files.clear();
    if (folder.empty())
        return false;
    const std::vector<std::string> suffixes = Suffixes(extensions);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return false;
    for (const std::filesystem::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        std::error_code fe;
        if (name.empty() || name[0] == '.' || !entry.is_regular_file(fe))
            continue;
        const std::string lower = LowerAscii(name);
        const bool wanted = std::any_of(suffixes.begin(), suffixes.end(), [&](const std::string& s) {
            return s.empty() || (lower.size() > s.size() && lower.compare(lower.size() - s.size(), s.size(), s) == 0);
        });
        if (!wanted)
            continue;
        const auto time = std::filesystem::last_write_time(entry.path(), fe);
        files.push_back({name, fe ? 0.0 : LocalDayCount(time)});
    }
    std::sort(files.begin(), files.end(), [](const TFolderFile& a, const TFolderFile& b) { return a.Name < b.Name; });
    return !files.empty();
}

} // namespace vro
