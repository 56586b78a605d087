// The program's own streaming XML writer and pull reader. They handle the
// subset the program writes itself: elements with quoted attributes, empty
// elements, elements with a short text body, comments and processing
// instructions skipped, no mixed content, no namespaces, the six entities of
// xmlutils.h. Used by recording files, setup files, the configuration file
// and the TDM export.
//
// TXmlWriter writes every item as one line ended by CR LF, indented by two
// blanks per open element, into its own buffer, a caller's string or a
// TAtomicFile (not owned). Items go to an attached file in order as they
// are produced, so a caller may write raw bytes to the same file between
// items (the recording file's binary block after the XML part).
//
// TXmlReader reads from its own buffer (LoadFromFile, LoadFromString), from
// caller's bytes in memory (AttachBuffer, not owned; the view must outlive
// the reading) or from a std::istream (AttachStream). It never consumes
// more than the ">" of the last item read (apart from the characters a
// start tag's body needs, which it hands back), and Position() tells the
// exact offset of the first byte not consumed: a caller that continues with
// raw bytes after the XML part starts there. With a stream, ReleaseStream()
// puts the stream at that offset again (the reader reads the stream ahead
// in blocks for speed).
//
// Errors are EXmlError with the system's texts (see the .cpp); reading past
// the end of the input raises EXmlEndOfInput ("Stream read error").
//
// Neither class is thread-safe; one object serves one document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vro {

class TAtomicFile;

class EXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reading past the end of the input ("Stream read error").
class EXmlEndOfInput : public EXmlError {
public:
    EXmlEndOfInput() : EXmlError("Stream read error") {}
};

// At most 15 elements may be open at once; a 16th raises.
inline constexpr int kXmlMaxLevels = 16;

class TXmlWriter {
public:
    TXmlWriter();
    TXmlWriter(const TXmlWriter&) = delete;
    TXmlWriter& operator=(const TXmlWriter&) = delete;

    // Later output is appended to that file / string (not owned).
    void AttachStream(TAtomicFile& file);
    void AttachStream(std::string& out);
    // Later output goes to the own buffer again.
    void AttachOwnBuffer();
    // The own buffer (everything written while it was the target).
    const std::string& Buffer() const { return buffer_; }
    std::string TakeBuffer();

    int Level() const { return level_; }

    // <?xml version="1.0" encoding="ISO-8859-1" standalone="yes"?> CR LF
    void WriteDeclaration();
    void WriteRaw(std::string_view text);

    // Pending attributes for the next element: ` name="text"`, text unchanged.
    void AddAttribute(std::string_view name, std::string_view text);
    // A program string (UTF-8) in its file form (StringToXml).
    void AddStringAttribute(std::string_view name, std::string_view s);
    void AddIntAttribute(std::string_view name, std::int64_t n);
    void AddBoolAttribute(std::string_view name, bool b);
    void AddDateTimeAttribute(std::string_view name, double dateTime);
    // Every line name=value as AddAttribute (values unchanged); a line
    // without "=" gives an attribute with an empty value.
    void AddAttributes(const std::vector<std::string>& lines);
    void AddAttributes(const std::vector<std::pair<std::string, std::string>>& pairs);

    // indent <name attrs> CR LF; then the element is open. The 16th level
    // raises "XMLStreamError: More then 16 Levels" after its line is written.
    void BeginElement(std::string_view name);
    // indent <name attrs /> CR LF
    void EmptyElement(std::string_view name);
    // indent </name> CR LF; raises "XML Error: Unexpected End Tag" when no
    // element is open or the innermost one has another name.
    void EndElement(std::string_view name);
    // indent <name attrs>text</name> CR LF, text unchanged.
    void TextElement(std::string_view name, std::string_view text);
    void StringElement(std::string_view name, std::string_view s);
    void IntElement(std::string_view name, std::int64_t n);
    void FixedElement(std::string_view name, std::int64_t raw, int decimals);
    // decimals < 0: the shortest round-trip text.
    void FloatElement(std::string_view name, int decimals, double x);

    // Writes the own buffer to the file (atomically: temporary file and
    // rename). The enciphered form has no writer: asking for it raises
    // EXmlError("enciphered output not supported") and writes nothing.
    void SaveToFile(const std::filesystem::path& name, bool enciphered = false) const;

private:
    void Emit(std::string_view text);
    void FlushLine();
    void Indent();

    std::string buffer_;
    std::string* outString_ = &buffer_;
    TAtomicFile* outFile_ = nullptr;
    std::string line_;    // the item being composed when the target is a file
    std::string pending_; // pending attribute text
    int level_ = 0;
    std::string names_[kXmlMaxLevels];
};

// Kind of the item last read.
enum TXmlKind : int {
    xkNone = 0,
    xkStartTag = 1,   // <a ...>   (opens a level)
    xkEndTag = 2,     // </a>
    xkEmpty = 3,      // <a ... />
    xkTextElement = 4 // <a ...>text</a> in one item (also <a></a> with nothing between)
};

class TXmlReader {
public:
    using TAttribute = std::pair<std::string, std::string>; // name, raw value

    TXmlReader();
    ~TXmlReader();
    TXmlReader(const TXmlReader&) = delete;
    TXmlReader& operator=(const TXmlReader&) = delete;

    // Reads bytes[start..] (not owned; must stay valid while reading).
    void AttachBuffer(std::string_view bytes, std::size_t start = 0);
    // Reads from the stream's current position (not owned).
    void AttachStream(std::istream& in);
    // Loads the whole file into the own buffer and reads from its start.
    // The enciphered form (check line "VxCrypt:" + 32 hex digits of the
    // MD5 of the cipher line, then the cipher line in hex) is deciphered
    // first; a malformed or mismatching check line raises
    // EXmlError("Checksum not valid!"). Unreadable file: std::runtime_error.
    void LoadFromFile(const std::filesystem::path& name);
    // The same for file content already in memory (taken over).
    void LoadFromString(std::string content);

    // Offset of the first byte not consumed: an index into the bytes given
    // to AttachBuffer / the loaded content, or the absolute stream position.
    std::uint64_t Position() const;
    // Puts an attached stream at Position() so that raw reads continue
    // right after the XML consumed. Raises EXmlError when it cannot seek.
    void ReleaseStream();

    // Reads the next item and sets Kind, Name, Attributes, Text.
    void ReadNext();

    int Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    const std::vector<TAttribute>& Attributes() const { return attributes_; }
    // Trimmed text after the last start tag up to the next "<" (raw).
    const std::string& Text() const { return text_; }
    int Level() const { return level_; }

    // Raw value of the attribute (name compared without regard to case);
    // empty when absent.
    std::string_view GetAttribute(std::string_view name) const;
    bool HasAttribute(std::string_view name) const;
    // Typed reads; a missing or malformed attribute yields the default.
    std::int32_t ReadInt(std::string_view name, std::int32_t def) const;
    std::int64_t ReadInt64(std::string_view name, std::int64_t def) const;
    bool ReadBool(std::string_view name, bool def) const;
    double ReadDateTime(std::string_view name, double def) const;
    double ReadFloat(std::string_view name, double def) const;
    // UTF-8 (XmlToString): an empty or missing attribute yields def.
    std::string ReadString(std::string_view name, std::string_view def) const;

    // ReadNext until an item with that name of kind 1, 3 or 4.
    void FindElement(std::string_view name);
    // MarkLevel remembers the current level; NextInLevel reads the next
    // item and tells whether the level is still at least the remembered
    // one. Used after a start tag to walk its children:
    //     r.MarkLevel(); while (r.NextInLevel()) { ... }
    // After an item that opened no level (an empty element or a text
    // element, which is also how "<a></a>" reads) the element has no
    // children: the next NextInLevel reads nothing and returns false.
    void MarkLevel();
    bool NextInLevel();
    // The attributes of the last item as name=value lines (appended).
    void CopyAttributes(std::vector<std::string>& lines) const;

private:
    void Reset();
    bool Refill();
    std::size_t FindByte(char c);
    char GetByte();
    void ParseAttributes(std::string_view text);

    std::string own_;      // own buffer (LoadFromFile) or stream block buffer
    std::string_view src_; // bytes readable now
    std::size_t pos_ = 0;  // next byte in src_
    std::istream* stream_ = nullptr;
    std::uint64_t streamBase_ = 0; // stream offset of src_[0]

    int kind_ = xkNone;
    std::string name_;
    std::string text_;
    std::vector<TAttribute> attributes_;
    int level_ = 0;
    std::string names_[kXmlMaxLevels];
    int markedLevel_ = 0;
    bool markedLeaf_ = false;
};

} // namespace vro
