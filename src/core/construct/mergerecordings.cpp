#include "core/construct/mergerecordings.h"

#include <algorithm>
#include <system_error>

#include "core/construct/construct.h"
#include "core/construct/loadrecordingfile.h"
#include "core/text/textformat.h"

namespace vro {

namespace {

std::string LowerExtension(const std::filesystem::path& p)
{
    std::string e = p.extension().string();
    for (auto& ch : e)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return e;
}

std::string NameOf(const std::filesystem::path& p) { return p.filename().string(); }

} // namespace

std::vector<std::filesystem::path> ListMergeFolder(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> current, legacy;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = NameOf(entry.path());
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code ec;
        if (!entry.is_regular_file(ec))
            continue;
        const std::string ext = LowerExtension(entry.path());
        if (ext == ".vxrf")
            current.push_back(entry.path());
        else if (ext == ".vrf")
            legacy.push_back(entry.path());
    }
    auto byName = [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); };
    std::sort(current.begin(), current.end(), byName);
    std::sort(legacy.begin(), legacy.end(), byName);
    current.insert(current.end(), legacy.begin(), legacy.end());
    return current;
}

int TMergeRecordings::MergeFromFolder(const std::filesystem::path& folder)
{
    result_ = std::make_unique<TRecording>();
    failed_.clear();
    reason_.clear();
    merged_.clear();
    folder_ = folder;
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        return kMergeFolderMissing;
    std::vector<std::filesystem::path> files;
    try {
        files = ListMergeFolder(folder);
    } catch (const std::exception& e) {
        reason_ = e.what();
        return kMergeError;
    }
    if (files.empty())
        return kMergeNoFiles;
    return Merge(files);
}

int TMergeRecordings::MergeFromList(const std::vector<std::filesystem::path>& files)
{
    result_ = std::make_unique<TRecording>();
    failed_.clear();
    reason_.clear();
    merged_.clear();
    folder_.clear();
    if (files.empty())
        return kMergeNoFiles;
    return Merge(files);
}

std::unique_ptr<TRecording> TMergeRecordings::TakeResult()
{
    auto r = std::move(result_);
    result_ = std::make_unique<TRecording>();
    return r;
}

int TMergeRecordings::Merge(const std::vector<std::filesystem::path>& files)
{
    cancel_.store(false);
    const int maximum = static_cast<int>(files.size()) - 1;
    if (OnProgress)
        OnProgress(0, maximum);
    std::string current = NameOf(files.front());
    try {
        LoadRecordingFile(files.front(), *result_);
        merged_.push_back(current);
        if (files.size() == 1)
            return 0;
        // AppendRecording only asks the appended recording for time stamps;
        // a base without them stops the merge before anything is joined.
        if (!result_->HasTimeStamps) {
            failed_ = current;
            return 3;
        }
        for (std::size_t i = 1; i < files.size(); ++i) {
            if (cancel_.load())
                return kMergeCancelled;
            current = NameOf(files[i]);
            int code = 0;
            {
                TRecording other;
                LoadRecordingFile(files[i], other);
                code = AppendRecording(*result_, other);
            }
            if (code != 0) {
                failed_ = current;
                return code;
            }
            merged_.push_back(current);
            if (OnProgress)
                OnProgress(static_cast<int>(i), maximum);
        }
    } catch (const std::exception& e) {
        failed_ = current;
        reason_ = e.what();
        return kMergeError;
    }
    return 0;
}

std::string MergeMessage(int code, const std::string& failedName, const std::string& folder, TTextLanguage language,
                         const std::string& reason)
{
    auto t = [&](int n) { return text(language, n); };
    const std::string question = "\n\n" + t(1339);
    switch (code) {
    case 0: return t(1323) + question;
    case 1: return t(1331) + "\n" + t(1332) + question;
    case 2:
    case 3:
    case 4:
    case 5: {
        static constexpr int kTexts[] = {1333, 1334, 1335, 1336};
        return t(1331) + "\n" + FormatMessage(t(kTexts[code - 2]), {failedName}) + question;
    }
    case kMergeFolderMissing: return FormatMessage(t(1337), {folder});
    case kMergeNoFiles: return FormatMessage(t(1338), {folder});
    default: {
        std::string detail = failedName;
        if (!reason.empty())
            detail += (detail.empty() ? "" : ": ") + reason;
        return detail.empty() ? t(1331) : t(1331) + "\n" + detail;
    }
    }
}

} // namespace vro
