// The editors of the three small blocks, without any window: base (automatic
// measurement units), display, recording. Each reads its block on Open and
// puts it into its choices; OK stores the choices, writes the block and says
// whether the editor may close. The form only shows the choices and their
// rows and passes the user's picks back through TVro8Choice::Select.
#pragma once

#include "device/setupedit/vro8editcommon.h"

#include <string>
#include <vector>

namespace vro {

class TVro8Setup;

class TVro8BaseEditor {
public:
    static constexpr int TextBase = 885;
    explicit TVro8BaseEditor(TVro8Setup& setup) : setup_(setup) {}

    // Reads the base block ("Update" does the same) and loads the choices.
    void Open();
    void Refresh() { Open(); }
    // The choices from the block as the setup holds it.
    void Load();
    // Stores the three choices and writes the block.
    void Ok();

    TVro8Choice PreassureUnit;   // x6x9xPressureUnitComboBox
    TVro8Choice TemperatureUnit; // x10x13xTemperatureUnitComboBox
    TVro8Choice FlowUnit;        // x14x16xFlowUnitComboBox

private:
    TVro8Setup& setup_;
};

class TVro8DisplayEditor {
public:
    static constexpr int TextBase = 863;
    explicit TVro8DisplayEditor(TVro8Setup& setup) : setup_(setup) {}

    void Open();
    void Refresh() { Open(); }
    void Load();
    void Ok();

    TVro8Choice Filter; // x8x11xFilterComboBox
    TVro8Choice Kind;   // x14x19xKindComboBox
    TVro8Choice Bar;    // x12x13xBarComboBox
    TVro8Choice MinMax; // x20x21xMinMaxComboBox

private:
    TVro8Setup& setup_;
};

class TVro8RecordingEditor {
public:
    static constexpr int TextBase = 801;
    explicit TVro8RecordingEditor(TVro8Setup& setup) : setup_(setup) {}

    void Open();
    void Load();
    // The rows the type shows below name and type, top to bottom (object
    // names of their lists): simple curve: sample rate, duration, mode;
    // with trigger: sample rate, duration, trigger position; event log: none;
    // start-stop (and a type without an entry): sample rate, duration.
    std::vector<std::string> Rows() const;
    // A blank name is refused with text 746 on RecordingNameEdit (nothing is
    // written); otherwise the fields go into the block and it is written.
    TVro8EditResult Ok();
    // Reads the block again, discarding the edits.
    void Cancel();

    std::string RecordingName;   // RecordingNameEdit
    TVro8Choice RecordingType;   // x25x27xRecordingTypeComboBox (+ 849 on layout 3 and up)
    TVro8Choice SampleRate;      // x7x24xSampleRateComboBox
    TVro8Choice Duration;        // x28x43xDurationComboBox
    TVro8Choice SimpleCurvMode;  // x44x45xSimpleCurveModeComboBox
    TVro8Choice TriggerPosition; // x50x60xTriggerPositionComboBox

private:
    TVro8Setup& setup_;
};

} // namespace vro
