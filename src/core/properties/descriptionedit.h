// The description pane's rule for its two texts: the controls edit copies,
// and only Commit changes the recording, text by text and only where the
// copy differs, so showing and hiding the pane never marks an untouched
// recording as changed. Texts are compared and stored in the recording's own
// form (lines ended by carriage return and line feed); a multi-line control
// shows them with plain line feeds.
#pragma once

#include <string>

#include "core/recording/recording.h"

namespace vro {

// "a\r\nb" as a control shows it ("a\nb"), and back.
std::string RecordingTextToControl(const std::string& text);
std::string ControlTextToRecording(const std::string& text);

// Stores the edited designation and comment (in control form) into `r`;
// Saved becomes false only when a text really changed. Returns whether
// anything changed.
bool CommitDescription(TRecording& r, const std::string& designation, const std::string& comment);

} // namespace vro
