// The pixels of the strokes: segments and circles, each pixel either written straight to the
// image (and the cache's targets outside the rebuild) or, while the rebuild draws, to the
// cover from the top down, a run of steps at a time.
#include "render/stroke_pixels.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/canvas.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/rebuild_put.h"
#include "render/terrain_image.h"

namespace cs {

void plot(const Canvas& canvas, long long x, long long y, Pixel colour, DrawMode mode) {
    if (x < 0 || x > image_last || y < 0 || y > image_last) {
        return;
    }
    const int px = static_cast<int>(x);
    const int py = static_cast<int>(y);
    Renderer& r = canvas.renderer;
    PlotState* state = r.overlays != nullptr ? &r.overlays->state() : nullptr;
    if (state != nullptr && state->target == PlotTarget::rebuild) {
        // The cache alone, in the rows of this band; the image follows from it.
        if (py < state->clip_top || py > state->clip_bottom) {
            return;
        }
        const std::uint32_t value = mode == DrawMode::erase
                                        ? OverlayCache::terrain
                                        : OverlayCache::colour_flag | rgb_of(colour);
        r.overlays->record_rebuilt(*state, px, py, value);
    } else if (state != nullptr && state->target != PlotTarget::image) {
        if (mode == DrawMode::erase) {
            overlay_put_terrain(canvas, px, py);
        } else {
            overlay_put(canvas, px, py, colour);
        }
    } else if (mode == DrawMode::erase) {
        recompute_pixel(canvas, px, py);
    } else {
        r.note_written(px, py);
        r.at(px, py) = colour;
    }
}

namespace {

// Hands the pixels of a run of steps to put(x, y) one at a time: outside the rebuild.
template <typename F>
struct EachPixel {
    F& put;
    static constexpr bool passes_over = false;
    StepRange columns(const Canvas& canvas, long long first, long long last) const {
        return overlay_columns(canvas, first, last);
    }
    StepRange rows(const Canvas& canvas, long long first, long long last) const {
        return overlay_rows(canvas, first, last);
    }
    template <typename Each>
    void run(int n, Each each) {
        for (int k = 0; k < n; ++k) {
            each(k, put);
        }
    }
    void along_columns(long long first, int n, const int* rows) {
        for (int k = 0; k < n; ++k) {
            put(first + k, rows[k]);
        }
    }
    void along_rows(long long first, int n, const int* columns) {
        for (int k = 0; k < n; ++k) {
            put(columns[k], first + k);
        }
    }
};

// The writer of the rebuild when it is drawing, else null.
RebuildPut* rebuilding(const Canvas& canvas) {
    OverlayCache* c = canvas.renderer.overlays.get();
    return c != nullptr && c->state().target == PlotTarget::rebuild ? c->state().writer : nullptr;
}

// The loop range [first, last] of integer steps from trunc(low) to trunc(high), cut to
// the image: the steps outside 0..511 would plot nothing, so the cut changes no pixel
// and bounds the loop for far-away end points.
struct Steps {
    long long first, last;
};
Steps steps_within_image(float low, float high) {
    return Steps{std::max<long long>(truncate_to_int(low), 0),
                 std::min<long long>(truncate_to_int(high), image_last)};
}
// The same, cut to the columns (rows) that the target of put can write.
template <typename Put>
Steps columns_within(const Canvas& canvas, Put& put, float low, float high) {
    const Steps s = steps_within_image(low, high);
    const StepRange r = put.columns(canvas, s.first, s.last);
    return Steps{r.first, r.last};
}
template <typename Put>
Steps rows_within(const Canvas& canvas, Put& put, float low, float high) {
    const Steps s = steps_within_image(low, high);
    const StepRange r = put.rows(canvas, s.first, s.last);
    return Steps{r.first, r.last};
}

// The pixel coordinate on the other axis at a step, or -1 for none (NaN included).
inline int other_at(int step, float a0, float b0, float a_span, float b_span) {
    const float v = (static_cast<float>(step) - a0) * b_span / a_span + b0;
    return v > -1.0f && v < static_cast<float>(image_size) ? static_cast<int>(v) : -1;
}

// The steps first..last (within the image) along a segment's main axis, from a0 where the
// other axis is b0, with the pixel coordinate of the other axis at each, handed over a run
// at a time to run(first step, n, coordinates). The coordinates of a run are worked out
// together, in a loop the compiler can do several at a time: the same float operations per
// step, so the same pixels.
template <typename Run>
void put_steps(Steps steps, float a0, float b0, float a_span, float b_span, Run run) {
    std::array<int, steps_per_run> other;
    for (long long first = steps.first; first <= steps.last; first += steps_per_run) {
        const int n = static_cast<int>(std::min<long long>(steps_per_run, steps.last - first + 1));
        const int base = static_cast<int>(first);
        for (int k = 0; k < n; ++k) {
            other[static_cast<std::size_t>(k)] = other_at(base + k, a0, b0, a_span, b_span);
        }
        run(first, n, other.data());
    }
}

// How a segment's steps (along the columns or the rows) fit what put writes: done (passed
// over, or its one step drawn), inside the band (drawn without checks), or partly outside it.
// Along a segment the other coordinate never falls and then rises again, so the first and last
// step bound its pixels.
enum class StepsFit { done, inside, partly };
template <typename Put>
StepsFit fit_steps(Put& put, Steps steps, bool by_columns, float a0, float b0, float a_span,
                   float b_span) {
    if constexpr (!Put::passes_over) {
        return StepsFit::partly;
    } else {
        if (steps.first > steps.last) {
            return StepsFit::partly;
        }
        // The steps lie within the image.
        const int o1 = other_at(static_cast<int>(steps.first), a0, b0, a_span, b_span);
        const int o2 = other_at(static_cast<int>(steps.last), a0, b0, a_span, b_span);
        const long long lo = std::min(o1, o2), hi = std::max(o1, o2);
        const long long left = by_columns ? steps.first : lo, right = by_columns ? steps.last : hi;
        const long long top = by_columns ? lo : steps.first, bottom = by_columns ? hi : steps.last;
        if (put.pass_over(left, top, right, bottom)) {
            return StepsFit::done;
        }
        if (put.holds(left, top, right, bottom)) {
            put.keep(left, top, right, bottom);
            if (steps.first == steps.last) {
                // A segment shorter than a pixel, as the driving line's mostly are.
                put.draw_one(static_cast<std::uint32_t>(top * image_size + left));
                return StepsFit::done;
            }
            return StepsFit::inside;
        }
        return StepsFit::partly;
    }
}

// Whether put passes over a circle of radius r around (x0, y0): its pixels reach r from the
// centre along both axes, at the centre's row and column.
template <typename Put>
bool pass_over_circle(Put& put, long long x0, long long y0, int r) {
    if constexpr (!Put::passes_over) {
        return false;
    } else {
        return r >= 0 && put.pass_over(x0 - r, y0 - r, x0 + r, y0 + r);
    }
}

// The steps of a segment along its main axis (the columns or the rows) from a0, where the
// other axis is b0, handed to put: passed over, drawn inside the band without checks, or
// drawn with them.
template <bool by_columns, typename Put>
void segment_steps(Put& put, Steps steps, float a0, float b0, float a_span, float b_span) {
    const StepsFit fit = fit_steps(put, steps, by_columns, a0, b0, a_span, b_span);
    if (fit == StepsFit::done) {
        return;
    }
    if constexpr (Put::passes_over) {
        if (fit == StepsFit::inside) {
            put_steps(steps, a0, b0, a_span, b_span, [&](long long first, int n, const int* other) {
                put.template inside<by_columns>(first, n, other);
            });
            return;
        }
    }
    put_steps(steps, a0, b0, a_span, b_span, [&](long long first, int n, const int* other) {
        if constexpr (by_columns) {
            put.along_columns(first, n, other);
        } else {
            put.along_rows(first, n, other);
        }
    });
}

// The pixels of a segment whose end points are finite, handed to put a run at a time.
template <typename Put>
void segment_pixels(const Canvas& canvas, float x1, float y1, float x2, float y2, Put& put) {
    x1 += 0.5f;
    y1 += 0.5f;
    x2 += 0.5f;
    y2 += 0.5f;
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    if (dx * dx > dy * dy) {
        // Mostly horizontal: one pixel per column, from the left end to the right end.
        const bool first_left = x1 < x2;
        const float ax = first_left ? x1 : x2, ay = first_left ? y1 : y2;
        const float bx = first_left ? x2 : x1, by = first_left ? y2 : y1;
        // Every row the loop reaches lies within a pixel of the end points' rows: where those
        // rows are all cut away (another band, a clip rectangle) there is nothing to draw.
        const Steps reach =
            rows_within(canvas, put, std::min(ay, by) - 2.0f, std::max(ay, by) + 2.0f);
        if (reach.first > reach.last) {
            return;
        }
        segment_steps<true>(put, columns_within(canvas, put, ax, bx), ax, ay, bx - ax, by - ay);
        return;
    }
    // Mostly vertical: one pixel per row, from the top end to the bottom end. With no
    // height the segment is a point (or shorter than any float square), which covers no
    // pixel, and there is nothing to divide by.
    if (dy == 0.0f) {
        return;
    }
    const bool first_top = y1 < y2;
    const float ax = first_top ? x1 : x2, ay = first_top ? y1 : y2;
    const float bx = first_top ? x2 : x1, by = first_top ? y2 : y1;
    segment_steps<false>(put, rows_within(canvas, put, ay, by), ay, ax, by - ay, bx - ax);
}

// The steps first..last (within the image) along one axis of a circle around centre, with
// their distances from the other axis's centre line, handed over as put_steps does; a run
// at a time where the steps' offsets from the centre are ints, else one step at a time.
template <typename Run>
void put_arc_steps(StepRange steps, long long centre, float radius_squared, Run run) {
    auto distance_at = [&](float t) {
        const float root = std::sqrt(radius_squared - t * t);
        // As truncate_to_int: saturated, and 0 for NaN.
        return root < 2147483648.0f ? static_cast<int>(root) : root == root ? INT_MAX : 0;
    };
    constexpr long long int_reach = INT_MAX - steps_per_run;
    if (steps.first - centre < -int_reach || steps.last - centre > int_reach) {
        for (long long step = steps.first; step <= steps.last; ++step) {
            const int distance = distance_at(static_cast<float>(step - centre));
            run(step, 1, &distance);
        }
        return;
    }
    std::array<int, steps_per_run> distance;
    for (long long first = steps.first; first <= steps.last; first += steps_per_run) {
        const int n = static_cast<int>(std::min<long long>(steps_per_run, steps.last - first + 1));
        const auto base = static_cast<int>(first - centre);
        for (int k = 0; k < n; ++k) {
            distance[static_cast<std::size_t>(k)] = distance_at(static_cast<float>(base + k));
        }
        run(first, n, distance.data());
    }
}

// The pixels of a circle, handed to put a run at a time.
template <typename Put>
void circle_pixels(const Canvas& canvas, int cx, int cy, int r, Put& put) {
    const float radius = static_cast<float>(r) + 0.5f;
    const float radius_squared = radius * radius;
    // Up to 45 degrees from each axis; the two passes together close the outline.
    const long long d = truncate_to_int(radius * 0.70710677f);
    const long long x0 = cx, y0 = cy;
    if (pass_over_circle(put, x0, y0, r)) {
        return;
    }
    if constexpr (Put::passes_over) {
        if (put.holds_circle(x0, y0, r)) {
            put.keep(x0 - r, y0 - r, x0 + r, y0 + r);
            const auto centre = static_cast<std::uint32_t>(y0 * image_size + x0);
            put_arc_steps(StepRange{x0 - d, x0 + d}, x0, radius_squared,
                          [&](long long first, int n, const int* h) {
                              put.arcs(centre, static_cast<int>(first - x0), n, h, 1, image_size);
                          });
            put_arc_steps(StepRange{y0 - d, y0 + d}, y0, radius_squared,
                          [&](long long first, int n, const int* w) {
                              put.arcs(centre, static_cast<int>(first - y0), n, w, image_size, 1);
                          });
            return;
        }
    }
    // Top and bottom arcs, unless all their rows are cut away.
    const StepRange reach =
        put.rows(canvas, std::max(0LL, y0 - r - 1), std::min<long long>(image_last, y0 + r + 1));
    const StepRange columns =
        put.columns(canvas, std::max(0LL, x0 - d), std::min<long long>(image_last, x0 + d));
    if (reach.first <= reach.last) {
        put_arc_steps(StepRange{columns.first, columns.last}, x0, radius_squared,
                      [&](long long first, int n, const int* h) {
                          put.run(n, [&](int k, auto& pixel) {
                              pixel(first + k, y0 + h[k]);
                              pixel(first + k, y0 - h[k]);
                          });
                      });
    }
    // Left and right arcs.
    const StepRange rows =
        put.rows(canvas, std::max(0LL, y0 - d), std::min<long long>(image_last, y0 + d));
    put_arc_steps(rows, y0, radius_squared, [&](long long first, int n, const int* w) {
        put.run(n, [&](int k, auto& pixel) {
            pixel(x0 + w[k], first + k);
            pixel(x0 - w[k], first + k);
        });
    });
}

} // namespace

void rebuild_segment(const Canvas& canvas, RebuildPut& put, float x1, float y1, float x2, float y2,
                     std::uint32_t rgb, DrawMode mode) {
    // A segment with an end point at no finite place covers no pixel.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    put.use(pixel_of(rgb), mode);
    segment_pixels(canvas, x1, y1, x2, y2, put);
}

void plot_segment(const Canvas& canvas, float x1, float y1, float x2, float y2, std::uint32_t rgb,
                  DrawMode mode) {
    if (RebuildPut* put = rebuilding(canvas)) {
        rebuild_segment(canvas, *put, x1, y1, x2, y2, rgb, mode);
        return;
    }
    // A segment with an end point at no finite place covers no pixel.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    const Pixel colour = pixel_of(rgb);
    auto each = [&](long long x, long long y) { plot(canvas, x, y, colour, mode); };
    EachPixel<decltype(each)> put{each};
    segment_pixels(canvas, x1, y1, x2, y2, put);
}

void plot_circle(const Canvas& canvas, int cx, int cy, int r, std::uint32_t rgb, DrawMode mode) {
    const Pixel colour = pixel_of(rgb);
    if (RebuildPut* put = rebuilding(canvas)) {
        put->use(colour, mode);
        circle_pixels(canvas, cx, cy, r, *put);
        return;
    }
    auto each = [&](long long x, long long y) { plot(canvas, x, y, colour, mode); };
    EachPixel<decltype(each)> put{each};
    circle_pixels(canvas, cx, cy, r, put);
}

} // namespace cs
