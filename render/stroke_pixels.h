// One pixel of an overlay shape, drawn or erased: the way the labels and the strokes write.
#pragma once

#include "render/overlay.h"

namespace cs {

struct Canvas;
struct Pixel;

// Draws or erases one pixel; positions outside the image are skipped. 64-bit so that
// callers can add offsets to saturated positions without overflow. Outside the overlay
// pass's bookkeeping the pixel goes straight to the image.
void plot(const Canvas& canvas, long long x, long long y, Pixel colour, DrawMode mode);

} // namespace cs
