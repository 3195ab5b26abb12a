// The view image: one pixel per land cell, a blend of the height shade and the colour
// of the cell's surface kind.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace cs {

struct Editor;

// A pixel as it lies in memory: blue, green, red and a fourth byte that stays 0.
struct Pixel {
    std::uint8_t blue = 0, green = 0, red = 0, zero = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};
static_assert(sizeof(Pixel) == 4);

// From a 24-bit colour #RRGGBB, with 0 in the fourth byte.
constexpr Pixel pixel_of(std::uint32_t rgb) {
    return Pixel{static_cast<std::uint8_t>(rgb & 0xFF),
                 static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
                 static_cast<std::uint8_t>((rgb >> 16) & 0xFF), 0};
}
constexpr std::uint32_t rgb_of(Pixel p) {
    return (std::uint32_t{p.red} << 16) | (std::uint32_t{p.green} << 8) | p.blue;
}

inline constexpr int image_size = 512;

// What the renderer owns for the life of the process. The image is allocated once by
// set-up; rows are stored top row first (row y starts at pixel y * 512).
struct Renderer {
    std::unique_ptr<Pixel[]> image;
    std::array<Pixel, 16> land_colours{};
    std::array<Pixel, 256> shading{};
    float height_spacing = 512.0f / 63.0f;

    bool exists() const { return image != nullptr; }
    Pixel& at(int x, int y) { return image[y * image_size + x]; }
    const Pixel& at(int x, int y) const { return image[y * image_size + x]; }
};

// Sets pixel (x, y), both 0..511, from the land map, the heights, the tables and the
// image blend. Touches nothing else.
void recompute_pixel(Editor& editor, int x, int y);
void build_land_colours(Renderer& renderer);
// Water (blue) below the water level, a grey ramp from there up.
void build_shading_table(Renderer& renderer, std::uint8_t water_level);
// Every pixel, row 0 to 511, each row left to right.
void recompute_all_pixels(Editor& editor);
// Every pixel with left <= x < right and top <= y < bottom; the bounds are clamped.
void recompute_rectangle(Editor& editor, int left, int top, int right, int bottom);

} // namespace cs
