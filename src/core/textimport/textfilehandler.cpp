#include "core/textimport/textfilehandler.h"

#include "core/util/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/util/atomicfile.h"
#include "core/util/charset.h"
#include "core/util/numeric.h"

namespace vro::textimport {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::array<char, 5> kCandidates = {'\t', ';', ',', '#', '|'};

// A cell in double quotes (as some programs write them) is read without them.
std::string_view Unquote(std::string_view cell)
{
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        return Trim(cell.substr(1, cell.size() - 2));
    return cell;
}

bool IsNoValue(std::string_view cell)
{
    return std::all_of(cell.begin(), cell.end(), [](char c) { return c == '-'; });
}

std::string ColumnLetters(int index)
{
    std::string s;
    int n = index + 1;
    while (n > 0) {
        const int r = (n - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + r));
        n = (n - 1) / 26;
    }
    return s;
}

std::string Step3(double step)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", step);
    return buf;
}

} // namespace

namespace {
// End of the field that starts at `start`: the next delimiter outside a
// double-quoted cell (a quote inside such a cell is doubled), so a cell that
// holds the delimiter stays one field.
std::size_t FieldEnd(std::string_view line, char delimiter, std::size_t start)
{
    std::size_t p = start;
    while (p < line.size() && line[p] == ' ')
        ++p;
    if (p < line.size() && line[p] == '"') {
        for (++p; p < line.size(); ++p) {
            if (line[p] != '"')
                continue;
            if (p + 1 < line.size() && line[p + 1] == '"') {
                ++p;
                continue;
            }
            ++p;
            break;
        }
    } else {
        p = start;
    }
    const auto e = line.find(delimiter, p);
    return e == std::string_view::npos ? line.size() : e;
}
} // namespace

std::string_view GetField(std::string_view line, char delimiter, int n)
{
    if (n < 0)
        return {};
    if (delimiter == 0)
        return n == 0 ? Trim(line) : std::string_view{};
    if (line.find('"') != std::string_view::npos) {
        std::size_t start = 0;
        for (int k = 0;; ++k) {
            const std::size_t end = FieldEnd(line, delimiter, start);
            if (k == n)
                return Trim(line.substr(start, end - start));
            if (end >= line.size())
                return {};
            start = end + 1;
        }
    }
    std::size_t start = 0;
    for (int k = 0; k < n; ++k) {
        const auto p = line.find(delimiter, start);
        if (p == std::string_view::npos)
            return {};
        start = p + 1;
    }
    const auto end = line.find(delimiter, start);
    return Trim(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

int CountFields(std::string_view line, char delimiter)
{
    if (delimiter == 0)
        return 1;
    if (line.find('"') != std::string_view::npos) {
        int n = 1;
        for (std::size_t start = 0;; ++n) {
            const std::size_t end = FieldEnd(line, delimiter, start);
            if (end >= line.size())
                return n;
            start = end + 1;
        }
    }
    return 1 + static_cast<int>(std::count(line.begin(), line.end(), delimiter));
}

// ---- dialog logic ---------------------------------------------------------

TTextFileSettings TTextFileSettings::FromAnalysis(const TTextImportSettings& a)
{
    TTextFileSettings s;
    switch (a.Delimiter) {
    case '\t': s.Separation = TColumnSeparation::Tab; break;
    case ',': s.Separation = TColumnSeparation::Comma; break;
    case ';': s.Separation = TColumnSeparation::Semicolon; break;
    default:
        s.Separation = TColumnSeparation::Other;
        if (a.Delimiter != 0)
            s.OtherDelimiter = std::string(1, a.Delimiter);
    }
    if (!a.HasTimeColumn)
        s.Time = TTimeInterpretation::NoTime;
    else if (a.TimeHasStamps)
        s.Time = TTimeInterpretation::DateTime;
    else
        s.Time = TTimeInterpretation::Seconds;
    return s;
}

char TTextFileSettings::Delimiter() const
{
    switch (Separation) {
    case TColumnSeparation::Tab: return '\t';
    case TColumnSeparation::Comma: return ',';
    case TColumnSeparation::Semicolon: return ';';
    case TColumnSeparation::Other: return OtherDelimiter.empty() ? 0 : OtherDelimiter[0];
    case TColumnSeparation::FixedWidth: return 0;
    }
    return 0;
}

int TTextFileSettings::Validate() const
{
    if (Time != TTimeInterpretation::AddTime)
        return 0;
    // The interval must be positive and fit the 0.1 ms sample-rate field.
    const auto v = ReadNumber(IntervalText);
    if (!v || !(*v > 0) || RoundHalfEven(*v * 10000) > 2147483647.0 || RoundHalfEven(*v * 10000) < 1)
        return 719;
    return 0;
}

double TTextFileSettings::Interval() const
{
    if (Time != TTimeInterpretation::AddTime || Validate() != 0)
        return 0;
    return *ReadNumber(IntervalText);
}

int TTextFileSettings::HelpText() const
{
    switch (Time) {
    case TTimeInterpretation::NoTime: return 717;
    case TTimeInterpretation::AddTime: return 716;
    case TTimeInterpretation::DateTime: return 715;
    case TTimeInterpretation::Seconds: return 718;
    }
    return 717;
}

namespace {

// Cut positions of fixed-width text: a position that is blank in every line
// but the first and follows a position where some of them has text.
std::vector<std::size_t> FixedWidthCuts(const std::vector<std::string_view>& lines, std::size_t from)
{
    std::size_t width = 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        width = std::max(width, lines[i].size());
    std::vector<char> text(width, 0);
    for (std::size_t i = from; i < lines.size(); ++i)
        for (std::size_t p = 0; p < lines[i].size(); ++p)
            if (lines[i][p] != ' ')
                text[p] = 1;
    std::vector<std::size_t> cuts;
    for (std::size_t p = 1; p < width; ++p)
        if (!text[p] && text[p - 1])
            cuts.push_back(p);
    return cuts;
}

template <typename F>
void ForEachPiece(std::string_view line, const std::vector<std::size_t>& cuts, F f)
{
    std::size_t start = 0;
    for (std::size_t c : cuts) {
        if (start >= line.size()) {
            f(std::string_view{});
            start = c;
            continue;
        }
        f(Trim(line.substr(start, c - start)));
        start = c;
    }
    f(start < line.size() ? Trim(line.substr(start)) : std::string_view{});
}

} // namespace

std::vector<std::vector<std::string>> TTextFileSettings::PreviewCells(const std::vector<std::string>& lines) const
{
    std::vector<std::vector<std::string>> rows;
    if (Separation == TColumnSeparation::FixedWidth) {
        std::vector<std::string_view> views(lines.begin(), lines.end());
        const auto cuts = FixedWidthCuts(views, 1);
        for (auto l : views) {
            auto& row = rows.emplace_back();
            ForEachPiece(l, cuts, [&](std::string_view piece) { row.emplace_back(piece); });
        }
        return rows;
    }
    const char d = Delimiter();
    for (const auto& l : lines) {
        auto& row = rows.emplace_back();
        const int n = CountFields(l, d);
        for (int k = 0; k < n; ++k)
            row.emplace_back(GetField(l, d, k));
    }
    return rows;
}

// ---- analysis -------------------------------------------------------------

TTextFileHandler::TTextFileHandler(TTextLocale locale) : locale_(std::move(locale)) {}

void TTextFileHandler::LoadFile(const std::filesystem::path& path, const TTextImportOverrides& overrides)
{
    // The file is mapped rather than copied: the lines are views into it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ETextImport("Cannot open \"" + path.string() + "\": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        std::string content;
        try {
            content = ReadWholeFile(path);
        } catch (const std::exception& e) {
            throw ETextImport(e.what());
        }
        Load(path.string(), std::move(content), overrides);
        return;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED)
        throw ETextImport("Cannot read \"" + path.string() + "\": " + std::strerror(errno));
    ::madvise(p, size, MADV_SEQUENTIAL);
    fileName_ = path.string();
    buffer_.clear();
    mapping_ = std::shared_ptr<const void>(p, [size](const void* q) { ::munmap(const_cast<void*>(q), size); });
    data_ = std::string_view(static_cast<const char*>(p), size);
    fixedBuffer_.clear();
    cached_ = {};
    overrides_ = overrides;
    Analyse();
}

void TTextFileHandler::SplitLines()
{
    lines_.clear();
    std::string_view all = data_;
    if (all.size() >= 3 && std::memcmp(all.data(), "\xEF\xBB\xBF", 3) == 0)
        all.remove_prefix(3);
    lines_.reserve(static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < all.size()) {
        const void* nl = std::memchr(all.data() + start, '\n', all.size() - start);
        const std::size_t end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - all.data()) : all.size();
        std::string_view line = all.substr(start, end - start);
        // Trailing blanks go (every character up to the space, so also a
        // carriage return and a trailing tab; a missing last field reads empty).
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.remove_suffix(1);
        if (!line.empty())
            lines_.push_back(line);
        start = end + 1;
    }
}

int TTextFileHandler::GuessFirstDataLine(char delimiter, bool wholeLine) const
{
    if (overrides_.HeaderLine == 0)
        return 0;
    if (overrides_.HeaderLine > 0)
        return 1;
    const std::string_view field = wholeLine ? Line(0) : GetField(Line(0), delimiter, 0);
    return ReadInteger(field) ? 0 : 1;
}

bool TTextFileHandler::CandidateFits(char c, int firstData) const
{
    const std::string_view l1 = Line(1);
    if (CountFields(l1, c) <= 1)
        return false;
    if (Lines() < 3)
        throw ETextImport("No Data in File");
    const std::string_view l2 = Line(2);
    const auto a = ReadNumber(GetField(l1, c, 0));
    const auto b = ReadNumber(GetField(l2, c, 0));
    if (a && b) {
        const auto first = ReadNumber(GetField(Line(static_cast<std::size_t>(firstData)), c, 0));
        if (!first)
            return false;
        for (std::size_t i = static_cast<std::size_t>(firstData); i < Lines(); ++i) {
            const auto v = ReadNumber(GetField(Line(i), c, 0));
            if (v && *v < *first)
                return false;
        }
        return true;
    }
    if (ReadDateTime(GetField(l1, c, 0), locale_) && ReadDateTime(GetField(l2, c, 0), locale_))
        return true;
    for (std::string_view l : {l1, l2}) {
        const int n = CountFields(l, c);
        for (int k = 1; k < n; ++k)
            if (!ReadNumber(Unquote(GetField(l, c, k))))
                return false;
    }
    return true;
}

bool TTextFileHandler::SplitsIntoNumbers(char c) const
{
    const int n = CountFields(Line(1), c);
    if (n <= 1 || CountFields(Line(2), c) != n)
        return false;
    for (std::string_view l : {Line(1), Line(2)})
        for (int k = 0; k < n; ++k)
            if (!ReadNumber(Unquote(GetField(l, c, k))))
                return false;
    return true;
}

TTextFileHandler::TTimeAnalysis TTextFileHandler::AnalyseTime(char delimiter, int column, int firstData) const
{
    TTimeAnalysis r;
    const std::size_t first = static_cast<std::size_t>(firstData);
    const std::size_t n = Lines() - first;
    if (column < 0 || n == 0)
        return r;
    // Numeric: every field a number, none smaller than the one before.
    std::vector<double> times(n);
    bool numeric = true;
    for (std::size_t i = 0; i < n && numeric; ++i) {
        const auto v = ReadNumber(Unquote(GetField(Line(first + i), delimiter, column)));
        if (!v || (i > 0 && *v < times[i - 1]))
            numeric = false;
        else
            times[i] = *v;
    }
    if (numeric) {
        // Equidistant: every step, written with three decimals, equals the first.
        bool equidistant = true;
        double step = 0;
        if (n >= 2) {
            step = times[1] - times[0];
            // Compared as texts with three decimals; the text is only written
            // when the step lies near a rounding tie of its third decimal.
            const double firstScaled = step * 1000;
            const double firstMilli = std::round(firstScaled);
            const bool firstNearTie = std::fabs(std::fabs(firstScaled - std::trunc(firstScaled)) - 0.5) < 1e-6;
            const std::string firstText = firstNearTie ? Step3(step) : std::string();
            for (std::size_t i = 2; i < n && equidistant; ++i) {
                const double s = times[i] - times[i - 1];
                const double scaled = s * 1000;
                const bool nearTie = std::fabs(std::fabs(scaled - std::trunc(scaled)) - 0.5) < 1e-6;
                if (nearTie || firstNearTie)
                    equidistant = Step3(s) == (firstNearTie ? firstText : Step3(step));
                else
                    equidistant = std::round(scaled) == firstMilli;
            }
        }
        const double rate = RoundHalfEven(step * 10000);
        if (equidistant && rate <= 2147483647.0) {
            r.Kind = TTimeKind::Equidistant;
            r.SampleRate = static_cast<std::int32_t>(rate);
            return r;
        }
        // Not equidistant (or a step too long for the sample-rate field):
        // integer seconds become time stamps.
        for (std::size_t i = 0; i < n; ++i)
            if (!ReadInteger(Unquote(GetField(Line(first + i), delimiter, column)))) {
                r.Kind = TTimeKind::NumericPlain;
                return r;
            }
        r.Kind = TTimeKind::IntegerStamps;
        return r;
    }
    // Date-like: every field a date-time other than zero, none earlier than before.
    double prev = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = ReadDateTime(Unquote(GetField(Line(first + i), delimiter, column)), locale_);
        if (!v || *v == 0 || (i > 0 && *v < prev))
            return r;
        prev = *v;
    }
    r.Kind = TTimeKind::DateStamps;
    return r;
}

void TTextFileHandler::Load(std::string fileName, std::string content, const TTextImportOverrides& overrides)
{
    fileName_ = std::move(fileName);
    buffer_ = std::move(content);
    mapping_.reset();
    data_ = buffer_;
    fixedBuffer_.clear();
    cached_ = {};
    overrides_ = overrides;
    Analyse();
}

// The text export may write the units in square brackets on the line after
// the column titles; that line is no data: its units go to the columns.
void TTextFileHandler::TakeUnitLine()
{
    unitLine_.clear();
    hasUnitLine_ = false;
    if (Lines() < 3)
        return;
    const std::string_view l = Trim(Line(1));
    if (l.empty() || !(l[0] == '[' || (l.size() > 1 && l[0] == '"' && l[1] == '[')))
        return;
    unitLine_ = std::string(Line(1));
    hasUnitLine_ = true;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(base_ + 1));
}

void TTextFileHandler::Analyse()
{
    SplitLines();
    base_ = overrides_.HeaderLine > 0 ? static_cast<std::size_t>(overrides_.HeaderLine - 1) : 0;
    if (base_ >= lines_.size() || Lines() < 2)
        throw ETextImport("No Data in File");
    if (overrides_.HeaderLine != 0)
        TakeUnitLine();

    settings_ = TTextImportSettings{};
    // First pass: the whole of line 0 must read as an integer.
    int firstData = GuessFirstDataLine(0, true);
    settings_.Delimiter = 0;
    for (char c : kCandidates)
        if (CandidateFits(c, firstData)) {
            settings_.Delimiter = c;
            break;
        }
    // Second chance: a file whose first column is no time column fails the
    // rule for numeric first fields (its first fields do not ascend) and would
    // be read as one column of misread numbers. Take the first candidate that
    // splits lines 1 and 2 into the same number of fields, all numbers.
    if (settings_.Delimiter == 0 && Lines() >= 3)
        for (char c : kCandidates)
            if (SplitsIntoNumbers(c)) {
                settings_.Delimiter = c;
                break;
            }
    firstData = GuessFirstDataLine(settings_.Delimiter, false);
    if (static_cast<std::size_t>(firstData) >= Lines())
        throw ETextImport("No Data in File");
    firstDataLine_ = firstData;

    const int column = overrides_.TimeColumn < 0 ? 0 : overrides_.TimeColumn - 1;
    const TTimeAnalysis t = AnalyseTime(settings_.Delimiter, column, firstData);
    cached_ = {true, settings_.Delimiter, column, firstData, t};
    settings_.HasTimeColumn = t.Kind != TTimeKind::None;
    settings_.NoTimeReference = !settings_.HasTimeColumn;
    settings_.TimeHasStamps = t.Kind == TTimeKind::DateStamps || t.Kind == TTimeKind::IntegerStamps;
    settings_.TimeIsDateTime = settings_.TimeHasStamps;
    settings_.SampleInterval = t.Kind == TTimeKind::Equidistant ? t.SampleRate / 10000.0 : 0;
    timeColumn_ = settings_.HasTimeColumn ? column : -1;
    for (std::size_t i = 0; i < std::min(kPreviewLines, lines_.size()); ++i)
        settings_.PreviewLines.emplace_back(lines_[i]);
}

void TTextFileHandler::CutFixedWidth()
{
    const auto cuts = FixedWidthCuts(lines_, base_ + 1);
    std::size_t total = 0;
    for (auto l : lines_)
        total += l.size() + cuts.size() + 1;
    std::string joined;
    joined.reserve(total);
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    spans.reserve(lines_.size());
    for (auto l : lines_) {
        const std::size_t start = joined.size();
        bool firstPiece = true;
        ForEachPiece(l, cuts, [&](std::string_view piece) {
            if (!firstPiece)
                joined.push_back('|');
            joined.append(piece);
            firstPiece = false;
        });
        spans.emplace_back(start, joined.size() - start);
    }
    fixedBuffer_ = std::move(joined);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        lines_[i] = std::string_view(fixedBuffer_).substr(spans[i].first, spans[i].second);
    if (hasUnitLine_) {
        std::string units;
        bool firstPiece = true;
        ForEachPiece(unitLine_, cuts, [&](std::string_view piece) {
            if (!firstPiece)
                units.push_back('|');
            units.append(piece);
            firstPiece = false;
        });
        unitLine_ = std::move(units);
    }
}

void TTextFileHandler::Import(const TTextFileSettings& choice)
{
    if (choice.Validate() != 0)
        throw ETextImport("The given time value is invalid.");
    char delim = choice.Delimiter();
    if (choice.Separation == TColumnSeparation::FixedWidth) {
        if (fixedBuffer_.empty())
            CutFixedWidth();
        delim = '|';
    } else if (!fixedBuffer_.empty()) {
        // An earlier import cut the lines: back to the lines of the file.
        fixedBuffer_.clear();
        SplitLines();
        if (hasUnitLine_)
            TakeUnitLine();
    }
    const int firstData = GuessFirstDataLine(delim, false);
    if (static_cast<std::size_t>(firstData) >= Lines())
        throw ETextImport("No Data in File");
    firstDataLine_ = firstData;
    const std::size_t first = static_cast<std::size_t>(firstData);
    const std::size_t records = Lines() - first;
    if (records > static_cast<std::size_t>(INT32_MAX))
        throw ETextImport("Too many lines in file");

    int column = overrides_.TimeColumn < 0 ? 0 : overrides_.TimeColumn - 1;
    // The analysis of Load holds when the choices read the lines the same way.
    const bool same = cached_.Valid && fixedBuffer_.empty() && cached_.Delimiter == delim && cached_.Column == column &&
                      cached_.FirstData == firstData;
    TTimeAnalysis t = same ? cached_.Result : AnalyseTime(delim, column, firstData);
    if (overrides_.TimeColumn > 0 && t.Kind == TTimeKind::None)
        throw ETextImport("Column " + std::to_string(overrides_.TimeColumn) + " holds no times");
    const int fields = CountFields(Line(first), delim);
    if (t.Kind != TTimeKind::None && column >= fields)
        t = TTimeAnalysis{};
    // A file whose only column looks like a time column keeps it as a channel:
    // a recording needs at least one channel.
    if (t.Kind != TTimeKind::None && fields == 1)
        t = TTimeAnalysis{};
    timeColumn_ = t.Kind == TTimeKind::None ? -1 : column;
    const int columns = fields - (timeColumn_ >= 0 ? 1 : 0);
    if (columns > kMaxImportColumns)
        throw ETextImport("The file has " + std::to_string(columns) + " data columns; a recording holds at most " +
                          std::to_string(kMaxImportColumns) + " channels");

    timeIsDate_ = t.Kind == TTimeKind::DateStamps;
    hasTimeStamps_ = t.Kind == TTimeKind::DateStamps || t.Kind == TTimeKind::IntegerStamps ||
                     choice.Time == TTimeInterpretation::DateTime;
    sampleRate_ = t.Kind == TTimeKind::Equidistant ? t.SampleRate : 0;
    if (const double interval = choice.Interval(); interval > 0)
        sampleRate_ = static_cast<std::int32_t>(RoundHalfEven(interval * 10000));
    recordCount_ = static_cast<std::int32_t>(records);
    comment_.clear();

    // Field index of each data column.
    std::vector<int> fieldOf;
    for (int f = 0; f < fields; ++f)
        if (f != timeColumn_)
            fieldOf.push_back(f);

    stamps_.clear();
    if (hasTimeStamps_) {
        stamps_.assign(records, 0);
        if (timeColumn_ >= 0)
            for (std::size_t i = 0; i < records; ++i) {
                const std::string_view cell = Unquote(GetField(Line(first + i), delim, timeColumn_));
                std::optional<std::int32_t> s;
                if (timeIsDate_) {
                    if (auto dt = ReadDateTime(cell, locale_))
                        s = DateTimeToSeconds2000(*dt);
                } else {
                    s = ReadInteger(cell);
                }
                if (!s)
                    throw ETextImport("Line " + std::to_string(base_ + first + i + 1) + ": \"" + std::string(cell) +
                                      "\" is no valid time");
                stamps_[i] = *s;
            }
    }

    // Names from the header line, or "Sensor A", "Sensor B", ...
    sensors_.assign(static_cast<std::size_t>(columns), TFileSensor{});
    for (int c = 0; c < columns; ++c) {
        auto& s = sensors_[static_cast<std::size_t>(c)];
        std::string name;
        if (first == 1) {
            name = std::string(Unquote(GetField(Line(0), delim, fieldOf[static_cast<std::size_t>(c)])));
            // A quote inside a quoted cell is written doubled.
            for (std::size_t q = name.find("\"\""); q != std::string::npos; q = name.find("\"\"", q + 1))
                name.erase(q, 1);
            if (!IsValidUtf8(name))
                name = Latin1ToUtf8(name);
        }
        s.Name = name.empty() ? "Sensor " + ColumnLetters(c) : name;
        if (hasUnitLine_) {
            std::string_view unit = Unquote(GetField(unitLine_, delim, fieldOf[static_cast<std::size_t>(c)]));
            if (unit.size() >= 2 && unit.front() == '[' && unit.back() == ']')
                unit = Trim(unit.substr(1, unit.size() - 2));
            s.Unit = std::string(unit);
            if (!IsValidUtf8(s.Unit))
                s.Unit = Latin1ToUtf8(s.Unit);
        }
        s.Values.resize(records);
    }

    // The cells, line by line: each line is walked once, field by field.
    std::vector<int> decimals(static_cast<std::size_t>(columns), 0);
    std::vector<double> lo(static_cast<std::size_t>(columns), std::numeric_limits<double>::infinity());
    std::vector<double> hi(static_cast<std::size_t>(columns), -std::numeric_limits<double>::infinity());
    std::vector<int> columnOfField(static_cast<std::size_t>(fields), -1);
    for (int c = 0; c < columns; ++c)
        columnOfField[static_cast<std::size_t>(fieldOf[static_cast<std::size_t>(c)])] = c;
    for (std::size_t i = 0; i < records; ++i) {
        const std::string_view line = Line(first + i);
        std::size_t start = 0;
        int f = 0;
        int seen = 0;
        while (f < fields) {
            // Cells are short: a plain scan beats a library call per cell.
            std::size_t end = line.size();
            if (delim != 0) {
                end = start;
                while (end < line.size() && line[end] != delim)
                    ++end;
            }
            const int c = columnOfField[static_cast<std::size_t>(f)];
            if (c >= 0) {
                std::string_view cell =
                    start < line.size() ? Trim(line.substr(start, end - start)) : std::string_view{};
                double v = kNaN;
                int d = 0;
                const auto cu = static_cast<std::size_t>(c);
                bool valid = !cell.empty() && ReadPlainDecimal(cell, v, d);
                if (!valid && !cell.empty()) {
                    cell = Unquote(cell);
                    if (!IsNoValue(cell)) {
                        const auto r = ReadNumber(cell);
                        if (!r)
                            throw ETextImport("Line " + std::to_string(base_ + first + i + 1) + ", column " +
                                              std::to_string(f + 1) + ": \"" + std::string(cell) + "\" is no number");
                        v = *r;
                        d = CountDecimals(cell);
                        valid = true;
                    }
                }
                if (valid) {
                    decimals[cu] = std::max(decimals[cu], std::min(4, d));
                    lo[cu] = std::min(lo[cu], v);
                    hi[cu] = std::max(hi[cu], v);
                }
                sensors_[static_cast<std::size_t>(c)].Values[i] = v;
                ++seen;
            }
            ++f;
            if (end >= line.size()) {
                // The fields beyond the end of the line are empty: no value.
                for (; f < fields; ++f)
                    if (const int c2 = columnOfField[static_cast<std::size_t>(f)]; c2 >= 0)
                        sensors_[static_cast<std::size_t>(c2)].Values[i] = kNaN;
                break;
            }
            start = end + 1;
        }
        (void)seen;
    }

    for (int c = 0; c < columns; ++c) {
        auto& s = sensors_[static_cast<std::size_t>(c)];
        const auto cu = static_cast<std::size_t>(c);
        if (lo[cu] > hi[cu]) {
            // No value at all: a neutral range.
            s.Minimum = 0;
            s.Maximum = 10;
        } else {
            s.Minimum = lo[cu];
            s.Maximum = hi[cu];
            if (RoundHalfEven(s.Maximum - s.Minimum) < 10)
                s.Maximum = s.Minimum + 10;
        }
        // Fewer decimals for large values, so that the raw values keep within
        // the +-1,000,000,000 of the model instead of all becoming no value.
        int d = decimals[cu];
        const double magnitude = std::max(std::fabs(s.Minimum), std::fabs(s.Maximum));
        while (d > 0 && magnitude * std::pow(10.0, d) > 1e9)
            --d;
        s.Decimals = d;
        s.Has32BitSize = true;
    }
}

bool TTextFileHandler::Analyse(std::string fileName, std::string content,
                               const std::function<bool(TTextFileSettings&, const TTextImportSettings&)>& dialog)
{
    Load(std::move(fileName), std::move(content));
    TTextFileSettings choice = TTextFileSettings::FromAnalysis(settings_);
    if (dialog && !dialog(choice, settings_))
        return false;
    Import(choice);
    return true;
}

} // namespace vro::textimport
