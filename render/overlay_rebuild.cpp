// The rebuild: every element drawn afresh into the cover, each level from its top element
// down, so that a pixel stops taking writes once the two elements on top of it are known. A
// busy track is drawn in two bands of rows at once; the image follows from the cover.
#include "render/overlay_rebuild.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "render/overlay.h"
#include "render/overlay_index.h"
#include "render/rebuild_put.h"
#include "render/worker.h"

namespace cs {

namespace {

using namespace overlay_index;
using Layer = OverlayLayer;

// Tracks with this many elements or more are rebuilt in two bands of rows, one on this thread
// and one on the renderer's worker. Each band draws every element that can reach its rows but
// keeps only those rows, and each band's tiles, cover, marks and list of marked pixels are its
// own, so the bands share nothing they write. (Narrower bands, measured at 64 and 128 rows, gained
// nothing: the elements that reach several bands are drawn once for each.)
constexpr int elements_for_two_bands = 2048;
constexpr int band_rows = image_size / 2;
// The tile lists are filled by halves, on both threads.
constexpr int half_tile_rows = tiles_per_side / 2;

// Every element in drawing order, as its reference.
template <typename F>
void for_each_element(const OverlayCache& c, F f) {
    for (int i = 0; i < c.pits; ++i) {
        f(reference(Layer::pits, static_cast<std::uint32_t>(i)));
    }
    for (int i = 0; i < c.objects; ++i) {
        f(reference(Layer::objects, c.id_of_index[static_cast<std::size_t>(i)]));
    }
    for (int i = 0; i < c.checkpoints; ++i) {
        f(reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
    }
    for (int i = 1; i < c.ai_points; ++i) {
        f(reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
    }
    f(reference(Layer::ai_closing, 0));
    for (int j = 1; j < c.pit_points; ++j) {
        f(reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
    }
}

// The elements of level k from the last in drawing order to the first, as references.
template <typename F>
void for_each_element_down(const OverlayCache& c, int k, F f) {
    if (k == 0) {
        for (int i = c.checkpoints - 1; i >= 0; --i) {
            f(reference(Layer::checkpoints, static_cast<std::uint32_t>(i)));
        }
        for (int i = c.objects - 1; i >= 0; --i) {
            f(reference(Layer::objects, c.id_of_index[static_cast<std::size_t>(i)]));
        }
        for (int i = c.pits - 1; i >= 0; --i) {
            f(reference(Layer::pits, static_cast<std::uint32_t>(i)));
        }
    } else if (k == 1) {
        for (int i = c.ai_points - 1; i >= 1; --i) {
            f(reference(Layer::ai_segments, static_cast<std::uint32_t>(i)));
        }
    } else {
        for (int j = c.pit_points - 1; j >= 1; --j) {
            f(reference(Layer::pit_segments, static_cast<std::uint32_t>(j)));
        }
        f(reference(Layer::ai_closing, 0));
    }
}

using TileFlags = std::array<std::uint8_t, tiles_per_side * tiles_per_side>;

// Once level k is drawn in the tile rows first..last: where none of its elements drew, it
// shows the level below; where only one did, that element lies on the level below. The cells
// are not cleared before the rebuild: a cell no element drew in is set whole, and a tile that
// held anything before (was_used) but holds nothing now is cleared.
void finish_level(OverlayCache& c, int k, int first, int last, const TileFlags& was_used) {
    CoverLevel& level = c.level[static_cast<std::size_t>(k)];
    const CoverLevel* below = k > 0 ? &c.level[static_cast<std::size_t>(k - 1)] : nullptr;
    for (int tile = first * tiles_per_side; tile < (last + 1) * tiles_per_side; ++tile) {
        const auto t = static_cast<std::size_t>(tile);
        const bool below_used = below != nullptr && below->used[t] != 0;
        if (level.used[t] == 0 && !below_used) {
            // Nothing drawn here, on this level or below.
            if (was_used[t] != 0) {
                for_each_pixel_of_tile(
                    tile, [&](int, int, std::size_t p) { level.cells[p] = CoverCell{}; });
            }
            continue;
        }
        if (level.used[t] == 0) {
            // Nothing of this level here: the level below shows (no mark needs reading).
            level.used[t] = 1;
            for_each_pixel_of_tile(tile, [&](int, int, std::size_t p) {
                CoverCell& cell = level.cells[p];
                cell = CoverCell{};
                cell.cover = below->cells[p].cover;
            });
            continue;
        }
        for_each_pixel_of_tile(tile, [&](int, int, std::size_t p) {
            CoverCell& cell = level.cells[p];
            const TopDown mark = c.marks[p];
            if (mark == TopDown::free) {
                cell = CoverCell{};
                cell.cover = below_used ? below->cells[p].cover : OverlayCache::untouched;
            } else if (mark == TopDown::top) {
                cell.under = CoverCell::level_below;
            }
        });
    }
}

PixelBox merged(const PixelBox& a, const PixelBox& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return PixelBox{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom)};
}

// Draws every element into the rows top..bottom of the cover as band (0 or 1) of the rebuild,
// each level from its last element down, keeping each element's box within those rows in the
// band's boxes (by slot); then the image in those rows from the cover.
void draw_band(const Canvas& canvas, int band, int top, int bottom) {
    OverlayCache& c = cache_of(canvas);
    const auto b = static_cast<std::size_t>(band);
    PlotState& state = c.band_states[b];
    std::vector<PixelBox>& boxes = c.band_boxes[b];
    OverlayCache::band_state = &state;
    state = PlotState{};
    state.target = PlotTarget::rebuild;
    state.clip_left = 0;
    state.clip_right = image_size - 1;
    state.clip_top = top;
    state.clip_bottom = bottom;
    MarkedPixels& drawn_now = c.band_drawn_now[b];
    state.drawn_now = &drawn_now;
    // The box of what an element drew in these rows.
    auto keep = [&](std::uint32_t ref, const PixelBox& box) { boxes[slot_of(ref)] = box; };
    // Objects, pits and segments of the driving line whose drawing cannot reach these rows
    // are skipped.
    // (A band of the whole image skips nothing.)
    const Track& t = canvas.track;
    const bool whole = top == 0 && bottom == image_size - 1;
    std::array<float, 256> reach{};
    if (!whole) {
        const float scale = world_scale_for(t.world_size);
        for (std::size_t kind = 0; kind < reach.size(); ++kind) {
            reach[kind] = object_reach(static_cast<std::uint8_t>(kind), scale);
        }
    }
    auto out_of_band = [&](float y, std::uint8_t kind) {
        return y + reach[kind] < static_cast<float>(top) ||
               y - reach[kind] > static_cast<float>(bottom);
    };
    // A segment's rows lie within a pixel or two of its end points' rows.
    auto segment_misses_band = [&](const LinePoint& a, const LinePoint& b) {
        return std::max(a.y, b.y) + 3.0f < static_cast<float>(top) ||
               std::min(a.y, b.y) - 3.0f > static_cast<float>(bottom);
    };
    auto misses_band = [&](std::uint32_t ref) {
        switch (layer_of(ref)) {
        case Layer::objects: {
            const Object& o = t.objects[c.index_of_id[index_in(ref)]];
            return out_of_band(o.y, o.kind);
        }
        case Layer::pits:
            return out_of_band(t.pits[index_in(ref)].y, pit_kind);
        case Layer::ai_segments:
            return segment_misses_band(t.ai_line[index_in(ref) - 1], t.ai_line[index_in(ref)]);
        default:
            return false;
        }
    };
    // The cover of these rows from nothing: the tiles used before are cleared as the levels
    // are finished.
    std::array<TileFlags, OverlayCache::levels> was_used{};
    for (std::size_t k = 0; k < was_used.size(); ++k) {
        for (int tile = (top >> tile_shift) * tiles_per_side;
             tile < ((bottom >> tile_shift) + 1) * tiles_per_side; ++tile) {
            std::uint8_t& used = c.level[k].used[static_cast<std::size_t>(tile)];
            was_used[k][static_cast<std::size_t>(tile)] = used;
            used = 0;
        }
    }
    for (int k = 0; k < OverlayCache::levels; ++k) {
        std::fill(c.marks.begin() + top * image_size, c.marks.begin() + (bottom + 1) * image_size,
                  TopDown::free);
        const int block_top = top >> OverlayCache::block_shift;
        const int block_end = (bottom >> OverlayCache::block_shift) + 1;
        std::fill(c.known_counts.begin() + block_top * OverlayCache::blocks_per_side,
                  c.known_counts.begin() + block_end * OverlayCache::blocks_per_side, 0);
        std::fill(c.known_blocks.begin() + block_top * OverlayCache::block_words_per_row,
                  c.known_blocks.begin() + block_end * OverlayCache::block_words_per_row, 0);
        state.drawing_level = k;
        CoverLevel& drawn = c.level[static_cast<std::size_t>(k)];
        // The lines of the other levels are a pixel wide and never fill a block: their strokes
        // are not tested for passing over.
        RebuildPut writer(state, drawn.cells.data(), c.marks.data(),
                          k == 0 ? c.known_blocks.data() : nullptr);
        state.writer = &writer;
        // Once an element is drawn, what it marked is settled (later elements lie below it),
        // and its box is kept.
        auto drawn_in = [&](std::uint32_t ref, const PixelBox& box) {
            c.settle(drawn_now);
            keep(ref, box);
            if (!box.empty()) {
                for_each_tile(box.tiles(),
                              [&](int tile) { drawn.used[static_cast<std::size_t>(tile)] = 1; });
            }
        };
        if (k == 1 && canvas.view.show_ai_line) {
            // The driving line's segments, straight to the writer: a long line has tens of
            // thousands, most shorter than a pixel.
            for (int i = c.ai_points - 1; i >= 1; --i) {
                const auto ref = reference(Layer::ai_segments, static_cast<std::uint32_t>(i));
                const LinePoint& a = t.ai_line[static_cast<std::size_t>(i - 1)];
                const LinePoint& b = t.ai_line[static_cast<std::size_t>(i)];
                if (!whole && segment_misses_band(a, b)) {
                    keep(ref, PixelBox{});
                    continue;
                }
                writer.begin(ref);
                rebuild_segment(canvas, writer, a.x, a.y, b.x, b.y, ai_line_rgb, DrawMode::draw);
                drawn_in(ref, writer.box());
            }
        } else {
            for_each_element_down(c, k, [&](std::uint32_t ref) {
                if (!whole && misses_band(ref)) {
                    keep(ref, PixelBox{});
                    return;
                }
                state.current_ref = ref;
                begin_box(c);
                writer.begin(ref);
                draw_element(canvas, ref);
                writer.end();
                drawn_in(ref, finished_box(c));
            });
        }
        state.writer = nullptr;
        finish_level(c, k, top >> tile_shift, bottom >> tile_shift,
                     was_used[static_cast<std::size_t>(k)]);
    }
    OverlayCache::band_state = nullptr;
    // The image as the top level of the cover leaves it.
    const CoverLevel& shown = c.level[OverlayCache::levels - 1];
    for (int tile = (top >> tile_shift) * tiles_per_side;
         tile < ((bottom >> tile_shift) + 1) * tiles_per_side; ++tile) {
        if (shown.used[static_cast<std::size_t>(tile)] != 0) {
            show_cover_tile(canvas, shown, tile);
        }
    }
}

// Runs work(0) and work(1), each on whichever of this thread and the renderer's worker
// takes it first (both here without a worker).
template <typename F>
void run_both(const Canvas& canvas, F work) {
    auto piece = [&](int k, int) { work(k); };
    if (SharedWorker* worker = canvas.renderer.worker.get()) {
        worker->run(2, piece);
    } else {
        piece(0, 0);
        piece(1, 0);
    }
}

} // namespace

// The pixels of a tile as a level of the cover leaves them: its colour, the terrain, or
// (untouched) the image as it is.
void show_cover_tile(const Canvas& canvas, const CoverLevel& level, int tile) {
    Pixel* image = canvas.renderer.image.get();
    for_each_pixel_of_tile(tile, [&](int x, int y, std::size_t p) {
        const std::uint32_t v = level.cells[p].cover;
        if (v == OverlayCache::terrain) {
            recompute_pixel(canvas, x, y);
        } else if (v != OverlayCache::untouched) {
            image[p] = pixel_of(v & 0xFFFFFFu);
        }
    });
}

void rebuild_overlays(const Canvas& canvas) {
    OverlayCache& c = cache_of(canvas);
    const Track& t = canvas.track;
    for (CoverLevel& level : c.level) {
        level.resolve.clear();
        level.changed.fill(0);
        level.stale.fill(0);
    }
    reset_object_ids(c);

    c.pits = effective_pits(t);
    c.objects = t.object_count;
    c.checkpoints = t.checkpoint_count;
    c.ai_points = t.ai_line_count;
    c.pit_points = t.ai_pit_line_count;
    const bool two_bands =
        c.pits + c.objects + c.checkpoints + c.ai_points + c.pit_points >= elements_for_two_bands;
    // The objects' ids and cells, and what the other elements are drawn from (objects are
    // reported before they change): each thread the cells of half the rows, the first also
    // the ids, the second what the others are drawn from.
    auto prepare = [&](int part) {
        if (part == 0) {
            number_objects(c, c.objects);
            place_numbered_objects(c, t, 0, half_tile_rows - 1);
            return;
        }
        place_numbered_objects(c, t, half_tile_rows, tiles_per_side - 1);
        auto remember = [&](Layer layer, int first, int end) {
            for (int i = first; i < end; ++i) {
                remember_drawn(c, t, reference(layer, static_cast<std::uint32_t>(i)));
            }
        };
        remember(Layer::pits, 0, c.pits);
        remember(Layer::checkpoints, 0, c.checkpoints);
        remember(Layer::ai_segments, 1, c.ai_points);
        remember(Layer::ai_closing, 0, 1);
        remember(Layer::pit_segments, 1, c.pit_points);
    };
    if (two_bands) {
        run_both(canvas, prepare);
    } else {
        prepare(0);
        prepare(1);
    }
    if (two_bands) {
        run_both(canvas, [&](int band) {
            draw_band(canvas, band, band * band_rows, band * band_rows + band_rows - 1);
        });
    } else {
        draw_band(canvas, 0, 0, image_size - 1);
    }
    // The boxes and tile lists follow from the bands' boxes when a change first needs them:
    // the picture does not, and a run of full redraws (a slider dragged) needs them never.
    c.index_due = true;
    c.index_in_two_bands = two_bands;
    c.changed_objects.clear();
    ++c.generation;
    c.valid = true;
}

void complete_index(const Canvas& canvas) {
    OverlayCache& c = cache_of(canvas);
    if (!c.index_due) {
        return;
    }
    c.index_due = false;
    const bool two_bands = c.index_in_two_bands;
    for (CoverLevel& level : c.level) {
        for (auto& list : level.tiles) {
            list.clear();
        }
        level.large.clear();
    }
    // The tile lists in drawing order, from the boxes both threads kept: each thread fills the
    // lists of its own half of the tiles, from the elements its band drew in, and keeps the
    // boxes (and takes the large elements) of those the first band did not draw in (the first
    // thread) or the second did (the second); an element no band drew in has an empty box, kept
    // by the first thread. The large elements of each thread are merged in drawing order.
    std::array<std::array<std::vector<std::uint32_t>, OverlayCache::levels>, 2> large;
    auto index_half = [&](int half, int first_row, int last_row) {
        for_each_element(c, [&](std::uint32_t ref) {
            const std::size_t slot = slot_of(ref);
            const PixelBox own = c.band_boxes[static_cast<std::size_t>(half)][slot];
            const PixelBox second = two_bands ? c.band_boxes[1][slot] : PixelBox{};
            const bool keeps_box = half == 0 ? second.empty() : !own.empty();
            if (own.empty() && !keeps_box) {
                return; // the other thread's
            }
            const PixelBox box = two_bands ? merged(c.band_boxes[0][slot], second) : own;
            if (keeps_box) {
                box_of(c, ref) = box;
            }
            if (box.empty()) {
                return;
            }
            const int k = level_of(layer_of(ref));
            if (is_large(box)) {
                if (keeps_box) {
                    large[static_cast<std::size_t>(half)][static_cast<std::size_t>(k)].push_back(
                        ref);
                }
                return;
            }
            CoverLevel& level = c.level[static_cast<std::size_t>(k)];
            TileBox rows = box.tiles();
            rows.top = std::max<std::int16_t>(rows.top, static_cast<std::int16_t>(first_row));
            rows.bottom = std::min<std::int16_t>(rows.bottom, static_cast<std::int16_t>(last_row));
            for_each_tile(rows, [&](int tile) {
                level.tiles[static_cast<std::size_t>(tile)].push_back(ref);
            });
        });
    };
    if (two_bands) {
        run_both(canvas, [&](int half) {
            index_half(half, half * half_tile_rows, half * half_tile_rows + half_tile_rows - 1);
        });
    } else {
        index_half(0, 0, tiles_per_side - 1);
    }
    for (std::size_t k = 0; k < c.level.size(); ++k) {
        std::merge(large[0][k].begin(), large[0][k].end(), large[1][k].begin(), large[1][k].end(),
                   std::back_inserter(c.level[k].large), [&](std::uint32_t a, std::uint32_t b) {
                       return order_key(c, a) < order_key(c, b);
                   });
    }
}

} // namespace cs
