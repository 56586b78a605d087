#include "device/files/vrorecordtransfer.h"

#include "core/construct/construct.h"
#include "device/manager/takedownload.h"
#include "core/recording/recording.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/files/vrofilesui.h"
#include "device/manager/vro8manager.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <cstdio>

namespace vro {

TVroTransferReport RecordingsToFolder(TVro8Device& device, const std::vector<int>& indexes,
                                      const std::filesystem::path& folder, const TVroNaming& naming, IVroFilesUi& ui,
                                      const TVroRecordingHooks& hooks)
{
    TVroTransferReport report;
    std::vector<TVro8Entry> entries;
    for (int i : indexes)
        entries.push_back(device.Directory.Entry(i));
    TDvxV24Connector& c = device.Connector();
    TVro8Recording& rec = device.Recording;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const TVro8Entry& e = entries[k];
        char line[64];
        std::snprintf(line, sizeof line, "-%5.5u", e.Number);
        if (hooks.onItem)
            hooks.onItem(static_cast<int>(k) + 1, static_cast<int>(entries.size()), e.Name + line);
        const auto fail = [&] {
            ui.ShowError(FormatMessage(text(553), {e.Name}));
            report.Result = TVroTransferResult::Failed;
            return report;
        };
        bool aborted = false;
        try {
            rec.StartLoad(indexes[k]);
            // Until the worker has ended and its completion has been delivered.
            while (c.IsAsyncActive() || rec.LoadState() == TVro8Recording::kLoading) {
                c.WaitAsyncEnded(50);
                if (hooks.pump)
                    hooks.pump();
                const auto total = c.GetProgressTotal();
                if (hooks.onProgress && total > 0)
                    hooks.onProgress(static_cast<int>(c.GetProgressDone() * 1000 / total));
                if (!aborted && hooks.aborted && hooks.aborted()) {
                    aborted = true;
                    c.Cancel();
                }
            }
        } catch (const std::exception&) {
            if (aborted || (hooks.aborted && hooks.aborted())) {
                report.Result = TVroTransferResult::Aborted;
                return report;
            }
            return fail();
        }
        if (aborted || rec.LoadState() == TVro8Recording::kCancelled) {
            report.Result = TVroTransferResult::Aborted;
            return report;
        }
        if (rec.LoadState() != TVro8Recording::kLoaded)
            return fail();
        if (hooks.deliver) {
            // Open mode: the device window's hand-off takes the download
            // into the documents (text 482 when it cannot be built).
            try {
                hooks.deliver(DeviceRecordingData(rec));
            } catch (const std::exception&) {
                ui.ShowError(text(482));
                report.Result = TVroTransferResult::Failed;
                return report;
            }
            continue;
        }
        try {
            const std::filesystem::path path = EntryFilePath(folder, naming, e.Name, e.Number, e.Date, "vxrf");
            TTakeReport taken;
            const auto r = TakeDownload(DeviceRecordingData(rec), TTakeNaming::InFile(path.string()), taken);
            r->SaveToFile();
            report.Written.push_back(path);
            if (!taken.Message.empty())
                ui.ShowInformation(taken.Message);
        } catch (const std::exception&) {
            return fail();
        }
    }
    return report;
}

} // namespace vro
