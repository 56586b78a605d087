// The current values as the current-values page and the large display show
// them: a table over TVro8Measurement (header and one row per channel, Min
// and Max columns exactly when the recorder supplies them) and the page's
// update step (a requested reset first, then R 12). No window system: the
// forms only put the rows on the screen, and `vro device values --table`
// prints the same rows.
//
// Errors of the link pass through Open and Update unchanged; the caller
// reports them and latches the device error.
#pragma once

#include <string>
#include <vector>

namespace vro {

class TVro8Measurement;

// One channel's texts; Min and Max are "---" when the recorder gives no value.
struct TChannelValueText {
    std::string Name, Unit, Value, Min, Max;
};

struct TCurrentValuesTable {
    int ColumnCount = 3;
    bool ShowMin = false, ShowMax = false;
    bool ResetVisible = false; // exactly when Min or Max is shown
    // Rows[0] is the header; with no channel one row of "---".
    std::vector<std::vector<std::string>> Rows;
    std::vector<TChannelValueText> Channels;
};

// The texts of every channel of the latest R 12 answer.
std::vector<TChannelValueText> ChannelValueTexts(const TVro8Measurement& m);
TCurrentValuesTable BuildCurrentValuesTable(const TVro8Measurement& m);

// The page's logic: Open reads the channel list and updates once; Update
// resets the min/max values when asked to (S 13) and reads the values.
class TCurrentValues {
public:
    explicit TCurrentValues(TVro8Measurement& m) : m_(m) {}
    const TCurrentValuesTable& Open();
    const TCurrentValuesTable& Update();
    void RequestReset() { resetRequested_ = true; }
    bool ResetRequested() const { return resetRequested_; }
    const TCurrentValuesTable& Table() const { return table_; }
    TVro8Measurement& Measurement() { return m_; }

private:
    TVro8Measurement& m_;
    bool resetRequested_ = false;
    TCurrentValuesTable table_;
};

} // namespace vro
