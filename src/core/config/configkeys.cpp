#include "core/config/configkeys.h"

#include <deque>
#include <filesystem>
#include <system_error>

namespace vro::cfg {

bool Read(const TIniList& list, const TBoolKey& k) { return list.ReadBool(k.section, k.key, k.def); }
int Read(const TIniList& list, const TIntKey& k) { return list.ReadInt(k.section, k.key, k.def); }
std::string Read(const TIniList& list, const TStringKey& k) { return list.ReadString(k.section, k.key, k.def); }

void Write(TIniList& list, const TBoolKey& k, bool value)
{
    list.SelectSection(k.section);
    list.WriteBool(k.key, value);
}

void Write(TIniList& list, const TIntKey& k, int value)
{
    list.SelectSection(k.section);
    list.WriteInt(k.key, value);
}

void Write(TIniList& list, const TStringKey& k, std::string_view value)
{
    list.SelectSection(k.section);
    list.WriteString(k.key, value);
}

std::vector<std::string> ReadRecentFiles(const TIniList& list)
{
    std::vector<std::string> files;
    const int count = Read(list, kRecentCount);
    for (int i = 0; i < count && i < kMaxRecentFiles; ++i) {
        std::string f = list.ReadString(kRecentFiles, std::string(kRecentFilePrefix) + std::to_string(i), "");
        if (f.empty())
            break;
        files.push_back(std::move(f));
    }
    return files;
}

void WriteRecentFiles(TIniList& list, const std::vector<std::string>& files)
{
    const int count =
        files.size() > static_cast<std::size_t>(kMaxRecentFiles) ? kMaxRecentFiles : static_cast<int>(files.size());
    list.SelectSection(kRecentFiles);
    list.WriteInt(kRecentCount.key, count);
    for (int i = 0; i < count; ++i)
        list.WriteString(std::string(kRecentFilePrefix) + std::to_string(i), files[static_cast<std::size_t>(i)]);
    // Entries of a longer list written before would only confuse a reader.
    const TIniList::TSection* s = list.FindSection(kRecentFiles);
    std::vector<std::string> stale;
    for (const auto& [key, value] : s->lines) {
        if (!key.starts_with(kRecentFilePrefix))
            continue;
        const std::string_view digits = std::string_view(key).substr(kRecentFilePrefix.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        if (digits.size() > 4 || std::stoi(std::string(digits)) >= count)
            stale.push_back(key);
    }
    for (const std::string& k : stale)
        list.DeleteKey(k);
}

TBoolKey ReferenceApplyDefault(const TBoolKey& k)
{
    TBoolKey out = k;
    const bool reference =
        k.section == kReferenceSettings && k.key != kUseReferenceReceive.key && k.key != kUseReferenceWhileOpening.key;
    if (reference)
        out.def = !(k.key == kRefTimeSettings.key || k.key == kRefComment.key);
    return out;
}

std::string ReadSensorRecordingFolder(const TIniList& list)
{
    std::error_code ec;
    const std::string current = std::filesystem::current_path(ec).string();
    return list.ReadString(kSensorRecordingFolder.section, kSensorRecordingFolder.key, current);
}

const std::vector<TKeyInfo>& Registry()
{
    static const std::vector<TKeyInfo> table = [] {
        std::vector<TKeyInfo> t;
        auto b = [&](const TBoolKey& k) { t.push_back({k.section, k.key, TKeyType::Bool, k.def ? "1" : "0"}); };
        auto i = [&](const TIntKey& k) {
            static std::deque<std::string> texts; // keeps the default texts in place
            texts.push_back(std::to_string(k.def));
            t.push_back({k.section, k.key, TKeyType::Int, texts.back()});
        };
        auto s = [&](const TStringKey& k) { t.push_back({k.section, k.key, TKeyType::String, k.def}); };
        b(kFirstRun);
        b(kWasShutDown);
        s(kLanguage);
        b(kShowDownloadRecoveryInfo);
        s(kWorkingDirectory);
        i(kRecentCount);
        for (const TBoolKey* k : {&kRefTimeSettings, &kRefAxisSettings, &kRefCustomName, &kRefFullRange,
                                  &kRefCurrentRange, &kRefShowMeasurement, &kRefColorAndLines, &kRefComment})
            b(*k);
        s(kRefFilename);
        b(kUseReferenceReceive);
        b(kUseReferenceWhileOpening);
        i(kComPort);
        s(kComPortDevice);
        i(kBaudrate);
        b(kAutoConnect);
        i(kPortScanMode);
        s(kBusAddress);
        for (const TIntKey* k :
             {&kExpOnlySelectedRows, &kExpOnlySelectedCols, &kExpMeasurementUnit, &kExpFormatSelection,
              &kExpColWidthSelection, &kExpQuotationMark, &kExpDelimiter, &kExpColWidth, &kExpKeepName})
            i(*k);
        s(kExpFilePath);
        s(kExpDefaultFileExtension);
        s(kExpInputFolderPath);
        b(kExpDoFolderExport);
        b(kExpAlwaysWithDate);
        s(kSensorRecordingFolder);
        i(kRecordingNameOption);
        i(kDisplaySize);
        b(kSegmentMinMax);
        b(kPrinter);
        i(kPrinterIndex);
        s(kPdfPath);
        i(kKeepNameIndex);
        b(kPdfWantShow);
        s(kMergePath);
        b(kMergeFolder);
        i(kRemarkFontSize);
        i(kRemarkFontColor);
        b(kRemarkIsBold);
        b(kRemarkIsItalic);
        b(kRemarkIsUnderlined);
        i(kScaleRaster);
        b(kScaleTogether);
        return t;
    }();
    return table;
}

} // namespace vro::cfg
