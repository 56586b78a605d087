// vro remarks: the remark list, the remark editor and the remark tool's
// mouse edits on a recording file, without a screen. The view is the
// file's stored window and ranges on a plot of W × H (the view's extents,
// plot pixels minus one; --extent W,H, default 1000,1000).
#include "cli/verb.h"
#include "core/construct/loadrecordingfile.h"

#include "core/graph/remarks.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/util/charset.h"
#include "core/values/dvxdatetime.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <iostream>

namespace vro::cli {

using TJson = nlohmann::ordered_json;

// verb_info.cpp
TJson RemarkJson(const TRemarkData& m);

namespace {

using graph::TGraphicView;

// A refusal of the editor or the tool: the text number and its English
// text, exit status 1, nothing written.
class ERefusal : public std::runtime_error {
public:
    explicit ERefusal(int n) : std::runtime_error(std::to_string(n) + ": " + text(TTextLanguage::English, n)) {}
    explicit ERefusal(const std::string& message) : std::runtime_error(message) {}
};

std::pair<long long, long long> Pair(const std::string& option, const std::string& value, long long lo, long long hi)
{
    const auto comma = value.find(',');
    auto num = [&](std::string_view s) {
        long long v = 0;
        const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec != std::errc() || p != s.data() + s.size() || s.empty())
            throw EUsage("option " + option + ": \"" + value + "\" is not two whole numbers A,B");
        if (v < lo || v > hi)
            throw EUsage("option " + option + ": " + std::string(s) + " is outside " + std::to_string(lo) + ".." +
                         std::to_string(hi));
        return v;
    };
    if (comma == std::string::npos)
        throw EUsage("option " + option + ": \"" + value + "\" is not two whole numbers A,B");
    const std::string_view v(value);
    return {num(v.substr(0, comma)), num(v.substr(comma + 1))};
}

struct TSession {
    TRecording Recording;
    TGraphicView View;
    std::string In;

    void Open(const std::string& file, const std::optional<std::string>& extent)
    {
        long long w = 1000, h = 1000;
        if (extent)
            std::tie(w, h) = Pair("--extent", *extent, 1, 100000);
        In = file;
        SetDvxFormatSettings(TDvxFormatSettings::Iso());
        LoadRecordingFile(file, Recording);
        for (const auto& warning : Recording.LoadWarnings)
            std::cerr << warning << "\n";
        View.SetRecording(&Recording);
        View.SetSize(static_cast<int>(w) + 1, static_cast<int>(h) + 1, nullptr);
    }
    int Index(const std::string& word) const
    {
        int i = -1;
        const auto [p, ec] = std::from_chars(word.data(), word.data() + word.size(), i);
        if (ec != std::errc() || p != word.data() + word.size())
            throw EUsage("INDEX \"" + word + "\" is not a whole number");
        if (i < 0 || i >= View.RemarkCount())
            throw EUsage("INDEX " + word + ": the recording has " + std::to_string(View.RemarkCount()) + " remarks");
        return i;
    }
    void Save(const std::optional<std::string>& out)
    {
        Recording.FileName = out.value_or(In);
        Recording.NameConfirmed = true;
        Recording.SaveToFile();
    }
};

// Line breaks and tabs shown as escapes, so that a remark is one line.
std::string OneLine(const std::string& s)
{
    std::string o;
    for (const char c : s) {
        if (c == '\r')
            o += "\\r";
        else if (c == '\n')
            o += "\\n";
        else if (c == '\t')
            o += "\\t";
        else
            o += c;
    }
    return o;
}

// The editor's edits from the options, in the order a user would make them.
struct TEdits {
    std::optional<std::string> At, Text, Anchor, Size, Color;
    bool NoAnchor = false, Bold = false, NoBold = false, Italic = false, NoItalic = false, Underline = false,
         NoUnderline = false, Hidden = false, Shown = false;

    void Take(TArgs& args, bool existing)
    {
        At = args.Option("--at");
        Text = args.Option("--text");
        Anchor = args.Option("--anchor");
        NoAnchor = args.Flag("--no-anchor");
        Size = args.Option("--size");
        Color = args.Option("--color");
        Bold = args.Flag("--bold");
        Italic = args.Flag("--italic");
        Underline = args.Flag("--underline");
        Hidden = args.Flag("--hidden");
        if (existing) {
            NoBold = args.Flag("--no-bold");
            NoItalic = args.Flag("--no-italic");
            NoUnderline = args.Flag("--no-underline");
            Shown = args.Flag("--shown");
        }
        if (Anchor && NoAnchor)
            throw EUsage("--anchor and --no-anchor exclude each other");
        if (Text && !IsValidUtf8(*Text))
            throw EUsage("--text is not UTF-8");
    }

    void Apply(graph::TRemarkEditorLogic& e) const
    {
        if (NoAnchor)
            e.SetAnchorBox(false);
        if (Anchor) {
            int k = -1;
            const auto [p, ec] = std::from_chars(Anchor->data(), Anchor->data() + Anchor->size(), k);
            if (ec != std::errc() || p != Anchor->data() + Anchor->size())
                throw EUsage("--anchor \"" + *Anchor + "\" is not a channel number");
            if (!e.AnchorBoxEnabled)
                throw EUsage("--anchor: this remark cannot be anchored (X-Y mode or no visible channel)");
            if (k < 0 || k >= static_cast<int>(e.Channels.size()) || !e.Channels[static_cast<std::size_t>(k)].Enabled)
                throw EUsage("--anchor " + *Anchor + ": not a visible channel other than the X axis");
            e.SetAnchorBox(true);
            e.CheckChannel(k, true);
        }
        if (Text)
            e.Text = graph::RemarkTextForEditor(*Text);
        if (Size)
            e.SizeText = *Size;
        if (Color) {
            long long v = 0;
            const std::string& c = *Color;
            const bool hex = c.size() > 2 && c[0] == '0' && (c[1] == 'x' || c[1] == 'X');
            const char* b = c.data() + (hex ? 2 : 0);
            const auto [p, ec] = std::from_chars(b, c.data() + c.size(), v, hex ? 16 : 10);
            if (ec != std::errc() || p != c.data() + c.size() || v < -2147483648LL || v > 4294967295LL)
                throw EUsage("--color \"" + c + "\" is not a colour value (decimal or 0x hex, red in the low byte)");
            e.Color = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        }
        if (Bold)
            e.Bold = true;
        if (NoBold)
            e.Bold = false;
        if (Italic)
            e.Italic = true;
        if (NoItalic)
            e.Italic = false;
        if (Underline)
            e.Underline = true;
        if (NoUnderline)
            e.Underline = false;
        if (Hidden)
            e.VisibleBox = false;
        if (Shown)
            e.VisibleBox = true;
    }
};

void PrintStored(const TSession& s, int index, bool json)
{
    const TRemarkData& m = s.Recording.Remarks[static_cast<std::size_t>(index)];
    if (json) {
        TJson j = RemarkJson(m);
        j["Index"] = index;
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << index << " " << m.RemarkId << "\n";
    }
}

int RunEdit(TArgs& args, bool isNew)
{
    const bool json = args.Flag("--json");
    TEdits edits;
    edits.Take(args, !isNew);
    const auto extent = args.Option("--extent");
    const std::size_t outAt = isNew ? 1 : 2;
    args.CheckAllUsed(outAt + 1);
    const auto pos = args.Positionals();
    TSession s;
    s.Open(args.Positional(0, "FILE"), extent);
    const int index = isNew ? -1 : s.Index(args.Positional(1, "INDEX"));
    if (isNew && s.View.RemarkCount() >= graph::kMaxRemarks)
        throw ERefusal(261);
    int x = isNew ? s.View.XExtent / 2 : -1, y = isNew ? s.View.YExtent / 2 : -1;
    if (edits.At) {
        const auto [ax, ay] = Pair("--at", *edits.At, -1000000000, 1000000000);
        x = static_cast<int>(ax);
        y = static_cast<int>(ay);
    }
    graph::TRemarkEditorLogic e(s.View, index, x, y);
    edits.Apply(e);
    if (const int refusal = e.Ok())
        throw ERefusal(refusal);
    s.Save(pos.size() > outAt ? std::optional(pos[outAt]) : std::nullopt);
    PrintStored(s, isNew ? s.View.RemarkCount() - 1 : index, json);
    return 0;
}

int RunDelete(TArgs& args)
{
    args.CheckAllUsed(3);
    TSession s;
    s.Open(args.Positional(0, "FILE"), std::nullopt);
    const int index = s.Index(args.Positional(1, "INDEX"));
    s.View.DeleteRemark(index);
    const auto pos = args.Positionals();
    s.Save(pos.size() > 2 ? std::optional(pos[2]) : std::nullopt);
    std::cout << "deleted remark " << index << "\n";
    return 0;
}

int RunMove(TArgs& args, bool anchor)
{
    const auto to = args.Option(anchor ? "--to-x" : "--to");
    const auto extent = args.Option("--extent");
    args.CheckAllUsed(3);
    TSession s;
    s.Open(args.Positional(0, "FILE"), extent);
    if (!to)
        throw EUsage(anchor ? "missing --to-x X" : "missing --to X,Y");
    const int index = s.Index(args.Positional(1, "INDEX"));
    TRemarkData& m = s.Recording.Remarks[static_cast<std::size_t>(index)];
    // The tool reaches only remarks that are drawn.
    if (!graph::RemarkShown(s.View, m))
        throw ERefusal("remark " + std::to_string(index) + " is not shown in this view");
    if (anchor) {
        long long x = 0;
        const auto [p, ec] = std::from_chars(to->data(), to->data() + to->size(), x);
        if (ec != std::errc() || p != to->data() + to->size() || x < -1000000000 || x > 1000000000)
            throw EUsage("--to-x \"" + *to + "\" is not a whole number");
        if (!m.IsAnchored)
            throw ERefusal("remark " + std::to_string(index) + " is not anchored");
        if (x < 0 || x > s.View.XExtent || !s.View.ValidAnchorTarget(m, static_cast<int>(x)))
            throw ERefusal("no valid anchor target");
        s.View.MoveRemarkAnchor(index, static_cast<int>(x));
    } else {
        const auto [x, y] = Pair("--to", *to, -1000000000, 1000000000);
        if (x < 0 || y < 0 || x > s.View.XExtent || y > s.View.YExtent)
            throw ERefusal("the position lies outside the plot (a release outside changes nothing)");
        s.View.SetRemarkPosition(m, static_cast<double>(x), static_cast<double>(y));
        s.Recording.Saved = false;
    }
    const auto pos = args.Positionals();
    s.Save(pos.size() > 2 ? std::optional(pos[2]) : std::nullopt);
    PrintStored(s, index, false);
    return 0;
}

int RunListVerb(TArgs& args)
{
    const bool json = args.Flag("--json");
    const auto extentGiven = args.Option("--extent");
    args.CheckAllUsed(1);
    TSession s;
    s.Open(args.Positional(0, "FILE"), extentGiven);
    graph::TRemarkListLogic list(s.View);
    TJson rows = TJson::array();
    for (int i = 0; i < s.View.RemarkCount(); ++i) {
        const graph::TRemarkRow row = list.Row(i);
        const TRemarkData& m = s.Recording.Remarks[static_cast<std::size_t>(i)];
        TJson j;
        j["Row"] = i;
        j["Visible"] = m.Visible;
        j["XAxis"] = row.XAxis;
        j["Anchor"] = row.Anchor;
        j["Position"] = row.Position;
        j["Comment"] = row.Text;
        if (extentGiven) {
            const graph::TRemarkPlacement p = graph::PlaceRemark(s.View, m);
            j["Drawn"] = p.Drawn;
            if (p.Drawn) {
                j["px"] = p.Px;
                j["py"] = p.Py;
                if (p.HasAnchor) {
                    j["ax"] = p.Ax;
                    j["ay"] = p.Ay;
                }
                j["Text"] = p.Text;
            }
        }
        rows.push_back(std::move(j));
    }
    if (json) {
        TJson doc;
        doc["RemarkCount"] = s.View.RemarkCount();
        doc["LastRemarkId"] = s.Recording.LastRemarkId;
        doc["Remarks"] = std::move(rows);
        std::cout << doc.dump(2) << "\n";
        return 0;
    }
    if (list.Placeholder()) {
        std::cout << list.Row(0).Text << "\n";
        return 0;
    }
    for (const auto& j : rows) {
        std::cout << j["Row"].get<int>() << (j["Visible"].get<bool>() ? " [x] " : " [ ] ")
                  << j["XAxis"].get<std::string>() << " | " << j["Anchor"].get<std::string>() << " | "
                  << j["Position"].get<std::string>() << " | " << OneLine(j["Comment"].get<std::string>());
        if (j.contains("Drawn")) {
            if (j["Drawn"].get<bool>()) {
                std::cout << " | at " << j["px"].get<int>() << "," << j["py"].get<int>();
                if (j.contains("ax"))
                    std::cout << " anchor " << j["ax"].get<int>() << "," << j["ay"].get<int>();
                std::cout << " | " << OneLine(j["Text"].get<std::string>());
            } else {
                std::cout << " | not drawn";
            }
        }
        std::cout << "\n";
    }
    return 0;
}

int Guard(const std::function<int()>& f)
{
    try {
        return f();
    } catch (const ERefusal& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

} // namespace

int VerbRemarksList(TArgs& args)
{
    return Guard([&] { return RunListVerb(args); });
}
int VerbRemarksAdd(TArgs& args)
{
    return Guard([&] { return RunEdit(args, true); });
}
int VerbRemarksEdit(TArgs& args)
{
    return Guard([&] { return RunEdit(args, false); });
}
int VerbRemarksDelete(TArgs& args)
{
    return Guard([&] { return RunDelete(args); });
}
int VerbRemarksMove(TArgs& args)
{
    return Guard([&] { return RunMove(args, false); });
}
int VerbRemarksReanchor(TArgs& args)
{
    return Guard([&] { return RunMove(args, true); });
}

} // namespace vro::cli
