// The facts of a recording as plain text lines, shown in the main window's
// right-hand pane while the graphic pane is not built: type, sampling, sizes,
// times, the information lines and each channel's measurement range.
#pragma once

#include <QString>

namespace vro {
class TRecording;
}

namespace vro::app {

QString RecordingPropertiesText(const vro::TRecording& recording);

} // namespace vro::app
