#include "device/manager/takedownload.h"

#include "core/construct/construct.h"
#include "core/manager/recordingmanager.h"
#include "core/recording/recording.h"
#include "core/template/filenameparser.h"
#include "core/template/safefilename.h"
#include "device/files/vrofilenames.h"

namespace vro {

namespace {

void Name(TRecording& r, const TTakeNaming& naming)
{
    switch (naming.Kind) {
    case TTakeNaming::None:
        r.FileName.clear();
        r.NameConfirmed = false;
        return;
    case TTakeNaming::File: r.FileName = naming.FileName; break;
    case TTakeNaming::Automatic:
        r.FileName = DeviceFileName(naming.Folder, r.DeviceRecordingName, r.DeviceRecordingNumber);
        break;
    case TTakeNaming::Template:
        r.FileName = UniqueFilePath(naming.Folder, MakeTemplateFileName(naming.Pattern, r.DeviceRecordingName,
                                                                        r.DeviceRecordingNumber, r.StartTime, "vxrf"))
                         .string();
        break;
    }
    r.NameConfirmed = !r.FileName.empty();
}

void CheckAndRepair(TRecording& r, TTakeReport& report, const TRepairQuestion& repair)
{
    report = {};
    report.Fault = CheckTimeStamps(r);
    if (report.Fault == 0)
        return;
    report.FaultIndex = r.TimeStampFaultIndex;
    report.Repaired = !repair || repair(report.Fault);
    if (report.Repaired)
        RepairTimeStamps(r);
    const std::string& name = r.DeviceRecordingName.empty() ? r.FileName : r.DeviceRecordingName;
    report.Message = name + ": " + (report.Fault == 1 ? "faulty data" : "faulty time stamps") + " from sample " +
                     std::to_string(report.FaultIndex) + (report.Repaired ? ", repaired" : ", not repaired");
}

} // namespace

std::unique_ptr<TRecording> TakeDownload(const TDeviceRecordingData& data, const TTakeNaming& naming,
                                         TTakeReport& report, const TRepairQuestion& repair)
{
    auto r = std::make_unique<TRecording>();
    FillFromDevice(*r, data, false, {}, {});
    Name(*r, naming);
    CheckAndRepair(*r, report, repair);
    return r;
}

std::unique_ptr<TRecording> TakeOnline(const TOnlineRecordingData& data, std::int32_t count, const TTakeNaming& naming,
                                       TTakeReport& report, const TRepairQuestion& repair)
{
    auto r = std::make_unique<TRecording>();
    FillFromOnline(*r, data, count);
    Name(*r, naming);
    CheckAndRepair(*r, report, repair);
    return r;
}

TRepairQuestion AskThroughDocuments(TRecordingManager& documents)
{
    return [&documents](int fault) { return documents.AskRepairTimeStamps(fault); };
}

TRecording& AddToDocuments(TRecordingManager& documents, std::unique_ptr<TRecording> taken, bool applyReference)
{
    TRecording& r = documents.AddRecording(std::move(taken), true);
    if (applyReference)
        documents.ApplyReference(documents.IndexOf(&r));
    return r;
}

} // namespace vro
