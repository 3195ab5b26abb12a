// The rebuild of the overlay cache: every element drawn afresh, the cover, counts, boxes and
// tile lists made from nothing, and the image from the cover.
#pragma once

namespace cs {

struct Canvas;
struct CoverLevel;

// Draws every overlay and builds the cache from nothing (the next pass repairs from it).
void rebuild_overlays(const Canvas& canvas);
// The pixels of a tile as a level of the cover leaves them: its colour, the terrain, or
// (untouched) the image as it is.
void show_cover_tile(const Canvas& canvas, const CoverLevel& level, int tile);

} // namespace cs
