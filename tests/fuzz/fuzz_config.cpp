// The configuration file reader on arbitrary bytes (plain or enciphered).
// Whatever loads must save and load again to the very same sections, and
// every registered key must read without failing.
#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/xml/xmlstream.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TIniList list;
    bool complete = false;
    try {
        TXmlReader reader;
        reader.LoadFromString(std::string(reinterpret_cast<const char*>(data), size));
        list.LoadFromXml(reader, "VxApplicationConfig");
        complete = true;
    } catch (const EXmlError&) {
    } catch (const EConfigError&) {
    }
    for (const cfg::TKeyInfo& k : cfg::Registry()) {
        (void)list.ReadBool(k.section, k.key, false);
        (void)list.ReadInt(k.section, k.key, 0);
        (void)list.ReadString(k.section, k.key, "");
    }
    (void)cfg::ReadRecentFiles(list);
    if (!complete)
        return 0;

    TXmlWriter writer;
    list.SaveToXml(writer, "VxApplicationConfig");
    TIniList again;
    TXmlReader reader;
    reader.LoadFromString(writer.TakeBuffer());
    again.LoadFromXml(reader, "VxApplicationConfig");
    if (!(again.Sections() == list.Sections()))
        std::abort();
    return 0;
}
