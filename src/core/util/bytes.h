// Little-endian fields in byte buffers, the one form every wire and file
// number takes. Every access is bounds-checked against the span it is given:
// a reader of outside data never reads past what is really there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace vro {

// Raised when a field lies (partly) outside its buffer.
class EBufferRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

inline void CheckRange(std::size_t size, std::size_t offset, std::size_t count)
{
    if (offset > size || count > size - offset)
        throw EBufferRange("buffer field " + std::to_string(offset) + "+" + std::to_string(count) +
                           " beyond buffer of " + std::to_string(size) + " bytes");
}

template <typename T>
requires std::is_integral_v<T> T GetLE(std::span<const std::uint8_t> buf, std::size_t offset)
{
    CheckRange(buf.size(), offset, sizeof(T));
    std::make_unsigned_t<T> v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::make_unsigned_t<T>>(buf[offset + i]) << (8 * i);
    return static_cast<T>(v);
}

template <typename T>
requires std::is_integral_v<T>
void PutLE(std::span<std::uint8_t> buf, std::size_t offset, T value)
{
    CheckRange(buf.size(), offset, sizeof(T));
    auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        buf[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint16_t GetU16(std::span<const std::uint8_t> b, std::size_t o) { return GetLE<std::uint16_t>(b, o); }
inline std::int16_t GetI16(std::span<const std::uint8_t> b, std::size_t o) { return GetLE<std::int16_t>(b, o); }
inline std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t o) { return GetLE<std::uint32_t>(b, o); }
inline std::int32_t GetI32(std::span<const std::uint8_t> b, std::size_t o) { return GetLE<std::int32_t>(b, o); }

// Writes text into a fixed-width field: its bytes, cut at the width, then
// zero bytes to the end of the field.
inline void PutText(std::span<std::uint8_t> buf, std::size_t offset, std::size_t width, std::string_view text)
{
    CheckRange(buf.size(), offset, width);
    for (std::size_t i = 0; i < width; ++i)
        buf[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

double GetF64(std::span<const std::uint8_t> buf, std::size_t offset);
void PutF64(std::span<std::uint8_t> buf, std::size_t offset, double value);
float GetF32(std::span<const std::uint8_t> buf, std::size_t offset);
void PutF32(std::span<std::uint8_t> buf, std::size_t offset, float value);

// Appends a little-endian integer to a growing byte string (frame and file builders).
template <typename T, typename Bytes>
requires std::is_integral_v<T>
void AppendLE(Bytes& out, T value)
{
    auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<typename Bytes::value_type>(v >> (8 * i)));
}

} // namespace vro
