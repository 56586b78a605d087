// vro device online against vro simulate, for each recording type: the run's
// fields in --json, the recording it writes, the refusals before S 104 and a
// stream that stops by itself.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/texts.h"
#include "support/vroprocess.h"

#include <filesystem>
#include <string>

using vro::test::kVro;
using vro::test::RunVro;
using vro::test::TSimulateProcess;

namespace {

namespace fs = std::filesystem;

struct TOnlineVerb : ::testing::Test {
    fs::path dir;
    void SetUp() override
    {
        if (!fs::exists(kVro))
            GTEST_SKIP() << "the vro program is not built: " << kVro;
        dir = fs::temp_directory_path() /
              ("vro-online-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (!dir.empty())
            fs::remove_all(dir);
    }
    std::string Out(const std::string& name) const { return (dir / name).string(); }
};

nlohmann::json Info(const std::string& file)
{
    auto [text, rc] = RunVro("info --json " + file);
    EXPECT_EQ(rc, 0) << file;
    return rc == 0 ? nlohmann::json::parse(text) : nlohmann::json();
}

} // namespace

TEST_F(TOnlineVerb, SimpleCurveEndsByItselfOrKeepsTheLastSeconds)
{
    TSimulateProcess sim({"--online-interval-us", "500"});
    ASSERT_FALSE(sim.port.empty());
    const std::string port = " --port " + sim.port;

    // "end" mode with a recording time: 1 s at 1 ms = 1000 samples, then the
    // run ends by itself; the columns are those of this run, oldest first.
    const std::string a = Out("end.vxrf");
    auto [ja, rc] =
        RunVro("device online --type 0 --rate 3 --duration 0 --width 200 --json --columns" + port + " " + a);
    ASSERT_EQ(rc, 0) << ja;
    const auto j = nlohmann::json::parse(ja);
    EXPECT_EQ(j["RecordingType"], 0);
    EXPECT_EQ(j["SampleRate"], 3);
    EXPECT_EQ(j["SimpleCurvMode"], 0);
    EXPECT_EQ(j["BufferLength"], 1000);
    EXPECT_EQ(j["DisplayWidth"], 200);
    EXPECT_EQ(j["HandOverCount"], 1000);
    EXPECT_EQ(j["File"], a);
    const int channels = j["ChannelCount"];
    ASSERT_GE(channels, 1);
    ASSERT_EQ(j["Columns"].size(), static_cast<std::size_t>(channels));
    EXPECT_EQ(j["Columns"][0].size(), 200u); // a full ring covers every column
    for (const auto& col : j["Columns"][0])
        EXPECT_LE(col[0].get<int>(), col[1].get<int>());
    ASSERT_EQ(j["LoY"].size(), static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c)
        EXPECT_GE(j["HiY"][c].get<int>() - j["LoY"][c].get<int>(), 10);
    const auto ia = Info(a);
    EXPECT_EQ(ia["RecordCount"], 1000);
    EXPECT_EQ(ia["ChannelCount"], channels);

    // Continuous without a recording time: the ring holds the last 1.5 s,
    // --seconds is the user's End; the text form by default.
    const std::string b = Out("continuous.vxrf");
    auto [tb, rcb] = RunVro("device online --rate 3 --seconds 1.5 --comment hello" + port + " " + b);
    ASSERT_EQ(rcb, 0) << tb;
    EXPECT_NE(tb.find("1500 samples handed over"), std::string::npos) << tb;
    EXPECT_NE(tb.find(b), std::string::npos) << tb;
    const auto ib = Info(b);
    EXPECT_EQ(ib["RecordCount"], 1500);
    EXPECT_EQ(ib["Comment"], "hello");
}

TEST_F(TOnlineVerb, TriggeredRunKeepsItsSharesAndTheHandTrigger)
{
    // The recorder's trigger from record 300 on; 30 % before it.
    {
        TSimulateProcess sim({"--online-interval-us", "500", "--online-trigger-at", "300"});
        ASSERT_FALSE(sim.port.empty());
        const std::string a = Out("trig.vxrf");
        auto [ja, rc] = RunVro("device online --type 1 --rate 3 --duration 0 --trigger-position 3 --json --port " +
                               sim.port + " " + a);
        ASSERT_EQ(rc, 0) << ja;
        const auto j = nlohmann::json::parse(ja);
        EXPECT_EQ(j["PreLimit"], 300);
        EXPECT_EQ(j["PostLimit"], 700);
        EXPECT_NE(j["TriggerState"], 0);
        EXPECT_EQ(j["PreCount"], 300);
        EXPECT_EQ(j["PostCount"], 700);
        EXPECT_EQ(j["HandOverCount"], 1000);
        EXPECT_EQ(Info(a)["RecordCount"], 1000);
    }
    // No trigger from the recorder: the hand release after 0.3 s fires it.
    {
        TSimulateProcess sim({"--online-interval-us", "500"});
        ASSERT_FALSE(sim.port.empty());
        const std::string a = Out("hand.vxrf");
        auto [ja, rc] = RunVro("device online --type 1 --rate 3 --duration 0 --trigger-position 5 --trigger-at 0.3 "
                               "--seconds 20 --json --port " +
                               sim.port + " " + a);
        ASSERT_EQ(rc, 0) << ja;
        const auto j = nlohmann::json::parse(ja);
        EXPECT_EQ(j["TriggerState"], 1); // trigger event 1, released by hand
        EXPECT_EQ(j["PostCount"], 500);
        EXPECT_EQ(j["HandOverCount"], j["PreCount"].get<int>() + 500);
        EXPECT_TRUE(fs::exists(a));
    }
}

TEST_F(TOnlineVerb, EventLogListsItsEventsNewestFirst)
{
    TSimulateProcess sim({"--online-interval-us", "2000", "--online-event-every", "25"});
    ASSERT_FALSE(sim.port.empty());
    const std::string a = Out("events.vxrf");
    auto [ja, rc] =
        RunVro("device online --type 2 --rate 3 --seconds 1 --trigger-at 0.2 --json --port " + sim.port + " " + a);
    ASSERT_EQ(rc, 0) << ja;
    const auto j = nlohmann::json::parse(ja);
    EXPECT_EQ(j["RecordingType"], 2);
    const int events = j["WriteIndex"];
    ASSERT_GE(events, 2);
    EXPECT_EQ(j["HandOverCount"], events);
    const auto& page = j["EventLogPage"];
    const int channels = j["ChannelCount"];
    ASSERT_EQ(page.size(), static_cast<std::size_t>(2 + channels + 2 + events * channels)) << page.dump(1);
    vro::SelectTextLanguage("en");
    EXPECT_EQ(page[0], vro::text(1242));
    EXPECT_EQ(page[2 + channels], vro::text(1247) + " " + std::to_string(events));
    EXPECT_EQ(page[3 + channels], vro::text(1248));
    EXPECT_EQ(Info(a)["RecordCount"], events);

    // The page in German.
    auto [de, rcde] =
        RunVro("device online --type 2 --rate 3 --seconds 0.3 --language de --port " + sim.port + " " + Out("de.vxrf"));
    ASSERT_EQ(rcde, 0) << de;
    vro::SelectTextLanguage("de");
    EXPECT_NE(de.find(vro::text(1242)), std::string::npos) << de;
    vro::SelectTextLanguage("en");
}

TEST_F(TOnlineVerb, RefusalsComeBeforeTheStreamStarts)
{
    vro::SelectTextLanguage("en");
    TSimulateProcess sim({"--online-interval-us", "500"});
    ASSERT_FALSE(sim.port.empty());
    const std::string port = " --port " + sim.port;
    const std::string a = Out("refused.vxrf");

    // 864,000,000 samples per channel: text 1159, nothing written.
    auto [big, rc1] = RunVro("device online --seconds 86400 --rate 0" + port + " " + a, true);
    EXPECT_EQ(rc1, 1);
    EXPECT_NE(big.find(vro::text(1159)), std::string::npos) << big;
    // A range the dialog refuses: the upper limit not 10 above the lower one.
    auto [range, rc2] = RunVro("device online --seconds 1 --y-range 0:5:5" + port + " " + a, true);
    EXPECT_EQ(rc2, 2);
    EXPECT_NE(range.find(vro::text(1279)), std::string::npos) << range;
    auto [chars, rc3] = RunVro("device online --seconds 1 --y-range 1:x:5" + port + " " + a, true);
    EXPECT_EQ(rc3, 2);
    EXPECT_NE(chars.find(vro::text(1277)), std::string::npos) << chars;
    // A hand trigger has no meaning for a simple curve.
    auto [hand, rc4] = RunVro("device online --seconds 1 --trigger-at 0.5" + port + " " + a, true);
    EXPECT_EQ(rc4, 2) << hand;
    EXPECT_FALSE(fs::exists(a));
    // The recorder is still usable after every refusal.
    auto [ok, rc5] = RunVro("device online --seconds 0.3 --rate 3 --x-channel 1 --json" + port + " " + a);
    ASSERT_EQ(rc5, 0) << ok;
    EXPECT_EQ(nlohmann::json::parse(ok)["XChannel"], 1);
    EXPECT_TRUE(fs::exists(a));

    // More than 32 active channels would be misread: refused.
    TSimulateProcess many({"--channels", "40"});
    ASSERT_FALSE(many.port.empty());
    auto [forty, rc6] = RunVro("device online --seconds 1 --port " + many.port + " " + Out("forty.vxrf"), true);
    EXPECT_EQ(rc6, 1);
    EXPECT_NE(forty.find("40 active channels"), std::string::npos) << forty;
}

TEST_F(TOnlineVerb, AStreamThatStopsWritesWhatCameAndFails)
{
    vro::SelectTextLanguage("en");
    TSimulateProcess sim({"--online-interval-us", "1000", "--online-stop-after", "250"});
    ASSERT_FALSE(sim.port.empty());
    const std::string a = Out("broken.vxrf");
    auto [out, rc] = RunVro("device online --rate 3 --seconds 60 --port " + sim.port + " " + a, true);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find(vro::text(1250)), std::string::npos) << out;
    EXPECT_EQ(Info(a)["RecordCount"], 250);
}
