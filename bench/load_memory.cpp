// Peak memory of opening a recording: 32 channels × 1,000,000 samples with
// min/max, 16-bit (192 MB) and 32-bit (384 MB), each opened in a fresh child
// process whose peak resident size the kernel reports at its end
// (getrusage of the child). Figures: the peak over the file's size, and the
// resident size right after the load over the size of the sample arrays
// (which should be about 1: nothing of the file is kept).
#include "figures.h"
#include "loadfiles.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

constexpr int kChannels = 32;
constexpr std::int32_t kSamples = 1000000;
constexpr int kRounds = 3;

// The child: loads the file and writes its resident size after the load.
int Child(const char* path, const char* out)
{
    vro::TRecording r;
    r.LoadFromFile(path);
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    // How much of it the kernel backs with huge pages (a detail for the log).
    std::ifstream rollup("/proc/self/smaps_rollup");
    std::string line, huge = "AnonHugePages: unknown";
    while (std::getline(rollup, line))
        if (line.rfind("AnonHugePages:", 0) == 0)
            huge = line;
    std::fprintf(stderr, "child %s: %s\n", path, huge.c_str());
    std::ofstream(out) << resident * ::sysconf(_SC_PAGESIZE) << "\n";
    return 0;
}

struct TChildResult {
    double PeakBytes = 0, AfterBytes = 0;
};

TChildResult RunChild(const std::filesystem::path& file, const std::filesystem::path& out)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        vro::bench::Fail("fork");
    if (pid == 0) {
        // A fresh program: the child starts without the parent's memory.
        ::execl("/proc/self/exe", "bench_load_memory", "--child", file.c_str(), out.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the child loading " + file.string() + " failed");
    TChildResult r;
    r.PeakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0; // kilobytes on Linux
    std::ifstream(out) >> r.AfterBytes;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--child")
        return Child(argv[2], argv[3]);
    const auto dir = vro::bench::TempFolder("load-memory");
    const double arrayBytes = 3.0 * kChannels * kSamples * sizeof(std::int32_t);
    for (const bool wide : {false, true}) {
        const auto file = dir / (wide ? "m32.vxrf" : "m16.vxrf");
        vro::bench::WriteBigRecording(file, kChannels, kSamples, wide);
        const double fileBytes = static_cast<double>(std::filesystem::file_size(file));
        std::vector<double> peak, after;
        for (int k = 0; k < kRounds; ++k) {
            const auto r = RunChild(file, dir / "rss.txt");
            peak.push_back(r.PeakBytes);
            after.push_back(r.AfterBytes);
            std::fprintf(stderr, "%s round %d: peak %.0f MB, resident after load %.0f MB, file %.0f MB\n",
                         wide ? "32-bit" : "16-bit", k, r.PeakBytes / 1e6, r.AfterBytes / 1e6, fileBytes / 1e6);
        }
        std::filesystem::remove(file);
        const std::string bits = wide ? "32bit" : "16bit";
        vro::bench::Figure("load_peak_memory_ratio_" + bits, vro::bench::Median(peak) / fileBytes, "x");
        vro::bench::Figure("load_resident_after_ratio_" + bits, vro::bench::Median(after) / arrayBytes, "x");
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
