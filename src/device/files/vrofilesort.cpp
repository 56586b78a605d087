#include "device/files/vrofilesort.h"

#include <algorithm>
#include <cstring>

namespace vro {

int LocaleTextCompare(const std::string& a, const std::string& b) { return std::strcoll(a.c_str(), b.c_str()); }

bool VroLineLess(const TVroListLine& a, const TVroListLine& b, TVroSortColumn column, const TVroTextCompare& compare)
{
    if (column == TVroSortColumn::Date)
        return a.DateTime < b.DateTime;
    const int c = compare(a.Name, b.Name);
    if (c != 0)
        return c < 0;
    return a.HasNumber && b.HasNumber && a.Number < b.Number;
}

void SortVroLines(std::vector<TVroListLine>& lines, TVroSortColumn column, bool descending,
                  const TVroTextCompare& compare)
{
    std::stable_sort(lines.begin(), lines.end(), [&](const TVroListLine& a, const TVroListLine& b) {
        return descending ? VroLineLess(b, a, column, compare) : VroLineLess(a, b, column, compare);
    });
}

} // namespace vro
