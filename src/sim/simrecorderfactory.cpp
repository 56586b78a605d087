#include "sim/simrecorderfactory.h"

#include "sim/recorderfiles.h"
#include "sim/simchannels.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace vro::sim {

namespace {

int IntOption(const TSimOptionValues& values, const std::string& name, int def, int lo, int hi)
{
    auto it = values.find(name);
    if (it == values.end())
        return def;
    std::size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(it->second, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != it->second.size() || it->second.empty())
        throw std::invalid_argument(name + ": \"" + it->second + "\" is not a whole number");
    if (v < lo || v > hi)
        throw std::invalid_argument(name + ": " + it->second + " is outside " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    return v;
}

// NAME:NUMBER[:STAMP],... of --recording-entries and --setup-entries; a
// name holds any character but ":" and ",".
struct TSimEntryArg {
    std::string Name;
    std::uint32_t Number = 0;
    std::optional<std::uint32_t> Stamp;
};

std::vector<TSimEntryArg> ParseEntryList(const std::string& option, const std::string& text)
{
    auto number = [&](const std::string& item, const std::string& s) {
        std::size_t used = 0;
        unsigned long long v = 0;
        try {
            v = std::stoull(s, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (s.empty() || used != s.size() || s[0] == '-' || v > 0xFFFFFFFFull)
            throw std::invalid_argument(option + ": \"" + item + "\": \"" + s + "\" is not a number 0..4294967295");
        return static_cast<std::uint32_t>(v);
    };
    std::vector<TSimEntryArg> out;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        from = comma + 1;
        if (item.empty())
            continue;
        const std::size_t c1 = item.find(':');
        if (c1 == std::string::npos || c1 == 0)
            throw std::invalid_argument(option + ": \"" + item + "\": expected NAME:NUMBER[:STAMP]");
        const std::size_t c2 = item.find(':', c1 + 1);
        TSimEntryArg e;
        e.Name = item.substr(0, c1);
        e.Number = number(item, item.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1));
        if (c2 != std::string::npos)
            e.Stamp = number(item, item.substr(c2 + 1));
        out.push_back(std::move(e));
    }
    return out;
}

// --smart: "A:3,B:1" or "none".
std::vector<int> ParseSmart(const std::string& text)
{
    std::vector<int> counts(4, 0);
    if (text == "none")
        return counts;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        from = comma + 1;
        if (item.empty())
            continue;
        const bool letter = item.size() >= 3 && item[0] >= 'A' && item[0] <= 'D' && item[1] == ':';
        const std::string digits = letter ? item.substr(2) : std::string{};
        if (!letter || digits.empty() || digits.size() > 2 ||
            digits.find_first_not_of("0123456789") != std::string::npos || std::stoi(digits) > 32)
            throw std::invalid_argument("--smart: \"" + item +
                                        "\": expected INPUT:COUNT with INPUT A..D and COUNT 0..32, or none");
        counts[static_cast<std::size_t>(item[0] - 'A')] = std::stoi(digits);
    }
    return counts;
}

} // namespace

const std::vector<TSimOption>& SimRecorderOptions()
{
    static const std::vector<TSimOption> options = {
        {"--com-version", "N  recorder layout version 1..5 (default 3)", false},
        {"--ident", "TEXT  identification text (default \"VRO8K-M V2.10\")", false},
        {"--online-interval-ms", "MS  one online record every MS milliseconds (default 2)", false},
        {"--online-interval-us", "US  one online record every US microseconds (finer; not with --online-interval-ms)",
         false},
        {"--online-trigger-at",
         "N  types 0/1: the trigger fires (status 1) from record N on (the default trigger block has event 1 active with Source 0, released by hand)",
         false},
        {"--online-event-every", "N  type 2: every N-th record reports an event (default 5, 0: none)", false},
        {"--online-bad-checksum-every", "N  every N-th record (types 0/1) carries a wrong checksum", false},
        {"--online-junk-every", "N  every N-th record is preceded by the stray bytes 88 01", false},
        {"--online-stop-after", "N  the stream stops by itself after N records", false},
        {"--recordings", "DIR  serve the .vxrf files of DIR as the recorder's memory", false},
        {"--recording-entries",
         "NAME:NUMBER[:STAMP],...  generated recordings under these names and numbers instead "
         "of the built-in ones (STAMP: start in seconds since 2000; default one hour apart)",
         false},
        {"--setup-entries",
         "NAME:NUMBER[:STAMP],...  stored settings instead of the built-in ones; each carries its "
         "name as the recording name",
         false},
        {"--faults",
         "LIST  answer commands wrongly, e.g. R20:status:3,R23:cut:4800 (modes silence, status, "
         "short, long, empty, cut, over, delay)",
         false},
        {"--link-faults", "P  lose or corrupt each answer with probability P (0..1), as a noisy line would", false},
        {"--remote-ms", "MS  a remote recording (S 106) runs MS milliseconds (default 300)", false},
        {"--remote-store-ms", "MS  then it is stored for MS milliseconds, pings waiting (default 200)", false},
        {"--remote-max-records",
         "N  a remote recording holds recording time / interval records, at most N (default 5000)", false},
        {"--hardware-variant", "N  the HardwareVariant of the identification (default 1)", false},
        {"--fw-erase-ms", "A0,A1  erase time of each firmware area before the first packet is answered (default 0,0)",
         false},
        {"--fw-bad-byte",
         "AREA:OFFSET[:WRITES]  a flash cell that stores its byte with the lowest bit flipped (during the "
         "first WRITES writes of the area; default every one)",
         false},
        {"--fw-own-bytes", "bytes 20..23 of area 1 read back as the recorder's own values", true},
        {"--fw-power-loss",
         "AREA:N[:MS]  power lost after N packets of the next write of AREA, for MS ms "
         "(default 3000), once",
         false},
        {"--fw-activate-ms", "MS  silence while new firmware is activated (default 2000)", false},
        {"--channels", "N  N active channels (0..70) from a fixed list of varied sensors instead of the six defaults",
         false},
        {"--minmax", "  the recorder supplies min/max values (R 10 mode 1, R 12 value triples)", true},
        {"--smart",
         "A:3,B:1|none  smart sensors with that many sub-channels on inputs A..D (A..C on layout 5; default B:1); "
         "the channel list follows the sensor block",
         false},
        {"--can-bus-input",
         "LETTER  layout 4: the CAN bus on input A..D (R 52 \"CAN-Bus\", its channels the active "
         "CAN messages)",
         false}};
    return options;
}

std::shared_ptr<TSimRecorder> MakeSimRecorder(const TSimOptionValues& values)
{
    TSimProfile profile;
    profile.ComVersion = IntOption(values, "--com-version", 3, 1, 5);
    if (auto it = values.find("--ident"); it != values.end())
        profile.IdentText = it->second;
    if (values.count("--online-interval-ms") && values.count("--online-interval-us"))
        throw std::invalid_argument("--online-interval-ms and --online-interval-us exclude each other");
    profile.Online.Interval = std::chrono::milliseconds(IntOption(values, "--online-interval-ms", 2, 1, 10000));
    profile.RemoteDuration = std::chrono::milliseconds(IntOption(values, "--remote-ms", 300, 1, 86'400'000));
    profile.StoringTime = std::chrono::milliseconds(IntOption(values, "--remote-store-ms", 200, 0, 60'000));
    profile.RemoteMaxRecords =
        static_cast<std::uint32_t>(IntOption(values, "--remote-max-records", 5000, 1, 1'000'000));
    if (values.count("--online-interval-us"))
        profile.Online.Interval =
            std::chrono::microseconds(IntOption(values, "--online-interval-us", 2000, 50, 10000000));
    profile.Online.TriggerAtRecord = IntOption(values, "--online-trigger-at", -1, -1, 1000000000);
    profile.Online.EventEvery = IntOption(values, "--online-event-every", 5, 0, 1000000000);
    profile.Online.BadChecksumEvery = IntOption(values, "--online-bad-checksum-every", 0, 0, 1000000000);
    profile.Online.JunkEvery = IntOption(values, "--online-junk-every", 0, 0, 1000000000);
    profile.Online.StopAfter = IntOption(values, "--online-stop-after", -1, -1, 1000000000);
    profile.HardwareVariant = static_cast<std::int16_t>(IntOption(values, "--hardware-variant", 1, -32768, 65535));
    if (auto it = values.find("--fw-erase-ms"); it != values.end())
        profile.Firmware.EraseTime = ParseEraseTimes(it->second);
    if (auto it = values.find("--fw-bad-byte"); it != values.end()) {
        const TBadByteOption bad = ParseBadByte(it->second);
        profile.Firmware.BadByte = bad.Cell;
        profile.Firmware.BadByteWrites = bad.Writes;
    }
    profile.Firmware.OwnBytes = values.count("--fw-own-bytes") > 0;
    if (auto it = values.find("--fw-power-loss"); it != values.end())
        profile.Firmware.PowerLoss = ParsePowerLoss(it->second);
    profile.Firmware.ActivateTime = std::chrono::milliseconds(IntOption(values, "--fw-activate-ms", 2000, 0, 600000));
    if (auto it = values.find("--smart"); it != values.end()) {
        profile.SmartSubChannels = ParseSmart(it->second);
        if (profile.ComVersion == 1)
            throw std::invalid_argument("--smart: layout 1 has no smart sensors");
        if (profile.ComVersion == 5 && (*profile.SmartSubChannels)[3] != 0)
            throw std::invalid_argument("--smart: layout 5 has smart sensors on A..C only");
    }
    if (auto it = values.find("--can-bus-input"); it != values.end()) {
        const std::string& l = it->second;
        if (l.size() != 1 || l[0] < 'A' || l[0] > 'D')
            throw std::invalid_argument("--can-bus-input: \"" + l + "\" is not an input A..D");
        if (profile.ComVersion != 4)
            throw std::invalid_argument("--can-bus-input needs --com-version 4 (the CAN layout)");
        profile.CanBusInput = l[0] - 'A';
    }
    auto recorder = std::make_shared<TSimRecorder>(profile);
    if (auto it = values.find("--recordings"); it != values.end()) {
        auto recordings = LoadSimRecordings(it->second, profile.ComVersion);
        recorder->ClearMemory();
        for (auto& r : recordings)
            recorder->AddRecording(std::move(r));
        recorder->AddSetup("Default setup", 1);
    }
    if (values.count("--recording-entries") && values.count("--recordings"))
        throw std::invalid_argument("--recording-entries and --recordings exclude each other");
    if (values.count("--recording-entries") || values.count("--setup-entries")) {
        // The memory is rebuilt: what is not replaced is kept.
        std::vector<TSimRecording> recordings = recorder->Recordings();
        if (auto it = values.find("--recording-entries"); it != values.end()) {
            recordings.clear();
            std::uint32_t stamp = 820000000;
            int k = 0;
            for (const TSimEntryArg& e : ParseEntryList("--recording-entries", it->second)) {
                TSimRecording r;
                r.Name = e.Name;
                r.Number = e.Number;
                r.StartTime = e.Stamp.value_or(stamp);
                r.StopTime = r.StartTime + 40;
                r.SampleRate = 10;
                for (int c = 0; c < 2 + k % 2; ++c)
                    r.Channels.push_back({-1000, 1000 + c * 100, static_cast<std::uint16_t>(c % 3),
                                          static_cast<std::uint8_t>(c), 0, 0, "Channel " + std::to_string(c + 1),
                                          "bar"});
                r.RecordCount = 200 + 50 * static_cast<std::uint32_t>(k);
                stamp = r.StartTime + 3600;
                recordings.push_back(std::move(r));
                ++k;
            }
        }
        std::vector<TSimEntryArg> setups = {{"Default setup", 1, {}}, {"Leak test", 2, {}}};
        if (auto it = values.find("--setup-entries"); it != values.end())
            setups = ParseEntryList("--setup-entries", it->second);
        recorder->ClearMemory();
        for (auto& r : recordings) {
            r.Handle = 0;
            r.Words.clear();
            recorder->AddRecording(std::move(r));
        }
        for (const TSimEntryArg& e : setups)
            recorder->AddSetup(e.Name, e.Number, e.Stamp);
    }
    if (values.count("--channels"))
        recorder->SetChannels(SimChannelList(IntOption(values, "--channels", 6, 0, kMaxSimChannels)),
                              values.count("--minmax") > 0);
    else if (values.count("--minmax"))
        recorder->SetMinMax(true); // the list keeps following the sensor block
    if (auto it = values.find("--faults"); it != values.end())
        for (const auto& f : ParseRecorderFaults(it->second))
            recorder->SetFault(f.Address, f.Number, f.Fault);
    return recorder;
}

void ApplySimulatorOptions(TSimulator& sim, const TSimOptionValues& values)
{
    if (auto it = values.find("--link-faults"); it != values.end()) {
        std::size_t used = 0;
        double p = -1;
        try {
            p = std::stod(it->second, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != it->second.size() || !(p >= 0 && p <= 1))
            throw std::invalid_argument("--link-faults: \"" + it->second + "\" is not a probability 0..1");
        sim.SetRandomFaults(p, {ESimFault::LoseAnswer, ESimFault::FlipBit, ESimFault::Garbage},
                            static_cast<std::uint32_t>(std::time(nullptr)));
    }
}

} // namespace vro::sim
