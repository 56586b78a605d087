#include "link/connection/dvxconnection.h"

#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/text/texts.h"
#include "link/dvxv24serialport.h"
#include "link/dvxv24ticks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace vro {

namespace {

constexpr std::int32_t kLastIndex = TDvxPortTable::kMaxIndex; // COM99

std::string ComText(std::int32_t index) { return "COM" + std::to_string(index + 1) + ":"; }

bool IsCharDevice(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Label and weight of a port in the list of known kinds. RS-232 ports carry
// "RS232" in their text, which keeps the search below 200000 baud on them.
struct TKindLabel {
    const char* label;
    std::int32_t weight;
};

TKindLabel LabelOf(const TPortEntry& e)
{
    switch (e.kind) {
    case EPortKind::Rs232: return {" (RS232) ", 2};
    case EPortKind::Usb: return {" (USB) ", 1};
    case EPortKind::Explicit: break;
    }
    // A device given by path: its kind follows from where it lives.
    if (StartsWith(e.path, "/dev/pts/"))
        return {" (PTY) ", 1};
    if (StartsWith(e.path, "/dev/ttyS"))
        return {" (RS232) ", 2};
    if (!e.driver.empty() || e.path.find("ttyUSB") != std::string::npos || e.path.find("ttyACM") != std::string::npos ||
        StartsWith(e.path, "/dev/serial/"))
        return {" (USB) ", 1};
    return {" (TTY) ", 1};
}

std::string WithPath(std::string text, const std::optional<std::string>& path)
{
    if (path && !path->empty()) {
        if (!text.empty() && text.back() != ' ')
            text += ' ';
        text += *path;
    }
    return text;
}

} // namespace

// ---- port source --------------------------------------------------------------

std::vector<TPortEntry> TDvxSystemPortSource::Scan() { return TDvxPortTable::Global().Scan(); }
bool TDvxSystemPortSource::Exists(std::int32_t index) { return TDvxV24SerialPort::PortExists(index); }
bool TDvxSystemPortSource::Available(std::int32_t index) { return TDvxV24SerialPort::PortAvailable(index); }
std::optional<std::string> TDvxSystemPortSource::PathOf(std::int32_t index)
{
    return TDvxPortTable::Global().PathOf(index);
}

// ---- helpers ------------------------------------------------------------------

std::int32_t PortIndexFromEntryText(std::string_view text)
{
    const std::size_t p = text.find("COM");
    if (p == std::string_view::npos || p + 3 >= text.size())
        return -1;
    std::size_t i = p + 3;
    if (text[i] < '0' || text[i] > '9')
        return -1;
    std::int32_t n = text[i] - '0';
    if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9')
        n = n * 10 + (text[i + 1] - '0');
    return n >= 1 ? n - 1 : -1;
}

std::string FormatDvxText(std::string_view pattern, std::initializer_list<std::string> values)
{
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Flags and width, then the conversion letter.
        std::size_t j = i + 1;
        bool left = false;
        while (j < pattern.size() &&
               (pattern[j] == '-' || pattern[j] == '0' || pattern[j] == ' ' || pattern[j] == '+')) {
            left = left || pattern[j] == '-';
            ++j;
        }
        std::size_t width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 1000)
            width = width * 10 + static_cast<std::size_t>(pattern[j++] - '0');
        if (j >= pattern.size() || (pattern[j] != 'd' && pattern[j] != 's')) {
            out += c; // not a field: kept as it stands
            continue;
        }
        std::string v = next != values.end() ? *next++ : std::string();
        if (v.size() < width)
            v = left ? v + std::string(width - v.size(), ' ') : std::string(width - v.size(), ' ') + v;
        out += v;
        i = j;
    }
    return out;
}

std::optional<std::string> PortFromArguments(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i] ? argv[i] : "";
        if (a == "--port" && i + 1 < argc && argv[i + 1])
            return std::string(argv[i + 1]);
        if (StartsWith(a, "--port="))
            return std::string(a.substr(7));
    }
    return std::nullopt;
}

// ---- connection -------------------------------------------------------------------

TDvxConnection::TDvxConnection(std::unique_ptr<TDvxV24Port> port, TDvxDispatcher dispatcher,
                               std::unique_ptr<TDvxPortSource> ports)
    : ports_(ports ? std::move(ports) : std::make_unique<TDvxSystemPortSource>()),
      connector_(std::make_unique<TDvxV24Connector>(std::move(port), std::move(dispatcher)))
{}

TDvxConnection::~TDvxConnection() = default;

void TDvxConnection::SetBaudrate(std::int32_t value) { connector_->SetBaudrate(value < 1 ? 9600 : value); }

std::string TDvxConnection::PortPath() { return ports_->PathOf(PortIndex()).value_or(std::string()); }

std::int32_t TDvxConnection::SetPortPath(const std::string& path, std::optional<std::int32_t> preferredIndex)
{
    if (path.empty() || !IsCharDevice(path))
        throw std::invalid_argument(path + ": not a serial device");
    TDvxPortTable& table = TDvxPortTable::Global();
    std::int32_t index = -1;
    if (auto known = table.IndexOf(path)) {
        index = *known;
    } else {
        // The stored number is taken over only when nothing else answers to it now.
        if (preferredIndex && *preferredIndex >= 0 && *preferredIndex <= kLastIndex) {
            auto current = table.PathOf(*preferredIndex);
            std::error_code ec;
            if (!current || !std::filesystem::exists(*current, ec)) {
                table.Assign(*preferredIndex, path);
                index = *preferredIndex;
            }
        }
        if (index < 0)
            index = table.AssignFree(path);
    }
    SetPortIndex(index);
    return index;
}

std::string TDvxConnection::GetDescription()
{
    std::string d = "COM" + std::to_string(PortIndex() + 1) + ": " + std::to_string(Baudrate()) + " baud";
    const std::string path = PortPath();
    if (!path.empty())
        d += " (" + path + ")";
    return d;
}

std::string TDvxConnection::ReadIdentText()
{
    std::uint8_t answer[80] = {};
    const std::int32_t n = connector_->Transfer('R', 40, answer);
    const std::size_t len = static_cast<std::size_t>(std::clamp<std::int32_t>(n, 0, 14));
    std::string ident(reinterpret_cast<const char*>(answer), len);
    const std::size_t zero = ident.find('\0');
    if (zero != std::string::npos)
        ident.resize(zero);
    return ident;
}

bool TDvxConnection::IdentAccepted(std::string_view ident)
{
    return StartsWith(ident, "VRO8K-M ") || StartsWith(ident, "VRO8000 ");
}

void TDvxConnection::LoadSettings()
{
    if (!config_)
        throw std::runtime_error("ApplicationConfig doesn't exist");
    TIniList& c = *config_;
    c.SelectSection(cfg::kConnectionSettings);
    std::int32_t index = cfg::Read(c, cfg::kComPort);
    if (index < 0 || index > kLastIndex)
        index = 0; // a number no port can have
    const std::string device = cfg::Read(c, cfg::kComPortDevice);
    bool placed = false;
    if (!device.empty() && IsCharDevice(device)) {
        try {
            SetPortPath(device, index);
            placed = true;
        } catch (const std::exception&) {
        }
    }
    if (!placed)
        SetPortIndex(index);
    SetBaudrate(cfg::Read(c, cfg::kBaudrate));
    AutoConnect = cfg::Read(c, cfg::kAutoConnect);
    PortScanMode = cfg::Read(c, cfg::kPortScanMode);
    if (PortScanMode < 0 || PortScanMode > 2)
        PortScanMode = 0;
}

void TDvxConnection::SaveSettings()
{
    if (!config_)
        throw std::runtime_error("ApplicationConfig doesn't exist");
    TIniList& c = *config_;
    c.SelectSection(cfg::kConnectionSettings);
    cfg::Write(c, cfg::kComPort, PortIndex());
    cfg::Write(c, cfg::kBaudrate, Baudrate());
    cfg::Write(c, cfg::kBusAddress, std::string(1, BusAddress ? BusAddress : '+'));
    cfg::Write(c, cfg::kAutoConnect, AutoConnect);
    cfg::Write(c, cfg::kPortScanMode, PortScanMode);
    // Beside the number, the device behind it (empty removes a stale one).
    cfg::Write(c, cfg::kComPortDevice, PortPath());
}

TDvxPortList TDvxConnection::BuildPortList(std::int32_t mode, const std::function<void(std::int32_t)>& probing)
{
    TDvxPortList list;
    const std::string assigned = "(" + text(660) + ") ";
    if (mode == 1) {
        std::uint32_t last = GetTickCount32();
        for (std::int32_t i = 0; i <= kLastIndex; ++i) {
            if (probing && (i == 0 || i % 10 == 4 || GetTickCount32() - last >= 100)) {
                last = GetTickCount32();
                probing(i);
            }
            if (!ports_->Exists(i))
                continue;
            TDvxPortListEntry e;
            e.Text = ComText(i);
            if (ports_->Available(i))
                e.PortIndex = i;
            else
                e.Text += assigned;
            e.Text = WithPath(e.Text, ports_->PathOf(i));
            list.Entries.push_back(std::move(e));
        }
    } else if (mode == 2) {
        for (std::int32_t i = 0; i <= kLastIndex; ++i)
            list.Entries.push_back({WithPath(ComText(i), ports_->PathOf(i)), i, 0});
    } else {
        for (const TPortEntry& p : ports_->Scan()) {
            if (p.index < 0 || p.index > kLastIndex)
                continue;
            const TKindLabel k = LabelOf(p);
            TDvxPortListEntry e;
            e.Text = ComText(p.index) + k.label;
            if (!ports_->Available(p.index))
                e.Text += assigned;
            e.Text = WithPath(e.Text, p.path);
            e.PortIndex = p.index;
            e.Weight = k.weight;
            list.SearchWeight += k.weight;
            list.Entries.push_back(std::move(e));
        }
    }
    return list;
}

bool TDvxConnection::ApplyPortSettings(std::int32_t baudrate, std::int32_t portIndex, std::int32_t scanMode)
{
    const std::int32_t oldBaud = Baudrate();
    const std::int32_t oldPort = PortIndex();
    Close();
    SetBaudrate(baudrate);
    SetPortIndex(portIndex);
    PortScanMode = scanMode >= 0 && scanMode <= 2 ? scanMode : 0;
    try {
        Open();
        Close();
        return true;
    } catch (const std::exception&) {
        Close();
        SetBaudrate(oldBaud);
        SetPortIndex(oldPort);
        return false;
    }
}

TDvxSearchOutcome TDvxConnection::SearchDevices(const std::function<bool(const TDvxSearchStep&)>& progress)
{
    TDvxSearchOutcome out;
    PortScanMode = 0;
    const TDvxPortList list = BuildPortList(0);
    if (list.SearchWeight < 1) {
        out.NoPorts = true;
        return out;
    }
    const std::int32_t oldPort = PortIndex();
    const std::int32_t oldBaud = Baudrate();
    const std::uint32_t oldTimeout = connector_->GetByteTimeout();
    Close();
    const std::int32_t step = 100 / list.SearchWeight;
    std::int32_t position = 0;
    for (const TDvxPortListEntry& e : list.Entries) {
        const std::int32_t port = PortIndexFromEntryText(e.Text);
        if (port < 0)
            continue;
        SetPortIndex(port);
        const bool rs232 = e.Text.find("RS232") != std::string::npos;
        for (std::int32_t rate : kDvxSearchBaudRates) {
            position = std::min(100, position + step);
            if (rs232 && rate > 200000)
                continue;
            SetBaudrate(rate);
            TDvxSearchStep s;
            s.Position = position;
            s.PortNumber = port + 1;
            s.Baudrate = rate;
            s.Text = FormatDvxText(text(663), {std::to_string(port + 1), std::to_string(rate)});
            if (progress && !progress(s)) {
                out.Cancelled = true;
                break;
            }
            std::string ident;
            try {
                Open();
                connector_->SetByteTimeout(searchByteTimeout_);
                ident = ReadIdentText();
            } catch (const std::exception&) {
                ident.clear();
            }
            Close();
            if (IdentAccepted(ident)) {
                TDvxSearchResult r;
                r.PortIndex = port;
                r.Baudrate = rate;
                r.IdentText = ident;
                r.Path = ports_->PathOf(port).value_or(std::string());
                r.Line = FormatDvxText(text(671), {ident, std::to_string(port + 1), std::to_string(rate)});
                out.Results.push_back(std::move(r));
                break;
            }
        }
        if (out.Cancelled)
            break;
    }
    // The search leaves everything as it found it; a chosen result is
    // applied by the caller.
    Close();
    connector_->SetByteTimeout(oldTimeout);
    SetPortIndex(oldPort);
    SetBaudrate(oldBaud);
    return out;
}

} // namespace vro
