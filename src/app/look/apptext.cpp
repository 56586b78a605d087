#include "app/look/apptext.h"

#include "core/text/texts.h"

namespace vro::app {

QString Txt(int n) { return QString::fromStdString(vro::text(n)); }

QString LibraryButtonCaption(const QString& labelName)
{
    const auto caption = vro::ButtonLabelCaption(labelName.toStdString());
    return caption ? QString::fromStdString(*caption) : QString();
}

QString LibraryAbortedText() { return QString::fromUtf8(vro::LibraryTexts().AbortedText); }

QString LibraryEscHintText()
{
    // The library set has no line for this hint; it follows the library language.
    switch (vro::LibraryLanguage()) {
    case TTextLanguage::German: return QStringLiteral("ESC drücken zum Abbrechen");
    case TTextLanguage::French: return QStringLiteral("Appuyer sur ESC pour interrompre");
    default: return QStringLiteral("Press ESC to abort");
    }
}

void SelectLanguage(const QString& code)
{
    const std::string c = code.toStdString();
    vro::SelectTextLanguage(c);
    vro::SelectLibraryLanguage(c);
}

} // namespace vro::app
