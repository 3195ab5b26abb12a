// The rebuild's writer of stroke pixels (see RebuildPut).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "model/track.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/terrain_image.h"

namespace cs {

struct Canvas;

// The steps of a stroke are handed over in runs of this many.
inline constexpr int steps_per_run = 64;
// The last column and row of the image.
inline constexpr int image_last = image_size - 1;

// The rebuild's own way of writing the pixels of strokes, the hot path of a full redraw:
// the cover of the drawing level from the top down, in the rows of a band (the image follows
// from the cover once every element is drawn). One writer serves a band's level: each element
// begins and ends with it, and each of its strokes names its colour. A stroke hands its pixels
// over a run of steps at a time (see run); the box of the pixels kept is added to the element's
// box when the element ends.
class RebuildPut {
  public:
    // The writer of the band that state draws, into the level with these cells, marks and
    // known blocks (null: its strokes are never tested for passing over).
    RebuildPut(PlotState& state, CoverCell* cells, TopDown* marks,
               const std::uint64_t* known_blocks)
        : state_(state), cells_(cells), marks_(marks), known_blocks_(known_blocks),
          drawn_now_(*state.drawn_now), top_(state.clip_top), bottom_(state.clip_bottom) {}
    // Before the strokes of the element ref.
    void begin(std::uint32_t ref) {
        ref_ = ref;
        box_ = Box{};
    }
    // Before each stroke: what it writes.
    void use(Pixel colour, DrawMode mode) {
        value_ = mode == DrawMode::erase ? OverlayCache::terrain
                                         : OverlayCache::colour_flag | rgb_of(colour);
    }
    // The box of the element's strokes so far.
    PixelBox box() const {
        if (box_.right < 0) {
            return PixelBox{};
        }
        return PixelBox{static_cast<std::int16_t>(box_.left), static_cast<std::int16_t>(box_.top),
                        static_cast<std::int16_t>(box_.right),
                        static_cast<std::int16_t>(box_.bottom)};
    }
    // After the element's strokes: their box is added to the element's.
    void end() {
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
        return {std::max<long long>(first, 0), std::min<long long>(last, image_last)};
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
            if (x < 0 || x > image_last || y < top_ || y > bottom_) {
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
        int count = 0;
        for (int k = 0; k < n; ++k) {
            const auto middle =
                static_cast<std::uint32_t>(static_cast<int>(centre) + (first + k) * along);
            const auto offset = static_cast<std::uint32_t>(distance[k] * across);
            gather(open, count, middle + offset);
            gather(open, count, middle - offset);
        }
        draw(open, count);
    }

    // Draws pixel p, which lies in the band.
    void draw_one(std::uint32_t p) {
        OpenPixels open;
        int count = 0;
        gather(open, count, p);
        draw(open, count);
    }
    // Whether a box lies in the band, where a stroke whose box it is needs no checks.
    bool holds(long long left, long long top, long long right, long long bottom) const {
        return left >= 0 && right <= image_last && top >= top_ && bottom <= bottom_;
    }
    // The pixels of a run of such a segment: step first + k, with other[k] on the other axis.
    template <bool by_columns>
    void inside(long long first, int n, const int* other) {
        OpenPixels open;
        int count = 0;
        const int step0 = static_cast<int>(first);
        for (int k = 0; k < n; ++k) {
            gather(open, count,
                   static_cast<std::uint32_t>(by_columns ? other[k] * image_size + step0 + k
                                                         : (step0 + k) * image_size + other[k]));
        }
        draw(open, count);
    }

    // The pixels of a run of a segment along its main axis: step first + k, with other[k]
    // on the other axis. Along the columns, every column lies in the image and a row is kept
    // when it lies in the band; along the rows, every row lies in the band and a column is
    // kept when it lies in the image (-1, no row or column, never is).
    template <bool by_columns>
    void along(long long first, int n, const int* other) {
        const int lowest = by_columns ? static_cast<int>(top_) : 0;
        const auto span = static_cast<unsigned>(by_columns ? bottom_ - top_ : image_last);
        const int step0 = static_cast<int>(first);
        int lo = -1, hi = -1;
        OpenPixels open;
        int count = 0;
        for (int k = 0; k < n; ++k) {
            const int o = other[k];
            if (static_cast<unsigned>(o - lowest) > span) {
                continue;
            }
            lo = lo < 0 ? k : lo;
            hi = k;
            gather(open, count,
                   static_cast<std::uint32_t>(by_columns ? o * image_size + step0 + k
                                                         : (step0 + k) * image_size + o));
        }
        draw(open, count);
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
    // guess wrong. (Two pixels per step at most.) The count of a run's open pixels is a local
    // of its own: kept beside the array, it would go through memory at every step.
    using OpenPixels = std::array<std::uint32_t, 2 * steps_per_run>;
    void gather(OpenPixels& open, int& count, std::uint32_t p) const {
        open[static_cast<std::size_t>(count)] = p;
        count += marks_[p] != TopDown::known;
    }
    // Draws the first count gathered pixels, listing those it marked.
    void draw(const OpenPixels& open, int count) {
        std::uint32_t* const list = drawn_now_.room(static_cast<std::size_t>(count));
        std::size_t listed = drawn_now_.count;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t p = open[static_cast<std::size_t>(i)];
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
    long long top_, bottom_;
    std::uint32_t ref_ = 0;
    std::uint32_t value_ = 0;
    Box box_;
};

// Draws a segment with the rebuild's writer, as plot_segment does while the rebuild draws.
void rebuild_segment(const Canvas& canvas, RebuildPut& put, float x1, float y1, float x2, float y2,
                     std::uint32_t rgb, DrawMode mode);

} // namespace cs
