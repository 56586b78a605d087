#include "core/util/atomicfile.h"
#include "core/util/md5.h"
#include "core/xml/ezcrypt.h"
#include "core/xml/xmlstream.h"
#include "core/xml/xmlutils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vro;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<no error>";
}

// The enciphered file form of `plain` (the program has no writer for it).
std::string Encipher(std::string_view plain)
{
    std::string cipher(plain.size(), '\0');
    EZEncipher({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()},
               {reinterpret_cast<std::uint8_t*>(cipher.data()), cipher.size()});
    static const char* kHex = "0123456789ABCDEF";
    std::string line;
    for (unsigned char c : cipher) {
        line.push_back(kHex[c >> 4]);
        line.push_back(kHex[c & 15]);
    }
    return "VxCrypt:" + Md5Hex(line) + "\r\n" + line;
}

struct TTempDir {
    fs::path path;
    TTempDir()
    {
        path = fs::temp_directory_path() / ("vro-xml-test-" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~TTempDir() { fs::remove_all(path); }
};

} // namespace

TEST(XmlValues, EscapingRoundTripsTheSixEntities)
{
    const std::string s = "a<b & \"c\"\r\nit's > d";
    const std::string esc = XmlEscape(s);
    EXPECT_EQ(esc, "a&lt;b &amp; &quot;c&quot;&#10;it&apos;s &gt; d");
    EXPECT_EQ(XmlUnescape(esc), s);
    // Escaped entity texts survive (the "&" goes last when unescaping).
    EXPECT_EQ(XmlUnescape(XmlEscape("&amp; &#10; &lt;")), "&amp; &#10; &lt;");
    // A lone CR or LF is no entity.
    EXPECT_EQ(XmlEscape("a\rb\nc"), "a\rb\nc");
    EXPECT_EQ(XmlUnescape("&unknown; &amp"), "&unknown; &amp");
}

TEST(XmlValues, StringFormConvertsAtTheBoundaryWithoutLoss)
{
    // ISO-8859-1 characters become single bytes, others character references.
    EXPECT_EQ(StringToXml("Temp \xC2\xB0"
                          "C"),
              "Temp \xB0"
              "C");
    EXPECT_EQ(StringToXml("\xE2\x82\xAC<"), "&#x20ac;&lt;");
    const std::string s = "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80 & \"x\"\r\n";
    EXPECT_EQ(XmlToString(StringToXml(s), "d"), s);
    EXPECT_EQ(XmlToString("", "def"), "def");
    // Bytes of older files are ISO-8859-1; "&#x" only counts when well formed.
    EXPECT_EQ(XmlToString("\xE4&#x;&#xZZ;&#x110000;", ""), "\xC3\xA4&#x;&#xZZ;&#x110000;");
}

TEST(XmlValues, IntegersAndBooleans)
{
    EXPECT_EQ(IntToXml(-42), "-42");
    EXPECT_EQ(XmlToInt("123", 7), 123);
    EXPECT_EQ(XmlToInt("-2147483648", 7), -2147483648);
    EXPECT_EQ(XmlToInt("+5", 7), 5);
    for (const char* bad : {"", " 1", "1 ", "12a", "0x10", "2147483648", "-", "1.0"})
        EXPECT_EQ(XmlToInt(bad, 7), 7) << bad;
    EXPECT_EQ(XmlToInt64("9000000000", 0), 9000000000LL);

    EXPECT_EQ(BoolToXml(true), "1");
    EXPECT_EQ(BoolToXml(false), "0");
    for (const char* t : {"1", "true", "TRUE", "Yes", "yes"})
        EXPECT_TRUE(XmlToBool(t, false)) << t;
    for (const char* f : {"0", "False", "NO"})
        EXPECT_FALSE(XmlToBool(f, true)) << f;
    for (const char* d : {"2", "y", "", " 1"}) {
        EXPECT_TRUE(XmlToBool(d, true)) << d;
        EXPECT_FALSE(XmlToBool(d, false)) << d;
    }
}

TEST(XmlValues, DateTimeByPosition)
{
    const double t = EncodeXmlDateTime(2007, 3, 1, 14, 5, 9, 250);
    EXPECT_EQ(DateTimeToXml(t), "2007-03-01T14:05:09.250");
    // Milliseconds are ignored on reading.
    EXPECT_DOUBLE_EQ(XmlToDateTime("2007-03-01T14:05:09.250", 0), EncodeXmlDateTime(2007, 3, 1, 14, 5, 9));
    EXPECT_DOUBLE_EQ(XmlToDateTime("2000-01-01t00:00:00", 0), 36526.0);
    EXPECT_EQ(DateTimeToXml(36526.0), "2000-01-01T00:00:00.000");
    EXPECT_EQ(DateTimeToXml(0.0), "1899-12-30T00:00:00.000");
    // Before day 0 the time of day counts away from zero.
    EXPECT_DOUBLE_EQ(XmlToDateTime("1899-12-29T06:00:00", 0), -1.25);
    EXPECT_EQ(DateTimeToXml(-1.25), "1899-12-29T06:00:00.000");
    // Rounding to the millisecond carries into the next day.
    EXPECT_EQ(DateTimeToXml(36526.0 - 1e-10), "2000-01-01T00:00:00.000");
    for (const char* bad : {"2007-3-1T14:05:09", "2007-03-01T14:05:0", "", "2007-03-01 14:05:09", "2007-02-29T00:00:00",
                            "2007-13-01T00:00:00", "2007-01-01T24:00:00", "0000-01-01T00:00:00", "2007-01-01T00:60:00",
                            "2007-0a-01T00:00:00"})
        EXPECT_EQ(XmlToDateTime(bad, -99.0), -99.0) << bad;
    EXPECT_DOUBLE_EQ(XmlToDateTime("2008-02-29T23:59:59", 0), EncodeXmlDateTime(2008, 2, 29, 23, 59, 59));
    // Values no date form can hold read back as the reader's default.
    EXPECT_EQ(DateTimeToXml(std::nan("")), "");
    EXPECT_EQ(DateTimeToXml(1e9), "");
    for (double d : {-693593.0, 2958465.99})
        EXPECT_NE(DateTimeToXml(d), "") << d;
}

TEST(XmlValues, FixedAndFloatForms)
{
    EXPECT_EQ(FixedToXml(12345, 2), "123.45");
    EXPECT_EQ(FixedToXml(-5, 2), "-0.05");
    EXPECT_EQ(FixedToXml(7, 0), "7");
    EXPECT_EQ(FixedToXml(0, 3), "0.000");
    EXPECT_EQ(FixedToXml(-2147483648LL, 8), "-21.47483648");
    EXPECT_EQ(FixedToXml(INT64_MIN, 4), "-922337203685477.5808");
    EXPECT_EQ(FloatToXml(1.5, 3), "1.500");
    EXPECT_EQ(FloatToXml(-0.125, 2), "-0.12"); // nearest-even
    for (double x : {0.1, -1e-300, 1.7976931348623157e308, 123456789.125, 3.0})
        EXPECT_EQ(XmlToFloat(FloatToXml(x, -1), 0), x) << x;
    for (const char* bad : {"", "nan", "inf", "0x1p3", "1.5 ", " 1", "1,5"})
        EXPECT_EQ(XmlToFloat(bad, -7.0), -7.0) << bad;
}

TEST(XmlWriter, LayoutOfEveryItem)
{
    TXmlWriter w;
    w.WriteDeclaration();
    w.AddIntAttribute("Version", 2);
    w.BeginElement("Root");
    w.AddIntAttribute("ChannelCount", 3);
    w.EmptyElement("GeneralParameters");
    w.AddStringAttribute("Name", "a<b");
    w.AddBoolAttribute("On", true);
    w.AddDateTimeAttribute("At", 36526.5);
    w.StringElement("Comment", "x & y");
    w.IntElement("Count", -1);
    w.FixedElement("Value", 1234, 3);
    w.FloatElement("Gain", 2, 0.5);
    w.AddAttributes(std::vector<std::string>{"k=v&raw", "flag"});
    w.EmptyElement("Raw");
    w.TextElement("Text", "<b>");
    w.EndElement("Root");
    EXPECT_EQ(w.Level(), 0);
    EXPECT_EQ(w.Buffer(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\r\n"
                          "<Root Version=\"2\">\r\n"
                          "  <GeneralParameters ChannelCount=\"3\" />\r\n"
                          "  <Comment Name=\"a&lt;b\" On=\"1\" At=\"2000-01-01T12:00:00.000\">x &amp; y</Comment>\r\n"
                          "  <Count>-1</Count>\r\n"
                          "  <Value>1.234</Value>\r\n"
                          "  <Gain>0.50</Gain>\r\n"
                          "  <Raw k=\"v&raw\" flag=\"\" />\r\n"
                          "  <Text><b></Text>\r\n"
                          "</Root>\r\n");
}

TEST(XmlWriter, LevelLimitAndEndTagChecks)
{
    TXmlWriter w;
    for (int i = 0; i < 15; ++i)
        w.BeginElement("E" + std::to_string(i));
    EXPECT_EQ(ErrorOf([&] { w.BeginElement("Deep"); }), "XMLStreamError: More then 16 Levels");
    // The sixteenth line was written before the error.
    EXPECT_NE(w.Buffer().find(std::string(30, ' ') + "<Deep>\r\n"), std::string::npos);
    EXPECT_EQ(ErrorOf([&] { w.EndElement("E13"); }), "XML Error: Unexpected End Tag");
    for (int i = 14; i >= 0; --i)
        w.EndElement("E" + std::to_string(i));
    EXPECT_EQ(ErrorOf([&] { w.EndElement("E0"); }), "XML Error: Unexpected End Tag");
}

TEST(XmlWriter, WritesThroughAnAtomicFileInOrderWithRawBytes)
{
    TTempDir dir;
    const fs::path target = dir.path / "out.bin";
    WriteFileAtomically(target, "old");
    {
        TAtomicFile file(target);
        file.Write(std::string_view("HEAD"));
        TXmlWriter w;
        w.AttachStream(file);
        w.BeginElement("R");
        w.EmptyElement("C");
        w.EndElement("R");
        file.Write(std::string_view("\x1A\x01\x02", 3));
        EXPECT_TRUE(w.Buffer().empty());
        file.Commit();
    }
    EXPECT_EQ(ReadWholeFile(target), std::string("HEAD<R>\r\n  <C />\r\n</R>\r\n\x1A\x01\x02", 27));

    std::string caller;
    TXmlWriter w;
    w.AttachStream(caller);
    w.EmptyElement("X");
    EXPECT_EQ(caller, "<X />\r\n");
}

TEST(XmlWriter, SaveToFileIsPlainOnly)
{
    TTempDir dir;
    TXmlWriter w;
    w.EmptyElement("A");
    w.SaveToFile(dir.path / "a.xml");
    EXPECT_EQ(ReadWholeFile(dir.path / "a.xml"), "<A />\r\n");
    EXPECT_EQ(ErrorOf([&] { w.SaveToFile(dir.path / "b.xml", true); }), "enciphered output not supported");
    EXPECT_FALSE(fs::exists(dir.path / "b.xml"));
}

TEST(XmlReader, ReadsEveryKindOfItem)
{
    TXmlReader r;
    r.LoadFromString("garbage before\r\n<?xml version=\"1.0\"?>\r\n<!-- a <nested> comment -->"
                     "<Root A='1' b = \"x y\">\r\n  <E Q='sin\"gle' />\r\n"
                     "  <T k=\"v\">  some &amp; text  </T>\r\n<Open>\r\n</Open><Last/></Root>");
    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkStartTag);
    EXPECT_EQ(r.Name(), "Root");
    ASSERT_EQ(r.Attributes().size(), 2u);
    EXPECT_EQ(r.GetAttribute("a"), "1");
    EXPECT_EQ(r.GetAttribute("B"), "x y");
    EXPECT_EQ(r.GetAttribute("missing"), "");
    EXPECT_EQ(r.Level(), 1);
    std::vector<std::string> lines;
    r.CopyAttributes(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"A=1", "b=x y"}));

    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkEmpty);
    EXPECT_EQ(r.Name(), "E");
    EXPECT_EQ(r.GetAttribute("Q"), "sin\"gle");

    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkTextElement);
    EXPECT_EQ(r.Name(), "T");
    EXPECT_EQ(r.Text(), "some &amp; text");
    EXPECT_EQ(XmlToString(r.Text(), ""), "some & text");
    EXPECT_EQ(r.ReadString("k", ""), "v");
    EXPECT_EQ(r.Level(), 1);

    // An element opened and closed with nothing between is one item.
    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkTextElement);
    EXPECT_EQ(r.Name(), "Open");
    EXPECT_EQ(r.Text(), "");

    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkEmpty);
    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkEndTag);
    EXPECT_EQ(r.Name(), "Root");
    EXPECT_EQ(r.Level(), 0);
    EXPECT_EQ(ErrorOf([&] { r.ReadNext(); }), "Stream read error");
}

TEST(XmlReader, TypedAttributeReadsFallBackToDefaults)
{
    TXmlReader r;
    r.LoadFromString("<A i=\"12\" bad=\"1x\" b=\"yes\" b2=\"2\" d=\"2007-03-01T14:05:09.250\" "
                     "d2=\"2007-3-1T14:05:09\" f=\"2.5\" s=\"\" />");
    r.ReadNext();
    EXPECT_EQ(r.ReadInt("i", 0), 12);
    EXPECT_EQ(r.ReadInt("bad", -1), -1);
    EXPECT_EQ(r.ReadInt("none", 5), 5);
    EXPECT_TRUE(r.ReadBool("b", false));
    EXPECT_FALSE(r.ReadBool("b2", false));
    EXPECT_DOUBLE_EQ(r.ReadDateTime("d", 0), EncodeXmlDateTime(2007, 3, 1, 14, 5, 9));
    EXPECT_EQ(r.ReadDateTime("d2", 1.5), 1.5);
    EXPECT_EQ(r.ReadFloat("f", 0), 2.5);
    EXPECT_EQ(r.ReadString("s", "dflt"), "dflt");
    EXPECT_TRUE(r.HasAttribute("S"));
}

TEST(XmlReader, MalformedInputRaisesTheSystemsErrors)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<A>x</B>", "A is not right closed."},
        {"<>", "XML Unknown-Tag-Error"},
        {"<   >", "XML Unknown-Tag-Error"},
        {"</A>", "XML Error: Unexpected End Tag"},
        {"<A><B/></C>", "XML Error: Unexpected End Tag"},
        {"<A><B></A>", "B is not right closed."},
        {"<A x=1 />", "XML Error: Attribute not quoted"},
        {"<A x=\"1 />", "XML Error: Attribute not quoted"},
        {"<A x='1\" />", "XML Error: Attribute not quoted"},
        {"no tag at all", "Stream read error"},
        {"<A", "Stream read error"},
        {"<A>text", "Stream read error"},
        {"<!-- <never closed> ", "Stream read error"},
        {"<A>x</A", "Stream read error"},
    };
    for (const auto& [doc, err] : cases) {
        TXmlReader r;
        r.LoadFromString(doc);
        EXPECT_EQ(ErrorOf([&] {
                      for (int i = 0; i < 4; ++i)
                          r.ReadNext();
                  }),
                  err)
            << doc;
    }
    // Reading: 15 open levels work, the 16th raises.
    std::string deep;
    for (int i = 0; i < 16; ++i)
        deep += "<L" + std::to_string(i) + ">\n";
    deep += "<x/>";
    TXmlReader r;
    r.LoadFromString(deep);
    for (int i = 0; i < 15; ++i)
        r.ReadNext();
    EXPECT_EQ(r.Level(), 15);
    EXPECT_EQ(ErrorOf([&] { r.ReadNext(); }), "XMLStreamError: More then 16 Levels");
}

TEST(XmlReader, WalksChildrenWithMarkLevelIncludingEmptyParents)
{
    TXmlReader r;
    r.LoadFromString("<Doc><Cam>\r\n</Cam><Cams><S n='1'/><S n='2'><X/></S></Cams><After/></Doc>");
    r.FindElement("Cam");
    EXPECT_EQ(r.Kind(), xkTextElement);
    r.MarkLevel();
    EXPECT_FALSE(r.NextInLevel()); // no children; nothing was read
    r.FindElement("Cams");
    r.MarkLevel();
    std::vector<std::string> seen;
    while (r.NextInLevel())
        if (r.Kind() != xkEndTag)
            seen.push_back(r.Name() + std::string(r.GetAttribute("n")));
    EXPECT_EQ(seen, (std::vector<std::string>{"S1", "S2", "X"}));
    EXPECT_EQ(r.Name(), "Cams");
    r.ReadNext();
    EXPECT_EQ(r.Name(), "After");
}

TEST(XmlReader, StopsExactlyAfterTheLastItemConsumed)
{
    // A recording file's shape: header, XML, CR LF, 0x1A, binary bytes that
    // may look like markup.
    std::string file = "HEADER\r\n<R v=\"1\">\r\n  <P a=\"1\" />\r\n  <T>t</T>\r\n</R>\r\n";
    const std::size_t xmlEnd = file.size() - 2;
    file += std::string("\x1A<\x00>\xFF</R>", 8);
    std::string big(200000, '\x3C'); // '<' bytes beyond a stream block
    file += big;

    auto check = [&](TXmlReader& r) {
        r.FindElement("R");
        EXPECT_EQ(r.Position(), file.find("<P")); // the body text is consumed, "<P" handed back
        r.MarkLevel();
        while (r.NextInLevel()) {
        }
        EXPECT_EQ(r.Kind(), xkEndTag);
        EXPECT_EQ(r.Position(), xmlEnd);
    };
    TXmlReader mem;
    mem.AttachBuffer(file, 8);
    check(mem);

    std::istringstream in(file);
    in.seekg(8);
    TXmlReader rs;
    rs.AttachStream(in);
    check(rs);
    rs.ReleaseStream();
    char next[3];
    in.read(next, 3);
    EXPECT_EQ(std::string(next, 3), "\r\n\x1A");

    TXmlReader r;
    r.LoadFromString("<A>\r\n  <B/></A>");
    r.ReadNext();
    EXPECT_EQ(r.Position(), 7u);
}

TEST(XmlReader, StreamAndMemoryReadTheSameAcrossBlockBoundaries)
{
    TXmlWriter w;
    w.BeginElement("Big");
    for (int i = 0; i < 5000; ++i) {
        w.AddIntAttribute("Index", i);
        w.AddStringAttribute("Name", "channel <" + std::to_string(i) + ">");
        if (i % 3 == 0)
            w.StringElement("Body", std::string(static_cast<std::size_t>(i % 50), 'x'));
        else
            w.EmptyElement("Item");
    }
    w.EndElement("Big");
    const std::string doc = w.TakeBuffer();
    ASSERT_GT(doc.size(), 3 * 64 * 1024u);

    std::istringstream in(doc);
    TXmlReader a, b;
    a.AttachStream(in);
    b.LoadFromString(doc);
    int items = 0;
    do {
        a.ReadNext();
        b.ReadNext();
        ASSERT_EQ(a.Kind(), b.Kind());
        ASSERT_EQ(a.Name(), b.Name());
        ASSERT_EQ(a.Text(), b.Text());
        ASSERT_EQ(a.Attributes(), b.Attributes());
        ASSERT_EQ(a.Position(), b.Position());
        ++items;
    } while (a.Level() > 0);
    EXPECT_EQ(items, 5002);
    EXPECT_EQ(a.Position(), doc.size() - 2);
}

TEST(XmlReader, EncipheredFileForm)
{
    TTempDir dir;
    const std::string plain = "<Cfg><S k=\"v\" /></Cfg>";
    const fs::path file = dir.path / "c.vxacf";
    WriteFileAtomically(file, Encipher(plain));
    TXmlReader r;
    r.LoadFromFile(file);
    r.ReadNext();
    r.ReadNext();
    EXPECT_EQ(r.ReadString("k", ""), "v");
    r.ReadNext();
    EXPECT_EQ(r.Kind(), xkEndTag);
    // The source is exactly the plaintext: nothing of the file follows it.
    EXPECT_EQ(r.Position(), plain.size());
    EXPECT_EQ(ErrorOf([&] { r.ReadNext(); }), "Stream read error");

    // Lower-case hex digits and a lower-case prefix are accepted too.
    std::string form = Encipher(plain);
    std::string lower = form;
    for (std::size_t i = 42; i < lower.size(); ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    lower = "vxcrypt:" + Md5Hex(lower.substr(42)) + "\n" + lower.substr(42) + "\r\n";
    r.LoadFromString(lower);
    r.ReadNext();
    EXPECT_EQ(r.Name(), "Cfg");

    std::string changed = form;
    changed[50] = changed[50] == '0' ? '1' : '0';
    const std::string md5 = Md5Hex(form.substr(42));
    const std::string bad[] = {
        changed,                                                   // ciphertext changed by one digit
        "VxCrypt:" + md5,                                          // no cipher line
        "VxCrypt:" + md5.substr(0, 20) + "\r\n" + form.substr(42), // short check line
        " VxCrypt:" + md5 + "\r\n" + form.substr(42),              // prefix not at the start
        "VxCrypt:" + md5 + " \r\n" + form.substr(42),              // trailing character on the check line
        "VxCrypt:" + std::string(32, 'z') + "\r\n" + form.substr(42),
        "VxCrypt:",
    };
    for (const std::string& b : bad)
        EXPECT_EQ(ErrorOf([&] { r.LoadFromString(b); }), "Checksum not valid!") << b;
    const std::string notHex = "0G";
    EXPECT_EQ(ErrorOf([&] { r.LoadFromString("VxCrypt:" + Md5Hex(notHex) + "\r\n" + notHex); }),
              "HexCharToInt: G ist no valid Hexchar");
}

TEST(XmlCipher, DecipherInvertsEncipherAndChecksLengths)
{
    std::vector<std::uint8_t> in{1, 2, 3, 250, 0, 0, 7}, enc(in.size()), dec(in.size());
    ASSERT_TRUE(EZEncipher(in, enc));
    EXPECT_NE(enc, in);
    ASSERT_TRUE(EZDecipher(enc, dec));
    EXPECT_EQ(dec, in);
    // The key is fixed: files made with it must keep opening.
    TXmlReader r;
    const std::string line = "66F961696688E6307AD64B";
    r.LoadFromString("VxCrypt:" + Md5Hex(line) + "\r\n" + line);
    r.ReadNext();
    EXPECT_EQ(r.Name(), "A");
    EXPECT_EQ(r.GetAttribute("k"), "v");

    std::vector<std::uint8_t> shorter(3, 9);
    EXPECT_FALSE(EZDecipher(enc, shorter));
    EXPECT_EQ(shorter, std::vector<std::uint8_t>(3, 9));
}

TEST(XmlRoundTrip, WriterOutputReadsBack)
{
    TXmlWriter w;
    w.WriteDeclaration();
    w.BeginElement("Doc");
    const std::string tricky = "a<b & \"c\"\r\n'd' \xC3\xA9\xE2\x82\xAC";
    w.AddStringAttribute("S", tricky);
    w.AddIntAttribute("I", -7);
    w.AddDateTimeAttribute("D", EncodeXmlDateTime(2026, 12, 9, 10, 0, 1));
    w.StringElement("Body", tricky);
    w.EndElement("Doc");
    TXmlReader r;
    r.LoadFromString(w.TakeBuffer());
    r.FindElement("Body");
    EXPECT_EQ(r.ReadString("S", ""), tricky);
    EXPECT_EQ(r.ReadInt("I", 0), -7);
    EXPECT_DOUBLE_EQ(r.ReadDateTime("D", 0), EncodeXmlDateTime(2026, 12, 9, 10, 0, 1));
    EXPECT_EQ(XmlToString(r.Text(), ""), tricky);
}
