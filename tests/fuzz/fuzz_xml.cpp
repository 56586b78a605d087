// The XML reader on arbitrary bytes: from memory (with the enciphered form)
// and from a stream, which must read exactly the same items and stop at the
// same position; the value forms on every attribute.
#include "core/xml/xmlstream.h"
#include "core/xml/xmlutils.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace vro;

namespace {

struct TOutcome {
    std::string items;
    std::string error;
    std::uint64_t position = 0;
};

void Read(TXmlReader& r, TOutcome& out, std::size_t size)
{
    try {
        for (int i = 0; i < 10000; ++i) {
            r.ReadNext();
            out.items += std::to_string(r.Kind()) + r.Name() + '|' + r.Text() + '|';
            for (const auto& [k, v] : r.Attributes()) {
                out.items += k + '=' + v + ';';
                (void)XmlToInt(v, 0);
                (void)XmlToBool(v, false);
                (void)XmlToDateTime(v, 0);
                (void)XmlToFloat(v, 0);
                const std::string s = XmlToString(v, "");
                // The string form reads back unchanged.
                if (XmlToString(StringToXml(s), "") != s && !s.empty())
                    std::abort();
            }
            if (r.Level() < 0 || r.Level() >= kXmlMaxLevels || r.Position() > size)
                std::abort();
        }
    } catch (const EXmlError& e) {
        out.error = e.what();
    }
    out.position = r.Position();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    TXmlReader loaded;
    try {
        loaded.LoadFromString(bytes);
        TOutcome o;
        Read(loaded, o, size);
    } catch (const EXmlError&) {
    }

    // Plain reading from memory and from a stream agree item for item.
    TXmlReader mem;
    mem.AttachBuffer(bytes);
    TOutcome a;
    Read(mem, a, size);
    std::istringstream in(bytes);
    TXmlReader str;
    str.AttachStream(in);
    TOutcome b;
    Read(str, b, size);
    if (a.items != b.items || a.error != b.error || a.position != b.position)
        std::abort();
    return 0;
}
