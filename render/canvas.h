// What the view image is drawn from and into: the track, the renderer's images and overlay
// cache, which overlays the view shows and the weight of the surface colour. The drawing
// operations take it instead of the whole editor, which makes one from its records.
//
// A Canvas is a bundle of references: passing it as const keeps the bundle fixed, not what
// it refers to.
#pragma once

#include "model/track.h"
#include "render/terrain_image.h"
#include "render/view.h"

namespace cs {

struct Canvas {
    // Not const: to take an element back, the overlay pass swaps in for a moment what the
    // element was drawn from. Each drawing leaves the track as it found it.
    Track& track;
    Renderer& renderer;
    const ViewState& view;
    int image_blend = 5; // 0..10: the weight of the surface colour (the "hmap/land" slider)
};

} // namespace cs
