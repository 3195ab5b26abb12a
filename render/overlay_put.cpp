// Where an overlay pixel goes: straight into the image, or, while the cached pass draws,
// into the cover of the level being drawn (see overlay_cache.h); and the loops' clip.
#include <algorithm>

#include "render/canvas.h"
#include "render/overlay_cache.h"
#include "render/overlay_index.h"
#include "render/terrain_image.h"

namespace cs {

using namespace overlay_index;

namespace {

// What lies under the element a replay draws on a pixel, where it is not the pixel's last
// element already: nothing of the level when no element draws there; the cover as it is
// when an element drew it last (one before this one, or one after it that the replay draws
// again on top); not known when the cover is what a removal left.
std::uint32_t replay_under(const CoverCell& cell) {
    if (cell.last == CoverCell::no_element) {
        return CoverCell::level_below;
    }
    return cell.last >= CoverCell::taken_back ? CoverCell::unknown_value : cell.cover;
}

// What the drawing operations do with a pixel for the cache, by target.
void put_cached(OverlayCache& c, int x, int y, std::size_t p, std::uint32_t value) {
    CoverLevel& level = c.level[static_cast<std::size_t>(c.state().drawing_level)];
    const auto tile = static_cast<std::size_t>(tile_of(x, y));
    switch (c.state().target) {
    case PlotTarget::measure:
        c.state().box_left = std::min(c.state().box_left, x);
        c.state().box_right = std::max(c.state().box_right, x);
        c.state().box_top = std::min(c.state().box_top, y);
        c.state().box_bottom = std::max(c.state().box_bottom, y);
        break;
    case PlotTarget::uncount: {
        CoverCell& cell = level.cells[p];
        if (cell.last == c.removal_mark || cell.last == CoverCell::no_element) {
            break; // the element's own pixel, already taken back
        }
        if (cell.last == c.state().current_ref && cell.under != CoverCell::unknown_value) {
            // It was on top: what it covered shows again, or the level below when it was
            // the level's only element there.
            if (cell.under == CoverCell::level_below) {
                cell.cover = below_value(c, c.state().drawing_level, p);
                cell.last = CoverCell::no_element;
            } else {
                cell.cover = cell.under;
                cell.last = c.removal_mark;
            }
            cell.under = CoverCell::unknown_value;
            level.changed[tile] = 1;
            level.used[tile] = 1;
            break;
        }
        if (cell.last < CoverCell::taken_back && cell.last != c.state().current_ref) {
            // Another element is on top and stays; it may have covered this one.
            cell.under = CoverCell::unknown_value;
            break;
        }
        if (level.resolve_stamp[p] != c.generation) {
            level.resolve_stamp[p] = c.generation;
            level.resolve.push_back(static_cast<std::uint32_t>(p));
        }
        break;
    }
    case PlotTarget::resolve: {
        // Backwards, one tile at a time: a pixel keeps the value of the last element that
        // touches it; within an element its last operation wins.
        const auto row = static_cast<std::size_t>(y & tile_side_last);
        const auto bit = static_cast<std::uint16_t>(1u << (x & tile_side_last));
        if (static_cast<int>(tile) == c.resolving_tile && ((*c.resolving_mask)[row] & bit) != 0) {
            CoverCell& cell = level.cells[p];
            cell.cover = value;
            cell.last = c.state().current_ref;
            cell.under = CoverCell::unknown_value;
            level.used[tile] = 1;
            c.hit_mask[row] = static_cast<std::uint16_t>(c.hit_mask[row] | bit);
        }
        break;
    }
    case PlotTarget::replay:
        if (level.stale[tile] == stale_after && c.state().current_key >= level.from[tile]) {
            CoverCell& cell = level.cells[p];
            if (cell.last != c.state().current_ref) {
                cell.under = replay_under(cell);
                cell.last = c.state().current_ref;
            }
            cell.cover = value;
            level.used[tile] = 1;
        }
        break;
    case PlotTarget::image:
    case PlotTarget::rebuild:
        break;
    }
}

} // namespace

void create_overlay_cache(const Canvas& canvas) {
    auto c = std::make_unique<OverlayCache>();
    const std::size_t pixels = static_cast<std::size_t>(image_size) * image_size;
    for (CoverLevel& level : c->level) {
        level.cells.assign(pixels, CoverCell{});
        level.resolve_stamp.assign(pixels, 0);
        level.resolve.reserve(pixels);
    }
    c->marks.assign(pixels, TopDown::free);
    c->known_counts.assign(OverlayCache::blocks_per_side * OverlayCache::blocks_per_side, 0);
    c->known_blocks.assign(OverlayCache::blocks_per_side * OverlayCache::block_words_per_row, 0);
    for (auto& drawn_now : c->band_drawn_now) {
        drawn_now.slots.resize(pixels / 16);
    }
    c->resolve_tiles.reserve(tile_count);
    c->object_boxes.assign(object_slots, PixelBox{});
    c->ai_points_drawn.assign(segment_slots, LinePoint{});
    c->ai_segment_boxes.assign(segment_slots, PixelBox{});
    c->id_of_index.assign(object_slots, 0);
    c->index_of_id.assign(object_slots, 0);
    c->free_ids.reserve(object_slots);
    c->changed_objects.reserve(start_positions + 1);
    c->cell_of_id.assign(object_slots, OverlayCache::no_cell);
    c->seen.assign(slot_count, 0);
    c->scratch.reserve(slot_count);
    c->pairs.reserve(slot_count);
    for (auto& boxes : c->band_boxes) {
        boxes.assign(slot_count, PixelBox{});
    }
    canvas.renderer.overlays = std::move(c);
}

void overlay_put(const Canvas& canvas, int x, int y, Pixel colour) {
    Renderer& r = canvas.renderer;
    OverlayCache* c = r.overlays.get();
    const std::uint32_t value = OverlayCache::colour_flag | rgb_of(colour);
    const auto p = static_cast<std::size_t>(y * image_size + x);
    switch (c == nullptr ? PlotTarget::image : c->state().target) {
    case PlotTarget::image:
        r.note_written(x, y);
        r.image[p] = colour;
        return;
    case PlotTarget::rebuild: {
        PlotState& s = c->state();
        if (y >= s.clip_top && y <= s.clip_bottom) { // else the other band's
            c->record_rebuilt(s, x, y, value);
        }
        return;
    }
    default:
        put_cached(*c, x, y, p, value);
        return;
    }
}

void overlay_put_terrain(const Canvas& canvas, int x, int y) {
    Renderer& r = canvas.renderer;
    OverlayCache* c = r.overlays.get();
    const auto p = static_cast<std::size_t>(y * image_size + x);
    switch (c == nullptr ? PlotTarget::image : c->state().target) {
    case PlotTarget::image:
        recompute_pixel(canvas, x, y);
        return;
    case PlotTarget::rebuild: {
        PlotState& s = c->state();
        if (y >= s.clip_top && y <= s.clip_bottom) {
            c->record_rebuilt(s, x, y, OverlayCache::terrain);
        }
        return;
    }
    default:
        put_cached(*c, x, y, p, OverlayCache::terrain);
        return;
    }
}

// Loops are cut to the clip rectangle while replaying and resolving, and to the band's rows
// while rebuilding.
namespace {
bool cuts_loops(PlotTarget target) {
    return target == PlotTarget::replay || target == PlotTarget::resolve ||
           target == PlotTarget::rebuild;
}
} // namespace

StepRange overlay_columns(const Canvas& canvas, long long first, long long last) {
    const OverlayCache* c = canvas.renderer.overlays.get();
    if (c != nullptr && cuts_loops(c->state().target)) {
        const PlotState& s = c->state();
        return {std::max<long long>(first, s.clip_left), std::min<long long>(last, s.clip_right)};
    }
    return {first, last};
}

StepRange overlay_rows(const Canvas& canvas, long long first, long long last) {
    const OverlayCache* c = canvas.renderer.overlays.get();
    if (c != nullptr && cuts_loops(c->state().target)) {
        const PlotState& s = c->state();
        return {std::max<long long>(first, s.clip_top), std::min<long long>(last, s.clip_bottom)};
    }
    return {first, last};
}

} // namespace cs
