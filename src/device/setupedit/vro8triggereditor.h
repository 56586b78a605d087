// TVro8TriggerEditor: the trigger block's editor without a window. The main
// view shows the events' boxes and summaries and the combination with its
// drawing; a box click writes the block at once. The event view edits one
// event with the panel of its source; values and limits are shown with the
// decimals of the channel the recorder's channel list holds for the chosen
// input and sub-channel (0 without one), and a change of channel keeps the
// raw values. The start-recording page opens the editor on its start or stop
// trigger.
#pragma once

#include "device/setupedit/vro8editcommon.h"

#include <string>
#include <vector>

namespace vro {

class TVro8Setup;

// The combination drawing: black-framed "&" boxes and black lines on light
// grey (0xE0E0E0), in pixels from the paint area's top left.
struct TVro8TriggerDrawing {
    struct TBox {
        int X, Y, W, H;
    };
    struct TLine {
        int X1, Y1, X2, Y2;
    };
    std::vector<TBox> Boxes;
    std::vector<TLine> Lines;
};
TVro8TriggerDrawing Vro8TriggerDrawing(int combination);

class TVro8TriggerEditor {
public:
    static constexpr int TextBase = 908;
    // The latest date the recorder's clock holds: 2068-01-19 03:14:07.
    static double LatestStart();

    explicit TVro8TriggerEditor(TVro8Setup& setup) : setup_(setup) {}

    // ---- main view ----
    // Smart flags and the trigger block read (with readChannels also the
    // recorder's channel list, for an editor opened on its own).
    void Open(bool readChannels);
    // Events the layout has (2 on layout 5) and the main view from the block.
    int EventCount() const;
    void Load();
    std::vector<bool> Active; // x19xTrigger1CheckBox .. x22xTrigger4CheckBox
    std::vector<std::string> Summaries;
    TVro8Choice Combination; // x7x11xCommonTriggerComboBox (two entries on layout 5)
    // A box click: stored, written, the block read again.
    void SetActive(int event, bool on);
    // Main OK: boxes and combination into the block and written.
    void Ok();
    // Cancel: the block read again (errors ignored); from the event view back
    // to the main view (true), else the editor closes (false).
    bool Cancel();

    // ---- event view ----
    void OpenEvent(int event);
    // The start-recording page's start (0) or stop (1) trigger: events 1 and
    // 2 on, 3 and 4 off, no combination, and the event view of that event.
    void OpenForStart(int event);
    bool ForStart() const { return forStart_; }
    bool InEvent() const { return event_ >= 0; }
    int Event() const { return event_; }
    // The rows of the chosen source below the source list (object names).
    std::vector<std::string> EventRows() const;
    // The channel or sub-channel of the value (window: second) lists changed:
    // the raw values stay, shown with the new channel's decimals.
    void ChannelChanged(bool window);
    // Whether the sub-channel row shows for the chosen input.
    bool SubChannelShown(bool window) const;
    int ValueDecimals(bool window) const;
    // Checks the source's fields; then stores the event and writes the block.
    // A failed write is a failure with an empty message (stay, say nothing).
    // On success the block is read again and the main view returns (the
    // start-recording use closes: Closed() turns true).
    TVro8EditResult EventOk();
    bool Closed() const { return closed_; }

    std::string Heading;      // "Event 1"
    TVro8Choice Source;       // x13x17xSourceComboBox
    TVro8Choice Input;        // InputComboBox ("Trigger input I", "J"; hidden on layout 5)
    TVro8Choice Edge;         // EdgeComboBox
    TVro8Choice ValueSensor;  // ValueSensorComboBox
    TVro8Choice ValueSub;     // ValueSubChannelComboBox
    std::string Value;        // ValueEdit
    TVro8Choice Direction;    // DirectionComboBox
    TVro8Choice WindowSensor; // WindowSensorComboBox
    TVro8Choice WindowSub;    // WindowSubChannelComboBox
    std::string LoLimit;      // LoLimitEdit
    std::string HiLimit;      // HiLimitEdit
    std::string Count;        // CountEdit
    TVro8Choice Distance;     // DistanceComboBox
    TVro8Choice StartMode;    // StartModeComboBox
    std::string StartDate;    // StartDateEdit
    std::string StartTime;    // StartTimeEdit

private:
    std::vector<std::string> ChannelEntries() const;
    int DecimalsOf(int sensor, int subChannel) const;
    TVro8Setup& setup_;
    int event_ = -1;
    bool forStart_ = false;
    bool closed_ = false;
    int valueDecimals_ = 0, windowDecimals_ = 0;
};

} // namespace vro
