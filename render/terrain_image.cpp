#include "render/terrain_image.h"

#include <algorithm>

#include "model/land_colours.h"
#include "render/canvas.h"
#include "render/overlay_cache.h"
#include "render/terrain_rows.h"
#include "render/worker.h"

namespace cs {

void build_land_colours(Renderer& renderer) {
    for (std::size_t k = 0; k < land_rgb.size(); ++k) {
        renderer.land_colours[k] = pixel_of(land_rgb[k]);
    }
}

void build_shading_table(Renderer& renderer, std::uint8_t water_level) {
    for (int i = 0; i < 256; ++i) {
        Pixel& p = renderer.shading[i];
        if (i < water_level) {
            p = Pixel{static_cast<std::uint8_t>(i / 2 + 128), static_cast<std::uint8_t>(i / 2 + 32),
                      static_cast<std::uint8_t>(i / 2), 0};
        } else {
            const auto grey = static_cast<std::uint8_t>(i);
            p = Pixel{grey, grey, grey, 0};
        }
    }
}

Renderer::Renderer()
    : worker(std::make_unique<SharedWorker>()), rows(std::make_unique<TerrainRows>()) {}
Renderer::~Renderer() = default;

void Renderer::note_rectangle_written(int left, int top, int right, int bottom) {
    if (in_overlay_pass || left >= right || top >= bottom) {
        return;
    }
    for (int ty = top >> tile_shift; ty <= (bottom - 1) >> tile_shift; ++ty) {
        for (int tx = left >> tile_shift; tx <= (right - 1) >> tile_shift; ++tx) {
            written_tiles[static_cast<std::size_t>(ty * tiles_per_side + tx)] = 1;
        }
    }
}

void recompute_pixel(const Canvas& canvas, int x, int y) {
    canvas.renderer.note_written(x, y);
    const Renderer& r = canvas.renderer;
    const Track& t = canvas.track;
    // Bilinear height at the pixel's centre. (x + 0.5) / G stays below 63, so the four
    // samples always exist.
    const float fx = (static_cast<float>(x) + 0.5f) / r.height_spacing;
    const float fy = (static_cast<float>(y) + 0.5f) / r.height_spacing;
    const int gx = static_cast<int>(fx);
    const int gy = static_cast<int>(fy);
    const float ax = fx - static_cast<float>(gx);
    const float ay = fy - static_cast<float>(gy);
    const std::uint16_t* row = &t.heights[gy * height_size + gx];
    const float h = static_cast<float>(row[0]) * (1 - ax) * (1 - ay) +
                    static_cast<float>(row[1]) * ax * (1 - ay) +
                    static_cast<float>(row[height_size]) * (1 - ax) * ay +
                    static_cast<float>(row[height_size + 1]) * ax * ay;
    const int s = std::clamp(static_cast<int>(h * 0.00390625f), 0, 255);

    const Pixel& shade = r.shading[s];
    const Pixel& land = r.land_colours[t.land[y * map_size + x] & 0x0F];
    const int b = canvas.image_blend;
    Pixel& out = canvas.renderer.at(x, y);
    out.red = blend_channel(shade.red, land.red, b);
    out.green = blend_channel(shade.green, land.green, b);
    out.blue = blend_channel(shade.blue, land.blue, b);
}

void recompute_all_pixels(const Canvas& canvas) {
    canvas.renderer.note_rectangle_written(0, 0, image_size, image_size);
    recompute_rows(canvas, 0, 0, image_size, image_size);
}

void recompute_rectangle(const Canvas& canvas, int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_size);
    bottom = std::min(bottom, image_size);
    canvas.renderer.note_rectangle_written(left, top, right, bottom);
    recompute_rows(canvas, left, top, right, bottom);
}

} // namespace cs
