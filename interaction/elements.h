// Placing and deleting the track's elements with the mouse: objects and pits hang on the
// pointer as pending elements until a left release commits them; a checkpoint is drawn
// from the press to the release. Also delete-object mode and the "Delete pit" and
// "Delete checkpoint" buttons.
#pragma once

#include <cstdint>

#include "interaction/placement_edit.h"
#include "model/track.h"

namespace cs {

struct PlacementEdit;

// Deletion radius of an object kind in world units: a click within radius x world scale
// of an object can delete it. 0 for kinds that have no table entry.
constexpr float deletion_radius_factor(std::uint8_t kind) {
    switch (kind) {
    case concrete_wall:
    case soft_wall:
    case hay_bale:
    case traffic_sign:
    case light:
    case stone:
    case sunk_tyre:
    case booth:
    case pier:
    case cactus:
    case concrete_post:
        return 2.0f;
    case bush:
    case boat:
    case fence:
        return 3.0f;
    case leaf_tree:
    case house:
    case fir_tree:
        return 4.0f;
    case palm_tree:
    case stand:
    case pine_tree:
    case gate:
        return 5.0f;
    case office_block:
    case bridge:
    case flat_bridge:
        return 6.0f;
    default:
        return 0.0f;
    }
}

// The largest of them: no click farther from an object than this x world scale deletes it.
inline constexpr float largest_deletion_radius_factor = 6.0f;
static_assert([] {
    for (int kind = 0; kind < 256; ++kind) {
        if (deletion_radius_factor(static_cast<std::uint8_t>(kind)) >
            largest_deletion_radius_factor) {
            return false;
        }
    }
    return true;
}());

// Every move with the Object or Pit tool: with the right button held the pending element
// turns to face the cursor, otherwise it follows it.
void pending_object_move(const PlacementEdit& edit, float x, float y, bool right_held);
void pending_pit_move(const PlacementEdit& edit, float x, float y, bool right_held);

// Left release with the Object or Pit tool.
void object_commit(const PlacementEdit& edit, float x, float y);
void pit_commit(const PlacementEdit& edit, float x, float y);

// The Checkpoint tool: press, drag and release with the left button.
void checkpoint_start(const PlacementEdit& edit, float x, float y);
void checkpoint_drag(const PlacementEdit& edit, float x, float y);
void checkpoint_commit(const PlacementEdit& edit, float x, float y);

// A release in delete-object mode: removes the object nearest to (x, y), if it lies
// within that object's deletion radius. Start positions are never deleted.
void delete_object_at(const PlacementEdit& edit, float x, float y);
void set_delete_object_mode(const PlacementEdit& edit, bool on);

// "Delete pit" and "Delete checkpoint": remove the last element of the list.
void delete_last_pit(const PlacementEdit& edit);
void delete_last_checkpoint(const PlacementEdit& edit);

} // namespace cs
