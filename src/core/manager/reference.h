// The reference recording: the choices of section ReferenceSettings that say
// what applying a reference takes over, and the logic of the reference dialog
// (TReferenzForm). The recording manager's reference commands (MakeReference,
// ApplyReference, ApplyReferenceToAll) are defined in reference.cpp beside them.
#pragma once

#include <string>

namespace vro {

class TIniList;
class TRecordingManager;

// The choices of section ReferenceSettings that say what a reference applies.
struct TReferenceSettings {
    bool TimeSettings = false;
    bool AxisSettings = false;
    bool CustomName = false;
    bool FullRange = false;
    bool CurrentRange = false;
    bool ShowMeasurement = false;
    bool ColorAndLines = false;
    bool Comment = false;

    // applyDefaults: the defaults of applying (axis, names, ranges,
    // visibility, colours true); otherwise the dialog's (all false).
    static TReferenceSettings Read(const TIniList& list, bool applyDefaults);
    void Write(TIniList& list) const;
};

// The logic of the reference dialog (TReferenzForm): the stored reference
// file, the eight choices, the two automatic uses, and the links with their
// enable rules. The choices are read with the dialog's defaults.
class TReferenzForm {
public:
    TReferenzForm(TRecordingManager& manager, TIniList& config);

    const std::string& ReferenceFileName() const { return fileName_; }
    TReferenceSettings Settings;
    bool UseReferenceReceive = false;
    bool UseReferenceWhileOpening = false;

    bool CanMakeReference() const;
    bool CanApplyToCurrent() const;
    bool CanApplyToAll() const;

    // The links; each stores the choices first.
    void MakeCurrentReference();
    void ApplyToCurrent();
    void ApplyToAll();
    // OK: stores all keys and the file name.
    void Store();

private:
    TRecordingManager& manager_;
    TIniList& config_;
    std::string fileName_;
};

} // namespace vro
