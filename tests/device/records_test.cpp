// The recorder's records decoded from exact byte tables, written out here by
// hand at the documented positions (not by the simulator's writers).
#include "device/vro8records.h"

#include "core/util/bytes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vro;

namespace {

struct TBuf {
    std::vector<std::uint8_t> b;
    explicit TBuf(std::size_t n) : b(n, 0) {}
    void u8(std::size_t at, std::uint8_t v) { b.at(at) = v; }
    void u16(std::size_t at, std::uint16_t v)
    {
        b.at(at) = v & 0xFF;
        b.at(at + 1) = v >> 8;
    }
    void u32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.at(at + i) = (v >> (8 * i)) & 0xFF;
    }
    void text(std::size_t at, const char* s) { std::memcpy(&b.at(at), s, std::strlen(s)); }
};

std::string Finding(const TVro8HeaderBytes& h, int v) { return CheckHeader(h, v).value_or(""); }

} // namespace

TEST(Vro8Records, IdentificationFieldsAndLengths)
{
    TBuf id(80);
    id.text(0, "VRO8K-M V2.10\x01"); // 14th character is not a NUL: the text stops at 14
    id.text(14, "XXXXXXXXXXXX");
    id.u16(26, 5);
    id.u16(28, 0xFFFF);
    const TVro8Ident d = DecodeIdent(id.b);
    EXPECT_EQ(d.IdentText, "VRO8K-M V2.10\x01");
    EXPECT_EQ(d.ComVersion, 5);
    EXPECT_EQ(d.HardwareVariant, -1);
    EXPECT_TRUE(Vro8IdentIsRecorder("VRO8000 X"));
    EXPECT_FALSE(Vro8IdentIsRecorder("VRO8K-MX"));

    TBuf shortText(80);
    shortText.text(0, "VRO8000");
    EXPECT_EQ(DecodeIdent(shortText.b).IdentText, "VRO8000");
    std::vector<std::uint8_t> shortAnswer(79, 0);
    EXPECT_THROW(DecodeIdent(shortAnswer), EVro8Device);
}

TEST(Vro8Records, TextFieldsStopAtReceivedLengthAndNul)
{
    const std::uint8_t t[] = {'A', 'B', 0xB0, 'C', 0, 'Z'};
    EXPECT_EQ(Vro8Text(std::span(t, 3), 14), "AB\xC2\xB0"); // only what was received, Latin-1 to UTF-8
    EXPECT_EQ(Vro8Text(t, 32), "AB\xC2\xB0"
                               "C");
    EXPECT_EQ(Vro8Text(t, 2), "AB");
}

TEST(Vro8Records, ChannelLayoutOneWidensRangesWithSign)
{
    TBuf c(48);
    c.u16(0, 0xFFFF); // -1
    c.u16(2, 250);
    c.u8(4, 2);  // decimals
    c.u8(5, 7);  // input
    c.u16(6, 4); // data type
    c.text(8, "Pressure");
    c.text(40, "bar");
    const auto rec = ConvertChannelRecord(1, c.b, false);
    const auto d = DecodeChannel(rec);
    EXPECT_EQ(d.LoRange, -1);
    EXPECT_EQ(d.HiRange, 250);
    EXPECT_EQ(d.Decimals, 2);
    EXPECT_EQ(d.Input, 7);
    EXPECT_EQ(d.SubChannel, 0);
    EXPECT_EQ(d.DataType, 4);
    EXPECT_EQ(d.Name, "Pressure");
    EXPECT_EQ(d.Unit, "bar");
    // The common record is byte-exact: ranges as 32-bit, decimals 16-bit at 8.
    const std::uint8_t expectHead[14] = {0xFF, 0xFF, 0xFF, 0xFF, 250, 0, 0, 0, 2, 0, 7, 0, 4, 0};
    EXPECT_EQ(0, std::memcmp(rec.data(), expectHead, 14));
}

TEST(Vro8Records, ChannelLayoutTwoKeepsSubChannelOnlyForCurrentValues)
{
    TBuf c(52);
    c.u16(0, static_cast<std::uint16_t>(-300));
    c.u16(2, 300);
    c.u16(4, 3);
    c.u8(6, 12);
    c.u8(7, 3);
    c.u16(8, 0);
    c.text(10, "  Flow  ");
    c.text(42, "l/min");
    auto live = DecodeChannel(ConvertChannelRecord(2, c.b, false));
    auto fromHeader = DecodeChannel(ConvertChannelRecord(2, c.b, true));
    EXPECT_EQ(live.SubChannel, 3);
    EXPECT_EQ(fromHeader.SubChannel, 0);
    EXPECT_EQ(live.LoRange, -300);
    EXPECT_EQ(live.Decimals, 3);
    EXPECT_EQ(live.Input, 12);
    EXPECT_EQ(live.Name, "Flow"); // trimmed
    EXPECT_EQ(live.Unit, "l/min");
    // A description of the wrong size for its layout is refused, never padded.
    std::vector<std::uint8_t> short52(51, 0);
    EXPECT_THROW(ConvertChannelRecord(2, short52, false), EVro8Device);
    std::vector<std::uint8_t> v3(56, 0xAB);
    EXPECT_EQ(ConvertChannelRecord(3, v3, false)[55], 0xAB); // layouts 3..5 as they are
    EXPECT_THROW(Vro8ChannelSize(6), EVro8Device);
}

TEST(Vro8Records, CurrentValuesKeepTheirAnsweredLength)
{
    TBuf v(96);
    for (int ch = 0; ch < 16; ++ch) {
        v.u16(ch * 6, static_cast<std::uint16_t>(100 + ch));
        v.u16(ch * 6 + 2, static_cast<std::uint16_t>(-ch));
        v.u16(ch * 6 + 4, static_cast<std::uint16_t>(200 + ch));
    }
    auto a = DecodeValues(v.b, true);
    EXPECT_EQ(a.AnsweredChannels(), 16);
    EXPECT_EQ(*a.Value(15), 115);
    EXPECT_EQ(*a.Min(3), -3);
    EXPECT_EQ(*a.Max(0), 200);
    EXPECT_FALSE(a.Value(16).has_value());

    auto cut = DecodeValues(std::span(v.b.data(), 90), true); // 15 whole triples
    EXPECT_EQ(cut.AnsweredChannels(), 15);
    EXPECT_FALSE(cut.Value(15).has_value());

    auto plain = DecodeValues(std::span(v.b.data(), 5), false); // two words and one stray byte
    EXPECT_EQ(plain.AnsweredChannels(), 2);
    EXPECT_FALSE(plain.Min(0).has_value());
    EXPECT_FALSE(plain.Value(2).has_value());
    EXPECT_FALSE(plain.Value(-1).has_value());
    std::vector<std::uint8_t> tooLong(193, 0);
    EXPECT_THROW(DecodeValues(tooLong, false), EVro8Device);
}

TEST(Vro8Records, DirectoryEntriesAndShortLists)
{
    TBuf e(88);
    e.u16(0, 0x0102);
    e.u16(2, 0xFFFF);
    e.text(4, "Run A");
    e.u32(36, 12345);
    e.u32(40, 86400);
    e.u16(44, 7);
    e.text(48, "Setup B");
    auto list = DecodeEntries(e.b, 2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Handle, 0x0102);
    EXPECT_EQ(list[0].Name, "Run A");
    EXPECT_EQ(list[0].Number, 12345u);
    EXPECT_EQ(list[0].Date, 86400u);
    EXPECT_EQ(list[1].Handle, 7);
    EXPECT_EQ(list[1].Name, "Setup B");
    EXPECT_THROW(DecodeEntries(std::span(e.b.data(), 87), 2), EVro8Device);
    EXPECT_TRUE(DecodeEntries({}, 0).empty());
}

TEST(Vro8Records, TriggerEventFields)
{
    TBuf t(32);
    t.u32(0, 1);
    t.u32(4, 2);
    t.u16(8, 1);
    t.u16(10, 3);
    t.u16(12, 4);
    t.u16(14, 5);
    t.u8(16, 6);
    t.u8(17, 7);
    t.u16(18, static_cast<std::uint16_t>(-8));
    t.u16(20, 9);
    t.u16(22, static_cast<std::uint16_t>(-10));
    t.u16(24, 11);
    t.u16(26, 12);
    t.u16(28, 13);
    t.u16(30, 14);
    auto e = DecodeTriggerEvent(t.b);
    EXPECT_EQ(e.StartDate, 1u);
    EXPECT_EQ(e.StartTime, 2u);
    EXPECT_EQ(e.ActiveState, 1);
    EXPECT_EQ(e.Source, 3);
    EXPECT_EQ(e.Input, 4);
    EXPECT_EQ(e.Edge, 5);
    EXPECT_EQ(e.Sensor, 6);
    EXPECT_EQ(e.SubChannel, 7);
    EXPECT_EQ(e.Value, -8);
    EXPECT_EQ(e.Direction, 9);
    EXPECT_EQ(e.LoLimet, -10);
    EXPECT_EQ(e.HiLimit, 11);
    EXPECT_EQ(e.Count, 12);
    EXPECT_EQ(e.Distance, 13);
    EXPECT_EQ(e.StartMode, 14);
}

namespace {

// A sound header of a layout, written at that layout's own offsets.
// Type 2 (time stamps, states, min/max) with two 16-bit channels: 9 words a record.
TBuf LayoutHeader(int v)
{
    struct P {
        std::size_t size, chan, chanSize, trig, events, comb, time, state, pre, reserved, comment, display;
    };
    const P p = v == 1   ? P{1224, 84, 48, 564, 4, 692, 696, 700, 704, 0, 708, 1220}
                : v == 2 ? P{2408, 84, 52, 1748, 4, 1876, 1880, 1884, 1888, 0, 1892, 2404}
                : v == 5 ? P{2476, 84, 56, 1876, 2, 1940, 1944, 1948, 1952, 1956, 1960, 2472}
                         : P{2540, 84, 56, 1876, 4, 2004, 2008, 2012, 2016, 2020, 2024, 2536};
    TBuf h(p.size);
    h.text(4, "Header test");
    h.u32(36, 42);
    h.u32(40, 1000);
    h.u32(44, 9 * 10); // DataSize
    h.u32(48, 10);     // RecordCount
    h.u32(56, 2);      // Type
    h.u32(64, 27);     // sample rate index (largest allowed)
    h.u32(68, 2);      // ChannelCount
    h.u32(72, 6);      // ValueCount
    h.u32(76, 9);      // RecordSize
    h.u32(80, 2000);
    for (int c = 0; c < 2; ++c) {
        const std::size_t o = p.chan + c * p.chanSize;
        if (v <= 2) {
            h.u16(o, static_cast<std::uint16_t>(-5));
            h.u16(o + 2, 500);
            if (v == 1) {
                h.u8(o + 4, 1);
                h.u8(o + 5, static_cast<std::uint8_t>(c + 1));
                h.text(o + 8, c ? "B" : "A");
            } else {
                h.u16(o + 4, 1);
                h.u8(o + 6, static_cast<std::uint8_t>(c + 1));
                h.u8(o + 7, 9); // sub-channel: dropped for headers
                h.text(o + 10, c ? "B" : "A");
            }
        } else {
            h.u32(o, static_cast<std::uint32_t>(-5));
            h.u32(o + 4, 500);
            h.u16(o + 8, 1);
            h.u8(o + 10, static_cast<std::uint8_t>(c + 1));
            h.text(o + 14, c ? "B" : "A");
        }
    }
    for (std::size_t e = 0; e < p.events; ++e) {
        h.u16(p.trig + e * 32 + 8, 1);
        h.u16(p.trig + e * 32 + 10, static_cast<std::uint16_t>(e + 1));
    }
    h.u32(p.comb, 3);
    h.u32(p.time, 1500);
    h.u32(p.state, 5);
    h.u32(p.pre, 4);
    if (p.reserved)
        h.u32(p.reserved, 0x77);
    h.text(p.comment, "A comment");
    h.u16(p.display, 0x1234);
    return h;
}

} // namespace

TEST(Vro8Records, HeadersOfEveryLayoutMoveToTheCommonPlaces)
{
    for (int v = 1; v <= 5; ++v) {
        SCOPED_TRACE("layout " + std::to_string(v));
        TBuf raw = LayoutHeader(v);
        ASSERT_EQ(raw.b.size(), Vro8HeaderSize(v));
        const TVro8HeaderBytes common = ConvertHeader(v, raw.b);
        EXPECT_EQ(Finding(common, v), "");
        const TVro8Header h = DecodeHeader(common);
        EXPECT_EQ(h.Name, "Header test");
        EXPECT_EQ(h.Number, 42u);
        EXPECT_EQ(h.RecordCount, 10u);
        EXPECT_EQ(h.RecordSize, 9);
        EXPECT_TRUE(h.HasMinMax() && h.HasStates() && h.HasTimeStamps());
        ASSERT_EQ(h.Channels.size(), 2u);
        EXPECT_EQ(h.Channels[1].LoRange, -5);
        EXPECT_EQ(h.Channels[1].Input, 2);
        EXPECT_EQ(h.Channels[1].Name, "B");
        EXPECT_EQ(h.Channels[0].SubChannel, 0);
        EXPECT_EQ(h.TriggerCombination, 3);
        EXPECT_EQ(h.TriggerTime, 1500u);
        EXPECT_EQ(h.TriggerState, 5);
        EXPECT_EQ(h.PreTriggerCount, 4);
        EXPECT_EQ(h.Comment, "A comment");
        EXPECT_EQ(GetU16(common, vro8hdr::DisplayValues), 0x1234);
        EXPECT_EQ(GetU32(common, vro8hdr::Reserved), v <= 2 ? 0u : 0x77u);
        const int events = v == 5 ? 2 : 4;
        for (int e = 0; e < 4; ++e) {
            EXPECT_EQ(h.Triggers[e].ActiveState, e < events ? 1 : 0) << "event " << e;
            EXPECT_EQ(h.Triggers[e].Source, e < events ? e + 1 : 0) << "event " << e;
        }
        std::vector<std::uint8_t> cut(raw.b.begin(), raw.b.end() - 1);
        EXPECT_THROW(ConvertHeader(v, cut), EVro8Device);
    }
}

TEST(Vro8Records, HeaderChecksInOrder)
{
    auto check = [](auto patch, int v = 3) {
        TBuf raw = LayoutHeader(v);
        patch(raw);
        return Finding(ConvertHeader(v, raw.b), v);
    };
    EXPECT_EQ(check([](TBuf& h) { h.u32(48, 0); }), "Illegal RecordCount 0");
    EXPECT_EQ(check([](TBuf& h) { h.u32(48, 1000001); }), "Illegal RecordCount 1000001");
    EXPECT_EQ(check([](TBuf& h) { h.u32(76, 8); }), "Illegal RecordSize 8");
    EXPECT_EQ(check([](TBuf& h) { h.u32(44, 91); }), "Illegal Datasize 91");
    // Type 0xE4: all three flags with the type nibble 4, so only the type check fails.
    EXPECT_EQ(check([](TBuf& h) { h.u32(56, 0xE4); }), "Illegal RecordingType 4");
    EXPECT_EQ(check([](TBuf& h) { h.u32(64, 28); }), "Illegal SampleRate 28");
    EXPECT_EQ(check([](TBuf& h) { h.u32(72, 2); }), "Illegal ValueCount 2");
    EXPECT_EQ(check([](TBuf& h) { h.u32(84 + 56 + 4, static_cast<std::uint32_t>(-6)); }),
              "Sensor 1: LoRange greater HiRange");
    EXPECT_EQ(check([](TBuf& h) { h.u16(84 + 8, 9); }), "Sensor 0: Illegal Decimals 9");
    EXPECT_EQ(check([](TBuf& h) { h.u8(84 + 56 + 10, 13); }), "Sensor 1: Illegal Portnumber 13");
    // Channel counts that would walk past the 32 slots are refused before any sum over them.
    EXPECT_EQ(check([](TBuf& h) { h.u32(68, 0x7FFFFFFF); }), "Illegal ChannelCount 2147483647");
    EXPECT_EQ(check([](TBuf& h) { h.u32(68, 0xFFFFFFFF); }), "Illegal ChannelCount -1");
    EXPECT_EQ(check([](TBuf& h) { h.u32(68, 33); }), "Illegal ChannelCount 33");
    // Layout 1 allows at most 10 channels.
    EXPECT_EQ(check([](TBuf& h) { h.u32(68, 11); }, 1), "Illegal ChannelCount 11");
}

TEST(Vro8Records, RecordSizeFromFlagsAndDataTypes)
{
    std::vector<TVro8ChannelDescription> two(2);
    EXPECT_EQ(Vro8RecordSize(2, two), 2 + 1 + 2 * 3);
    EXPECT_EQ(Vro8RecordSize(0, two), 2);
    EXPECT_EQ(Vro8RecordSize(0x80, two), 4);
    EXPECT_EQ(Vro8RecordSize(0x40, two), 3);
    two[1].DataType = 4;
    EXPECT_EQ(Vro8RecordSize(0x20, two), 9);
    EXPECT_EQ(Vro8RecordSize(0x21, {}), 0);
}

TEST(Vro8Records, SampleReadersAndTheirEnd)
{
    const std::uint8_t bytes[] = {0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x34, 0x12};
    auto words = Vro8SampleWords(bytes);
    TVro8SampleReader r(words);
    EXPECT_EQ(r.ReadLong(), 65536);
    EXPECT_EQ(r.ReadLong(), -1);
    EXPECT_EQ(r.ReadWord(), 0x1234);
    EXPECT_THROW(r.ReadWord(), EVro8Device);
    r.ResetReadPosition();
    EXPECT_EQ(r.ReadSigned(), 0);
    r.ReadSigned();
    r.ReadSigned();
    r.ReadSigned();
    EXPECT_THROW(r.ReadLong(), EVro8Device); // one word left
    EXPECT_THROW(Vro8SampleWords(std::span(bytes, 3)), EVro8Device);
}
