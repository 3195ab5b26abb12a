// What one edit changed in a track, kept small enough that thousands of edits cost little:
// the land cells and height samples that differ (in runs), the part of each element list
// that was replaced, and the properties when any of them changed. A change can be taken
// back (the track before the edit) and made again (the track after it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/track.h"

namespace cs {

// Where the editing operations may have written since the last comparison, so that the
// comparison of the large parts (the land map, the object list and the AI line) looks only
// there. The small parts are always compared whole. Growing and shrinking lists are seen
// from their lengths; the hints cover the rest (a removal from the middle, a change in place,
// a reordering, a direct write).
struct ChangeHints {
    int land_top = map_size; // land rows land_top <= y < land_bottom may differ
    int land_bottom = 0;
    int objects_from = max_objects + 1; // objects at or after this index may differ
    int ai_line_from = max_ai_line + 1; // AI line points at or after this index may differ

    void land_row(int y) {
        land_top = y < land_top ? y : land_top;
        land_bottom = y + 1 > land_bottom ? y + 1 : land_bottom;
    }
    void all_land() {
        land_top = 0;
        land_bottom = map_size;
    }
    void objects(int index) { objects_from = index < objects_from ? index : objects_from; }
    void ai_line(int index) { ai_line_from = index < ai_line_from ? index : ai_line_from; }
    void everything() {
        all_land();
        objects(0);
        ai_line(0);
    }
};

// Cells (or samples) of a flat array that differ, as runs: run i covers `length[i]` cells
// from `offset[i]`; the cells' old and new values follow one another in `before` and `after`.
template <typename Cell>
struct CellRuns {
    std::vector<std::uint32_t> offset;
    std::vector<std::uint32_t> length;
    std::vector<Cell> before;
    std::vector<Cell> after;
    bool empty() const { return offset.empty(); }
};

// An element list whose elements at..at+before.size() were replaced by at..at+after.size();
// the elements behind moved along and are not kept.
template <typename Element>
struct ListSplice {
    bool changed = false;
    int at = 0;
    std::vector<Element> before;
    std::vector<Element> after;
};

// The properties and texts: everything but the map, the grid and the lists. The track
// length is left out: it follows from the AI line and is refreshed whenever it is shown or
// saved.
struct TrackProperties {
    std::uint8_t world_size = 0;
    std::uint8_t water_level = 0;
    std::int16_t view_angle = 0;
    std::int16_t rotation = 0;
    std::uint8_t zoom = 0;
    std::uint8_t sf_line = 0;
    std::array<char, author_capacity + 1> author{};
    std::array<char, comments_capacity + 1> comments{};
    float world_scale = 0;
    friend bool operator==(const TrackProperties&, const TrackProperties&) = default;
};

struct TrackChange {
    CellRuns<std::uint8_t> land;
    CellRuns<std::uint16_t> heights;
    ListSplice<Object> objects;
    ListSplice<Pit> pits;
    ListSplice<Checkpoint> checkpoints;
    ListSplice<LinePoint> ai_line;
    ListSplice<LinePoint> ai_pit_line;
    // The properties before and after, when they changed (kept apart: most steps leave them).
    std::unique_ptr<std::array<TrackProperties, 2>> properties;

    bool empty() const;
    // What the change keeps in memory, its own record included.
    std::size_t bytes() const;
};

TrackProperties properties_of_track(const Track& track);

// What changed from `before` to `after`, looking at the large parts only where the hints say
// they may differ. Empty when the tracks agree there.
TrackChange compare_tracks(const Track& before, const Track& after, const ChangeHints& hints);

enum class ChangeDirection { undo, redo };
// Puts the track into the state before (undo) or after (redo) the change. The track must be
// in the state at the other end of the change. The placement slots (the element one past
// each list's end) are left to the caller.
void apply_change(Track& track, const TrackChange& change, ChangeDirection direction);

// Whether the two tracks hold the same document: map, grid, lists up to their lengths and
// properties (the track length and the placement slots aside).
bool same_document(const Track& a, const Track& b);

} // namespace cs
