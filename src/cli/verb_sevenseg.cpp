// vro sevenseg: the large display's seven-segment rules as text.
//   vro sevenseg TEXT... [--field W,H] [--json]
//     six masks per text (hex, left to right); with --field the geometry of
//     a field W x H at (0, 0): thickness, lines, and per digit its edges,
//     point and the hexagons of its lit segments
//   vro sevenseg --layout --panel W --scroll-height H --channels N --columns C [--minmax] [--json]
//     the cell layout after the automatic change of columns
#include "cli/verb.h"

#include "core/live/sevenseg.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace vro::cli {
namespace {

using json = nlohmann::ordered_json;
using namespace vro::live;

std::string MaskText(const TSevenSegMasks& m)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (i)
            s.push_back(' ');
        s.push_back(kHex[m[i] >> 4]);
        s.push_back(kHex[m[i] & 15]);
    }
    return s;
}

json Points(const auto& pts)
{
    json a = json::array();
    for (const TSegPoint& p : pts)
        a.push_back({p.X, p.Y});
    return a;
}

int Layout(TArgs& args, bool asJson)
{
    const int panel = static_cast<int>(args.IntOption("--panel", -1, 0, 100000));
    const int scroll = static_cast<int>(args.IntOption("--scroll-height", -1, 0, 100000));
    const int channels = static_cast<int>(args.IntOption("--channels", -1, 0, 70));
    const int columns = static_cast<int>(args.IntOption("--columns", 1, 1, 4));
    const bool minMax = args.Flag("--minmax");
    args.CheckAllUsed(0);
    if (panel < 0 || scroll < 0 || channels < 0)
        throw EUsage("--layout needs --panel W, --scroll-height H and --channels N");
    if (columns == 3)
        throw EUsage("--columns takes 1, 2 or 4");
    const TLargeDisplayLayout l = LargeDisplayLayout(panel, scroll, channels, columns, minMax);
    if (asJson) {
        std::cout << json{{"Columns", l.Columns},
                          {"Rows", l.Rows},
                          {"CellWidth", l.CellWidth},
                          {"CellHeight", l.CellHeight},
                          {"TwoRowsEnabled", l.TwoRowsEnabled},
                          {"FourRowsEnabled", l.FourRowsEnabled}}
                         .dump(2)
                  << "\n";
        return 0;
    }
    std::printf("Columns %d\nRows %d\nCellWidth %d\nCellHeight %d\nTwoRowsEnabled %s\nFourRowsEnabled %s\n", l.Columns,
                l.Rows, l.CellWidth, l.CellHeight, l.TwoRowsEnabled ? "true" : "false",
                l.FourRowsEnabled ? "true" : "false");
    return 0;
}

int Run(TArgs& args)
{
    const bool asJson = args.Flag("--json");
    if (args.Flag("--layout"))
        return Layout(args, asJson);
    const auto field = args.Option("--field");
    args.CheckAllUsed(static_cast<std::size_t>(-1));
    const auto texts = args.Positionals();
    if (texts.empty())
        throw EUsage("give at least one TEXT");
    int w = 0, h = 0;
    if (field) {
        char rest = 0;
        if (std::sscanf(field->c_str(), "%d,%d%c", &w, &h, &rest) != 2 || w < 0 || h < 0 || w > 100000 || h > 100000)
            throw EUsage("--field takes W,H (two numbers 0..100000)");
    }
    json all = json::array();
    for (const std::string& t : texts) {
        const TSevenSegMasks m = SevenSegMasks(t);
        json j{{"Text", t}};
        json masks = json::array();
        char buf[4];
        for (auto v : m) {
            std::snprintf(buf, sizeof buf, "%02X", v);
            masks.push_back(buf);
        }
        j["Masks"] = masks;
        if (field) {
            const TSevenSegGeometry g = SevenSegLayout(m, 0, 0, w, h);
            j["Thickness"] = g.Thickness;
            j["TopLine"] = g.TopLine;
            j["MiddleLine"] = g.MiddleLine;
            j["BottomLine"] = g.BottomLine;
            json digits = json::array();
            for (const auto& d : g.Digits) {
                json segs = json::array();
                for (const auto& s : d.Segments)
                    segs.push_back(Points(s));
                digits.push_back({{"Left", d.Left},
                                  {"Right", d.Right},
                                  {"Point", d.Point},
                                  {"Segments", segs},
                                  {"PointOctagon", Points(d.PointOctagon)}});
            }
            if (g.Thickness > 0)
                j["Digits"] = digits;
            else
                j["Digits"] = json::array();
        }
        if (!asJson) {
            std::cout << MaskText(m);
            if (field)
                std::cout << "  Thickness " << j["Thickness"] << "  TopLine " << j["TopLine"] << "  MiddleLine "
                          << j["MiddleLine"] << "  BottomLine " << j["BottomLine"];
            std::cout << "  " << t << "\n";
        }
        all.push_back(j);
    }
    if (asJson)
        std::cout << (all.size() == 1 ? all[0] : all).dump(2) << "\n";
    return 0;
}

} // namespace

int VerbSevenseg(TArgs& args) { return Run(args); }

} // namespace vro::cli
