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
#include "render/terrain_image.h"

namespace cs {

namespace {

constexpr int last_pixel = image_size - 1;
// The steps of a stroke are handed over in runs of this many.
constexpr int steps_per_run = 64;

} // namespace

void plot(const Canvas& canvas, long long x, long long y, Pixel colour, DrawMode mode) {
    if (x < 0 || x > last_pixel || y < 0 || y > last_pixel) {
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

// The rebuild's own way of writing the pixels of a stroke, the hot path of a full redraw:
// the cover of the drawing level from the top down, in the rows of this band (the image
// follows from the cover once every element is drawn). A stroke hands its pixels over a run
// of steps at a time (see run); the box of the pixels kept is added to the element's box
// once the stroke is drawn.
class RebuildPut {
  public:
    RebuildPut(PlotState& state, Pixel colour, DrawMode mode)
        : state_(state), cells_(state.cells), marks_(state.marks),
          known_blocks_(state.known_blocks), drawn_now_(*state.drawn_now), ref_(state.current_ref),
          value_(mode == DrawMode::erase ? OverlayCache::terrain
                                         : OverlayCache::colour_flag | rgb_of(colour)),
          top_(state.clip_top), bottom_(state.clip_bottom) {}
    ~RebuildPut() {
        if (box_.right >= 0) {
            state_.box_left = std::min(state_.box_left, box_.left);
            state_.box_top = std::min(state_.box_top, box_.top);
            state_.box_right = std::max(state_.box_right, box_.right);
            state_.box_bottom = std::max(state_.box_bottom, box_.bottom);
        }
    }
    RebuildPut(const RebuildPut&) = delete;
    RebuildPut& operator=(const RebuildPut&) = delete;

    // The columns (rows) of first..last that the band can write: all of the image's columns,
    // its own rows.
    StepRange columns(const Canvas&, long long first, long long last) const {
        return {std::max<long long>(first, 0), std::min<long long>(last, last_pixel)};
    }
    StepRange rows(const Canvas&, long long first, long long last) const {
        return {std::max(first, top_), std::min(last, bottom_)};
    }

    // The rebuild passes over a stroke whose every pixel is known already.
    static constexpr bool passes_over = true;

    // True when the box left..right, top..bottom (the exact box of a stroke's pixels, were it
    // drawn) lies in the band and in blocks whose every pixel is known: nothing the stroke
    // would draw shows, so it is passed over and only its box counts.
    bool pass_over(long long left, long long top, long long right, long long bottom) {
        if (known_blocks_ == nullptr || !holds(left, top, right, bottom)) {
            return false;
        }
        constexpr int shift = OverlayCache::block_shift;
        const auto l = static_cast<int>(left), t = static_cast<int>(top);
        const auto r = static_cast<int>(right), b = static_cast<int>(bottom);
        // The box's blocks in each half of a row of blocks, a word each.
        const int first = l >> shift, last = r >> shift;
        auto blocks_in_word = [&](int word) {
            const int from = std::max(first - 64 * word, 0), to = std::min(last - 64 * word, 63);
            return from > to ? std::uint64_t{0}
                             : (~std::uint64_t{0} >> (63 - to)) & (~std::uint64_t{0} << from);
        };
        const std::uint64_t left_half = blocks_in_word(0), right_half = blocks_in_word(1);
        for (int row = t >> shift; row <= b >> shift; ++row) {
            const std::uint64_t* w = known_blocks_ + row * OverlayCache::block_words_per_row;
            if ((w[0] & left_half) != left_half || (w[1] & right_half) != right_half) {
                return false;
            }
        }
        widen(Box{l, t, r, b});
        return true;
    }
    // The box of a stroke whose pixels need no checks counts as drawn.
    void keep(long long left, long long top, long long right, long long bottom) {
        widen(Box{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                  static_cast<int>(bottom)});
    }

    // Calls each(k, pixel) for the steps k of a run of n steps, each step handing its one or
    // two pixels to pixel(x, y). What the loop changes is kept in locals, so that it stays in
    // registers: the box, and the count of the pixels marked (room for two per step is made
    // first).
    template <typename Each>
    void run(int n, Each each) {
        Box box = box_;
        std::uint32_t* const list = drawn_now_.room(2 * static_cast<std::size_t>(n));
        std::size_t listed = drawn_now_.count;
        auto pixel = [&](long long x, long long y) {
            // The band's rows lie within the image.
            if (x < 0 || x > last_pixel || y < top_ || y > bottom_) {
                return;
            }
            const int px = static_cast<int>(x);
            const int py = static_cast<int>(y);
            const auto p = static_cast<std::size_t>(py * image_size + px);
            if (marks_[p] != TopDown::known && draw_top_down(cells_[p], marks_[p], ref_, value_)) {
                list[listed++] = static_cast<std::uint32_t>(p);
            }
            box.left = std::min(box.left, px);
            box.top = std::min(box.top, py);
            box.right = std::max(box.right, px);
            box.bottom = std::max(box.bottom, py);
        };
        for (int k = 0; k < n; ++k) {
            each(k, pixel);
        }
        drawn_now_.count = listed;
        box_ = box;
    }

    // Whether a circle of radius r around (x0, y0) lies in the band: its box is then the box
    // around its pixels, and they need no checks. (Up to this radius, an arc's middle step
    // reaches r exactly: (r + 0.5) squared and its root are exact floats.)
    bool holds_circle(long long x0, long long y0, int r) const {
        constexpr int exact_radius = 4096;
        return r >= 0 && r <= exact_radius && holds(x0 - r, y0 - r, x0 + r, y0 + r);
    }
    // The pixels of a run of two arcs of such a circle around pixel centre: at step k, the
    // pixels centre + (first + k) * along +- distance[k] * across.
    void arcs(std::uint32_t centre, int first, int n, const int* distance, int along, int across) {
        OpenPixels open;
        for (int k = 0; k < n; ++k) {
            const auto middle =
                static_cast<std::uint32_t>(static_cast<int>(centre) + (first + k) * along);
            const auto offset = static_cast<std::uint32_t>(distance[k] * across);
            gather(open, middle + offset);
            gather(open, middle - offset);
        }
        draw(open);
    }

    // Draws pixel p, which lies in the band.
    void draw_one(std::uint32_t p) {
        OpenPixels open;
        gather(open, p);
        draw(open);
    }
    // Whether a box lies in the band, where a stroke whose box it is needs no checks.
    bool holds(long long left, long long top, long long right, long long bottom) const {
        return left >= 0 && right <= last_pixel && top >= top_ && bottom <= bottom_;
    }
    // The pixels of a run of such a segment: step first + k, with other[k] on the other axis.
    template <bool by_columns>
    void inside(long long first, int n, const int* other) {
        OpenPixels open;
        const int step0 = static_cast<int>(first);
        for (int k = 0; k < n; ++k) {
            gather(open,
                   static_cast<std::uint32_t>(by_columns ? other[k] * image_size + step0 + k
                                                         : (step0 + k) * image_size + other[k]));
        }
        draw(open);
    }

    // The pixels of a run of a segment along its main axis: step first + k, with other[k]
    // on the other axis. Along the columns, every column lies in the image and a row is kept
    // when it lies in the band; along the rows, every row lies in the band and a column is
    // kept when it lies in the image (-1, no row or column, never is).
    template <bool by_columns>
    void along(long long first, int n, const int* other) {
        const int lowest = by_columns ? static_cast<int>(top_) : 0;
        const auto span = static_cast<unsigned>(by_columns ? bottom_ - top_ : last_pixel);
        const int step0 = static_cast<int>(first);
        int lo = -1, hi = -1;
        OpenPixels open;
        for (int k = 0; k < n; ++k) {
            const int o = other[k];
            if (static_cast<unsigned>(o - lowest) > span) {
                continue;
            }
            lo = lo < 0 ? k : lo;
            hi = k;
            gather(open, static_cast<std::uint32_t>(by_columns ? o * image_size + step0 + k
                                                               : (step0 + k) * image_size + o));
        }
        draw(open);
        if (hi >= 0) {
            // Along a segment the other coordinate never falls and then rises again, so the
            // first and last pixel kept bound the run.
            const int other_lo = std::min(other[lo], other[hi]);
            const int other_hi = std::max(other[lo], other[hi]);
            widen(by_columns ? Box{step0 + lo, other_lo, step0 + hi, other_hi}
                             : Box{other_lo, step0 + lo, other_hi, step0 + hi});
        }
    }
    void along_columns(long long first, int n, const int* rows) { along<true>(first, n, rows); }
    void along_rows(long long first, int n, const int* columns) { along<false>(first, n, columns); }

  private:
    // Most pixels a rebuild reaches are known already. The pixels of a run that are not are
    // gathered first and drawn after, so that whether a step's pixel is known never decides a
    // branch: where a stroke runs from known pixels into open ones, a branch would mostly
    // guess wrong. (Two pixels per step at most.)
    struct OpenPixels {
        std::array<std::uint32_t, 2 * steps_per_run> pixels;
        int count = 0;
    };
    void gather(OpenPixels& open, std::uint32_t p) const {
        open.pixels[static_cast<std::size_t>(open.count)] = p;
        open.count += marks_[p] != TopDown::known;
    }
    // Draws the gathered pixels, listing those it marked.
    void draw(const OpenPixels& open) {
        std::uint32_t* const list = drawn_now_.room(static_cast<std::size_t>(open.count));
        std::size_t listed = drawn_now_.count;
        for (int i = 0; i < open.count; ++i) {
            const std::uint32_t p = open.pixels[static_cast<std::size_t>(i)];
            if (draw_top_down(cells_[p], marks_[p], ref_, value_)) {
                list[listed++] = p;
            }
        }
        drawn_now_.count = listed;
    }
    struct Box {
        int left = image_size, top = image_size, right = -1, bottom = -1;
    };
    void widen(const Box& b) {
        box_.left = std::min(box_.left, b.left);
        box_.top = std::min(box_.top, b.top);
        box_.right = std::max(box_.right, b.right);
        box_.bottom = std::max(box_.bottom, b.bottom);
    }
    PlotState& state_;
    CoverCell* cells_;
    TopDown* marks_;
    const std::uint64_t* known_blocks_;
    MarkedPixels& drawn_now_;
    std::uint32_t ref_;
    std::uint32_t value_;
    long long top_, bottom_;
    Box box_;
};

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

// The state of the rebuild when it is drawing, else null.
PlotState* rebuilding(const Canvas& canvas) {
    OverlayCache* c = canvas.renderer.overlays.get();
    return c != nullptr && c->state().target == PlotTarget::rebuild ? &c->state() : nullptr;
}

// The loop range [first, last] of integer steps from trunc(low) to trunc(high), cut to
// the image: the steps outside 0..511 would plot nothing, so the cut changes no pixel
// and bounds the loop for far-away end points.
struct Steps {
    long long first, last;
};
Steps steps_within_image(float low, float high) {
    return Steps{std::max<long long>(truncate_to_int(low), 0),
                 std::min<long long>(truncate_to_int(high), last_pixel)};
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
        put.rows(canvas, std::max(0LL, y0 - r - 1), std::min<long long>(last_pixel, y0 + r + 1));
    const StepRange columns =
        put.columns(canvas, std::max(0LL, x0 - d), std::min<long long>(last_pixel, x0 + d));
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
        put.rows(canvas, std::max(0LL, y0 - d), std::min<long long>(last_pixel, y0 + d));
    put_arc_steps(rows, y0, radius_squared, [&](long long first, int n, const int* w) {
        put.run(n, [&](int k, auto& pixel) {
            pixel(x0 + w[k], first + k);
            pixel(x0 - w[k], first + k);
        });
    });
}

} // namespace

void plot_segment(const Canvas& canvas, float x1, float y1, float x2, float y2, std::uint32_t rgb,
                  DrawMode mode) {
    // A segment with an end point at no finite place covers no pixel.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    const Pixel colour = pixel_of(rgb);
    if (PlotState* state = rebuilding(canvas)) {
        RebuildPut put(*state, colour, mode);
        segment_pixels(canvas, x1, y1, x2, y2, put);
        return;
    }
    auto each = [&](long long x, long long y) { plot(canvas, x, y, colour, mode); };
    EachPixel<decltype(each)> put{each};
    segment_pixels(canvas, x1, y1, x2, y2, put);
}

void plot_circle(const Canvas& canvas, int cx, int cy, int r, std::uint32_t rgb, DrawMode mode) {
    const Pixel colour = pixel_of(rgb);
    if (PlotState* state = rebuilding(canvas)) {
        RebuildPut put(*state, colour, mode);
        circle_pixels(canvas, cx, cy, r, put);
        return;
    }
    auto each = [&](long long x, long long y) { plot(canvas, x, y, colour, mode); };
    EachPixel<decltype(each)> put{each};
    circle_pixels(canvas, cx, cy, r, put);
}

} // namespace cs
