// The file pages of the device window on the command line:
//   vro folder list DIR [--ext LIST] [--sort name|date] [--descending] [--json]
//   vro device copy --port P --to DIR [--setups] [--entries I,J,...] [--option 0|1|2|3]
//                   [--name NAME] [--template T] [--json]        (">" of either page)
//   vro device store --port P [--option 0|1|2|3] [--name NAME] [--json] FILE.vxsf...  ("<")
//   vro device delete --port P [--setups] --entries I,J,...     (the recorder half of Delete)
// --name answers the new-name question (text 540), --template the template
// dialog (a template as `vro template` takes it, e.g. "%Name-%Nr:3").
// Messages are the numbered texts (--language en|de|fr). A failure prints
// the files written before it, then its message on standard error, and
// exits 1; Ctrl-C aborts a transfer (the files written so far, "cancelled",
// exit 130), between entries as inside an exchange. A setup transfer stops
// after the entry under way and puts the user's setup back, as the page's
// abort does.
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "core/template/filenameparser.h"
#include "core/text/texts.h"
#include "core/util/listfolder.h"
#include "core/values/dvxdatetime.h"
#include "device/files/vrofilesort.h"
#include "device/files/vrofilesui.h"
#include "device/files/vrorecordtransfer.h"
#include "device/files/vrosetuptransfer.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <nlohmann/json.hpp>

#include <clocale>
#include <iostream>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

void TakeLanguage(TArgs& a)
{
    const std::string code = a.Option("--language").value_or("en");
    if (code != "en" && code != "de" && code != "fr")
        throw EUsage("--language takes en, de or fr");
    SelectTextLanguage(code);
}

// The questions answered from the options; the first message shown is the
// failure the verb reports once the loop has ended.
struct TOptionUi : IVroFilesUi {
    std::optional<std::string> name;
    std::optional<std::string> templ;
    std::optional<std::string> error;
    std::optional<std::string> AskText(const std::string&, const std::string&) override
    {
        if (!name)
            throw EUsage("option 2 needs --name NAME");
        return name;
    }
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string& t) override
    {
        if (!error)
            error = t;
    }
    void ShowInformation(const std::string& t) override { std::cout << t << "\n"; }
    int AskTemplate(std::string& pattern) override
    {
        if (!templ)
            throw EUsage("option 3 needs --template T");
        TFilenameParser p;
        p.SetTemplate(*templ);
        pattern = p.GetPattern();
        return pattern.empty() ? 2 : 0;
    }
};

std::vector<int> Entries(const std::string& text)
{
    std::vector<int> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        if (item.empty() || item.find_first_not_of("0123456789") != std::string::npos || item.size() > 6)
            throw EUsage("--entries takes indexes like 0,2,3");
        out.push_back(std::stoi(item));
        start = end + 1;
    }
    return out;
}

int Option(TArgs& a) { return static_cast<int>(a.IntOption("--option", 0, 0, 3)); }

void PrintFiles(const TVroTransferReport& r, bool asJson)
{
    if (asJson) {
        json list = json::array();
        for (std::size_t i = 0; i < r.Written.size(); ++i) {
            json item = {{"FileName", r.Written[i].string()}};
            if (i < r.Stored.size()) {
                item["Name"] = r.Stored[i].first;
                item["Number"] = r.Stored[i].second;
            }
            list.push_back(item);
        }
        std::cout << list.dump(2) << "\n";
        return;
    }
    for (std::size_t i = 0; i < r.Written.size(); ++i) {
        std::cout << r.Written[i].string();
        if (i < r.Stored.size())
            std::cout << "\t" << r.Stored[i].first << ", Nr." << r.Stored[i].second;
        std::cout << "\n";
    }
}

// How a transfer ended: the files it wrote first, then a cancel, the
// failure's message or the device error of a setup that was not put back.
int Finish(const std::string& verb, const TVroTransferReport& r, const TOptionUi& ui, bool asJson)
{
    PrintFiles(r, asJson);
    std::cout.flush();
    if (r.Result == TVroTransferResult::Aborted || TDeviceSession::Interrupted()) {
        std::cerr << "vro " << verb << ": cancelled\n";
        return 130;
    }
    if (r.Result == TVroTransferResult::RestoreFailed) {
        std::cerr << text(684) << "\n";
        return 1;
    }
    if (r.Result != TVroTransferResult::Done) {
        std::cerr << ui.error.value_or(text(684)) << "\n";
        return 1;
    }
    return 0;
}

// The naming question refused (text 541) or cancelled.
int NamingRefused(const TOptionUi& ui)
{
    if (ui.error)
        std::cerr << *ui.error << "\n";
    return 1;
}

int FolderList(TArgs& a)
{
    std::setlocale(LC_COLLATE, "");
    const std::string ext = a.Option("--ext").value_or("");
    const std::string sort = a.Option("--sort").value_or("name");
    const bool descending = a.Flag("--descending");
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(1);
    if (sort != "name" && sort != "date")
        throw EUsage("--sort takes name or date");
    const std::string dir = a.Positional(0, "DIR");
    std::vector<TFolderFile> files;
    const bool result = ListFolder(dir, ext, files);
    std::vector<TVroListLine> lines;
    for (const TFolderFile& f : files)
        lines.push_back({f.Name, 0, false, f.DateTime, -1, f.Name});
    SortVroLines(lines, sort == "name" ? TVroSortColumn::Name : TVroSortColumn::Date, descending);
    if (asJson) {
        json list = json::array();
        for (const TVroListLine& l : lines)
            list.push_back({{"Name", l.Name}, {"DateTime", DvxDateTimeToText(l.DateTime)}});
        std::cout << json{{"Result", result}, {"Files", list}}.dump(2) << "\n";
        return 0;
    }
    for (const TVroListLine& l : lines)
        std::cout << l.Name << "\t" << DvxDateTimeToText(l.DateTime) << "\n";
    return 0;
}

int Copy(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    const auto to = a.Option("--to");
    if (!to)
        throw EUsage("--to DIR is required");
    const bool setups = a.Flag("--setups");
    const auto entries = a.Option("--entries");
    TOptionUi ui;
    ui.name = a.Option("--name");
    ui.templ = a.Option("--template");
    TVroNaming naming;
    naming.Option = Option(a);
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(0);
    if (!AskNaming(ui, naming))
        return NamingRefused(ui);
    session.Connect();
    TVro8Device& d = session.Device();
    if (setups)
        d.Directory.RefreshSetups();
    else
        d.Directory.RefreshRecordings();
    std::vector<int> indexes;
    if (entries)
        indexes = Entries(*entries);
    else
        for (int i = 0; i < d.Directory.Count(); ++i)
            indexes.push_back(i);
    for (int i : indexes)
        if (i >= d.Directory.Count())
            throw std::runtime_error("no entry " + std::to_string(i) + " (" + std::to_string(d.Directory.Count()) +
                                     " stored)");
    std::filesystem::create_directories(*to);
    TVroTransferReport r;
    if (setups) {
        TVro8Setup setup(d);
        TVroTransferProgress p;
        p.aborted = [] { return TDeviceSession::Interrupted(); };
        // Ctrl-C lets the entry under way finish, so that the loop can put
        // the user's setup back.
        session.SetInterruptCancelsExchange(false);
        r = SetupsToFolder(setup, d.Directory, indexes, *to, naming, ui, p);
    } else {
        TVroRecordingHooks h;
        h.aborted = [] { return TDeviceSession::Interrupted(); };
        r = RecordingsToFolder(d, indexes, *to, naming, ui, h);
    }
    return Finish("device copy", r, ui, asJson);
}

int Store(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    TOptionUi ui;
    ui.name = a.Option("--name");
    TVroNaming naming;
    naming.Option = Option(a);
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(1000);
    const std::vector<std::string> files = a.Positionals();
    if (files.empty())
        throw EUsage("FILE.vxsf... is required");
    if (naming.Option == noNewName && !AskNewName(ui, naming.NewName))
        return NamingRefused(ui);
    session.Connect();
    std::vector<std::filesystem::path> paths(files.begin(), files.end());
    for (auto& p : paths)
        p = std::filesystem::absolute(p);
    TVro8Setup setup(session.Device());
    TVroTransferProgress p;
    p.aborted = [] { return TDeviceSession::Interrupted(); };
    session.SetInterruptCancelsExchange(false);
    const TVroTransferReport r = FilesToSetups(setup, session.Device().Directory, paths, naming, ui, p);
    return Finish("device store", r, ui, asJson);
}

int Delete(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    const bool setups = a.Flag("--setups");
    const auto entries = a.Option("--entries");
    if (!entries)
        throw EUsage("--entries I,J,... is required");
    a.CheckAllUsed(0);
    const std::vector<int> indexes = Entries(*entries);
    session.Connect();
    TVro8Directory& dir = session.Device().Directory;
    if (setups)
        dir.RefreshSetups();
    else
        dir.RefreshRecordings();
    for (int i : indexes)
        if (i >= dir.Count())
            throw std::runtime_error("no entry " + std::to_string(i) + " (" + std::to_string(dir.Count()) + " stored)");
    TOptionUi ui;
    const int deleted = DeleteEntries(dir, session.Connector(), indexes, setups ? 1295 : 556, ui);
    std::cout << deleted << " deleted\n" << std::flush;
    if (ui.error) {
        std::cerr << *ui.error << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int VerbFolderList(TArgs& args) { return FolderList(args); }
int VerbDeviceCopy(TArgs& args) { return Copy(args); }
int VerbDeviceStore(TArgs& args) { return Store(args); }
int VerbDeviceDelete(TArgs& args) { return Delete(args); }

} // namespace vro::cli
