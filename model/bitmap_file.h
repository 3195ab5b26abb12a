// The land map and the height grid as uncompressed bitmap files: the land map as a
// 512 x 512 bitmap of 4 bits per pixel whose pixel values are the surface kinds, the height
// grid as a 64 x 64 bitmap of 8 bits per pixel whose pixel values are the height levels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/track.h"

namespace cs {

inline constexpr std::size_t land_bitmap_size = 131190; // 54 + 16 * 4 + 512 * 256
inline constexpr std::size_t height_bitmap_size = 5174; // 54 + 256 * 4 + 64 * 64

// The file bytes of the land map, bottom row first, with the land colours as its colour
// table (model/land_colours.h).
std::vector<std::uint8_t> encode_land_bitmap(const Track& track);
// The file bytes of the height grid: the high byte of each sample, with a grey table.
std::vector<std::uint8_t> encode_height_bitmap(const Track& track);

// Both headers of a bitmap, all that the checks below read before the colour table.
inline constexpr std::size_t bitmap_headers_size = 54;

// Sets the land map from a 512 x 512, 4-bit, uncompressed, bottom-up bitmap. Pixel values
// are the surface kinds, except that a colour table made only of land colours (an image
// editor that re-saved the map may have sorted or shortened it) maps each value to the kind
// of its colour, so the surfaces are the ones shown; any other table is ignored. False,
// with the land map untouched, for any other file or one that ends inside its pixel rows.
bool decode_land_bitmap(std::span<const std::uint8_t> file,
                        std::array<std::uint8_t, land_cells>& land);
// Sets every height sample to its pixel value * 256 from a 64 x 64, 8-bit, uncompressed,
// bottom-up bitmap; likewise a colour table made only of greys maps each value to the level
// of its grey. False, with the grid untouched, for any other file or one that ends inside
// its pixel rows.
bool decode_height_bitmap(std::span<const std::uint8_t> file,
                          std::array<std::uint16_t, height_samples>& heights);

// Whether the headers at the start of a file describe the bitmap each import takes (type,
// size, depth and compression), whatever follows them.
bool land_bitmap_headers_fit(std::span<const std::uint8_t> start);
bool height_bitmap_headers_fit(std::span<const std::uint8_t> start);

} // namespace cs
