// The panel's tool commands: the tool radio buttons, the object kind, the sliders; and the
// one-level terrain undo with its buttons.
#pragma once

#include <array>
#include <cstdint>

#include "model/tools.h"
#include "model/track.h"

namespace cs {

struct UndoState {
    std::array<std::uint8_t, land_cells> land{};
    std::array<std::uint16_t, height_samples> heights{};
    // Whether each copy holds a snapshot that has not been restored or discarded: exactly
    // while its undo button is enabled. An undo without one does nothing.
    bool land_armed = false;
    bool heights_armed = false;
};

struct Editor;

// A tool radio button: makes tool (a cs::Tool, 0..17) current and switches on the overlay
// that the placement tools work on if it is hidden. Numbers outside 0..17 are ignored.
void select_tool(Editor& editor, int tool);

// The object-kind list: selects the Object tool (moving the radio button's check), shows
// the objects, and gives the pending object the chosen kind.
void select_object_kind(Editor& editor, std::uint8_t kind);

// The sliders, on release. Brush size = position * 5 (positions 1..10), rope length =
// position * 10 (0..10); positions outside the slider's range are taken as its nearest end.
void set_brush_size(Editor& editor, int position);
void set_rope_length(Editor& editor, int position);

// The "hmap/land" slider: the weight of the surface colour, 0..10; redraws everything.
void set_image_blend(Editor& editor, int position);

// Copy the land map, resp. the height grid, into its undo buffer and enable its button.
void snapshot_land(Editor& editor);
void snapshot_heights(Editor& editor);

// "Land Undo", resp. "HMap undo": restore the layer from its undo buffer, redraw
// everything and disable the button. The buffer keeps the copy.
void undo_land(Editor& editor);
void undo_heights(Editor& editor);

// The "Flatten" button: takes the height snapshot, sets every sample to 32896 and redraws
// everything.
void flatten_heights(Editor& editor);

} // namespace cs
