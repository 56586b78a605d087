// Text import from arbitrary bytes. The first byte picks the dialog's
// separation and time choice and the command-line overrides; the rest is
// the file. Every failure must be the import's own error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/construct/construct.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    using namespace vro::textimport;
    const std::uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    TTextImportOverrides o;
    if (mode & 0x40)
        o.HeaderLine = (mode >> 4) & 3;
    if (mode & 0x80)
        o.TimeColumn = (mode >> 2) & 3;
    try {
        TTextFileHandler h;
        h.Load("fuzz.txt", std::move(text), o);
        auto choice = TTextFileSettings::FromAnalysis(h.Settings());
        switch (mode & 3) {
        case 1: choice.Separation = TColumnSeparation::FixedWidth; break;
        case 2: choice.Time = TTimeInterpretation::DateTime; break;
        case 3:
            choice.Time = TTimeInterpretation::AddTime;
            choice.IntervalText = "0.25";
            break;
        default: break;
        }
        h.Import(choice);
        vro::TRecording r;
        vro::FillFromTextFile(r, h);
        if (vro::CheckTimeStamps(r) != 0)
            vro::RepairTimeStamps(r);
    } catch (const ETextImport&) {
    }
    return 0;
}
