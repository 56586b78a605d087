// The logic of the file-name template dialog, without a screen: preset
// choice, composition of a free template, and the preview. The app's dialog
// shows these fields and forwards the user's actions; its result codes
// (Accept/Cancel) are what the recorder file managers receive.
//
// State: the chosen preset (0..3, or 4 for free input), the digit count for
// "Nr" (1..9), the template being edited, and a parser that gives the
// preview for the sample name, number and date-time the dialog was opened
// with. The dialog starts with preset 0 and digit count 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/template/filenameparser.h"

namespace vro {

class TFilenameInputLogic {
public:
    static constexpr int FreeInputIndex = 4;

    TFilenameInputLogic(std::string sampleName, std::int32_t sampleNumber, double sampleDateTime);

    // The five entries of the preset list (texts 1302..1306) and the digit
    // list "1".."9".
    static std::vector<std::string> PresetTexts();
    static std::vector<std::string> DigitTexts();

    // Presets 0..3 load their template with the digit count written in;
    // 4 ("free input") shows the free input group and keeps the template.
    void ChoosePreset(int index);
    // 1..9; with a preset 0..3 chosen its template is loaded again with the
    // new count. Other values change nothing.
    void ChooseDigits(int digits);

    // Free input: the edited template (re-parsed on every change), the four
    // links that append a placeholder, and the clear button.
    void SetTemplateText(std::string text);
    void AppendDate();
    void AppendTime();
    void AppendNumber();
    void AppendName();
    void Clear();

    int Preset() const { return preset_; }
    int Digits() const { return digits_; }
    bool FreeInputVisible() const { return preset_ == FreeInputIndex; }
    const std::string& TemplateText() const { return template_; }
    // The pattern of the current template and the file name it gives.
    const std::string& Pattern() const { return parser_.GetPattern(); }
    const std::string& Preview() const { return preview_; }

    // OK: the pattern, trimmed, goes into result; 0 when it is not empty,
    // else 2. Cancel empties result and gives 1.
    int Accept(std::string& result) const;
    static int Cancel(std::string& result);

private:
    void Renew();
    void AppendPart(const std::string& part);

    std::string sampleName_;
    std::int32_t sampleNumber_;
    double sampleDateTime_;
    int preset_ = 0;
    int digits_ = 1;
    std::string template_;
    std::string preview_;
    TFilenameParser parser_;
};

} // namespace vro
