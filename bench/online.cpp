// online: the real-time frame's drawing and its online run.
//   online_paint_ms          median paint of one frame through the drawing model into a QImage:
//                            graph 1920 x 1000, 32 channels, ring of 31,250 (wrapped), 1920 columns, roll mode
//   online_paint_lines_ms    the same segments drawn by one plain QPainter::drawLines per channel
//                            into the same image, measured in the same run (the baseline)
//   online_paint_ratio       online_paint_ms / online_paint_lines_ms
//   online_records_sent      records the simulated recorder (child process, pseudo-terminal)
//                            sent: 32 channels, one record per ms, 21 s
//   online_records_lost      those sent minus those decoded, painting every notice at 1920 pixels
//   online_cpu_percent       the program's CPU time over wall time in that run
//   online_cpu_idle_percent  the same program waiting for the same time without a run (baseline)
//   online_memory_growth_kb  resident growth from the end of the first lap (1,000 records) to
//                            the end of 20 more laps of that continuous run
#include "figures.h"

#include "app/graph/qtgraphcanvas.h"
#include "device/live/onlinedraw.h"
#include "device/live/onlinerun.h"
#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "device/vro8online.h"
#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simchannels.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

using namespace vro;

namespace {

constexpr int kChannels = 32;
constexpr int kGraphWidth = 1920, kGraphHeight = 1000;
constexpr long kLiveRecords = 21000; // 21 laps of a 1000-sample ring at one record per ms

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// CPU time of the calling thread (the paint is single-threaded; under a
// loaded machine wall time would measure the other processes too).
double ThreadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double CpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long ResidentKb()
{
    std::ifstream f("/proc/self/statm");
    long size = 0, resident = 0;
    f >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// ---- paint of one frame ----

// Records the segments the drawing model hands to the canvas.
struct TRecordingCanvas : graph::TGraphCanvas {
    std::vector<std::pair<graph::TRgb, std::vector<QLine>>> curves;
    void FillRect(int, int, int, int, graph::TRgb) override {}
    void Lines(std::span<const graph::TSegment> l, graph::TRgb c) override
    {
        if (c == kOnlineGrid)
            return;
        std::vector<QLine> q;
        q.reserve(l.size());
        for (const auto& s : l)
            q.emplace_back(s.X1, s.Y1, s.X2, s.Y2);
        curves.emplace_back(c, std::move(q));
    }
    void Markers(std::span<const graph::TSegment>, graph::TRgb) override {}
};

void PaintFigures()
{
    TDvxV24MemoryPortPair pair;
    TDvxV24Connector connector(pair.TakeA());
    TVro8Device device(connector);
    TVro8OnlineRecording& o = device.OnlineRecording();
    o.Now = [] { return 45000.0; };
    o.RecordingType = 0;
    o.SimpleCurvMode = 1;
    o.ChannelCount = kChannels;
    o.BufferLength = 31250;
    o.SetDisplayWidth(kGraphWidth);
    o.PrepareRun();
    // 1.2 laps of records: sines of different periods plus noise.
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 37500; ++i) {
        bytes.assign({0x88, 0x88});
        std::uint8_t sum = 0;
        for (int c = 0; c < kChannels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const double v =
                20000.0 * std::sin(6.283185307 * (c + 1) * i / 31250.0) + static_cast<int>(seed >> 22) - 512;
            const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            bytes.push_back(u & 0xFF);
            bytes.push_back(u >> 8);
            sum = static_cast<std::uint8_t>(sum + (u & 0xFF) + (u >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(sum);
        at = 0;
        while (at < bytes.size())
            o.PollFrom([&] { return bytes[at++]; });
    }
    TOnlineDisplaySettings s;
    s.ChannelCount = kChannels;
    for (int c = 0; c < kChannels; ++c) {
        s.LoY[static_cast<std::size_t>(c)] = -30000;
        s.HiY[static_cast<std::size_t>(c)] = 30000;
        s.Shown |= 1u << c;
        s.LeftAxis |= 1u << c;
    }
    QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
    TRecordingCanvas recorded;
    PaintOnlineGraph(o, s, recorded, kGraphWidth, kGraphHeight, true);

    std::vector<double> model, lines, ground;
    for (int round = 0; round < 61; ++round) {
        {
            const double t0 = ThreadCpuMs();
            QPainter p(&image);
            app::TQtGraphCanvas canvas(p);
            PaintOnlineGraph(o, s, canvas, kGraphWidth, kGraphHeight, false);
            p.end();
            ground.push_back(ThreadCpuMs() - t0);
        }
        {
            const double t0 = ThreadCpuMs();
            QPainter p(&image);
            app::TQtGraphCanvas canvas(p);
            PaintOnlineGraph(o, s, canvas, kGraphWidth, kGraphHeight, true);
            p.end();
            model.push_back(ThreadCpuMs() - t0);
        }
        {
            const double t0 = ThreadCpuMs();
            QPainter p(&image);
            for (const auto& [color, segs] : recorded.curves) {
                p.setPen(QColor(color.R, color.G, color.B));
                p.drawLines(segs.data(), static_cast<int>(segs.size()));
            }
            p.end();
            lines.push_back(ThreadCpuMs() - t0);
        }
    }
    std::size_t segments = 0;
    for (const auto& c : recorded.curves)
        segments += c.second.size();
    std::cerr << "paint: " << recorded.curves.size() << " curves, " << segments
              << " segments; background and grid alone " << Median(ground) << " ms\n";
    const double m = Median(model), l = Median(lines);
    bench::Figure("online_paint_ms", m, "ms");
    bench::Figure("online_paint_lines_ms", l, "ms");
    bench::Figure("online_paint_ratio", l > 0 ? m / l : 0, "x");
}

// ---- the live run against a recorder in a child process ----

// The child: the simulated recorder with 32 channels streaming one record per
// ms for kLiveRecords records; at the end it reports how many it sent.
[[noreturn]] void RunRecorder(int pathPipe, int stopPipe, int countPipe)
{
    sim::TSimPty pty;
    sim::TSimProfile profile;
    profile.ComVersion = 3;
    auto recorder = std::make_shared<sim::TSimRecorder>(profile);
    recorder->SetChannels(sim::SimChannelList(kChannels), false);
    sim::TSimOnlineConfig online;
    online.Interval = std::chrono::microseconds(1000);
    online.EventEvery = 0;
    online.StopAfter = kLiveRecords;
    recorder->SetOnline(online);
    sim::TSimulator simulator(pty.Master());
    sim::TSimRecorderService service(simulator, pty.Master(), recorder);
    simulator.Start();
    const std::string path = pty.SlavePath() + "\n";
    if (::write(pathPipe, path.data(), path.size()) != static_cast<ssize_t>(path.size()))
        std::_Exit(2);
    char c;
    while (::read(stopPipe, &c, 1) > 0) {
    }
    simulator.Stop();
    const long sent = static_cast<long>(recorder->StreamedRecords().size()) + recorder->StreamedForgotten();
    const std::string line = std::to_string(sent) + "\n";
    if (::write(countPipe, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        std::_Exit(2);
    std::_Exit(0);
}

std::string ReadLine(int fd)
{
    std::string s;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        s += c;
    return s;
}

struct TChild {
    pid_t pid = -1;
    int stop = -1, count = -1;
    std::string path;
};

// Started before anything else runs threads in this process.
TChild StartRecorder()
{
    TChild ch;
    int pathPipe[2], stopPipe[2], countPipe[2];
    if (::pipe(pathPipe) != 0 || ::pipe(stopPipe) != 0 || ::pipe(countPipe) != 0)
        return ch;
    ch.pid = ::fork();
    if (ch.pid == 0) {
        ::close(pathPipe[0]);
        ::close(stopPipe[1]);
        ::close(countPipe[0]);
        RunRecorder(pathPipe[1], stopPipe[0], countPipe[1]);
    }
    ::close(pathPipe[1]);
    ::close(stopPipe[0]);
    ::close(countPipe[1]);
    ch.stop = stopPipe[1];
    ch.count = countPipe[0];
    ch.path = ReadLine(pathPipe[0]);
    ::close(pathPipe[0]);
    return ch;
}

bool LiveFigures(TChild& child)
{
    const std::string& path = child.path;
    if (path.empty()) {
        std::cerr << "the simulated recorder did not start\n";
        return false;
    }
    bool ok = false;
    long decoded = 0;
    double cpuPercent = 0, idlePercent = 0, seconds = 0;
    long growth = 0;
    {
        TDvxV24Connector connector;
        connector.SetPortIndex(TDvxPortTable::Global().AssignFree(path));
        connector.SetBaudrate(460800);
        TVro8Device device(connector);
        const auto r = Vro8OpenAndConnect(device);
        if (!r.Connected) {
            std::cerr << "no recorder: " << r.Error << "\n";
        } else {
            device.Measurement.ReadChannels();
            // The baseline: the program waiting as long as the run takes.
            {
                const double cpu0 = CpuSeconds();
                const auto t0 = std::chrono::steady_clock::now();
                std::this_thread::sleep_for(std::chrono::seconds(3));
                idlePercent = (CpuSeconds() - cpu0) /
                              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * 100.0;
            }
            TOnlineRun run(device);
            TOnlineChoices c;
            c.RecordingType = 0;
            c.SampleRate = 3;    // 1 ms
            c.DurationIndex = 0; // 1 s: 1000 samples per lap
            c.SimpleCurvMode = 1;
            c.HandTriggers = 0;
            run.Configure(c, kGraphWidth, std::nullopt);
            std::mutex m;
            std::condition_variable cv;
            bool notice = false, ended = false;
            QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
            const double cpu0 = CpuSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            run.Begin(
                false,
                [&] {
                    std::lock_guard<std::mutex> l(m);
                    notice = true;
                    cv.notify_all();
                },
                [&] {
                    std::lock_guard<std::mutex> l(m);
                    ended = true;
                    cv.notify_all();
                });
            long firstLap = -1;
            long paints = 0;
            long lap = 0, lastLap = -1;
            auto lastPaint = std::chrono::steady_clock::now() - std::chrono::seconds(1);
            auto lastGrowth = std::chrono::steady_clock::now();
            std::int32_t lastCount = 0;
            for (;;) {
                {
                    std::unique_lock<std::mutex> l(m);
                    cv.wait_for(l, std::chrono::milliseconds(100), [&] { return notice || ended; });
                    if (ended)
                        break;
                    notice = false;
                }
                run.TakeNotice();
                // As the frame does: every notice schedules a paint, at most 50 a second.
                const auto sincePaint = std::chrono::steady_clock::now() - lastPaint;
                if (sincePaint < std::chrono::milliseconds(20))
                    std::this_thread::sleep_for(std::chrono::milliseconds(20) - sincePaint);
                if (run.Live()) {
                    lastPaint = std::chrono::steady_clock::now();
                    QPainter p(&image);
                    app::TQtGraphCanvas canvas(p);
                    PaintOnlineGraph(run.Online(), run.Settings, canvas, kGraphWidth, kGraphHeight, true);
                    ++paints;
                }
                const std::int32_t count = run.Online().RecordCount();
                if (firstLap < 0 && count >= 1000)
                    firstLap = ResidentKb();
                if (count / 1000 > lap) {
                    lap = count / 1000;
                    const long kb = ResidentKb();
                    std::cerr << "lap " << lap << ": " << kb << " kB resident\n";
                    if (lap == kLiveRecords / 1000)
                        lastLap = kb;
                }
                const auto now = std::chrono::steady_clock::now();
                if (count != lastCount) {
                    lastCount = count;
                    lastGrowth = now;
                }
                // All records came, or none for half a second: End.
                if (count >= kLiveRecords || now - lastGrowth > std::chrono::milliseconds(500))
                    run.RequestStop();
            }
            run.Join();
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            cpuPercent = (CpuSeconds() - cpu0) / seconds * 100.0;
            growth = firstLap < 0 || lastLap < 0 ? -1 : lastLap - firstLap;
            decoded = run.Online().RecordCount();
            std::cerr << "live: " << decoded << " records decoded, " << paints << " paints in " << seconds << " s\n";
            ok = true;
        }
    }
    ::close(child.stop);
    const std::string sentText = ReadLine(child.count);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    if (!ok || sentText.empty())
        return false;
    const long sent = std::stol(sentText);
    bench::Figure("online_records_sent", static_cast<double>(sent), "records");
    bench::Figure("online_records_lost", static_cast<double>(sent - decoded), "records");
    bench::Figure("online_cpu_percent", cpuPercent, "%");
    bench::Figure("online_cpu_idle_percent", idlePercent, "%");
    bench::Figure("online_memory_growth_kb", static_cast<double>(growth), "kB");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    TChild child = StartRecorder();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    PaintFigures();
    return LiveFigures(child) ? 0 : 1;
}
