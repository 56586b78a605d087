// Time stamps and times: seconds since 2000-01-01 and times of day.
#include "core/values/dvxdatautils.h"

#include "core/util/numeric.h"

#include <cmath>
#include <limits>

namespace vro {

double ConvertDvxDateToDateTime(std::uint32_t Seconds) { return Seconds / 86400.0 + DvxDate2000; }

std::int32_t ConvertFloatToDvxDate(double DateTime)
{
    // Day counts are tested as doubles first, so that no conversion to an
    // integer can overflow; a negative value is a date before 1899.
    if (std::isnan(DateTime) || DateTime > 1.0e7)
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    if (DateTime < 0)
        throw EDvxValueError("ConvertFloatToDvxDate: Date < 01.01.2000");
    auto days = static_cast<std::int64_t>(std::trunc(DateTime));
    if (days >= 1)
        days -= 36526;
    if (days < 0)
        throw EDvxValueError("ConvertFloatToDvxDate: Date < 01.01.2000");
    const std::int64_t seconds = days * 86400;
    if (seconds > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    return static_cast<std::int32_t>(seconds);
}

std::int32_t ConvertTimeToDvxTime(double DateTime)
{
    if (!std::isfinite(DateTime))
        throw EDvxValueError("ConvertTimeToDvxTime: no valid Time");
    // The time of day is the fraction's magnitude, also for dates before 1899.
    const double frac = std::fabs(DateTime - std::trunc(DateTime));
    return static_cast<std::int32_t>(RoundHalfEven(frac * 86400.0));
}

std::int32_t ConvertDateTimeToDvxDateTime(double DateTime)
{
    const std::int64_t sum = std::int64_t{ConvertFloatToDvxDate(DateTime)} + ConvertTimeToDvxTime(DateTime);
    if (sum > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    return static_cast<std::int32_t>(sum);
}

std::int32_t ConvertStrToDvxTime(std::string_view Text, const TDvxFormatSettings& fs)
{
    const auto t = DvxTextToTime(DvxTrim(Text), fs);
    if (!t)
        throw EDvxValueError("ConvertStrToDvxTime: \"" + std::string(Text) + "\" is no valid Time!");
    return ConvertTimeToDvxTime(*t);
}

std::int32_t ConvertStrToDvxDateTime(std::string_view Text, const TDvxFormatSettings& fs)
{
    const auto t = DvxTextToDateTime(DvxTrim(Text), fs);
    if (!t)
        throw EDvxValueError("ConvertStrToDvxDateTime: \"" + std::string(Text) + "\" is no valid Date Time!");
    return ConvertDateTimeToDvxDateTime(*t);
}

} // namespace vro
