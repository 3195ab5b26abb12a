#include "render/label_font.h"

#include "render/overlay_cache.h"

#include <array>
#include <cstdint>

#include "render/canvas.h"

namespace cs {

namespace {

// Every glyph is 5 pixels wide and 7 high and sits one row below the top of a 9-row line,
// so a label's box has a blank row above and below the digits. Glyphs advance by 6 pixels
// (one blank column between two of them); the blank column after the last glyph is not
// part of the measured width, so a label's box is centred on its digits.
constexpr int glyph_width = 5;
constexpr int glyph_height = 7;
constexpr int glyph_top = 1;
constexpr int advance = glyph_width + 1;
constexpr int line_height = glyph_height + 2;

using Glyph = std::array<std::uint8_t, glyph_height>; // one byte per row, bit 4 = left column

// Digits '0' to '9'.
constexpr std::array<Glyph, 10> digits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, // 9
}};

constexpr Pixel white = pixel_of(0xFFFFFF);

} // namespace

TextSize measure_label(std::string_view text) {
    const int width = text.empty() ? 0 : static_cast<int>(text.size()) * advance - 1;
    return TextSize{width, line_height};
}

void draw_label(const Canvas& canvas, int left, int top, std::string_view text) {
    // 64-bit positions: a label placed near the edge of the int range must neither wrap
    // around into the image nor overflow.
    long long glyph_left = left;
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            const Glyph& glyph = digits[static_cast<std::size_t>(ch - '0')];
            for (int row = 0; row < glyph_height; ++row) {
                const long long y = static_cast<long long>(top) + glyph_top + row;
                if (y < 0 || y >= image_size) {
                    continue;
                }
                for (int col = 0; col < glyph_width; ++col) {
                    const long long x = glyph_left + col;
                    if ((glyph[row] >> (glyph_width - 1 - col) & 1) != 0 && x >= 0 &&
                        x < image_size) {
                        overlay_put(canvas, static_cast<int>(x), static_cast<int>(y), white);
                    }
                }
            }
        }
        // A character without a glyph leaves a blank cell of the same width.
        glyph_left += advance;
    }
}

} // namespace cs
