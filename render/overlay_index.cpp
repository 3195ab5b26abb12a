// The overlay index: element references, drawing order, boxes and tile lists, kept copies of
// what was drawn, and the stable ids of the objects.
#include "render/overlay_index.h"

#include <cmath>

#include "render/overlay.h"

namespace cs::overlay_index {

// --- Drawing one element ---------------------------------------------------------------

// The drawing order: the layer, then the place in its list.
std::uint32_t order_key(const OverlayCache& c, std::uint32_t ref) {
    const Layer layer = layer_of(ref);
    const std::uint32_t i = index_in(ref);
    const std::uint32_t place = layer == Layer::objects ? c.index_of_id[i] : i;
    return (static_cast<std::uint32_t>(layer) << layer_shift) | place;
}

void draw_element(const Canvas& canvas, std::uint32_t ref) {
    const OverlayCache& c = cache_of(canvas);
    const Track& t = canvas.track;
    const std::uint32_t i = index_in(ref);
    switch (layer_of(ref)) {
    case Layer::pits: {
        const Pit& p = t.pits[i];
        draw_object(canvas, p.x, p.y, p.angle, pit_kind, DrawMode::draw, -1);
        break;
    }
    case Layer::objects: {
        const int at = static_cast<int>(c.index_of_id[i]);
        const Object& o = t.objects[static_cast<std::size_t>(at)];
        draw_object(canvas, o.x, o.y, o.angle, o.kind, DrawMode::draw, at);
        break;
    }
    case Layer::checkpoints: {
        const Checkpoint& k = t.checkpoints[i];
        draw_checkpoint(canvas, k.x1, k.y1, k.x2, k.y2, DrawMode::draw, static_cast<int>(i));
        break;
    }
    case Layer::ai_segments:
        draw_ai_segment(canvas, static_cast<int>(i));
        break;
    case Layer::ai_closing:
        draw_ai_closing_segment(canvas);
        break;
    case Layer::pit_segments:
        draw_pit_line_segment(canvas, static_cast<int>(i));
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

namespace {

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

} // namespace

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
    // Elements mostly go from the end of the drawing order (the one placed last first), so
    // the last few places are looked at before the search.
    for (std::size_t k = list.size(); k > 0 && k + 4 > list.size(); --k) {
        if (list[k - 1] == ref) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(k - 1));
            return;
        }
    }
    auto at =
        std::lower_bound(list.begin(), list.end(), key,
                         [&](std::uint32_t r, std::uint32_t k) { return order_key(c, r) < k; });
    if (at != list.end() && *at == ref) {
        list.erase(at);
    }
}

// The lists of references that an element with this box belongs in: the large list, or
// the list of every tile of its box.
template <typename F>
void for_each_list(OverlayCache& c, std::uint32_t ref, const PixelBox& box, F f) {
    CoverLevel& level = level_for(c, ref);
    if (is_large(box)) {
        f(level.large);
    } else {
        for_each_tile(box.tiles(),
                      [&](int tile) { f(level.tiles[static_cast<std::size_t>(tile)]); });
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

namespace {

// A number for the next removal that no pixel carries yet. When the numbers run out, the
// marks of the pixels become plain "some element" and the numbers start again.
std::uint32_t next_removal_mark(OverlayCache& c) {
    constexpr std::uint32_t last_number = CoverCell::unknown_element - CoverCell::taken_back - 1;
    if (++c.removals > last_number) {
        c.removals = 0;
        for (CoverLevel& level : c.level) {
            for (CoverCell& cell : level.cells) {
                if (cell.last >= CoverCell::taken_back && cell.last < CoverCell::unknown_element) {
                    cell.last = CoverCell::unknown_element;
                }
            }
        }
    }
    return CoverCell::taken_back | c.removals;
}

} // namespace

// Takes an element out of the cache, as it was drawn: its operations are uncounted and its
// pixels are due for resolving. The element must still be drawable as it was at the last
// pass.
void unindex(const Canvas& canvas, std::uint32_t ref) {
    OverlayCache& c = cache_of(canvas);
    PixelBox& box = box_of(c, ref);
    if (box.empty()) {
        return; // it drew nothing
    }
    c.state().target = PlotTarget::uncount;
    c.state().drawing_level = level_of(layer_of(ref));
    c.state().current_ref = ref;
    c.removal_mark = next_removal_mark(c);
    swap_drawn(c, canvas.track, ref);
    draw_element(canvas, ref);
    swap_drawn(c, canvas.track, ref);
    c.state().target = PlotTarget::image;
    const std::uint32_t key = order_key(c, ref);
    for_each_list(c, ref, box, [&](auto& list) { erase_in_order(c, list, ref, key); });
    box = PixelBox{};
}

void index_box(OverlayCache& c, std::uint32_t ref, const PixelBox& box) {
    box_of(c, ref) = box;
    if (box.empty()) {
        return;
    }
    const std::uint32_t key = order_key(c, ref);
    for_each_list(c, ref, box, [&](auto& list) { insert_in_order(c, list, ref, key); });
}

// Measures (and counts) what a new or changed element draws, indexes it and marks its
// tiles stale from its own place in the drawing order on.
void measure_and_index(const Canvas& canvas, std::uint32_t ref) {
    OverlayCache& c = cache_of(canvas);
    c.state().target = PlotTarget::measure;
    c.state().drawing_level = level_of(layer_of(ref));
    begin_box(c);
    remember_drawn(c, canvas.track, ref);
    draw_element(canvas, ref);
    c.state().target = PlotTarget::image;
    const PixelBox box = finished_box(c);
    index_box(c, ref, box);
    if (!box.empty()) {
        const std::uint32_t key = order_key(c, ref);
        CoverLevel& level = level_for(c, ref);
        for_each_tile(box.tiles(), [&](int tile) { mark_stale(level, tile, key); });
    }
}

// --- Object ids ------------------------------------------------------------------------

std::uint32_t new_object_id(OverlayCache& c, const Track& t, int index) {
    std::uint32_t id = c.fresh_id;
    if (c.free_ids.empty()) {
        ++c.fresh_id;
    } else {
        id = c.free_ids.back();
        c.free_ids.pop_back();
    }
    c.id_of_index[static_cast<std::size_t>(index)] = id;
    c.index_of_id[id] = static_cast<std::uint32_t>(index);
    place_object(c, t, id);
    return id;
}

int object_cell_column(float v) {
    if (!(v >= 0.0f)) {
        return 0; // below the map (NaN is never placed)
    }
    return v >= static_cast<float>(image_size - 1) ? tiles_per_side - 1
                                                   : static_cast<int>(v) >> tile_shift;
}

namespace {

// Enters object o, of this id, in cell (no_cell: none).
void place_in(OverlayCache& c, const Object& o, std::uint32_t id, std::uint16_t cell) {
    c.cell_of_id[id] = cell;
    if (cell != OverlayCache::no_cell) {
        c.object_cells[cell].push_back({o.x, o.y, id});
    }
}

// The cell where an object stands, or no_cell for one at no finite place.
std::uint16_t cell_of(const Object& o) {
    if (!std::isfinite(o.x) || !std::isfinite(o.y)) {
        return OverlayCache::no_cell;
    }
    return static_cast<std::uint16_t>(object_cell_column(o.y) * tiles_per_side +
                                      object_cell_column(o.x));
}

} // namespace

void place_object(OverlayCache& c, const Track& t, std::uint32_t id) {
    const Object& o = t.objects[c.index_of_id[id]];
    place_in(c, o, id, cell_of(o));
}

void unplace_object(OverlayCache& c, std::uint32_t id) {
    const std::uint16_t cell = c.cell_of_id[id];
    if (cell == OverlayCache::no_cell) {
        return;
    }
    auto& ids = c.object_cells[cell];
    const auto at = std::find_if(ids.begin(), ids.end(),
                                 [id](const OverlayCache::PlacedObject& o) { return o.id == id; });
    if (at != ids.end()) {
        *at = ids.back();
        ids.pop_back();
    }
    c.cell_of_id[id] = OverlayCache::no_cell;
}

void reset_object_ids(OverlayCache& c) {
    for (auto& ids : c.object_cells) {
        ids.clear();
    }
    c.free_ids.clear();
    c.fresh_id = 0;
}

void number_objects(OverlayCache& c, int count) {
    for (int i = 0; i < count; ++i) {
        c.id_of_index[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
        c.index_of_id[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
    }
    c.fresh_id = static_cast<std::uint32_t>(count);
}

void place_numbered_objects(OverlayCache& c, const Track& t, int first_row, int last_row) {
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[static_cast<std::size_t>(i)];
        const std::uint16_t cell = cell_of(o);
        const int row = cell == OverlayCache::no_cell ? 0 : cell / tiles_per_side;
        if (row >= first_row && row <= last_row) {
            place_in(c, o, static_cast<std::uint32_t>(i), cell);
        }
    }
}

} // namespace cs::overlay_index

namespace cs {

using overlay_index::object_cell_column;

bool find_object_near(const Canvas& canvas, float x, float y, float reach, int first,
                      NearObject& near) {
    const OverlayCache* c = canvas.renderer.overlays.get();
    const Track& t = canvas.track;
    // The cells hold the centres as they were when the objects were placed; objects change
    // in place only when reported, and then the lookup waits for the pass.
    if (c == nullptr || !c->valid || canvas.renderer.literal_overlays ||
        c->objects != t.object_count || !c->changed_objects.empty() || !std::isfinite(x) ||
        !std::isfinite(y) || !(reach >= 0.0f)) {
        return false;
    }
    // An object within reach stands in a cell that meets the square around (x, y), widened
    // by a unit for the rounding of the distance.
    const float margin = reach + 1.0f;
    const int left = object_cell_column(x - margin), right = object_cell_column(x + margin);
    const int top = object_cell_column(y - margin), bottom = object_cell_column(y + margin);
    near = NearObject{};
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            for (const OverlayCache::PlacedObject& o :
                 c->object_cells[static_cast<std::size_t>(row * tiles_per_side + column)]) {
                const float dx = o.x - x;
                const float dy = o.y - y;
                const float dist = std::sqrt(dx * dx + dy * dy);
                if (!(dist <= near.distance)) {
                    continue; // farther than the nearest so far
                }
                const int i = static_cast<int>(c->index_of_id[o.id]);
                if (i < first) {
                    continue;
                }
                // As a walk in list order: the nearer, or on a tie the lower index.
                if (dist < near.distance || (dist == near.distance && i < near.index)) {
                    near = NearObject{i, dist};
                }
            }
        }
    }
    return true;
}

} // namespace cs
