// vro info: loads a recording file and describes it, as readable text or as
// one JSON object whose keys are the recording model's field names.
#include "cli/verb.h"
#include "core/construct/loadrecordingfile.h"

#include "core/recording/recording.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace vro::cli {

using TJson = nlohmann::ordered_json;

// The 15 stored fields of a remark (vro remarks prints them too).
TJson RemarkJson(const TRemarkData& m)
{
    TJson j;
    j["RemarkId"] = m.RemarkId;
    j["Visible"] = m.Visible;
    j["XAxisIndex"] = m.XAxisIndex;
    j["XPosition"] = m.XPosition;
    j["YPosition"] = m.YPosition;
    j["Comment"] = m.Comment;
    j["FontColor"] = m.FontColor;
    j["FontSize"] = m.FontSize;
    j["IsBold"] = m.IsBold;
    j["IsItalic"] = m.IsItalic;
    j["IsUnderlined"] = m.IsUnderlined;
    j["IsAnchored"] = m.IsAnchored;
    j["AnchorIndex"] = m.AnchorIndex;
    j["AnchorChannel"] = m.AnchorChannel;
    j["BoxWidth"] = m.BoxWidth;
    return j;
}

namespace {

TJson ChannelJson(const TRecording& r, const TRecordingSensorWrapper& c, bool values)
{
    TJson j;
    j["DeviceName"] = c.DeviceName;
    j["CustomName"] = c.CustomName;
    j["MeasureUnit"] = c.MeasureUnit;
    j["Decimals"] = c.Decimals;
    j["Has32BitSize"] = c.Has32BitSize;
    j["DeviceLoRange"] = c.DeviceLoRange;
    j["DeviceHiRange"] = c.DeviceHiRange;
    j["CurrentLoRange"] = c.CurrentLoRange;
    j["CurrentHiRange"] = c.CurrentHiRange;
    j["FullLoRange"] = c.FullLoRange;
    j["FullHiRange"] = c.FullHiRange;
    j["ColorIndex"] = c.ColorIndex;
    j["Style"] = c.Style;
    j["Visible"] = c.Visible;
    j["ShowMinMax"] = c.ShowMinMax;
    j["TimeShift"] = c.TimeShift;
    j["Comment"] = c.Comment;
    if (values) {
        const auto n = static_cast<std::size_t>(r.RecordCount);
        auto first = [n](const TSensorValues& v) {
            return TSensorValues(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(std::min(n, v.size())));
        };
        j["Values"] = first(c.Values);
        if (r.HasMinMaxValues) {
            j["MinValues"] = first(c.MinValues);
            j["MaxValues"] = first(c.MaxValues);
        }
    }
    return j;
}

TJson RecordingJson(const TRecording& r, bool values)
{
    TJson j;
    j["RecordingSource"] = r.RecordingSource;
    j["RecordingType"] = r.RecordingType;
    j["ChannelCount"] = r.ChannelCount;
    j["RecordCount"] = r.RecordCount;
    j["HasMinMaxValues"] = r.HasMinMaxValues;
    j["HasStates"] = r.HasStates;
    j["HasTimeStamps"] = r.HasTimeStamps;
    j["HasSubTimes"] = r.HasSubTimes;
    j["PreTriggerCount"] = r.PreTriggerCount;
    j["SampleRate"] = r.SampleRate;
    j["StartTime"] = r.StartTime;
    j["StopTime"] = r.StopTime;
    j["TriggerState"] = r.TriggerState;
    j["TriggerTime"] = r.TriggerTime;
    j["DeviceRecordingName"] = r.DeviceRecordingName;
    j["DeviceRecordingNumber"] = r.DeviceRecordingNumber;
    j["Comment"] = r.Comment;
    j["Description"] = r.Description;
    j["SensorId"] = r.SensorId;
    j["InfoStrings"] = r.InfoStrings;
    j["LeftYAxis"] = r.LeftYAxis;
    j["RightYAxis"] = r.RightYAxis;
    j["XAxisIndex"] = r.XAxisIndex;
    j["ShowTableMinMax"] = r.ShowTableMinMax;
    j["RemarkCount"] = r.Remarks.size();
    j["LastRemarkId"] = r.LastRemarkId;
    TJson remarks = TJson::array();
    for (const TRemarkData& m : r.Remarks)
        remarks.push_back(RemarkJson(m));
    j["Remarks"] = std::move(remarks);
    j["SnapshotCount"] = r.SnapshotCamera.Count();
    j["LoRange"] = r.Time ? r.Time->LoRange : 0;
    j["HiRange"] = r.Time ? r.Time->HiRange : 0;
    TJson channels = TJson::array();
    for (int i = 0; i < r.ChannelCount; ++i)
        channels.push_back(ChannelJson(r, r.Channel(i), values));
    j["Channels"] = std::move(channels);
    if (values) {
        const auto n = static_cast<std::size_t>(r.RecordCount);
        if (r.HasTimeStamps && r.Time)
            j["TimeStamps"] = TTimeValues(r.Time->TimeStamps.begin(),
                                          r.Time->TimeStamps.begin() +
                                              static_cast<std::ptrdiff_t>(std::min(n, r.Time->TimeStamps.size())));
        if (r.HasStates && r.State)
            j["States"] = r.State->States;
        if (r.HasSubTimes && r.Time && r.Time->SubTimes)
            j["SubTimes"] = r.Time->SubTimes->Values;
    }
    return j;
}

const char* SourceText(int source)
{
    switch (source) {
    case 0: return "recorder memory";
    case 1: return "online measurement";
    case 2: return "legacy file";
    case 4:
    case 5: return "text file import";
    default: return "unknown";
    }
}

const char* TypeText(int type)
{
    switch (type) {
    case 0: return "simple measurement curve";
    case 1: return "measurement curve with trigger";
    case 2: return "event log";
    case 3: return "sensor-interface log";
    case 4: return "imported text";
    default: return "unknown";
    }
}

void PrintSummary(const TRecording& r, std::ostream& out)
{
    out << "File:            " << r.FileName << "\n"
        << "Version:         " << r.GetVersion() << "\n"
        << "Source:          " << r.RecordingSource << " (" << SourceText(r.RecordingSource) << ")\n"
        << "Type:            " << int(r.RecordingType) << " (" << TypeText(r.RecordingType) << ")\n";
    if (!r.DeviceRecordingName.empty())
        out << "Device name:     " << r.DeviceRecordingName << " #" << r.DeviceRecordingNumber << "\n";
    out << "Start time:      " << DvxDateTimeToText(r.StartTime) << "\n"
        << "Stop time:       " << DvxDateTimeToText(r.StopTime) << "\n"
        << "Sample interval: " << (r.HasTimeStamps ? "time stamps" : r.Time->GetSampleIntervalText()) << "\n"
        << "Record count:    " << r.RecordCount << "\n"
        << "Min/max values:  " << (r.HasMinMaxValues ? "yes" : "no") << "\n"
        << "States:          " << (r.HasStates ? "yes" : "no") << "\n"
        << "Time stamps:     " << (r.HasTimeStamps ? (r.HasSubTimes ? "yes, with sub-times" : "yes") : "no") << "\n"
        << "Remarks:         " << r.Remarks.size() << "\n";
    for (std::size_t i = 0; i < r.Remarks.size(); ++i) {
        const TRemarkData& m = r.Remarks[i];
        std::string comment;
        for (const char c : m.Comment)
            comment += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        out << "  " << i << ": id " << m.RemarkId << (m.Visible ? "" : ", hidden") << ", X axis " << m.XAxisIndex
            << ", position " << m.XPosition << "," << m.YPosition << ", size " << m.FontSize << ", colour "
            << m.FontColor << (m.IsBold ? ", bold" : "") << (m.IsItalic ? ", italic" : "")
            << (m.IsUnderlined ? ", underlined" : "");
        if (m.IsAnchored)
            out << ", anchored to channel " << m.AnchorChannel << " sample " << m.AnchorIndex;
        out << ", width " << m.BoxWidth << ": \"" << comment << "\"\n";
    }
    out << "Snapshots:       " << r.SnapshotCamera.Count() << "\n";
    if (!r.Comment.empty())
        out << "Comment:         " << r.Comment << "\n";
    out << "Channels:        " << r.ChannelCount << "\n";
    for (int i = 0; i < r.ChannelCount; ++i) {
        const TRecordingSensorWrapper& c = r.Channel(i);
        out << "  " << i << ": " << c.GetLongName();
        if (!c.MeasureUnit.empty())
            out << " " << c.GetUnitText();
        out << ", " << c.Decimals << " decimals, " << (c.Has32BitSize ? "32" : "16") << " bit, range "
            << RawToText(c.DeviceLoRange, c.Decimals) << " .. " << RawToText(c.DeviceHiRange, c.Decimals) << "\n";
    }
}

int Run(TArgs& args)
{
    const bool json = args.Flag("--json");
    const bool values = args.Flag("--values");
    args.CheckAllUsed(1);
    const std::string file = args.Positional(0, "FILE");
    // The command's texts use the ISO forms whatever the user's locale.
    SetDvxFormatSettings(TDvxFormatSettings::Iso());
    TRecording r;
    LoadRecordingFile(file, r);
    if (json) {
        std::cout << RecordingJson(r, values).dump(2) << "\n";
    } else {
        PrintSummary(r, std::cout);
        if (values) {
            for (std::int32_t k = 0; k < r.RecordCount; ++k) {
                std::cout << r.Time->IndexToText(k);
                for (int i = 0; i < r.ChannelCount; ++i)
                    std::cout << "\t" << r.Channel(i).GetValueText(k);
                std::cout << "\n";
            }
        }
    }
    for (const auto& w : r.LoadWarnings)
        std::cerr << w << "\n";
    return 0;
}

} // namespace

int VerbInfo(TArgs& args) { return Run(args); }

} // namespace vro::cli
