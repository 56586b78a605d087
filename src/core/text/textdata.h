// The constant text data: one main table per language (generated from the
// translators' TSV files by scripts/gen-texts) and one library block each.
#pragma once

#include "core/text/texts.h"

namespace vro::textdata {

extern const char* const kMainTextsDe[kTextCount];
extern const char* const kMainTextsEn[kTextCount];
extern const char* const kMainTextsFr[kTextCount];

extern const TLibraryTexts kLibraryTextsDe;
extern const TLibraryTexts kLibraryTextsEn;
extern const TLibraryTexts kLibraryTextsFr;

} // namespace vro::textdata
