// The small built-in bitmap font of the start and checkpoint numbers. It is part of the
// core so that the view image comes out the same on every platform.
#pragma once

#include <string_view>

namespace cs {

struct Canvas;

struct TextSize {
    int width = 0;
    int height = 0;
};

TextSize measure_label(std::string_view text);
// Draws text in white with its top-left corner at (left, top); only glyph pixels change,
// and pixels outside the image are skipped.
void draw_label(const Canvas& canvas, int left, int top, std::string_view text);

} // namespace cs
