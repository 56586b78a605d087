// Byte fields in raw buffers, checked against the buffer's length.
#include "core/values/dvxdatautils.h"

#include "core/util/bytes.h"
#include "core/util/charset.h"

#include <algorithm>

namespace vro {

namespace {

thread_local TDvxBufferPositions positions;

} // namespace

TDvxBufferPositions& DvxBufferPositions() { return positions; }

namespace {
void MarkRead(std::size_t end)
{
    positions.Read = end;
    positions.Last = end;
}
void Written(std::size_t end)
{
    positions.Write = end;
    positions.Last = end;
}
} // namespace

void GetBufferBytes(std::span<std::uint8_t> Dest, std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Dest.size());
    std::copy_n(Buffer.begin() + static_cast<std::ptrdiff_t>(Offset), Dest.size(), Dest.begin());
    MarkRead(Offset + Dest.size());
}

std::uint8_t GetBufferByte(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, 1);
    MarkRead(Offset + 1);
    return Buffer[Offset];
}

void PutBufferBytes(std::span<const std::uint8_t> Source, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Source.size());
    std::copy(Source.begin(), Source.end(), Buffer.begin() + static_cast<std::ptrdiff_t>(Offset));
    Written(Offset + Source.size());
}

void PutBufferByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, 1);
    Buffer[Offset] = Value;
    Written(Offset + 1);
}

std::string GetBufferString(std::size_t Count, std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Count);
    std::string latin1;
    for (std::size_t i = 0; i < Count && Buffer[Offset + i] != 0; ++i)
        latin1.push_back(static_cast<char>(Buffer[Offset + i]));
    MarkRead(Offset + Count);
    return Latin1ToUtf8(latin1);
}

void PutBufferString(std::string_view Text, std::size_t Count, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Count);
    const std::string latin1 = Utf8ToLatin1(Text);
    for (std::size_t i = 0; i < Count; ++i)
        Buffer[Offset + i] = i < latin1.size() ? static_cast<std::uint8_t>(latin1[i]) : 0;
    Written(Offset + Count);
}

namespace {
std::uint32_t GetHex(std::span<const std::uint8_t> Buffer, std::size_t Offset, std::size_t chars)
{
    CheckRange(Buffer.size(), Offset, chars);
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < chars; ++i)
        v = (v << 4) | static_cast<std::uint32_t>(HexCharToInt(static_cast<char>(Buffer[Offset + i])));
    MarkRead(Offset + chars);
    return v;
}
void PutHex(std::uint32_t v, std::span<std::uint8_t> Buffer, std::size_t Offset, std::size_t chars)
{
    CheckRange(Buffer.size(), Offset, chars);
    for (std::size_t i = 0; i < chars; ++i)
        Buffer[Offset + i] =
            static_cast<std::uint8_t>(IntToHexChar(static_cast<std::int32_t>((v >> (4 * (chars - 1 - i))) & 15)));
    Written(Offset + chars);
}
} // namespace

std::uint8_t GetHexByte(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    return static_cast<std::uint8_t>(GetHex(Buffer, Offset, 2));
}
std::uint16_t GetHexWord(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    return static_cast<std::uint16_t>(GetHex(Buffer, Offset, 4));
}
std::uint32_t GetHexLong(std::span<const std::uint8_t> Buffer, std::size_t Offset) { return GetHex(Buffer, Offset, 8); }
void PutHexByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 2);
}
void PutHexWord(std::uint16_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 4);
}
void PutHexLong(std::uint32_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 8);
}

} // namespace vro
