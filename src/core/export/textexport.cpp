#include "core/export/textexport.h"
#include "core/construct/loadrecordingfile.h"

#include "core/util/listfolder.h"

#include "core/export/tdmexport.h"
#include "core/recording/recording.h"
#include "core/table/tableview.h"
#include "core/util/atomicfile.h"

#include <algorithm>
#include <stdexcept>

namespace vro {

namespace {

// Restores a recording's flags changed for the export, also after an error.
class TFlagGuard {
public:
    TFlagGuard(TRecording& r) : r_(r), shift_(r.TimeShiftActive), date_(r.Time ? r.Time->TimeStampHasDate : true) {}
    ~TFlagGuard()
    {
        r_.TimeShiftActive = shift_;
        if (r_.Time)
            r_.Time->TimeStampHasDate = date_;
    }

private:
    TRecording& r_;
    bool shift_;
    bool date_;
};

struct TCellWriter {
    TCellWriter(const TExportParameter& parameter, std::string& out)
        : p(parameter), line(out), special{p.Delimiter, '"', '\r', '\n'}
    {}
    const TExportParameter& p;
    std::string& line;
    const std::string special; // characters that force quotes on a bare cell

    // Appends one cell: padded (fixed width modes), then quoted. Without a
    // quotation mark, a cell that holds the delimiter, a double quote or a
    // line break is enclosed in double quotes so the file still reads back.
    void Put(std::string_view text, int width, bool last)
    {
        const std::size_t pad =
            p.FixedWidth() && static_cast<int>(text.size()) < width ? static_cast<std::size_t>(width) - text.size() : 0;
        char quote = p.HasQuotation() ? p.QuotationMark : '\0';
        if (!quote && p.Delimiter != ' ' && text.find_first_of(special) != std::string_view::npos)
            quote = '"';
        if (quote)
            line.push_back(quote);
        line.append(pad, ' ');
        if (quote && text.find(quote) != std::string_view::npos) {
            for (char c : text) {
                line.push_back(c);
                if (c == quote)
                    line.push_back(c);
            }
        } else {
            line.append(text);
        }
        if (quote)
            line.push_back(quote);
        line += last ? std::string_view("\r\n") : std::string_view(&p.Delimiter, 1);
    }
};

} // namespace

void WriteTextFile(TRecording& recording, const TExportParameter& p, const std::filesystem::path& fileName)
{
    if (recording.ChannelCount < 1 || !recording.Time)
        throw std::runtime_error("No Channel available!");
    TFlagGuard guard(recording);
    if (!recording.Time->TimeStampHasDate)
        recording.Time->TimeStampHasDate = p.AlwaysWithDate;

    TTableView table;
    table.SetRecording(&recording);
    table.SetAllColumns(p.OnlySelectedCols == 0);
    table.UnshiftedAccess();
    const int columns = table.ColumnCount;
    std::vector<int> widths(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        widths[static_cast<std::size_t>(c)] = std::max(p.ColWidth, table.ColumnTextLength(c));

    TAtomicFile file(fileName);
    std::string buffer;
    buffer.reserve(1 << 20);
    TCellWriter cells{p, buffer};
    for (int c = 0; c < columns; ++c)
        cells.Put(table.HeaderText(c), widths[static_cast<std::size_t>(c)], c == columns - 1);
    if (p.MeasurementUnit == 1)
        for (int c = 0; c < columns; ++c)
            cells.Put(table.UnitText(c), widths[static_cast<std::size_t>(c)], c == columns - 1);

    std::int32_t first = 0, last = recording.RecordCount - 1;
    if (p.OnlySelectedRows == 1) {
        first = std::clamp(recording.Time->FirstIndex, 0, last);
        last = std::clamp(recording.Time->LastIndex, first, last);
    }
    std::string cell;
    for (std::int32_t row = first; row <= last; ++row) {
        for (int c = 0; c < columns; ++c) {
            cell.clear();
            table.AppendCellText(row, c, cell);
            cells.Put(cell, widths[static_cast<std::size_t>(c)], c == columns - 1);
        }
        if (buffer.size() >= (1 << 20) - 4096) {
            file.Write(buffer);
            buffer.clear();
        }
    }
    file.Write(buffer);
    file.Commit();
}

std::filesystem::path ExportFileName(const std::string& folder, const std::string& name, const std::string& extension)
{
    std::string ext = extension;
    while (!ext.empty() && ext.front() == '.')
        ext.erase(ext.begin());
    std::filesystem::path path = folder.empty() ? std::filesystem::path(name) : std::filesystem::path(folder) / name;
    if (!ext.empty())
        path += "." + ext;
    return path;
}

TFolderExportResult ExportFolder(const std::filesystem::path& inputFolder, const std::string& outputFolder,
                                 const TExportParameter& parameter,
                                 const std::function<void(int, int, const std::string&)>& progress,
                                 const std::atomic<bool>* cancel)
{
    TFolderExportResult result;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (!std::filesystem::is_directory(inputFolder, ec))
        throw std::runtime_error("Cannot read folder \"" + inputFolder.string() + "\"");
    std::vector<TFolderFile> found;
    ListFolder(inputFolder, "vxrf", found);
    for (const TFolderFile& f : found)
        files.push_back(inputFolder / f.Name);
    result.FileCount = static_cast<int>(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (cancel && cancel->load()) {
            result.Cancelled = true;
            break;
        }
        const std::string shown = files[i].filename().string();
        try {
            TRecording recording;
            LoadRecordingFile(files[i], recording);
            const auto out = ExportFileName(outputFolder, recording.GetName(), "txt");
            WriteTextFile(recording, parameter, out);
            result.Exported.push_back(out.string());
        } catch (const std::exception& e) {
            result.Failures.push_back("Error exporting " + shown + ". " + e.what());
        }
        if (progress)
            progress(static_cast<int>(i) + 1, result.FileCount, shown);
    }
    return result;
}

} // namespace vro
