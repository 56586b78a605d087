// The update-file reader on arbitrary bytes: every input is refused with
// EReConvert or gives two full-size images. The input is read twice: as it
// stands (where the MD5 line mostly refuses it), and with a matching MD5
// line appended, so the splitting and the HEX reader see the bytes too.
#include "core/firmware/vro8hexconverter.h"
#include "core/util/md5.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vro;

namespace {

void Check(const std::string& bytes)
{
    try {
        const TVro8UpdateFile f = DecodeUpdateFile(bytes);
        for (int a = 0; a < 2; ++a) {
            const TVro8HexImage& img = f.Areas[static_cast<std::size_t>(a)];
            if (img.Image.size() != Vro8AreaSize(a) || img.StoredBytes > 255 * bytes.size())
                std::abort();
        }
        if (f.HardwareCode.size() != 2 || f.Checksum.size() != 32)
            std::abort();
        (void)f.PathLabel();
    } catch (const EReConvert& e) {
        if (std::string(e.what()) != "Error" || e.Reason().empty())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    Check(input);
    const std::string body = JoinUpdateFileLines(input);
    Check(body + Md5Hex(body) + "\r\n");
    return 0;
}
