#include "device/window/vro8setupsummary.h"

#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/setup/vro8setup.h"

namespace vro {

namespace {

// A description's CR LF (or lone LF) pairs become separate lines.
void AddLines(std::vector<std::string>& out, const std::string& description)
{
    std::string line;
    for (std::size_t i = 0; i < description.size(); ++i) {
        const char c = description[i];
        if (c == '\r' && i + 1 < description.size() && description[i + 1] == '\n')
            continue;
        if (c == '\n' || c == '\r') {
            out.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    out.push_back(line);
}

std::vector<std::string> Lines(const std::string& description)
{
    std::vector<std::string> out;
    AddLines(out, description);
    out.emplace_back();
    return out;
}

} // namespace

TVro8SetupSummary SetupSummary(const TVro8Setup& setup, const TVro8SubChannelText& subChannelText)
{
    TVro8SetupSummary s;
    const int layout = setup.ComVersion();
    const int sensors = layout == 5 ? 5 : TVro8SensorSetup::kRecords;
    for (int i = 0; i < sensors; ++i) {
        s.SensorSetup.push_back(text(732 + i) + ": " + setup.SensorDescription(i));
        const int subs = subChannelText ? setup.Data.Sensors.SmartFlag(i) : 0;
        for (int j = 0; j < subs; ++j)
            s.SensorSetup.push_back(FormatMessage(text(1027), {std::to_string(j + 1)}) + ": " + subChannelText(i, j));
    }
    s.SensorSetup.emplace_back();

    const int events = layout == 5 ? 2 : TVro8TriggerSetup::kEvents;
    for (int i = 0; i < events; ++i)
        s.TriggerSetup.push_back(FormatMessage(text(911), {std::to_string(i + 1)}) + ": " +
                                 setup.TriggerDescription(i));
    s.TriggerSetup.emplace_back();
    const std::uint32_t combination = setup.Data.Triggers.Combination();
    s.TriggerSetup.push_back(
        text(782) + ": " +
        (combination <= 4 ? text(783 + static_cast<int>(combination)) : std::to_string(combination)));
    s.TriggerSetup.emplace_back();

    s.RecordingSetup = Lines(setup.RecordingDescription());
    s.BaseSetup = Lines(setup.BaseDescription());
    s.DisplaySetup = Lines(setup.DisplayDescription());
    s.HasCan = layout == 4;
    if (s.HasCan) {
        for (int i = 0; i < 32; ++i)
            s.CanSetup.push_back(FormatMessage(text(1077), {std::to_string(i + 1)}) + ": " +
                                 setup.CanMessageDescription(i, false));
        s.CanSetup.emplace_back();
    }
    return s;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += '\n';
        out += lines[i];
    }
    return out;
}

} // namespace vro
