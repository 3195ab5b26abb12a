// The height tools: raise or lower the height grid under a bell-shaped brush, pull it
// toward its weighted mean, or set it flat.
#pragma once

namespace cs {

struct TerrainEdit;

// Adds amount, falling off from 0.8 of it at the centre to nothing at the rim, to every
// sample within brush / 2 samples of the map position (x, y). A sample that would leave
// 0..65535 keeps its value. Recomputes the pixels the change can reach and redraws the
// overlays; the caller asks for the repaint.
void adjust_heights(const TerrainEdit& edit, float x, float y, float amount, float brush);

// Moves every sample within brush / 2 samples of (x, y) toward the disc's weighted mean,
// by strength at the centre and not at all at the rim. Recomputes the pixels the change can
// reach and redraws the overlays; the caller asks for the repaint.
void smooth_heights(const TerrainEdit& edit, float x, float y, float strength, float brush);

} // namespace cs
