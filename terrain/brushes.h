// The shapes the surface tools paint: discs, straight strokes and the oil splash.
#pragma once

#include <cstdint>

namespace cs {

struct TerrainEdit;

// A disc of radius r: core, a rim 3 cells wide inside the border, an edge band 3 cells
// wide outside it.
void paint_disc(const TerrainEdit& edit, float cx, float cy, int brush_type, float r,
                std::uint8_t secondary);
// A band of half-width w from (x1, y1) to (x2, y2) with square ends.
void paint_stroke(const TerrainEdit& edit, float x1, float y1, float x2, float y2, int brush_type,
                  float w, std::uint8_t secondary);
// Oil on road cells in a disc of radius r, and in eight satellites pushed downhill.
void oil_splash(const TerrainEdit& edit, float cx, float cy, float r);

} // namespace cs
