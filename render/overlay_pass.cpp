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
constexpr std::uint8_t stale_after = 1; // recompute from element_from on
constexpr std::uint8_t stale_reset = 2; // clear, then recompute from the first element

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

void erase_one(std::vector<std::uint32_t>& list, std::uint32_t ref) {
    const auto it = std::find(list.begin(), list.end(), ref);
    if (it != list.end()) {
        *it = list.back();
        list.pop_back();
    }
}

void mark_stale(CoverLevel& level, int tile, std::uint8_t how, std::uint32_t from) {
    std::uint8_t& s = level.stale[static_cast<std::size_t>(tile)];
    std::uint32_t& f = level.from[static_cast<std::size_t>(tile)];
    if (how == stale_reset || s == stale_reset) {
        s = stale_reset;
    } else if (s == stale_after) {
        f = std::min(f, from);
    } else {
        s = stale_after;
        f = from;
    }
}

void mark_box_stale(OverlayCache& c, std::uint32_t ref, const TileBox& box, std::uint8_t how,
                    std::uint32_t from) {
    if (box.empty()) {
        return;
    }
    CoverLevel& level = c.level[static_cast<std::size_t>(level_of(layer_of(ref)))];
    for_each_tile(box, [&](int tile) { mark_stale(level, tile, how, from); });
}

// Takes an element out of the index; the tiles it drew on must be recomputed.
void unindex(OverlayCache& c, std::uint32_t ref) {
    TileBox& box = box_of(c, ref);
    if (box.empty()) {
        return;
    }
    CoverLevel& level = c.level[static_cast<std::size_t>(level_of(layer_of(ref)))];
    mark_box_stale(c, ref, box, stale_reset, 0);
    if (is_large(box)) {
        erase_one(level.large, ref);
    } else {
        for_each_tile(
            box, [&](int tile) { erase_one(level.tiles[static_cast<std::size_t>(tile)], ref); });
    }
    box = TileBox{};
}

void index_box(OverlayCache& c, std::uint32_t ref, const TileBox& box) {
    box_of(c, ref) = box;
    if (box.empty()) {
        return;
    }
    CoverLevel& level = c.level[static_cast<std::size_t>(level_of(layer_of(ref)))];
    if (is_large(box)) {
        level.large.push_back(ref);
    } else {
        for_each_tile(
            box, [&](int tile) { level.tiles[static_cast<std::size_t>(tile)].push_back(ref); });
    }
}

// Measures what a new or changed element draws, indexes it and marks its tiles: a new
// element from its own place in the order on, a changed one from the first element.
void measure_and_index(Editor& editor, std::uint32_t ref, std::uint8_t how) {
    OverlayCache& c = cache_of(editor);
    c.target = PlotTarget::measure;
    c.drawing_level = level_of(layer_of(ref));
    begin_box(c);
    draw_element(editor, ref);
    c.target = PlotTarget::image;
    const TileBox box = finished_box(c);
    index_box(c, ref, box);
    mark_box_stale(c, ref, box, how, order_key(c, ref));
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
                });
            }
        }
        level.used.fill(0);
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
    c.lines_reordered = false;
    c.valid = true;
}

// --- Changes seen at the pass ----------------------------------------------------------

// The elements of a list beyond what the cache knows are new; those it knows beyond the
// list's length are gone. Lists only grow or shrink at their ends, apart from the changes
// the editing operations report (objects deleted or moved, the AI line reordered).
void take_list_changes(Editor& editor) {
    OverlayCache& c = cache_of(editor);
    const Track& t = editor.track;

    for (std::uint32_t id : c.changed_objects) {
        unindex(c, reference(Layer::objects, id));
    }
    for (std::uint32_t id : c.changed_objects) {
        measure_and_index(editor, reference(Layer::objects, id), stale_reset);
    }
    c.changed_objects.clear();

    const int pits = effective_pits(t);
    for (int i = pits; i < c.pits; ++i) {
        unindex(c, reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.pits; i < pits; ++i) {
        measure_and_index(editor, reference(Layer::pits, static_cast<std::uint32_t>(i)),
                          stale_after);
    }
    c.pits = pits;

    for (int i = c.objects; i-- > t.object_count;) {
        const std::uint32_t id = c.id_of_index[static_cast<std::size_t>(i)];
        unindex(c, reference(Layer::objects, id));
        c.free_ids.push_back(id);
    }
    for (int i = c.objects; i < t.object_count; ++i) {
        measure_and_index(editor, reference(Layer::objects, new_object_id(c, i)), stale_after);
    }
    c.objects = t.object_count;

    for (int i = t.checkpoint_count; i < c.checkpoints; ++i) {
        unindex(c, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    for (int i = c.checkpoints; i < t.checkpoint_count; ++i) {
        measure_and_index(editor, reference(Layer::checkpoints, static_cast<std::uint32_t>(i)),
                          stale_after);
    }
    c.checkpoints = t.checkpoint_count;

    const int ai = t.ai_line_count;
    if (c.lines_reordered || ai != c.ai_points) {
        const int kept = c.lines_reordered ? 1 : std::min(ai, c.ai_points);
        for (int i = std::max(kept, 1); i < c.ai_points; ++i) {
            unindex(c, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
        unindex(c, reference(Layer::ai_closing, 0));
        for (int i = std::max(kept, 1); i < ai; ++i) {
            measure_and_index(editor, reference(Layer::ai_segments, static_cast<std::uint32_t>(i)),
                              stale_after);
        }
        measure_and_index(editor, reference(Layer::ai_closing, 0), stale_after);
        c.ai_points = ai;
        c.lines_reordered = false;
    }

    const int pit_line = t.ai_pit_line_count;
    for (int j = std::max(pit_line, 1); j < c.pit_points; ++j) {
        unindex(c, reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
    }
    for (int j = std::max(c.pit_points, 1); j < pit_line; ++j) {
        measure_and_index(editor, reference(Layer::pit_segments, static_cast<std::uint32_t>(j)),
                          stale_after);
    }
    c.pit_points = pit_line;
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

// Recomputes the stale tiles of level k: a reset tile starts from the level below (or
// from nothing), and the level's elements that touch the stale tiles are replayed into it
// in drawing order, each only where it is due (a tile stale from an order key takes only
// the elements from that key on). Every tile it changes is stale for the level above.
void replay_level(Editor& editor, int k) {
    OverlayCache& c = cache_of(editor);
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    if (!stale_rectangle(c, level)) {
        return;
    }
    std::uint32_t earliest = 0xFFFFFFFFu; // the lowest key any stale tile needs
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (level.stale[t] == stale_reset) {
            earliest = 0;
            level.used[t] = 1;
            for_each_pixel_of_tile(tile, [&](int, int, std::size_t p) {
                level.cover[p] = k == 0 ? OverlayCache::untouched
                                        : c.level[static_cast<std::size_t>(k - 1)].cover[p];
            });
        } else if (level.stale[t] == stale_after) {
            earliest = std::min(earliest, level.from[t]);
        }
    }

    c.scratch.clear();
    auto take = [&](std::uint32_t ref) {
        std::uint8_t& seen = c.seen[slot_of(ref)];
        if (seen == 0) {
            seen = 1;
            c.scratch.push_back(ref);
        }
    };
    for (int tile = 0; tile < tile_count; ++tile) {
        if (level.stale[static_cast<std::size_t>(tile)] != 0) {
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

    c.target = PlotTarget::replay;
    c.drawing_level = k;
    for (const std::uint64_t pair : c.pairs) {
        c.current_key = static_cast<std::uint32_t>(pair >> 32);
        draw_element(editor, static_cast<std::uint32_t>(pair & 0xFFFFFFFFu));
    }
    c.target = PlotTarget::image;

    if (k + 1 < OverlayCache::levels) {
        CoverLevel& above = c.level[static_cast<std::size_t>(k + 1)];
        for (int tile = 0; tile < tile_count; ++tile) {
            if (level.stale[static_cast<std::size_t>(tile)] != 0) {
                mark_stale(above, tile, stale_reset, 0);
            }
        }
        level.stale.fill(0);
    }
}

void incremental_pass(Editor& editor) {
    OverlayCache& c = cache_of(editor);
    Renderer& r = editor.renderer;
    take_list_changes(editor);
    for (int k = 0; k < OverlayCache::levels; ++k) {
        replay_level(editor, k);
    }

    // Bring the image up to date from the top cover wherever it may differ.
    CoverLevel& top = c.level[OverlayCache::levels - 1];
    for (int tile = 0; tile < tile_count; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        if (top.stale[t] == 0 && r.written_tiles[t] == 0) {
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
    top.stale.fill(0);
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

// A replay writes its level's cover, in the stale tiles that are due for the element.
void put_replayed(OverlayCache& c, int x, int y, std::size_t p, std::uint32_t value) {
    CoverLevel& level = c.level[static_cast<std::size_t>(c.drawing_level)];
    const auto tile = static_cast<std::size_t>(tile_of(x, y));
    if (level.stale[tile] == stale_reset ||
        (level.stale[tile] == stale_after && c.current_key >= level.from[tile])) {
        level.cover[p] = value;
        level.used[tile] = 1;
    }
}

} // namespace

void create_overlay_cache(Editor& editor) {
    auto c = std::make_unique<OverlayCache>();
    for (CoverLevel& level : c->level) {
        level.cover.assign(static_cast<std::size_t>(image_size) * image_size, 0);
    }
    c->object_boxes.assign(object_slots, TileBox{});
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
    case PlotTarget::measure:
        break;
    case PlotTarget::replay:
        put_replayed(*c, x, y, p, value);
        return;
    }
    c->box_left = std::min(c->box_left, x);
    c->box_right = std::max(c->box_right, x);
    c->box_top = std::min(c->box_top, y);
    c->box_bottom = std::max(c->box_bottom, y);
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
    case PlotTarget::measure:
        break;
    case PlotTarget::replay:
        put_replayed(*c, x, y, p, OverlayCache::terrain);
        return;
    }
    c->box_left = std::min(c->box_left, x);
    c->box_right = std::max(c->box_right, x);
    c->box_top = std::min(c->box_top, y);
    c->box_bottom = std::max(c->box_bottom, y);
}

StepRange overlay_columns(const Editor& editor, long long first, long long last) {
    const OverlayCache* c = editor.renderer.overlays.get();
    if (c != nullptr && c->target == PlotTarget::replay) {
        return {std::max<long long>(first, c->clip_left), std::min<long long>(last, c->clip_right)};
    }
    return {first, last};
}

StepRange overlay_rows(const Editor& editor, long long first, long long last) {
    const OverlayCache* c = editor.renderer.overlays.get();
    if (c != nullptr && c->target == PlotTarget::replay) {
        return {std::max<long long>(first, c->clip_top), std::min<long long>(last, c->clip_bottom)};
    }
    return {first, last};
}

void note_object_removed(Editor& editor, int index) {
    OverlayCache* c = editor.renderer.overlays.get();
    if (c == nullptr || !c->valid || index < 0 || index >= c->objects) {
        return;
    }
    const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(index)];
    unindex(*c, reference(Layer::objects, id));
    c->free_ids.push_back(id);
    // The ids follow the list's shift; the objects behind keep their drawing order.
    for (int i = index; i + 1 < c->objects; ++i) {
        const std::uint32_t moved = c->id_of_index[static_cast<std::size_t>(i + 1)];
        c->id_of_index[static_cast<std::size_t>(i)] = moved;
        c->index_of_id[moved] = static_cast<std::uint32_t>(i);
    }
    --c->objects;
    // A start position's label carries its place in the list.
    if (index < start_positions) {
        note_objects_changed(editor, index, start_positions - 1);
    }
}

void note_objects_changed(Editor& editor, int first, int last) {
    OverlayCache* c = editor.renderer.overlays.get();
    if (c == nullptr || !c->valid) {
        return;
    }
    for (int i = std::max(first, 0); i <= last && i < c->objects; ++i) {
        const std::uint32_t id = c->id_of_index[static_cast<std::size_t>(i)];
        if (std::find(c->changed_objects.begin(), c->changed_objects.end(), id) ==
            c->changed_objects.end()) {
            c->changed_objects.push_back(id);
        }
    }
}

void note_ai_line_reordered(Editor& editor) {
    if (OverlayCache* c = editor.renderer.overlays.get()) {
        c->lines_reordered = true;
    }
}

void invalidate_overlays(Editor& editor) {
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
