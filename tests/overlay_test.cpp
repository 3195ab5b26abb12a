#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "render/label_font.h"
#include "render/overlay.h"

namespace cs {
namespace {

using Image = std::vector<Pixel>;
using Spots = std::set<std::pair<int, int>>;

constexpr Pixel grass_mean{112, 174, 136, 0}; // Grass on level-128 ground at blend 5
constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float huge = std::numeric_limits<float>::max();

void put(Image& image, int x, int y, std::uint32_t rgb) {
    image[y * image_size + x] = pixel_of(rgb);
}
void put_row(Image& image, int y, int x_from, int x_to, std::uint32_t rgb) {
    for (int x = x_from; x <= x_to; ++x) {
        put(image, x, y, rgb);
    }
}
void put_column(Image& image, int x, int y_from, int y_to, std::uint32_t rgb) {
    for (int y = y_from; y <= y_to; ++y) {
        put(image, x, y, rgb);
    }
}

// The pixels where two images differ, listed for a failure message ("" when equal).
std::string differences(const Image& actual, const Image& expected) {
    std::ostringstream out;
    int shown = 0;
    for (int i = 0; i < image_size * image_size; ++i) {
        if (!(actual[i] == expected[i]) && shown++ < 12) {
            out << "(" << i % image_size << "," << i / image_size << ") is #" << std::hex
                << rgb_of(actual[i]) << " not #" << rgb_of(expected[i]) << std::dec << "; ";
        }
    }
    return out.str();
}

struct Overlay : ::testing::Test {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    void SetUp() override { ASSERT_TRUE(set_up_editor(*editor)); }

    Image image() const {
        const Pixel* p = editor->renderer.image.get();
        return {p, p + image_size * image_size};
    }
    void set_image(const Image& image) {
        std::copy(image.begin(), image.end(), editor->renderer.image.get());
    }
    Pixel at(int x, int y) const { return editor->renderer.at(x, y); }
    // The image with every pixel recomputed from the terrain, nothing drawn over it.
    Image terrain() {
        recompute_all_pixels(canvas_of(*editor));
        return image();
    }
    // A label drawn into an image outside the editor.
    void put_label(Image& image, int left, int top, std::string_view text) {
        const Image saved = this->image();
        set_image(image);
        draw_label(canvas_of(*editor), left, top, text);
        image = this->image();
        set_image(saved);
    }
    bool shows(const Image& expected) const {
        return std::memcmp(editor->renderer.image.get(), expected.data(),
                           expected.size() * sizeof(Pixel)) == 0;
    }
    // The pixels that differ from a reference image, compared row by row.
    Spots changed(const Image& reference) const {
        Spots s;
        const Pixel* p = editor->renderer.image.get();
        for (int y = 0; y < image_size; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * image_size;
            if (std::memcmp(p + row, reference.data() + row, image_size * sizeof(Pixel)) == 0) {
                continue;
            }
            for (int x = 0; x < image_size; ++x) {
                if (!(p[row + x] == reference[row + x])) {
                    s.emplace(x, y);
                }
            }
        }
        return s;
    }
    // The pixels that have the colour rgb.
    Spots spots_of(std::uint32_t rgb) const {
        Spots s;
        for (int y = 0; y < image_size; ++y) {
            for (int x = 0; x < image_size; ++x) {
                if (at(x, y) == pixel_of(rgb)) {
                    s.emplace(x, y);
                }
            }
        }
        return s;
    }
    // The pixels that a segment colours on a plain picture.
    Spots segment(float x1, float y1, float x2, float y2) {
        set_image(blank);
        plot_segment(canvas_of(*editor), x1, y1, x2, y2, 0xABCDEF, DrawMode::draw);
        return changed(blank);
    }
    const Image blank = Image(image_size * image_size, Pixel{});
    // Surfaces and heights that vary from pixel to pixel, so that erasing has to restore
    // each pixel's own colour.
    void vary_terrain() {
        std::mt19937 random(7);
        for (int i = 0; i < land_cells; ++i) {
            editor->track.land[i] = static_cast<std::uint8_t>(random() % 16);
        }
        for (auto& h : editor->track.heights) {
            h = static_cast<std::uint16_t>(random());
        }
    }
};

// --- The two primitives ---------------------------------------------------------------

TEST_F(Overlay, SegmentsTakeOnePixelPerStepAlongTheirLongerAxis) {
    EXPECT_EQ(segment(0, 0, 4, 2), (Spots{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    EXPECT_EQ(segment(2, 0, 0, 4), (Spots{{2, 0}, {2, 1}, {1, 2}, {1, 3}, {0, 4}}));
    // A diagonal is stepped by rows, one pixel each.
    Spots diagonal;
    for (int j = 5; j <= 9; ++j) {
        diagonal.emplace(j, j);
    }
    EXPECT_EQ(segment(9, 9, 5, 5), diagonal);
    // Off the pixel grid, a diagonal still goes by rows, and a column just left of 0
    // truncates to 0.
    EXPECT_EQ(segment(0, 0.25f, 4, 4.25f), (Spots{{0, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 4}}));
    // Coincident end points cover nothing, whatever the mode.
    EXPECT_EQ(segment(10, 10, 10, 10), Spots{});
    const Image before = image();
    plot_segment(canvas_of(*editor), 10, 10, 10, 10, 0xFFFFFF, DrawMode::erase);
    EXPECT_EQ(image(), before);
    // Only the part inside the image is drawn.
    EXPECT_EQ(segment(-5, 3, 3, 3), (Spots{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(segment(505, 600, 505, 509), (Spots{{505, 509}, {505, 510}, {505, 511}}));
}

TEST_F(Overlay, SegmentEndsCanBeGivenEitherWayRound) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> place(-40.0f, 552.0f);
    for (int n = 0; n < 60; ++n) {
        const float x1 = place(random), y1 = place(random);
        const float x2 = n % 3 == 0 ? x1 : place(random), y2 = n % 5 == 0 ? y1 : place(random);
        ASSERT_EQ(segment(x1, y1, x2, y2), segment(x2, y2, x1, y1))
            << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST_F(Overlay, CirclesAreClosedOutlinesClippedToTheImage) {
    set_image(Image(image_size * image_size, Pixel{}));
    plot_circle(canvas_of(*editor), 10, 10, 3, 0x123456, DrawMode::draw);
    EXPECT_EQ(spots_of(0x123456), (Spots{{8, 8},
                                         {8, 12},
                                         {9, 7},
                                         {9, 13},
                                         {10, 7},
                                         {10, 13},
                                         {11, 7},
                                         {11, 13},
                                         {12, 8},
                                         {12, 12},
                                         {7, 9},
                                         {13, 9},
                                         {7, 10},
                                         {13, 10},
                                         {7, 11},
                                         {13, 11}}));

    set_image(Image(image_size * image_size, Pixel{}));
    plot_circle(canvas_of(*editor), 40, 50, 0, 0x123456, DrawMode::draw);
    EXPECT_EQ(spots_of(0x123456), (Spots{{40, 50}}));
    set_image(Image(image_size * image_size, Pixel{}));
    plot_circle(canvas_of(*editor), 40, 50, 1, 0x123456, DrawMode::draw);
    EXPECT_EQ(
        spots_of(0x123456),
        (Spots{{39, 49}, {40, 49}, {41, 49}, {39, 50}, {41, 50}, {39, 51}, {40, 51}, {41, 51}}));

    // In a corner only the part inside is drawn: the pixels of the same ring drawn away
    // from the edges, shifted.
    set_image(Image(image_size * image_size, Pixel{}));
    plot_circle(canvas_of(*editor), 100, 100, 6, 0x123456, DrawMode::draw);
    Spots expected;
    for (const auto& [x, y] : spots_of(0x123456)) {
        if (x + 411 <= 511 && y - 100 >= 0) {
            expected.emplace(x + 411, y - 100);
        }
    }
    set_image(Image(image_size * image_size, Pixel{}));
    plot_circle(canvas_of(*editor), 511, 0, 6, 0x123456, DrawMode::draw);
    EXPECT_EQ(spots_of(0x123456), expected);
}

// --- Objects, pits and start positions ------------------------------------------------

TEST_F(Overlay, FreshEditorShowsSixNumberedStartBoxes) {
    // Boxes 2.5 x 1.5 world units around (20, 10 + 20k), open at the back, at 4.27 pixels
    // per world unit: front column 31, sides on rows 4 and 16 from column 9.
    Image expected(image_size * image_size, grass_mean);
    for (int k = 0; k < start_positions; ++k) {
        const int y = 10 + 20 * k;
        put_row(expected, y - 6, 9, 31, 0xFFFFFF);
        put_row(expected, y + 6, 9, 31, 0xFFFFFF);
        put_column(expected, 31, y - 6, y + 6, 0xFFFFFF);
        const TextSize size = measure_label("1");
        put_label(expected, 20 - size.width / 2, y - size.height / 2, std::to_string(k + 1));
    }
    EXPECT_EQ(differences(image(), expected), "");
}

TEST_F(Overlay, StartBeyondTheSixthIsAnUnnumberedBox) {
    const Image before = image();
    draw_object(canvas_of(*editor), 200, 200, 0, start, DrawMode::draw,
                6); // the seventh in the list
    Image expected = before;
    put_row(expected, 194, 189, 211, 0xFFFFFF);
    put_row(expected, 206, 189, 211, 0xFFFFFF);
    put_column(expected, 211, 194, 206, 0xFFFFFF); // the front; no back at column 189
    EXPECT_EQ(differences(image(), expected), "");

    // Numbered, a start position shows index + 1 centred on it.
    set_image(before);
    draw_object(canvas_of(*editor), 200, 200, 0, start, DrawMode::draw, 3);
    const TextSize size = measure_label("4");
    put_label(expected, 200 - size.width / 2, 200 - size.height / 2, "4");
    EXPECT_EQ(differences(image(), expected), "");
}

TEST_F(Overlay, StartNumberReplacesTheOneDrawnBefore) {
    const Image before = image();
    draw_object(canvas_of(*editor), 200.7f, 300.2f, 0.3f, start, DrawMode::draw, 0);
    draw_object(canvas_of(*editor), 200.7f, 300.2f, 0.3f, start, DrawMode::draw, 4);
    const Image twice = image();
    set_image(before);
    draw_object(canvas_of(*editor), 200.7f, 300.2f, 0.3f, start, DrawMode::draw, 4);
    EXPECT_EQ(differences(twice, image()), "");
    // Erasing with its index takes the number away with the box.
    draw_object(canvas_of(*editor), 200.7f, 300.2f, 0.3f, start, DrawMode::erase, 4);
    EXPECT_EQ(differences(image(), before), "");
}

TEST_F(Overlay, EraseAfterDrawRestoresTheTerrainForEveryKind) {
    vary_terrain();
    const Image ground = terrain();
    std::vector<std::uint8_t> kinds;
    for (int k = 0; k < object_kind_count; ++k) {
        kinds.push_back(static_cast<std::uint8_t>(k));
    }
    kinds.push_back(pit_kind);
    for (const std::uint8_t world : {120, 40, 0}) {
        editor->track.world_size = world;
        for (const std::uint8_t kind : kinds) {
            for (const float angle : {0.0f, 0.7f, 2.0f, -2.9f}) {
                const float x = 250.25f + 30 * angle, y = 260.6f - 20 * angle;
                const int index = kind == start ? 2 : -1;
                draw_object(canvas_of(*editor), x, y, angle, kind, DrawMode::draw, index);
                ASSERT_FALSE(shows(ground)) << int{kind} << " draws nothing";
                draw_object(canvas_of(*editor), x, y, angle, kind, DrawMode::erase, index);
                ASSERT_TRUE(shows(ground)) << differences(image(), ground) << "kind " << int{kind}
                                           << " at angle " << angle << ", world " << int{world};
            }
        }
    }
    // Values that are no kind draw nothing.
    for (const std::uint8_t kind : {25, 99, 101, 255}) {
        draw_object(canvas_of(*editor), 256, 256, 0, kind, DrawMode::draw, -1);
    }
    EXPECT_EQ(differences(image(), ground), "");
}

TEST_F(Overlay, AngleZeroFacesRightAndAQuarterTurnFacesDown) {
    const Image before = image();
    // A house: its front in yellow, the other three sides in red; 4 x 5 world units.
    draw_object(canvas_of(*editor), 256, 256, 0, house, DrawMode::draw, -1);
    const Spots front = spots_of(0xFFFF00);
    ASSERT_FALSE(front.empty());
    for (const auto& [x, y] : front) {
        ASSERT_EQ(x, 273) << y; // 256 + 4 x 4.27
    }
    for (const auto& [x, y] : spots_of(0xFF0000)) {
        ASSERT_LE(x, 273);
    }
    set_image(before);
    draw_object(canvas_of(*editor), 256, 256, std::numbers::pi_v<float> / 2, house, DrawMode::draw,
                -1);
    const Spots below = spots_of(0xFFFF00);
    ASSERT_FALSE(below.empty());
    for (const auto& [x, y] : below) {
        ASSERT_EQ(y, 273) << x;
    }
}

TEST_F(Overlay, PitRingGrowsWithTheWorldScale) {
    const Image before = image();
    const auto ring_reach = [&] {
        int reach = 0;
        for (const auto& [x, y] : spots_of(0x3F3FFF)) {
            reach = std::max({reach, std::abs(x - 256), std::abs(y - 256)});
        }
        return reach;
    };
    draw_object(canvas_of(*editor), 256.9f, 256.9f, 0, pit_kind, DrawMode::draw, -1);
    EXPECT_EQ(ring_reach(), 21);
    EXPECT_EQ(at(277, 256), pixel_of(0x3F3FFF));
    EXPECT_EQ(at(256, 235), pixel_of(0x3F3FFF));
    set_image(before);
    editor->track.world_size = 255;
    draw_object(canvas_of(*editor), 256, 256, 0, pit_kind, DrawMode::draw, -1);
    EXPECT_EQ(ring_reach(), 10);
    // Its box is black, with the diagonals crossing at the pit's position.
    EXPECT_EQ(at(256, 256), pixel_of(0x000000));
}

TEST_F(Overlay, HiddenShapesAreNeitherDrawnNorErased) {
    draw_object(canvas_of(*editor), 300, 300, 0.5f, house, DrawMode::draw, -1);
    draw_object(canvas_of(*editor), 100, 300, 0, pit_kind, DrawMode::draw, -1);
    draw_checkpoint(canvas_of(*editor), 200, 400, 260, 420, DrawMode::draw, 3);
    editor->track.ai_line_count = 3;
    editor->track.ai_line[0] = {50, 200};
    editor->track.ai_line[1] = {450, 210};
    editor->track.ai_line[2] = {250, 480};
    editor->track.ai_pit_line_count = 2;
    editor->track.ai_pit_line[0] = {60, 60};
    editor->track.ai_pit_line[1] = {400, 90};
    const Image shown = image();

    editor->view.show_objects = false;
    editor->view.show_checkpoints = false;
    editor->view.show_ai_line = false;
    draw_object(canvas_of(*editor), 300, 300, 0.5f, house, DrawMode::erase, -1);
    draw_object(canvas_of(*editor), 100, 300, 0, pit_kind, DrawMode::erase, -1);
    draw_object(canvas_of(*editor), 20, 30, 0, start, DrawMode::erase, 1);
    draw_checkpoint(canvas_of(*editor), 200, 400, 260, 420, DrawMode::erase, -1);
    draw_object(canvas_of(*editor), 400, 100, 0, house, DrawMode::draw, -1);
    draw_checkpoint(canvas_of(*editor), 100, 100, 160, 100, DrawMode::draw, 0);
    draw_ai_lines(canvas_of(*editor));
    redraw_overlays(canvas_of(*editor));
    EXPECT_EQ(differences(image(), shown), "");

    // Each flag governs only its own shapes.
    editor->view.show_checkpoints = true;
    draw_checkpoint(canvas_of(*editor), 200, 400, 260, 420, DrawMode::erase, -1);
    EXPECT_NE(image(), shown);
    editor->view.show_ai_line = true;
    draw_ai_lines(canvas_of(*editor));
    EXPECT_FALSE(spots_of(0xFF00FF).empty());
}

// --- Checkpoints ----------------------------------------------------------------------

TEST_F(Overlay, CheckpointsShorterThanTenPixelsAreNotShown) {
    const Image before = image();
    draw_checkpoint(canvas_of(*editor), 100, 100, 109, 100, DrawMode::draw, 0);
    EXPECT_EQ(image(), before);
    draw_checkpoint(canvas_of(*editor), 100, 100, 109, 100, DrawMode::erase, -1);
    EXPECT_EQ(image(), before);

    // At ten pixels: a cyan box one world unit (4.27 pixels) to either side, numbered.
    draw_checkpoint(canvas_of(*editor), 100, 100, 110, 100, DrawMode::draw, 0);
    Image expected = before;
    put_row(expected, 104, 100, 110, 0x00FFFF);
    put_row(expected, 96, 100, 110, 0x00FFFF);
    put_column(expected, 100, 96, 104, 0x00FFFF);
    put_column(expected, 110, 96, 104, 0x00FFFF);
    const TextSize size = measure_label("1");
    put_label(expected, (210 - size.width) / 2, (200 - size.height) / 2, "1");
    EXPECT_EQ(differences(image(), expected), "");

    // The box is two world units wide at any world size: 8.53 pixels per unit at 60.
    set_image(before);
    editor->track.world_size = 60;
    draw_checkpoint(canvas_of(*editor), 100, 100, 110, 100, DrawMode::draw, -1);
    EXPECT_EQ(at(105, 109), pixel_of(0x00FFFF));
    EXPECT_EQ(at(105, 91), pixel_of(0x00FFFF));
    EXPECT_EQ(changed(before).size(), 2u * 11 + 2 * (19 - 2)); // the bars share their ends
}

TEST_F(Overlay, CheckpointSecondEndIsHeldInsideTheImage) {
    const Image before = image();
    draw_checkpoint(canvas_of(*editor), 480, 300, 600, 290, DrawMode::draw, -1);
    const Image dragged = image();
    set_image(before);
    draw_checkpoint(canvas_of(*editor), 480, 300, 511, 290, DrawMode::draw, -1);
    EXPECT_EQ(differences(dragged, image()), "");
    set_image(before);
    draw_checkpoint(canvas_of(*editor), 480, 300, 600, 300, DrawMode::draw, -1);
    EXPECT_EQ(at(511, 300), pixel_of(0x00FFFF)); // the cross bar at the edge
    // Past the bottom edge: held at the last row, whose cross bar is drawn there.
    set_image(before);
    draw_checkpoint(canvas_of(*editor), 300, 400, 300, 600, DrawMode::draw, -1);
    EXPECT_EQ(at(300, 511), pixel_of(0x00FFFF));

    set_image(before);
    draw_checkpoint(canvas_of(*editor), 300, 480, 310, -70, DrawMode::draw, -1);
    const Image upwards = image();
    set_image(before);
    draw_checkpoint(canvas_of(*editor), 300, 480, 310, 0, DrawMode::draw, -1);
    EXPECT_EQ(differences(upwards, image()), "");

    set_image(before);
    draw_checkpoint(canvas_of(*editor), 30, 300, -50, 310, DrawMode::draw, -1);
    const Image leftwards = image();
    set_image(before);
    draw_checkpoint(canvas_of(*editor), 30, 300, 0, 310, DrawMode::draw, -1);
    EXPECT_EQ(differences(leftwards, image()), "");

    // The first end is not held: its cross bar lies outside, at column -20.
    set_image(before);
    draw_checkpoint(canvas_of(*editor), -20, 300, 40, 300, DrawMode::draw, -1);
    EXPECT_EQ(at(0, 300), before[300 * image_size]);
    EXPECT_EQ(at(0, 296), pixel_of(0x00FFFF));
    EXPECT_EQ(at(40, 300), pixel_of(0x00FFFF));
}

TEST_F(Overlay, ErasingACheckpointTakesItsNumberAway) {
    vary_terrain();
    const Image ground = terrain();
    const std::size_t white_ground = spots_of(0xFFFFFF).size();
    for (const int index : {0, 8, 99, 254}) {
        draw_checkpoint(canvas_of(*editor), 150.5f, 333.3f, 261.2f, 280.9f, DrawMode::draw, index);
        ASSERT_GT(spots_of(0xFFFFFF).size(), white_ground);
        draw_checkpoint(canvas_of(*editor), 150.5f, 333.3f, 261.2f, 280.9f, DrawMode::erase, -1);
        ASSERT_EQ(differences(image(), ground), "") << index;
    }
    // The checkpoint being placed carries no number.
    draw_checkpoint(canvas_of(*editor), 150, 300, 250, 300, DrawMode::draw, -1);
    EXPECT_LE(spots_of(0xFFFFFF).size(), white_ground);
}

// --- Driving lines and the full overlay redraw ----------------------------------------

TEST_F(Overlay, AiLineClosesFromThreePointsAndThePitLineNever) {
    const Image before = image();
    Track& t = editor->track;
    t.ai_line[0] = {100, 100};
    t.ai_line[1] = {200, 100};
    t.ai_line[2] = {200, 200};
    t.ai_pit_line[0] = {300, 400};
    t.ai_pit_line[1] = {400, 400};
    t.ai_pit_line[2] = {400, 450};

    t.ai_line_count = 2;
    t.ai_pit_line_count = 1;
    draw_ai_lines(canvas_of(*editor));
    Image expected = before;
    put_row(expected, 100, 100, 200, 0xFFFF00);
    EXPECT_EQ(differences(image(), expected), "");

    set_image(before);
    t.ai_line_count = 3;
    t.ai_pit_line_count = 3;
    draw_ai_lines(canvas_of(*editor));
    put_column(expected, 200, 100, 200, 0xFFFF00);
    for (int j = 100; j <= 200; ++j) {
        put(expected, j, j, 0xFF0000); // back from the third point to the first
    }
    put_row(expected, 400, 300, 400, 0xFF00FF);
    put_column(expected, 400, 400, 450, 0xFF00FF);
    EXPECT_EQ(differences(image(), expected), "");
}

TEST_F(Overlay, RedrawLaysPitsObjectsCheckpointsThenLinesOnTop) {
    Track& t = editor->track;
    t.pit_count = 1;
    t.pits[0] = {300, 300, 0};
    t.objects[t.object_count++] = {300, 300, 0, house};
    t.checkpoint_count = 1;
    t.checkpoints[0] = {280, 300, 320, 300};
    t.ai_line_count = 2;
    t.ai_line[0] = {290, 250};
    t.ai_line[1] = {290, 350};
    redraw_overlays(canvas_of(*editor));
    EXPECT_EQ(at(303, 279), pixel_of(0xFF0000)); // the house's side over the pit's ring
    EXPECT_EQ(at(283, 296), pixel_of(0x00FFFF)); // the checkpoint over the house's back
    EXPECT_EQ(at(290, 296), pixel_of(0xFFFF00)); // the line over the checkpoint
    EXPECT_EQ(at(290, 321), pixel_of(0xFFFF00)); // and over the house
    // The start boxes keep their numbers; the checkpoint has its own.
    Image expected = image();
    const TextSize size = measure_label("1");
    put_label(expected, (600 - size.width) / 2, (600 - size.height) / 2, "1");
    EXPECT_EQ(differences(image(), expected), "");

    // A pit count beyond the pit slots is not followed past them: the six pits are drawn,
    // the placement slot and whatever lies behind it are not.
    for (int i = 0; i <= max_pits; ++i) {
        t.pits[i] = {60.0f + 60.0f * static_cast<float>(i), 450.0f, 0.0f};
    }
    t.pit_count = 0;
    full_redraw(*editor);
    for (int i = 0; i < max_pits; ++i) {
        draw_object(canvas_of(*editor), t.pits[i].x, t.pits[i].y, 0, pit_kind, DrawMode::draw, -1);
    }
    const Image six = image();
    t.pit_count = 200;
    full_redraw(*editor);
    EXPECT_EQ(differences(image(), six), "");
}

// --- Positions that no edit produces --------------------------------------------------

TEST_F(Overlay, PositionsAtNoFinitePlaceDrawNothing) {
    const Image before = image();
    const float bad[] = {nan, inf, -inf};
    for (const float v : bad) {
        for (int kind = 0; kind <= object_kind_count; ++kind) {
            const auto k = static_cast<std::uint8_t>(kind == object_kind_count ? pit_kind : kind);
            draw_object(canvas_of(*editor), v, 100, 0, k, DrawMode::draw, 0);
            draw_object(canvas_of(*editor), 100, v, 1, k, DrawMode::erase, 1);
        }
        draw_checkpoint(canvas_of(*editor), v, 100, 200, 100, DrawMode::draw, 5);
        draw_checkpoint(canvas_of(*editor), 100, v, 200, 100, DrawMode::erase, -1);
        draw_checkpoint(canvas_of(*editor), 100, 100, nan, 200, DrawMode::draw, 5);
        plot_segment(canvas_of(*editor), v, 100, 200, 100, 0xFFFFFF, DrawMode::draw);
        plot_segment(canvas_of(*editor), 100, 100, 200, v, 0xFFFFFF, DrawMode::draw);
        plot_segment(canvas_of(*editor), v, v, v, v, 0xFFFFFF, DrawMode::draw);
    }
    Track& t = editor->track;
    t.ai_line_count = 3;
    t.ai_line[0] = {nan, 5};
    t.ai_line[1] = {5, inf};
    t.ai_line[2] = {-inf, nan};
    draw_ai_lines(canvas_of(*editor));
    EXPECT_EQ(differences(image(), before), "");

    // A checkpoint's second end at infinity is held at the edge like any other.
    draw_checkpoint(canvas_of(*editor), 480, 300, inf, 300, DrawMode::draw, -1);
    EXPECT_EQ(at(511, 300), pixel_of(0x00FFFF));
}

TEST_F(Overlay, FarAwayPositionsDrawOnlyWhatCrossesTheImage) {
    const Image before = image();
    // A segment across the whole image from far outside covers the whole row.
    plot_segment(canvas_of(*editor), -1e30f, 100, 1e30f, 100, 0xABCDEF, DrawMode::draw);
    Image expected = before;
    put_row(expected, 100, 0, image_size - 1, 0xABCDEF);
    EXPECT_EQ(differences(image(), expected), "");
    plot_segment(canvas_of(*editor), 300, -huge, 300, huge, 0xABCDEF, DrawMode::draw);
    put_column(expected, 300, 0, image_size - 1, 0xABCDEF);
    EXPECT_EQ(differences(image(), expected), "");
    plot_segment(canvas_of(*editor), -huge, -huge, huge, huge, 0xABCDEF, DrawMode::erase);
    plot_segment(canvas_of(*editor), huge, -huge, -huge, 3, 0xABCDEF, DrawMode::draw);
    plot_segment(canvas_of(*editor), 1e20f, 1e20f, 1e20f + 1e14f, 1e20f, 0xABCDEF, DrawMode::draw);

    set_image(before);
    for (int kind = 0; kind <= object_kind_count; ++kind) {
        const auto k = static_cast<std::uint8_t>(kind == object_kind_count ? pit_kind : kind);
        for (const float v : {1e30f, -1e30f, huge, -huge, 3e9f, -3e9f}) {
            draw_object(canvas_of(*editor), v, 200, 0, k, DrawMode::draw, 0);
            draw_object(canvas_of(*editor), 200, v, 0, k, DrawMode::erase, 2);
            draw_object(canvas_of(*editor), v, -v, 0, k, DrawMode::draw, -1);
        }
    }
    EXPECT_EQ(differences(image(), before), "");
    for (const float v : {1e30f, -1e30f, huge, -huge}) {
        draw_checkpoint(canvas_of(*editor), v, v, 100, 100, DrawMode::erase, -1);
        draw_checkpoint(canvas_of(*editor), v, 100, 100, 100, DrawMode::draw, 254);
    }
    // A ring of radius INT_MAX + 0.5 around (INT_MAX, 0) reaches x = -0.5 and is
    // straight to well below a pixel over the image's height: it takes column 0.
    Image expected_rings = image();
    put_column(expected_rings, 0, 0, image_size - 1, 0xABCDEF);
    plot_circle(canvas_of(*editor), INT_MAX, 0, INT_MAX, 0xABCDEF, DrawMode::draw);
    EXPECT_EQ(differences(image(), expected_rings), "");
    // Rings centred or reaching farther away cross no pixel of it.
    const Image before_rings = image();
    plot_circle(canvas_of(*editor), INT_MIN, INT_MAX, 5, 0xABCDEF, DrawMode::draw);
    plot_circle(canvas_of(*editor), 256, 256, INT_MAX, 0xABCDEF, DrawMode::draw);
    plot_circle(canvas_of(*editor), 256, 256, INT_MIN, 0xABCDEF, DrawMode::draw);
    EXPECT_EQ(differences(image(), before_rings), "");
    // Huge angles still give a shape; a NaN angle leaves the rings only.
    draw_object(canvas_of(*editor), 300, 300, 1e30f, house, DrawMode::draw, -1);
    draw_object(canvas_of(*editor), 300, 300, nan, palm_tree, DrawMode::draw, -1);
    EXPECT_FALSE(spots_of(0x00FF00).empty());
    EXPECT_TRUE(spots_of(0x664400).empty());
}

} // namespace
} // namespace cs
