// The overlay index: what the cached overlay pass knows about each element (its reference,
// its place in the drawing order, its box and tiles, what it was drawn from) and the
// operations that keep the index in step with the element lists. The pass itself
// (render/overlay_pass.cpp) decides when to use them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/canvas.h"
#include "render/overlay_cache.h"
#include "render/terrain_image.h"

namespace cs::overlay_index {

using Layer = OverlayLayer;

inline constexpr std::uint32_t index_mask = 0x00FFFFFFu;
inline constexpr int layer_shift = 24;

constexpr std::uint32_t reference(Layer layer, std::uint32_t index) {
    return (static_cast<std::uint32_t>(layer) << layer_shift) | index;
}
constexpr Layer layer_of(std::uint32_t ref) {
    return static_cast<Layer>(ref >> layer_shift);
}
constexpr std::uint32_t index_in(std::uint32_t ref) {
    return ref & index_mask;
}
// Which cover level an element draws on.
constexpr int level_of(Layer layer) {
    return layer <= Layer::checkpoints ? 0 : layer == Layer::ai_segments ? 1 : 2;
}

// Where each layer's references start in the flat numbering used to tell them apart.
inline constexpr std::uint32_t pit_slots = max_pits + 1;
inline constexpr std::uint32_t object_slots = max_objects + 1;
inline constexpr std::uint32_t checkpoint_slots = max_checkpoints + 1;
inline constexpr std::uint32_t segment_slots = max_ai_line + 1;
inline constexpr std::uint32_t slot_base[] = {
    0,
    pit_slots,
    pit_slots + object_slots,
    pit_slots + object_slots + checkpoint_slots,
    pit_slots + object_slots + checkpoint_slots + segment_slots,
    pit_slots + object_slots + checkpoint_slots + segment_slots + 1,
};
inline constexpr std::uint32_t slot_count = slot_base[5] + max_ai_pit_line + 1;

inline std::uint32_t slot_of(std::uint32_t ref) {
    return slot_base[static_cast<std::uint32_t>(layer_of(ref))] + index_in(ref);
}

inline constexpr int tile_side_last = (1 << tile_shift) - 1;
inline constexpr std::uint8_t stale_after = 1; // recompute from the tile's order key on

inline int effective_pits(const Track& t) {
    return std::min<int>(t.pit_count, max_pits);
}

inline OverlayCache& cache_of(const Canvas& canvas) {
    return *canvas.renderer.overlays;
}

// What level k shows where nothing of its own is drawn.
inline std::uint32_t below_value(const OverlayCache& c, int k, std::size_t p) {
    return k == 0 ? OverlayCache::untouched
                  : c.level[static_cast<std::size_t>(k - 1)].cells[p].cover;
}

// --- Drawing one element -----------------------------------------------------------------

// The drawing order: the layer, then the place in its list.
std::uint32_t order_key(const OverlayCache& c, std::uint32_t ref);
// Draws the element as it is now, to the cache's current target.
void draw_element(const Canvas& canvas, std::uint32_t ref);
// Keeps what an element is drawn from as it is now.
void remember_drawn(OverlayCache& c, const Track& t, std::uint32_t ref);
// Inline, as the rebuild asks them of every element.
inline PixelBox& box_of(OverlayCache& c, std::uint32_t ref) {
    const std::uint32_t i = index_in(ref);
    switch (layer_of(ref)) {
    case Layer::pits:
        return c.pit_boxes[i];
    case Layer::objects:
        return c.object_boxes[i];
    case Layer::checkpoints:
        return c.checkpoint_boxes[i];
    case Layer::ai_segments:
        return c.ai_segment_boxes[i];
    case Layer::ai_closing:
        return c.closing_box;
    case Layer::pit_segments:
        break;
    }
    return c.pit_segment_boxes[i];
}
// The box of the pixels one drawing touches: reset, then read.
inline void begin_box(OverlayCache& c) {
    PlotState& s = c.state();
    s.box_left = s.box_top = image_size;
    s.box_right = s.box_bottom = -1;
}
inline PixelBox finished_box(const OverlayCache& c) {
    const PlotState& s = c.state();
    if (s.box_right < s.box_left) {
        return PixelBox{};
    }
    return PixelBox{static_cast<std::int16_t>(s.box_left), static_cast<std::int16_t>(s.box_top),
                    static_cast<std::int16_t>(s.box_right),
                    static_cast<std::int16_t>(s.box_bottom)};
}
inline bool is_large(const PixelBox& pixels) {
    const TileBox box = pixels.tiles();
    return (box.right - box.left + 1) * (box.bottom - box.top + 1) > OverlayCache::large_box;
}

template <typename F>
void for_each_tile(const TileBox& box, F f) {
    for (int ty = box.top; ty <= box.bottom; ++ty) {
        for (int tx = box.left; tx <= box.right; ++tx) {
            f(ty * tiles_per_side + tx);
        }
    }
}

template <typename F>
void for_each_pixel_of_tile(int tile, F f) {
    const int x0 = (tile % tiles_per_side) << tile_shift;
    const int y0 = (tile / tiles_per_side) << tile_shift;
    for (int y = y0; y < y0 + (1 << tile_shift); ++y) {
        for (int x = x0; x < x0 + (1 << tile_shift); ++x) {
            f(x, y, static_cast<std::size_t>(y * image_size + x));
        }
    }
}

// --- The spatial index -------------------------------------------------------------------

inline CoverLevel& level_for(OverlayCache& c, std::uint32_t ref) {
    return c.level[static_cast<std::size_t>(level_of(layer_of(ref)))];
}
void mark_stale(CoverLevel& level, int tile, std::uint32_t from);
// Enters an element with the box it drew into its level's tile lists (or the large list).
void index_box(OverlayCache& c, std::uint32_t ref, const PixelBox& box);
// Takes an element out of the cache, as it was drawn: its operations are uncounted and its
// pixels are due for resolving. The element must still be drawable as it was at the last
// pass.
void unindex(const Canvas& canvas, std::uint32_t ref);
// Measures (and counts) what a new or changed element draws, indexes it and marks its
// tiles stale from its own place in the drawing order on.
void measure_and_index(const Canvas& canvas, std::uint32_t ref);

// --- Object ids --------------------------------------------------------------------------

// Gives the object at this list index a free stable id and enters it in the cell where it
// stands.
std::uint32_t new_object_id(OverlayCache& c, const Track& t, int index);
// The column (or row) of the object cells that holds a coordinate: clamped to the map.
int object_cell_column(float v);
// Enters an object in the cell where it stands now, or takes it out of its cell.
void place_object(OverlayCache& c, const Track& t, std::uint32_t id);
void unplace_object(OverlayCache& c, std::uint32_t id);
void reset_object_ids(OverlayCache& c);
// After reset_object_ids: gives the objects their list indices as ids, in order, and enters
// those whose cell lies in the cell rows first_row..last_row (and, with the first row, those at
// no finite place) in their cells. Parts with rows apart can run at once.
void number_objects(OverlayCache& c, int count);
void place_numbered_objects(OverlayCache& c, const Track& t, int first_row, int last_row);

} // namespace cs::overlay_index
