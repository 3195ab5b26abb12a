// The overlay pass: pits, objects and checkpoints in list order, then the driving lines on
// top. The literal pass draws them all; the cached pass repairs only what changed since the
// last pass (see overlay_cache.h) and leaves the same image.
#include <algorithm>
#include <cstring>

#include "editor/editor.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/terrain_image.h"

namespace cs {

namespace {

using Layer = OverlayLayer;

constexpr std::uint32_t index_mask = 0x00FFFFFFu;
constexpr int layer_shift = 24;

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
constexpr std::uint32_t pit_slots = max_pits + 1;
constexpr std::uint32_t object_slots = max_objects + 1;
constexpr std::uint32_t checkpoint_slots = max_checkpoints + 1;
constexpr std::uint32_t segment_slots = max_ai_line + 1;
constexpr std::uint32_t slot_base[] = {
    0,
    pit_slots,
    pit_slots + object_slots,
    pit_slots + object_slots + checkpoint_slots,
    pit_slots + object_slots + checkpoint_slots + segment_slots,
    pit_slots + object_slots + checkpoint_slots + segment_slots + 1,
};
constexpr std::uint32_t slot_count = slot_base[5] + max_ai_pit_line + 1;

std::uint32_t slot_of(std::uint32_t ref) {
    return slot_base[static_cast<std::uint32_t>(layer_of(ref))] + index_in(ref);
}

constexpr int tile_side_last = (1 << tile_shift) - 1;
constexpr std::uint8_t stale_after = 1; // recompute from the tile's order key on

int effective_pits(const Track& t) {
    return std::min<int>(t.pit_count, max_pits);
}

OverlayCache& cache_of(Editor& editor) {
    return *editor.renderer.overlays;
}

// --- Drawing one element ---------------------------------------------------------------

// The drawing order: the layer, then the place in its list.
std::uint32_t order_key(const OverlayCache& c, std::uint32_t ref) {
    const Layer layer = layer_of(ref);
    const std::uint32_t i = index_in(ref);
    const std::uint32_t place = layer == Layer::objects ? c.index_of_id[i] : i;
    return (static_cast<std::uint32_t>(layer) << layer_shift) | place;
}

void draw_element(Editor& editor, std::uint32_t ref) {
    const OverlayCache& c = cache_of(editor);
    const Track& t = editor.track;
    const std::uint32_t i = index_in(ref);
    switch (layer_of(ref)) {
    case Layer::pits: {
        const Pit& p = t.pits[i];
        draw_object(editor, p.x, p.y, p.angle, pit_kind, DrawMode::draw, -1);
        break;
    }
    case Layer::objects: {
        const int at = static_cast<int>(c.index_of_id[i]);
        const Object& o = t.objects[static_cast<std::size_t>(at)];
        draw_object(editor, o.x, o.y, o.angle, o.kind, DrawMode::draw, at);
        break;
    }
    case Layer::checkpoints: {
        const Checkpoint& k = t.checkpoints[i];
        draw_checkpoint(editor, k.x1, k.y1, k.x2, k.y2, DrawMode::draw, static_cast<int>(i));
        break;
    }
    case Layer::ai_segments:
        draw_ai_segment(editor, static_cast<int>(i));
        break;
    case Layer::ai_closing:
        draw_ai_closing_segment(editor);
        break;
    case Layer::pit_segments:
        draw_pit_line_segment(editor, static_cast<int>(i));
        break;
    }
}

// Keeps what an element is drawn from as it is now.
void remember_drawn(OverlayCache& c, const Track& t, std::uint32_t ref) {
    const std::uint32_t i = index_in(ref);
    switch (layer_of(ref)) {
    case Layer::pits:
        c.pits_drawn[i] = t.pits[i];
        break;
    case Layer::checkpoints:
        c.checkpoints_drawn[i] = t.checkpoints[i];
        break;
    case Layer::ai_segments:
        c.ai_points_drawn[i - 1] = t.ai_line[i - 1];
        c.ai_points_drawn[i] = t.ai_line[i];
        break;
    case Layer::ai_closing:
        if (t.ai_line_count > 0) {
            c.ai_points_drawn[0] = t.ai_line[0];
            c.ai_points_drawn[t.ai_line_count - 1u] = t.ai_line[t.ai_line_count - 1u];
        }
        break;
    case Layer::pit_segments:
        c.pit_points_drawn[i - 1] = t.ai_pit_line[i - 1];
        c.pit_points_drawn[i] = t.ai_pit_line[i];
        break;
    case Layer::objects:
        break; // objects are reported before they change
    }
}

// Puts what an element was drawn from into the track, or takes it out again (the same
// swap twice), so that the element can be drawn as it was.
void swap_drawn(OverlayCache& c, Track& t, std::uint32_t ref) {
    const std::uint32_t i = index_in(ref);
    switch (layer_of(ref)) {
    case Layer::pits:
        std::swap(c.pits_drawn[i], t.pits[i]);
        break;
    case Layer::checkpoints:
        std::swap(c.checkpoints_drawn[i], t.checkpoints[i]);
        break;
    case Layer::ai_segments:
        std::swap(c.ai_points_drawn[i - 1], t.ai_line[i - 1]);
        std::swap(c.ai_points_drawn[i], t.ai_line[i]);
        break;
    case Layer::ai_closing:
        if (t.ai_line_count > 0) {
            std::swap(c.ai_points_drawn[0], t.ai_line[0]);
            if (t.ai_line_count > 1) {
                std::swap(c.ai_points_drawn[t.ai_line_count - 1u], t.ai_line[t.ai_line_count - 1u]);
            }
        }
        break;
    case Layer::pit_segments:
        std::swap(c.pit_points_drawn[i - 1], t.ai_pit_line[i - 1]);
        std::swap(c.pit_points_drawn[i], t.ai_pit_line[i]);
        break;
    case Layer::objects:
        break;
    }
}

TileBox& box_of(OverlayCache& c, std::uint32_t ref) {
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

void begin_box(OverlayCache& c) {
    c.box_left = c.box_top = image_size;
    c.box_right = c.box_bottom = -1;
}

TileBox finished_box(const OverlayCache& c) {
    TileBox box;
    if (c.box_right >= c.box_left) {
        box.left = static_cast<std::int16_t>(c.box_left >> tile_shift);
        box.top = static_cast<std::int16_t>(c.box_top >> tile_shift);
        box.right = static_cast<std::int16_t>(c.box_right >> tile_shift);
        box.bottom = static_cast<std::int16_t>(c.box_bottom >> tile_shift);
    }
    return box;
}

bool is_large(const TileBox& box) {
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

// --- The spatial index -----------------------------------------------------------------

// The lists of references are kept in drawing order, so that a tile's elements can be
// walked backwards without sorting. (Deletions shift the objects' places but keep their
// order; only appended elements come, most of them at the end.)
void insert_in_order(const OverlayCache& c, std::vector<std::uint32_t>& list, std::uint32_t ref,
                     std::uint32_t key) {
    if (list.empty() || order_key(c, list.back()) < key) {
        list.push_back(ref);
        return;
    }
    const auto at =
        std::lower_bound(list.begin(), list.end(), key,
                         [&](std::uint32_t r, std::uint32_t k) { return order_key(c, r) < k; });
    list.insert(at, ref);
}

void erase_in_order(const OverlayCache& c, std::vector<std::uint32_t>& list, std::uint32_t ref,
                    std::uint32_t key) {
    auto at =
        std::lower_bound(list.begin(), list.end(), key,
                         [&](std::uint32_t r, std::uint32_t k) { return order_key(c, r) < k; });
    if (at != list.end() && *at == ref) {
        list.erase(at);
    }
}

void mark_stale(CoverLevel& level, int tile, std::uint32_t from) {
    std::uint8_t& s = level.stale[static_cast<std::size_t>(tile)];
    std::uint32_t& f = level.from[static_cast<std::size_t>(tile)];
    if (s == stale_after) {
        f = std::min(f, from);
    } else {
        s = stale_after;
        f = from;
    }
}

CoverLevel& level_for(OverlayCache& c, std::uint32_t ref) {
    return c.level[static_cast<std::size_t>(level_of(layer_of(ref)))];
}

// Takes an element out of the cache, as it was drawn: its operations are uncounted and its
// pixels are due for resolving. The element must still be drawable as it was at the last
// pass.
void unindex(Editor& editor, std::uint32_t ref) {
    OverlayCache& c = cache_of(editor);
    TileBox& box = box_of(c, ref);
    if (box.empty()) {
        return; // it drew nothing
    }
    c.target = PlotTarget::uncount;
    c.drawing_level = level_of(layer_of(ref));
    swap_drawn(c, editor.track, ref);
    draw_element(editor, ref);
    swap_drawn(c, editor.track, ref);
    c.target = PlotTarget::image;
    CoverLevel& level = level_for(c, ref);
    const std::uint32_t key = order_key(c, ref);
    if (is_large(box)) {
        erase_in_order(c, level.large, ref, key);
    } else {
        for_each_tile(box, [&](int tile) {
            erase_in_order(c, level.tiles[static_cast<std::size_t>(tile)], ref, key);
        });
    }
    box = TileBox{};
}

void index_box(OverlayCache& c, std::uint32_t ref, const TileBox& box) {
    box_of(c, ref) = box;
    if (box.empty()) {
        return;
    }
    CoverLevel& level = level_for(c, ref);
    const std::uint32_t key = order_key(c, ref);
    if (is_large(box)) {
        insert_in_order(c, level.large, ref, key);
    } else {
        for_each_tile(box, [&](int tile) {
            insert_in_order(c, level.tiles[static_cast<std::size_t>(tile)], ref, key);
        });
    }
}

// Measures (and counts) what a new or changed element draws, indexes it and marks its
// tiles stale from its own place in the drawing order on.
void measure_and_index(Editor& editor, std::uint32_t ref) {
    OverlayCache& c = cache_of(editor);
    c.target = PlotTarget::measure;
    c.drawing_level = level_of(layer_of(ref));
    begin_box(c);
    remember_drawn(c, editor.track, ref);
    draw_element(editor, ref);
    c.target = PlotTarget::image;
    const TileBox box = finished_box(c);
    index_box(c, ref, box);
    if (!box.empty()) {
        const std::uint32_t key = order_key(c, ref);
        CoverLevel& level = level_for(c, ref);
        for_each_tile(box, [&](int tile) { mark_stale(level, tile, key); });
    }
}

// --- Object ids ------------------------------------------------------------------------

std::uint32_t new_object_id(OverlayCache& c, int index) {
    const std::uint32_t id = c.free_ids.back();
    c.free_ids.pop_back();
    c.id_of_index[static_cast<std::size_t>(index)] = id;
    c.index_of_id[id] = static_cast<std::uint32_t>(index);
    return id;
}

void reset_object_ids(OverlayCache& c) {
    c.free_ids.clear();
    for (std::uint32_t id = object_slots; id-- > 0;) {
        c.free_ids.push_back(id);
    }
}

// --- The rebuild: the literal pass that also builds the cache --------------------------

void draw_and_index(Editor& editor, std::uint32_t ref) {
    OverlayCache& c = cache_of(editor);
    c.drawing_level = level_of(layer_of(ref));
    begin_box(c);
    remember_drawn(c, editor.track, ref);
    draw_element(editor, ref);
    index_box(c, ref, finished_box(c));
}

// Level k + 1 as level k leaves it.
void copy_level(OverlayCache& c, int k) {
    const CoverLevel& below = c.level[static_cast<std::size_t>(k)];
    CoverLevel& above = c.level[static_cast<std::size_t>(k + 1)];
    for (int tile = 0; tile < tile_count; ++tile) {
        if (below.used[static_cast<std::size_t>(tile)] != 0) {
            above.used[static_cast<std::size_t>(tile)] = 1;
            for_each_pixel_of_tile(
                tile, [&](int, int, std::size_t p) { above.cover[p] = below.cover[p]; });
        }
    }
}

void rebuild(Editor& editor) {
    OverlayCache& c = cache_of(editor);
    const Track& t = editor.track;
    for (CoverLevel& level : c.level) {
        for (auto& list : level.tiles) {
            list.clear();
        }
        level.large.clear();
        for (int tile = 0; tile < tile_count; ++tile) {
            if (level.used[static_cast<std::size_t>(tile)] != 0) {
                for_each_pixel_of_tile(tile, [&](int, int, std::size_t p) {
                    level.cover[p] = OverlayCache::untouched;
                    level.touch[p] = 0;
                });
            }
        }
        level.used.fill(0);
        level.resolve.clear();
        level.changed.fill(0);
        level.stale.fill(0);
    }
    c.pit_boxes.fill(TileBox{});
    std::fill(c.object_boxes.begin(), c.object_boxes.end(), TileBox{});
    c.checkpoint_boxes.fill(TileBox{});
    std::fill(c.ai_segment_boxes.begin(), c.ai_segment_boxes.end(), TileBox{});
    c.closing_box = TileBox{};
    c.pit_segment_boxes.fill(TileBox{});
    reset_object_ids(c);

    c.target = PlotTarget::rebuild;
    c.pits = effective_pits(t);
    for (int i = 0; i < c.pits; ++i) {
        draw_and_index(editor, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    c.objects = t.object_count;
    for (int i = 0; i < c.objects; ++i) {
        draw_and_index(editor, reference(Layer::objects, new_object_id(c, i)));
    }
    c.checkpoints = t.checkpoint_count;
    for (int i = 0; i < c.checkpoints; ++i) {
        draw_and_index(editor, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    // Each level starts as what the level below leaves.
    copy_level(c, 0);
    c.ai_points = t.ai_line_count;
    for (int i = 1; i < c.ai_points; ++i) {
        draw_and_index(editor, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
    }
    copy_level(c, 1);
    draw_and_index(editor, reference(Layer::ai_closing, 0));
    c.pit_points = t.ai_pit_line_count;
    for (int j = 1; j < c.pit_points; ++j) {
        draw_and_index(editor, reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
    }
    c.target = PlotTarget::image;
    c.changed_objects.clear();
    ++c.generation;
    c.valid = true;
}

// --- Changes seen at the pass ----------------------------------------------------------

// The elements of a list beyond what the cache knows are new; those it knows beyond the
// list's length are gone (still in the list's arrays, as the editing operations leave
// them until the pass). Lists only grow or shrink at their ends, apart from the changes
// the editing operations report. False when the cache must be rebuilt instead.
bool take_list_changes(Editor& editor) {
    OverlayCache& c = cache_of(editor);
    Track& t = editor.track;

    for (std::uint32_t id : c.changed_objects) {
        measure_and_index(editor, reference(Layer::objects, id));
    }
    c.changed_objects.clear();

    const int pits = effective_pits(t);
    for (int i = pits; i < c.pits; ++i) {
        unindex(editor, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.pits; i < pits; ++i) {
        measure_and_index(editor, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    c.pits = pits;

    if (t.object_count < c.objects) {
        return false; // objects went without being reported
    }
    for (int i = c.objects; i < t.object_count; ++i) {
        measure_and_index(editor, reference(Layer::objects, new_object_id(c, i)));
    }
    c.objects = t.object_count;

    for (int i = t.checkpoint_count; i < c.checkpoints; ++i) {
        unindex(editor, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.checkpoints; i < t.checkpoint_count; ++i) {
        measure_and_index(editor, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    c.checkpoints = t.checkpoint_count;

    // The segments that went, and the old closing segment, are drawn as they were: with the
    // line's old length.
    const std::uint16_t ai = t.ai_line_count;
    if (ai != c.ai_points) {
        const int kept = std::max(std::min<int>(ai, c.ai_points), 1);
        t.ai_line_count = static_cast<std::uint16_t>(c.ai_points);
        for (int i = kept; i < c.ai_points; ++i) {
            unindex(editor, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
        unindex(editor, reference(Layer::ai_closing, 0));
        t.ai_line_count = ai;
        for (int i = kept; i < ai; ++i) {
            measure_and_index(editor, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
        measure_and_index(editor, reference(Layer::ai_closing, 0));
        c.ai_points = ai;
    }

    const std::uint8_t pit_line = t.ai_pit_line_count;
    if (pit_line != c.pit_points) {
        const int kept = std::max(std::min<int>(pit_line, c.pit_points), 1);
        t.ai_pit_line_count = static_cast<std::uint8_t>(c.pit_points);
        for (int j = kept; j < c.pit_points; ++j) {
            unindex(editor, reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
        }
        t.ai_pit_line_count = pit_line;
        for (int j = kept; j < pit_line; ++j) {
            measure_and_index(editor,
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
    c.clip_left = left << tile_shift;
    c.clip_top = top << tile_shift;
    c.clip_right = ((right + 1) << tile_shift) - 1;
    c.clip_bottom = ((bottom + 1) << tile_shift) - 1;
    return true;
}

bool box_meets_clip(const OverlayCache& c, const TileBox& box) {
    return !box.empty() && (box.right << tile_shift) + tile_side_last >= c.clip_left &&
           (box.left << tile_shift) <= c.clip_right &&
           (box.bottom << tile_shift) + tile_side_last >= c.clip_top &&
           (box.top << tile_shift) <= c.clip_bottom;
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

// What level k shows where nothing of its own is drawn.
std::uint32_t below_value(const OverlayCache& c, int k, std::size_t p) {
    return k == 0 ? OverlayCache::untouched : c.level[static_cast<std::size_t>(k - 1)].cover[p];
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
            if (level.touch[p] == 0) {
                level.cover[p] = below.cover[p];
            }
        });
    }
}

// Replays, backwards from the end of the drawing order, the elements of level k that touch
// one tile (merged with the large ones), each clipped to the tile, until `needed` of the
// tile's pixels due for resolving have found their last operation.
void resolve_tile(Editor& editor, int k, int tile, std::size_t needed) {
    OverlayCache& c = cache_of(editor);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    c.resolving_tile = tile;
    c.clip_left = (tile % tiles_per_side) << tile_shift;
    c.clip_top = (tile / tiles_per_side) << tile_shift;
    c.clip_right = c.clip_left + tile_side_last;
    c.clip_bottom = c.clip_top + tile_side_last;
    const std::vector<std::uint32_t>& own = level.tiles[static_cast<std::size_t>(tile)];
    auto a = own.rbegin();
    auto b = level.large.rbegin();
    std::size_t resolved = 0;
    while (resolved < needed && (a != own.rend() || b != level.large.rend())) {
        std::uint32_t ref = 0;
        if (b == level.large.rend() || (a != own.rend() && order_key(c, *a) > order_key(c, *b))) {
            ref = *a++;
        } else {
            ref = *b++;
            if (!box_meets_clip(c, box_of(c, ref))) {
                continue;
            }
        }
        if (++c.element_seq == 0) { // the stamps wrapped: start them afresh
            std::fill(c.hit_stamp.begin(), c.hit_stamp.end(), 0);
            c.element_seq = 1;
        }
        c.hits.clear();
        draw_element(editor, ref);
        for (const std::uint32_t p : c.hits) {
            level.resolved_stamp[p] = c.generation;
        }
        resolved += c.hits.size();
    }
}

// The pixels that elements which went had drawn take the last remaining operation of the
// level that touches them, found tile by tile by replaying the level's elements backwards
// until every such pixel has its one; the others show the level below.
void resolve_level(Editor& editor, int k) {
    OverlayCache& c = cache_of(editor);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    if (level.resolve.empty()) {
        return;
    }
    std::array<std::uint32_t, tile_count> needed{};
    for (const std::uint32_t p : level.resolve) {
        const auto tile = static_cast<std::size_t>(
            tile_of(static_cast<int>(p % image_size), static_cast<int>(p / image_size)));
        level.changed[tile] = 1;
        level.cover[p] = below_value(c, k, p);
        if (level.cover[p] != OverlayCache::untouched) {
            level.used[tile] = 1;
        }
        if (level.touch[p] != 0) {
            ++needed[tile];
        }
    }
    c.target = PlotTarget::resolve;
    c.drawing_level = k;
    for (int tile = 0; tile < tile_count; ++tile) {
        if (needed[static_cast<std::size_t>(tile)] != 0) {
            resolve_tile(editor, k, tile, needed[static_cast<std::size_t>(tile)]);
        }
    }
    c.target = PlotTarget::image;
    level.resolve.clear();
}

// The stale tiles of level k, where elements came: the level's elements from each tile's
// order key on are replayed forwards over the cover as it is.
void replay_level(Editor& editor, int k) {
    OverlayCache& c = cache_of(editor);
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
    c.target = PlotTarget::replay;
    c.drawing_level = k;
    for (const std::uint64_t pair : c.pairs) {
        c.current_key = static_cast<std::uint32_t>(pair >> 32);
        draw_element(editor, static_cast<std::uint32_t>(pair & 0xFFFFFFFFu));
    }
    c.target = PlotTarget::image;
    level.stale.fill(0);
}

void incremental_pass(Editor& editor) {
    OverlayCache& c = cache_of(editor);
    Renderer& r = editor.renderer;
    if (!take_list_changes(editor)) {
        rebuild(editor);
        return;
    }
    for (int k = 0; k < OverlayCache::levels; ++k) {
        take_changes_from_below(c, k);
        resolve_level(editor, k);
        replay_level(editor, k);
    }

    // Bring the image up to date from the top cover wherever it may differ.
    CoverLevel& top = c.level[OverlayCache::levels - 1];
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (top.changed[t] == 0 && r.written_tiles[t] == 0) {
            continue;
        }
        for_each_pixel_of_tile(tile, [&](int x, int y, std::size_t p) {
            const std::uint32_t v = top.cover[p];
            if (v == OverlayCache::terrain) {
                recompute_pixel(editor, x, y);
            } else if (v != OverlayCache::untouched) {
                r.image[p] = pixel_of(v & 0xFFFFFFu);
            }
        });
    }
    for (CoverLevel& level : c.level) {
        level.changed.fill(0);
    }
    ++c.generation;
}

void literal_pass(Editor& editor) {
    const Track& t = editor.track;
    // The count is read as stored; never past the pit slots, whatever it says.
    const int pits = effective_pits(t);
    for (int i = 0; i < pits; ++i) {
        const Pit& p = t.pits[i];
        draw_object(editor, p.x, p.y, p.angle, pit_kind, DrawMode::draw, -1);
    }
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[i];
        draw_object(editor, o.x, o.y, o.angle, o.kind, DrawMode::draw, i);
    }
    for (int i = 0; i < t.checkpoint_count; ++i) {
        const Checkpoint& k = t.checkpoints[i];
        draw_checkpoint(editor, k.x1, k.y1, k.x2, k.y2, DrawMode::draw, i);
    }
    // Last, so that the driving lines lie on top of everything.
    draw_ai_lines(editor);
}

} // namespace

namespace {

// What the drawing operations do with a pixel for the cache, by target.
void put_cached(OverlayCache& c, int x, int y, std::size_t p, std::uint32_t value) {
    CoverLevel& level = c.level[static_cast<std::size_t>(c.drawing_level)];
    const auto tile = static_cast<std::size_t>(tile_of(x, y));
    switch (c.target) {
    case PlotTarget::measure:
        ++level.touch[p];
        level.used[tile] = 1; // so that a rebuild clears the count
        c.box_left = std::min(c.box_left, x);
        c.box_right = std::max(c.box_right, x);
        c.box_top = std::min(c.box_top, y);
        c.box_bottom = std::max(c.box_bottom, y);
        break;
    case PlotTarget::uncount:
        --level.touch[p];
        if (level.resolve_stamp[p] != c.generation) {
            level.resolve_stamp[p] = c.generation;
            level.resolve.push_back(static_cast<std::uint32_t>(p));
        }
        break;
    case PlotTarget::resolve:
        // Backwards, one tile at a time: a pixel keeps the value of the last element that
        // touches it; within an element its last operation wins.
        if (static_cast<int>(tile) == c.resolving_tile && level.resolve_stamp[p] == c.generation &&
            level.resolved_stamp[p] != c.generation) {
            level.cover[p] = value;
            level.used[tile] = 1;
            if (c.hit_stamp[p] != c.element_seq) {
                c.hit_stamp[p] = c.element_seq;
                c.hits.push_back(static_cast<std::uint32_t>(p));
            }
        }
        break;
    case PlotTarget::replay:
        if (level.stale[tile] == stale_after && c.current_key >= level.from[tile]) {
            level.cover[p] = value;
            level.used[tile] = 1;
        }
        break;
    case PlotTarget::image:
    case PlotTarget::rebuild:
        break;
    }
}

} // namespace

void create_overlay_cache(Editor& editor) {
    auto c = std::make_unique<OverlayCache>();
    const std::size_t pixels = static_cast<std::size_t>(image_size) * image_size;
    for (CoverLevel& level : c->level) {
        level.cover.assign(pixels, 0);
        level.touch.assign(pixels, 0);
        level.resolve_stamp.assign(pixels, 0);
        level.resolved_stamp.assign(pixels, 0);
        level.resolve.reserve(pixels);
    }
    c->hit_stamp.assign(pixels, 0);
    c->hits.reserve(pixels);
    c->object_boxes.assign(object_slots, TileBox{});
    c->ai_points_drawn.assign(segment_slots, LinePoint{});
    c->ai_segment_boxes.assign(segment_slots, TileBox{});
    c->id_of_index.assign(object_slots, 0);
    c->index_of_id.assign(object_slots, 0);
    c->free_ids.reserve(object_slots);
    c->changed_objects.reserve(start_positions + 1);
    c->seen.assign(slot_count, 0);
    c->scratch.reserve(slot_count);
    c->pairs.reserve(slot_count);
    editor.renderer.overlays = std::move(c);
}

void overlay_put(Editor& editor, int x, int y, Pixel colour) {
    Renderer& r = editor.renderer;
    OverlayCache* c = r.overlays.get();
    const std::uint32_t value = OverlayCache::colour_flag | rgb_of(colour);
    const auto p = static_cast<std::size_t>(y * image_size + x);
    switch (c == nullptr ? PlotTarget::image : c->target) {
    case PlotTarget::image:
        r.note_written(x, y);
        r.image[p] = colour;
        return;
    case PlotTarget::rebuild:
        r.image[p] = colour;
        c->record_rebuilt(x, y, value);
        return;
    default:
        put_cached(*c, x, y, p, value);
        return;
    }
}

void overlay_put_terrain(Editor& editor, int x, int y) {
    Renderer& r = editor.renderer;
    OverlayCache* c = r.overlays.get();
    const auto p = static_cast<std::size_t>(y * image_size + x);
    switch (c == nullptr ? PlotTarget::image : c->target) {
    case PlotTarget::image:
        recompute_pixel(editor, x, y);
        return;
    case PlotTarget::rebuild:
        recompute_pixel(editor, x, y);
        c->record_rebuilt(x, y, OverlayCache::terrain);
        return;
    default:
        put_cached(*c, x, y, p, OverlayCache::terrain);
        return;
    }
}

StepRange overlay_columns(const Editor& editor, long long first, long long last) {
    const OverlayCache* c = editor.renderer.overlays.get();
    if (c != nullptr && (c->target == PlotTarget::replay || c->target == PlotTarget::resolve)) {
        return {std::max<long long>(first, c->clip_left), std::min<long long>(last, c->clip_right)};
    }
    return {first, last};
}

StepRange overlay_rows(const Editor& editor, long long first, long long last) {
    const OverlayCache* c = editor.renderer.overlays.get();
    if (c != nullptr && (c->target == PlotTarget::replay || c->target == PlotTarget::resolve)) {
        return {std::max<long long>(first, c->clip_top), std::min<long long>(last, c->clip_bottom)};
    }
    return {first, last};
}

// Each report also tells the edit history where to compare the lists.
void note_object_removed(Editor& editor, int index) {
    editor.history.hints.objects(index);
    OverlayCache* c = editor.renderer.overlays.get();
    if (c == nullptr || !c->valid || index < 0 || index >= c->objects) {
        return;
    }
    if (index <= start_positions) {
        // Labels carry the places in the list: start the cache afresh.
        c->valid = false;
        return;
    }
    const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(index)];
    unindex(editor, reference(Layer::objects, id));
    c->free_ids.push_back(id);
    // The ids follow the list's shift; the objects behind keep their drawing order.
    for (int i = index; i + 1 < c->objects; ++i) {
        const std::uint32_t moved = c->id_of_index[static_cast<std::size_t>(i + 1)];
        c->id_of_index[static_cast<std::size_t>(i)] = moved;
        c->index_of_id[moved] = static_cast<std::uint32_t>(i);
    }
    --c->objects;
}

void note_objects_changed(Editor& editor, int first, int last) {
    editor.history.hints.objects(first);
    OverlayCache* c = editor.renderer.overlays.get();
    if (c == nullptr || !c->valid) {
        return;
    }
    for (int i = std::max(first, 0); i <= last && i < c->objects; ++i) {
        const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(i)];
        if (std::find(c->changed_objects.begin(), c->changed_objects.end(), id) ==
            c->changed_objects.end()) {
            unindex(editor, reference(Layer::objects, id));
            c->changed_objects.push_back(id);
        }
    }
}

void note_ai_line_reordered(Editor& editor) {
    invalidate_overlays(editor);
}

void invalidate_overlays(Editor& editor) {
    editor.history.hints.objects(0);
    editor.history.hints.ai_line(0);
    if (OverlayCache* c = editor.renderer.overlays.get()) {
        c->valid = false;
    }
}

void redraw_overlays(Editor& editor) {
    Renderer& r = editor.renderer;
    r.in_overlay_pass = true;
    if (r.overlays == nullptr || r.literal_overlays) {
        literal_pass(editor);
        if (r.overlays != nullptr) {
            r.overlays->valid = false;
        }
    } else if (!r.overlays->valid) {
        rebuild(editor);
    } else {
        incremental_pass(editor);
    }
    r.written_tiles.fill(0);
    r.in_overlay_pass = false;
}

} // namespace cs
