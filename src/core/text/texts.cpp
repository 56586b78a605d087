#include "core/text/texts.h"

#include "core/text/textdata.h"

#include <algorithm>
#include <atomic>
#include <charconv>

namespace vro {

namespace {

// The selections are plain atomics so that text() may be called from worker
// threads while the user-interface thread switches the language.
std::atomic<TTextLanguage> gTextLanguage{TTextLanguage::English};
std::atomic<TTextLanguage> gLibraryLanguage{TTextLanguage::German};

TTextLanguage LanguageFromCode(std::string_view code)
{
    if (code == "de")
        return TTextLanguage::German;
    if (code == "fr")
        return TTextLanguage::French;
    return TTextLanguage::English;
}

const char* const* MainTable(TTextLanguage language)
{
    switch (language) {
    case TTextLanguage::German: return textdata::kMainTextsDe;
    case TTextLanguage::French: return textdata::kMainTextsFr;
    case TTextLanguage::English: break;
    }
    return textdata::kMainTextsEn;
}

// Reads a decimal number from name[from, to); nothing when that is empty or
// not a number (a sign is accepted, as the integer conversion of the original
// accepts one).
std::optional<int> ParseNumber(std::string_view name, std::size_t from, std::size_t to)
{
    if (to <= from)
        return std::nullopt;
    std::string_view digits = name.substr(from, to - from);
    std::size_t start = 0;
    bool negative = false;
    if (digits[0] == '+' || digits[0] == '-') {
        negative = digits[0] == '-';
        start = 1;
    }
    if (start >= digits.size())
        return std::nullopt;
    int value = 0;
    auto [ptr, ec] = std::from_chars(digits.data() + start, digits.data() + digits.size(), value);
    if (ec != std::errc() || ptr != digits.data() + digits.size())
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace

void SelectTextLanguage(std::string_view code) { gTextLanguage.store(LanguageFromCode(code)); }

TTextLanguage TextLanguage() { return gTextLanguage.load(); }

std::string text(TTextLanguage language, int n)
{
    if (n < 0 || n >= kTextCount)
        return "TextErr-" + std::to_string(n);
    return MainTable(language)[n];
}

std::string text(int n) { return text(gTextLanguage.load(), n); }

std::string_view LanguageCode(TTextLanguage language)
{
    switch (language) {
    case TTextLanguage::German: return "de";
    case TTextLanguage::French: return "fr";
    case TTextLanguage::English: break;
    }
    return "en";
}

void SelectLibraryLanguage(std::string_view code) { gLibraryLanguage.store(LanguageFromCode(code)); }

TTextLanguage LibraryLanguage() { return gLibraryLanguage.load(); }

const TLibraryTexts& LibraryTexts(TTextLanguage language)
{
    switch (language) {
    case TTextLanguage::German: return textdata::kLibraryTextsDe;
    case TTextLanguage::French: return textdata::kLibraryTextsFr;
    case TTextLanguage::English: break;
    }
    return textdata::kLibraryTextsEn;
}

const TLibraryTexts& LibraryTexts() { return LibraryTexts(gLibraryLanguage.load()); }

std::optional<int> ComponentTextNumber(std::string_view name)
{
    if (name.size() <= 2 || name[0] != 'x')
        return std::nullopt;
    // The closing x is searched from the third character on, so that the
    // number has at least one character.
    std::size_t close = name.find('x', 2);
    if (close == std::string_view::npos)
        return std::nullopt;
    return ParseNumber(name, 1, close);
}

std::optional<int> ComponentSecondTextNumber(std::string_view name)
{
    if (name.size() <= 4 || name[0] != 'x')
        return std::nullopt;
    std::size_t first = name.find('x', 2);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::size_t second = name.find('x', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    return ParseNumber(name, first + 1, second);
}

void ApplyCaptions(const std::vector<ICaptionTarget*>& components, int base, const TTextLookup& lookup)
{
    for (ICaptionTarget* component : components) {
        if (component == nullptr)
            continue;
        const std::string name = component->Name();
        std::optional<int> n = ComponentTextNumber(name);
        if (!n)
            continue;
        switch (component->Kind()) {
        case TCaptionKind::Caption: component->SetCaption(lookup(base + *n)); break;
        case TCaptionKind::Lines: {
            std::vector<std::string> lines;
            if (std::optional<int> m = ComponentSecondTextNumber(name)) {
                // A reversed or absurd range yields an empty list rather than
                // thousands of "TextErr-" lines.
                if (*m >= *n && *m - *n < kTextCount) {
                    lines.reserve(static_cast<std::size_t>(*m - *n + 1));
                    for (int i = *n; i <= *m; ++i)
                        lines.push_back(lookup(base + i));
                }
            }
            component->SetLines(lines);
            break;
        }
        case TCaptionKind::Other: break;
        }
    }
}

void ApplyCaptions(const std::vector<ICaptionTarget*>& components, int base)
{
    ApplyCaptions(components, base, [](int n) { return text(n); });
}

std::optional<std::string> ButtonLabelCaption(std::string_view componentName)
{
    const TLibraryTexts& t = LibraryTexts();
    struct TEntry {
        std::string_view name;
        const char* TLibraryTexts::*caption;
    };
    static const TEntry kEntries[] = {
        {"OkLabel", &TLibraryTexts::OkCaption},
        {"CancelLabel", &TLibraryTexts::CancelCaption},
        {"YesLabel", &TLibraryTexts::YesCaption},
        {"NoLabel", &TLibraryTexts::NoCaption},
        {"YesToAllLabel", &TLibraryTexts::YesToAllCaption},
        {"NoToAllLabel", &TLibraryTexts::NoToAllCaption},
        {"RetryLabel", &TLibraryTexts::RetryCaption},
        {"AllLabel", &TLibraryTexts::AllCaption},
        {"IgnoreLabel", &TLibraryTexts::IgnoreCaption},
        {"AbortLabel", &TLibraryTexts::AbortCaption},
        {"HelpLabel", &TLibraryTexts::HelpCaption},
        {"ApplyLabel", &TLibraryTexts::ApplyCaption},
        {"NextLabel", &TLibraryTexts::NextCaption},
        {"BackLabel", &TLibraryTexts::BackCaption},
        {"CloseLabel", &TLibraryTexts::CloseCaption},
        {"PrintLabel", &TLibraryTexts::PrintCaption},
        {"CommentLabel", &TLibraryTexts::CommentCaption},
        {"RefreshLabel", &TLibraryTexts::RefreshCaption},
    };
    for (const TEntry& e : kEntries)
        if (e.name == componentName)
            return std::string(t.*(e.caption));
    return std::nullopt;
}

std::string StyleButtonLabelCaption(std::string_view componentName, std::string_view caption)
{
    std::optional<std::string> library = ButtonLabelCaption(componentName);
    std::string source = library ? *library : std::string(caption);
    // Strip the accelerator marker: a single "&" goes, "&&" stands for "&".
    std::string stripped;
    stripped.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '&') {
            if (i + 1 < source.size() && source[i + 1] == '&') {
                stripped.push_back('&');
                ++i;
            }
            continue;
        }
        stripped.push_back(source[i]);
    }
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t b = 0, e = stripped.size();
    while (b < e && isBlank(stripped[b]))
        ++b;
    while (e > b && isBlank(stripped[e - 1]))
        --e;
    return "  " + stripped.substr(b, e - b) + "  ";
}

} // namespace vro
