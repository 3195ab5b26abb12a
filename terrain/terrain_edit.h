// What a terrain edit writes: the track's land map or height grid, the rows it tells the
// edit history about, and the view image it redraws. The editor makes one from its records.
//
// A bundle of references, like Canvas: passing it as const keeps the bundle fixed, not
// what it refers to.
#pragma once

#include "model/track.h"
#include "model/track_change.h"
#include "render/canvas.h"

namespace cs {

struct TerrainEdit {
    Track& track; // the one canvas draws from
    ChangeHints& hints;
    Canvas canvas;
};

} // namespace cs
