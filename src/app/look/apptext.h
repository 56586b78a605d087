// The bridge from the text tables of the core to Qt strings. Every text the
// program shows goes through these functions, so the language chosen in the
// configuration applies everywhere.
#pragma once

#include <QString>

namespace vro::app {

// Main-table text n in the active language.
QString Txt(int n);

// Library text of a clickable button label by its component name
// ("OkLabel", "CancelLabel", ...); empty when the name has no library caption.
QString LibraryButtonCaption(const QString& labelName);

// The library's "is aborted..." line of the progress window.
QString LibraryAbortedText();

// The progress window's line "Press ESC to abort".
QString LibraryEscHintText();

// Selects the main table and the library texts for a language code.
void SelectLanguage(const QString& code);

// The application title; the window captions and the hand-off rely on it.
inline QString ApplicationTitle() { return QStringLiteral("VROWIN"); }

} // namespace vro::app
