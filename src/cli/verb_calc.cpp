// vro calc and vro filter: derived channels, as the formula and filter
// dialogs make them, added to a recording that is saved under a new name.
#include "cli/verb.h"
#include "core/construct/loadrecordingfile.h"

#include "core/calc/calcchannel.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"

#include <iostream>

namespace vro::cli {

namespace {

void Load(TRecording& r, const std::string& in, bool calculated)
{
    LoadRecordingFile(in, r);
    for (const auto& w : r.LoadWarnings)
        std::cerr << w << "\n";
    if (r.ChannelCount >= TRecording::MaxChannels)
        throw std::runtime_error(text(136));
    if (const int refusal = DerivedChannelRefusal(r, calculated))
        throw std::runtime_error(text(refusal));
}

void Save(TRecording& r, const std::string& out)
{
    r.FileName = out;
    r.NameConfirmed = true;
    r.SaveToFile();
}

int RunCalc(TArgs& args)
{
    const auto formula = args.Option("--formula");
    const auto name = args.Option("--name");
    const auto unit = args.Option("--unit").value_or("");
    const auto decimals = args.IntOption("--decimals", -1, -1, 8);
    args.CheckAllUsed(2);
    if (!formula)
        throw EUsage("missing --formula");
    TRecording r;
    Load(r, args.Positional(0, "IN.vxrf"), true);
    TCalcChannel calc(r);
    const TCalcResult res = calc.Calculate(*formula, decimals < 0 ? 0 : static_cast<int>(decimals), decimals < 0, unit);
    if (res.TextNumber != 0) {
        calc.Cancel();
        throw std::runtime_error(res.Message);
    }
    if (name)
        r.Channel(calc.ChannelIndex()).CustomName = *name;
    calc.Accept();
    Save(r, args.Positional(1, "OUT.vxrf"));
    std::cout << r.Channel(calc.ChannelIndex()).GetName() << ": " << res.Message << "\n";
    return 0;
}

int RunFilter(TArgs& args)
{
    const auto channel = args.IntOption("--channel", -1, 0, TRecording::MaxChannels - 1);
    const auto width = args.IntOption("--width", -1, 1, 1048576);
    args.CheckAllUsed(2);
    if (channel < 0 || width < 0)
        throw EUsage("--channel and --width are needed");
    TRecording r;
    Load(r, args.Positional(0, "IN"), false);
    if (channel >= r.ChannelCount)
        throw EUsage("--channel " + std::to_string(channel) + ": the recording has " + std::to_string(r.ChannelCount) +
                     " channels (0.." + std::to_string(r.ChannelCount - 1) + ")");
    TFilterChannel filter(r);
    filter.Apply(static_cast<int>(channel), static_cast<std::int32_t>(width));
    filter.Accept();
    Save(r, args.Positional(1, "OUT.vxrf"));
    std::cout << r.Channel(filter.ChannelIndex()).GetName() << "\n";
    return 0;
}

} // namespace

int VerbCalc(TArgs& args) { return RunCalc(args); }
int VerbFilter(TArgs& args) { return RunFilter(args); }

} // namespace vro::cli
