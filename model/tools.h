// The editing state that is not part of the track: the tool in use and the settings the
// panel gives it. The tools are numbered as their radio buttons (ID - 1008).
#pragma once

#include <cstdint>

namespace cs {

// Tool numbers (tool radio button ID - 1008).
enum Tool : int {
    tarmac_tool = 0,
    tarmac2_tool = 1,
    grass_tool = 2,
    gravel_tool = 3,
    sand_tool = 4,
    snow_tool = 5,
    white_line_tool = 6,
    yellow_line_tool = 7,
    kerb_tool = 8,
    oil_tool = 9,
    hmap_adjust_tool = 10,
    object_tool = 11,
    checkpoint_tool = 12,
    ai_line_tool = 13,
    ai_pit_line_tool = 14,
    pit_tool = 15,
    hmap_smooth_tool = 16,
    mud_tool = 17,
};
inline constexpr int tool_count = 18;

struct ToolState {
    int current_tool = 0; // 0..17: tool radio button ID - 1008
    std::uint8_t object_kind = 0;
    int brush_size = 15; // 5..50
    int rope_length = 0; // 0..100
    int image_blend = 5; // 0..10: weight of the surface colour
};

// The track properties that the properties dialog's sliders set.
enum class TrackProperty : std::uint8_t { water_level, view_angle, rotation, zoom, world_size };

} // namespace cs
