// The transfer statistics: one snapshot per exchange, a failed exchange
// counted as an error, and the label text.
#include "link/dvxv24connector.h"
#include "link/link_support.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

using sim::ESimFault;
using sim::TSimRequest;

TEST(Monitor, CountsExchangesAndFailures)
{
    TLinkRig rig;
    rig.connector->SetByteTimeout(30);
    rig.simulator->SetHandler('R', 2, [](const TSimRequest&) { return Bytes({5}); });
    std::vector<TDvxV24MonitorStats> seen;
    rig.connector->Monitor().SetOnChange([&](const TDvxV24MonitorStats& s) { seen.push_back(s); });
    std::uint8_t answer[4];
    rig.connector->Transfer('R', 2, answer);
    rig.simulator->InjectFault(ESimFault::LoseAnswer);
    EXPECT_THROW(rig.connector->Transfer('R', 2, answer), EDvxV24Error);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Count, 1);
    EXPECT_EQ(seen[1].Errors, 1);
    EXPECT_EQ(seen[1].Last, 0);
    TDvxV24MonitorStats s;
    s.Count = 12;
    s.Last = 3;
    s.Min = 1;
    s.Max = 40;
    s.Avg = 5;
    s.Errors = 2;
    EXPECT_EQ(TDvxV24Monitor::FormatLabel(s),
              "Count:   12   Last:    3ms   Min:    1ms   Max:   40ms   Avg:    5ms   Error:    2");
}

} // namespace
} // namespace vro::test
