#include "core/config/applicationconfig.h"

#include "core/config/configkeys.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/xml/xmlstream.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace vro {

namespace {

std::atomic<bool> gSaveFailureReported{false};

// Fills the "%s" places of a message in order (the values are not formats).
std::string FillPlaces(std::string_view format, const std::vector<std::string>& values)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next < values.size())
                out += values[next];
            ++next;
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}

// The file a "Reset options" close leaves: header lines and declaration only.
bool IsResetShape(std::string_view content)
{
    std::string compact;
    for (char c : content)
        if (c != '\r')
            compact.push_back(c);
    while (!compact.empty() && static_cast<unsigned char>(compact.back()) <= ' ')
        compact.pop_back();
    const std::string expected =
        std::string(kConfigHeaderLine) + "\n\n<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>";
    return compact == expected;
}

std::string ProgramName()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.stem().empty())
        return exe.stem().string();
    return "vrowin";
}

} // namespace

TPlacementRect ClampPlacement(TPlacementRect rect, const TPlacementRect& area, int minWidth, int minHeight)
{
    auto clampAxis = [](long long pos, long long size, long long areaPos, long long areaSize, long long minSize,
                        int& outPos, int& outSize) {
        size = std::max(std::min(size, areaSize), minSize);
        const long long hi = areaPos + areaSize - size;
        if (pos > hi)
            pos = hi;
        if (pos < areaPos)
            pos = areaPos;
        outPos = static_cast<int>(std::clamp<long long>(pos, INT32_MIN, INT32_MAX));
        outSize = static_cast<int>(std::clamp<long long>(size, 0, INT32_MAX));
    };
    TPlacementRect out;
    clampAxis(rect.left, rect.width, area.left, area.width, minWidth, out.left, out.width);
    clampAxis(rect.top, rect.height, area.top, area.height, minHeight, out.top, out.height);
    return out;
}

std::string ConfigUserName()
{
    std::string name;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* res = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &res) == 0 && res && res->pw_name)
        name = res->pw_name;
    if (name.empty())
        for (const char* var : {"USER", "LOGNAME"})
            if (const char* v = std::getenv(var); v && *v) {
                name = v;
                break;
            }
    if (name.empty())
        name = "user";
    if (name.size() > 255)
        name.resize(255);
    for (char& c : name)
        if (c == '/' || c == '\0')
            c = '_';
    return name;
}

fs::path DefaultConfigFileName(std::string_view programName)
{
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && *h) {
            home = h;
        } else {
            std::vector<char> buf(16384);
            passwd pw{};
            passwd* res = nullptr;
            if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &res) == 0 && res && res->pw_dir)
                home = res->pw_dir;
        }
        base = fs::path(home.empty() ? "/tmp" : home) / ".config";
    }
    return base / "vrowin" / (std::string(programName) + "-" + ConfigUserName() + ".vxacf");
}

fs::path ConfigFileFromArguments(int argc, const char* const* argv, std::string_view programName)
{
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view a = argv[i];
        if (a == "--")
            break;
        if (a == "--config" && i + 1 < argc && argv[i + 1] && *argv[i + 1])
            return fs::path(argv[i + 1]);
        if (a.starts_with("--config=") && a.size() > 9)
            return fs::path(std::string(a.substr(9)));
    }
    return DefaultConfigFileName(programName);
}

TApplicationConfig::TApplicationConfig(fs::path fileName, IConfigUi* ui) : fileName_(std::move(fileName)), ui_(ui) {}

TApplicationConfig::TApplicationConfig() : TApplicationConfig(DefaultConfigFileName()) {}

bool TApplicationConfig::SaveFailureReported() { return gSaveFailureReported.load(); }
void TApplicationConfig::ResetSaveFailureReported() { gSaveFailureReported = false; }

void TApplicationConfig::KeepDamagedFileAside(const std::string& why)
{
    loadError_ = why;
    damaged_ = true;
    damageReported_ = false;
    std::error_code ec;
    fs::path backup = fileName_;
    backup += ".bak";
    // An earlier backup may be the only copy of older settings: never overwrite it.
    for (int n = 1; fs::exists(backup, ec) && n < 100; ++n) {
        backup = fileName_;
        backup += "." + std::to_string(n) + ".bak";
    }
    // Only a regular file is moved; anything else in its place stays as it is.
    if (!fs::is_regular_file(fileName_, ec)) {
        damagedBackup_.clear();
        return;
    }
    fs::rename(fileName_, backup, ec);
    if (ec) {
        ec.clear();
        fs::copy_file(fileName_, backup, fs::copy_options::overwrite_existing, ec);
    }
    damagedBackup_ = ec ? fs::path() : backup;
}

void TApplicationConfig::Load()
{
    loadError_.clear();
    damagedBackup_.clear();
    damaged_ = false;
    bool ok = false;
    std::error_code ec;
    const bool present = fs::exists(fileName_, ec) || ec;
    if (present) {
        std::string content;
        try {
            content = ReadWholeFile(fileName_);
            TXmlReader reader;
            reader.LoadFromString(content);
            list_.LoadFromXml(reader, kConfigRoot);
            ok = true;
        } catch (const std::exception& e) {
            if (IsResetShape(content))
                loadError_ = e.what(); // settings reset on purpose: defaults, nothing to keep
            else
                KeepDamagedFileAside(e.what());
        }
    }
    if (ok) {
        firstRun_ = cfg::Read(list_, cfg::kFirstRun);
        wasShutDown_ = cfg::Read(list_, cfg::kWasShutDown);
        language_ = cfg::Read(list_, cfg::kLanguage);
    } else {
        firstRun_ = true;
        wasShutDown_ = false;
        language_ = "en";
    }
    showDownloadRecoveryInfo_ = cfg::Read(list_, cfg::kShowDownloadRecoveryInfo);
    workingDirectory_ = cfg::Read(list_, cfg::kWorkingDirectory);

    // The next save records that the first run is over.
    list_.SelectSection(cfg::kGlobals);
    list_.WriteBool(cfg::kFirstRun.key, false);
    if (!ok || !list_.HasKey(cfg::kLanguage.key))
        list_.WriteString(cfg::kLanguage.key, language_);
}

std::string TApplicationConfig::FileText() const
{
    TXmlWriter w;
    w.WriteRaw(kConfigHeaderLine);
    w.WriteRaw("\r\n\r\n");
    w.WriteDeclaration();
    if (!reset_)
        list_.SaveToXml(w, kConfigRoot);
    return w.TakeBuffer();
}

bool TApplicationConfig::Save(bool wasShutDown)
{
    list_.SelectSection(cfg::kGlobals);
    list_.WriteBool(cfg::kWasShutDown.key, wasShutDown);
    list_.WriteBool(cfg::kShowDownloadRecoveryInfo.key, showDownloadRecoveryInfo_);
    list_.WriteString(cfg::kWorkingDirectory.key, workingDirectory_);
    try {
        const std::string text = FileText();
        if (fileName_.has_parent_path()) {
            std::error_code ec;
            fs::create_directories(fileName_.parent_path(), ec);
        }
        WriteFileAtomically(fileName_, text);
        return true;
    } catch (const std::exception&) {
        if (ui_ && !gSaveFailureReported.exchange(true)) {
            const TLibraryTexts& t = LibraryTexts();
            const std::string folder = fileName_.parent_path().string();
            ui_->ShowWarning(t.ConfigSaveHeading,
                             FillPlaces(t.ConfigSaveError, {fileName_.filename().string(), folder, ProgramName()}));
        }
        return false;
    }
}

bool TApplicationConfig::RunStartupProtocol()
{
    if (ui_ && damaged_ && !damageReported_) {
        damageReported_ = true;
        std::string msg = FillPlaces(LibraryTexts().FileLoadError, {fileName_.string()});
        msg += "\n\n" + loadError_;
        if (!damagedBackup_.empty())
            msg += "\n\n" + damagedBackup_.string();
        ui_->ShowWarning("", msg);
    }
    if (firstRun_) {
        if (ui_) {
            const std::optional<std::string> code = ui_->AskLanguage();
            if (!code)
                return false;
            SetLanguage(*code);
        }
    } else if (!wasShutDown_) {
        SelectTextLanguage(language_);
        cfg::Write(list_, cfg::kAutoConnect, false);
        cfg::Write(list_, cfg::kBusAddress, "+");
        if (ui_) {
            ui_->ReloadConnectionSettings();
            ui_->ShowWarning("", text(16));
        }
    }
    Save(false);
    return true;
}

void TApplicationConfig::SetLanguage(std::string_view code)
{
    if (code == language_)
        return;
    language_ = code;
    cfg::Write(list_, cfg::kLanguage, code);
}

void TApplicationConfig::StorePlacement(std::string_view section, bool maximized, bool normalState,
                                        const TPlacementRect& rect)
{
    list_.SelectSection(section);
    list_.WriteBool(cfg::kMaximized, maximized);
    if (normalState) {
        list_.WriteInt(cfg::kTop, rect.top);
        list_.WriteInt(cfg::kLeft, rect.left);
        list_.WriteInt(cfg::kWidth, rect.width);
        list_.WriteInt(cfg::kHeight, rect.height);
    }
}

std::optional<TWindowPlacement> TApplicationConfig::RestorePlacement(std::string_view section) const
{
    if (!list_.HasKey(section, cfg::kTop))
        return std::nullopt;
    TWindowPlacement p;
    p.maximized = list_.ReadBool(section, cfg::kMaximized, false);
    p.rect.top = list_.ReadInt(section, cfg::kTop, cfg::kDefaultTop);
    p.rect.left = list_.ReadInt(section, cfg::kLeft, cfg::kDefaultLeft);
    p.rect.width = list_.ReadInt(section, cfg::kWidth, cfg::kDefaultWidth);
    p.rect.height = list_.ReadInt(section, cfg::kHeight, cfg::kDefaultHeight);
    return p;
}

} // namespace vro
