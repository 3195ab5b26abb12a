// The per-cell rules by which surface kinds overwrite each other, and what each brush
// type paints.
#pragma once

#include <cstdint>
#include <optional>

namespace cs {

struct TerrainEdit;

// Writes kind into cell (x, y), both 0..511, unless the kind already there is protected
// against it; a written cell has its pixel recomputed.
void paint_cell(const TerrainEdit& edit, int x, int y, std::uint8_t kind, std::uint8_t secondary);
// The rule for a cell just outside a painted shape whose inner kind is kind: Grass and
// Snow turn into their edge kinds, road cells get a white border.
void edge_cell(const TerrainEdit& edit, int x, int y, int kind, std::uint8_t secondary);

struct BrushKinds {
    std::uint8_t inner;     // the core of the shape
    std::uint8_t ring;      // the rim just inside its border
    std::uint8_t secondary; // the flag the cell rules see
};

// What a brush type paints with the given secondary flag; nothing for types that no
// brush paints (tools 9 to 16).
std::optional<BrushKinds> brush_kinds(int brush_type, std::uint8_t secondary);

} // namespace cs
