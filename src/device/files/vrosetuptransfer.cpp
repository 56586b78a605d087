#include "device/files/vrosetuptransfer.h"

#include "core/util/text.h"

#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/files/vrofilesui.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "device/window/vro8setupstore.h"
#include "link/dvxv24connector.h"

#include <algorithm>

namespace vro {

namespace {

// Reads the live setup and writes the backup; false (text 1293 shown) when
// the file cannot be written. Device errors pass on.
bool WriteBackup(TVro8Setup& setup, const std::filesystem::path& backup, IVroFilesUi& ui)
{
    setup.ReadAll();
    try {
        setup.SaveToFile(backup);
        return true;
    } catch (const std::exception&) {
        ui.ShowError(FormatMessage(text(1293), {kVroSetupBackupName}));
        return false;
    }
}

// Puts the live setup back and deletes the backup file only once it is
// written. The blocks come from the copy read at the start, byte for byte
// (the file holds what the setup file format carries, which is all the
// user needs should the program stop half-way).
TVroTransferResult Restore(TVro8Setup& setup, const TVro8SetupData& saved, const std::filesystem::path& backup,
                           const TVroTransferProgress& p, TVroTransferResult result)
{
    if (p.onRestore)
        p.onRestore();
    try {
        setup.Data = saved;
        setup.WriteAll();
    } catch (const std::exception&) {
        return TVroTransferResult::RestoreFailed;
    }
    std::error_code ec;
    std::filesystem::remove(backup, ec);
    return result;
}

bool Aborted(const TVroTransferProgress& p) { return p.aborted && p.aborted(); }

} // namespace

bool AskNewName(IVroFilesUi& ui, std::string& name)
{
    const std::optional<std::string> typed = ui.AskText(text(540), {});
    if (!typed)
        return false;
    if (!IsValidNewName(*typed)) {
        ui.ShowError(text(541));
        return false;
    }
    name = Trim(*typed);
    return true;
}

bool AskNaming(IVroFilesUi& ui, TVroNaming& naming)
{
    if (naming.Option == noTemplate) {
        const int r = ui.AskTemplate(naming.Pattern);
        if (r == 2)
            ui.ShowError(text(541));
        return r == 0;
    }
    if (naming.Option == noNewName)
        return AskNewName(ui, naming.NewName);
    return true;
}

std::filesystem::path PrepareBackup(const std::filesystem::path& folder)
{
    const std::filesystem::path backup = folder / kVroSetupBackupName;
    std::error_code ec;
    if (std::filesystem::exists(backup, ec)) {
        for (int n = 1;; ++n) {
            const std::filesystem::path old = folder / ("CurrentConfig-" + std::to_string(n) + ".backup");
            if (!std::filesystem::exists(old, ec)) {
                std::filesystem::rename(backup, old, ec);
                break;
            }
        }
    }
    return backup;
}

TVroTransferReport SetupsToFolder(TVro8Setup& setup, TVro8Directory& directory, const std::vector<int>& indexes,
                                  const std::filesystem::path& folder, const TVroNaming& naming, IVroFilesUi& ui,
                                  const TVroTransferProgress& progress)
{
    TVroTransferReport report;
    // The entries as selected: loading one does not change the list, but
    // the names are taken before anything else talks to the recorder.
    std::vector<TVro8Entry> entries;
    for (int i : indexes)
        entries.push_back(directory.Entry(i));
    const std::filesystem::path backup = PrepareBackup(folder);
    if (!WriteBackup(setup, backup, ui)) {
        report.Result = TVroTransferResult::NotStarted;
        return report;
    }
    const TVro8SetupData saved = setup.Data;
    bool aborted = false;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const TVro8Entry& e = entries[k];
        if (progress.onItem)
            progress.onItem(static_cast<int>(k) + 1, static_cast<int>(entries.size()), e.Name);
        try {
            // The lowest free number is looked up again for every file.
            const std::filesystem::path path = EntryFilePath(folder, naming, e.Name, e.Number, e.Date, "vxsf");
            setup.LoadFromDirectory(indexes[k]);
            setup.SaveToFile(path);
            report.Written.push_back(path);
        } catch (const std::exception&) {
            ui.ShowError(FormatMessage(text(1293), {e.Name}));
            report.Result = TVroTransferResult::Failed;
            return report;
        }
        if (Aborted(progress)) {
            aborted = true;
            break;
        }
    }
    report.Result =
        Restore(setup, saved, backup, progress, aborted ? TVroTransferResult::Aborted : TVroTransferResult::Done);
    return report;
}

TVroTransferReport FilesToSetups(TVro8Setup& setup, TVro8Directory& directory,
                                 const std::vector<std::filesystem::path>& files, const TVroNaming& naming,
                                 IVroFilesUi& ui, const TVroTransferProgress& progress)
{
    TVroTransferReport report;
    if (files.empty())
        return report;
    directory.RefreshSetups();
    std::vector<std::pair<std::string, std::uint32_t>> known;
    for (const TVro8Entry& e : directory.Entries())
        known.emplace_back(Trim(e.Name), e.Number);
    const auto nextNumber = [&known](const std::string& name) {
        std::uint32_t highest = 0;
        bool any = false;
        for (const auto& [n, number] : known)
            if (n == name) {
                highest = any ? std::max(highest, number) : number;
                any = true;
            }
        return any ? highest + 1 : 1u;
    };
    const std::filesystem::path backup = PrepareBackup(files.front().parent_path());
    if (!WriteBackup(setup, backup, ui)) {
        report.Result = TVroTransferResult::NotStarted;
        return report;
    }
    const TVro8SetupData saved = setup.Data;
    bool aborted = false;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::filesystem::path& file = files[k];
        const std::string fileName = file.filename().string();
        if (progress.onItem)
            progress.onItem(static_cast<int>(k) + 1, static_cast<int>(files.size()), fileName);
        try {
            setup.LoadFromFile(file);
        } catch (const std::exception&) {
            ui.ShowError(FormatMessage(text(1297), {fileName}));
            report.Result = TVroTransferResult::Failed;
            return report;
        }
        const TVroNameNumber parsed = NameAndNumberFromFile(file.stem().string());
        const std::string name = StoredSetupName(naming.Option == noNewName ? naming.NewName : parsed.Name);
        if (name.empty()) {
            ui.ShowError(text(1298));
            report.Result = TVroTransferResult::Failed;
            return report;
        }
        const std::uint32_t number =
            naming.Option == noFreeNumber || naming.Option == noNewName ? nextNumber(name) : parsed.Number;
        try {
            setup.SaveToDirectory(name, number);
        } catch (const std::exception&) {
            ui.ShowError(FormatMessage(text(1291), {fileName}));
            report.Result = TVroTransferResult::Failed;
            return report;
        }
        known.emplace_back(name, number);
        report.Written.push_back(file);
        report.Stored.emplace_back(name, number);
        if (Aborted(progress)) {
            aborted = true;
            break;
        }
    }
    report.Result =
        Restore(setup, saved, backup, progress, aborted ? TVroTransferResult::Aborted : TVroTransferResult::Done);
    return report;
}

int DeleteEntries(TVro8Directory& directory, TDvxV24Connector& connector, const std::vector<int>& indexes,
                  int failureText, IVroFilesUi& ui)
{
    struct TTimeout {
        TDvxV24Connector& c;
        explicit TTimeout(TDvxV24Connector& connector) : c(connector) { c.SetByteTimeout(10000); }
        ~TTimeout() { c.RestoreByteTimeout(); }
    } timeout(connector);
    int deleted = 0;
    for (int i : indexes) {
        const TVro8Entry e = directory.Entry(i);
        try {
            directory.DeleteEntry(i);
            ++deleted;
        } catch (const std::exception&) {
            ui.ShowError(FormatMessage(text(failureText), {e.Name, std::to_string(e.Number)}));
            break;
        }
    }
    return deleted;
}

} // namespace vro
