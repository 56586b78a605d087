// TDvxConnection: the program's one owner of the connector and of the user's
// connection choices: port, baud rate, automatic connection and the way the
// port list is built. It keeps them in the configuration section
// "ConnectionSettings", builds the port list in three modes from the
// system's serial devices (the port table), tests a chosen port and searches
// every port and baud rate for a recorder.
//
// Ports are numbered COM1..COM99 (index 0..98) by the port table. The
// configuration stores the index and, beside it, the device path, so a port
// keeps its identity when others appear or vanish; a device path typed by
// the user or given on the command line (a pseudo-terminal of `vro simulate`)
// is accepted and gets a port number of its own.
//
// Threads: the user-interface thread only, like the connector it owns. The
// device search blocks the caller; it reports every step to a callback that
// may keep the window alive and may stop the search.
#pragma once

#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vro {

class TIniList;

// The baud rates offered, in list order, and the order the search tries them.
inline constexpr std::array<std::int32_t, 6> kDvxOfferedBaudRates = {9600, 19200, 38400, 57600, 115200, 460800};
inline constexpr std::array<std::int32_t, 6> kDvxSearchBaudRates = {460800, 115200, 57600, 38400, 19200, 9600};

// Where the port list comes from. The system source asks the port table and
// the serial port's checks; tests give a table of their own.
class TDvxPortSource {
public:
    virtual ~TDvxPortSource() = default;
    // The ports of known kinds that exist now, ordered by index.
    virtual std::vector<TPortEntry> Scan() = 0;
    virtual bool Exists(std::int32_t index) = 0;
    virtual bool Available(std::int32_t index) = 0;
    virtual std::optional<std::string> PathOf(std::int32_t index) = 0;
};

class TDvxSystemPortSource : public TDvxPortSource {
public:
    std::vector<TPortEntry> Scan() override;
    bool Exists(std::int32_t index) override;
    bool Available(std::int32_t index) override;
    std::optional<std::string> PathOf(std::int32_t index) override;
};

// One line of the port list.
struct TDvxPortListEntry {
    std::string Text;            // "COM33: (USB) /dev/ttyUSB0", "COM1:(assigned) /dev/ttyS0"
    std::int32_t PortIndex = -1; // -1: listed but marked assigned (mode 1)
    std::int32_t Weight = 0;     // search weight (mode 0): 1 USB and others, 2 RS-232
};

struct TDvxPortList {
    std::vector<TDvxPortListEntry> Entries;
    std::int32_t SearchWeight = 0;
};

// The port index an entry text names: the one or two digits after "COM",
// minus 1; -1 when the text names none.
std::int32_t PortIndexFromEntryText(std::string_view text);

// A recorder found by the search.
struct TDvxSearchResult {
    std::int32_t PortIndex = 0;
    std::int32_t Baudrate = 0;
    std::string IdentText;
    std::string Path; // device path of the port, when known
    std::string Line; // text 671 filled in
};

// One step of the search, for the progress display.
struct TDvxSearchStep {
    std::int32_t Position = 0;   // 0..100
    std::int32_t PortNumber = 0; // COM number
    std::int32_t Baudrate = 0;
    std::string Text; // text 663 filled in
};

struct TDvxSearchOutcome {
    bool NoPorts = false;   // the port list held nothing to search (text 670)
    bool Cancelled = false; // the progress callback stopped the search
    std::vector<TDvxSearchResult> Results;
};

// Fills a numbered text's printf-style fields (%d, %s, with optional flags
// and width) in order with the given values; "%%" gives "%". Fields beyond
// the values stay empty, so a text table can never make it read past them.
std::string FormatDvxText(std::string_view pattern, std::initializer_list<std::string> values);

// The value of "--port PATH" or "--port=PATH" among the arguments.
std::optional<std::string> PortFromArguments(int argc, const char* const* argv);

class TDvxConnection {
public:
    static constexpr std::uint32_t kSearchByteTimeout = 1000;

    // Without a port the connector uses the POSIX serial port; without a
    // port source the system's port table is asked.
    explicit TDvxConnection(std::unique_ptr<TDvxV24Port> port = nullptr, TDvxDispatcher dispatcher = {},
                            std::unique_ptr<TDvxPortSource> ports = nullptr);
    ~TDvxConnection();
    TDvxConnection(const TDvxConnection&) = delete;
    TDvxConnection& operator=(const TDvxConnection&) = delete;

    char BusAddress = '+'; // written to the configuration, never used by this program
    bool AutoConnect = false;
    std::int32_t PortScanMode = 0; // 0 known kinds, 1 existing ports, 2 COM1..COM99

    TDvxV24Connector& Connector() { return *connector_; }
    TDvxPortSource& Ports() { return *ports_; }

    void Open() { connector_->Open(); }
    void Close() { connector_->Close(); }
    bool IsOpen() const { return connector_->IsOpen(); }
    void ClearBuffers() { connector_->ClearBuffers(); }
    void Cancel() { connector_->Cancel(); }
    bool IsAsyncActive() const { return connector_->IsAsyncActive(); }
    void SetProgressHandler(std::function<void(int)> handler) { connector_->SetOnProgress(std::move(handler)); }

    std::int32_t Baudrate() const { return connector_->GetBaudrate(); }
    std::int32_t PortIndex() const { return connector_->GetPortIndex(); }
    // 0 (and any value below 1) becomes 9600; reopens an open port.
    void SetBaudrate(std::int32_t value);
    void SetPortIndex(std::int32_t value) { connector_->SetPortIndex(value); }
    // The device path behind the current port, empty when none is known.
    std::string PortPath();
    // Makes a device path the current port: the number the port table knows
    // it under, else the stored number when that is free, else a free number
    // from COM90 on. Raises std::invalid_argument when the path is not a
    // terminal device. Returns the index.
    std::int32_t SetPortPath(const std::string& path, std::optional<std::int32_t> preferredIndex = std::nullopt);

    // "COM%d: %d baud", followed by the device path in parentheses when known.
    std::string GetDescription();
    bool PortExists(std::int32_t index) { return ports_->Exists(index); }
    bool PortAvailable(std::int32_t index) { return ports_->Available(index); }

    // R 40 on the open port: the first 14 characters of the answer, up to
    // its first 0 byte. The connector's errors pass to the caller.
    std::string ReadIdentText();
    // The identification texts the search accepts ("VRO8K-M ", "VRO8000 ").
    static bool IdentAccepted(std::string_view ident);

    // The configuration section list; null: LoadSettings and SaveSettings
    // raise "ApplicationConfig doesn't exist".
    void SetConfig(TIniList* config) { config_ = config; }
    void LoadSettings();
    void SaveSettings();

    // The port list of a mode (0, 1, 2; others as 0). In mode 1 `probing`
    // is told the number of ports probed so far, at the first port, whenever
    // 100 ms have passed and at every number ending in 4.
    TDvxPortList BuildPortList(std::int32_t mode, const std::function<void(std::int32_t)>& probing = {});

    // OK of the port settings: takes the rate and port, keeps the mode and
    // opens and closes the port as a test. When the test fails the old rate
    // and port come back and the result is false. The port stays closed.
    bool ApplyPortSettings(std::int32_t baudrate, std::int32_t portIndex, std::int32_t scanMode);

    // The device search over the mode-0 list (PortScanMode becomes 0). Port
    // and baud rate are the same afterwards as before, and so is the byte
    // time-out; the port is left closed. `progress` returning false stops it.
    TDvxSearchOutcome SearchDevices(const std::function<bool(const TDvxSearchStep&)>& progress = {});
    // Per-byte time-out of an identification attempt (1000 ms).
    void SetSearchByteTimeout(std::uint32_t ms) { searchByteTimeout_ = ms; }

private:
    std::unique_ptr<TDvxPortSource> ports_;
    std::unique_ptr<TDvxV24Connector> connector_;
    TIniList* config_ = nullptr;
    std::uint32_t searchByteTimeout_ = kSearchByteTimeout;
};

} // namespace vro
