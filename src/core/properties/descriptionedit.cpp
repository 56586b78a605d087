#include "core/properties/descriptionedit.h"

namespace vro {

std::string RecordingTextToControl(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

std::string ControlTextToRecording(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

bool CommitDescription(TRecording& r, const std::string& designation, const std::string& comment)
{
    // Compared in the control's form: a text read with bare line feeds stays
    // as it is while unedited.
    bool changed = false;
    if (designation != RecordingTextToControl(r.Description)) {
        r.Description = ControlTextToRecording(designation);
        changed = true;
    }
    if (comment != RecordingTextToControl(r.Comment)) {
        r.Comment = ControlTextToRecording(comment);
        changed = true;
    }
    if (changed)
        r.Saved = false;
    return changed;
}

} // namespace vro
