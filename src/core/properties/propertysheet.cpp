#include "core/properties/propertysheet.h"

#include <cstdio>

#include "core/text/texts.h"
#include "core/values/vro8utils.h"

namespace vro {

namespace {

std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

class TSheetBuilder {
public:
    void Heading(const std::string& text)
    {
        y_ += kSheetHeadingGap;
        sheet_.Entries.push_back({true, text, {}, y_});
        y_ += kSheetHeadingStep;
    }
    void Row(const std::string& label, const std::string& value)
    {
        sheet_.Entries.push_back({false, label, value, y_});
        y_ += kSheetRowStep;
    }
    TPropertySheet Done()
    {
        sheet_.Height = y_;
        return std::move(sheet_);
    }

private:
    TPropertySheet sheet_;
    int y_ = kSheetTop;
};

} // namespace

std::string RecordingTypeName(int type)
{
    switch (type) {
    case 0: return text(293);
    case 1: return text(294);
    case 2: return text(295);
    case 3: return text(307);
    default: return {};
    }
}

std::string TriggerEventText(std::int32_t triggerState)
{
    std::string out;
    for (int n = 1; n <= 8; ++n)
        if ((triggerState >> (n - 1)) & 1)
            out += (out.empty() ? "" : ", ") + text(304) + std::to_string(n);
    return out.empty() ? "-" : out;
}

std::string FixedSheetDateTime(double dateTime)
{
    const TDvxDateParts p = DecodeDvxDateTime(dateTime);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d   %02d:%02d:%02d", p.Day, p.Month, p.Year, p.Hour, p.Minute,
                  p.Second);
    return buf;
}

std::string TriggerTimeText(double triggerTime)
{
    return triggerTime == StampToDateTime(4294967295u) ? "-" : FixedSheetDateTime(triggerTime);
}

TInfoLine SplitInfoLine(const std::string& line)
{
    if (!line.empty() && line.front() == '@')
        return {true, line.substr(1), {}};
    const auto first = line.find('|');
    if (first == std::string::npos)
        return {false, Trim(line), {}};
    const auto second = line.find('|', first + 1);
    return {false, Trim(line.substr(0, first)),
            Trim(line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1))};
}

std::string ShortestDecimalText(std::int32_t raw, int decimals, const TDvxFormatSettings& fs)
{
    const int d = DecimalsValid(decimals) ? decimals : 0;
    const std::int64_t v = raw;
    const std::int64_t a = v < 0 ? -v : v;
    const std::int64_t factor = Vro8Factor[d];
    std::string out = (v < 0 ? "-" : "") + std::to_string(a / factor);
    std::string frac = std::to_string(a % factor + factor).substr(1); // d digits with leading zeros
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty())
        out += fs.DecimalSeparator + frac;
    return out;
}

std::optional<std::string> MeasurementRangeText(const TRecordingSensorWrapper& c, const TDvxFormatSettings& fs)
{
    if (c.DeviceLoRange == NoValue || c.DeviceHiRange == NoValue)
        return std::nullopt;
    return ShortestDecimalText(c.DeviceLoRange, c.Decimals, fs) + " .. " +
           ShortestDecimalText(c.DeviceHiRange, c.Decimals, fs) + " " + c.MeasureUnit;
}

TPropertySheet BuildPropertySheet(const TRecording& r, const TDvxFormatSettings& fs)
{
    TSheetBuilder s;
    s.Heading(text(292));
    if (!r.SensorId.empty())
        s.Row(text(308), r.SensorId);
    s.Row(text(296), RecordingTypeName(r.RecordingType));
    if (!r.HasStates && r.Time && !r.Time->TimeUnit.empty()) {
        s.Row(text(302), r.Time->GetSampleIntervalText());
        s.Row(text(305), r.Time->GetDurationText() + " " + r.Time->TimeUnit);
    }
    s.Row(text(297), std::to_string(r.ChannelCount));
    s.Row(text(298), std::to_string(r.RecordCount));
    if (r.StartTime > 0)
        s.Row(text(299), DvxDateTimeToText(r.StartTime, fs));
    if (r.RecordingType == 1)
        s.Row(text(306), TriggerTimeText(r.TriggerTime));
    // A text import never sets a stop time: no row rather than the zero date.
    if (r.RecordingType != 3 && r.StopTime > 0)
        s.Row(text(300), FixedSheetDateTime(r.StopTime));
    if (r.RecordingType == 1)
        s.Row(text(303) + " ", TriggerEventText(r.TriggerState));
    for (const std::string& line : r.InfoStrings) {
        const TInfoLine info = SplitInfoLine(line);
        if (info.Heading)
            s.Heading(info.Label);
        else
            s.Row(info.Label, info.Value);
    }
    for (int i = 0; i < r.ChannelCount; ++i) {
        const auto& c = r.Channel(i);
        s.Heading(c.GetLongName());
        if (auto range = MeasurementRangeText(c, fs))
            s.Row(text(301), *range);
    }
    return s.Done();
}

} // namespace vro
