#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "render/label_font.h"

namespace cs {
namespace {

constexpr Pixel background{1, 2, 3, 0};
constexpr Pixel white = pixel_of(0xFFFFFF);

// An image to draw on, without an editor around it.
struct Sheet {
    std::unique_ptr<Track> track = std::make_unique<Track>();
    Renderer renderer;
    ViewState view;
    Canvas canvas{*track, renderer, view};
    Sheet() {
        renderer.image = std::make_unique<Pixel[]>(image_size * image_size);
        clear();
    }
    void clear() { std::fill_n(renderer.image.get(), image_size * image_size, background); }
    const Pixel& at(int x, int y) const { return renderer.at(x, y); }
    std::vector<Pixel> image() const {
        const Pixel* p = renderer.image.get();
        return {p, p + image_size * image_size};
    }
    // The pixels that differ from the background, as (x, y) pairs relative to (dx, dy).
    std::set<std::pair<int, int>> ink(int dx = 0, int dy = 0) const {
        static const std::vector<Pixel> plain_row(image_size, background);
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < image_size; ++y) {
            if (std::memcmp(&at(0, y), plain_row.data(), image_size * sizeof(Pixel)) == 0) {
                continue;
            }
            for (int x = 0; x < image_size; ++x) {
                if (!(at(x, y) == background)) {
                    s.emplace(x - dx, y - dy);
                }
            }
        }
        return s;
    }
};

TEST(LabelFont, WidthGrowsWithTheDigitsAndHeightIsFixed) {
    const TextSize one = measure_label("1");
    const TextSize eight = measure_label("8");
    EXPECT_GT(one.width, 0);
    EXPECT_GE(one.height, 8);
    EXPECT_LE(one.height, 10);
    // Every digit is as wide as every other, so the widest labels are "8", "88", "888".
    for (const char* text : {"0", "1", "7", "9"}) {
        EXPECT_EQ(measure_label(text).width, eight.width) << text;
    }
    EXPECT_EQ(measure_label("255").width, measure_label("888").width);
    EXPECT_GT(measure_label("10").width, 2 * eight.width);
    EXPECT_EQ(measure_label("888").height, eight.height);
    EXPECT_EQ(measure_label("").width, 0);
}

TEST(LabelFont, GlyphsAreWhiteAndStayInsideTheMeasuredBox) {
    Sheet c;
    std::vector<std::string> labels;
    for (int n = 0; n <= 255; ++n) {
        labels.push_back(std::to_string(n));
    }
    labels.emplace_back("888");
    const TextSize widest = measure_label("888");
    for (const std::string& text : labels) {
        c.clear();
        draw_label(c.canvas, 100, 200, text);
        const TextSize size = measure_label(text);
        const auto ink = c.ink(100, 200);
        ASSERT_FALSE(ink.empty()) << text;
        int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
        for (const auto& [x, y] : ink) {
            ASSERT_EQ(c.at(x + 100, y + 200), white) << text;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        // Inside the label's own box, and inside the box of "888" that erases labels.
        EXPECT_GE(left, 0) << text;
        EXPECT_GE(top, 0) << text;
        EXPECT_LT(right, size.width) << text;
        EXPECT_LT(bottom, size.height) << text;
        EXPECT_LE(size.width, widest.width) << text;
    }
}

// Each digit as its 5 x 7 picture, '#' for a white pixel; the glyph starts one row below
// the label's top.
constexpr const char* digit_pictures[10][7] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};

TEST(LabelFont, DigitsAreTheirBitmapsAndTheBackgroundIsKept) {
    Sheet c;
    for (int d = 0; d < 10; ++d) {
        std::set<std::pair<int, int>> expected;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (digit_pictures[d][row][col] == '#') {
                    expected.emplace(col, row);
                }
            }
        }
        c.clear();
        draw_label(c.canvas, 50, 60, std::string(1, static_cast<char>('0' + d)));
        EXPECT_EQ(c.ink(50, 61), expected) << d;
    }

    // Drawn over a picture, only glyph pixels change: the holes of "0" and the gap
    // between two digits keep what was there.
    c.clear();
    draw_label(c.canvas, 50, 60, "8");
    const auto eight = c.ink(50, 60);
    for (int x = 0; x < image_size; ++x) {
        c.renderer.at(x, 61) = Pixel{9, 9, 9, 0}; // a stripe through the label
    }
    draw_label(c.canvas, 50, 60, "8");
    for (int x = 0; x < image_size; ++x) {
        const bool glyph = eight.contains({x - 50, 1});
        const Pixel stripe{9, 9, 9, 0};
        EXPECT_EQ(c.at(x, 61), glyph ? white : stripe) << x;
    }
}

TEST(LabelFont, TwoDigitsAreTheSingleGlyphsSideBySide) {
    Sheet c;
    draw_label(c.canvas, 10, 10, "1");
    const auto one = c.ink(10, 10);
    c.clear();
    draw_label(c.canvas, 10, 10, "2");
    const auto two = c.ink(10, 10);
    c.clear();
    draw_label(c.canvas, 10, 10, "12");
    std::set<std::pair<int, int>> expected = one;
    const int shift = measure_label("12").width - measure_label("2").width;
    for (const auto& [x, y] : two) {
        expected.emplace(x + shift, y);
    }
    EXPECT_EQ(c.ink(10, 10), expected);
}

TEST(LabelFont, PixelsPastTheEdgesAreSkipped) {
    Sheet c;
    draw_label(c.canvas, 0, 0, "888");
    const auto whole = c.ink();
    // Cut at each edge, the part inside is the whole label's, shifted.
    const std::pair<int, int> places[] = {{-4, -3}, {image_size - 7, image_size - 5}, {-9, 300}};
    for (const auto& [left, top] : places) {
        c.clear();
        draw_label(c.canvas, left, top, "888");
        std::set<std::pair<int, int>> expected;
        for (const auto& [x, y] : whole) {
            const int px = x + left, py = y + top;
            if (px >= 0 && px < image_size && py >= 0 && py < image_size) {
                expected.emplace(px, py);
            }
        }
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(c.ink(), expected) << left << "," << top;
    }
    // Far outside, nothing changes and no position wraps around into the image.
    c.clear();
    const std::vector<Pixel> before = c.image();
    for (const auto& [left, top] : {std::pair{INT_MAX, 0}, std::pair{INT_MIN, 0},
                                    std::pair{0, INT_MAX}, std::pair{INT_MAX - 3, INT_MIN}}) {
        draw_label(c.canvas, left, top, "888");
    }
    EXPECT_EQ(c.image(), before);
}

} // namespace
} // namespace cs
