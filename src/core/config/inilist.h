// TIniList: the settings in memory, an ordered list of named sections, each
// an ordered list of key=value lines. Values are held in their file form:
// booleans "1"/"0", integers in decimal, strings escaped as XML attribute
// values (ISO-8859-1 with character references, see core/xml/xmlutils.h),
// so a section is written to the configuration file exactly as it stands.
// Owned by TApplicationConfig; every part of the program that keeps settings
// selects its own section and reads and writes typed values. GUI thread only.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vro {

class TXmlReader;
class TXmlWriter;

// Raised by LoadFromXml for a file of the wrong shape.
class EConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniList {
public:
    using TLine = std::pair<std::string, std::string>; // key, value in file form
    struct TSection {
        std::string name;
        std::vector<TLine> lines;
    };

    // Makes the named section current (names match case-sensitively as
    // stored), appending an empty section when there is none.
    void SelectSection(std::string_view name);
    // Name of the current section; empty before the first selection.
    std::string_view CurrentSection() const;

    // In the current section. Before any selection reads give the default
    // and writes raise std::logic_error.
    bool HasKey(std::string_view key) const;
    bool ReadBool(std::string_view key, bool def) const;
    std::int32_t ReadInt(std::string_view key, std::int32_t def) const;
    // A missing key or an empty value gives def; otherwise the unescaped value (UTF-8).
    std::string ReadString(std::string_view key, std::string_view def) const;
    void WriteBool(std::string_view key, bool b);
    void WriteInt(std::string_view key, std::int64_t n);
    // Writing an empty string removes the key's line.
    void WriteString(std::string_view key, std::string_view s);
    void DeleteKey(std::string_view key);

    // The same in a named section without selecting it (reads create nothing).
    bool HasKey(std::string_view section, std::string_view key) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t def) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;

    // The file shape: the reader searches the root element; its children
    // must all be empty elements, each a section whose lines are its
    // attributes in order. "List not found in XML-Stream" when there is no
    // root, "NonEmpty tags found in XML-Stream" for another child; other
    // XML errors pass through. Sections read are appended (a name that is
    // already there gets the lines added to it); what was read before an
    // error stays.
    void LoadFromXml(TXmlReader& reader, std::string_view root);
    // Root element with one empty element per section, in list order.
    void SaveToXml(TXmlWriter& writer, std::string_view root) const;

    void Clear();
    const std::vector<TSection>& Sections() const { return sections_; }
    const TSection* FindSection(std::string_view name) const;

private:
    const std::string* FindValue(const TSection* section, std::string_view key) const;
    TSection& Current();
    void SetLine(std::string_view key, std::string value);

    std::vector<TSection> sections_;
    std::ptrdiff_t current_ = -1;
};

bool operator==(const TIniList::TSection& a, const TIniList::TSection& b);

} // namespace vro
