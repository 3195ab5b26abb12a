// The colour of each surface kind as the land bitmap files carry it (#RRGGBB, kind 0
// first). The view draws the surfaces in the same colours, so an exported map looks in an
// image editor as it looks in the editor.
#pragma once

#include <array>
#include <cstdint>

namespace cs {

inline constexpr std::array<std::uint32_t, 16> land_rgb = {
    0xA0A0A0, // Tarmac
    0xB4B4B4, // Tarmac2
    0x90DC60, // Grass
    0xBEC880, // grass edge
    0x968C64, // Mud
    0xBEB4A0, // Gravel
    0xF0DCD2, // Sand
    0xF6FBFE, // Snow
    0xDCE7F0, // snow edge
    0xFFFFFF, // White line
    0xFFFF00, // Yellow line
    0xFF0000, // Kerb
    0x3F3F3F, // Oil
    0x000000, 0x000000, 0x000000,
};

} // namespace cs
