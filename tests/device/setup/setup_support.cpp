#include "device/setup/setup_support.h"

namespace vro::test {

void FillSetup(TVro8SetupData& d, int v, int seed)
{
    for (int i = 0; i < TVro8SensorSetup::kRecords; ++i) {
        TVro8SensorSetupWrapper s = d.Sensors.Sensor(i);
        const int k = seed * 100 + i;
        s.SetFactor(0x00010002u * static_cast<std::uint32_t>(k + 1));
        s.SetSubChannelMask(v == 1 ? 0 : -(k + 1));
        s.SetActiveState(i % 2 == 0);
        s.SetMode(static_cast<std::uint16_t>(i % 2));
        const std::size_t types = Vro8SignalTypeList(i, v).size();
        s.SetSignal(v == 1 || v == 5 || types == 0 ? 0 : static_cast<std::uint16_t>((k % types)));
        s.SetLoRange(static_cast<std::int16_t>(-1000 - k));
        s.SetHiRange(static_cast<std::int16_t>(30000 + k));
        s.SetDecimals(static_cast<std::uint16_t>(k % 9));
        s.SetName("Sensor " + std::to_string(k) + " \xc3\xa4<&>\"");
        s.SetMUnit(i % 3 == 0 ? "\xc2\xb0"
                                "C"
                              : "bar");
    }
    for (int e = 0; e < TVro8TriggerSetup::kEvents; ++e) {
        TVro8TriggerEventWrapper t = d.Triggers.Event(e);
        const int k = seed * 10 + e;
        t.SetStartDate(86400u * static_cast<std::uint32_t>(9000 + k));
        t.SetStartTime(3600u * 13 + static_cast<std::uint32_t>(k));
        t.SetActiveState(e != 1);
        t.SetSource(static_cast<std::uint16_t>(e % 5));
        t.SetInput(static_cast<std::uint16_t>(e % 2));
        t.SetEdge(static_cast<std::uint16_t>((e + 1) % 2));
        t.SetSensor(static_cast<std::uint8_t>(e + 1));
        t.SetSubChannel(v == 1 ? 0 : static_cast<std::uint8_t>(e + 2));
        t.SetValue(static_cast<std::int16_t>(-500 + k));
        t.SetDirection(static_cast<std::uint16_t>(e % 2));
        t.SetLoLimet(static_cast<std::int16_t>(-20 - k));
        t.SetHiLimit(static_cast<std::int16_t>(20 + k));
        t.SetCount(static_cast<std::uint16_t>(e + 1));
        t.SetDistance(static_cast<std::uint16_t>(e + 3));
        t.SetStartMode(static_cast<std::uint16_t>(e % 2));
    }
    d.Triggers.SetCombination(static_cast<std::uint32_t>(seed % 5));
    d.Recording.SetRecordingNumber(70000u + static_cast<std::uint32_t>(seed));
    d.Recording.SetRecordingType(static_cast<std::uint16_t>(seed % 4));
    d.Recording.SetSampleRate(7);
    d.Recording.SetDuration(4);
    d.Recording.SetSimpleCurvMode(1);
    d.Recording.SetTriggerPosition(3);
    d.Recording.SetRecordingName("Run " + std::to_string(seed));
    d.Base.SetPreassureUnit(2);
    d.Base.SetTemperatureUnit(3);
    d.Base.SetFlowUnit(1);
    d.Display.SetKind(1);
    d.Display.SetMinMax(1);
    d.Display.SetBar(2);
    d.Display.SetFilter(3);
    for (int m = 0; m < TVro8CanSetup::kMessages; ++m) {
        TVro8CanMessageSetupWrapper c = d.Can.Message(m);
        const int k = seed * 100 + m;
        c.SetMessageId(0x700u + static_cast<std::uint32_t>(k));
        c.SetLoRawRange(-k);
        c.SetHiRawRange(100000 + k);
        c.SetDataOffset(static_cast<std::uint16_t>(m % 8));
        c.SetDataFormat(static_cast<std::uint16_t>(m % 3));
        c.SetFrameFormat(static_cast<std::uint16_t>(m % 2));
        c.SetByteOrder(static_cast<std::uint16_t>((m + 1) % 2));
        c.SetActive(m % 3 != 0);
        c.SetLoRange(static_cast<std::int16_t>(-50 - m));
        c.SetHiRange(static_cast<std::int16_t>(150 + m));
        c.SetDecimals(static_cast<std::uint16_t>(m % 4));
        c.SetName("Message " + std::to_string(k));
        c.SetUnit(m % 2 ? "bar" : "");
    }
}

} // namespace vro::test
