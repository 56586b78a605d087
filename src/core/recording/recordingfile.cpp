// Reading and writing the recording file: an 80-byte text header, a warning
// text, the parameters as XML (root KorvatekRecording), the separator byte
// 1A and the binary sample block. Loading maps the file for the parameters
// and reads the sample block straight into the arrays, in pieces, so that the
// file's pages and the arrays are never resident together; saving writes
// through a temporary file that replaces the target only when everything was
// written.
#include "core/recording/recording.h"

#include "core/recording/filebytes.h"

#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/util/charset.h"
#include "core/util/largearray.h"
#include "core/xml/xmlstream.h"
#include "core/xml/xmlutils.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vro {

namespace {

constexpr std::string_view kHeaderText = "Korvatek binary recording file";
constexpr std::size_t kHeaderSize = 80;
constexpr std::size_t kHeaderCompare = 40;
constexpr int kMaxRemarks = 100;
constexpr std::uint8_t kSeparator = 0x1A;

std::string Format1(const std::string& pattern, const std::string& arg)
{
    const std::size_t at = pattern.find("%s");
    if (at == std::string::npos)
        return pattern;
    return pattern.substr(0, at) + arg + pattern.substr(at + 2);
}

[[noreturn]] void ShortFile(const std::string& what) { throw ERecording("Stream read error: " + what); }

// ---- bulk conversion of sample arrays -------------------------------------

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

// Signed 16-bit raw values; -32768 is the no-value marker.
void Read16Signed(const std::uint8_t* src, std::size_t n, std::int32_t* dest)
{
    for (std::size_t i = 0; i < n; ++i) {
        const auto u = static_cast<std::uint16_t>(src[2 * i] | (src[2 * i + 1] << 8));
        const auto v = static_cast<std::int16_t>(u);
        dest[i] = v == INT16_MIN ? NoValue : v;
    }
}

// Unsigned 16-bit values (sub-times in 16-bit form are not sign-extended).
void Read16Unsigned(const std::uint8_t* src, std::size_t n, std::int32_t* dest)
{
    for (std::size_t i = 0; i < n; ++i)
        dest[i] = static_cast<std::int32_t>(src[2 * i] | (src[2 * i + 1] << 8));
}

void ReadStates(const std::uint8_t* src, std::size_t n, std::uint16_t* dest)
{
    for (std::size_t i = 0; i < n; ++i)
        dest[i] = static_cast<std::uint16_t>(src[2 * i] | (src[2 * i + 1] << 8));
}

// The sample block from a file, read by offset into the caller's memory:
// nothing of the file stays resident in this process beyond one piece.
class TFileBlockReader final : public TRecording::TBlockReader {
public:
    TFileBlockReader(int fd, std::uint64_t offset, std::uint64_t size) : fd_(fd), offset_(offset), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    void Take(std::uint8_t* dest, std::size_t n) override
    {
        if (n > size_ - used_)
            ShortFile("the sample block ends early");
        while (n > 0) {
            // One call reads at most about 2 GiB on Linux.
            const std::size_t ask = std::min<std::size_t>(n, std::size_t(1) << 30);
            const ssize_t got = ::pread(fd_, dest, ask, static_cast<off_t>(offset_ + used_));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw ERecording(std::string("Stream read error: ") + std::strerror(errno));
            if (got == 0)
                ShortFile("the file ended while its samples were read");
            dest += got;
            used_ += static_cast<std::uint64_t>(got);
            n -= static_cast<std::size_t>(got);
        }
    }

private:
    int fd_;
    std::uint64_t offset_, size_, used_ = 0;
};

// The sample block from bytes in memory.
class TMemoryBlockReader final : public TRecording::TBlockReader {
public:
    explicit TMemoryBlockReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    void Take(std::uint8_t* dest, std::size_t n) override
    {
        if (n > bytes_.size() - used_)
            ShortFile("the sample block ends early");
        std::memcpy(dest, bytes_.data() + used_, n);
        used_ += n;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t used_ = 0;
};

using TSink = std::function<void(std::span<const std::uint8_t>)>;

constexpr std::size_t kChunkSamples = 1 << 16;

void Write32(const TSink& sink, const std::int32_t* src, std::size_t n)
{
    if constexpr (std::endian::native == std::endian::little) {
        // Whole arrays in pieces of a few MB keep the file buffer's copy small.
        constexpr std::size_t piece = 1 << 20;
        for (std::size_t i = 0; i < n; i += piece) {
            const std::size_t k = std::min(piece, n - i);
            sink({reinterpret_cast<const std::uint8_t*>(src + i), k * 4});
        }
    } else {
        std::vector<std::uint8_t> buf(kChunkSamples * 4);
        for (std::size_t i = 0; i < n; i += kChunkSamples) {
            const std::size_t k = std::min(kChunkSamples, n - i);
            for (std::size_t j = 0; j < k; ++j) {
                const auto u = static_cast<std::uint32_t>(src[i + j]);
                buf[4 * j] = static_cast<std::uint8_t>(u);
                buf[4 * j + 1] = static_cast<std::uint8_t>(u >> 8);
                buf[4 * j + 2] = static_cast<std::uint8_t>(u >> 16);
                buf[4 * j + 3] = static_cast<std::uint8_t>(u >> 24);
            }
            sink({buf.data(), k * 4});
        }
    }
}

// Low 16 bits of each value; with `marker` the no-value marker becomes -32768.
template <typename T>
void Write16(const TSink& sink, const T* src, std::size_t n, bool marker, std::vector<std::uint8_t>& buf)
{
    buf.resize(kChunkSamples * 2);
    for (std::size_t i = 0; i < n; i += kChunkSamples) {
        const std::size_t k = std::min(kChunkSamples, n - i);
        for (std::size_t j = 0; j < k; ++j) {
            std::uint32_t v = static_cast<std::uint32_t>(src[i + j]);
            if (marker && static_cast<std::int64_t>(src[i + j]) == NoValue)
                v = 0x8000u;
            buf[2 * j] = static_cast<std::uint8_t>(v);
            buf[2 * j + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        sink({buf.data(), k * 2});
    }
}

bool Leaves16(const TSensorValues& a, std::size_t n)
{
    n = std::min(n, a.size());
    bool out = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t v = a[i];
        out |= (v != NoValue) & ((v < -32767) | (v > 32767));
    }
    return out;
}

// A date-time attribute with its milliseconds: the text form carries them and
// keeping them lets an unchanged file be written back byte for byte.
double ReadDateTimeMs(const TXmlReader& r, std::string_view name, double def)
{
    const double v = r.ReadDateTime(name, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(v))
        return def;
    const std::string_view t = r.GetAttribute(name);
    if (v < 0 || t.size() < 23 || t[19] != '.')
        return v;
    int ms = 0;
    for (std::size_t i = 20; i < 23; ++i) {
        if (t[i] < '0' || t[i] > '9')
            return v;
        ms = ms * 10 + (t[i] - '0');
    }
    return v + ms / 86400000.0;
}

// After a start tag: reads up to and including its end tag.
void SkipElement(TXmlReader& r)
{
    const int level = r.Level();
    do
        r.ReadNext();
    while (r.Level() >= level);
}

// The children of a SnapshotCamera start tag, up to its end tag.
void ReadSnapshots(TXmlReader& r, TSnapshotCam& cam)
{
    const int level = r.Level();
    while (true) {
        r.ReadNext();
        if (r.Level() < level)
            return;
        if (r.Kind() == xkStartTag) {
            SkipElement(r);
            continue;
        }
        if ((r.Kind() != xkEmpty && r.Kind() != xkTextElement) || r.Name() != "Snapshot")
            continue;
        TSnapshot s;
        s.Data = r.ReadString("Data", "");
        s.Description = r.ReadString("Description", "");
        s.Name = r.ReadString("Name", "");
        // A missing date becomes the moment of reading.
        s.DateTime = ReadDateTimeMs(r, "DateTime", std::numeric_limits<double>::quiet_NaN());
        if (std::isnan(s.DateTime))
            s.DateTime = TSnapshotCam().Add("", "").DateTime;
        cam.Append(std::move(s));
    }
}

} // namespace

std::string RecordingFileHeader()
{
    std::string h(kHeaderText);
    h.resize(kHeaderSize - 2, ' ');
    return h + "\r\n";
}

std::string RecordingFileWarning()
{
    return "Attention: This is a binary data file and cannot be modified!\r\n" +
           Utf8ToLatin1("Achtung: Dies ist eine bin\xC3\xA4re Datei und darf nicht ge\xC3\xA4ndert werden!") +
           "\r\n\x1A\r\n";
}

bool TRecording::IsRecordingFile(std::span<const std::uint8_t> bytes)
{
    const std::string header = RecordingFileHeader();
    return bytes.size() >= kHeaderCompare && std::memcmp(bytes.data(), header.data(), kHeaderCompare) == 0;
}

// ---------------------------------------------------------------------------
// Saving

void TRecording::WriteParameters(TXmlWriter& w) const
{
    w.BeginElement("RecordingParameters");

    w.AddIntAttribute("ChannelCount", ChannelCount + (HasSubTimes ? 1 : 0));
    w.AddBoolAttribute("HasMinMaxValues", HasMinMaxValues);
    w.AddBoolAttribute("HasStates", HasStates);
    w.AddBoolAttribute("HasTimeStamps", HasTimeStamps);
    w.AddBoolAttribute("HasSubTimes", HasSubTimes);
    w.AddIntAttribute("RecordCount", RecordCount);
    w.AddIntAttribute("RecordingSource", RecordingSource);
    w.AddIntAttribute("PreTriggerCount", PreTriggerCount);
    w.AddIntAttribute("SampleRate", SampleRate);
    w.AddStringAttribute("SensorId", SensorId);
    w.EmptyElement("GeneralParameters");

    w.AddStringAttribute("Comment", Comment);
    w.AddStringAttribute("Description", Description);
    w.AddStringAttribute("DeviceRecordingName", DeviceRecordingName);
    w.AddIntAttribute("DeviceRecordingNumber", DeviceRecordingNumber);
    w.AddIntAttribute("RecordingType", RecordingType);
    w.AddIntAttribute("SimpleCurvMode", SimpleCurvMode);
    w.AddDateTimeAttribute("StartTime", StartTime);
    w.AddDateTimeAttribute("StopTime", StopTime);
    w.EmptyElement("Descriptions");

    w.AddIntAttribute("LeftYAxis", LeftYAxis);
    w.AddIntAttribute("RightYAxis", RightYAxis);
    w.AddIntAttribute("ShowTableMinMax", ShowTableMinMax);
    w.AddIntAttribute("XAxisIndex", XAxisIndex);
    w.EmptyElement("OutputParameters");

    w.AddIntAttribute("TriggerState", TriggerState);
    w.AddDateTimeAttribute("TriggerTime", TriggerTime);
    w.EmptyElement("TriggerData");

    w.AddIntAttribute("LoRange", Time ? Time->LoRange : 0);
    w.AddIntAttribute("HiRange", Time ? Time->HiRange : 100);
    if (HasTimeStamps)
        w.AddBoolAttribute("TimeStampHasDate", Time ? Time->TimeStampHasDate : false);
    w.EmptyElement("Time");

    if (HasStates) {
        w.AddIntAttribute("StateCodeId", State ? State->StateCodeId : 0);
        w.EmptyElement("State");
    }

    auto sensor = [&](const TRecordingSensorWrapper& c, int number) {
        w.AddIntAttribute("SensorNumber", number);
        w.AddStringAttribute("DeviceName", c.DeviceName);
        w.AddBoolAttribute("Has32BitSize", c.Has32BitSize);
        w.AddIntAttribute("Decimals", c.Decimals);
        w.AddIntAttribute("DeviceLoRange", c.DeviceLoRange);
        w.AddIntAttribute("DeviceHiRange", c.DeviceHiRange);
        w.AddIntAttribute("CurrentLoRange", c.CurrentLoRange);
        w.AddIntAttribute("CurrentHiRange", c.CurrentHiRange);
        w.AddIntAttribute("FullLoRange", c.FullLoRange);
        w.AddIntAttribute("FullHiRange", c.FullHiRange);
        w.AddIntAttribute("Style", c.Style);
        w.AddIntAttribute("ColorIndex", c.ColorIndex);
        w.AddStringAttribute("Comment", c.Comment);
        w.AddBoolAttribute("ShowMinMax", c.ShowMinMax);
        w.AddBoolAttribute("Visible", c.Visible);
        w.AddStringAttribute("MeasureUnit", c.MeasureUnit);
        w.AddStringAttribute("CustomName", c.CustomName);
        w.AddIntAttribute("TimeShift", c.TimeShift);
        w.AddBoolAttribute("NoOriginalSensor", c.NoOriginalSensor);
        w.EmptyElement("Sensor");
    };
    int number = 0;
    if (HasSubTimes && Time && Time->SubTimes)
        sensor(*Time->SubTimes, number++);
    for (int i = 0; i < ChannelCount; ++i)
        sensor(Channel(i), number++);

    w.AddIntAttribute("RemarkCount", static_cast<std::int64_t>(Remarks.size()));
    w.EmptyElement("RemarkDataCount");
    for (const auto& r : Remarks) {
        w.AddIntAttribute("RemarkId", r.RemarkId);
        w.AddBoolAttribute("Visible", r.Visible);
        w.AddIntAttribute("XAxisIndex", r.XAxisIndex);
        w.AddIntAttribute("XPosition", r.XPosition);
        w.AddIntAttribute("YPosition", r.YPosition);
        w.AddStringAttribute("Comment", r.Comment);
        w.AddIntAttribute("FontColor", r.FontColor);
        w.AddIntAttribute("FontSize", r.FontSize);
        w.AddBoolAttribute("IsBold", r.IsBold);
        w.AddBoolAttribute("IsItalic", r.IsItalic);
        w.AddBoolAttribute("IsUnderlined", r.IsUnderlined);
        w.AddBoolAttribute("IsAnchored", r.IsAnchored);
        w.AddIntAttribute("AnchorIndex", r.AnchorIndex);
        w.AddIntAttribute("AnchorChannel", r.AnchorChannel);
        w.AddIntAttribute("BoxWidth", r.BoxWidth);
        w.EmptyElement("RemarkData");
    }

    w.AddIntAttribute("Version", 1);
    w.BeginElement("SnapshotCamera");
    for (int i = 0; i < SnapshotCamera.Count(); ++i) {
        const TSnapshot& s = SnapshotCamera.Items(i);
        w.AddStringAttribute("Data", s.Data);
        w.AddStringAttribute("Description", s.Description);
        w.AddStringAttribute("Name", s.Name);
        w.AddDateTimeAttribute("DateTime", s.DateTime);
        w.EmptyElement("Snapshot");
    }
    w.EndElement("SnapshotCamera");

    w.AddIntAttribute("InfoStringCount", static_cast<std::int64_t>(InfoStrings.size()));
    for (std::size_t i = 0; i < InfoStrings.size(); ++i)
        w.AddStringAttribute("InfoString" + std::to_string(i), InfoStrings[i]);
    w.EmptyElement("InfoString");

    w.EndElement("RecordingParameters");
}

std::int64_t TRecording::SampleBlockSize() const
{
    std::int64_t perSample = 0;
    if (HasTimeStamps)
        perSample += 4;
    if (HasStates)
        perSample += 2;
    if (HasSubTimes)
        perSample += (Time && Time->SubTimes && Time->SubTimes->Has32BitSize) ? 4 : 2;
    for (int i = 0; i < ChannelCount; ++i)
        perSample += (HasMinMaxValues ? 3 : 1) * (Channel(i).Has32BitSize ? 4 : 2);
    return perSample * std::max<std::int64_t>(RecordCount, 0);
}

void TRecording::WriteData(const std::function<void(std::span<const std::uint8_t>)>& sink) const
{
    const auto n = static_cast<std::size_t>(std::max(RecordCount, 0));
    auto need = [n](std::size_t have, const char* what) {
        if (have < n)
            throw ERecording(std::string("Recording is inconsistent: ") + what +
                             " holds fewer than RecordCount samples");
    };
    std::vector<std::uint8_t> buf;
    if (HasTimeStamps) {
        need(Time ? Time->TimeStamps.size() : 0, "the time stamp array");
        Write32(sink, Time->TimeStamps.data(), n);
    }
    if (HasStates) {
        need(State ? State->States.size() : 0, "the state array");
        Write16(sink, State->States.data(), n, false, buf);
    }
    if (HasSubTimes) {
        const TRecordingSensorWrapper* s = Time ? Time->SubTimes.get() : nullptr;
        need(s ? s->Values.size() : 0, "the sub-time array");
        if (s->Has32BitSize)
            Write32(sink, s->Values.data(), n);
        else
            Write16(sink, s->Values.data(), n, false, buf);
    }
    for (int i = 0; i < ChannelCount; ++i) {
        const TRecordingSensorWrapper& c = Channel(i);
        auto one = [&](const TSensorValues& a) {
            need(a.size(), "a channel array");
            if (c.Has32BitSize)
                Write32(sink, a.data(), n);
            else
                Write16(sink, a.data(), n, true, buf);
        };
        one(c.Values);
        if (HasMinMaxValues) {
            one(c.MinValues);
            one(c.MaxValues);
        }
    }
}

void TRecording::PromoteWideChannels()
{
    const auto n = static_cast<std::size_t>(std::max(RecordCount, 0));
    for (int i = 0; i < ChannelCount; ++i) {
        TRecordingSensorWrapper& c = Channel(i);
        if (c.Has32BitSize)
            continue;
        if (Leaves16(c.Values, n) || (HasMinMaxValues && (Leaves16(c.MinValues, n) || Leaves16(c.MaxValues, n))))
            c.Has32BitSize = true;
    }
    if (HasSubTimes && Time && Time->SubTimes && !Time->SubTimes->Has32BitSize) {
        const auto& v = Time->SubTimes->Values;
        for (std::size_t k = 0; k < std::min(n, v.size()); ++k)
            if (v[k] < 0 || v[k] > 65535) {
                Time->SubTimes->Has32BitSize = true;
                break;
            }
    }
}

template <typename Sink>
void TRecording::WriteWholeFile(TXmlWriter& writer, const Sink& sink)
{
    if (HasSubTimes && !(HasTimeStamps && Time && Time->SubTimes))
        throw ERecording("Recording is inconsistent: sub-times without time stamps");
    PromoteWideChannels();
    const std::string header = RecordingFileHeader() + RecordingFileWarning();
    sink(std::span(reinterpret_cast<const std::uint8_t*>(header.data()), header.size()));
    writer.AddStringAttribute("RecordingVersion", GetVersion());
    writer.BeginElement("KorvatekRecording");
    WriteParameters(writer);
    writer.EndElement("KorvatekRecording");
    const std::uint8_t sep = kSeparator;
    sink(std::span(&sep, 1));
    WriteData(sink);
}

std::string TRecording::SaveToString()
{
    std::string out;
    TXmlWriter writer;
    writer.AttachStream(out);
    WriteWholeFile(writer, [&out](std::span<const std::uint8_t> b) {
        out.append(reinterpret_cast<const char*>(b.data()), b.size());
    });
    return out;
}

void TRecording::SaveWithNameCheck()
{
    if (!Host) {
        NameConfirmed = true;
        SaveToFile();
        return;
    }
    std::string chosen;
    while (true) {
        auto name = Host->AskSaveName(FileName);
        if (!name)
            return; // cancelled: the save ends silently
        chosen = *name;
        if (chosen == FileName || Host->IsNameFree(chosen))
            break;
        Host->ShowError(Format1(text(10), chosen));
    }
    NameConfirmed = true;
    if (chosen != FileName) {
        FileName = chosen;
        Host->Refresh();
    }
    SaveToFile();
}

void TRecording::SaveToFile()
{
    if (!NameConfirmed && Host) {
        SaveWithNameCheck();
        return;
    }
    if (Host)
        Host->BeforeSave(*this);
    Saved = false;
    if (FileName.empty())
        throw ERecording(text(18));
    std::unique_ptr<TAtomicFile> file;
    try {
        file = std::make_unique<TAtomicFile>(FileName);
    } catch (const EFileWrite&) {
        throw ERecording(text(18));
    }
    TXmlWriter writer;
    writer.AttachStream(*file);
    WriteWholeFile(writer, [&file](std::span<const std::uint8_t> b) { file->Write(b); });
    file->Commit();
    Saved = true;
}

// ---------------------------------------------------------------------------
// Loading

void TRecording::Clear()
{
    for (auto& c : Channels)
        c.reset();
    Time.reset();
    State.reset();
    ChannelCount = 0;
    RecordCount = 0;
    HasMinMaxValues = HasStates = HasTimeStamps = HasSubTimes = false;
    Remarks.clear();
    InfoStrings.clear();
    SnapshotCamera.Clear();
    SnapshotCamera.Version = 0;
    History.Clear();
    LastRemarkId = 0;
    Saved = false;
    NameConfirmed = false;
}

void TRecording::LoadFromFile(const std::filesystem::path& name)
{
    const TFileBytes file(name);
    LoadFromFile(file, name.string());
}

void TRecording::LoadFromFile(const TFileBytes& file, const std::string& name)
{
    LoadFrom(file.Bytes(), name, file.MappedFile());
}

void TRecording::LoadFromMemory(std::span<const std::uint8_t> bytes, const std::string& name)
{
    LoadFrom(bytes, name, -1);
}

void TRecording::LoadFrom(std::span<const std::uint8_t> bytes, const std::string& name, int fd)
{
    FileName = name;
    LoadWarnings.clear();
    try {
        ParseFile(bytes, fd);
    } catch (...) {
        Clear();
        readLimit_ = UINT64_MAX;
        throw;
    }
    readLimit_ = UINT64_MAX;
}

void TRecording::ParseFile(std::span<const std::uint8_t> bytes, int fd)
{
    if (!IsRecordingFile(bytes))
        throw ERecording("Unknown File");
    if (bytes.size() < kHeaderSize)
        ShortFile("the file ends inside its header");
    Clear();
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    TXmlReader reader;
    reader.AttachBuffer(view, kHeaderSize);
    do
        reader.ReadNext();
    while (!(reader.Kind() == xkStartTag && reader.Name() == "KorvatekRecording"));
    const std::string version(reader.GetAttribute("RecordingVersion"));
    if (!IsKnownVersion(version))
        throw ERecording(text(12));
    readLimit_ = bytes.size() - std::min<std::uint64_t>(reader.Position(), bytes.size());
    ReadParameters(reader);
    while (!(reader.Kind() == xkEndTag && reader.Name() == "KorvatekRecording"))
        reader.ReadNext();

    std::size_t pos = static_cast<std::size_t>(std::min<std::uint64_t>(reader.Position(), bytes.size()));
    while (pos < bytes.size() && bytes[pos] != kSeparator)
        ++pos;
    if (pos >= bytes.size())
        ShortFile("no sample block after the parameters");
    if (fd >= 0) {
        TFileBlockReader block(fd, pos + 1, bytes.size() - pos - 1);
        ReadData(block);
    } else {
        ReadData(bytes.subspan(pos + 1));
    }
    const std::int32_t lo = Time->LoRange, hi = Time->HiRange;
    Time->SetRange(lo, hi);
    Saved = true;
    NameConfirmed = true;
}

void TRecording::ReadParameters(TXmlReader& r)
{
    Remarks.clear();
    do
        r.ReadNext();
    while (!(r.Kind() == xkStartTag && r.Name() == "RecordingParameters"));
    const int level = r.Level();
    r.ReadNext();
    if (r.Kind() != xkEmpty || r.Name() != "GeneralParameters")
        throw ERecording("Invalid first element in RecordingParameters");

    const std::int64_t channels = r.ReadInt64("ChannelCount", 0);
    HasMinMaxValues = r.ReadBool("HasMinMaxValues", false);
    HasStates = r.ReadBool("HasStates", false);
    HasTimeStamps = r.ReadBool("HasTimeStamps", false);
    HasSubTimes = r.ReadBool("HasSubTimes", false);
    const std::int64_t records = r.ReadInt64("RecordCount", 0);
    RecordingSource = r.ReadInt("RecordingSource", 0);
    PreTriggerCount = r.ReadInt("PreTriggerCount", 0);
    SampleRate = r.ReadInt("SampleRate", 0);
    SensorId = r.ReadString("SensorId", "");

    if (records < 1 || records > INT32_MAX)
        throw ERecording("Illegal RecordSize " + std::to_string(records));
    if (HasSubTimes && !HasTimeStamps)
        throw ERecording("Illegal recording: HasSubTimes without HasTimeStamps");
    const std::int64_t sub = HasSubTimes ? 1 : 0;
    if (channels - sub == 0)
        throw ERecording(Format1(text(7), FileName));
    if (channels - sub < 0 || channels - sub > MaxChannels)
        throw ERecording("Illegal ChannelCount " + std::to_string(channels) + " (at most " +
                         std::to_string(MaxChannels + sub) + ")");
    // The smallest block these counts need (all arrays 16-bit) must fit into
    // what follows in the file, before a single array is allocated.
    const std::int64_t minPerSample =
        (HasTimeStamps ? 4 : 0) + (HasStates ? 2 : 0) + sub * 2 + (channels - sub) * (HasMinMaxValues ? 6 : 2);
    if (static_cast<std::uint64_t>(minPerSample * records) > readLimit_)
        ShortFile("RecordCount " + std::to_string(records) + " needs at least " +
                  std::to_string(minPerSample * records) + " bytes of samples, the file holds " +
                  std::to_string(readLimit_));
    ChannelCount = static_cast<std::int32_t>(channels - sub);
    RecordCount = static_cast<std::int32_t>(records);
    CreateChannelObjects();
    // A channel the file describes with no Sensor element is still named.
    for (int i = 0; i < ChannelCount; ++i)
        Channel(i).DeviceName = "Unknown";

    auto readSensor = [&](TRecordingSensorWrapper& c) {
        c.DeviceName = r.ReadString("DeviceName", "Unknown");
        c.Has32BitSize = r.ReadBool("Has32BitSize", false);
        c.Decimals = std::clamp(r.ReadInt("Decimals", 0), 0, 8);
        c.DeviceLoRange = r.ReadInt("DeviceLoRange", 0);
        c.DeviceHiRange = r.ReadInt("DeviceHiRange", 100);
        c.SetCurrentRange(r.ReadInt("CurrentLoRange", c.DeviceLoRange), r.ReadInt("CurrentHiRange", c.DeviceHiRange));
        c.FullLoRange = r.ReadInt("FullLoRange", c.DeviceLoRange);
        c.FullHiRange = r.ReadInt("FullHiRange", c.DeviceHiRange);
        c.SetStyle(r.ReadInt("Style", 0));
        c.SetColorIndex(r.ReadInt("ColorIndex", 0));
        c.Comment = r.ReadString("Comment", "");
        c.ShowMinMax = r.ReadBool("ShowMinMax", false);
        c.Visible = r.ReadBool("Visible", true);
        c.MeasureUnit = r.ReadString("MeasureUnit", "");
        c.CustomName = r.ReadString("CustomName", "");
        c.SetTimeShift(r.ReadInt("TimeShift", 0));
        c.NoOriginalSensor = r.ReadBool("NoOriginalSensor", false);
    };

    std::size_t remarkSize = 0, remarkFilled = 0;
    while (true) {
        r.ReadNext();
        if (r.Level() < level)
            break; // the end tag of RecordingParameters
        const int kind = r.Kind();
        const std::string& name = r.Name();
        if (name == "SnapshotCamera" && (kind == xkStartTag || kind == xkTextElement || kind == xkEmpty)) {
            SnapshotCamera.Clear();
            SnapshotCamera.Version = r.ReadInt("Version", 0);
            if (kind == xkStartTag)
                ReadSnapshots(r, SnapshotCamera); // otherwise an empty camera
            continue;
        }
        if (kind == xkStartTag) {
            SkipElement(r); // an element of another name with children
            continue;
        }
        if (kind != xkEmpty && kind != xkTextElement)
            continue;
        if (name == "Descriptions") {
            Comment = r.ReadString("Comment", "");
            Description = r.ReadString("Description", "");
            DeviceRecordingName = r.ReadString("DeviceRecordingName", "");
            DeviceRecordingNumber = r.ReadInt("DeviceRecordingNumber", 0);
            RecordingType = static_cast<std::uint8_t>(r.ReadInt("RecordingType", 0));
            SimpleCurvMode = r.ReadInt("SimpleCurvMode", 0);
            StartTime = ReadDateTimeMs(r, "StartTime", 0.0);
            StopTime = ReadDateTimeMs(r, "StopTime", 0.0);
        } else if (name == "OutputParameters") {
            LeftYAxis = r.ReadInt("LeftYAxis", 0);
            RightYAxis = r.ReadInt("RightYAxis", 0);
            ShowTableMinMax = static_cast<std::uint8_t>(r.ReadInt("ShowTableMinMax", 0));
            XAxisIndex = r.ReadInt("XAxisIndex", -1);
        } else if (name == "TriggerData") {
            TriggerState = r.ReadInt("TriggerState", 0);
            TriggerTime = ReadDateTimeMs(r, "TriggerTime", 0.0);
        } else if (name == "Time") {
            Time->LoRange = r.ReadInt("LoRange", 0);
            Time->HiRange = r.ReadInt("HiRange", 100);
            if (HasTimeStamps)
                Time->TimeStampHasDate = r.ReadBool("TimeStampHasDate", false);
        } else if (name == "State") {
            if (State) // a State element without HasStates has nothing to fill
                State->StateCodeId = r.ReadInt("StateCodeId", 0);
        } else if (name == "InfoString") {
            // The count cannot exceed the lines really present.
            const std::int64_t count = std::clamp<std::int64_t>(r.ReadInt64("InfoStringCount", 0), 0,
                                                                static_cast<std::int64_t>(r.Attributes().size()));
            InfoStrings.assign(static_cast<std::size_t>(count), std::string());
            for (std::int64_t i = 0; i < count; ++i)
                InfoStrings[static_cast<std::size_t>(i)] = r.ReadString("InfoString" + std::to_string(i), "");
        } else if (name == "Sensor") {
            const std::int64_t k = r.ReadInt64("SensorNumber", -1);
            const std::int64_t total = ChannelCount + sub;
            if (k < 0 || k >= total)
                continue;
            if (HasSubTimes && k == 0)
                readSensor(*Time->SubTimes);
            else
                readSensor(Channel(static_cast<int>(k - sub)));
        } else if (name == "RemarkDataCount") {
            std::int64_t count = r.ReadInt64("RemarkCount", 0);
            if (count < 0)
                count = 0;
            if (count > kMaxRemarks) {
                count = kMaxRemarks;
                LoadWarnings.push_back(Latin1ToUtf8("Max. Remark Anzahl \xFC"
                                                    "berschritten"));
            }
            remarkSize = static_cast<std::size_t>(count);
            remarkFilled = 0;
            Remarks.assign(remarkSize, TRemarkData());
        } else if (name == "RemarkData") {
            if (remarkFilled >= remarkSize)
                continue;
            TRemarkData& m = Remarks[remarkFilled++];
            m.RemarkId = r.ReadInt("RemarkId", 0);
            m.Visible = r.ReadBool("Visible", true);
            m.XAxisIndex = r.ReadInt("XAxisIndex", 0);
            m.XPosition = r.ReadInt("XPosition", 0);
            m.YPosition = r.ReadInt("YPosition", 0);
            m.Comment = r.ReadString("Comment", "");
            m.FontColor = r.ReadInt("FontColor", 0);
            m.FontSize = r.ReadInt("FontSize", 0);
            m.IsBold = r.ReadBool("IsBold", false);
            m.IsItalic = r.ReadBool("IsItalic", false);
            m.IsUnderlined = r.ReadBool("IsUnderlined", false);
            m.IsAnchored = r.ReadBool("IsAnchored", false);
            m.AnchorIndex = r.ReadInt("AnchorIndex", 0);
            m.AnchorChannel = r.ReadInt("AnchorChannel", 0);
            m.BoxWidth = r.ReadInt("BoxWidth", 50);
            LastRemarkId = std::max(LastRemarkId, m.RemarkId);
        }
    }
    // Remarks announced but never given are not kept as empty boxes.
    Remarks.resize(remarkFilled);
    CheckAxes();
}

void TRecording::ReadData(std::span<const std::uint8_t> block)
{
    TMemoryBlockReader reader(block);
    ReadData(reader);
}

void TRecording::ReadData(TBlockReader& block)
{
    const std::int64_t need = SampleBlockSize();
    if (static_cast<std::uint64_t>(need) > block.Size())
        ShortFile("the sample block holds " + std::to_string(block.Size()) + " bytes, RecordCount " +
                  std::to_string(RecordCount) + " needs " + std::to_string(need));
    const auto n = static_cast<std::size_t>(RecordCount);
    // 16-bit arrays pass through this buffer a few MB at a time; 32-bit ones
    // are read straight into their array.
    constexpr std::size_t kPiece = std::size_t(1) << 20; // samples
    std::vector<std::uint8_t> piece;
    auto narrow = [&](auto* dest, auto convert) {
        piece.resize(2 * std::min(kPiece, n));
        for (std::size_t i = 0; i < n; i += kPiece) {
            const std::size_t k = std::min(kPiece, n - i);
            block.Take(piece.data(), 2 * k);
            convert(piece.data(), k, dest + i);
        }
    };
    auto values = [&](TSensorValues& dest, bool wide, bool signedForm) {
        if (dest.size() != n)
            AssignLarge(dest, n);
        if (wide) {
            block.Take(reinterpret_cast<std::uint8_t*>(dest.data()), 4 * n);
            if constexpr (std::endian::native == std::endian::big)
                for (auto& v : dest)
                    v = static_cast<std::int32_t>(__builtin_bswap32(static_cast<std::uint32_t>(v)));
        } else if (signedForm) {
            narrow(dest.data(), Read16Signed);
        } else {
            narrow(dest.data(), Read16Unsigned);
        }
    };
    if (HasTimeStamps)
        values(Time->TimeStamps, true, true);
    if (HasStates) {
        if (State->States.size() != n)
            AssignLarge(State->States, n);
        narrow(State->States.data(), ReadStates);
    }
    if (HasSubTimes)
        values(Time->SubTimes->Values, Time->SubTimes->Has32BitSize, false);
    for (int i = 0; i < ChannelCount; ++i) {
        TRecordingSensorWrapper& c = Channel(i);
        values(c.Values, c.Has32BitSize, true);
        if (HasMinMaxValues) {
            values(c.MinValues, c.Has32BitSize, true);
            values(c.MaxValues, c.Has32BitSize, true);
        }
    }
}

} // namespace vro
