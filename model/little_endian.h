// Little-endian numbers at a byte offset, as the track, bitmap, cursor and lap files store
// them. The caller makes sure that the bytes are there: these reads check nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace cs::le {

constexpr std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

constexpr std::int16_t s16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(u16(b, at));
}

// Three bytes: a colour stored blue, green, red comes out as 0xRRGGBB.
constexpr std::uint32_t u24(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
           (std::uint32_t{b[at + 2]} << 16);
}

constexpr std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return u24(b, at) | (std::uint32_t{b[at + 3]} << 24);
}

} // namespace cs::le
