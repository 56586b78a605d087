// Linked into every test program: the tests start with the German number and
// date forms their expectations are written in, whatever the locale of the
// machine that runs them. Tests of other forms set theirs.
#include "core/values/dvxdatetime.h"

namespace {

const bool kGermanForms = [] {
    vro::SetDvxFormatSettings(vro::TDvxFormatSettings::German());
    return true;
}();

} // namespace
