#include "device/setup/vro8setup.h"

#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/values/dvxdatautils.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"
#include "core/xml/xmlstream.h"
#include "device/vro8device.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <limits>

namespace vro {

namespace {

// Text base + value, computed without overflow; a value beyond the intended
// range gives whatever text that number has ("TextErr-n" beyond the table).
std::string TextAt(int base, std::int64_t value)
{
    const std::int64_t n = static_cast<std::int64_t>(base) + value;
    if (n < INT_MIN || n > INT_MAX)
        return "TextErr-" + std::to_string(n);
    return text(static_cast<int>(n));
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string RangeText(std::int32_t lo, std::int32_t hi, int decimals, const std::string& unit)
{
    return RawToTextPlain(lo, decimals) + " .. " + RawToTextPlain(hi, decimals) + " " + unit;
}

std::string ChannelRangeText(const TVro8ChannelDescription& c)
{
    return RangeText(c.LoRange, c.HiRange, c.Decimals, DvxTrim(c.Unit));
}

std::string FixText(int decimals, std::int64_t raw)
{
    if (decimals < 0 || decimals > 8)
        return RawToTextPlain(static_cast<std::int32_t>(raw), decimals); // "---"
    return ConvertDvxFixValueToStr(decimals, true, raw);
}

} // namespace

TVro8Setup::TVro8Setup(TVro8Device& device) : device_(&device)
{
    FindChannel = [this](int input, int sub) -> std::optional<TVro8ChannelDescription> {
        const std::int32_t a = device_->Measurement.FindChannel(input, sub);
        if (a < 0)
            return std::nullopt;
        return device_->Measurement.Channel(a);
    };
    SmartSensorText = [this](int input) { return device_->SetupBlocks.SmartSensorText(input); };
}

TVro8Setup::TVro8Setup(int comVersion) : comVersion_(comVersion)
{
    if (comVersion < 1 || comVersion > 5)
        throw EVro8SetupBlock("Layout version " + std::to_string(comVersion) + " is not supported");
}

int TVro8Setup::ComVersion() const { return device_ ? device_->ComVersion() : comVersion_; }

int TVro8Setup::Layout() const
{
    const int v = ComVersion();
    if (v < 1 || v > 5)
        throw EVro8Device(EVro8Status::NotIdentified, "The recorder has not been identified");
    return v;
}

TVro8Device& TVro8Setup::RequireDevice() const
{
    if (!device_)
        throw EVro8SetupBlock("This setup is not attached to a recorder");
    if (!device_->Identified())
        throw EVro8Device(EVro8Status::NotIdentified, "The recorder has not been identified");
    return *device_;
}

// ---- recorder ----------------------------------------------------------------------------------

void TVro8Setup::ReadInto(TVro8SetupData& d)
{
    TVro8Device& dev = RequireDevice();
    const int v = dev.ComVersion();
    TVro8SetupBlocks& b = dev.SetupBlocks;
    d.Sensors.Decode(v, b.ReadBlock(EVro8Block::Sensor));
    d.Triggers.Decode(v, b.ReadBlock(EVro8Block::Trigger));
    d.Recording.Decode(b.ReadBlock(EVro8Block::Recording));
    d.Base.Decode(b.ReadBlock(EVro8Block::Base));
    d.Display.Decode(b.ReadBlock(EVro8Block::Display));
    if (v > 1)
        d.Sensors.TakeSmartFlags(v, b.ReadSmartFlags());
    else
        d.Sensors.TakeSmartFlags(v, {});
    if (v == 4)
        d.Can.Decode(b.ReadBlock(EVro8Block::Can));
}

void TVro8Setup::ReadAll()
{
    TVro8SetupData next = Data;
    ReadInto(next);
    Data = next;
}

void TVro8Setup::WriteAll()
{
    TVro8Device& dev = RequireDevice();
    const int v = dev.ComVersion();
    TVro8SetupBlocks& b = dev.SetupBlocks;
    b.WriteBlock(EVro8Block::Sensor, Data.Sensors.Encode(v));
    b.WriteBlock(EVro8Block::Trigger, Data.Triggers.Encode(v));
    b.WriteBlock(EVro8Block::Recording, Data.Recording.Encode());
    b.WriteBlock(EVro8Block::Base, Data.Base.Encode());
    b.WriteBlock(EVro8Block::Display, Data.Display.Encode());
    if (v == 4)
        b.WriteBlock(EVro8Block::Can, Data.Can.Encode());
}

void TVro8Setup::ReadBlock(EVro8Block block)
{
    TVro8Device& dev = RequireDevice();
    const int v = dev.ComVersion();
    TVro8SetupBlocks& b = dev.SetupBlocks;
    switch (block) {
    case EVro8Block::Sensor: {
        TVro8SensorSetup next = Data.Sensors;
        next.Decode(v, b.ReadBlock(block));
        next.TakeSmartFlags(v, v > 1 ? b.ReadSmartFlags() : std::vector<std::uint8_t>{});
        Data.Sensors = next;
        break;
    }
    case EVro8Block::Trigger: {
        TVro8TriggerSetup next = Data.Triggers;
        next.Decode(v, b.ReadBlock(block));
        Data.Triggers = next;
        break;
    }
    case EVro8Block::Recording: Data.Recording.Decode(b.ReadBlock(block)); break;
    case EVro8Block::Base: Data.Base.Decode(b.ReadBlock(block)); break;
    case EVro8Block::Display: Data.Display.Decode(b.ReadBlock(block)); break;
    case EVro8Block::Can:
        if (v != 4)
            throw EVro8SetupBlock("The CAN block exists on layout 4 only");
        Data.Can.Decode(b.ReadBlock(block));
        break;
    }
}

void TVro8Setup::WriteBlock(EVro8Block block)
{
    TVro8Device& dev = RequireDevice();
    const int v = dev.ComVersion();
    TVro8SetupBlocks& b = dev.SetupBlocks;
    switch (block) {
    case EVro8Block::Sensor: b.WriteBlock(block, Data.Sensors.Encode(v)); break;
    case EVro8Block::Trigger: b.WriteBlock(block, Data.Triggers.Encode(v)); break;
    case EVro8Block::Recording: b.WriteBlock(block, Data.Recording.Encode()); break;
    case EVro8Block::Base: b.WriteBlock(block, Data.Base.Encode()); break;
    case EVro8Block::Display: b.WriteBlock(block, Data.Display.Encode()); break;
    case EVro8Block::Can:
        if (v != 4)
            throw EVro8SetupBlock("The CAN block exists on layout 4 only");
        b.WriteBlock(block, Data.Can.Encode());
        break;
    }
}

void TVro8Setup::ReadSmartFlags()
{
    TVro8Device& dev = RequireDevice();
    const int v = dev.ComVersion();
    Data.Sensors.TakeSmartFlags(v, v > 1 ? dev.SetupBlocks.ReadSmartFlags() : std::vector<std::uint8_t>{});
}

void TVro8Setup::SaveToDirectory(const std::string& name, std::uint32_t number)
{
    WriteAll();
    RequireDevice().SetupBlocks.SaveToDirectory(name, number);
}

void TVro8Setup::LoadFromDirectory(int index)
{
    RequireDevice().SetupBlocks.LoadFromDirectory(index);
    ReadAll();
}

// ---- setup files -------------------------------------------------------------------------------

namespace {

void WriteSetup(TXmlWriter& w, const TVro8SetupData& d, int v)
{
    w.BeginElement("Setupconfiguration");
    w.AddIntAttribute("ComVersion", v);
    w.BeginElement("SensorSetup");
    for (int i = 0; i < TVro8SensorSetup::kRecords; ++i) {
        const TVro8SensorSetupWrapper s = d.Sensors.Sensor(i);
        w.AddIntAttribute("LoRange", s.LoRange());
        w.AddIntAttribute("HiRange", s.HiRange());
        w.AddStringAttribute("MUnit", s.MUnit());
        w.AddStringAttribute("Name", s.Name());
        w.AddIntAttribute("Decimals", s.Decimals());
        w.AddIntAttribute("ActiveState", s.ActiveState() ? 1 : 0);
        w.AddIntAttribute("Factor", s.Factor());
        w.AddIntAttribute("SubChannelMask", s.SubChannelMask());
        w.AddIntAttribute("Mode", s.Mode());
        w.AddIntAttribute("Signal", ConvertSignal(s.Signal(), v, 2, s.Letter()));
        w.AddIntAttribute("Signal2", ConvertSignal(s.Signal(), v, 4, s.Letter()));
        w.EmptyElement("Sensor");
    }
    w.EndElement("SensorSetup");

    w.BeginElement("TriggerSetup");
    for (int e = 0; e < TVro8TriggerSetup::kEvents; ++e) {
        const TVro8TriggerEventWrapper t = d.Triggers.Event(e);
        w.AddIntAttribute("ActiveState", t.ActiveState() ? 1 : 0);
        w.AddIntAttribute("Source", t.Source());
        w.AddIntAttribute("Input", t.Input());
        w.AddIntAttribute("Edge", t.Edge());
        w.AddIntAttribute("Sensor", t.Sensor());
        w.AddIntAttribute("SubChannel", t.SubChannel());
        w.AddIntAttribute("Value", t.Value());
        w.AddIntAttribute("Direction", t.Direction());
        w.AddIntAttribute("HiLimit", t.HiLimit());
        w.AddIntAttribute("LoLimet", t.LoLimet());
        w.AddIntAttribute("Count", t.Count());
        w.AddIntAttribute("Distance", t.Distance());
        w.AddIntAttribute("StartMode", t.StartMode());
        w.AddDateTimeAttribute("StartDate", t.StartDateValue());
        w.AddDateTimeAttribute("StartTime", t.StartTimeValue());
        w.EmptyElement("Trigger");
    }
    w.AddIntAttribute("Combination", d.Triggers.Combination());
    w.EmptyElement("TriggerCombination");
    w.EndElement("TriggerSetup");

    const TVro8RecordingSetup& r = d.Recording;
    w.BeginElement("RecordingSetup");
    w.AddIntAttribute("RecordingType", r.RecordingType());
    w.AddIntAttribute("SampleRate", r.SampleRate());
    w.AddIntAttribute("SimpleCurvMode", r.SimpleCurvMode());
    w.AddIntAttribute("Duration", r.Duration());
    w.AddStringAttribute("RecordingName", r.RecordingName());
    w.AddIntAttribute("TriggerPosition", r.TriggerPosition());
    w.AddIntAttribute("RecordingNumber", r.RecordingNumber());
    w.EmptyElement("RecordingSetupData");
    w.EndElement("RecordingSetup");

    w.BeginElement("BaseSetup");
    w.AddIntAttribute("FlowUnit", d.Base.FlowUnit());
    w.AddIntAttribute("PreassureUnit", d.Base.PreassureUnit());
    w.AddIntAttribute("TemperatureUnit", d.Base.TemperatureUnit());
    w.EmptyElement("BaseSetupData");
    w.EndElement("BaseSetup");

    w.BeginElement("DisplaySetup");
    w.AddIntAttribute("Bar", d.Display.Bar());
    w.AddIntAttribute("Filter", d.Display.Filter());
    w.AddIntAttribute("Kind", d.Display.Kind());
    w.AddIntAttribute("MinMax", d.Display.MinMax());
    w.EmptyElement("DisplaySetupData");
    w.EndElement("DisplaySetup");

    if (v > 2) {
        w.BeginElement("CanSetup");
        for (int m = 0; m < TVro8CanSetup::kMessages; ++m) {
            const TVro8CanMessageSetupWrapper c = d.Can.Message(m);
            w.AddIntAttribute("MessageId", c.MessageId());
            w.AddIntAttribute("LoRawRange", c.LoRawRange());
            w.AddIntAttribute("HiRawRange", c.HiRawRange());
            w.AddIntAttribute("DataOffset", c.DataOffset());
            w.AddIntAttribute("DataFormat", c.DataFormat());
            w.AddIntAttribute("FrameFormat", c.FrameFormat());
            w.AddIntAttribute("ByteOrder", c.ByteOrder());
            w.AddBoolAttribute("Active", c.Active());
            w.AddIntAttribute("LoRange", c.LoRange());
            w.AddIntAttribute("HiRange", c.HiRange());
            w.AddIntAttribute("Decimals", c.Decimals());
            w.AddStringAttribute("Name", c.Name());
            w.AddStringAttribute("Unit", c.Unit());
            w.EmptyElement("CanSetupData");
        }
        w.EndElement("CanSetup");
    }
    w.EndElement("Setupconfiguration");
}

// An integer attribute for a field of `bits` width. Absent, empty or not a
// number: the default 0 (the reader's rule). A number that does not fit the
// field in either its signed or its unsigned reading refuses the file.
template <typename T>
T FieldInt(const TXmlReader& r, std::string_view name)
{
    constexpr int bits = static_cast<int>(sizeof(T) * 8);
    std::string_view t = r.GetAttribute(name);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    if (t.empty())
        return 0;
    std::int64_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range && p == t.data() + t.size())
        throw EVro8SetupFile("Setup file: the value of " + std::string(name) + " is too large");
    if (ec != std::errc() || p != t.data() + t.size())
        return 0;
    const std::int64_t lo = -(std::int64_t{1} << (bits - 1));
    const std::int64_t hi = bits >= 64 ? std::numeric_limits<std::int64_t>::max() : (std::int64_t{1} << bits) - 1;
    if (v < lo || v > hi)
        throw EVro8SetupFile("Setup file: the value " + std::to_string(v) + " of " + std::string(name) +
                             " does not fit its field");
    return static_cast<T>(static_cast<std::uint64_t>(v));
}

// A signal code: any number; one beyond the input's list converts to 0.
int Code(const TXmlReader& r, std::string_view name)
{
    const std::int64_t c = r.ReadInt64(name, 0);
    return c < 0 || c > INT_MAX ? -1 : static_cast<int>(c);
}

std::uint32_t FieldDate(const TXmlReader& r, std::string_view name)
{
    return static_cast<std::uint32_t>(DateTimeToStamp(r.ReadDateTime(name, 0)));
}

// Reads items until the end tag `name` (the container's own start tag was
// just read), calling `each` for every item.
template <typename F>
void Children(TXmlReader& r, std::string_view name, F each)
{
    for (;;) {
        r.ReadNext();
        if (r.Kind() == xkEndTag && r.Name() == name)
            return;
        each();
    }
}

bool IsElement(const TXmlReader& r, std::string_view name)
{
    return r.Name() == name && (r.Kind() == xkStartTag || r.Kind() == xkEmpty || r.Kind() == xkTextElement);
}

void ReadSetup(TXmlReader& r, TVro8SetupData& d, int v)
{
    try {
        do
            r.ReadNext();
        while (!(r.Kind() == xkStartTag && r.Name() == "Setupconfiguration"));
    } catch (const EXmlEndOfInput&) {
        throw EVro8SetupFile("Setup file: no Setupconfiguration element");
    }
    for (;;) {
        r.ReadNext();
        const std::string name = r.Name();
        if (r.Kind() == xkEndTag && name == "Setupconfiguration")
            return;
        // Only a start tag has children; an empty container sets nothing.
        if (r.Kind() != xkStartTag)
            continue;
        if (name == "SensorSetup") {
            int next = 0;
            Children(r, name, [&] {
                if (!IsElement(r, "Sensor") || next >= TVro8SensorSetup::kRecords)
                    return; // records beyond the twelfth are ignored
                TVro8SensorSetupWrapper s = d.Sensors.Sensor(next++);
                s.SetLoRange(FieldInt<std::int16_t>(r, "LoRange"));
                s.SetHiRange(FieldInt<std::int16_t>(r, "HiRange"));
                s.SetMUnit(r.ReadString("MUnit", ""));
                s.SetName(r.ReadString("Name", ""));
                s.SetDecimals(FieldInt<std::uint16_t>(r, "Decimals"));
                s.SetActiveState(r.ReadInt64("ActiveState", 0) == 1);
                s.SetFactor(FieldInt<std::uint32_t>(r, "Factor"));
                s.SetSubChannelMask(FieldInt<std::int32_t>(r, "SubChannelMask"));
                s.SetMode(FieldInt<std::uint16_t>(r, "Mode"));
                const int code = r.HasAttribute("Signal2") ? ConvertSignal(Code(r, "Signal2"), 4, v, s.Letter())
                                                           : ConvertSignal(Code(r, "Signal"), 2, v, s.Letter());
                s.SetSignal(static_cast<std::uint16_t>(code));
            });
        } else if (name == "TriggerSetup") {
            int next = 0;
            Children(r, name, [&] {
                if (IsElement(r, "TriggerCombination")) {
                    d.Triggers.SetCombination(FieldInt<std::uint32_t>(r, "Combination"));
                    return;
                }
                if (!IsElement(r, "Trigger") || next >= TVro8TriggerSetup::kEvents)
                    return; // events beyond the fourth are ignored
                TVro8TriggerEventWrapper t = d.Triggers.Event(next++);
                t.SetActiveState(r.ReadInt64("ActiveState", 0) == 1);
                t.SetSource(FieldInt<std::uint16_t>(r, "Source"));
                t.SetInput(FieldInt<std::uint16_t>(r, "Input"));
                t.SetEdge(FieldInt<std::uint16_t>(r, "Edge"));
                t.SetSensor(FieldInt<std::uint8_t>(r, "Sensor"));
                t.SetSubChannel(FieldInt<std::uint8_t>(r, "SubChannel"));
                t.SetValue(FieldInt<std::int16_t>(r, "Value"));
                t.SetDirection(FieldInt<std::uint16_t>(r, "Direction"));
                t.SetHiLimit(FieldInt<std::int16_t>(r, "HiLimit"));
                t.SetLoLimet(FieldInt<std::int16_t>(r, "LoLimet"));
                t.SetCount(FieldInt<std::uint16_t>(r, "Count"));
                t.SetDistance(FieldInt<std::uint16_t>(r, "Distance"));
                t.SetStartMode(FieldInt<std::uint16_t>(r, "StartMode"));
                t.SetStartDate(FieldDate(r, "StartDate"));
                t.SetStartTime(FieldDate(r, "StartTime"));
            });
        } else if (name == "RecordingSetup") {
            Children(r, name, [&] {
                if (!IsElement(r, "RecordingSetupData"))
                    return;
                TVro8RecordingSetup& s = d.Recording;
                s.SetRecordingType(FieldInt<std::uint16_t>(r, "RecordingType"));
                s.SetSampleRate(FieldInt<std::uint16_t>(r, "SampleRate"));
                s.SetSimpleCurvMode(FieldInt<std::uint16_t>(r, "SimpleCurvMode"));
                s.SetDuration(FieldInt<std::uint16_t>(r, "Duration"));
                s.SetRecordingName(r.ReadString("RecordingName", ""));
                s.SetTriggerPosition(FieldInt<std::uint16_t>(r, "TriggerPosition"));
                s.SetRecordingNumber(FieldInt<std::uint32_t>(r, "RecordingNumber"));
            });
        } else if (name == "BaseSetup") {
            Children(r, name, [&] {
                if (!IsElement(r, "BaseSetupData"))
                    return;
                d.Base.SetFlowUnit(FieldInt<std::uint16_t>(r, "FlowUnit"));
                d.Base.SetPreassureUnit(FieldInt<std::uint16_t>(r, "PreassureUnit"));
                d.Base.SetTemperatureUnit(FieldInt<std::uint16_t>(r, "TemperatureUnit"));
            });
        } else if (name == "DisplaySetup") {
            Children(r, name, [&] {
                if (!IsElement(r, "DisplaySetupData"))
                    return;
                d.Display.SetBar(FieldInt<std::uint16_t>(r, "Bar"));
                d.Display.SetFilter(FieldInt<std::uint16_t>(r, "Filter"));
                d.Display.SetKind(FieldInt<std::uint16_t>(r, "Kind"));
                d.Display.SetMinMax(FieldInt<std::uint16_t>(r, "MinMax"));
            });
        } else if (name == "CanSetup") {
            int next = 0;
            Children(r, name, [&] {
                if (!IsElement(r, "CanSetupData") || next >= TVro8CanSetup::kMessages)
                    return; // messages beyond the 32nd are ignored
                TVro8CanMessageSetupWrapper c = d.Can.Message(next++);
                c.SetMessageId(FieldInt<std::uint32_t>(r, "MessageId"));
                c.SetLoRawRange(FieldInt<std::int32_t>(r, "LoRawRange"));
                c.SetHiRawRange(FieldInt<std::int32_t>(r, "HiRawRange"));
                c.SetDataOffset(FieldInt<std::uint16_t>(r, "DataOffset"));
                c.SetDataFormat(FieldInt<std::uint16_t>(r, "DataFormat"));
                c.SetFrameFormat(FieldInt<std::uint16_t>(r, "FrameFormat"));
                c.SetByteOrder(FieldInt<std::uint16_t>(r, "ByteOrder"));
                c.SetActive(r.ReadBool("Active", false));
                c.SetLoRange(FieldInt<std::int16_t>(r, "LoRange"));
                c.SetHiRange(FieldInt<std::int16_t>(r, "HiRange"));
                c.SetDecimals(FieldInt<std::uint16_t>(r, "Decimals"));
                // A blank when the attribute is missing; an empty one stays empty.
                c.SetName(r.HasAttribute("Name") ? r.ReadString("Name", "") : std::string(" "));
                c.SetUnit(r.HasAttribute("Unit") ? r.ReadString("Unit", "") : std::string(" "));
            });
        }
    }
}

} // namespace

std::string TVro8Setup::SaveToString() const
{
    TXmlWriter w;
    WriteSetup(w, Data, Layout());
    return w.TakeBuffer();
}

void TVro8Setup::SaveToFile(const std::filesystem::path& path) const
{
    const int v = Layout();
    TAtomicFile file(path);
    TXmlWriter w;
    w.AttachStream(file);
    WriteSetup(w, Data, v);
    file.Commit();
}

void TVro8Setup::LoadFromString(std::string content)
{
    TXmlReader r;
    r.LoadFromString(std::move(content));
    TVro8SetupData next = Data;
    ReadSetup(r, next, Layout());
    Data = next;
}

void TVro8Setup::LoadFromFile(const std::filesystem::path& path)
{
    TXmlReader r;
    r.LoadFromFile(path);
    TVro8SetupData next = Data;
    ReadSetup(r, next, Layout());
    Data = next;
}

std::optional<int> TVro8Setup::FileComVersion(const std::filesystem::path& path)
{
    TXmlReader r;
    r.LoadFromFile(path);
    try {
        for (;;) {
            r.ReadNext();
            if (r.HasAttribute("ComVersion"))
                return r.ReadInt("ComVersion", 0);
            if (r.Kind() == xkEndTag && r.Name() == "Setupconfiguration")
                return std::nullopt;
        }
    } catch (const EXmlEndOfInput&) {
        return std::nullopt;
    }
}

// ---- descriptions ------------------------------------------------------------------------------

std::string TVro8Setup::SignalTypeName(int index) const
{
    if (index < 0 || index >= TVro8SensorSetup::kRecords)
        return {};
    return Vro8SignalTypeName(index, Data.Sensors.Sensor(index).Signal(), ComVersion());
}

std::string TVro8Setup::SensorDescription(int i) const
{
    if (i < 0 || i >= TVro8SensorSetup::kRecords)
        return {};
    const int v = ComVersion();
    const TVro8SensorSetupWrapper s = Data.Sensors.Sensor(i);
    if (!s.ActiveState())
        return text(983);
    const std::optional<TVro8ChannelDescription> a =
        FindChannel ? FindChannel(i, 0) : std::optional<TVro8ChannelDescription>{};
    const int k = v == 5 ? 4 : 10;
    const bool calculated = v == 5 ? i == 4 : (i == 10 || i == 11);
    std::string out;
    if (calculated) {
        if (!a)
            out = (s.Mode() != 0 ? text(1068 + (i - k)) : text(1020 + (i - k))) + " (" + text(1023) + ")";
        else
            out = ChannelRangeText(*a) + " " + Quoted(DvxTrim(a->Name));
    } else if (!a) {
        return text(1048);
    } else if (i >= (v == 5 ? 3 : 8)) {
        out = ChannelRangeText(*a);
    } else {
        const bool smartInput = i < (v == 5 ? 3 : 4);
        if (smartInput && Data.Sensors.SmartFlag(i) != 0)
            out = SmartSensorText ? SmartSensorText(i) : std::string{};
        else if (s.Mode() == 1)
            out = RangeText(s.LoRange(), s.HiRange(), s.Decimals(), s.MUnit()) + " (" + SignalTypeName(i) + ")";
        else
            out = ChannelRangeText(*a);
    }
    const std::string name = DvxTrim(s.Name());
    if (!name.empty())
        out += "  " + Quoted(name);
    return out;
}

std::string TVro8Setup::TriggerDescription(int i) const
{
    if (i < 0 || i >= TVro8TriggerSetup::kEvents)
        return {};
    const TVro8TriggerEventWrapper t = Data.Triggers.Event(i);
    if (!t.ActiveState())
        return text(983);
    const std::optional<TVro8ChannelDescription> a =
        FindChannel ? FindChannel(t.Sensor(), t.SubChannel()) : std::optional<TVro8ChannelDescription>{};
    const std::string date = DvxDateToText(t.StartDateValue());
    const std::string time = DvxTimeToText(t.StartTimeValue());
    switch (t.Source()) {
    case 0: return text(921);
    case 1:
        if (ComVersion() == 5)
            return text(t.Edge() != 0 ? 966 : 965);
        if (t.Input() != 0)
            return text(t.Edge() != 0 ? 970 : 968);
        return text(t.Edge() != 0 ? 969 : 967);
    case 2: {
        std::string out = TextAt(984, t.Sensor());
        if (a)
            out += " " + text(t.Direction() != 0 ? 972 : 971) + " " + RawToTextPlain(t.Value(), a->Decimals) + " " +
                   DvxTrim(a->Unit);
        return out;
    }
    case 3: {
        std::string out = TextAt(984, t.Sensor());
        if (a)
            out += " " + text(973) + " " + RawToTextPlain(t.LoLimet(), a->Decimals) + " " + text(974) + " " +
                   RawToTextPlain(t.HiLimit(), a->Decimals) + " " + DvxTrim(a->Unit);
        return out;
    }
    case 4:
        if (t.Count() > 1) {
            std::string out = std::to_string(t.Count()) + " " + text(979) + " " + TextAt(946, t.Distance());
            if (t.StartMode() != 0)
                out += " " + text(980) + " " + date + "  " + time;
            return out;
        }
        if (t.StartMode() != 0)
            return std::to_string(t.Count()) + " " + text(976) + " " + date + "  " + time;
        return text(975);
    default: return {};
    }
}

std::string TVro8Setup::RecordingDescription() const
{
    const TVro8RecordingSetup& r = Data.Recording;
    const std::string rate = TextAt(808, r.SampleRate());
    const std::string duration = TextAt(829, r.Duration());
    switch (r.RecordingType()) {
    case 0:
        return text(792) + " " + rate + ".\r\n" + text(793) + " " + duration + ".\r\n" +
               text(r.SimpleCurvMode() != 0 ? 795 : 794);
    case 1:
        return text(796) + " " + rate + ".\r\n" + text(797) + " " + duration + ".\r\n" + text(798) + " " +
               TextAt(851, r.TriggerPosition()) + ".";
    case 2: return text(799);
    default: return text(789) + " " + rate + ".\r\n" + text(797) + " " + duration + ".";
    }
}

std::string TVro8Setup::BaseDescription() const
{
    const TVro8BaseSetup& b = Data.Base;
    return TextAt(891, b.PreassureUnit()) + ", " + TextAt(895, b.TemperatureUnit()) + ", " + TextAt(899, b.FlowUnit());
}

std::string TVro8Setup::DisplayDescription() const
{
    const TVro8DisplaySetup& d = Data.Display;
    return text(867) + ": " + TextAt(871, d.Filter()) + "\r\n" + text(868) + ": " + TextAt(877, d.Kind()) + "\r\n" +
           text(869) + ": " + TextAt(875, d.Bar()) + "\r\n" + text(870) + ": " + TextAt(883, d.MinMax());
}

std::string TVro8Setup::CanMessageDescription(int i, bool ignoreActive) const
{
    if (i < 0 || i >= TVro8CanSetup::kMessages)
        return {};
    const TVro8CanMessageSetupWrapper c = Data.Can.Message(i);
    if (!ignoreActive && !c.Active())
        return text(1110);
    char id[16];
    std::snprintf(id, sizeof id, "%X", c.MessageId());
    return FixText(c.Decimals(), c.LoRange()) + "-" + FixText(c.Decimals(), c.HiRange()) + ", " + "Id " + id + ":" +
           std::to_string(c.DataOffset()) + " " + ", " + c.Unit() + " " + Quoted(c.Name());
}

} // namespace vro
