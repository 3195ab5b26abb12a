#include <gtest/gtest.h>

#include <memory>

#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "render/terrain_image.h"

namespace cs {
namespace {

// An editor with the image and tables but nothing drawn over the terrain.
struct Bare {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    Bare() {
        editor->renderer.image = std::make_unique<Pixel[]>(image_size * image_size);
        reset_track(editor->track);
        build_land_colours(editor->renderer);
        build_shading_table(editor->renderer, editor->track.water_level);
    }
    Pixel render(int x, int y) {
        recompute_pixel(*editor, x, y);
        return editor->renderer.at(x, y);
    }
};

Pixel rgb(int r, int g, int b) {
    return Pixel{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(r), 0};
}

TEST(ShadingTable, WaterBelowTheLevelGreyAbove) {
    Renderer r;
    build_shading_table(r, 50);
    EXPECT_EQ(r.shading[0], rgb(0, 32, 128));
    EXPECT_EQ(r.shading[49], rgb(24, 56, 152));
    EXPECT_EQ(r.shading[50], rgb(50, 50, 50));
    EXPECT_EQ(r.shading[255], rgb(255, 255, 255));
    build_shading_table(r, 0);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(r.shading[i], rgb(i, i, i));
    }
    build_shading_table(r, 255);
    EXPECT_EQ(r.shading[254], rgb(127, 159, 255));
    EXPECT_EQ(r.shading[255], rgb(255, 255, 255));
}

TEST(LandColours, TableAsStoredPixels) {
    Renderer r;
    build_land_colours(r);
    EXPECT_EQ(r.land_colours[0], rgb(160, 160, 160));
    EXPECT_EQ(r.land_colours[2], rgb(144, 220, 96));
    EXPECT_EQ(r.land_colours[8], rgb(220, 231, 240));
    EXPECT_EQ(r.land_colours[11], rgb(255, 0, 0));
    EXPECT_EQ(r.land_colours[12], rgb(63, 63, 63));
    for (int k = 13; k < 16; ++k) {
        EXPECT_EQ(r.land_colours[k], rgb(0, 0, 0));
    }
}

TEST(RecomputePixel, NewTrackIsTheMeanOfGreyAndGrass) {
    Bare b;
    recompute_all_pixels(*b.editor);
    for (int i = 0; i < image_size * image_size; ++i) {
        ASSERT_EQ(b.editor->renderer.image[i], rgb(136, 174, 112)) << i;
    }
}

TEST(RecomputePixel, BlendWeighsShadeAgainstSurface) {
    Bare b;
    Track& t = b.editor->track;
    t.heights.fill(16 * 256); // level 16, under the water level 50
    t.land[0] = kerb;
    b.editor->tools.image_blend = 0;
    EXPECT_EQ(b.render(0, 0), rgb(8, 40, 136));
    b.editor->tools.image_blend = 10;
    EXPECT_EQ(b.render(0, 0), rgb(255, 0, 0));
    b.editor->tools.image_blend = 3; // (8*7 + 255*3)/10, (40*7)/10, (136*7)/10
    EXPECT_EQ(b.render(0, 0), rgb(82, 28, 95));
}

TEST(RecomputePixel, ExtremeHeightsAndUnpaintedKinds) {
    Bare b;
    Track& t = b.editor->track;
    b.editor->tools.image_blend = 0;
    t.heights.fill(65535);
    EXPECT_EQ(b.render(300, 300), rgb(255, 255, 255));
    t.heights.fill(0);
    EXPECT_EQ(b.render(300, 300), rgb(0, 32, 128));
    t.land[300 * 512 + 300] = 14;
    b.editor->tools.image_blend = 10;
    EXPECT_EQ(b.render(300, 300), rgb(0, 0, 0));
    t.heights.fill(200 * 256);
    b.editor->tools.image_blend = 5;
    EXPECT_EQ(b.render(300, 300), rgb(100, 100, 100));
}

TEST(RecomputePixel, CornersReadOnlyTheirOwnSamples) {
    Bare b;
    Track& t = b.editor->track;
    b.editor->tools.image_blend = 0;
    b.editor->track.water_level = 0;
    build_shading_table(b.editor->renderer, 0);
    t.heights.fill(0);
    t.heights[63 * 64 + 63] = 65535; // only the bottom-right sample is high
    recompute_all_pixels(*b.editor);
    const Pixel corner = b.editor->renderer.at(511, 511);
    EXPECT_GT(corner.red, 200);
    EXPECT_EQ(corner.red, corner.green);
    // Pixels whose four samples do not include (63, 63) stay black.
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const bool near = x >= 503 && y >= 503; // cells read from samples 62..63
            if (!near) {
                ASSERT_EQ(b.editor->renderer.at(x, y), rgb(0, 0, 0)) << x << "," << y;
            }
        }
    }
}

TEST(RecomputePixel, LeavesTheFourthByteAndOtherPixels) {
    Bare b;
    b.editor->renderer.at(10, 10).zero = 7;
    b.editor->renderer.at(11, 10) = rgb(1, 2, 3);
    recompute_pixel(*b.editor, 10, 10);
    EXPECT_EQ(b.editor->renderer.at(10, 10).zero, 7);
    EXPECT_EQ(b.editor->renderer.at(11, 10), rgb(1, 2, 3));
}

TEST(RecomputeRectangle, ClampsToTheImage) {
    Bare b;
    recompute_rectangle(*b.editor, -5, -5, 3, 2);
    EXPECT_EQ(b.editor->renderer.at(2, 1), rgb(136, 174, 112));
    EXPECT_EQ(b.editor->renderer.at(3, 1), rgb(0, 0, 0));
    EXPECT_EQ(b.editor->renderer.at(2, 2), rgb(0, 0, 0));
    recompute_rectangle(*b.editor, 510, 510, 600, 600);
    EXPECT_EQ(b.editor->renderer.at(511, 511), rgb(136, 174, 112));
}

} // namespace
} // namespace cs
