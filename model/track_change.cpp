#include "model/track_change.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cs {

namespace {

// Elements are compared bit for bit, field by field (never their padding): a change of -0
// to 0 is a change of the saved bytes, and a NaN equals itself.
bool same_bits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
bool same(const Object& a, const Object& b) {
    return same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.angle, b.angle) &&
           a.kind == b.kind;
}
bool same(const Pit& a, const Pit& b) {
    return same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.angle, b.angle);
}
bool same(const Checkpoint& a, const Checkpoint& b) {
    return same_bits(a.x1, b.x1) && same_bits(a.y1, b.y1) && same_bits(a.x2, b.x2) &&
           same_bits(a.y2, b.y2);
}
bool same(const LinePoint& a, const LinePoint& b) {
    return same_bits(a.x, b.x) && same_bits(a.y, b.y);
}
bool same(const TrackProperties& a, const TrackProperties& b) {
    return a.world_size == b.world_size && a.water_level == b.water_level &&
           a.view_angle == b.view_angle && a.rotation == b.rotation && a.zoom == b.zoom &&
           a.sf_line == b.sf_line && a.author == b.author && a.comments == b.comments &&
           same_bits(a.world_scale, b.world_scale);
}

// Unchanged cells shorter than this between two changed ones are kept inside one run: a run
// costs two words, a cell kept twice a cell's size.
constexpr std::size_t run_gap = 8;

// Appends the runs of cells first..last (exclusive) that differ between before and after.
template <typename Cell>
void collect_runs(const Cell* before, const Cell* after, std::size_t first, std::size_t last,
                  CellRuns<Cell>& runs) {
    std::size_t i = first;
    while (i < last) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        std::size_t same_since = end;
        for (std::size_t j = end; j < last && j - same_since < run_gap; ++j) {
            if (before[j] != after[j]) {
                end = j + 1;
                same_since = end;
            }
        }
        runs.offset.push_back(static_cast<std::uint32_t>(i));
        runs.length.push_back(static_cast<std::uint32_t>(end - i));
        runs.before.insert(runs.before.end(), before + i, before + end);
        runs.after.insert(runs.after.end(), after + i, after + end);
        i = end;
    }
}

// The land rows the hints name, compared a row at a time (whole equal rows are skipped at
// memcmp's speed).
void compare_land(const Track& before, const Track& after, const ChangeHints& hints,
                  CellRuns<std::uint8_t>& runs) {
    const int top = std::max(hints.land_top, 0);
    const int bottom = std::min(hints.land_bottom, map_size);
    for (int y = top; y < bottom; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * map_size;
        if (std::memcmp(&before.land[row], &after.land[row], map_size) != 0) {
            collect_runs(before.land.data(), after.land.data(), row, row + map_size, runs);
        }
    }
}

// The replaced part of a list: the elements before `from` are known to agree; the longest
// common beginning and end around the change are left out.
template <typename Element, std::size_t n>
void compare_list(const std::array<Element, n>& before, int before_count,
                  const std::array<Element, n>& after, int after_count, int from,
                  ListSplice<Element>& splice) {
    const int shorter = std::min(before_count, after_count);
    int at = std::clamp(from, 0, shorter);
    while (at < shorter &&
           same(before[static_cast<std::size_t>(at)], after[static_cast<std::size_t>(at)])) {
        ++at;
    }
    int tail = 0;
    while (tail < shorter - at && same(before[static_cast<std::size_t>(before_count - 1 - tail)],
                                       after[static_cast<std::size_t>(after_count - 1 - tail)])) {
        ++tail;
    }
    if (at == before_count && at == after_count) {
        return;
    }
    splice.changed = true;
    splice.at = at;
    splice.before.assign(before.begin() + at, before.begin() + (before_count - tail));
    splice.after.assign(after.begin() + at, after.begin() + (after_count - tail));
}

// Replaces the `from` part of the splice by its `to` part, moving the elements behind along.
template <typename Element, std::size_t n, typename Count>
void apply_splice(std::array<Element, n>& list, Count& count, const std::vector<Element>& from,
                  const std::vector<Element>& to, int at) {
    const std::size_t total = static_cast<std::size_t>(count);
    const std::size_t first = static_cast<std::size_t>(at);
    const std::size_t old_end = first + from.size();
    const std::size_t new_end = first + to.size();
    // The last slot of every list is the placement slot, which even a full list keeps.
    if (at < 0 || old_end > total || total - from.size() + to.size() > n - 1) {
        return; // not the state the change was made from: nothing is written
    }
    const std::size_t new_total = total - from.size() + to.size();
    const auto begin = list.begin();
    const auto offset = [](std::size_t i) { return static_cast<std::ptrdiff_t>(i); };
    if (new_end < old_end) {
        std::move(begin + offset(old_end), begin + offset(total), begin + offset(new_end));
    } else if (new_end > old_end) {
        std::move_backward(begin + offset(old_end), begin + offset(total),
                           begin + offset(new_total));
    }
    std::copy(to.begin(), to.end(), begin + offset(first));
    count = static_cast<Count>(new_total);
}

template <typename Element, std::size_t n, typename Count>
void apply_list(std::array<Element, n>& list, Count& count, const ListSplice<Element>& splice,
                ChangeDirection direction) {
    if (!splice.changed) {
        return;
    }
    const bool undo = direction == ChangeDirection::undo;
    apply_splice(list, count, undo ? splice.after : splice.before,
                 undo ? splice.before : splice.after, splice.at);
}

template <typename Cell, std::size_t n>
void apply_runs(std::array<Cell, n>& cells, const CellRuns<Cell>& runs, ChangeDirection direction) {
    const std::vector<Cell>& values = direction == ChangeDirection::undo ? runs.before : runs.after;
    std::size_t k = 0;
    for (std::size_t i = 0; i < runs.offset.size(); ++i) {
        const std::size_t length = runs.length[i];
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(k), length,
                    cells.begin() + runs.offset[i]);
        k += length;
    }
}

// The runs grow while they are collected; a step keeps only what it holds.
template <typename Cell>
void shrink(CellRuns<Cell>& runs) {
    runs.offset.shrink_to_fit();
    runs.length.shrink_to_fit();
    runs.before.shrink_to_fit();
    runs.after.shrink_to_fit();
}

template <typename Cell>
std::size_t runs_bytes(const CellRuns<Cell>& runs) {
    return (runs.offset.capacity() + runs.length.capacity()) * sizeof(std::uint32_t) +
           (runs.before.capacity() + runs.after.capacity()) * sizeof(Cell);
}
template <typename Element>
std::size_t splice_bytes(const ListSplice<Element>& splice) {
    return (splice.before.capacity() + splice.after.capacity()) * sizeof(Element);
}

void set_properties(Track& t, const TrackProperties& p) {
    t.world_size = p.world_size;
    t.water_level = p.water_level;
    t.view_angle = p.view_angle;
    t.rotation = p.rotation;
    t.zoom = p.zoom;
    t.sf_line = p.sf_line;
    t.author = p.author;
    t.comments = p.comments;
    t.world_scale = p.world_scale;
}

template <typename Element, std::size_t n>
bool same_list(const std::array<Element, n>& a, int a_count, const std::array<Element, n>& b,
               int b_count) {
    if (a_count != b_count) {
        return false;
    }
    for (int i = 0; i < a_count; ++i) {
        if (!same(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i)])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool TrackChange::empty() const {
    return land.empty() && heights.empty() && !objects.changed && !pits.changed &&
           !checkpoints.changed && !ai_line.changed && !ai_pit_line.changed &&
           properties == nullptr;
}

std::size_t TrackChange::bytes() const {
    return sizeof(TrackChange) + runs_bytes(land) + runs_bytes(heights) + splice_bytes(objects) +
           splice_bytes(pits) + splice_bytes(checkpoints) + splice_bytes(ai_line) +
           splice_bytes(ai_pit_line) + (properties != nullptr ? sizeof(*properties) : 0);
}

TrackProperties properties_of_track(const Track& t) {
    return TrackProperties{t.world_size, t.water_level, t.view_angle, t.rotation,   t.zoom,
                           t.sf_line,    t.author,      t.comments,   t.world_scale};
}

TrackChange compare_tracks(const Track& before, const Track& after, const ChangeHints& hints) {
    TrackChange c;
    compare_land(before, after, hints, c.land);
    if (std::memcmp(before.heights.data(), after.heights.data(), sizeof(before.heights)) != 0) {
        collect_runs(before.heights.data(), after.heights.data(), 0, height_samples, c.heights);
    }
    shrink(c.land);
    shrink(c.heights);
    compare_list(before.objects, before.object_count, after.objects, after.object_count,
                 hints.objects_from, c.objects);
    compare_list(before.pits, before.pit_count, after.pits, after.pit_count, 0, c.pits);
    compare_list(before.checkpoints, before.checkpoint_count, after.checkpoints,
                 after.checkpoint_count, 0, c.checkpoints);
    compare_list(before.ai_line, before.ai_line_count, after.ai_line, after.ai_line_count,
                 hints.ai_line_from, c.ai_line);
    compare_list(before.ai_pit_line, before.ai_pit_line_count, after.ai_pit_line,
                 after.ai_pit_line_count, 0, c.ai_pit_line);
    const TrackProperties old_properties = properties_of_track(before);
    const TrackProperties new_properties = properties_of_track(after);
    if (!same(old_properties, new_properties)) {
        c.properties = std::make_unique<std::array<TrackProperties, 2>>(
            std::array<TrackProperties, 2>{old_properties, new_properties});
    }
    return c;
}

void apply_change(Track& t, const TrackChange& c, ChangeDirection direction) {
    apply_runs(t.land, c.land, direction);
    apply_runs(t.heights, c.heights, direction);
    apply_list(t.objects, t.object_count, c.objects, direction);
    apply_list(t.pits, t.pit_count, c.pits, direction);
    apply_list(t.checkpoints, t.checkpoint_count, c.checkpoints, direction);
    apply_list(t.ai_line, t.ai_line_count, c.ai_line, direction);
    apply_list(t.ai_pit_line, t.ai_pit_line_count, c.ai_pit_line, direction);
    if (c.properties != nullptr) {
        set_properties(t, (*c.properties)[direction == ChangeDirection::undo ? 0 : 1]);
    }
}

bool same_document(const Track& a, const Track& b) {
    return a.land == b.land && a.heights == b.heights &&
           same_list(a.objects, a.object_count, b.objects, b.object_count) &&
           same_list(a.pits, a.pit_count, b.pits, b.pit_count) &&
           same_list(a.checkpoints, a.checkpoint_count, b.checkpoints, b.checkpoint_count) &&
           same_list(a.ai_line, a.ai_line_count, b.ai_line, b.ai_line_count) &&
           same_list(a.ai_pit_line, a.ai_pit_line_count, b.ai_pit_line, b.ai_pit_line_count) &&
           same(properties_of_track(a), properties_of_track(b));
}

} // namespace cs
