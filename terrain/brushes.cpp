#include "terrain/brushes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "render/overlay.h"
#include "terrain/paint.h"
#include "terrain/terrain_edit.h"

namespace cs {

namespace {

// First integer above v, limited to the map: the lower bound of a half-open cell range.
int first_above(float v) {
    return std::clamp(truncate_to_int(v + 1.0f), 0, map_size);
}
int clamp_to_map(int v) {
    return std::clamp(v, 0, map_size);
}

struct Point {
    float x, y;
};

// x of the edge from a (the upper corner) to b on row y.
float edge_x(const Point& a, const Point& b, float y) {
    return a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
}

// Scanline fill of one triangle: every cell with y_top < y <= y_bottom and
// x_left(y) < x <= x_right(y), clipped to the map.
template <typename Visit>
void fill_triangle(Point p0, Point p1, Point p2, Visit&& visit) {
    std::array<Point, 3> c = {p0, p1, p2};
    std::stable_sort(c.begin(), c.end(), [](const Point& a, const Point& b) { return a.y < b.y; });
    const Point& top = c[0];
    const Point& middle = c[1];
    const Point& bottom = c[2];
    const int y_top = first_above(top.y);
    const int y_middle = first_above(middle.y);
    const int y_bottom = first_above(bottom.y);
    auto span = [&](int y, const Point& a, const Point& b) {
        const float fy = static_cast<float>(y);
        const float x_long = edge_x(top, bottom, fy);
        const float x_short = edge_x(a, b, fy);
        const int left = first_above(std::min(x_long, x_short));
        const int right = first_above(std::max(x_long, x_short));
        for (int x = left; x < right; ++x) {
            visit(x, y);
        }
    };
    for (int y = y_top; y < y_middle; ++y) {
        span(y, top, middle);
    }
    for (int y = y_middle; y < y_bottom; ++y) {
        span(y, middle, bottom);
    }
}

// Turns road cells of one disc of radius r into Oil.
void oil_disc(const TerrainEdit& edit, float cx, float cy, float r) {
    const int row_end = clamp_to_map(truncate_to_int(cy + r + 1.0f));
    for (int y = first_above(cy - r); y < row_end; ++y) {
        const float dy = static_cast<float>(y) - cy;
        const float room = r * r - dy * dy;
        if (!(room >= 0.0f)) {
            continue;
        }
        const float s = std::sqrt(room);
        const int column_end = clamp_to_map(truncate_to_int(cx + 1.0f + s));
        for (int x = first_above(cx - s); x < column_end; ++x) {
            std::uint8_t& cell = edit.track.land[y * map_size + x];
            if (cell == tarmac || cell == tarmac2) {
                cell = oil;
                edit.hints.land_row(y);
                recompute_pixel(edit.canvas, x, y);
            }
        }
    }
}

} // namespace

void paint_disc(const TerrainEdit& edit, float cx, float cy, int brush_type, float r,
                std::uint8_t secondary) {
    const auto kinds = brush_kinds(brush_type, secondary);
    if (kinds) {
        const float outer = (r + 3.0f) * (r + 3.0f);
        const float rim = r * r;
        const bool has_core = r - 3.0f > 0.0f;
        const float core = (r - 3.0f) * (r - 3.0f);
        const int row_begin = clamp_to_map(truncate_to_int(cy - r - 2.0f));
        const int row_end = clamp_to_map(truncate_to_int(cy + r + 4.0f));
        for (int y = row_begin; y < row_end; ++y) {
            const float dy = static_cast<float>(y) - cy;
            const float room = outer - dy * dy;
            if (!(room >= 0.0f)) {
                continue;
            }
            const float s = std::sqrt(room);
            const int column_end = clamp_to_map(truncate_to_int(cx + 1.0f + s));
            for (int x = first_above(cx - s); x < column_end; ++x) {
                const float dx = static_cast<float>(x) - cx;
                const float d2 = dx * dx + dy * dy;
                if (has_core && d2 < core) {
                    paint_cell(edit, x, y, kinds->inner, kinds->secondary);
                } else if (d2 < rim) {
                    paint_cell(edit, x, y, kinds->ring, kinds->secondary);
                } else if (d2 < outer) {
                    edge_cell(edit, x, y, kinds->inner, kinds->secondary);
                }
            }
        }
    }
    redraw_overlays(edit.canvas);
}

void paint_stroke(const TerrainEdit& edit, float x1, float y1, float x2, float y2, int brush_type,
                  float w, std::uint8_t secondary) {
    const auto kinds = brush_kinds(brush_type, secondary);
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float len = std::sqrt(dx * dx + dy * dy);
    // A stroke whose ends coincide has no direction: it paints nothing.
    if (kinds && len > 0.0f && std::isfinite(len) && std::isfinite(w)) {
        const float ux = dx / len;
        const float uy = dy / len;
        const float a = w + 3.0f;
        const Point p0{x1 - 3.0f * ux + a * uy, y1 - 3.0f * uy - a * ux};
        const Point p1{x1 - 3.0f * ux - a * uy, y1 - 3.0f * uy + a * ux};
        const Point p2{x2 + 3.0f * ux + a * uy, y2 + 3.0f * uy - a * ux};
        const Point p3{x2 + 3.0f * ux - a * uy, y2 + 3.0f * uy + a * ux};
        auto visit = [&](int x, int y) {
            const float fx = static_cast<float>(x) - x1;
            const float fy = static_cast<float>(y) - y1;
            const float along = fx * ux + fy * uy;
            const float across = fx * uy - fy * ux;
            if (along < 0.0f || along >= len) {
                edge_cell(edit, x, y, kinds->inner, kinds->secondary);
            } else if (3.0f - w < across && across < w - 3.0f) {
                paint_cell(edit, x, y, kinds->inner, kinds->secondary);
            } else if (-w < across && across < w) {
                paint_cell(edit, x, y, kinds->ring, kinds->secondary);
            } else {
                edge_cell(edit, x, y, kinds->inner, kinds->secondary);
            }
        };
        fill_triangle(p0, p1, p2, visit);
        fill_triangle(p1, p3, p2, visit);
    }
    redraw_overlays(edit.canvas);
}

void oil_splash(const TerrainEdit& edit, float cx, float cy, float r) {
    oil_disc(edit, cx, cy, r);
    const float g = edit.canvas.renderer.height_spacing;
    const auto& h = edit.track.heights;
    auto sample = [&](int row, int column) {
        // Satellites near the border read the nearest samples of the grid.
        return static_cast<int>(h[std::clamp(row, 0, height_size - 1) * height_size +
                                  std::clamp(column, 0, height_size - 1)]);
    };
    for (int k = 0; k < 8; ++k) {
        const float theta = static_cast<float>(k) * 0.7854f;
        const float px = cx + r * std::cos(theta);
        const float py = cy + r * std::sin(theta);
        const float gx = (px + 0.5f) / g;
        const float gy = (py + 0.5f) / g;
        // Kept near the grid so that the neighbour index cannot overflow.
        const int c = std::clamp(truncate_to_int(gx), -1, height_size);
        const int q = std::clamp(truncate_to_int(gy), -1, height_size);
        const float fx = gx - static_cast<float>(c);
        const float fy = gy - static_cast<float>(q);
        const int h00 = sample(q, c);
        const int h01 = sample(q, c + 1);
        const int h10 = sample(q + 1, c);
        const int h11 = sample(q + 1, c + 1);
        const float sx =
            static_cast<float>(h01 - h00) * (1.0f - fy) + static_cast<float>(h11 - h10) * fy;
        const float sy =
            static_cast<float>(h10 - h00) * (1.0f - fx) + static_cast<float>(h11 - h01) * fx;
        oil_disc(edit, px - sx * r * 0.0003125f, py - sy * r * 0.0003125f, r);
    }
    redraw_overlays(edit.canvas);
}

} // namespace cs
