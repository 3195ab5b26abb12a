#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <memory>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "terrain/paint.h"

namespace cs {
namespace {

struct Painting : test_support::EditorTest {

    // Puts kind c in cell (300, 300), poisons its pixel and applies the rule.
    std::uint8_t paint(std::uint8_t c, std::uint8_t n, std::uint8_t flag) {
        editor->track.land[300 * 512 + 300] = c;
        editor->renderer.at(300, 300) = Pixel{1, 2, 3, 0};
        paint_cell(terrain_edit_of(*editor), 300, 300, n, flag);
        return editor->track.land[300 * 512 + 300];
    }
    std::uint8_t edge(std::uint8_t c, int k, std::uint8_t flag) {
        editor->track.land[300 * 512 + 300] = c;
        editor->renderer.at(300, 300) = Pixel{1, 2, 3, 0};
        edge_cell(terrain_edit_of(*editor), 300, 300, k, flag);
        return editor->track.land[300 * 512 + 300];
    }
    bool pixel_recomputed() { return !(editor->renderer.at(300, 300) == Pixel{1, 2, 3, 0}); }
};

TEST_F(Painting, ProtectionWithTheSecondaryFlag) {
    for (std::uint8_t c = 0; c < 16; ++c) {
        for (std::uint8_t n = 0; n < 13; ++n) {
            const bool refused = ((c == 0 || (c >= 7 && c <= 11)) && n >= 1 && n <= 6) ||
                                 (c == grass && n == grass_edge) || (c == oil && n == tarmac2);
            EXPECT_EQ(paint(c, n, 1), refused ? c : n) << int(c) << " <- " << int(n);
            EXPECT_EQ(pixel_recomputed(), !refused);
        }
    }
}

TEST_F(Painting, ProtectionWithoutTheSecondaryFlag) {
    for (std::uint8_t c = 0; c < 16; ++c) {
        for (std::uint8_t n = 0; n < 13; ++n) {
            const bool refused = (c == tarmac && (n == white_line || n == yellow_line)) ||
                                 (c == grass && n == grass_edge) || (c == snow && n == snow_edge);
            EXPECT_EQ(paint(c, n, 0), refused ? c : n) << int(c) << " <- " << int(n);
        }
    }
    // Writing the kind already there still recomputes the pixel.
    EXPECT_EQ(paint(mud, mud, 0), mud);
    EXPECT_TRUE(pixel_recomputed());
}

TEST_F(Painting, EdgeRule) {
    // Snow shapes never edge, even Grass.
    EXPECT_EQ(edge(grass, snow_edge, 0), grass);
    EXPECT_EQ(edge(grass, snow, 1), grass);
    EXPECT_FALSE(pixel_recomputed());
    // Own kind stays.
    EXPECT_EQ(edge(tarmac, tarmac, 0), tarmac);
    // Flag off: road cells get a white border unless lines or kerbs are painted.
    EXPECT_EQ(edge(tarmac, grass, 0), white_line);
    EXPECT_TRUE(pixel_recomputed());
    EXPECT_EQ(edge(tarmac, white_line, 0), tarmac);
    EXPECT_EQ(edge(tarmac, kerb, 0), tarmac);
    EXPECT_EQ(edge(grass, tarmac, 0), grass_edge);
    EXPECT_EQ(edge(snow, tarmac, 0), snow_edge);
    EXPECT_EQ(edge(tarmac2, tarmac, 0), tarmac2);
    // Flag on: Grass edges always, Snow only for lines and kerbs, roads never.
    EXPECT_EQ(edge(grass, gravel, 1), grass_edge);
    EXPECT_EQ(edge(snow, gravel, 1), snow);
    EXPECT_EQ(edge(snow, yellow_line, 1), snow_edge);
    EXPECT_EQ(edge(tarmac, grass, 1), tarmac);
    // Kinds that no tool paints are left alone.
    for (std::uint8_t c = 13; c < 16; ++c) {
        for (int k : {0, 2, 9}) {
            EXPECT_EQ(edge(c, k, 0), c);
            EXPECT_EQ(edge(c, k, 1), c);
        }
    }
    EXPECT_FALSE(pixel_recomputed());
}

TEST(BrushKinds, TableOfBrushTypes) {
    auto k = brush_kinds(0, 1);
    ASSERT_TRUE(k);
    EXPECT_EQ(k->inner, tarmac);
    EXPECT_EQ(k->ring, yellow_line);
    EXPECT_EQ(k->secondary, 0); // cleared for Tarmac
    k = brush_kinds(0, 0);
    EXPECT_EQ(k->ring, white_line);
    k = brush_kinds(5, 1);
    EXPECT_EQ(k->inner, snow_edge);
    EXPECT_EQ(k->secondary, 1);
    EXPECT_EQ(brush_kinds(5, 0)->inner, snow);
    EXPECT_EQ(brush_kinds(2, 0)->ring, grass_edge);
    EXPECT_EQ(brush_kinds(17, 0)->inner, mud);
    EXPECT_EQ(brush_kinds(8, 1)->ring, kerb);
    for (int t = 9; t <= 16; ++t) {
        EXPECT_FALSE(brush_kinds(t, 0)) << t;
    }
}

} // namespace
} // namespace cs
