// Editing state that is not part of the track: the tool, the object kind it places, the
// brush size, the rope length and the image blend; and the one-level terrain undo.
#pragma once

#include <array>
#include <cstdint>

#include "model/track.h"

namespace cs {

struct ToolState {
    int current_tool = 0; // 0..17: tool radio button ID - 1008
    std::uint8_t object_kind = 0;
    int brush_size = 15; // 5..50
    int rope_length = 0; // 0..100
    int image_blend = 5; // 0..10: weight of the surface colour
};

struct UndoState {
    std::array<std::uint8_t, land_cells> land{};
    std::array<std::uint16_t, height_samples> heights{};
};

struct Editor;

// The "hmap/land" slider: the weight of the surface colour, 0..10; redraws everything.
void set_image_blend(Editor& editor, int position);

} // namespace cs
