#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/tool_commands.h"
#include "render/overlay.h"
#include "resources/control_ids.h"
#include "terrain/heights.h"

namespace cs {
namespace {

using Grid = std::array<std::uint16_t, height_samples>;

constexpr Pixel poison{0xEE, 0xEE, 0xEE, 0};

struct Heights : test_support::EditorTest {
    std::uint16_t& h(int c, int r) { return editor->track.heights[r * height_size + c]; }
    Grid& grid() { return editor->track.heights; }
    void hide_overlays() {
        editor->view.show_objects = false;
        editor->view.show_checkpoints = false;
        editor->view.show_ai_line = false;
    }
    void poison_image() {
        std::fill_n(editor->renderer.image.get(), image_size * image_size, poison);
    }
};

// Per-sample difference after - before, in the grid's layout.
std::array<int, height_samples> difference(const Grid& before, const Grid& after) {
    std::array<int, height_samples> d{};
    for (int i = 0; i < height_samples; ++i) {
        d[i] = int{after[i]} - int{before[i]};
    }
    return d;
}

TEST_F(Heights, AdjustAtTheCornerChangesExactlyTheBellUnderTheBrush) {
    const Grid before = grid();
    adjust_heights(terrain_edit_of(*editor), 0, 0, 1000, 5);
    std::array<int, height_samples> expected{};
    auto at = [&](int c, int r) -> int& { return expected[r * height_size + c]; };
    at(0, 0) = 795;
    at(1, 0) = at(0, 1) = 438;
    at(1, 1) = 270;
    at(2, 0) = at(0, 2) = 93;
    at(2, 1) = at(1, 2) = 51;
    EXPECT_EQ(difference(before, grid()), expected);
}

TEST_F(Heights, AdjustRecomputesTheDiscOfPixelsAroundTheBrush) {
    hide_overlays();
    poison_image();
    adjust_heights(terrain_edit_of(*editor), 0, 0, 1000, 5);
    // Brush size 5: the pixels within (2.5 + 1.5) * 8 = 32 map units of the corner. Each
    // row's span is open on the left, so row 32, whose half-width is 0, has no pixel.
    int recomputed = 0;
    for (int y = 0; y < image_size; ++y) {
        for (int x = 0; x < image_size; ++x) {
            const bool inside = x * x + y * y <= 32 * 32 && y < 32;
            const bool touched = !(editor->renderer.at(x, y) == poison);
            ASSERT_EQ(touched, inside) << x << "," << y;
            recomputed += touched;
        }
    }
    EXPECT_GT(recomputed, 0);
    // Touched pixels hold the new terrain, not merely something other than the poison.
    const Pixel corner = editor->renderer.at(0, 0);
    recompute_pixel(canvas_of(*editor), 0, 0);
    EXPECT_EQ(editor->renderer.at(0, 0), corner);
}

TEST_F(Heights, ToolsLeaveTheImageAsAFullRedrawWouldDrawIt) {
    // The start positions stand at x = 20, y = 10..110, inside both brushes' view update:
    // the overlays must come back over the recomputed terrain.
    adjust_heights(terrain_edit_of(*editor), 30.25f, 61.5f, 1000, 15);
    EXPECT_EQ(image(), redrawn_image());
    smooth_heights(terrain_edit_of(*editor), 33.0f, 58.75f, 0.1f, 25);
    EXPECT_EQ(image(), redrawn_image());
    adjust_heights(terrain_edit_of(*editor), 500.0f, 3.0f, -1000, 50);
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(Heights, ChangesThatWouldLeaveTheRangeAreDroppedForThatSampleAlone) {
    // Brush size 5 at the corner: (0, 0) gets 795 of the amount, (1, 0) 438.
    h(0, 0) = 65000;
    adjust_heights(terrain_edit_of(*editor), 0, 0, 1000, 5);
    EXPECT_EQ(h(0, 0), 65000); // 65795 would be past the top: no clamping either
    EXPECT_EQ(h(1, 0), default_height + 438);

    h(0, 0) = 300;
    adjust_heights(terrain_edit_of(*editor), 0, 0, -1000, 5);
    EXPECT_EQ(h(0, 0), 300);
    EXPECT_EQ(h(1, 0), default_height);

    // Landing exactly on either limit is a change like any other.
    h(0, 0) = 65535 - 795;
    adjust_heights(terrain_edit_of(*editor), 0, 0, 1000, 5);
    EXPECT_EQ(h(0, 0), 65535);
    h(0, 0) = 795;
    adjust_heights(terrain_edit_of(*editor), 0, 0, -1000, 5);
    EXPECT_EQ(h(0, 0), 0);
}

TEST_F(Heights, LoweringMirrorsRaisingSampleForSample) {
    const Grid flat = grid();
    adjust_heights(terrain_edit_of(*editor), 203.7f, 151.2f, 1000, 35);
    const auto raised = difference(flat, grid());
    grid() = flat;
    adjust_heights(terrain_edit_of(*editor), 203.7f, 151.2f, -1000, 35);
    const auto lowered = difference(flat, grid());
    int changed = 0;
    for (int i = 0; i < height_samples; ++i) {
        ASSERT_EQ(lowered[i], -raised[i]) << i;
        ASSERT_GE(raised[i], 0) << i;
        changed += raised[i] != 0;
    }
    // Radius 17.5 samples: several hundred samples lie under the brush.
    EXPECT_GT(changed, 500);
}

TEST_F(Heights, SmoothingPullsTowardTheMeanAndSparesTheRestOfTheGrid) {
    // A step: columns 0..19 at 0, the rest at 40000; smooth across it.
    for (int r = 0; r < height_size; ++r) {
        for (int c = 0; c < height_size; ++c) {
            h(c, r) = c < 20 ? 0 : 40000;
        }
    }
    const Grid before = grid();
    const float x = 20 * height_spacing, y = 30 * height_spacing;
    const float gx = (x + 0.5f) / height_spacing, gy = (y + 0.5f) / height_spacing;
    const float r = 12 * 0.5f;
    smooth_heights(terrain_edit_of(*editor), x, y, 0.1f, 12);
    int lowered = 0, raised = 0;
    for (int q = 0; q < height_size; ++q) {
        for (int c = 0; c < height_size; ++c) {
            const int old = before[q * height_size + c];
            const int now = h(c, q);
            const float d2 = (c - gx) * (c - gx) + (q - gy) * (q - gy);
            if (d2 > r * r) {
                ASSERT_EQ(now, old) << c << "," << q;
                continue;
            }
            // The weighted mean lies between the two levels; no sample crosses it, and none
            // moves more than a tenth of the step.
            if (old == 0) {
                ASSERT_GE(now, 0);
                ASSERT_LE(now, 4000) << c << "," << q;
                raised += now > 0;
            } else {
                ASSERT_LE(now, 40000);
                ASSERT_GE(now, 36000) << c << "," << q;
                lowered += now < 40000;
            }
        }
    }
    EXPECT_GT(raised, 10);
    EXPECT_GT(lowered, 10);
}

TEST_F(Heights, SmoothingReadsOnlyTheOldValues) {
    // A lopsided grid and its mirror image across the diagonal, smoothed on the diagonal,
    // must give mirror images: a smoothing that fed its own writes back into the mean
    // would depend on the order of the rows.
    Grid lopsided{};
    for (int r = 0; r < height_size; ++r) {
        for (int c = 0; c < height_size; ++c) {
            lopsided[r * height_size + c] =
                static_cast<std::uint16_t>((c * 977 + r * r * 131 + (c ^ r) * 53) % 60000);
        }
    }
    auto transposed = [](const Grid& g) {
        Grid t{};
        for (int r = 0; r < height_size; ++r) {
            for (int c = 0; c < height_size; ++c) {
                t[c * height_size + r] = g[r * height_size + c];
            }
        }
        return t;
    };
    grid() = lopsided;
    smooth_heights(terrain_edit_of(*editor), 150.0f, 150.0f, 0.5f, 20);
    const Grid once = grid();
    grid() = transposed(lopsided);
    smooth_heights(terrain_edit_of(*editor), 150.0f, 150.0f, 0.5f, 20);
    EXPECT_EQ(transposed(grid()), once);
    EXPECT_NE(once, lopsided);
}

TEST_F(Heights, SmoothingWithoutWeightChangesNothing) {
    // Brush size 1 centred on grid position (0.5, 0): its one sample, (1, 0), lies exactly
    // on the rim, so the weights sum to zero and there is no mean to pull toward.
    h(1, 0) = 12345;
    const Grid before = grid();
    smooth_heights(terrain_edit_of(*editor), height_spacing * 0.5f - 0.5f, -0.5f, 0.1f, 1);
    EXPECT_EQ(grid(), before);
    // A brush wholly off the grid has no samples at all.
    smooth_heights(terrain_edit_of(*editor), -1000.0f, 200.0f, 0.1f, 15);
    smooth_heights(terrain_edit_of(*editor), 200.0f, 900.0f, 0.1f, 15);
    EXPECT_EQ(grid(), before);
}

TEST_F(Heights, HostileArgumentsChangeNothingAndEndQuickly) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float huge = 3e38f;
    grid()[5 * height_size + 5] = 1234;
    const Grid before = grid();
    const float positions[][2] = {{nan, 100},  {100, nan},   {inf, 100},   {100, -inf},
                                  {huge, 100}, {100, -huge}, {-huge, huge}};
    for (const auto& p : positions) {
        adjust_heights(terrain_edit_of(*editor), p[0], p[1], 1000, 50);
        smooth_heights(terrain_edit_of(*editor), p[0], p[1], 0.1f, 50);
    }
    for (const float brush : {nan, -inf, -50.0f, 0.0f}) {
        adjust_heights(terrain_edit_of(*editor), 100, 100, 1000, brush);
        smooth_heights(terrain_edit_of(*editor), 100, 100, 0.1f, brush);
    }
    // Amounts past the int range saturate, then take every sample out of range.
    for (const float amount : {nan, inf, -inf, huge, -huge}) {
        adjust_heights(terrain_edit_of(*editor), 100, 100, amount, 50);
    }
    smooth_heights(terrain_edit_of(*editor), 100, 100, nan, 50);
    EXPECT_EQ(grid(), before);
    EXPECT_EQ(image(), redrawn_image());

    // A brush of infinite size covers the whole grid at the centre's falloff, 0.8.
    adjust_heights(terrain_edit_of(*editor), 100, 100, 1000, inf);
    EXPECT_EQ(h(0, 0), default_height + 800);
    EXPECT_EQ(h(63, 63), default_height + 800);
}

TEST_F(Heights, FlattenSnapshotsThenSetsTheMiddleHeight) {
    ui.enabled[id::hmap_undo] = false;
    adjust_heights(terrain_edit_of(*editor), 256, 256, 1000, 50);
    const Grid edited = grid();
    ui.clock += 100;
    const int repaints = ui.repaints;
    flatten_heights(*editor);
    EXPECT_TRUE(std::all_of(grid().begin(), grid().end(),
                            [](std::uint16_t v) { return v == default_height; }));
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    EXPECT_EQ(ui.repaints, repaints + 1);
    EXPECT_EQ(image(), redrawn_image());

    undo_heights(*editor);
    EXPECT_EQ(grid(), edited);
    EXPECT_FALSE(ui.is_enabled(id::hmap_undo));
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(Heights, FlattenTwiceLeavesAFlatGridToUndo) {
    adjust_heights(terrain_edit_of(*editor), 100, 100, -1000, 30);
    flatten_heights(*editor);
    flatten_heights(*editor);
    grid()[0] = 1;
    undo_heights(*editor);
    EXPECT_TRUE(std::all_of(grid().begin(), grid().end(),
                            [](std::uint16_t v) { return v == default_height; }));
}

} // namespace
} // namespace cs
