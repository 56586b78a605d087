// Taking a finished download: the one step from what the recorder delivered
// (a recording read out of it, or the end of an online run) to a recording.
// Every path goes through it: the device window's Open (into the documents)
// and copy to a folder, the device manager's remote recordings and online
// runs (into the documents or a file), and the `vro device download`,
// `online` and `record` verbs.
//
// The step fills the recording (FillFromDevice / FillFromOnline), checks its
// time stamps and repairs them (asking first where the caller asks), and
// names it by the one name rule (core/template/safefilename.h): a chosen
// file, the automatic "name-00012.vxrf" or a template, in a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace vro {

class TRecording;
class TRecordingManager;
struct TDeviceRecordingData;
struct TOnlineRecordingData;

struct TTakeNaming {
    enum TKind { None, File, Automatic, Template };
    TKind Kind = None;            // None: no file name yet (a document)
    std::string FileName;         // File: the path chosen by the user or the series
    std::filesystem::path Folder; // Automatic, Template: the folder the file goes into
    std::string Pattern;          // Template: a file-name pattern (core/template/filenameparser.h)

    static TTakeNaming InFile(std::string path) { return {File, std::move(path), {}, {}}; }
    static TTakeNaming AutomaticIn(std::filesystem::path folder) { return {Automatic, {}, std::move(folder), {}}; }
    static TTakeNaming TemplateIn(std::filesystem::path folder, std::string pattern)
    {
        return {Template, {}, std::move(folder), std::move(pattern)};
    }
};

struct TTakeReport {
    int Fault = 0; // CheckTimeStamps' finding: 0 none, 1 faulty data, 2 faulty time stamps
    std::int32_t FaultIndex = 0;
    bool Repaired = false;
    // "NAME: faulty time stamps from sample N, repaired"; empty when sound.
    std::string Message;
};

// Whether the fault found (1 or 2) is repaired; an empty question repairs.
using TRepairQuestion = std::function<bool(int fault)>;

// Raise EConstruct when the download does not hold what its header says and
// EUnsafeFileName when a name cannot be made safe.
std::unique_ptr<TRecording> TakeDownload(const TDeviceRecordingData& data, const TTakeNaming& naming,
                                         TTakeReport& report, const TRepairQuestion& repair = {});
std::unique_ptr<TRecording> TakeOnline(const TOnlineRecordingData& data, std::int32_t count, const TTakeNaming& naming,
                                       TTakeReport& report, const TRepairQuestion& repair = {});

// The documents' question: text 22 or 23, repaired on Yes.
TRepairQuestion AskThroughDocuments(TRecordingManager& documents);
// A taken recording joins the documents (without a second time-stamp check)
// and, with applyReference, gets the reference recording's settings.
TRecording& AddToDocuments(TRecordingManager& documents, std::unique_ptr<TRecording> taken, bool applyReference);

} // namespace vro
