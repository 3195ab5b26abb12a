// The overlay pass: pits, objects and checkpoints in list order, then the driving lines on
// top. The literal pass draws them all; the cached pass repairs only what changed since the
// last pass (see overlay_cache.h) and leaves the same image, using the index of the
// elements (overlay_index.h) and, when the cache is out of date, a rebuild
// (overlay_rebuild.h).
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "render/canvas.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/overlay_index.h"
#include "render/overlay_rebuild.h"
#include "render/terrain_image.h"

namespace cs {

namespace {

using namespace overlay_index;
using Layer = OverlayLayer;

// --- Changes seen at the pass ----------------------------------------------------------

// The elements of a list beyond what the cache knows are new; those it knows beyond the
// list's length are gone (still in the list's arrays, as the editing operations leave
// them until the pass). Lists only grow or shrink at their ends, apart from the changes
// the editing operations report. False when the cache must be rebuilt instead.
bool take_list_changes(const Canvas& canvas) {
    OverlayCache& c = cache_of(canvas);
    Track& t = canvas.track;

    for (std::uint32_t id : c.changed_objects) {
        measure_and_index(canvas, reference(Layer::objects, id));
        place_object(c, t, id);
    }
    c.changed_objects.clear();

    const int pits = effective_pits(t);
    for (int i = pits; i < c.pits; ++i) {
        unindex(canvas, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.pits; i < pits; ++i) {
        measure_and_index(canvas, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    c.pits = pits;

    if (t.object_count < c.objects) {
        return false; // objects went without being reported
    }
    for (int i = c.objects; i < t.object_count; ++i) {
        measure_and_index(canvas, reference(Layer::objects, new_object_id(c, t, i)));
    }
    c.objects = t.object_count;

    for (int i = t.checkpoint_count; i < c.checkpoints; ++i) {
        unindex(canvas, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.checkpoints; i < t.checkpoint_count; ++i) {
        measure_and_index(canvas, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    c.checkpoints = t.checkpoint_count;

    // The segments that went, and the old closing segment, are drawn as they were: with the
    // line's old length.
    const std::uint16_t ai = t.ai_line_count;
    if (ai != c.ai_points) {
        const int kept = std::max(std::min<int>(ai, c.ai_points), 1);
        t.ai_line_count = static_cast<std::uint16_t>(c.ai_points);
        for (int i = kept; i < c.ai_points; ++i) {
            unindex(canvas, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
        unindex(canvas, reference(Layer::ai_closing, 0));
        t.ai_line_count = ai;
        for (int i = kept; i < ai; ++i) {
            measure_and_index(canvas, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
        measure_and_index(canvas, reference(Layer::ai_closing, 0));
        c.ai_points = ai;
    }

    const std::uint8_t pit_line = t.ai_pit_line_count;
    if (pit_line != c.pit_points) {
        const int kept = std::max(std::min<int>(pit_line, c.pit_points), 1);
        t.ai_pit_line_count = static_cast<std::uint8_t>(c.pit_points);
        for (int j = kept; j < c.pit_points; ++j) {
            unindex(canvas, reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
        }
        t.ai_pit_line_count = pit_line;
        for (int j = kept; j < pit_line; ++j) {
            measure_and_index(canvas,
                              reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
        }
        c.pit_points = pit_line;
    }
    return true;
}

// --- Replays ---------------------------------------------------------------------------

// The pixel rectangle of the stale tiles of a level; false when there are none.
bool stale_rectangle(OverlayCache& c, const CoverLevel& level) {
    int left = tiles_per_side, top = tiles_per_side, right = -1, bottom = -1;
    for (int tile = 0; tile < tile_count; ++tile) {
        if (level.stale[static_cast<std::size_t>(tile)] != 0) {
            const int tx = tile % tiles_per_side;
            const int ty = tile / tiles_per_side;
            left = std::min(left, tx);
            right = std::max(right, tx);
            top = std::min(top, ty);
            bottom = std::max(bottom, ty);
        }
    }
    if (right < 0) {
        return false;
    }
    c.state().clip_left = left << tile_shift;
    c.state().clip_top = top << tile_shift;
    c.state().clip_right = ((right + 1) << tile_shift) - 1;
    c.state().clip_bottom = ((bottom + 1) << tile_shift) - 1;
    return true;
}

bool box_meets_clip(const OverlayCache& c, const PixelBox& box) {
    return !box.empty() && box.right >= c.state().clip_left && box.left <= c.state().clip_right &&
           box.bottom >= c.state().clip_top && box.top <= c.state().clip_bottom;
}

// Gathers the references of level k that touch the flagged tiles (and the large ones)
// once each, with an order key of at least `earliest` and a box that meets the clip
// rectangle, sorted into drawing order in c.pairs.
void gather(OverlayCache& c, const CoverLevel& level,
            const std::array<std::uint8_t, tile_count>& tiles, std::uint32_t earliest) {
    c.scratch.clear();
    auto take = [&](std::uint32_t ref) {
        std::uint8_t& seen = c.seen[slot_of(ref)];
        if (seen == 0) {
            seen = 1;
            c.scratch.push_back(ref);
        }
    };
    for (int tile = 0; tile < tile_count; ++tile) {
        if (tiles[static_cast<std::size_t>(tile)] != 0) {
            for (std::uint32_t ref : level.tiles[static_cast<std::size_t>(tile)]) {
                take(ref);
            }
        }
    }
    for (std::uint32_t ref : level.large) {
        take(ref);
    }
    c.pairs.clear();
    for (std::uint32_t ref : c.scratch) {
        c.seen[slot_of(ref)] = 0;
        const std::uint32_t key = order_key(c, ref);
        if (key >= earliest && box_meets_clip(c, box_of(c, ref))) {
            c.pairs.push_back((static_cast<std::uint64_t>(key) << 32) | ref);
        }
    }
    std::sort(c.pairs.begin(), c.pairs.end());
}

// The tiles that changed below show through wherever nothing of this level is drawn.
void take_changes_from_below(OverlayCache& c, int k) {
    if (k == 0) {
        return;
    }
    const CoverLevel& below = c.level[static_cast<std::size_t>(k - 1)];
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (below.changed[t] == 0) {
            continue;
        }
        level.changed[t] = 1;
        level.used[t] |= below.used[t];
        for_each_pixel_of_tile(tile, [&](int, int, std::size_t p) {
            if (level.cells[p].last == CoverCell::no_element) {
                level.cells[p].cover = below.cells[p].cover;
            }
        });
    }
}

// The rows of a tile's mask that a pixel box meets, and their columns as bits.
struct MaskWindow {
    int first = 0, last = -1;
    std::uint16_t columns = 0;
};
MaskWindow mask_window(const PixelBox& box, int x0, int y0) {
    MaskWindow w;
    const int left = std::max<int>(box.left - x0, 0);
    const int right = std::min<int>(box.right - x0, tile_side_last);
    w.first = std::max<int>(box.top - y0, 0);
    w.last = std::min<int>(box.bottom - y0, tile_side_last);
    if (left <= right) {
        w.columns = static_cast<std::uint16_t>(((2u << right) - 1u) & ~((1u << left) - 1u));
    } else {
        w.last = -1;
    }
    return w;
}

// Whether the box of an element reaches a pixel of the tile's mask.
bool box_meets_mask(const PixelBox& box, const TileMask& mask, int x0, int y0) {
    const MaskWindow w = mask_window(box, x0, y0);
    for (int row = w.first; row <= w.last; ++row) {
        if ((mask[static_cast<std::size_t>(row)] & w.columns) != 0) {
            return true;
        }
    }
    return false;
}

// Narrows the clip rectangle to the pixels left in the tile's mask; false when none is.
bool clip_to_mask(OverlayCache& c, const TileMask& mask, int x0, int y0) {
    int top = -1, bottom = -1;
    unsigned columns = 0;
    for (int row = 0; row <= tile_side_last; ++row) {
        if (mask[static_cast<std::size_t>(row)] != 0) {
            top = top < 0 ? row : top;
            bottom = row;
            columns |= mask[static_cast<std::size_t>(row)];
        }
    }
    if (top < 0) {
        return false;
    }
    c.state().clip_left = x0 + std::countr_zero(columns);
    c.state().clip_right = x0 + tile_side_last - (std::countl_zero(columns) - 16);
    c.state().clip_top = y0 + top;
    c.state().clip_bottom = y0 + bottom;
    return true;
}

// Replays, backwards from the end of the drawing order, the elements of level k that touch
// one tile (merged with the large ones), each clipped to what is left of the tile's pixels
// due for resolving and skipped when its box misses them all, until each of those pixels
// has found its last operation.
void resolve_tile(const Canvas& canvas, int k, int tile) {
    OverlayCache& c = cache_of(canvas);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    const int x0 = (tile % tiles_per_side) << tile_shift;
    const int y0 = (tile / tiles_per_side) << tile_shift;
    TileMask& due = c.resolve_masks[static_cast<std::size_t>(tile)];
    c.resolving_tile = tile;
    const std::vector<std::uint32_t>& own = level.tiles[static_cast<std::size_t>(tile)];
    auto a = own.rbegin();
    auto b = level.large.rbegin();
    while (clip_to_mask(c, due, x0, y0) && (a != own.rend() || b != level.large.rend())) {
        std::uint32_t ref = 0;
        if (b == level.large.rend() || (a != own.rend() && order_key(c, *a) > order_key(c, *b))) {
            ref = *a++;
        } else {
            ref = *b++;
        }
        const PixelBox& box = box_of(c, ref);
        if (!box_meets_clip(c, box) || !box_meets_mask(box, due, x0, y0)) {
            continue;
        }
        c.resolving_mask = &due;
        c.hit_mask = TileMask{};
        c.state().current_ref = ref;
        draw_element(canvas, ref);
        for (std::size_t row = 0; row < due.size(); ++row) {
            due[row] = static_cast<std::uint16_t>(due[row] & ~c.hit_mask[row]);
        }
    }
    due = TileMask{};
}

// The pixels that elements which went had drawn take the last remaining operation of the
// level that touches them, found tile by tile by replaying the level's elements backwards
// until every such pixel has its one; the others show the level below.
void resolve_level(const Canvas& canvas, int k) {
    OverlayCache& c = cache_of(canvas);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    if (level.resolve.empty()) {
        return;
    }
    c.resolve_tiles.clear();
    for (const std::uint32_t p : level.resolve) {
        const int x = static_cast<int>(p % image_size), y = static_cast<int>(p / image_size);
        const auto tile = static_cast<std::size_t>(tile_of(x, y));
        level.changed[tile] = 1;
        CoverCell& cell = level.cells[p];
        // The level below, unless the search finds an element that still draws here.
        cell.cover = below_value(c, k, p);
        cell.last = CoverCell::no_element;
        cell.under = CoverCell::unknown_value;
        if (cell.cover != OverlayCache::untouched) {
            level.used[tile] = 1;
        }
        TileMask& due = c.resolve_masks[tile];
        if (std::none_of(due.begin(), due.end(), [](std::uint16_t r) { return r != 0; })) {
            c.resolve_tiles.push_back(static_cast<std::uint16_t>(tile));
        }
        due[static_cast<std::size_t>(y & tile_side_last)] |=
            static_cast<std::uint16_t>(1u << (x & tile_side_last));
    }
    c.state().target = PlotTarget::resolve;
    c.state().drawing_level = k;
    for (const std::uint16_t tile : c.resolve_tiles) {
        resolve_tile(canvas, k, tile);
    }
    c.state().target = PlotTarget::image;
    level.resolve.clear();
}

// The stale tiles of level k, where elements came: the level's elements from each tile's
// order key on are replayed forwards over the cover as it is.
void replay_level(const Canvas& canvas, int k) {
    OverlayCache& c = cache_of(canvas);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    if (!stale_rectangle(c, level)) {
        return;
    }
    std::uint32_t earliest = 0xFFFFFFFFu;
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (level.stale[t] != 0) {
            earliest = std::min(earliest, level.from[t]);
            level.changed[t] = 1;
        }
    }
    gather(c, level, level.stale, earliest);
    c.state().target = PlotTarget::replay;
    c.state().drawing_level = k;
    for (const std::uint64_t pair : c.pairs) {
        c.state().current_key = static_cast<std::uint32_t>(pair >> 32);
        c.state().current_ref = static_cast<std::uint32_t>(pair & 0xFFFFFFFFu);
        draw_element(canvas, c.state().current_ref);
    }
    c.state().target = PlotTarget::image;
    level.stale.fill(0);
}

void incremental_pass(const Canvas& canvas) {
    OverlayCache& c = cache_of(canvas);
    Renderer& r = canvas.renderer;
    complete_index(canvas);
    if (!take_list_changes(canvas)) {
        rebuild_overlays(canvas);
        return;
    }
    for (int k = 0; k < OverlayCache::levels; ++k) {
        take_changes_from_below(c, k);
        resolve_level(canvas, k);
        replay_level(canvas, k);
    }

    // Bring the image up to date from the top cover wherever it may differ.
    CoverLevel& top = c.level[OverlayCache::levels - 1];
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (top.changed[t] == 0 && r.written_tiles[t] == 0) {
            continue;
        }
        show_cover_tile(canvas, top, tile);
    }
    for (CoverLevel& level : c.level) {
        level.changed.fill(0);
    }
    ++c.generation;
}

void literal_pass(const Canvas& canvas) {
    const Track& t = canvas.track;
    // The count is read as stored; never past the pit slots, whatever it says.
    const int pits = effective_pits(t);
    for (int i = 0; i < pits; ++i) {
        const Pit& p = t.pits[i];
        draw_object(canvas, p.x, p.y, p.angle, pit_kind, DrawMode::draw, -1);
    }
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[i];
        draw_object(canvas, o.x, o.y, o.angle, o.kind, DrawMode::draw, i);
    }
    for (int i = 0; i < t.checkpoint_count; ++i) {
        const Checkpoint& k = t.checkpoints[i];
        draw_checkpoint(canvas, k.x1, k.y1, k.x2, k.y2, DrawMode::draw, i);
    }
    // Last, so that the driving lines lie on top of everything.
    draw_ai_lines(canvas);
}

} // namespace

void note_object_removed(const Canvas& canvas, int index) {
    OverlayCache* c = canvas.renderer.overlays.get();
    if (c == nullptr || !c->valid || index < 0 || index >= c->objects) {
        return;
    }
    if (index <= start_positions) {
        // Labels carry the places in the list: start the cache afresh.
        c->valid = false;
        return;
    }
    complete_index(canvas);
    const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(index)];
    unindex(canvas, reference(Layer::objects, id));
    unplace_object(*c, id);
    c->free_ids.push_back(id);
    // The ids follow the list's shift; the objects behind keep their drawing order.
    for (int i = index; i + 1 < c->objects; ++i) {
        const std::uint32_t moved = c->id_of_index[static_cast<std::size_t>(i + 1)];
        c->id_of_index[static_cast<std::size_t>(i)] = moved;
        c->index_of_id[moved] = static_cast<std::uint32_t>(i);
    }
    --c->objects;
}

void note_objects_changed(const Canvas& canvas, int first, int last) {
    OverlayCache* c = canvas.renderer.overlays.get();
    if (c == nullptr || !c->valid) {
        return;
    }
    complete_index(canvas);
    for (int i = std::max(first, 0); i <= last && i < c->objects; ++i) {
        const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(i)];
        if (std::find(c->changed_objects.begin(), c->changed_objects.end(), id) ==
            c->changed_objects.end()) {
            unindex(canvas, reference(Layer::objects, id));
            unplace_object(*c, id);
            c->changed_objects.push_back(id);
        }
    }
}

void note_ai_line_reordered(const Canvas& canvas) {
    invalidate_overlays(canvas);
}

void invalidate_overlays(const Canvas& canvas) {
    if (OverlayCache* c = canvas.renderer.overlays.get()) {
        c->valid = false;
    }
}

void redraw_overlays(const Canvas& canvas) {
    Renderer& r = canvas.renderer;
    r.in_overlay_pass = true;
    if (r.overlays == nullptr || r.literal_overlays) {
        literal_pass(canvas);
        if (r.overlays != nullptr) {
            r.overlays->valid = false;
        }
    } else if (!r.overlays->valid) {
        rebuild_overlays(canvas);
    } else {
        incremental_pass(canvas);
    }
    r.written_tiles.fill(0);
    r.in_overlay_pass = false;
}

} // namespace cs
