#include "interaction/elements.h"

#include <cmath>
#include <numbers>

#include "interaction/placement_edit.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

constexpr float pi = std::numbers::pi_v<float>;

bool in_map(float x, float y) {
    return x >= 0.0f && x < static_cast<float>(map_size) && y >= 0.0f &&
           y < static_cast<float>(map_size);
}

// The direction from an element toward (dx, dy) away, in 0..2pi, turning from +x toward
// +y.
float facing_angle(float dx, float dy) {
    float angle;
    if (dx > 0.0f) {
        angle = std::atan(dy / dx);
    } else if (dx < 0.0f) {
        angle = std::atan(dy / dx) + pi;
    } else {
        angle = dy > 0.0f ? pi / 2.0f : 3.0f * pi / 2.0f;
    }
    if (angle < 0.0f) {
        angle += 2.0f * pi;
    }
    return angle;
}

// The shared move of the pending object and the pending pit. The redraw repairs whatever
// the erase took from other shapes; the pending element goes on top.
void move_pending(const PlacementEdit& edit, float& x, float& y, float& angle, std::uint8_t kind,
                  float cx, float cy, bool right_held) {
    draw_object(edit.canvas, x, y, angle, kind, DrawMode::erase, -1);
    if (right_held) {
        const float dx = cx - x;
        const float dy = cy - y;
        // Close to the element the direction is too unsteady to follow.
        if (dx * dx + dy * dy > 25.0f) {
            angle = facing_angle(dx, dy);
        }
    } else {
        x = cx;
        y = cy;
    }
    redraw_overlays(edit.canvas);
    draw_object(edit.canvas, x, y, angle, kind, DrawMode::draw, -1);
    edit.host.request_repaint(true);
}

void erase_pending_checkpoint(const PlacementEdit& edit) {
    const Checkpoint& c = edit.track.checkpoints[edit.track.checkpoint_count];
    draw_checkpoint(edit.canvas, c.x1, c.y1, c.x2, c.y2, DrawMode::erase, -1);
}

float clamp_to_map(float v) {
    if (v < 0.0f) {
        return 0.0f;
    }
    if (v > 511.0f) {
        return 511.0f;
    }
    return v;
}

} // namespace

void pending_object_move(const PlacementEdit& edit, float x, float y, bool right_held) {
    Object& o = edit.track.objects[edit.track.object_count];
    move_pending(edit, o.x, o.y, o.angle, o.kind, x, y, right_held);
}

void pending_pit_move(const PlacementEdit& edit, float x, float y, bool right_held) {
    Track& t = edit.track;
    if (t.pit_count >= max_pits) {
        return; // no pending pit while the list is full
    }
    Pit& p = t.pits[t.pit_count];
    move_pending(edit, p.x, p.y, p.angle, pit_kind, x, y, right_held);
}

void object_commit(const PlacementEdit& edit, float x, float y) {
    Track& t = edit.track;
    const int count = t.object_count;
    const Object pending = t.objects[count];
    if (!in_map(x, y)) {
        edit.host.request_repaint(true);
        return;
    }
    // A Start replaces the oldest of the six start positions; the list keeps its length.
    // A list without all six (possible in a loaded file) takes it as a new object instead,
    // since rotating would run into the placement slot.
    if (pending.kind == start && count >= start_positions) {
        const Object& oldest = t.objects[0];
        draw_object(edit.canvas, oldest.x, oldest.y, oldest.angle, oldest.kind, DrawMode::erase, 0);
        edit.hints.objects(0);
        note_objects_changed(edit.canvas, 0, start_positions - 1);
        for (int i = 0; i + 1 < start_positions; ++i) {
            t.objects[i].x = t.objects[i + 1].x;
            t.objects[i].y = t.objects[i + 1].y;
            t.objects[i].angle = t.objects[i + 1].angle;
        }
        Object& newest = t.objects[start_positions - 1];
        newest.x = x;
        newest.y = y;
        newest.angle = pending.angle;
        // Every start position has a new number now.
        redraw_overlays(edit.canvas);
        edit.host.request_repaint(true);
        return;
    }
    if (count < max_objects) {
        t.object_count = static_cast<std::uint16_t>(count + 1);
        t.objects[count + 1] = Object{x, y, pending.angle, edit.tools.object_kind};
    }
    edit.host.request_repaint(true);
}

void pit_commit(const PlacementEdit& edit, float x, float y) {
    Track& t = edit.track;
    const int count = t.pit_count;
    if (count < max_pits && in_map(x, y)) {
        t.pits[count + 1] = Pit{x, y, t.pits[count].angle};
        t.pit_count = static_cast<std::uint8_t>(count + 1);
        edit.host.set_control_enabled(id::delete_pit, true);
    }
    edit.host.request_repaint(true);
}

void checkpoint_start(const PlacementEdit& edit, float x, float y) {
    edit.track.checkpoints[edit.track.checkpoint_count] = Checkpoint{x, y, x, y};
    edit.host.show_checkpoints();
}

void checkpoint_drag(const PlacementEdit& edit, float x, float y) {
    Track& t = edit.track;
    erase_pending_checkpoint(edit);
    Checkpoint& c = t.checkpoints[t.checkpoint_count];
    c.x2 = x;
    c.y2 = y;
    // Drawn with the number it will get.
    draw_checkpoint(edit.canvas, c.x1, c.y1, c.x2, c.y2, DrawMode::draw, t.checkpoint_count);
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(true);
}

void checkpoint_commit(const PlacementEdit& edit, float x, float y) {
    Track& t = edit.track;
    Checkpoint& c = t.checkpoints[t.checkpoint_count];
    const float dx = x - c.x1;
    const float dy = y - c.y1;
    // The length is judged where the user let go, before the end is pulled into the map.
    if (dx * dx + dy * dy < 100.0f || t.checkpoint_count >= max_checkpoints) {
        erase_pending_checkpoint(edit);
        // The erase may have cut through other shapes.
        redraw_overlays(edit.canvas);
        edit.host.request_repaint(true);
        return;
    }
    // The last drag drew the checkpoint to where the pointer was then; the release may
    // come from elsewhere, so that shape is taken back and the committed one drawn.
    erase_pending_checkpoint(edit);
    c.x2 = clamp_to_map(x);
    c.y2 = clamp_to_map(y);
    t.checkpoint_count = static_cast<std::uint8_t>(t.checkpoint_count + 1);
    edit.host.set_control_enabled(id::delete_checkpoint, true);
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(true);
}

void delete_object_at(const PlacementEdit& edit, float x, float y) {
    Track& t = edit.track;
    const int count = t.object_count;
    // No object reaches farther than the largest deletion radius, so only the objects that
    // stand that near can be the one deleted.
    const float reach = largest_deletion_radius_factor * world_scale_for(t.world_size);
    NearObject near;
    if (!find_object_near(edit.canvas, x, y, reach, start_positions, near)) {
        for (int i = start_positions; i < count; ++i) {
            const float dx = t.objects[i].x - x;
            const float dy = t.objects[i].y - y;
            const float dist = std::sqrt(dx * dx + dy * dy);
            if (dist < near.distance) { // ties keep the lower index
                near = NearObject{i, dist};
            }
        }
    }
    const int found = near.index;
    const float best = near.distance;
    if (found < 0) {
        return;
    }
    const Object target = t.objects[found];
    const float radius = deletion_radius_factor(target.kind) * world_scale_for(t.world_size);
    if (best > radius) {
        return;
    }
    const Object pending = t.objects[count];
    draw_object(edit.canvas, pending.x, pending.y, pending.angle, pending.kind, DrawMode::erase,
                -1);
    draw_object(edit.canvas, target.x, target.y, target.angle, target.kind, DrawMode::erase, found);
    edit.hints.objects(found);
    note_object_removed(edit.canvas, found);
    for (int i = found; i + 1 < count; ++i) {
        t.objects[i] = t.objects[i + 1];
    }
    t.object_count = static_cast<std::uint16_t>(count - 1);
    // The placement slot keeps its orientation and the selected kind; its position is
    // that of the former last object until the next move.
    Object& slot = t.objects[count - 1];
    slot.angle = pending.angle;
    slot.kind = edit.tools.object_kind;
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
}

void set_delete_object_mode(const PlacementEdit& edit, bool on) {
    edit.elements.delete_object_mode = on;
}

void delete_last_pit(const PlacementEdit& edit) {
    Track& t = edit.track;
    if (t.pit_count == 0) {
        return;
    }
    const Pit pending = t.pits[t.pit_count];
    draw_object(edit.canvas, pending.x, pending.y, pending.angle, pit_kind, DrawMode::erase, -1);
    t.pit_count = static_cast<std::uint8_t>(t.pit_count - 1);
    Pit& last = t.pits[t.pit_count];
    draw_object(edit.canvas, last.x, last.y, last.angle, pit_kind, DrawMode::erase, -1);
    last.angle = pending.angle;
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
    if (t.pit_count == 0) {
        edit.host.set_control_enabled(id::delete_pit, false);
    }
}

void delete_last_checkpoint(const PlacementEdit& edit) {
    Track& t = edit.track;
    if (t.checkpoint_count == 0) {
        return;
    }
    erase_pending_checkpoint(edit);
    t.checkpoint_count = static_cast<std::uint8_t>(t.checkpoint_count - 1);
    erase_pending_checkpoint(edit); // the former last checkpoint, now in the slot
    redraw_overlays(edit.canvas);
    edit.host.request_repaint(false);
    if (t.checkpoint_count == 0) {
        edit.host.set_control_enabled(id::delete_checkpoint, false);
    }
}

} // namespace cs
