// Legacy recording files from arbitrary bytes: the reader must either fail
// with its own error or deliver data that fills a recording.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/construct/construct.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const auto legacy = vro::TLegacyRecording::Read(bytes);
        vro::TRecording r;
        vro::FillFromLegacy(r, legacy);
        if (vro::CheckTimeStamps(r) != 0)
            vro::RepairTimeStamps(r);
    } catch (const vro::ECorruptedFile&) {
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
