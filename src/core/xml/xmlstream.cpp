#include "core/xml/xmlstream.h"

#include "core/util/text.h"

#include "core/util/atomicfile.h"
#include "core/util/md5.h"
#include "core/xml/ezcrypt.h"
#include "core/xml/xmlutils.h"

#include <cstring>
#include <istream>

namespace vro {

namespace {

constexpr const char* kLevelsError = "XMLStreamError: More then 16 Levels";
constexpr const char* kEndTagError = "XML Error: Unexpected End Tag";
constexpr const char* kUnknownTagError = "XML Unknown-Tag-Error";
constexpr const char* kNotQuotedError = "XML Error: Attribute not quoted";
constexpr const char* kChecksumError = "Checksum not valid!";
constexpr std::size_t kStreamBlock = 64 * 1024;

bool ContainsNoCase(std::string_view hay, std::string_view needle)
{
    if (needle.size() > hay.size())
        return false;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (EqualNoCase(hay.substr(i, needle.size()), needle))
            return true;
    return false;
}

int HexCharToInt(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw EXmlError(std::string("HexCharToInt: ") + c + " ist no valid Hexchar");
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The enciphered form: line 0 "VxCrypt:" + 32 hex digits of the MD5 of line
// 1, line 1 the ciphertext as hexadecimal pairs. Returns the plaintext, or
// nothing when the first line does not name the form.
bool DecipherIfEnciphered(std::string& content)
{
    const std::size_t end0 = content.find_first_of("\r\n");
    const std::string_view line0 = std::string_view(content).substr(0, end0);
    if (!ContainsNoCase(line0, "VxCrypt:"))
        return false;
    // The check line must be exactly the prefix and the 32 digits, and a
    // cipher line must follow it.
    if (line0.size() != 40 || !EqualNoCase(line0.substr(0, 8), "VxCrypt:") || end0 == std::string::npos)
        throw EXmlError(kChecksumError);
    for (char c : line0.substr(8))
        if (!IsHexDigit(c))
            throw EXmlError(kChecksumError);
    std::size_t p = end0;
    if (content[p] == '\r')
        ++p;
    if (p < content.size() && content[p] == '\n')
        ++p;
    std::size_t end1 = content.find_first_of("\r\n", p);
    if (end1 == std::string::npos)
        end1 = content.size();
    const std::string_view line1 = std::string_view(content).substr(p, end1 - p);
    if (Md5Hex(line1) != line0.substr(8, 32))
        throw EXmlError(kChecksumError);
    std::string cipher(line1.size() / 2, '\0');
    for (std::size_t i = 0; i < cipher.size(); ++i)
        cipher[i] = static_cast<char>(HexCharToInt(line1[2 * i]) * 16 + HexCharToInt(line1[2 * i + 1]));
    auto* bytes = reinterpret_cast<std::uint8_t*>(cipher.data());
    EZDecipher({bytes, cipher.size()}, {bytes, cipher.size()});
    // The reader's source is exactly the plaintext.
    content = std::move(cipher);
    return true;
}

} // namespace

// ---------------------------------------------------------------- writer

TXmlWriter::TXmlWriter() = default;

void TXmlWriter::AttachStream(TAtomicFile& file)
{
    outFile_ = &file;
    outString_ = &line_;
}

void TXmlWriter::AttachStream(std::string& out)
{
    outFile_ = nullptr;
    outString_ = &out;
}

void TXmlWriter::AttachOwnBuffer()
{
    outFile_ = nullptr;
    outString_ = &buffer_;
}

std::string TXmlWriter::TakeBuffer()
{
    std::string out = std::move(buffer_);
    buffer_.clear();
    return out;
}

void TXmlWriter::Emit(std::string_view text) { outString_->append(text); }

void TXmlWriter::FlushLine()
{
    if (outFile_ && !line_.empty()) {
        outFile_->Write(std::string_view(line_));
        line_.clear();
    }
}

void TXmlWriter::Indent() { outString_->append(static_cast<std::size_t>(level_) * 2, ' '); }

void TXmlWriter::WriteDeclaration()
{
    Emit("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\r\n");
    FlushLine();
}

void TXmlWriter::WriteRaw(std::string_view text)
{
    Emit(text);
    FlushLine();
}

void TXmlWriter::AddAttribute(std::string_view name, std::string_view text)
{
    pending_.push_back(' ');
    pending_.append(name);
    pending_.append("=\"");
    pending_.append(text);
    pending_.push_back('"');
}

void TXmlWriter::AddStringAttribute(std::string_view name, std::string_view s)
{
    pending_.push_back(' ');
    pending_.append(name);
    pending_.append("=\"");
    AppendStringAsXml(pending_, s);
    pending_.push_back('"');
}

void TXmlWriter::AddIntAttribute(std::string_view name, std::int64_t n) { AddAttribute(name, IntToXml(n)); }
void TXmlWriter::AddBoolAttribute(std::string_view name, bool b) { AddAttribute(name, b ? "1" : "0"); }
void TXmlWriter::AddDateTimeAttribute(std::string_view name, double dt) { AddAttribute(name, DateTimeToXml(dt)); }

void TXmlWriter::AddAttributes(const std::vector<std::string>& lines)
{
    for (const std::string& l : lines) {
        const std::size_t eq = l.find('=');
        if (eq == std::string::npos)
            AddAttribute(l, "");
        else
            AddAttribute(std::string_view(l).substr(0, eq), std::string_view(l).substr(eq + 1));
    }
}

void TXmlWriter::AddAttributes(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    for (const auto& [k, v] : pairs)
        AddAttribute(k, v);
}

void TXmlWriter::BeginElement(std::string_view name)
{
    Indent();
    Emit("<");
    Emit(name);
    Emit(pending_);
    Emit(">\r\n");
    FlushLine();
    pending_.clear();
    if (level_ >= kXmlMaxLevels - 1)
        throw EXmlError(kLevelsError);
    names_[level_].assign(name);
    ++level_;
}

void TXmlWriter::EmptyElement(std::string_view name)
{
    Indent();
    Emit("<");
    Emit(name);
    Emit(pending_);
    Emit(" />\r\n");
    FlushLine();
    pending_.clear();
}

void TXmlWriter::EndElement(std::string_view name)
{
    if (level_ <= 0 || names_[level_ - 1] != name)
        throw EXmlError(kEndTagError);
    --level_;
    Indent();
    Emit("</");
    Emit(name);
    Emit(">\r\n");
    FlushLine();
}

void TXmlWriter::TextElement(std::string_view name, std::string_view text)
{
    Indent();
    Emit("<");
    Emit(name);
    Emit(pending_);
    Emit(">");
    Emit(text);
    Emit("</");
    Emit(name);
    Emit(">\r\n");
    FlushLine();
    pending_.clear();
}

void TXmlWriter::StringElement(std::string_view name, std::string_view s) { TextElement(name, StringToXml(s)); }
void TXmlWriter::IntElement(std::string_view name, std::int64_t n) { TextElement(name, IntToXml(n)); }

void TXmlWriter::FixedElement(std::string_view name, std::int64_t raw, int decimals)
{
    TextElement(name, FixedToXml(raw, decimals));
}

void TXmlWriter::FloatElement(std::string_view name, int decimals, double x)
{
    TextElement(name, FloatToXml(x, decimals));
}

void TXmlWriter::SaveToFile(const std::filesystem::path& name, bool enciphered) const
{
    if (enciphered)
        throw EXmlError("enciphered output not supported");
    WriteFileAtomically(name, buffer_);
}

// ---------------------------------------------------------------- reader

TXmlReader::TXmlReader() = default;
TXmlReader::~TXmlReader() = default;

void TXmlReader::Reset()
{
    own_.clear();
    src_ = {};
    pos_ = 0;
    stream_ = nullptr;
    streamBase_ = 0;
    kind_ = xkNone;
    name_.clear();
    text_.clear();
    attributes_.clear();
    level_ = 0;
    markedLevel_ = 0;
    markedLeaf_ = false;
}

void TXmlReader::AttachBuffer(std::string_view bytes, std::size_t start)
{
    Reset();
    src_ = bytes;
    pos_ = start < bytes.size() ? start : bytes.size();
}

void TXmlReader::AttachStream(std::istream& in)
{
    Reset();
    stream_ = &in;
    const auto p = in.tellg();
    streamBase_ = p >= 0 ? static_cast<std::uint64_t>(p) : 0;
}

void TXmlReader::LoadFromFile(const std::filesystem::path& name) { LoadFromString(ReadWholeFile(name)); }

void TXmlReader::LoadFromString(std::string content)
{
    Reset();
    DecipherIfEnciphered(content);
    own_ = std::move(content);
    src_ = own_;
}

std::uint64_t TXmlReader::Position() const { return streamBase_ + pos_; }

void TXmlReader::ReleaseStream()
{
    if (!stream_)
        return;
    const std::uint64_t p = Position();
    std::istream& in = *stream_;
    in.clear();
    in.seekg(static_cast<std::streamoff>(p));
    if (in.fail())
        throw EXmlError("Stream seek error");
    stream_ = nullptr;
    own_.clear();
    src_ = {};
    streamBase_ = p;
    pos_ = 0;
}

bool TXmlReader::Refill()
{
    if (!stream_)
        return false;
    const std::size_t old = own_.size();
    own_.resize(old + kStreamBlock);
    stream_->read(own_.data() + old, static_cast<std::streamsize>(kStreamBlock));
    const auto got = static_cast<std::size_t>(stream_->gcount());
    own_.resize(old + got);
    src_ = own_;
    return got > 0;
}

std::size_t TXmlReader::FindByte(char c)
{
    std::size_t from = pos_;
    for (;;) {
        if (from < src_.size()) {
            const void* hit = std::memchr(src_.data() + from, c, src_.size() - from);
            if (hit)
                return static_cast<std::size_t>(static_cast<const char*>(hit) - src_.data());
        }
        from = src_.size();
        if (!Refill()) {
            pos_ = src_.size();
            throw EXmlEndOfInput();
        }
    }
}

char TXmlReader::GetByte()
{
    if (pos_ >= src_.size() && !Refill())
        throw EXmlEndOfInput();
    return src_[pos_++];
}

void TXmlReader::ParseAttributes(std::string_view t)
{
    t = TrimLeft(t);
    while (!t.empty()) {
        const std::size_t eq = t.find('=');
        if (eq == std::string_view::npos)
            break;
        const std::string_view name = TrimRight(t.substr(0, eq));
        const std::string_view rest = TrimLeft(t.substr(eq + 1));
        if (rest.empty() || (rest[0] != '"' && rest[0] != '\''))
            throw EXmlError(kNotQuotedError);
        const std::size_t close = rest.find(rest[0], 1);
        if (close == std::string_view::npos)
            throw EXmlError(kNotQuotedError);
        attributes_.emplace_back(std::string(name), std::string(rest.substr(1, close - 1)));
        t = TrimLeft(rest.substr(close + 1));
    }
}

void TXmlReader::ReadNext()
{
    kind_ = xkNone;
    name_.clear();
    text_.clear();
    attributes_.clear();
    markedLeaf_ = false;

    // A stream's block buffer keeps only what the current item needs.
    if (stream_ && pos_ >= 16 * 1024) {
        own_.erase(0, pos_);
        streamBase_ += pos_;
        pos_ = 0;
        src_ = own_;
    }

    // Text up to the next "<" is dropped; declarations, processing
    // instructions and comments are skipped with their nested brackets.
    for (;;) {
        pos_ = FindByte('<') + 1;
        const char c = GetByte();
        if (c != '?' && c != '!') {
            --pos_;
            break;
        }
        int depth = 1;
        while (depth > 0) {
            const char d = GetByte();
            if (d == '<')
                ++depth;
            else if (d == '>')
                --depth;
        }
    }

    const std::size_t gt = FindByte('>');
    std::string_view tag = Trim(src_.substr(pos_, gt - pos_));
    pos_ = gt + 1;
    if (tag.empty())
        throw EXmlError(kUnknownTagError);

    if (tag[0] == '/') {
        const std::string_view name = Trim(tag.substr(1));
        if (level_ <= 0 || names_[level_ - 1] != name)
            throw EXmlError(kEndTagError);
        --level_;
        kind_ = xkEndTag;
        name_.assign(name);
        return;
    }
    kind_ = xkStartTag;
    if (tag.back() == '/') {
        kind_ = xkEmpty;
        tag = TrimRight(tag.substr(0, tag.size() - 1));
    }
    std::size_t sp = 0;
    while (sp < tag.size() && !IsBlank(tag[sp]))
        ++sp;
    name_.assign(tag.substr(0, sp));
    // The tag is parsed before the body is read: a refill would move the bytes.
    ParseAttributes(tag.substr(sp));

    if (kind_ == xkStartTag) {
        const std::size_t lt = FindByte('<');
        text_.assign(Trim(src_.substr(pos_, lt - pos_)));
        pos_ = lt + 1;
        if (GetByte() == '/') {
            const std::size_t close = FindByte('>');
            const std::string_view closing = Trim(src_.substr(pos_, close - pos_));
            pos_ = close + 1;
            if (closing != name_)
                throw EXmlError(name_ + " is not right closed.");
            kind_ = xkTextElement;
            return;
        }
        pos_ -= 2; // "<" and the character after it go back to the input
        if (level_ >= kXmlMaxLevels - 1)
            throw EXmlError(kLevelsError);
        names_[level_].assign(name_);
        ++level_;
    }
}

std::string_view TXmlReader::GetAttribute(std::string_view name) const
{
    for (const auto& [k, v] : attributes_)
        if (EqualNoCase(k, name))
            return v;
    return {};
}

bool TXmlReader::HasAttribute(std::string_view name) const
{
    for (const auto& a : attributes_)
        if (EqualNoCase(a.first, name))
            return true;
    return false;
}

std::int32_t TXmlReader::ReadInt(std::string_view name, std::int32_t def) const
{
    return XmlToInt(GetAttribute(name), def);
}

std::int64_t TXmlReader::ReadInt64(std::string_view name, std::int64_t def) const
{
    return XmlToInt64(GetAttribute(name), def);
}

bool TXmlReader::ReadBool(std::string_view name, bool def) const { return XmlToBool(GetAttribute(name), def); }

double TXmlReader::ReadDateTime(std::string_view name, double def) const
{
    return XmlToDateTime(GetAttribute(name), def);
}

double TXmlReader::ReadFloat(std::string_view name, double def) const { return XmlToFloat(GetAttribute(name), def); }

std::string TXmlReader::ReadString(std::string_view name, std::string_view def) const
{
    return XmlToString(GetAttribute(name), def);
}

void TXmlReader::FindElement(std::string_view name)
{
    for (;;) {
        ReadNext();
        if (kind_ != xkEndTag && name_ == name)
            return;
    }
}

void TXmlReader::MarkLevel()
{
    markedLevel_ = level_;
    markedLeaf_ = kind_ == xkEmpty || kind_ == xkTextElement;
}

bool TXmlReader::NextInLevel()
{
    if (markedLeaf_) {
        markedLeaf_ = false;
        return false;
    }
    ReadNext();
    return level_ >= markedLevel_;
}

void TXmlReader::CopyAttributes(std::vector<std::string>& lines) const
{
    for (const auto& [k, v] : attributes_) {
        std::string l;
        l.reserve(k.size() + v.size() + 1);
        l.append(k).append("=").append(v);
        lines.push_back(std::move(l));
    }
}

} // namespace vro
