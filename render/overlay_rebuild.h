// The rebuild of the overlay cache: every element drawn afresh, the cover, counts, boxes and
// tile lists made from nothing, and the image from the cover.
#pragma once

namespace cs {

struct Canvas;
struct CoverLevel;

// Draws every overlay and builds the cache from nothing (the next pass repairs from it). The
// boxes of the elements and the tile lists are made by complete_index.
void rebuild_overlays(const Canvas& canvas);
// Makes the boxes and tile lists of the last rebuild, unless made already: before anything
// reads them.
void complete_index(const Canvas& canvas);
// The pixels of a tile as a level of the cover leaves them: its colour, the terrain, or
// (untouched) the image as it is.
void show_cover_tile(const Canvas& canvas, const CoverLevel& level, int tile);

} // namespace cs
