#include "link/dvxporttable.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>

namespace vro {

namespace {
std::mutex gMutex;
std::map<std::int32_t, std::string> gExplicit; // guarded by gMutex
bool gEnvLoaded = false;                       // guarded by gMutex

struct TFamily {
    const char* prefix;
    std::int32_t first;
    std::int32_t count;
    EPortKind kind;
};
constexpr TFamily kFamilies[] = {{"/dev/ttyS", 0, 32, EPortKind::Rs232},
                                 {"/dev/ttyUSB", 32, 32, EPortKind::Usb},
                                 {"/dev/ttyACM", 64, 30, EPortKind::Usb}};

std::string DriverOf(const std::string& devPath)
{
    const std::string name = std::filesystem::path(devPath).filename().string();
    std::error_code ec;
    auto target = std::filesystem::read_symlink("/sys/class/tty/" + name + "/device/driver", ec);
    return ec ? std::string() : target.filename().string();
}

// A ttyS node exists for every possible UART; only those with a real port
// behind them report a known type.
bool UartPresent(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY; // taken by someone: it exists
    struct serial_struct s {};
    const bool ok = ioctl(fd, TIOCGSERIAL, &s) == 0 && s.type != PORT_UNKNOWN;
    ::close(fd);
    return ok;
}

void CheckIndex(std::int32_t index)
{
    if (index < 0 || index > TDvxPortTable::kMaxIndex)
        throw std::invalid_argument("port number COM" + std::to_string(index + 1) + " is outside COM1..COM99");
}
} // namespace

TDvxPortTable& TDvxPortTable::Global()
{
    static TDvxPortTable table;
    return table;
}

std::vector<std::pair<std::int32_t, std::string>> TDvxPortTable::ParseAssignments(const std::string& text)
{
    std::vector<std::pair<std::int32_t, std::string>> out;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(',', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(pos, end - pos);
        pos = end + 1;
        if (item.empty())
            continue;
        const std::size_t eq = item.find('=');
        int com = 0;
        const bool shaped =
            eq != std::string::npos && eq >= 4 && item.compare(0, 3, "COM") == 0 && eq + 1 < item.size();
        if (!shaped || std::from_chars(item.data() + 3, item.data() + eq, com).ptr != item.data() + eq || com < 1 ||
            com > kMaxIndex + 1)
            throw std::invalid_argument("port assignment \"" + item + "\" is not of the form COMn=PATH (n 1..99)");
        out.emplace_back(com - 1, item.substr(eq + 1));
    }
    return out;
}

void TDvxPortTable::LoadEnvironment()
{
    std::lock_guard lock(gMutex);
    gEnvLoaded = true;
    const char* env = std::getenv("VRO_PORTS");
    if (!env)
        return;
    // A faulty variable must not stop the program; the good items still count.
    std::string text(env);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(',', pos);
        if (end == std::string::npos)
            end = text.size();
        try {
            for (auto& [index, path] : ParseAssignments(text.substr(pos, end - pos)))
                gExplicit[index] = path;
        } catch (const std::invalid_argument&) {
        }
        pos = end + 1;
    }
}

std::optional<std::string> TDvxPortTable::ScanName(std::int32_t index)
{
    for (const auto& f : kFamilies)
        if (index >= f.first && index < f.first + f.count)
            return std::string(f.prefix) + std::to_string(index - f.first);
    return std::nullopt;
}

std::optional<std::string> TDvxPortTable::PathOf(std::int32_t index)
{
    {
        std::unique_lock lock(gMutex);
        if (!gEnvLoaded) {
            lock.unlock();
            LoadEnvironment();
            lock.lock();
        }
        auto it = gExplicit.find(index);
        if (it != gExplicit.end())
            return it->second;
    }
    return ScanName(index);
}

std::optional<std::int32_t> TDvxPortTable::IndexOf(const std::string& path)
{
    {
        std::lock_guard lock(gMutex);
        for (const auto& [index, p] : gExplicit)
            if (p == path)
                return index;
    }
    for (const auto& f : kFamilies) {
        const std::string prefix = f.prefix;
        if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size())
            continue;
        int k = 0;
        const char* b = path.data() + prefix.size();
        const char* e = path.data() + path.size();
        if (std::from_chars(b, e, k).ptr == e && k >= 0 && k < f.count)
            return f.first + k;
    }
    return std::nullopt;
}

void TDvxPortTable::Assign(std::int32_t index, const std::string& path)
{
    CheckIndex(index);
    std::lock_guard lock(gMutex);
    if (path.empty())
        gExplicit.erase(index);
    else
        gExplicit[index] = path;
}

std::int32_t TDvxPortTable::AssignFree(const std::string& path)
{
    std::lock_guard lock(gMutex);
    for (std::int32_t i = 89; i <= kMaxIndex; ++i)
        if (!gExplicit.count(i)) {
            gExplicit[i] = path;
            return i;
        }
    throw std::runtime_error("no free port number left for " + path);
}

std::vector<TPortEntry> TDvxPortTable::Scan()
{
    std::map<std::int32_t, TPortEntry> found;
    for (const auto& f : kFamilies)
        for (std::int32_t k = 0; k < f.count; ++k) {
            const std::string path = std::string(f.prefix) + std::to_string(k);
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
                continue;
            if (f.kind == EPortKind::Rs232 && !UartPresent(path))
                continue;
            found[f.first + k] = TPortEntry{f.first + k, path, f.kind, DriverOf(path)};
        }
    {
        std::unique_lock lock(gMutex);
        if (!gEnvLoaded) {
            lock.unlock();
            LoadEnvironment();
            lock.lock();
        }
        for (const auto& [index, path] : gExplicit) {
            std::error_code ec;
            if (!std::filesystem::exists(path, ec))
                continue;
            // An explicit path that names a USB adapter keeps its USB kind.
            const std::string driver = DriverOf(std::filesystem::canonical(path, ec).string());
            found[index] = TPortEntry{index, path, EPortKind::Explicit, driver};
        }
    }
    std::vector<TPortEntry> out;
    for (auto& [i, e] : found)
        out.push_back(std::move(e));
    return out;
}

} // namespace vro
