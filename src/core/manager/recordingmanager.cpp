#include "core/manager/recordingmanager.h"
#include "core/util/text.h"
#include "core/construct/loadrecordingfile.h"

#include <algorithm>
#include <filesystem>

#include "core/config/configkeys.h"
#include "core/construct/construct.h"
#include "core/text/texts.h"
#include "core/textimport/textfilehandler.h"
#include "core/util/atomicfile.h"
#include "core/values/dvxdatautils.h"

namespace vro {

namespace fs = std::filesystem;

namespace {

// The first "%s" of a message text replaced by arg.
std::string Format1(const std::string& pattern, const std::string& arg)
{
    const std::size_t p = pattern.find("%s");
    if (p == std::string::npos)
        return pattern;
    return pattern.substr(0, p) + arg + pattern.substr(p + 2);
}

// An absolute, normalised form of a file name typed or chosen by the user,
// so that later changes of the current folder do not move the file.
std::string AbsoluteName(const std::string& name)
{
    if (name.empty())
        return name;
    std::error_code ec;
    const fs::path p = fs::absolute(fs::path(name), ec);
    return ec ? name : p.lexically_normal().string();
}

// The name without its extension (the part from the last "." of the last
// path component on).
std::pair<std::string, std::string> SplitExtension(const std::string& name)
{
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return {name, ""};
    return {name.substr(0, dot), name.substr(dot)};
}

// Clears the bulk flag again whatever happens.
class TBulkScope {
public:
    explicit TBulkScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TBulkScope() { flag_ = old_; }
    TBulkScope(const TBulkScope&) = delete;
    TBulkScope& operator=(const TBulkScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

enum class TSaveOutcome { Saved, Cancelled, Failed };

} // namespace

// ---- TRecordingManager ----------------------------------------------------

TRecordingManager::TRecordingManager(TIniList& config, IRecordingManagerUi& ui) : config_(config), ui_(ui) {}

TRecordingManager::~TRecordingManager() = default;

bool TRecordingManager::SameFileName(const std::string& a, const std::string& b)
{
    return EqualNoCase(fs::path(a).lexically_normal().string(), fs::path(b).lexically_normal().string());
}

int TRecordingManager::IndexOf(const TRecording* recording) const
{
    for (int i = 0; i < Count(); ++i)
        if (docs_[static_cast<std::size_t>(i)].recording.get() == recording)
            return i;
    return -1;
}

std::vector<TRecording*> TRecordingManager::All() const
{
    std::vector<TRecording*> list;
    for (const auto& d : docs_)
        list.push_back(d.recording.get());
    return list;
}

bool TRecordingManager::AskRepairTimeStamps(int fault)
{
    return (fault == 1 || fault == 2) &&
           ui_.Ask(text(fault == 1 ? 22 : 23), TMsgButtons::YesNo, TMsgIcon::Warning) == TMsgAnswer::Yes;
}

TRecording& TRecordingManager::AddRecording(std::unique_ptr<TRecording> recording, bool stampsChecked)
{
    if (!recording)
        throw std::invalid_argument("AddRecording: no recording");
    if (!stampsChecked && AskRepairTimeStamps(CheckTimeStamps(*recording)))
        RepairTimeStamps(*recording);
    recording->SequenceNumber = NextSequenceNumber();
    recording->Host = this;
    TRecording& r = *recording;
    docs_.push_back({std::move(recording), {}});
    if (!r.NameConfirmed && r.FileName.empty()) {
        const auto taken = [&](const std::string& name) {
            for (const auto& d : docs_)
                if (d.recording.get() != &r && d.recording->FileName == name)
                    return true;
            return false;
        };
        std::string name;
        do
            name = text(1) + std::to_string(untitled_++);
        while (taken(name));
        r.FileName = name;
    }
    docs_.back().text = r.FileName;
    Activate(Count() - 1);
    return r;
}

void TRecordingManager::LoadWarnings(TRecording& r)
{
    for (const auto& w : r.LoadWarnings)
        ui_.ShowMessage(w, TMsgIcon::Warning);
}

TRecording* TRecordingManager::OpenFile(const std::string& nameIn)
{
    const std::string name = AbsoluteName(nameIn);
    if (FindAndActivate(name))
        return Active();
    auto r = std::make_unique<TRecording>();
    try {
        LoadRecordingFile(name, *r);
    } catch (const std::exception& e) {
        lastError_ = e.what();
        ui_.ShowMessage(Format1(text(7), name), TMsgIcon::Error);
        return nullptr;
    }
    // The dialogs start here and the document list names files relative to
    // it; the process's working folder stays where it was.
    const fs::path folder = fs::path(name).parent_path();
    if (!folder.empty())
        currentFolder_ = folder.string();
    RemoveRecent(name);
    LoadWarnings(*r);
    return &AddRecording(std::move(r));
}

void TRecordingManager::OpenWithDialog()
{
    const auto files = ui_.AskOpenFiles(currentFolder_);
    if (files.empty())
        return;
    {
        TBulkScope bulk(bulk_);
        for (const auto& f : files) {
            // The reference goes only onto a recording that was really opened.
            if (OpenFile(f) && UseReferenceWhileOpening && active_ >= 0)
                ApplyReference(active_);
        }
    }
    Refresh();
}

TRecording* TRecordingManager::ImportTextFile(const std::string& nameIn)
{
    const std::string name = AbsoluteName(nameIn);
    if (FindAndActivate(name))
        return Active();
    auto r = std::make_unique<TRecording>();
    try {
        textimport::TTextFileHandler handler;
        std::string content = ReadWholeFile(name);
        const bool accepted =
            handler.Analyse(name, std::move(content),
                            [this](textimport::TTextFileSettings& choice, const textimport::TTextImportSettings& a) {
                                return ui_.AskTextImportSettings(choice, a);
                            });
        if (!accepted)
            return nullptr;
        FillFromTextFile(*r, handler);
    } catch (const std::exception& e) {
        lastError_ = e.what();
        ui_.ShowMessage(Format1(text(7), name), TMsgIcon::Error);
        return nullptr;
    }
    return &AddRecording(std::move(r));
}

void TRecordingManager::ImportWithDialog()
{
    const auto files = ui_.AskImportFiles(currentFolder_);
    if (files.empty())
        return;
    {
        TBulkScope bulk(bulk_);
        for (const auto& f : files)
            ImportTextFile(f);
    }
    Refresh();
}

namespace {

TSaveOutcome SaveRecording(TRecording& r, bool withNameCheck, IRecordingManagerUi& ui)
{
    try {
        if (withNameCheck)
            r.SaveWithNameCheck();
        else
            r.SaveToFile();
    } catch (const ERecording& e) {
        ui.ShowMessage(e.what(), TMsgIcon::Error);
        return TSaveOutcome::Failed;
    } catch (const std::exception& e) {
        // A write error after the file was created: the old file is intact.
        ui.ShowMessage(text(18) + "\n\n" + e.what(), TMsgIcon::Error);
        return TSaveOutcome::Failed;
    }
    // No error and still unsaved: the save dialog was cancelled.
    return r.Saved ? TSaveOutcome::Saved : TSaveOutcome::Cancelled;
}

} // namespace

bool TRecordingManager::SaveNow(TRecording& r, bool withNameCheck)
{
    return SaveRecording(r, withNameCheck, ui_) == TSaveOutcome::Saved;
}

bool TRecordingManager::Save(TRecording* recording)
{
    TRecording* r = recording ? recording : Active();
    if (!r)
        return false;
    BeforeSave(*r);
    if (r->Saved)
        return true; // an unchanged recording is not written
    return SaveNow(*r, false);
}

bool TRecordingManager::SaveAs()
{
    TRecording* r = Active();
    if (!r)
        return false;
    BeforeSave(*r);
    return SaveNow(*r, true);
}

void TRecordingManager::SaveAll() { SaveAll(All()); }

void TRecordingManager::SaveAll(const std::vector<TRecording*>& list)
{
    {
        TBulkScope bulk(bulk_);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            TRecording& r = **it;
            if (r.Saved)
                continue;
            BeforeSave(r);
            if (r.Saved)
                continue;
            if (SaveRecording(r, false, ui_) == TSaveOutcome::Cancelled)
                break; // a cancelled dialog ends the command
        }
    }
    Refresh();
}

void TRecordingManager::Destroy(int index)
{
    TRecording* r = docs_[static_cast<std::size_t>(index)].recording.get();
    if (reference_ == r)
        reference_ = nullptr;
    docs_.erase(docs_.begin() + index);
}

bool TRecordingManager::Close(TRecording* recording)
{
    TRecording* r = recording ? recording : Active();
    const int index = IndexOf(r);
    if (index < 0)
        return false;
    BeforeSave(*r);
    if (!r->Saved && !bulk_) {
        const TMsgAnswer a = ui_.Ask(Format1(text(9), r->FileName), TMsgButtons::YesNoCancel, TMsgIcon::Question);
        if (a == TMsgAnswer::Cancel)
            return false;
        // A save that failed or was cancelled keeps the recording open.
        if (a == TMsgAnswer::Yes && SaveRecording(*r, false, ui_) != TSaveOutcome::Saved)
            return false;
    }
    if (r->NameConfirmed)
        PushRecent(r->FileName);
    const bool wasActive = index == active_;
    Destroy(index);
    // The entry at the same position (or the last one) becomes active; the
    // closed recording gets no before-save notification any more.
    if (wasActive)
        active_ = -1;
    else if (active_ > index)
        --active_;
    if (index == active_)
        Refresh(); // the entry now at that position was already active
    else
        Activate(index);
    return true;
}

void TRecordingManager::CloseAll() { CloseAll(All()); }

void TRecordingManager::CloseAll(const std::vector<TRecording*>& list)
{
    if (!CheckUnsaved(list))
        return;
    {
        TBulkScope bulk(bulk_);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            Close(*it);
    }
    Refresh();
}

bool TRecordingManager::CheckUnsaved() { return CheckUnsaved(All()); }

bool TRecordingManager::CheckUnsaved(const std::vector<TRecording*>& list)
{
    for (TRecording* r : list)
        BeforeSave(*r);
    std::vector<TRecording*> unsaved;
    for (TRecording* r : list)
        if (!r->Saved)
            unsaved.push_back(r);
    if (unsaved.empty())
        return true;
    std::vector<std::string> names;
    for (TRecording* r : unsaved)
        names.push_back(r->FileName);
    std::vector<bool> checked(unsaved.size(), true);
    const TCheckSaveAnswer a = ui_.AskCheckFileSave(names, checked);
    if (a == TCheckSaveAnswer::Cancel)
        return false;
    if (a == TCheckSaveAnswer::CloseWithoutSaving)
        return true;
    checked.resize(unsaved.size(), false);
    bool all = true;
    for (std::size_t i = unsaved.size(); i-- > 0;) {
        if (!checked[i])
            continue;
        const TSaveOutcome o = SaveRecording(*unsaved[i], false, ui_);
        if (o == TSaveOutcome::Cancelled)
            return false;
        if (o == TSaveOutcome::Failed)
            all = false;
    }
    // Closing goes on only when nothing the user wanted saved is lost.
    return all;
}

void TRecordingManager::Extract()
{
    TRecording* a = Active();
    if (!a)
        return;
    BeforeSave(*a);
    if (auto extract = ExtractVisibleRange(*a))
        AddRecording(std::move(extract));
}

void TRecordingManager::Activate(int index)
{
    if (index >= 0 && index < Count() && index == active_)
        return;
    if (TRecording* a = Active())
        BeforeSave(*a);
    if (docs_.empty())
        active_ = -1;
    else
        active_ = (index < 0 || index >= Count()) ? Count() - 1 : index;
    Refresh();
}

bool TRecordingManager::FindAndActivate(const std::string& name)
{
    for (int i = 0; i < Count(); ++i)
        if (SameFileName(Items(i).FileName, name)) {
            Activate(i);
            return true;
        }
    return false;
}

void TRecordingManager::Refresh()
{
    for (auto& d : docs_)
        d.text = d.recording->FileName;
    if (!bulk_ && OnListChanged)
        OnListChanged();
}

bool TRecordingManager::IsNameFree(const std::string& name)
{
    for (const auto& d : docs_)
        if (SameFileName(d.recording->FileName, name))
            return false;
    return true;
}

std::optional<std::string> TRecordingManager::AskSaveName(const std::string& current)
{
    auto chosen = ui_.AskSaveFile(SplitExtension(current).first);
    if (!chosen || DvxTrim(*chosen).empty())
        return std::nullopt;
    std::string name = *chosen;
    if (SplitExtension(name).second.empty())
        name += ".vxrf";
    return AbsoluteName(name);
}

void TRecordingManager::BeforeSave(TRecording& recording)
{
    if (OnBeforeSave)
        OnBeforeSave(recording);
}

void TRecordingManager::ShowError(const std::string& message) { ui_.ShowMessage(message, TMsgIcon::Error); }

std::string TRecordingManager::SeriesName(const std::string& base, int number)
{
    const auto [stem, ext] = SplitExtension(base);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%3.3d", number);
    return stem + "-" + digits + ext;
}

bool TRecordingManager::SeriesExists(const std::string& base) const
{
    const fs::path p(base);
    const auto [stemPath, ext] = SplitExtension(p.filename().string());
    const std::string prefix = stemPath + "-";
    fs::path folder = p.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string f = it->path().filename().string();
        if (f.size() < prefix.size() + ext.size() + 3)
            continue;
        if (!EqualNoCase(std::string_view(f).substr(0, prefix.size()), prefix) ||
            !EqualNoCase(std::string_view(f).substr(f.size() - ext.size()), ext))
            continue;
        // Three or more digits: series beyond 999 count too.
        const std::string_view mid = std::string_view(f).substr(prefix.size(), f.size() - prefix.size() - ext.size());
        if (mid.size() >= 3 && std::all_of(mid.begin(), mid.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

std::optional<std::string> TRecordingManager::AskSeriesName()
{
    while (true) {
        auto chosen = ui_.AskSaveFile("");
        if (!chosen || DvxTrim(*chosen).empty())
            return std::nullopt;
        std::string name = *chosen;
        if (SplitExtension(name).second.empty())
            name += ".vxrf";
        name = AbsoluteName(name);
        if (!SeriesExists(name))
            return name;
        const TMsgAnswer a = ui_.Ask(Format1(text(8), name), TMsgButtons::YesNoCancel, TMsgIcon::Error);
        if (a == TMsgAnswer::Yes)
            return name;
        if (a == TMsgAnswer::Cancel)
            return std::nullopt;
    }
}

void TRecordingManager::RemoveRecent(const std::string& name)
{
    recent_.erase(
        std::remove_if(recent_.begin(), recent_.end(), [&](const std::string& f) { return SameFileName(f, name); }),
        recent_.end());
}

void TRecordingManager::PushRecent(const std::string& name)
{
    RemoveRecent(name);
    recent_.insert(recent_.begin(), name);
    if (recent_.size() > static_cast<std::size_t>(cfg::kMaxRecentFiles))
        recent_.resize(static_cast<std::size_t>(cfg::kMaxRecentFiles));
}

void TRecordingManager::LoadSettings()
{
    try {
        recent_ = cfg::ReadRecentFiles(config_);
        UseReferenceWhileOpening = cfg::Read(config_, cfg::kUseReferenceWhileOpening);
        UseReferenceReceive = cfg::Read(config_, cfg::kUseReferenceReceive);
    } catch (const std::exception&) {
        // Damaged settings leave the defaults.
    }
}

void TRecordingManager::RememberRecentFiles()
{
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i).NameConfirmed)
            PushRecent(Items(i).FileName);
    cfg::WriteRecentFiles(config_, recent_);
}

std::string TRecordingManager::RelativeName(const TRecording& r) const
{
    if (r.FileName.empty() || currentFolder_.empty())
        return r.FileName;
    const fs::path rel = fs::path(r.FileName).lexically_relative(currentFolder_);
    return rel.empty() ? r.FileName : rel.string();
}

std::vector<std::pair<std::string, TRecording*>> TRecordingManager::GetNames() const
{
    std::vector<std::pair<std::string, TRecording*>> names;
    for (const auto& d : docs_)
        names.emplace_back(RelativeName(*d.recording), d.recording.get());
    return names;
}

} // namespace vro
