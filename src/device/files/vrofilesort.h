// The sorting of the two file lists: by name (the caller's locale-aware,
// case-sensitive text comparison; equal recorder names by their numbers as
// integers, so Test 9 comes before Test 10) or by date and time ("---",
// no date, counts as 0). Sorting is stable and moves whole lines, so each
// line keeps the directory index or file path it addresses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vro {

struct TVroListLine {
    std::string Name;
    std::uint32_t Number = 0;
    bool HasNumber = false; // recorder entries
    double DateTime = 0;    // day count; 0 for none
    int Index = -1;         // recorder entry index, or -1 for a file
    std::string Path;       // the file, for folder lines
};

enum class TVroSortColumn { Name, Date };

// <0, 0, >0 like strcmp.
using TVroTextCompare = std::function<int(const std::string&, const std::string&)>;

// strcoll under the process locale (the `vro` command sets it from the environment).
int LocaleTextCompare(const std::string& a, const std::string& b);

bool VroLineLess(const TVroListLine& a, const TVroListLine& b, TVroSortColumn column, const TVroTextCompare& compare);

void SortVroLines(std::vector<TVroListLine>& lines, TVroSortColumn column, bool descending,
                  const TVroTextCompare& compare = LocaleTextCompare);

} // namespace vro
