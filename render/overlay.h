// Wire-frame shapes drawn straight into the view image over the terrain: objects, pits,
// checkpoints, the driving lines and the number labels.
#pragma once

#include <cstdint>

namespace cs {

struct Canvas;

// Draw writes a shape's colour; erase recomputes the covered pixels from the terrain.
enum class DrawMode : std::uint8_t { erase = 0, draw = 1 };

void plot_segment(const Canvas& canvas, float x1, float y1, float x2, float y2, std::uint32_t rgb,
                  DrawMode mode);
void plot_circle(const Canvas& canvas, int cx, int cy, int r, std::uint32_t rgb, DrawMode mode);
// kind: an object kind, or pit_kind for a pit. index: the object's list index, or -1.
void draw_object(const Canvas& canvas, float x, float y, float angle, std::uint8_t kind,
                 DrawMode mode, int index);
// How far from its centre the drawing of an object of this kind (or pit_kind) reaches, in
// pixels, at this world scale: nothing it draws lies farther away.
float object_reach(std::uint8_t kind, float scale);
void draw_checkpoint(const Canvas& canvas, float x1, float y1, float x2, float y2, DrawMode mode,
                     int index);
void draw_ai_lines(const Canvas& canvas);
// The pieces of the driving lines, as draw_ai_lines draws them: segment i of the AI line
// joins points i - 1 and i, in this colour; the closing segment joins the last point to
// point 0.
inline constexpr std::uint32_t ai_line_rgb = 0xFFFF00;
void draw_ai_segment(const Canvas& canvas, int i);
void draw_ai_closing_segment(const Canvas& canvas);
void draw_pit_line_segment(const Canvas& canvas, int j);
// Pits, objects, checkpoints in list order, then the driving lines; no repaint.
void redraw_overlays(const Canvas& canvas);
// The object of the list from index first on nearest to (x, y), as a walk over the list in
// order finds it: the lower index on a tie, and none 1000 units away or farther.
struct NearObject {
    int index = -1;
    float distance = 1000.0f;
};
// Looks the nearest object up by where the objects stand, when the overlay index is up to
// date (else false, and the caller walks the list). The answer is exact whenever the
// nearest object lies within reach; otherwise it is some object farther than reach, or none.
bool find_object_near(const Canvas& canvas, float x, float y, float reach, int first,
                      NearObject& near);
// The track's elements were changed other than through the editing operations (a direct
// write, as tests and benchmarks do): the next pass redraws every overlay.
void invalidate_overlays(const Canvas& canvas);

} // namespace cs
