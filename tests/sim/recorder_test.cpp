// The simulated recorder's answers, asked directly (without frames): sizes
// and positions per layout, the memory's lists and handles, the remote
// state machine, the online stream and the switchable faults.
#include "sim/recorder.h"
#include "sim/recorderfiles.h"
#include "support/waituntil.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include <thread>

using namespace vro::sim;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes U16(std::uint16_t v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
Bytes U32(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}
std::uint16_t Get16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

Bytes Ask(TSimRecorder& r, char a, std::uint8_t n, const Bytes& d = {})
{
    auto ans = r.HandleFrame(a, n, d);
    EXPECT_FALSE(ans.Silent) << a << int(n);
    return ans.Data;
}

// A whole multi-packet area as the PC reads it: offsets until a 0-byte piece.
Bytes ReadArea(TSimRecorder& r, std::uint8_t n, std::size_t* pieces = nullptr)
{
    Bytes all;
    std::size_t count = 0;
    for (;;) {
        Bytes piece = Ask(r, 'R', n, U32(static_cast<std::uint32_t>(all.size())));
        EXPECT_LE(piece.size(), 240u);
        ++count;
        if (piece.empty())
            break;
        all.insert(all.end(), piece.begin(), piece.end());
    }
    if (pieces)
        *pieces = count;
    return all;
}

} // namespace

TEST(SimRecorder, LayoutSizesPerComVersion)
{
    const std::size_t channel[] = {0, 48, 52, 56, 56, 56};
    const std::size_t header[] = {0, 1224, 2408, 2540, 2540, 2476};
    const std::size_t sensors[] = {0, 720, 720, 720, 720, 300};
    const std::size_t trigger[] = {0, 132, 132, 132, 132, 68};
    for (int v = 1; v <= 5; ++v) {
        SCOPED_TRACE("layout " + std::to_string(v));
        TSimProfile p;
        p.ComVersion = v;
        TSimRecorder r(p);
        Bytes id = Ask(r, 'R', 40);
        ASSERT_EQ(id.size(), 80u);
        EXPECT_EQ(Get16(id, 26), v);
        EXPECT_EQ(std::string(id.begin(), id.begin() + 13), "VRO8K-M V2.10");
        Bytes head = Ask(r, 'R', 10);
        ASSERT_EQ(head.size(), 4u);
        const int count = Get16(head, 0);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(Ask(r, 'R', 11, U16(static_cast<std::uint16_t>(i))).size(), channel[v]);
        EXPECT_TRUE(Ask(r, 'R', 11, U16(static_cast<std::uint16_t>(count))).empty());
        EXPECT_EQ(Ask(r, 'R', 12).size(), static_cast<std::size_t>(count) * 2);
        const auto recs = r.Recordings();
        ASSERT_GE(recs.size(), 4u);
        EXPECT_EQ(Ask(r, 'R', 20, U16(recs[0].Handle)), U16(0));
        EXPECT_EQ(ReadArea(r, 21).size(), header[v]);
        EXPECT_EQ(ReadArea(r, 100).size(), sensors[v]);
        EXPECT_EQ(Ask(r, 'R', 101).size(), trigger[v]);
        EXPECT_EQ(Ask(r, 'R', 102).size(), 48u);
        EXPECT_EQ(Ask(r, 'R', 50).size(), v == 1 ? 0u : v == 5 ? 3u : 4u);
        EXPECT_EQ(r.HandleFrame('R', 107, U32(0)).Silent, v != 4);
        EXPECT_EQ(Ask(r, 'R', 112).size(), 14u);
        // Layout 1 stores setups by name only, the others with a number.
        EXPECT_EQ(Ask(r, 'R', 25, Bytes(v == 1 ? 32 : 36, 'x')), U16(0));
        EXPECT_EQ(Ask(r, 'R', 25, Bytes(v == 1 ? 36 : 32, 'x')), U16(2));
    }
}

TEST(SimRecorder, RecordingsHeadersAndSamplesAgree)
{
    TSimRecorder r;
    for (const auto& rec : r.Recordings()) {
        SCOPED_TRACE(rec.Name);
        ASSERT_EQ(Ask(r, 'R', 20, U16(rec.Handle)), U16(0));
        Bytes h = ReadArea(r, 21);
        ASSERT_EQ(h.size(), 2540u);
        EXPECT_EQ(Get32(h, 48), rec.RecordCount);
        EXPECT_EQ(Get32(h, 76), static_cast<std::uint32_t>(rec.WordsPerRecord()));
        EXPECT_EQ(Get32(h, 44), rec.RecordCount * static_cast<std::uint32_t>(rec.WordsPerRecord()));
        EXPECT_EQ(Get32(h, 68), rec.Channels.size());
        ASSERT_EQ(Ask(r, 'R', 22, U16(rec.Handle)), U16(0));
        std::size_t pieces = 0;
        Bytes s = ReadArea(r, 23, &pieces);
        ASSERT_EQ(s.size(), rec.Words.size() * 2);
        EXPECT_EQ(pieces, (s.size() + 239) / 240 + 1);
        for (std::size_t i = 0; i < rec.Words.size(); i += 97)
            ASSERT_EQ(Get16(s, 2 * i), rec.Words[i]);
        if (rec.TimeStamps()) { // the first record starts with its time stamp
            EXPECT_EQ(Get32(s, 0), rec.StartTime);
        }
    }
    EXPECT_EQ(Ask(r, 'R', 20, U16(0x7FFF)), U16(3));
    EXPECT_EQ(Ask(r, 'R', 20, Bytes{1}), U16(2));
}

TEST(SimRecorder, DirectoryListsAndHandles)
{
    TSimRecorder r;
    const std::size_t recordings = r.Recordings().size();
    Bytes n = Ask(r, 'R', 30);
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(Get16(n, 0), recordings);
    Bytes list = ReadArea(r, 32);
    ASSERT_EQ(list.size(), recordings * 44);
    const std::uint16_t firstRecording = Get16(list, 0);

    EXPECT_EQ(Get16(Ask(r, 'R', 31), 0), r.SetupCount());
    Bytes setups = ReadArea(r, 32);
    ASSERT_EQ(setups.size(), r.SetupCount() * 44);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&setups[4])), "Default setup");
    const std::uint16_t firstSetup = Get16(setups, 0);
    EXPECT_NE(firstSetup, firstRecording);

    // R 33 deletes in whichever list holds the handle.
    EXPECT_EQ(Ask(r, 'R', 33, U16(firstSetup)), U16(0));
    EXPECT_EQ(Ask(r, 'R', 33, U16(firstRecording)), U16(0));
    EXPECT_EQ(Ask(r, 'R', 33, U16(firstRecording)), U16(3));
    EXPECT_EQ(r.Recordings().size(), recordings - 1);
    // R 24 loads a setup's blocks into the live ones.
    Bytes rec48 = Ask(r, 'R', 102);
    rec48[0] = 99;
    EXPECT_EQ(Ask(r, 'S', 102, rec48), Bytes{0});
    EXPECT_EQ(Ask(r, 'R', 25, Bytes(36, 'A')), U16(0));
    rec48[0] = 5;
    EXPECT_EQ(Ask(r, 'S', 102, rec48), Bytes{0});
    Ask(r, 'R', 31);
    Bytes s2 = ReadArea(r, 32);
    const std::uint16_t stored = Get16(s2, s2.size() - 44);
    EXPECT_EQ(Ask(r, 'R', 24, U16(stored)), U16(0));
    EXPECT_EQ(Ask(r, 'R', 102)[0], 99);
    EXPECT_EQ(Ask(r, 'S', 102, Bytes(47, 0)), Bytes{1});
}

TEST(SimRecorder, RemoteRunStatesAndTheRecordingJustMade)
{
    TSimProfile p;
    p.RemoteDuration = std::chrono::milliseconds(5000);
    p.StoringTime = std::chrono::milliseconds(30);
    p.RemoteRecords = 17;
    TSimRecorder r(p);
    EXPECT_EQ(r.HandleEnq(), std::optional<std::uint8_t>(0x3F));
    EXPECT_EQ(Ask(r, 'S', 106, U16(0)).size(), 1u);
    EXPECT_EQ(r.HandleEnq(), std::optional<std::uint8_t>(0x06));
    EXPECT_TRUE(Ask(r, 'S', 106, U16(1)).empty()); // refused while running
    const std::size_t before = r.Recordings().size();
    EXPECT_EQ(Ask(r, 'R', 210).size(), 1u); // stop
    EXPECT_EQ(r.RemoteState(), ESimRemoteState::Storing);
    EXPECT_EQ(r.HandleEnq(), std::optional<std::uint8_t>(0x15));
    auto ping = r.HandleFrame('R', 210, Bytes(4, 0));
    EXPECT_EQ(ping.Data, Bytes{0});
    EXPECT_GT(ping.Delay.count(), 0); // the ping waits while the recorder stores
    // Stored once the announced delay has passed.
    EXPECT_TRUE(vro::test::WaitUntil([&] { return r.RemoteState() == ESimRemoteState::Finished; }));
    EXPECT_EQ(r.HandleFrame('R', 210, Bytes(4, 0)).Delay.count(), 0);
    ASSERT_EQ(r.Recordings().size(), before + 1);
    // Readable without R 20 / R 22.
    Bytes h = ReadArea(r, 21);
    EXPECT_EQ(Get32(h, 48), 17u);
    EXPECT_EQ(ReadArea(r, 23).size(), r.Recordings().back().Words.size() * 2);
}

TEST(SimRecorder, OnlineStreamRecordsUntilEsc)
{
    TSimProfile p;
    p.Online.Interval = std::chrono::microseconds(1000);
    p.Online.JunkEvery = 4;
    p.Online.BadChecksumEvery = 5;
    TSimRecorder r(p);
    const std::size_t cc = r.Channels().size();
    EXPECT_EQ(Ask(r, 'S', 104, Bytes{0, 0, 5, 0, 0, 0}), Bytes{0});
    EXPECT_TRUE(r.Streaming());
    const auto t0 = std::chrono::steady_clock::now();
    Bytes s = r.PullStream(t0 + std::chrono::milliseconds(20));
    // 20 records of 2 + 2cc + 2 bytes, five of them behind 88 01.
    EXPECT_EQ(s.size(), 20 * (4 + 2 * cc) + 5 * 2);
    EXPECT_EQ(r.StreamedRecords().size(), 16u); // four carried a wrong check byte
    std::size_t pos = 0;
    int good = 0;
    for (int k = 0; k < 20; ++k) {
        if (k % 4 == 3) {
            EXPECT_EQ(s[pos], 0x88);
            EXPECT_EQ(s[pos + 1], 0x01);
            pos += 2;
        }
        ASSERT_EQ(s[pos], 0x88);
        ASSERT_EQ(s[pos + 1], 0x88);
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < 2 * cc; ++i)
            sum = static_cast<std::uint8_t>(sum + s[pos + 2 + i]);
        const bool ok = s[pos + 3 + 2 * cc] == sum;
        EXPECT_EQ(ok, k % 5 != 4) << k;
        if (ok) {
            EXPECT_EQ(static_cast<std::int16_t>(Get16(s, pos + 2)), r.StreamedRecords()[good++][0]);
        }
        pos += 4 + 2 * cc;
    }
    r.HandleCancel();
    EXPECT_FALSE(r.Streaming());
    EXPECT_TRUE(r.PullStream(t0 + std::chrono::seconds(1)).empty());
    EXPECT_EQ(Ask(r, 'S', 104, Bytes{3, 0, 5, 0, 0, 0}), Bytes{1}); // no type 3 stream

    p.Online.JunkEvery = 0;
    r.SetOnline(p.Online);
    EXPECT_EQ(Ask(r, 'S', 104, Bytes{2, 0, 5, 0, 1, 0}), Bytes{0});
    Bytes e = r.PullStream(std::chrono::steady_clock::now() + std::chrono::milliseconds(10));
    EXPECT_EQ(e.size() % (4 + 6 * cc), 0u);
}

TEST(SimRecorder, FaultsReplaceAnswers)
{
    TSimRecorder r;
    const auto h = r.Recordings()[0].Handle;
    r.SetFault('R', 33, {ERecorderFault::Status, 7});
    EXPECT_EQ(Ask(r, 'R', 33, U16(h)), U16(7));
    EXPECT_EQ(r.Recordings()[0].Handle, h); // a refusal does nothing
    r.SetFault('R', 33, {ERecorderFault::Short, 1});
    EXPECT_EQ(Ask(r, 'R', 33, U16(h)).size(), 1u);
    r.SetFault('R', 33, {});
    r.SetFault('S', 13, {ERecorderFault::Status, 4});
    EXPECT_EQ(Ask(r, 'S', 13), Bytes{4});
    r.SetFault('R', 40, {ERecorderFault::Silence, 0, 2, 1}); // the 2nd and 3rd answer are lost
    EXPECT_FALSE(r.HandleFrame('R', 40, {}).Silent);
    EXPECT_TRUE(r.HandleFrame('R', 40, {}).Silent);
    EXPECT_TRUE(r.HandleFrame('R', 40, {}).Silent);
    EXPECT_FALSE(r.HandleFrame('R', 40, {}).Silent);
    // A short status answer still lets the delete happen; the rest uses another recording.
    EXPECT_EQ(r.Recordings()[0].Handle, h + 1);
    const auto h2 = r.Recordings()[0].Handle;
    r.SetFault('R', 23, {ERecorderFault::CutAt, 480});
    EXPECT_EQ(Ask(r, 'R', 22, U16(h2)), U16(0));
    EXPECT_EQ(ReadArea(r, 23).size(), 480u);
    r.SetFault('R', 23, {ERecorderFault::OverPiece, 10});
    EXPECT_EQ(Ask(r, 'R', 23, U32(0)).size(), 240u);
    r.SetPieceSize(100);
    EXPECT_EQ(Ask(r, 'R', 23, U32(0)).size(), 110u);
    r.ClearFaults();
    r.PatchHeader(h2, 48, 0);
    Ask(r, 'R', 20, U16(h2));
    EXPECT_EQ(Get32(ReadArea(r, 21), 48), 0u);
    EXPECT_EQ(r.RequestCount('R', 40), 4);
}

TEST(SimRecorder, CommandTableDecidesWhatIsAnsweredAndWhatARefusalAnswers)
{
    TSimRecorder r;
    const auto set = TSimRecorder::CommandSet();
    const auto listed = [&](char a, std::uint8_t n) {
        return std::any_of(set.begin(), set.end(), [&](const auto& c) { return c.Address == a && c.Number == n; });
    };
    EXPECT_TRUE(listed('R', 23));
    EXPECT_TRUE(listed('S', 104));
    EXPECT_FALSE(listed('S', 23)); // the download commands exist only to read
    EXPECT_FALSE(listed('R', 104));
    for (const auto& c : set)
        EXPECT_EQ(std::count_if(set.begin(), set.end(),
                                [&](const auto& o) { return o.Address == c.Address && o.Number == c.Number; }),
                  1)
            << c.Address << int(c.Number);
    // A number the recorder does not know stays silent, also with a status fault on it.
    r.SetFault('S', 23, {ERecorderFault::Status, 7});
    EXPECT_TRUE(r.HandleFrame('S', 23, Bytes(4, 0)).Silent);
    EXPECT_TRUE(r.HandleFrame('R', 99, {}).Silent);
    // A status fault replaces only status answers: R 21 still delivers its piece.
    r.SetFault('R', 21, {ERecorderFault::Status, 7});
    Ask(r, 'R', 20, U16(r.Recordings()[0].Handle));
    EXPECT_EQ(Ask(r, 'R', 21, U32(0)).size(), 240u);
    // R 210 answers a status only to the ping (with data), not to the stop.
    r.SetFault('R', 210, {ERecorderFault::Status, 7});
    EXPECT_EQ(Ask(r, 'R', 210, Bytes(4, 0)), Bytes{7});
    EXPECT_EQ(Ask(r, 'R', 210), Bytes{0});
}

TEST(SimRecorder, FirmwareAreasByOffset)
{
    TSimProfile p;
    p.AlterArea1OnReadBack = true;
    TSimRecorder r(p);
    Bytes packet = U32(0x100);
    for (int i = 0; i < 240; ++i)
        packet.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(Ask(r, 'S', 110, packet), Bytes{0});
    EXPECT_EQ(r.FirmwareArea(0)[0x100 + 7], 7);
    EXPECT_EQ(Ask(r, 'R', 111, U32(0x100))[7], 7);
    Bytes past = U32(0x7A00 - 10);
    past.resize(4 + 11, 0);
    EXPECT_EQ(Ask(r, 'S', 110, past), Bytes{2});
    Bytes first = U32(0);
    first.resize(4 + 32, 0x11);
    EXPECT_EQ(Ask(r, 'S', 113, first), Bytes{0});
    Bytes back = Ask(r, 'R', 114, U32(0));
    EXPECT_EQ(back[19], 0x11);
    EXPECT_NE(back[20], 0x11); // bytes 20..23 differ on read-back, as the recorder's do
    EXPECT_EQ(back[24], 0x11);
}

TEST(SimRecorder, RecordingFilesBecomeTheMemory)
{
    const auto recs = LoadSimRecordings(std::filesystem::path(VRO_TEST_DATA) / "recordings", 1);
    ASSERT_EQ(recs.size(), 2u);
    for (const auto& r : recs) {
        SCOPED_TRACE(r.Name);
        EXPECT_LE(r.Channels.size(), 10u);
        EXPECT_GE(r.RecordCount, 1u);
        EXPECT_EQ(r.Words.size(), static_cast<std::size_t>(r.WordsPerRecord()) * r.RecordCount);
        for (const auto& c : r.Channels) {
            EXPECT_LE(c.LoRange, c.HiRange);
            EXPECT_GE(c.LoRange, -32768); // layout 1 carries 16-bit ranges
            EXPECT_LE(c.HiRange, 32767);
        }
    }
    EXPECT_THROW(LoadSimRecordings("/nonexistent-folder", 3), std::runtime_error);
    EXPECT_THROW(LoadSimRecordings(std::filesystem::path(VRO_TEST_DATA) / "no-such", 3), std::runtime_error);
}

TEST(SimRecorderFaults, NamedFaultListsReadAsWrittenAndBadItemsAreNamed)
{
    const auto f = ParseRecorderFaults("R20:status:3,,S101:delay:2500,R40:silence,R23:cut:4800");
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].Address, 'R');
    EXPECT_EQ(f[0].Number, 20);
    EXPECT_EQ(f[0].Fault.Mode, ERecorderFault::Status);
    EXPECT_EQ(f[0].Fault.Value, 3);
    EXPECT_EQ(f[1].Address, 'S');
    EXPECT_EQ(f[1].Fault.Mode, ERecorderFault::Delay);
    EXPECT_EQ(f[1].Fault.Value, 2500);
    EXPECT_EQ(f[2].Fault.Mode, ERecorderFault::Silence);
    EXPECT_EQ(f[3].Fault.Mode, ERecorderFault::CutAt);
    EXPECT_TRUE(ParseRecorderFaults("").empty());
    EXPECT_EQ(ParseRecorderFaults("R33:status:-1")[0].Fault.Value, -1);
    for (const char* bad : {"R20", "X20:status:1", "R:status:1", "R256:silence", "R20:loud:1", "R20:status",
                            "R40:silence:2", "R20:status:1:2", "R23:cut:-5", "R20:status:3x"}) {
        try {
            ParseRecorderFaults(std::string("R10:empty,") + bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
        }
    }
}
