// MakeSimRecorder: the options of `vro simulate` become the recorder's
// profile, memory and channels; a value that does not read is refused with
// the option's name.
#include "sim/simrecorderfactory.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

using namespace vro::sim;

TEST(MakeSimRecorder, OptionsBecomeTheRecordersProfileAndMemory)
{
    const auto plain = MakeSimRecorder({});
    EXPECT_EQ(plain->Profile().ComVersion, 3);
    EXPECT_EQ(plain->Profile().RemoteMaxRecords, 5000u);
    EXPECT_EQ(plain->Channels().size(), 6u);

    const auto r = MakeSimRecorder({{"--com-version", "5"},
                                    {"--ident", "VRO8K-X V9.99"},
                                    {"--remote-ms", "50"},
                                    {"--remote-max-records", "7"},
                                    {"--recording-entries", "Leak:12:900000000,Burst:13"},
                                    {"--setup-entries", "Only:4"},
                                    {"--channels", "9"},
                                    {"--minmax", "1"}});
    EXPECT_EQ(r->Profile().ComVersion, 5);
    EXPECT_EQ(r->Profile().IdentText, "VRO8K-X V9.99");
    EXPECT_EQ(r->Profile().RemoteDuration, std::chrono::milliseconds(50));
    EXPECT_EQ(r->Profile().RemoteMaxRecords, 7u);
    const auto recs = r->Recordings();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].Name, "Leak");
    EXPECT_EQ(recs[0].Number, 12u);
    EXPECT_EQ(recs[0].StartTime, 900000000u);
    EXPECT_EQ(recs[1].StartTime, 900003600u); // one hour after the one before
    EXPECT_EQ(r->SetupCount(), 1u);
    EXPECT_EQ(r->Channels().size(), 9u);

    // Two recorders made one after the other share nothing.
    EXPECT_EQ(MakeSimRecorder({})->Recordings().size(), plain->Recordings().size());
}

TEST(MakeSimRecorder, RefusalsNameTheOption)
{
    const std::pair<std::string, std::string> bad[] = {
        {"--com-version", "6"},    {"--com-version", "3x"},   {"--remote-ms", "0"}, {"--recording-entries", "x"},
        {"--setup-entries", ":1"}, {"--faults", "R20:bogus"}, {"--channels", "71"}, {"--fw-bad-byte", "nonsense"},
        {"--smart", "E:1"},        {"--smart", "A:33"},       {"--smart", "A3"},    {"--can-bus-input", "B"},
        {"--can-bus-input", "E"}};
    for (const auto& [name, value] : bad) {
        try {
            MakeSimRecorder({{name, value}});
            ADD_FAILURE() << name << " " << value;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(name.substr(2, 3)), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(MakeSimRecorder({{"--com-version", "5"}, {"--smart", "D:1"}}), std::invalid_argument);
    EXPECT_NO_THROW(MakeSimRecorder({{"--com-version", "4"}, {"--smart", "none"}, {"--can-bus-input", "D"}}));
    EXPECT_THROW(MakeSimRecorder({{"--online-interval-ms", "5"}, {"--online-interval-us", "500"}}),
                 std::invalid_argument);
    EXPECT_THROW(MakeSimRecorder({{"--recordings", "/nonexistent"}, {"--recording-entries", "A:1"}}), std::exception);
}

TEST(MakeSimRecorder, EveryOptionIsListedOnce)
{
    std::set<std::string> names;
    for (const auto& o : SimRecorderOptions()) {
        EXPECT_EQ(o.Name.rfind("--", 0), 0u) << o.Name;
        EXPECT_FALSE(o.Help.empty()) << o.Name;
        EXPECT_TRUE(names.insert(o.Name).second) << o.Name;
    }
    EXPECT_TRUE(names.count("--recordings"));
    EXPECT_TRUE(names.count("--minmax"));
}
