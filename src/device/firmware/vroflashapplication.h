// TVroFlashApplication: one firmware update's images and the steps that move
// them to and from the recorder through TVro8FlashAreas (S 110..R 115).
//
// It owns the four images of one update, the file image and the read-back
// image of each area; they live as long as the object, which the update
// wizard creates for each opening, so nothing of an earlier update can be
// written under a later one's name. An area's file image exists only after
// LoadHex succeeded for it; a failed LoadHex leaves that area without one.
//
// Progress: the caller sets the connector's OnProgress before Write and
// Verify; the multi-packet transfers report per mille for each area.
// Failures of the connector pass through (EDvxV24Error); a write always
// either raises or has been acknowledged to its last byte, and Written()
// tells how many bytes of the area the recorder acknowledged either way.
//
// Threads: the caller's; every operation blocks it.
#pragma once

#include "core/firmware/vro8hexconverter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vro {

class TVro8FlashAreas;

class TVroFlashApplication {
public:
    explicit TVroFlashApplication(TVro8FlashAreas& flash) : flash_(flash) {}

    // The area selector: 0 or 1 (other values select area 1).
    void SelectArea(int area) { area_ = area == 0 ? 0 : 1; }
    int Area() const { return area_; }

    // Builds the selected area's file image from Intel HEX lines, then waits
    // waitMs (the recorder needs the pause before it is asked again). On
    // EReConvert the area has no file image.
    void LoadHex(const std::vector<std::string>& lines, std::uint32_t waitMs = 2000);
    // Sends the selected area's file image; raises when it has none.
    void Write();
    // Reads the selected area into its read-back image (0xFF where nothing
    // came); true when the whole area was read.
    bool ReadBack();
    // R 112 / R 115: the recorder's version text of the selected area.
    std::string ReadVersion();
    // ReadBack and compare: area 0 equal in every byte, area 1 equal except
    // at offsets 20..23. False when the read-back was incomplete or the area
    // has no file image.
    bool Verify();

    bool HasFileImage(int area) const { return !file_[Index(area)].Image.empty(); }
    const TVro8HexImage& FileImage(int area) const { return file_[Index(area)]; }
    const std::vector<std::uint8_t>& ReadBackImage(int area) const { return readBack_[Index(area)]; }
    // Whether the last ReadBack of the area delivered the whole area.
    bool ReadBackComplete(int area) const { return readComplete_[Index(area)]; }
    std::string FileVersion(int area) const { return ImageVersionText(area, file_[Index(area)].Image); }
    const std::string& VersionAnswer() const { return versionAnswer_; }
    // Bytes of the area the recorder acknowledged in the last Write of it.
    std::int64_t Written(int area) const { return written_[Index(area)]; }
    void DiscardImages();

    // The comparison rule of Verify, on two images.
    static bool ImagesEqual(int area, const std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& readBack);

private:
    static std::size_t Index(int area) { return area == 0 ? 0 : 1; }

    TVro8FlashAreas& flash_;
    int area_ = 0;
    std::array<TVro8HexImage, 2> file_;
    std::array<std::vector<std::uint8_t>, 2> readBack_;
    std::array<std::int64_t, 2> written_{};
    std::array<bool, 2> readComplete_{};
    std::string versionAnswer_;
};

} // namespace vro
