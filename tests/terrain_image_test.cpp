#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <random>
#include <vector>

#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "editor/view_commands.h"
#include "render/terrain_image.h"
#include "render/terrain_rows.h"
#include "terrain/heights.h"
#include "tests/editor_fixture.h"

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
        recompute_pixel(canvas_of(*editor), x, y);
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
    recompute_all_pixels(canvas_of(*b.editor));
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
    recompute_all_pixels(canvas_of(*b.editor));
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
    recompute_pixel(canvas_of(*b.editor), 10, 10);
    EXPECT_EQ(b.editor->renderer.at(10, 10).zero, 7);
    EXPECT_EQ(b.editor->renderer.at(11, 10), rgb(1, 2, 3));
}

TEST(RecomputeRectangle, ClampsToTheImage) {
    Bare b;
    recompute_rectangle(canvas_of(*b.editor), -5, -5, 3, 2);
    EXPECT_EQ(b.editor->renderer.at(2, 1), rgb(136, 174, 112));
    EXPECT_EQ(b.editor->renderer.at(3, 1), rgb(0, 0, 0));
    EXPECT_EQ(b.editor->renderer.at(2, 2), rgb(0, 0, 0));
    recompute_rectangle(canvas_of(*b.editor), 510, 510, 600, 600);
    EXPECT_EQ(b.editor->renderer.at(511, 511), rgb(136, 174, 112));
}

// --- The row-wise recomputation against recompute_pixel --------------------------------

enum class Relief { lowest, highest, steep, checker };

using test_support::image_of;

// Random land maps, height grids and water levels; the image starts as random bytes
// (fourth byte included, which recomputation must leave alone).
struct RowWise : ::testing::Test {
    Bare b;
    Editor& editor = *b.editor;
    std::mt19937 rng{20240611};
    std::vector<Pixel> start;

    int random(int low, int high) { return std::uniform_int_distribution(low, high)(rng); }

    void make_world(Relief relief, int blend) {
        Track& t = editor.track;
        for (auto& cell : t.land) {
            cell = static_cast<std::uint8_t>(random(0, 255)); // kinds 16..255 use the low bits
        }
        for (std::size_t i = 0; i < t.heights.size(); ++i) {
            const bool odd = ((i % height_size) + (i / height_size)) % 2 == 1;
            t.heights[i] = relief == Relief::lowest    ? 0
                           : relief == Relief::highest ? 65535
                           : relief == Relief::checker
                               ? (odd ? 65535 : 0)
                               : static_cast<std::uint16_t>(random(0, 65535));
        }
        t.water_level = static_cast<std::uint8_t>(random(0, 255));
        build_shading_table(editor.renderer, t.water_level);
        editor.tools.image_blend = blend;
        start.resize(image_size * image_size);
        for (Pixel& p : start) {
            p = std::bit_cast<Pixel>(static_cast<std::uint32_t>(rng()));
        }
    }
    void restart() {
        std::copy(start.begin(), start.end(), editor.renderer.image.get());
        editor.renderer.written_tiles.fill(0);
    }
    // The image after recompute_pixel on every pixel, from the start image.
    std::vector<Pixel> pixel_by_pixel() {
        restart();
        for (int y = 0; y < image_size; ++y) {
            for (int x = 0; x < image_size; ++x) {
                recompute_pixel(canvas_of(editor), x, y);
            }
        }
        return image_of(editor);
    }
};

TEST_F(RowWise, FullImageMatchesPixelByPixelForEveryReliefAndBlend) {
    for (Relief relief : {Relief::lowest, Relief::highest, Relief::checker, Relief::steep}) {
        // Every blend on the steep relief, one on each of the others.
        for (int blend = relief == Relief::steep ? 0 : 3 * int(relief); blend <= 10;
             blend += relief == Relief::steep ? 1 : 11) {
            make_world(relief, blend);
            const std::vector<Pixel> expected = pixel_by_pixel();
            restart();
            recompute_all_pixels(canvas_of(editor));
            ASSERT_EQ(image_of(editor), expected) << int(relief) << " blend " << blend;
            for (std::uint8_t tile : editor.renderer.written_tiles) {
                ASSERT_EQ(tile, 1);
            }
        }
    }
}

TEST_F(RowWise, FollowsTheHeightSpacing) {
    editor.renderer.height_spacing = 9.0f; // pixel 511 still falls inside the grid
    make_world(Relief::steep, 4);
    const std::vector<Pixel> expected = pixel_by_pixel();
    restart();
    recompute_all_pixels(canvas_of(editor));
    EXPECT_EQ(image_of(editor), expected);
}

// Rectangles and row spans change exactly their pixels, as recompute_pixel would, and note
// exactly the tiles recompute_pixel would note.
TEST_F(RowWise, RectanglesAndSpansMatchPixelByPixel) {
    make_world(Relief::steep, 7);
    const std::vector<Pixel> recomputed = pixel_by_pixel();
    auto check = [&](auto inside, const char* what) {
        std::vector<Pixel> expected = start;
        std::array<std::uint8_t, tile_count> tiles{};
        for (int y = 0; y < image_size; ++y) {
            for (int x = 0; x < image_size; ++x) {
                if (inside(x, y)) {
                    expected[y * image_size + x] = recomputed[y * image_size + x];
                    tiles[tile_of(x, y)] = 1;
                }
            }
        }
        ASSERT_EQ(image_of(editor), expected) << what;
        ASSERT_EQ(editor.renderer.written_tiles, tiles) << what;
    };

    std::vector<std::array<int, 4>> rectangles = {
        {-5, -5, 3, 2},     {0, 0, 512, 512},     {511, 0, 600, 512}, {100, 7, 101, 300},
        {3, 200, 509, 201}, {-99, -9, 700, 700},  {17, 33, 274, 162}, {250, 250, 250, 300},
        {30, 40, 20, 50},   {500, 505, 530, 530}, {0, 511, 1, 512},   {15, 15, 17, 17}};
    for (int i = 0; i < 20; ++i) {
        const int left = random(-20, 530), top = random(-20, 530);
        rectangles.push_back({left, top, left + random(0, 300), top + random(0, 40)});
    }
    for (const auto& [left, top, right, bottom] : rectangles) {
        restart();
        recompute_rectangle(canvas_of(editor), left, top, right, bottom);
        check([&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; },
              "rectangle");
    }

    for (int i = 0; i < 20; ++i) {
        const int top = random(-40, 520);
        std::vector<RowSpan> spans(static_cast<std::size_t>(random(0, i % 3 == 0 ? 600 : 20)));
        for (RowSpan& span : spans) {
            span.begin = random(-20, 530);
            span.end = span.begin + random(-3, 400);
        }
        restart();
        recompute_row_spans(canvas_of(editor), top, spans);
        check(
            [&](int x, int y) {
                const int k = y - top;
                return k >= 0 && k < static_cast<int>(spans.size()) && x >= spans[k].begin &&
                       x < spans[k].end;
            },
            "spans");
    }
}

// The narrower routines, which also share large jobs with the renderer's worker thread
// (the AVX-512 one works alone), give the same pixels.
TEST_F(RowWise, NarrowerRoutinesMatchPixelByPixel) {
    make_world(Relief::steep, 6);
    const std::vector<Pixel> recomputed = pixel_by_pixel();
    for (const bool avx2 : {true, false}) {
        editor.renderer.rows->limit_routines(avx2, false);
        for (const auto& [left, top, right, bottom] :
             std::vector<std::array<int, 4>>{{0, 0, 512, 512}, {3, 5, 509, 300}, {0, 0, 512, 16}}) {
            restart();
            recompute_rectangle(canvas_of(editor), left, top, right, bottom);
            std::vector<Pixel> expected = start;
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    expected[y * image_size + x] = recomputed[y * image_size + x];
                }
            }
            ASSERT_EQ(image_of(editor), expected) << avx2 << " " << top << " " << bottom;
        }
    }
}

// The height tools recompute their disc row-wise; an editor without the row routine takes
// recompute_pixel for every pixel, and both must show the same image after every step.
struct HeightToolImage : test_support::EditorTest {
    ScriptedUi reference_ui;
    std::unique_ptr<Editor> reference = std::make_unique<Editor>(reference_ui);
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(set_up_editor(*reference));
        reference->renderer.rows.reset();
    }
};

TEST_F(HeightToolImage, AdjustAndSmoothMatchThePixelByPixelPath) {
    std::mt19937 rng(77);
    auto random = [&](int low, int high) { return std::uniform_int_distribution(low, high)(rng); };
    for (Editor* e : {editor.get(), reference.get()}) {
        std::mt19937 same(5);
        for (auto& h : e->track.heights) {
            h = static_cast<std::uint16_t>(same() % 65536);
        }
        e->tools.image_blend = 3;
        full_redraw(*e);
    }
    ASSERT_EQ(image_of(*editor), image_of(*reference));
    for (int step = 0; step < 40; ++step) {
        const auto x = static_cast<float>(random(-60, 570)) + 0.25f;
        const auto y = static_cast<float>(random(-60, 570)) + 0.5f;
        const auto brush = static_cast<float>(random(1, 60));
        const auto amount = static_cast<float>(random(-3000, 3000));
        for (Editor* e : {editor.get(), reference.get()}) {
            if (step % 2 == 0) {
                adjust_heights(terrain_edit_of(*e), x, y, amount, brush);
            } else {
                smooth_heights(terrain_edit_of(*e), x, y, 0.5f, brush);
            }
        }
        ASSERT_EQ(editor->track.heights, reference->track.heights) << step;
        ASSERT_EQ(image_of(*editor), image_of(*reference)) << step;
    }
}

} // namespace
} // namespace cs
