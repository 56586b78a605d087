// Builds legacy recording files byte by byte for the tests: the 80-byte
// header of a variant, the header block (and for variant 3 the counts block
// and channel table) at their file offsets, then the data.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/util/bytes.h"

namespace vro::test {

class TLegacyBuilder {
public:
    explicit TLegacyBuilder(int variant) : variant_(variant)
    {
        std::string header;
        if (variant == 1)
            header = "VRODESK V2.XX binary Measurefile for VRO";
        else if (variant == 2)
            header = std::string("VRODESK Version 97 binary Measurefile   ") + "\r\n\x1A";
        else
            header = "KORVATEK/VROWIN/V 1.0/Measure";
        header.resize(80, ' ');
        if (variant == 3) {
            header[77] = '\r';
            header[78] = '\n';
            header[79] = '\x1A';
        }
        bytes.assign(header.begin(), header.end());
        bytes.resize(DataStart(), 0);
    }

    std::size_t DataStart() const { return variant_ == 1 ? 1491 : variant_ == 2 ? 1555 : 2243; }

    void U8(std::size_t o, std::uint8_t v) { bytes.at(o) = v; }
    void I16(std::size_t o, std::int16_t v) { PutLE<std::int16_t>(bytes, o, v); }
    void U16(std::size_t o, std::uint16_t v) { PutLE<std::uint16_t>(bytes, o, v); }
    void I32(std::size_t o, std::int32_t v) { PutLE<std::int32_t>(bytes, o, v); }
    // A length-prefixed string; `length` overrides the length byte.
    void Str(std::size_t o, const std::string& s, int length = -1)
    {
        bytes.at(o) = static_cast<std::uint8_t>(length >= 0 ? length : static_cast<int>(s.size()));
        std::memcpy(bytes.data() + o + 1, s.data(), s.size());
    }

    // Header-block description of input `in` (variants 1 and 2; the sensor
    // range is used by variant 3 too).
    void Input(int in, std::int16_t lo, std::int16_t hi, int decimals, const std::string& unit, int unitCode = 0,
               bool visible = true, std::int16_t dispLo = 0, std::int16_t dispHi = 1000)
    {
        const auto i = static_cast<std::size_t>(in);
        U8(111 + i, 1);
        I16(119 + 2 * i, lo);
        I16(135 + 2 * i, hi);
        U8(151 + i, static_cast<std::uint8_t>(decimals));
        Str(159 + 6 * i, unit);
        I16(404 + 2 * i, dispLo);
        I16(420 + 2 * i, dispHi);
        U8(436 + i, static_cast<std::uint8_t>(unitCode));
        U8(452 + i, visible ? 1 : 0);
    }

    // Variant 3 channel-table record k.
    void Record(int k, int input, const std::string& name, int colorClass, int style, bool visible, std::int32_t fullLo,
                std::int32_t fullHi, int decimals, const std::string& unit, std::int32_t dispHi, std::int32_t dispLo)
    {
        const std::size_t r = 1603 + 80 * static_cast<std::size_t>(k);
        I32(r, input);
        Str(r + 4, name);
        I32(r + 36, colorClass);
        I32(r + 40, style);
        I32(r + 44, visible ? 1 : 0);
        I32(r + 48, fullLo);
        I32(r + 52, fullHi);
        I32(r + 56, decimals);
        Str(r + 60, unit);
        I32(r + 68, dispHi);
        I32(r + 72, dispLo);
    }

    void Samples(const std::vector<std::int16_t>& v)
    {
        for (auto s : v)
            AppendLE(bytes, s);
    }
    void Stamps(const std::vector<std::uint32_t>& v)
    {
        for (auto s : v)
            AppendLE(bytes, s);
    }
    void States(const std::vector<std::uint8_t>& v) { bytes.insert(bytes.end(), v.begin(), v.end()); }

    std::vector<std::uint8_t> bytes;

private:
    int variant_;
};

} // namespace vro::test
