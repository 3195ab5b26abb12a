// What changed from one track to another, in the terms of the editor's user: the
// properties, the land cells and height samples, and the elements of each list.
// `coursesmith-cli diff` prints it and marks it on the view of the newer track.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/track.h"

namespace cs {

struct Renderer;

// A property with its value before and after, as text ("S/F line": "yes" -> "no").
struct PropertyChange {
    std::string_view name;
    std::string before;
    std::string after;
};

enum class ElementList : std::uint8_t { objects, pits, checkpoints, ai_line, ai_pit_line };
inline constexpr int element_list_count = 5;

// An element of any list: an object uses x, y, angle and kind; a pit x, y and angle; a
// checkpoint both ends; a point of a driving line x and y.
struct ListElement {
    float x = 0, y = 0, x2 = 0, y2 = 0, angle = 0;
    int kind = 0;
};

enum class ElementEdit : std::uint8_t { added, removed, changed };

struct ElementChange {
    ElementList list = ElementList::objects;
    ElementEdit edit = ElementEdit::changed;
    int index = 0;      // from 0: in the older track for a removed element, else in the newer
    ListElement before; // changed and removed elements
    ListElement after;  // changed and added elements
};

// Lists are matched by position: the elements equal at the start of both lists and those
// equal at their end are the same elements; between them the elements are paired in order,
// and those left over were removed from the older list or added to the newer one. So a
// deletion or insertion anywhere in a list shows as that one element.
struct TrackDiff {
    std::vector<PropertyChange> properties;
    std::vector<std::uint32_t> land;    // changed cells (y * 512 + x), ascending
    std::vector<std::uint32_t> heights; // changed samples (row * 64 + column), ascending
    std::array<int, element_list_count> count_before{};
    std::array<int, element_list_count> count_after{};
    std::vector<ElementChange> elements; // list by list, each by ascending index
    float scale_before = 0;              // the world scales, for the size of the marks
    float scale_after = 0;

    bool empty() const {
        return properties.empty() && land.empty() && heights.empty() && elements.empty();
    }
};

// What differs from `before` to `after`; the track length, the world scale and the
// placement slots are left out (they follow from the rest or belong to no document).
TrackDiff diff_tracks(const Track& before, const Track& after);

// One line per change; at most max_listed_changes lines per element list, the rest counted.
inline constexpr int max_listed_changes = 20;
std::string describe_diff(const TrackDiff& diff);

// The colour of the marks that the view of the newer track gets.
inline constexpr std::uint32_t diff_mark_rgb = 0xFF00FF; // magenta

// Marks the changes on the view image of the newer track: each changed land cell tinted
// half magenta and the rectangle they lie in framed two pixels outside; each changed height
// sample a 3 x 3 dot where it lies and their rectangle framed likewise; a double circle
// around each changed element, where it is now (where it was, for a removed one).
void mark_diff(Renderer& renderer, const TrackDiff& diff);

// The view of `after` as `render` draws it, with the marks, as a PNG written to path
// ("-": standard output). False with the system's reason when it cannot be written.
bool write_diff_png(const Track& after, const TrackDiff& diff, const std::string& path,
                    std::error_code& reason);

} // namespace cs
