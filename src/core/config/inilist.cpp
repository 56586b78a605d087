#include "core/config/inilist.h"

#include "core/xml/xmlstream.h"
#include "core/xml/xmlutils.h"

namespace vro {

bool operator==(const TIniList::TSection& a, const TIniList::TSection& b)
{
    return a.name == b.name && a.lines == b.lines;
}

void TIniList::SelectSection(std::string_view name)
{
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (sections_[i].name == name) {
            current_ = static_cast<std::ptrdiff_t>(i);
            return;
        }
    sections_.push_back(TSection{std::string(name), {}});
    current_ = static_cast<std::ptrdiff_t>(sections_.size()) - 1;
}

std::string_view TIniList::CurrentSection() const
{
    return current_ < 0 ? std::string_view{} : std::string_view(sections_[static_cast<std::size_t>(current_)].name);
}

const TIniList::TSection* TIniList::FindSection(std::string_view name) const
{
    for (const TSection& s : sections_)
        if (s.name == name)
            return &s;
    return nullptr;
}

const std::string* TIniList::FindValue(const TSection* section, std::string_view key) const
{
    if (!section)
        return nullptr;
    for (const auto& [k, v] : section->lines)
        if (k == key)
            return &v;
    return nullptr;
}

TIniList::TSection& TIniList::Current()
{
    if (current_ < 0)
        throw std::logic_error("TIniList: no section selected");
    return sections_[static_cast<std::size_t>(current_)];
}

namespace {
const TIniList::TSection* CurrentOrNull(const std::vector<TIniList::TSection>& s, std::ptrdiff_t i)
{
    return i < 0 ? nullptr : &s[static_cast<std::size_t>(i)];
}
} // namespace

bool TIniList::HasKey(std::string_view key) const { return FindValue(CurrentOrNull(sections_, current_), key); }

bool TIniList::ReadBool(std::string_view key, bool def) const
{
    const std::string* v = FindValue(CurrentOrNull(sections_, current_), key);
    return v ? XmlToBool(*v, def) : def;
}

std::int32_t TIniList::ReadInt(std::string_view key, std::int32_t def) const
{
    const std::string* v = FindValue(CurrentOrNull(sections_, current_), key);
    return v ? XmlToInt(*v, def) : def;
}

std::string TIniList::ReadString(std::string_view key, std::string_view def) const
{
    const std::string* v = FindValue(CurrentOrNull(sections_, current_), key);
    return v ? XmlToString(*v, def) : std::string(def);
}

bool TIniList::HasKey(std::string_view section, std::string_view key) const
{
    return FindValue(FindSection(section), key);
}

bool TIniList::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    const std::string* v = FindValue(FindSection(section), key);
    return v ? XmlToBool(*v, def) : def;
}

std::int32_t TIniList::ReadInt(std::string_view section, std::string_view key, std::int32_t def) const
{
    const std::string* v = FindValue(FindSection(section), key);
    return v ? XmlToInt(*v, def) : def;
}

std::string TIniList::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    const std::string* v = FindValue(FindSection(section), key);
    return v ? XmlToString(*v, def) : std::string(def);
}

void TIniList::SetLine(std::string_view key, std::string value)
{
    TSection& s = Current();
    for (auto& [k, v] : s.lines)
        if (k == key) {
            v = std::move(value);
            return;
        }
    s.lines.emplace_back(std::string(key), std::move(value));
}

void TIniList::WriteBool(std::string_view key, bool b) { SetLine(key, BoolToXml(b)); }
void TIniList::WriteInt(std::string_view key, std::int64_t n) { SetLine(key, IntToXml(n)); }

void TIniList::WriteString(std::string_view key, std::string_view s)
{
    if (s.empty())
        DeleteKey(key);
    else
        SetLine(key, StringToXml(s));
}

void TIniList::DeleteKey(std::string_view key)
{
    TSection& s = Current();
    std::erase_if(s.lines, [&](const TLine& l) { return l.first == key; });
}

void TIniList::Clear()
{
    sections_.clear();
    current_ = -1;
}

namespace {
// A value read from a file may stand in single quotes and hold a double
// quote; the list keeps values ready to be written in double quotes.
std::string SafeValue(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (char c : raw) {
        if (c == '"')
            out.append("&quot;");
        else
            out.push_back(c);
    }
    return out;
}
} // namespace

namespace {
// Section and key names are written back as element and attribute names, so
// only XML-style names are taken from a file (a letter or "_" first, then
// letters, digits, "_", "-", "." or ":"; bytes of other scripts allowed).
bool IsPlainName(std::string_view name)
{
    if (name.empty())
        return false;
    auto letter = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
    };
    if (!letter(static_cast<unsigned char>(name[0])))
        return false;
    for (unsigned char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.' && c != ':')
            return false;
    return true;
}
} // namespace

void TIniList::LoadFromXml(TXmlReader& reader, std::string_view root)
{
    try {
        reader.FindElement(root);
    } catch (const EXmlEndOfInput&) {
        throw EConfigError("List not found in XML-Stream");
    }
    if (reader.Kind() != xkStartTag)
        return; // <root/> or <root></root>: no sections
    const std::ptrdiff_t keep = current_;
    reader.MarkLevel();
    while (reader.NextInLevel()) {
        if (reader.Kind() != xkEmpty)
            throw EConfigError("NonEmpty tags found in XML-Stream");
        if (!IsPlainName(reader.Name()))
            continue; // a damaged entry: left out rather than saved back altered
        SelectSection(reader.Name());
        for (const auto& [k, v] : reader.Attributes())
            if (IsPlainName(k))
                SetLine(k, SafeValue(v));
    }
    current_ = keep;
}

void TIniList::SaveToXml(TXmlWriter& writer, std::string_view root) const
{
    writer.BeginElement(root);
    for (const TSection& s : sections_) {
        writer.AddAttributes(s.lines);
        writer.EmptyElement(s.name);
    }
    writer.EndElement(root);
}

} // namespace vro
