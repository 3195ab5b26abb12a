// The view image: one pixel per land cell, a blend of the height shade and the colour
// of the cell's surface kind.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace cs {

struct Canvas;

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

// The image in tiles of 16 x 16 pixels, for keeping track of what was written where.
inline constexpr int tile_shift = 4;
inline constexpr int tiles_per_side = image_size >> tile_shift; // 32
inline constexpr int tile_count = tiles_per_side * tiles_per_side;
constexpr int tile_of(int x, int y) {
    return (y >> tile_shift) * tiles_per_side + (x >> tile_shift);
}

struct OverlayCache; // render/overlay_cache.h
class TerrainRows;   // render/terrain_rows.h
class SharedWorker;  // render/worker.h

// What the renderer owns for the life of the process. The image is allocated once by
// set-up; rows are stored top row first (row y starts at pixel y * 512).
struct Renderer {
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The second thread that large terrain jobs and the overlay rebuild share (null: all
    // on the calling thread). Declared first, so that it outlives everything that uses it.
    std::unique_ptr<SharedWorker> worker;

    std::unique_ptr<Pixel[]> image;
    std::array<Pixel, 16> land_colours{};
    std::array<Pixel, 256> shading{};
    float height_spacing = 512.0f / 63.0f;

    // The tiles written since the last overlay pass by anything but that pass: the overlay
    // pass repairs only these (and the overlays that changed). Every write of an image
    // pixel outside the pass must note its tile.
    std::array<std::uint8_t, tile_count> written_tiles{};
    bool in_overlay_pass = false;
    void note_written(int x, int y) {
        if (!in_overlay_pass) {
            written_tiles[static_cast<std::size_t>(tile_of(x, y))] = 1;
        }
    }
    // Every pixel with left <= x < right and top <= y < bottom, already clamped to the image.
    void note_rectangle_written(int left, int top, int right, int bottom);

    // The overlays' spatial index and the per-pixel result of the last pass. With
    // literal_overlays set, every pass redraws all overlays instead (the reference the
    // faster pass is tested against).
    std::unique_ptr<OverlayCache> overlays;
    bool literal_overlays = false;

    // The tables of the row-wise recomputation; without them (null) every pixel is
    // recomputed by recompute_pixel, the reference the rows are tested against.
    std::unique_ptr<TerrainRows> rows;

    bool exists() const { return image != nullptr; }
    Pixel& at(int x, int y) { return image[y * image_size + x]; }
    const Pixel& at(int x, int y) const { return image[y * image_size + x]; }
};

// Sets pixel (x, y), both 0..511, from the land map, the heights, the tables and the
// image blend. Touches nothing else.
void recompute_pixel(const Canvas& canvas, int x, int y);
void build_land_colours(Renderer& renderer);
// Water (blue) below the water level, a grey ramp from there up.
void build_shading_table(Renderer& renderer, std::uint8_t water_level);
// Every pixel, row 0 to 511, each row left to right.
void recompute_all_pixels(const Canvas& canvas);
// Every pixel with left <= x < right and top <= y < bottom; the bounds are clamped.
void recompute_rectangle(const Canvas& canvas, int left, int top, int right, int bottom);

} // namespace cs
