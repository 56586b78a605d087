// The port table: which device path stands behind a port number (COM n is
// index n - 1, n from 1 to 99). Numbers are stable across runs because they
// follow the kernel's device names:
//   /dev/ttyS<k>   -> index k       (k < 32, only UARTs that really exist), RS-232
//   /dev/ttyUSB<k> -> index 32 + k  (k < 32), USB
//   /dev/ttyACM<k> -> index 64 + k  (k < 30), USB
// Explicit assignments (Assign, or the environment variable VRO_PORTS as
// "COM5=/dev/pts/3,COM90=/tmp/vro-sim") override the scan; they are how a
// pseudo-terminal or a symlink gets a port number. The table is process-wide
// and guarded by a mutex.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vro {

enum class EPortKind { Rs232, Usb, Explicit };

struct TPortEntry {
    std::int32_t index = 0; // COM number - 1
    std::string path;
    EPortKind kind = EPortKind::Rs232;
    std::string driver; // kernel driver name when known (cp210x, ftdi_sio, ...)
};

class TDvxPortTable {
public:
    static constexpr std::int32_t kMaxIndex = 98; // COM99

    static TDvxPortTable& Global();

    // The device path for an index: an explicit assignment, else the scan's name.
    std::optional<std::string> PathOf(std::int32_t index);
    // The index a path is known under (explicit assignments first), if any.
    std::optional<std::int32_t> IndexOf(const std::string& path);
    // Gives a path a port number; an empty path removes the assignment.
    // Raises std::invalid_argument for an index outside 0..98.
    void Assign(std::int32_t index, const std::string& path);
    // Assigns the path to the first free index from 89 (COM90) on; returns it.
    std::int32_t AssignFree(const std::string& path);
    // Every port that exists now, ordered by index.
    std::vector<TPortEntry> Scan();
    // Reads VRO_PORTS again (done once on first use).
    void LoadEnvironment();

    // The canonical name the scan gives an index (/dev/ttyS3, /dev/ttyUSB0, ...).
    static std::optional<std::string> ScanName(std::int32_t index);
    // Parses "COM5=/dev/pts/3,COM90=/x" into (index, path) pairs; raises
    // std::invalid_argument with the faulty item.
    static std::vector<std::pair<std::int32_t, std::string>> ParseAssignments(const std::string& text);

private:
    TDvxPortTable() = default;
};

} // namespace vro
