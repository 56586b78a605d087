// The six block summaries of the setup editor page as lines of text: the
// page shows them under the block titles, `vro setup summary` prints them.
// Each summary ends with an empty line. Descriptions come from the setup
// model; their CR LF pairs become separate lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vro {

class TVro8Setup;

struct TVro8SetupSummary {
    std::vector<std::string> SensorSetup;
    std::vector<std::string> TriggerSetup;
    std::vector<std::string> RecordingSetup;
    std::vector<std::string> BaseSetup;
    std::vector<std::string> DisplaySetup;
    // Layout 4 only (the model reads the CAN block only there).
    std::vector<std::string> CanSetup;
    bool HasCan = false;
};

// The sub-channel description of a smart input (R 51 on a recorder); empty
// when there is no recorder: then no sub-channel lines are made.
using TVro8SubChannelText = std::function<std::string(int input, int subChannel)>;

TVro8SetupSummary SetupSummary(const TVro8Setup& setup, const TVro8SubChannelText& subChannelText = {});

// The lines joined with "\n".
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace vro
