#include "interaction/ai_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "interaction/placement_edit.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

constexpr std::uint32_t ai_line_colour = 0xFFFF00;
constexpr std::uint32_t closing_colour = 0xFF0000;
constexpr std::uint32_t pit_line_colour = 0xFF00FF;

bool in_map(float x, float y) {
    return x >= 0.0f && x < static_cast<float>(map_size) && y >= 0.0f &&
           y < static_cast<float>(map_size);
}

float distance(float x1, float y1, float x2, float y2) {
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

// The points of one driving line and its count, which the two lines keep in counters of
// different widths.
struct LineAccess {
    LinePoint* points;
    int count;
    int limit;
    int delete_button;
};

LineAccess access(Track& track, DrivingLine line) {
    if (line == DrivingLine::ai_line) {
        return {track.ai_line.data(), track.ai_line_count, max_ai_line, id::delete_ai_line};
    }
    return {track.ai_pit_line.data(), track.ai_pit_line_count, max_ai_pit_line,
            id::delete_ai_pit_line};
}

void store_count(Track& track, DrivingLine line, int count) {
    if (line == DrivingLine::ai_line) {
        track.ai_line_count = static_cast<std::uint16_t>(count);
    } else {
        track.ai_pit_line_count = static_cast<std::uint8_t>(count);
    }
}

void erase_segment(const PlacementEdit& edit, const LinePoint& a, const LinePoint& b,
                   std::uint32_t rgb) {
    plot_segment(edit.canvas, a.x, a.y, b.x, b.y, rgb, DrawMode::erase);
}

// The red segment that closes the AI line from its last point back to point 0.
void erase_closing_segment(const PlacementEdit& edit) {
    const Track& t = edit.track;
    if (t.ai_line_count >= 3) {
        erase_segment(edit, t.ai_line[t.ai_line_count - 1], t.ai_line[0], closing_colour);
    }
}

} // namespace

float point_spacing(const Track& track) {
    return world_scale_for(track.world_size) * 5.0f;
}

int add_points_toward(const PlacementEdit& edit, DrivingLine line, float tx, float ty, float d) {
    LineAccess l = access(edit.track, line);
    if (l.count == 0) {
        return 0;
    }
    const float s = point_spacing(edit.track);
    int added = 0;
    while (d > s && l.count < l.limit) {
        const LinePoint last = l.points[l.count - 1];
        const float span = distance(last.x, last.y, tx, ty);
        // Rounding may bring the line onto the target before d runs out; there is no
        // direction left to go then.
        if (!(span > 0.0f)) {
            break;
        }
        if (line == DrivingLine::ai_line) {
            // The closing segment will start at the new point; redraw_overlays draws it.
            erase_closing_segment(edit);
        }
        l.points[l.count] =
            LinePoint{last.x + (tx - last.x) * s / span, last.y + (ty - last.y) * s / span};
        ++l.count;
        store_count(edit.track, line, l.count);
        ++added;
        d -= s;
    }
    return added;
}

void ai_line_press(const PlacementEdit& edit, DrivingLine line, float x, float y) {
    if (!in_map(x, y)) {
        return;
    }
    edit.host.show_ai_line();
    LineAccess l = access(edit.track, line);
    if (l.count == 0) {
        l.points[0] = LinePoint{x, y};
        store_count(edit.track, line, 1);
        edit.host.set_control_enabled(l.delete_button, true);
    } else {
        const LinePoint last = l.points[l.count - 1];
        const float rope = static_cast<float>(edit.tools.rope_length);
        add_points_toward(edit, line, x, y, distance(x, y, last.x, last.y) - rope);
    }
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
}

void ai_line_drag(const PlacementEdit& edit, DrivingLine line, float x, float y) {
    const LineAccess l = access(edit.track, line);
    if (l.count == 0) {
        return;
    }
    const LinePoint last = l.points[l.count - 1];
    const float rope = static_cast<float>(edit.tools.rope_length);
    const float e = distance(last.x, last.y, x, y);
    if (!(e > rope)) {
        return;
    }
    // The rope's end: rope length short of the cursor on the way to the line's end.
    const float px = x + (last.x - x) * rope / e;
    const float py = y + (last.y - y) * rope / e;
    if (!in_map(px, py)) {
        return;
    }
    add_points_toward(edit, line, px, py, distance(px, py, last.x, last.y));
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
}

namespace {

// Removes the last point of a line; a line never keeps a single point, so one of two is
// cleared in one step. The erased segments are repaired by the overlay redraw.
void delete_last_point(const PlacementEdit& edit, DrivingLine line, std::uint32_t rgb) {
    const LineAccess l = access(edit.track, line);
    if (l.count == 0) {
        return;
    }
    if (line == DrivingLine::ai_line) {
        erase_closing_segment(edit);
    }
    int count = l.count - 1;
    if (count != 0) {
        erase_segment(edit, l.points[count - 1], l.points[count], rgb);
    }
    if (count <= 1) {
        count = 0;
        edit.host.set_control_enabled(l.delete_button, false);
    }
    store_count(edit.track, line, count);
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
}

} // namespace

void delete_last_ai_line_point(const PlacementEdit& edit) {
    delete_last_point(edit, DrivingLine::ai_line, ai_line_colour);
}

void delete_last_ai_pit_line_point(const PlacementEdit& edit) {
    delete_last_point(edit, DrivingLine::ai_pit_line, pit_line_colour);
}

void rotate_ai_line(const PlacementEdit& edit, int k) {
    Track& t = edit.track;
    const int n = t.ai_line_count;
    if (n < 3 || k == 0) {
        return;
    }
    // Point i goes to (i + k) mod n: the last `shift` points come to the front.
    const int shift = ((k % n) + n) % n;
    auto first = t.ai_line.begin();
    std::rotate(first, first + (n - shift) % n, first + n);
    edit.hints.ai_line(0);
    note_ai_line_reordered(edit.canvas);
    draw_ai_lines(edit.canvas);
    edit.host.request_repaint(false);
}

} // namespace cs
