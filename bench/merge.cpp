// Merging a folder of 400 time-ordered recording files (2 channels, 6,000
// time-stamped samples each, 19.2 MB of samples together) against loading
// the same 400 files, in the same run. Appending block after block must cost
// in proportion to what is appended, not copy the growing result each time,
// so the merge should take little more than the loads it consists of.
#include "figures.h"
#include "loadfiles.h"

#include "core/construct/loadrecordingfile.h"
#include "core/construct/mergerecordings.h"
#include "core/recording/recording.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 400;
constexpr std::int32_t kSamples = 6000;

std::vector<std::filesystem::path> WriteFolder(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    for (int f = 0; f < kFiles; ++f) {
        vro::TRecording r;
        r.RecordingType = 2;
        r.HasTimeStamps = true;
        r.SampleRate = 12;
        r.ChannelCount = 2;
        r.RecordCount = kSamples;
        r.CreateChannelObjects();
        for (std::int32_t k = 0; k < kSamples; ++k) {
            const auto i = static_cast<std::size_t>(k);
            r.Time->TimeStamps[i] = 800000000 + f * kSamples + k;
            r.Channel(0).Values[i] = k % 1000;
            r.Channel(1).Values[i] = (k * 7) % 2000;
        }
        r.Time->ResetRange();
        char name[32];
        std::snprintf(name, sizeof name, "part-%04d.vxrf", f);
        r.FileName = (dir / name).string();
        r.NameConfirmed = true;
        r.SaveToFile();
        files.push_back(r.FileName);
    }
    return files;
}

} // namespace

int main()
{
    const auto dir = vro::bench::TempFolder("merge");
    const auto files = WriteFolder(dir);
    std::vector<double> ratios;
    for (int round = 0; round < 5; ++round) {
        const double load = vro::bench::Seconds([&] {
            for (const auto& f : files) {
                vro::TRecording r;
                vro::LoadRecordingFile(f, r);
            }
        });
        int code = -1;
        const double merge = vro::bench::Seconds([&] {
            vro::TMergeRecordings m;
            code = m.MergeFromFolder(dir);
        });
        if (code != 0)
            vro::bench::Fail("merge code " + std::to_string(code));
        std::fprintf(stderr, "round %d: load %.3f s, merge %.3f s\n", round, load, merge);
        ratios.push_back(merge / load);
    }
    std::filesystem::remove_all(dir);
    vro::bench::Figure("merge_folder_ratio", vro::bench::Median(ratios), "x");
    return 0;
}
