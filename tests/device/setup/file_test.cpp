// Setup files: round trips per layout, the attribute conversions of signal
// codes, hostile files, and the descriptive texts.
#include "device/setup/setup_support.h"

#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"
#include "core/xml/xmlstream.h"
#include "device/vro8records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace vro::test {
namespace {

namespace fs = std::filesystem;

fs::path TempFile(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vro_setup_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

std::string Wrap(const std::string& body) { return "<Setupconfiguration>\r\n" + body + "</Setupconfiguration>\r\n"; }

class FilesByLayout : public ::testing::TestWithParam<int> {};

TEST_P(FilesByLayout, SetupRoundTripsThroughAFile)
{
    const int v = GetParam();
    TVro8Setup a(v);
    FillSetup(a.Data, v, 5);
    const fs::path p = TempFile("roundtrip" + std::to_string(v) + ".vxsf");
    a.SaveToFile(p);
    TVro8Setup b(v);
    b.LoadFromFile(p);
    EXPECT_TRUE(b.Data.Sensors == a.Data.Sensors);
    EXPECT_TRUE(b.Data.Triggers == a.Data.Triggers);
    EXPECT_TRUE(b.Data.Recording == a.Data.Recording);
    EXPECT_TRUE(b.Data.Base == a.Data.Base);
    EXPECT_TRUE(b.Data.Display == a.Data.Display);
    if (v > 2) {
        EXPECT_TRUE(b.Data.Can == a.Data.Can);
    } else {
        EXPECT_TRUE(b.Data.Can == TVro8CanSetup{});
    }
    EXPECT_EQ(b.SaveToString(), a.SaveToString());
    EXPECT_EQ(TVro8Setup::FileComVersion(p), v);
    // No temporary file is left beside the target.
    int files = 0;
    for (const auto& e : fs::directory_iterator(p.parent_path()))
        files += e.path().filename().string().rfind("roundtrip" + std::to_string(v), 0) == 0;
    EXPECT_EQ(files, 1);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, FilesByLayout, ::testing::Values(1, 2, 3, 4, 5));

TEST(SetupFile, LayoutOfTheFileText)
{
    TVro8Setup s2(2), s3(3);
    const std::string t2 = s2.SaveToString(), t3 = s3.SaveToString();
    EXPECT_EQ(t2.rfind("<Setupconfiguration>\r\n  <SensorSetup ComVersion=\"2\">\r\n", 0), 0u) << t2.substr(0, 80);
    EXPECT_EQ(t2.find("CanSetup"), std::string::npos);
    EXPECT_NE(t3.find("<CanSetup>"), std::string::npos);
    EXPECT_EQ(t3.find("<?xml"), std::string::npos);
    // All 12 sensors and 4 triggers on every layout.
    TVro8Setup s5(5);
    const std::string t5 = s5.SaveToString();
    std::size_t sensors = 0, triggers = 0;
    for (std::size_t p = 0; (p = t5.find("<Sensor ", p)) != std::string::npos; ++p)
        ++sensors;
    for (std::size_t p = 0; (p = t5.find("<Trigger ", p)) != std::string::npos; ++p)
        ++triggers;
    EXPECT_EQ(sensors, 12u);
    EXPECT_EQ(triggers, 4u);
}

TEST(SetupFile, SignalAttributesConvertThroughLayouts2And4)
{
    TVro8Setup four(4);
    four.Data.Sensors.Sensor(0).SetSignal(3);  // A: "0 to 4.5 V"
    four.Data.Sensors.Sensor(7).SetSignal(10); // H: "-10 to 10 V"
    const std::string text = four.SaveToString();
    EXPECT_NE(text.find("Name=\"\" Decimals=\"0\" ActiveState=\"0\" Factor=\"0\" SubChannelMask=\"0\" Mode=\"0\" "
                        "Signal=\"0\" Signal2=\"3\""),
              std::string::npos);
    EXPECT_NE(text.find("Signal=\"3\" Signal2=\"10\""), std::string::npos);
    TVro8Setup three(3);
    three.LoadFromString(text);
    EXPECT_EQ(three.Data.Sensors.Sensor(0).Signal(), 3);
    EXPECT_EQ(three.Data.Sensors.Sensor(7).Signal(), 5); // H on layout 3: 0 1 2 3 7 11
    // A file written for layout 2 (no Signal2) is read through Signal.
    TVro8Setup fromTwo(4);
    fromTwo.LoadFromString(Wrap("<SensorSetup>\r\n<Sensor Signal=\"3\" />\r\n<Sensor Signal=\"8\" />\r\n"
                                "</SensorSetup>\r\n"));
    EXPECT_EQ(fromTwo.Data.Sensors.Sensor(0).Signal(), 4); // type 4 "0 to 5 V"
    EXPECT_EQ(fromTwo.Data.Sensors.Sensor(1).Signal(), 9); // type 10
    // Layouts 1 and 5 always write 0 and read 0.
    for (int v : {1, 5}) {
        TVro8Setup s(v);
        s.Data.Sensors.Sensor(0).SetSignal(1);
        EXPECT_NE(s.SaveToString().find("Signal=\"0\" Signal2=\"0\""), std::string::npos);
        s.LoadFromString(text);
        EXPECT_EQ(s.Data.Sensors.Sensor(0).Signal(), 0);
    }
}

TEST(SetupFile, AttributesMissingTakeTheirDefaults)
{
    TVro8Setup s(4);
    FillSetup(s.Data, 4, 1);
    s.LoadFromString(Wrap("<SensorSetup><Sensor /></SensorSetup>\r\n<CanSetup><CanSetupData /></CanSetup>\r\n"
                          "<RecordingSetup><RecordingSetupData RecordingName=\"  x  \" /></RecordingSetup>\r\n"));
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Name(), "");
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Factor(), 0u);
    EXPECT_FALSE(s.Data.Sensors.Sensor(0).ActiveState());
    EXPECT_EQ(s.Data.Sensors.Sensor(1).Name(), "Sensor 101 \xc3\xa4<&>\""); // not in the file: unchanged
    EXPECT_EQ(s.Data.Can.Message(0).Name(), " ");
    EXPECT_EQ(s.Data.Can.Message(0).Unit(), " ");
    EXPECT_EQ(s.Data.Recording.RecordingName(), "x");
    EXPECT_EQ(s.Data.Recording.RecordingNumber(), 0u);
}

TEST(HostileFile, ElementsBeyondTheBlocksAreIgnored)
{
    std::string body = "<SensorSetup>\r\n";
    for (int i = 0; i < 20; ++i)
        body += "<Sensor Name=\"S" + std::to_string(i) + "\" />\r\n";
    body += "</SensorSetup>\r\n<TriggerSetup>\r\n";
    for (int i = 0; i < 9; ++i)
        body += "<Trigger Value=\"" + std::to_string(i + 1) + "\" />\r\n";
    body += "<TriggerCombination Combination=\"2\" /></TriggerSetup>\r\n<CanSetup>\r\n";
    for (int i = 0; i < 40; ++i)
        body += "<CanSetupData MessageId=\"" + std::to_string(i + 1) + "\" />\r\n";
    body += "</CanSetup>\r\n";
    TVro8Setup s(4);
    s.LoadFromString(Wrap(body));
    EXPECT_EQ(s.Data.Sensors.Sensor(11).Name(), "S11");
    EXPECT_EQ(s.Data.Triggers.Event(3).Value(), 4);
    EXPECT_EQ(s.Data.Triggers.Combination(), 2u); // not overwritten by a fifth event
    EXPECT_EQ(s.Data.Can.Message(31).MessageId(), 32u);
    EXPECT_EQ(s.Data.Can.Bytes()[2176], 0); // the spare bytes after the 32nd message
}

TEST(HostileFile, NumbersBeyondTheirFieldsRefuseTheFileAndChangeNothing)
{
    TVro8Setup s(3);
    FillSetup(s.Data, 3, 2);
    const TVro8SetupData before = s.Data;
    for (const std::string& bad :
         {std::string("<SensorSetup><Sensor Decimals=\"70000\" /></SensorSetup>"),
          std::string("<SensorSetup><Sensor LoRange=\"-32769\" /></SensorSetup>"),
          std::string("<SensorSetup><Sensor Factor=\"99999999999999999999999\" /></SensorSetup>"),
          std::string("<TriggerSetup><Trigger Sensor=\"256\" /></TriggerSetup>"),
          std::string("<CanSetup><CanSetupData MessageId=\"4294967296\" /></CanSetup>")}) {
        EXPECT_THROW(s.LoadFromString(Wrap("<SensorSetup><Sensor Name=\"first\" /></SensorSetup>" + bad)),
                     EVro8SetupFile)
            << bad;
        EXPECT_TRUE(s.Data == before) << bad;
    }
    // Both readings of a field's bits are taken.
    s.LoadFromString(Wrap("<SensorSetup><Sensor Decimals=\"65535\" HiRange=\"-1\" Factor=\"-1\" /></SensorSetup>"));
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Decimals(), 65535);
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Factor(), 0xFFFFFFFFu);
    // Text that is not a number takes the default, as the reader does.
    s.LoadFromString(Wrap("<SensorSetup><Sensor Decimals=\"x1\" /></SensorSetup>"));
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Decimals(), 0);
}

TEST(HostileFile, BrokenOrForeignDocumentsAreRefused)
{
    TVro8Setup s(4);
    FillSetup(s.Data, 4, 4);
    const TVro8SetupData before = s.Data;
    EXPECT_THROW(s.LoadFromString("<Other><SensorSetup /></Other>"), EVro8SetupFile);
    EXPECT_THROW(s.LoadFromString(""), EVro8SetupFile);
    EXPECT_THROW(s.LoadFromString(Wrap("<SensorSetup><Sensor Name=\"a\" />").substr(0, 60)), EXmlError);
    EXPECT_THROW(s.LoadFromString("<Setupconfiguration><SensorSetup><Sensor Name=\"cut\" /></SensorSetup>"), EXmlError);
    std::string deep = "<Setupconfiguration>";
    for (int i = 0; i < 40; ++i)
        deep += "<a>";
    EXPECT_THROW(s.LoadFromString(deep), EXmlError);
    EXPECT_TRUE(s.Data == before);
    EXPECT_THROW(s.LoadFromFile(TempFile("does-not-exist.vxsf")), std::exception);
    // An empty container element and unknown elements are passed over.
    s.LoadFromString(Wrap("<SensorSetup />\r\n<Unknown a=\"1\"><Sensor Name=\"no\" /></Unknown>\r\n"
                          "<DisplaySetup><DisplaySetupData Bar=\"1\" /></DisplaySetup>\r\n"));
    EXPECT_EQ(s.Data.Display.Bar(), 1);
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Name(), before.Sensors.Sensor(0).Name());
    // Unknown codes are kept as numbers; the signal code becomes 0.
    s.LoadFromString(Wrap("<SensorSetup><Sensor Signal2=\"77\" /></SensorSetup>"
                          "<RecordingSetup><RecordingSetupData RecordingType=\"9\" SampleRate=\"65535\" />"
                          "</RecordingSetup>"));
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Signal(), 0);
    EXPECT_EQ(s.Data.Recording.RecordingType(), 9);
    s.LoadFromString(Wrap("<SensorSetup><Sensor Signal=\"99999999999\" ActiveState=\"4294967297\" /></SensorSetup>"));
    EXPECT_EQ(s.Data.Sensors.Sensor(0).Signal(), 0);
    EXPECT_FALSE(s.Data.Sensors.Sensor(0).ActiveState());
    EXPECT_FALSE(s.RecordingDescription().empty());
}

// ---- descriptions ------------------------------------------------------------------------------

// Descriptions use the system's number format; these tests use a point.
struct TPointFormat {
    TDvxFormatSettings saved = DvxFormatSettings();
    TPointFormat()
    {
        TDvxFormatSettings fs = saved;
        fs.DecimalSeparator = '.';
        SetDvxFormatSettings(fs);
    }
    ~TPointFormat() { SetDvxFormatSettings(saved); }
};

TVro8ChannelDescription Channel(std::int32_t lo, std::int32_t hi, int dec, std::string unit, std::string name)
{
    TVro8ChannelDescription c;
    c.LoRange = lo;
    c.HiRange = hi;
    c.Decimals = static_cast<std::uint16_t>(dec);
    c.Unit = std::move(unit);
    c.Name = std::move(name);
    return c;
}

TEST(Descriptions, CanMessage)
{
    const TPointFormat point;
    TVro8Setup s(4);
    auto m = s.Data.Can.Message(0);
    m.SetLoRange(-50);
    m.SetHiRange(150);
    m.SetDecimals(1);
    m.SetMessageId(418);
    m.SetDataOffset(2);
    m.SetUnit("bar");
    m.SetName("P1");
    EXPECT_EQ(s.CanMessageDescription(0, false), text(1110));
    EXPECT_EQ(s.CanMessageDescription(0, true), "-5.0-15.0, Id 1A2:2 , bar \"P1\"");
    m.SetDecimals(40000); // beyond any decimals: no exception
    EXPECT_NO_THROW(s.CanMessageDescription(0, true));
}

TEST(Descriptions, SensorRecords)
{
    const TPointFormat point;
    TVro8Setup s(3);
    std::map<int, TVro8ChannelDescription> channels;
    s.FindChannel = [&](int input, int) -> std::optional<TVro8ChannelDescription> {
        auto it = channels.find(input);
        if (it == channels.end())
            return std::nullopt;
        return it->second;
    };
    s.SmartSensorText = [](int input) { return "DVX-P " + std::to_string(input); };
    EXPECT_EQ(s.SensorDescription(0), text(983));
    for (int i = 0; i < 12; ++i)
        s.Data.Sensors.Sensor(i).SetActiveState(true);
    EXPECT_EQ(s.SensorDescription(0), text(1048));
    EXPECT_EQ(s.SensorDescription(10), text(1020) + " (" + text(1023) + ")");
    s.Data.Sensors.Sensor(11).SetMode(1);
    EXPECT_EQ(s.SensorDescription(11), text(1069) + " (" + text(1023) + ")");
    channels[0] = Channel(-100, 2500, 1, "bar", "P");
    EXPECT_EQ(s.SensorDescription(0), "-10.0 .. 250.0 bar");
    auto a = s.Data.Sensors.Sensor(0);
    a.SetMode(1);
    a.SetLoRange(0);
    a.SetHiRange(100);
    a.SetDecimals(0);
    a.SetMUnit("mA");
    a.SetSignal(2);
    a.SetName(" Pump ");
    EXPECT_EQ(s.SensorDescription(0), "0 .. 100 mA (4 to 20 mA)  \"Pump\"");
    s.Data.Sensors.TakeSmartFlags(3, std::vector<std::uint8_t>{1, 0, 0, 0});
    EXPECT_EQ(s.SensorDescription(0), "DVX-P 0  \"Pump\"");
    channels[10] = Channel(-5, 5, 0, "bar", "dP");
    EXPECT_EQ(s.SensorDescription(10), "-5 .. 5 bar \"dP\"");
    a.SetSignal(500); // beyond the list: an empty type name, no crash
    s.Data.Sensors.TakeSmartFlags(3, std::vector<std::uint8_t>{0, 0, 0, 0});
    EXPECT_EQ(s.SensorDescription(0), "0 .. 100 mA ()  \"Pump\"");
    EXPECT_EQ(s.SensorDescription(12), "");
}

TEST(Descriptions, TriggerEvents)
{
    const TPointFormat point;
    TVro8Setup s(4);
    s.FindChannel = [](int input, int) -> std::optional<TVro8ChannelDescription> {
        if (input == 1)
            return Channel(0, 1000, 1, "bar", "P");
        return std::nullopt;
    };
    auto t = s.Data.Triggers.Event(0);
    EXPECT_EQ(s.TriggerDescription(0), text(983));
    t.SetActiveState(true);
    EXPECT_EQ(s.TriggerDescription(0), text(921));
    t.SetSource(1);
    t.SetInput(1);
    t.SetEdge(1);
    EXPECT_EQ(s.TriggerDescription(0), text(970));
    t.SetSource(2);
    t.SetSensor(1);
    t.SetDirection(1);
    t.SetValue(125);
    EXPECT_EQ(s.TriggerDescription(0), text(985) + " " + text(972) + " 12.5 bar");
    t.SetSource(3);
    t.SetLoLimet(-5);
    t.SetHiLimit(50);
    EXPECT_EQ(s.TriggerDescription(0), text(985) + " " + text(973) + " -0.5 " + text(974) + " 5.0 bar");
    t.SetSource(4);
    t.SetCount(1);
    EXPECT_EQ(s.TriggerDescription(0), text(975));
    t.SetCount(3);
    t.SetDistance(2);
    EXPECT_EQ(s.TriggerDescription(0), "3 " + text(979) + " " + text(948));
    t.SetSensor(255);
    t.SetSource(2);
    EXPECT_NO_THROW(s.TriggerDescription(0));
    TVro8Setup five(5);
    auto f = five.Data.Triggers.Event(0);
    f.SetActiveState(true);
    f.SetSource(1);
    EXPECT_EQ(five.TriggerDescription(0), text(965));
}

TEST(Descriptions, BlocksAndValuesBeyondTheirRange)
{
    TVro8Setup s(4);
    s.Data.Base.SetPreassureUnit(1);
    s.Data.Base.SetTemperatureUnit(2);
    s.Data.Base.SetFlowUnit(1);
    EXPECT_EQ(s.BaseDescription(), text(892) + ", " + text(897) + ", " + text(900));
    s.Data.Recording.SetRecordingType(2);
    EXPECT_EQ(s.RecordingDescription(), text(799));
    s.Data.Recording.SetRecordingType(1);
    s.Data.Recording.SetSampleRate(3);
    s.Data.Recording.SetDuration(1);
    s.Data.Recording.SetTriggerPosition(5);
    EXPECT_EQ(s.RecordingDescription(), text(796) + " " + text(811) + ".\r\n" + text(797) + " " + text(830) + ".\r\n" +
                                            text(798) + " " + text(856) + ".");
    s.Data.Display.SetFilter(1);
    EXPECT_EQ(s.DisplayDescription().substr(0, text(867).size() + 2 + text(872).size()), text(867) + ": " + text(872));
    // Values far beyond the text ranges show whatever text that gives.
    s.Data.Base.SetFlowUnit(65535);
    s.Data.Display.SetMinMax(65535);
    s.Data.Recording.SetSampleRate(65535);
    EXPECT_NE(s.BaseDescription().find("TextErr-"), std::string::npos);
    EXPECT_NO_THROW(s.DisplayDescription());
    EXPECT_NO_THROW(s.RecordingDescription());
}

} // namespace
} // namespace vro::test

namespace vro::test {
namespace {

// The reference file was built apart from this code, from the file format.
TEST(SetupFile, MatchesTheReferenceFileByteForByte)
{
    TVro8Setup s(4);
    auto a = s.Data.Sensors.Sensor(0);
    a.SetLoRange(-100);
    a.SetHiRange(2500);
    a.SetMUnit("bar");
    a.SetName("P<1>&");
    a.SetDecimals(1);
    a.SetActiveState(true);
    a.SetFactor(65537);
    a.SetSubChannelMask(3);
    a.SetMode(1);
    a.SetSignal(3);
    s.Data.Sensors.Sensor(7).SetSignal(10);
    auto t = s.Data.Triggers.Event(0);
    t.SetActiveState(true);
    t.SetSource(4);
    t.SetCount(3);
    t.SetDistance(2);
    t.SetStartMode(1);
    t.SetStartDate(86400u * 9000);
    t.SetStartTime(45000);
    auto u = s.Data.Triggers.Event(1);
    u.SetActiveState(true);
    u.SetSource(2);
    u.SetSensor(1);
    u.SetSubChannel(2);
    u.SetValue(-125);
    u.SetDirection(1);
    u.SetHiLimit(50);
    u.SetLoLimet(-5);
    s.Data.Triggers.SetCombination(1);
    auto& r = s.Data.Recording;
    r.SetRecordingType(1);
    r.SetSampleRate(3);
    r.SetDuration(2);
    r.SetRecordingName("Run A");
    r.SetTriggerPosition(5);
    r.SetRecordingNumber(12);
    s.Data.Base.SetFlowUnit(1);
    s.Data.Base.SetPreassureUnit(2);
    s.Data.Base.SetTemperatureUnit(1);
    s.Data.Display.SetBar(1);
    s.Data.Display.SetFilter(2);
    s.Data.Display.SetMinMax(1);
    auto c = s.Data.Can.Message(0);
    c.SetMessageId(418);
    c.SetLoRawRange(-5);
    c.SetHiRawRange(1000);
    c.SetDataOffset(2);
    c.SetDataFormat(1);
    c.SetByteOrder(1);
    c.SetActive(true);
    c.SetLoRange(-50);
    c.SetHiRange(150);
    c.SetDecimals(1);
    c.SetName("P1");
    c.SetUnit("bar");

    std::ifstream in(fs::path(VRO_TEST_DATA).parent_path() / "device/setup/reference_v4.vxsf", std::ios::binary);
    ASSERT_TRUE(in) << "reference file missing";
    const std::string reference((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(s.SaveToString(), reference);
    const fs::path p = TempFile("reference.vxsf");
    s.SaveToFile(p);
    std::ifstream written(p, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>()), reference);

    TVro8Setup back(4);
    back.LoadFromString(reference);
    EXPECT_TRUE(back.Data == s.Data);
}

} // namespace
} // namespace vro::test
