// What the overlay pass keeps between passes so that it repairs only what changed.
//
// Every overlay operation writes pixels one by one, each either a fixed colour or the
// terrain recomputed at that pixel, so a pixel's final value after a pass depends only on
// the last operation of the pass that touches it. The cache keeps that last operation per
// pixel (the cover) and, per tile of the image, the overlay elements whose drawing touches
// it. A pass then only has to
//   - recompute the cover where elements changed, by replaying, in drawing order and
//     clipped to the changed tiles, the elements that touch them, and
//   - bring the image up to date from the cover in those tiles and in the tiles written
//     since the last pass by anything else (terrain edits, erased or pending shapes).
// The cover is kept in two layers: the elements (pits, objects, checkpoints) and, on top,
// the driving lines, so that the frequent changes of a line never replay the elements.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "model/track.h"

namespace cs {

struct Canvas;
struct Pixel;

// What an element is, in drawing order. The value of a reference is the layer in the top
// bits and an index (for objects a stable id, since deletions shift the list) below.
enum class OverlayLayer : std::uint32_t {
    pits = 0,
    objects = 1,
    checkpoints = 2,
    ai_segments = 3, // segment i joins points i - 1 and i
    ai_closing = 4,  // the last point back to point 0
    pit_segments = 5,
};

struct TileBox {
    // Inclusive tile rows and columns; empty when left > right.
    std::int16_t left = 1, top = 1, right = 0, bottom = 0;
    bool empty() const { return left > right; }
};

// One bit per pixel of a tile: bit x of row y.
using TileMask = std::array<std::uint16_t, 16>;

// The pixels an element's drawing touched, as a box.
struct PixelBox {
    // Inclusive pixel rows and columns; empty when left > right.
    std::int16_t left = 1, top = 1, right = 0, bottom = 0;
    bool empty() const { return left > right; }
    TileBox tiles() const {
        if (empty()) {
            return {};
        }
        return {static_cast<std::int16_t>(left >> 4), static_cast<std::int16_t>(top >> 4),
                static_cast<std::int16_t>(right >> 4), static_cast<std::int16_t>(bottom >> 4)};
    }
};

// How the drawing operations write their pixels.
enum class PlotTarget : std::uint8_t {
    image,   // the image, as outside the pass and in the literal pass
    rebuild, // the element's level, from the top down, and its box
    measure, // the drawn element's box
    uncount, // an element that goes: what it covered shows again, or its pixels are due
             // for resolving
    resolve, // a replay backwards over the pixels due for resolving
    replay,  // a replay forwards over the stale tiles, from their order keys on
};

// What a level of the cover keeps per pixel, side by side so that drawing a pixel writes one
// place: the value the pass leaves there, which element drew there last, and what lay under
// that element's drawing, so that when the element goes, the pixel mostly knows at once what
// shows instead. A pixel no element of the level touches (last is no_element) shows the
// level below.
struct CoverCell {
    // Values of last besides element references.
    static constexpr std::uint32_t no_element = 0xFFFFFFFFu;      // nothing of the level
    static constexpr std::uint32_t unknown_element = 0xFFFFFFFEu; // some element of the level
    static constexpr std::uint32_t taken_back = 0x80000000u;      // | a removal's number
    // Values of under besides cover values: not known, and nothing of the level (the level
    // below, which may change, shows when the last element goes).
    static constexpr std::uint32_t unknown_value = 2;
    static constexpr std::uint32_t level_below = 3;

    std::uint32_t cover = 0;
    std::uint32_t last = no_element;
    std::uint32_t under = unknown_value;
};

// The rebuild draws each level from its last element down, so that a pixel is done once the
// element on top and the one under it are known. Per pixel of the level being drawn, how far
// it is: the marks that end in _now were set by the element being drawn, whose later
// operations still write there (within an element the last operation wins); once it is
// drawn, they become top and known.
enum class TopDown : std::uint8_t { free, top_now, top, under_now, known };
// top_now becomes top and under_now known: each is the next value, so settling is an add.
constexpr TopDown settled(TopDown mark) {
    return static_cast<TopDown>(static_cast<std::uint8_t>(mark) + 1);
}
static_assert(settled(TopDown::top_now) == TopDown::top &&
              settled(TopDown::under_now) == TopDown::known);

// The pixels the element being drawn marked _now: slots holds the room, count how many are
// listed, so that a stroke makes room once per run of steps and writes without checks. A
// cache line of its own, as each band writes its own list's count all the time.
struct alignas(64) MarkedPixels {
    std::vector<std::uint32_t> slots;
    std::size_t count = 0;
    // Room for n more.
    std::uint32_t* room(std::size_t n) {
        if (count + n > slots.size()) {
            slots.resize(std::max(2 * slots.size(), count + n));
        }
        return slots.data();
    }
    void add(std::uint32_t p) { room(1)[count++] = p; }
};

// One operation of the element being drawn (ref) writes value; true when it marked the pixel
// _now, for the caller to list.
inline bool draw_top_down(CoverCell& cell, TopDown& mark, std::uint32_t ref, std::uint32_t value) {
    switch (mark) {
    case TopDown::known:
        return false;
    case TopDown::free:
        cell.last = ref;
        cell.cover = value;
        mark = TopDown::top_now;
        return true;
    case TopDown::top_now:
        cell.cover = value;
        return false;
    case TopDown::top:
        cell.under = value;
        mark = TopDown::under_now;
        return true;
    case TopDown::under_now:
        cell.under = value;
        return false;
    }
    return false;
}

// One level of the cover: what the pass leaves per pixel after drawing the elements of
// this level on top of the level below. Level 0 holds pits, objects and checkpoints; level 1
// the AI line's segments; level 2 the AI line's closing segment and the pit line, which
// change with every step of the rope and are few.
struct CoverLevel {
    std::vector<CoverCell> cells; // per pixel
    // Tiles that may hold anything but untouched: a rebuild clears only these.
    std::array<std::uint8_t, 1024> used{};
    // Per tile, the references of the elements whose drawing touches it, in drawing order. Elements
    // whose box spans more than large_box tiles are kept once, in large, and count as touching
    // every tile.
    std::array<std::vector<std::uint32_t>, 1024> tiles;
    std::vector<std::uint32_t> large;
    // Tiles whose cover must be recomputed from the elements at or after `from` (an order
    // key) on, on top of the cover as it is: where elements came.
    std::array<std::uint8_t, 1024> stale{};
    std::array<std::uint32_t, 1024> from{};
    // Pixels that elements which went had drawn: each takes the last remaining operation
    // that touches it, or the level below. Stamped with the pass's generation.
    std::vector<std::uint32_t> resolve;
    std::vector<std::uint32_t> resolve_stamp;
    // Tiles whose cover changed in this pass.
    std::array<std::uint8_t, 1024> changed{};
};

class RebuildPut;

// The drawing target and, while drawing one element, its level, order key and box, and the
// rectangle the drawing may write. A cache line of its own, so that two bands drawing at
// once never share one.
struct alignas(64) PlotState {
    PlotTarget target = PlotTarget::image;
    int drawing_level = 0;
    std::uint32_t current_key = 0;
    std::uint32_t current_ref = 0;
    int box_left = 0, box_top = 0, box_right = -1, box_bottom = -1; // pixels, inclusive
    // While replaying or resolving: the pixel rectangle that holds what is recomputed (loops
    // are cut to it). While rebuilding: the band of rows this state draws.
    int clip_left = 0, clip_top = 0, clip_right = -1, clip_bottom = -1;
    // While rebuilding: the pixels the element being drawn marked (see draw_top_down), and
    // the writer of its strokes.
    MarkedPixels* drawn_now = nullptr;
    RebuildPut* writer = nullptr;
};

struct OverlayCache {
    // Cover values: what the last operation of a pass did to a pixel.
    static constexpr std::uint32_t untouched = 0;
    static constexpr std::uint32_t terrain = 1;
    static constexpr std::uint32_t colour_flag = 0x80000000u;
    static constexpr int large_box = 96;
    static constexpr int levels = 3;

    bool valid = false; // false: the next pass redraws everything and rebuilds the cache
    // True while the boxes and tile lists of the last rebuild are still to be made from the
    // bands' boxes (one band's, or two).
    bool index_due = false;
    bool index_in_two_bands = false;
    std::array<CoverLevel, levels> level;

    // The boxes of what each element drew at the last pass.
    std::array<PixelBox, max_pits + 1> pit_boxes{};
    std::vector<PixelBox> object_boxes; // by stable id
    std::array<PixelBox, max_checkpoints + 1> checkpoint_boxes{};
    std::vector<PixelBox> ai_segment_boxes;
    PixelBox closing_box{};
    std::array<PixelBox, max_ai_pit_line + 1> pit_segment_boxes{};

    // What the pits, checkpoints and line points were when they were last drawn, so that
    // what an element drew can be taken back even after the list has moved on.
    std::array<Pit, max_pits + 1> pits_drawn{};
    std::array<Checkpoint, max_checkpoints + 1> checkpoints_drawn{};
    std::vector<LinePoint> ai_points_drawn;
    std::array<LinePoint, max_ai_pit_line + 1> pit_points_drawn{};

    // Stable ids of the objects: id_of_index follows the list's shifts.
    std::vector<std::uint32_t> id_of_index;
    std::vector<std::uint32_t> index_of_id;
    // Ids given back, and the first of the ids never given out.
    std::vector<std::uint32_t> free_ids;
    std::uint32_t fresh_id = 0;
    // The objects by where they stand, for finding the one nearest a point: per cell of
    // 16 x 16 map units (positions outside the map count in the cell at its edge), the
    // objects whose centre lies in it, with that centre. An object at no finite place is
    // in no cell.
    struct PlacedObject {
        float x, y; // as in the list
        std::uint32_t id;
    };
    std::array<std::vector<PlacedObject>, 1024> object_cells;
    std::vector<std::uint16_t> cell_of_id; // by stable id; no_cell when in none
    static constexpr std::uint16_t no_cell = 0xFFFF;

    // The list lengths the cache describes.
    int pits = 0, objects = 0, checkpoints = 0, ai_points = 0, pit_points = 0;
    // Objects whose drawing changed in place (start positions moved): measured again at
    // the pass.
    std::vector<std::uint32_t> changed_objects; // stable ids

    // How the drawing operations write: the main thread's state, or the band's while the
    // rebuild draws a band of rows on a thread of its own.
    PlotState main_state;
    static inline thread_local PlotState* band_state = nullptr;
    // The rebuild's two bands of rows: their states and the boxes of what each element drew
    // in them, by slot.
    std::array<PlotState, 2> band_states;
    std::array<std::vector<PixelBox>, 2> band_boxes;
    PlotState& state() { return band_state != nullptr ? *band_state : main_state; }
    const PlotState& state() const { return band_state != nullptr ? *band_state : main_state; }

    // While rebuilding, per pixel of the level being drawn: how far it is (see draw_top_down).
    // The bands' rows are apart, so both bands share it; each has its own list of the pixels
    // the element it draws marked.
    std::vector<TopDown> marks;
    std::array<MarkedPixels, 2> band_drawn_now;
    // Per block of 4 x 4 pixels of the level being drawn, how many of its pixels are known, and
    // by rows of blocks a bit per block whose every pixel is: a stroke whose box lies in such
    // blocks is passed over without drawing it, as nothing it would draw shows. (Blocks of
    // 8 x 8 let fewer strokes pass, single pixels cost more to test than they save.)
    static constexpr int block_shift = 2;
    static constexpr int blocks_per_side = 512 >> block_shift;
    static constexpr int block_words_per_row = blocks_per_side / 64;
    static_assert(block_words_per_row == 2); // a box's blocks lie in one word or two
    std::vector<std::uint8_t> known_counts;
    std::vector<std::uint64_t> known_blocks;
    // Settles the pixels the element just drawn marked, as later elements lie below it, and
    // counts those that became known in their blocks. (Half of them become known, in no order
    // a branch could guess: each is counted. The arrays are read through locals, as the
    // stores of bytes could otherwise change them for all the compiler knows.)
    void settle(MarkedPixels& drawn) {
        TopDown* const mark_of = marks.data();
        std::uint8_t* const counts = known_counts.data();
        std::uint64_t* const blocks = known_blocks.data();
        const std::uint32_t* const slots = drawn.slots.data();
        const std::size_t n = drawn.count;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t p = slots[i];
            const TopDown mark = settled(mark_of[p]);
            mark_of[p] = mark;
            const bool known = mark == TopDown::known;
            const std::uint32_t bx = (p & 511) >> block_shift, by = p >> (9 + block_shift);
            std::uint8_t& count = counts[by * blocks_per_side + bx];
            count = static_cast<std::uint8_t>(count + known);
            if (known && count == 1 << (2 * block_shift)) {
                blocks[by * block_words_per_row + (bx >> 6)] |= std::uint64_t{1} << (bx & 63);
            }
        }
        drawn.count = 0;
    }
    // The bytes the cover takes: its levels' cells and the rebuild's marks and known blocks.
    std::size_t cover_bytes() const {
        std::size_t bytes = marks.capacity() * sizeof(TopDown) + known_counts.capacity() +
                            known_blocks.capacity() * sizeof(std::uint64_t);
        for (const CoverLevel& l : level) {
            bytes += l.cells.capacity() * sizeof(CoverCell);
        }
        return bytes;
    }

    // A pixel that the rebuild wrote with value: the drawing element's level and box (the
    // rebuild marks the box's tiles used once the element is drawn).
    void record_rebuilt(PlotState& s, int x, int y, std::uint32_t value) {
        CoverLevel& l = level[static_cast<std::size_t>(s.drawing_level)];
        const auto p = static_cast<std::size_t>(y * 512 + x);
        if (draw_top_down(l.cells[p], marks[p], s.current_ref, value)) {
            s.drawn_now->add(static_cast<std::uint32_t>(p));
        }
        s.box_left = x < s.box_left ? x : s.box_left;
        s.box_right = x > s.box_right ? x : s.box_right;
        s.box_top = y < s.box_top ? y : s.box_top;
        s.box_bottom = y > s.box_bottom ? y : s.box_bottom;
    }

    std::uint32_t generation = 1; // of the next pass
    // The number of the last removal of an element (CoverCell::taken_back), and that
    // number as it marks the pixels the element being removed was on top of.
    std::uint32_t removals = 0;
    std::uint32_t removal_mark = CoverCell::taken_back;
    // While resolving: per tile, the pixels still looking for their last operation, and the
    // tiles that have any; the tile being resolved, its mask, and the pixels of it that the
    // element being replayed wrote.
    std::array<TileMask, 1024> resolve_masks{};
    std::vector<std::uint16_t> resolve_tiles;
    int resolving_tile = -1;
    const TileMask* resolving_mask = nullptr;
    TileMask hit_mask{};

    std::vector<std::uint32_t> scratch; // references gathered for a replay
    std::vector<std::uint64_t> pairs;   // (order key, reference), sorted
    std::vector<std::uint8_t> seen;     // by reference slot while gathering
};

// Allocates the cache once (set-up).
void create_overlay_cache(const Canvas& canvas);

// A pixel of an overlay shape, in draw mode (colour) or erase mode (terrain); positions
// lie inside the image. Writes where the current target says.
void overlay_put(const Canvas& canvas, int x, int y, Pixel colour);
void overlay_put_terrain(const Canvas& canvas, int x, int y);

// The range of steps a loop over columns (or rows) needs: the image, and while replaying
// only the clip rectangle.
struct StepRange {
    long long first, last;
};
StepRange overlay_columns(const Canvas& canvas, long long first, long long last);
StepRange overlay_rows(const Canvas& canvas, long long first, long long last);

// Changes of the element lists that the pass cannot see from their lengths, reported before
// the list changes (the cache takes back what the old elements drew): an object about to
// be removed from the middle of the list, objects about to change in place (first..last
// inclusive); and the AI line reordered.
void note_object_removed(const Canvas& canvas, int index);
void note_objects_changed(const Canvas& canvas, int first, int last);
void note_ai_line_reordered(const Canvas& canvas);

} // namespace cs
