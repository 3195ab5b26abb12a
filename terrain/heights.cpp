#include "terrain/heights.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "render/overlay.h"
#include "render/terrain_image.h"
#include "render/terrain_rows.h"
#include "terrain/terrain_edit.h"

namespace cs {

namespace {

constexpr std::int64_t highest_sample = 65535;

// Visits every row q of the integer grid 0..limit-1 with cy - r < q <= cy + r, top to
// bottom, with the columns begin <= c < end of that row where cx - t < c <= cx + t and
// t = sqrt(r^2 - (q - cy)^2), and its offset dy from the centre. Every bound is clamped to
// the grid before the loops start, so a centre or radius that is NaN, infinite or far off
// the grid visits nothing (or only the grid) instead of looping over the int range.
template <typename VisitRow>
void for_each_row_in_disc(float cx, float cy, float r, int limit, VisitRow&& visit_row) {
    const float r2 = r * r;
    const int row_begin = std::clamp(truncate_to_int(cy - r + 1.0f), 0, limit);
    const int row_end = std::clamp(truncate_to_int(cy + r + 1.0f), 0, limit);
    for (int q = row_begin; q < row_end; ++q) {
        const float dy = static_cast<float>(q) - cy;
        // Rounding can take the room a hair below 0 at the top and bottom rows; the square
        // root is then NaN and the row's bounds come out empty.
        const float t = std::sqrt(r2 - dy * dy);
        const int column_begin = std::clamp(truncate_to_int(cx - t + 1.0f), 0, limit);
        const int column_end = std::clamp(truncate_to_int(cx + 1.0f + t), 0, limit);
        visit_row(q, column_begin, column_end, dy);
    }
}

// Visits the points of the disc row by row and left to right; visit gets the point and
// its offsets from the centre.
template <typename Visit>
void for_each_in_disc(float cx, float cy, float r, int limit, Visit&& visit) {
    for_each_row_in_disc(cx, cy, r, limit, [&](int q, int begin, int end, float dy) {
        for (int c = begin; c < end; ++c) {
            visit(c, q, static_cast<float>(c) - cx, dy);
        }
    });
}

// The brush of a height tool on the grid: its centre in grid units (the mapping of a map
// position that the pixel recomputation uses) and its radius in samples.
struct SampleDisc {
    float gx, gy, r, r2;
};

SampleDisc sample_disc(float x, float y, float brush) {
    const float r = brush * 0.5f;
    return {(x + 0.5f) / height_spacing, (y + 0.5f) / height_spacing, r, r * r};
}

// Visits the samples under the brush with their squared distance from its centre.
template <typename Visit>
void for_each_sample(const SampleDisc& disc, Visit&& visit) {
    for_each_in_disc(disc.gx, disc.gy, disc.r, height_size,
                     [&](int c, int q, float dx, float dy) { visit(c, q, dx * dx + dy * dy); });
}

std::uint16_t& sample(const TerrainEdit& edit, int c, int q) {
    return edit.track.heights[q * height_size + c];
}

// A sample influences the pixels within about one and a half sample spacings of it, so the
// pixels within (r + 1.5) * 8 map units of the brush centre are recomputed, then the
// overlays that the recomputation wiped out are drawn again.
void update_view(const TerrainEdit& edit, float x, float y, float r) {
    if (!edit.canvas.renderer.exists()) {
        return;
    }
    const float v = (r + 1.5f) * 8.0f;
    std::array<RowSpan, image_size> spans;
    int top = 0, rows = 0;
    for_each_row_in_disc(x, y, v, image_size, [&](int i, int begin, int end, float) {
        if (rows == 0) {
            top = i;
        }
        spans[static_cast<std::size_t>(rows++)] = RowSpan{begin, end};
    });
    recompute_row_spans(edit.canvas, top, std::span(spans.data(), static_cast<std::size_t>(rows)));
    redraw_overlays(edit.canvas);
}

} // namespace

void adjust_heights(const TerrainEdit& edit, float x, float y, float amount, float brush) {
    const SampleDisc disc = sample_disc(x, y, brush);
    for_each_sample(disc, [&](int c, int q, float d2) {
        const float f = 1.0f / (4.0f * d2 / disc.r2 + 1.0f) - 0.2f;
        const std::int32_t delta = truncate_to_int(amount * f);
        std::uint16_t& h = sample(edit, c, q);
        const std::int64_t raised = std::int64_t{h} + delta;
        // Out of range is not clamped: the sample keeps its value, so the brush never
        // flattens a peak or a pit against the limits.
        if (raised >= 0 && raised <= highest_sample) {
            h = static_cast<std::uint16_t>(raised);
        }
    });
    update_view(edit, x, y, disc.r);
}

void smooth_heights(const TerrainEdit& edit, float x, float y, float strength, float brush) {
    const SampleDisc disc = sample_disc(x, y, brush);
    // The mean is taken from the old values only, so the order of the writes below does
    // not matter.
    double weights = 0.0;
    double weighted = 0.0;
    for_each_sample(disc, [&](int c, int q, float d2) {
        const float w = 1.0f - d2 / disc.r2;
        weights += static_cast<double>(w);
        weighted += static_cast<double>(w) * sample(edit, c, q);
    });
    // A brush off the grid, or one whose samples all lie on its rim, has no weight and so
    // no mean; its samples stay as they are.
    if (weights > 0.0) {
        const auto mean = static_cast<float>(weighted / weights);
        for_each_sample(disc, [&](int c, int q, float d2) {
            const float b = strength - strength * d2 / disc.r2;
            std::uint16_t& h = sample(edit, c, q);
            const float blended = (1.0f - b) * static_cast<float>(h) + b * mean;
            // A strength of 0..1 always lands inside the sample range; anything else (or a
            // NaN) must not wrap round or zero the sample, so it keeps its value.
            if (blended >= 0.0f && blended < 65536.0f) {
                h = static_cast<std::uint16_t>(truncate_to_int(blended));
            }
        });
    }
    update_view(edit, x, y, disc.r);
}

} // namespace cs
