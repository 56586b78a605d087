// Firmware update files (".vxupd") and the Intel HEX texts inside them.
//
// An update file is a text: "VXUPD=" and a two-character hardware code, then
// "=" and the encoded HEX text of area 0, "=" and the encoded HEX text of
// area 1, and as its last line the MD5 of everything before that line. In
// the encoded texts "T" stands for ":", "I" for carriage return and "J" for
// line feed, so each area is one long line of letters and digits.
//
// TVro8000HexConverter::Split checks and splits such a text; LoadHexImage
// turns one area's HEX lines into a full-size memory image. Both are pure
// functions of their input: they never read outside the text or a line, and
// every refusal is an EReConvert whose message is the system's "Error" and
// whose Reason() says what failed (area, HEX line number), for the command
// line. DecodeUpdateFile runs the whole chain (the file's bytes to two
// images) without a recorder; MakeUpdateFileText and MakeSampleHex write
// such files.
//
// Area 0 is 0x7A00 bytes, filled from HEX addresses 0x8000..0xF9FF; area 1
// is 0x3E000 bytes from addresses 0..0x3DFFF. Addresses are computed
// unsigned in 64 bits and every data byte is tested against the window on
// its own, so no record can write outside the image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vro {

class EReConvert : public std::runtime_error {
public:
    explicit EReConvert(std::string reason) : std::runtime_error("Error"), reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

constexpr std::size_t kVro8Area0Size = 0x7A00;
constexpr std::size_t kVro8Area1Size = 0x3E000;
constexpr std::size_t Vro8AreaSize(int area) { return area == 0 ? kVro8Area0Size : kVro8Area1Size; }

// The file's bytes broken into lines at CR LF, CR or LF and joined again
// with CR LF after every line: a file with LF line ends, or without a final
// line break, reads the same as one written with CR LF.
std::string JoinUpdateFileLines(std::string_view bytes);

// Splits a text at CR LF, CR or LF (a final line break adds no empty line).
std::vector<std::string> SplitTextLines(std::string_view text);

class TVro8000HexConverter {
public:
    // Checks and splits an update file's joined text. Both lists are emptied
    // first. Returns false, with nothing split, when the hardware code (the
    // two characters after the first "=") is not "01", "02" or "04"; the code
    // found is still given back. Raises EReConvert when the text has no
    // hardware code, when the MD5 line is missing or does not match, and
    // when the body lacks the two "=" that open the area texts.
    static bool Split(std::string_view text, std::vector<std::string>& area0Lines, std::string& hardwareCode,
                      std::vector<std::string>& area1Lines);
};

// One area's image built from HEX lines, with what was stored and dropped.
struct TVro8HexImage {
    std::vector<std::uint8_t> Image; // full size, 0xFF where no data record wrote
    std::size_t StoredBytes = 0;     // data bytes that landed in the image
    std::size_t DroppedBytes = 0;    // data bytes outside the window or at 0x40000 and above
};

// Intel HEX (records 00, 02, 03, 04, 05 and the end record ":00000001ff")
// into the area's image. Raises EReConvert on any malformed line, a line
// after the end record and a missing end record.
TVro8HexImage LoadHexImage(int area, const std::vector<std::string>& lines);

// The version text inside an image: area 1 at 0x3BF00; area 0 at 0x79C0 when
// the 14 characters there begin with "VRO8K-S ", else at 0x7980. At most 14
// characters, ending at the first 0 byte or erased (0xFF) byte; Latin-1 as
// UTF-8. Empty when the image is too short.
std::string ImageVersionText(int area, const std::vector<std::uint8_t>& image);

// Whether a recorder of this hardware variant takes files of this code:
// 0 takes "01" and "03", 1 "02", 2 "03", 3 "04", any other none.
bool HardwareCodeAccepted(int hardwareVariant, std::string_view code);
// The variants 0..3 that take the code.
std::vector<int> VariantsAccepting(std::string_view code);

// A whole update file decoded and checked without a recorder.
struct TVro8UpdateFile {
    std::string HardwareCode;
    std::string Checksum; // the MD5 line
    bool SplitDone = false;
    std::array<TVro8HexImage, 2> Areas;
    std::string PathLabel() const; // area-1 version " / " area-0 version
};
// Raises EReConvert (with the reason) when the file would not load on any
// recorder: Split refusing the code, the MD5 line, a HEX line.
TVro8UpdateFile DecodeUpdateFile(std::string_view bytes);

// The update file for the code and the two HEX texts: "VXUPD=" code CR LF,
// "=", encoded area 0, "=", encoded area 1, CR LF, the MD5 of everything
// before it, CR LF. Each HEX line is trimmed and ended with CR LF before
// encoding.
std::string MakeUpdateFileText(std::string_view code, std::string_view area0Hex, std::string_view area1Hex);

// Intel HEX of a full-size image: 16-byte data records, a type-04 record
// wherever the upper 16 address bits change, and the end record. Area 0's
// records start at 0x8000.
std::string ImageToHex(int area, const std::vector<std::uint8_t>& image);

// A full-size image of pseudo-random bytes from a fixed seed, carrying the
// version text at its place (area 0 at 0x79C0, zero-padded to 14 bytes).
std::vector<std::uint8_t> MakeSampleImage(int area, std::string_view version, std::uint32_t seed);

} // namespace vro
