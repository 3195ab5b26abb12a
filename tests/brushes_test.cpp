#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <cmath>
#include <limits>
#include <memory>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "terrain/brushes.h"

namespace cs {
namespace {

struct Brushes : test_support::EditorTest {
    std::uint8_t& cell(int x, int y) { return editor->track.land[y * 512 + x]; }
};

TEST_F(Brushes, TarmacDiscOnGrass) {
    paint_disc(terrain_edit_of(*editor), 200, 200, 0, 15, 0);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const int d2 = (x - 200) * (x - 200) + (y - 200) * (y - 200);
            const std::uint8_t expected = d2 < 144   ? tarmac
                                          : d2 < 225 ? white_line
                                          : d2 < 324 ? grass_edge
                                                     : grass;
            ASSERT_EQ(cell(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(Brushes, SmallLineDiscHasNoCore) {
    // Line painting with brush size 15: radius 1.5, the secondary flag on.
    paint_disc(terrain_edit_of(*editor), 100, 100, 6, 1.5f, 1);
    for (int y = 90; y < 110; ++y) {
        for (int x = 90; x < 110; ++x) {
            const float d2 = static_cast<float>((x - 100) * (x - 100) + (y - 100) * (y - 100));
            const std::uint8_t expected = d2 < 2.25f    ? white_line
                                          : d2 < 20.25f ? grass_edge
                                                        : grass;
            ASSERT_EQ(cell(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(Brushes, DiscAtTheCornerIsClipped) {
    paint_disc(terrain_edit_of(*editor), 2, 509, 0, 20, 0);
    EXPECT_EQ(cell(0, 511), tarmac);
    EXPECT_EQ(cell(2, 509), tarmac);
    EXPECT_EQ(cell(25, 511), grass);
    EXPECT_EQ(cell(511, 0), grass);
}

TEST_F(Brushes, HorizontalStrokeZones) {
    paint_stroke(terrain_edit_of(*editor), 100, 100, 200, 100, 0, 10, 0);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            std::uint8_t expected = grass;
            if (y >= 88 && y <= 113 && x >= 98 && x <= 203) {
                const bool inside = x >= 100 && x <= 199;
                if (inside && y >= 94 && y <= 106) {
                    expected = tarmac;
                } else if (inside && ((y >= 91 && y <= 93) || (y >= 107 && y <= 109))) {
                    expected = white_line;
                } else {
                    expected = grass_edge;
                }
            }
            ASSERT_EQ(cell(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(Brushes, DiagonalStrokeVisitsEachCellOnce) {
    // Grass over Tarmac with the flag off changes every cell it visits (the edge band
    // becomes White line), so the changed cells show the filled rectangle: its area and
    // solid rows tell that no cell along the triangles' shared diagonal was lost.
    editor->track.land.fill(tarmac);
    paint_stroke(terrain_edit_of(*editor), 100.3f, 120.7f, 240.1f, 300.2f, 2, 12, 0);
    int touched = 0;
    for (auto c : editor->track.land) {
        touched += c != tarmac;
    }
    const float len = std::hypot(240.1f - 100.3f, 300.2f - 120.7f);
    const float area = (len + 6.0f) * (2.0f * 15.0f);
    EXPECT_NEAR(touched, area, area * 0.02f);
    // No hole along the diagonal: the band is solid on every row through its middle.
    for (int y = 150; y < 270; ++y) {
        int first = -1, last = -1, count = 0;
        for (int x = 0; x < 512; ++x) {
            if (cell(x, y) != tarmac) {
                first = first < 0 ? x : first;
                last = x;
                ++count;
            }
        }
        ASSERT_EQ(count, last - first + 1) << "row " << y;
    }
}

TEST_F(Brushes, DegenerateStrokesPaintNothing) {
    const auto before = editor->track.land;
    paint_stroke(terrain_edit_of(*editor), 150, 150, 150, 150, 0, 10, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    paint_stroke(terrain_edit_of(*editor), nan, 150, 150, 150, 0, 10, 0);
    paint_stroke(terrain_edit_of(*editor), 150, 150, inf, 150, 0, 10, 0);
    paint_stroke(terrain_edit_of(*editor), 150, 150, 160, 150, 0, nan, 0);
    paint_disc(terrain_edit_of(*editor), nan, nan, 0, 10, 0);
    paint_disc(terrain_edit_of(*editor), 1e30f, -1e30f, 0, 1e30f, 0);
    oil_splash(terrain_edit_of(*editor), nan, 10, 5);
    EXPECT_EQ(editor->track.land, before);
    paint_stroke(terrain_edit_of(*editor), 150, 150, 160, 150, 12, 10,
                 0); // no brush paints type 12
    EXPECT_EQ(editor->track.land, before);
}

TEST_F(Brushes, OilOnlyOnRoads) {
    editor->track.land.fill(grass);
    for (int x = 0; x < 512; ++x) {
        cell(x, 256) = tarmac2;
        cell(x, 257) = sand;
        cell(x, 258) = white_line;
        cell(x, 259) = tarmac;
    }
    oil_splash(terrain_edit_of(*editor), 256, 257, 4);
    int oil_cells = 0;
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            if (cell(x, y) == oil) {
                ++oil_cells;
                ASSERT_TRUE(y == 256 || y == 259) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(cell(256, 256), oil);
    EXPECT_EQ(cell(256, 259), oil);
    EXPECT_GT(oil_cells, 10);
}

TEST_F(Brushes, SatellitesSitOnTheCircleOnFlatGround) {
    editor->track.land.fill(tarmac);
    const float cx = 256, cy = 256, r = 6;
    oil_splash(terrain_edit_of(*editor), cx, cy, r);
    std::vector<std::pair<float, float>> centres = {{cx, cy}};
    for (int k = 0; k < 8; ++k) {
        const float t = static_cast<float>(k) * 0.7854f;
        centres.emplace_back(cx + r * std::cos(t), cy + r * std::sin(t));
    }
    for (int y = 230; y < 282; ++y) {
        for (int x = 230; x < 282; ++x) {
            float nearest = 1e9f;
            for (auto [px, py] : centres) {
                nearest = std::min(
                    nearest, std::hypot(static_cast<float>(x) - px, static_cast<float>(y) - py));
            }
            if (nearest < r - 0.6f) {
                ASSERT_EQ(cell(x, y), oil) << x << "," << y;
            } else if (nearest > r + 0.6f) {
                ASSERT_EQ(cell(x, y), tarmac) << x << "," << y;
            }
        }
    }
}

TEST_F(Brushes, SatellitesSlideDownhillAndBordersAreSafe) {
    auto mean_oil_column = [&] {
        long sum_x = 0, count = 0;
        for (int y = 0; y < 512; ++y) {
            for (int x = 0; x < 512; ++x) {
                if (cell(x, y) == oil) {
                    sum_x += x;
                    ++count;
                }
            }
        }
        return count == 0 ? 0.0f : static_cast<float>(sum_x) / static_cast<float>(count);
    };
    editor->track.land.fill(tarmac);
    oil_splash(terrain_edit_of(*editor), 256, 256, 10);
    const float flat = mean_oil_column();
    editor->track.land.fill(tarmac);
    for (int r = 0; r < 64; ++r) {
        for (int c = 0; c < 64; ++c) {
            editor->track.heights[r * 64 + c] =
                static_cast<std::uint16_t>(c * 1000); // rising to the right
        }
    }
    oil_splash(terrain_edit_of(*editor), 256, 256, 10);
    // Each satellite slides 1000 * 10 * 0.0003125 = 3.125 units toward lower ground.
    EXPECT_NEAR(mean_oil_column(), flat - 3.125f * 8 / 9, 0.5f);
    // Satellites whose slope samples lie beyond the grid read its border samples.
    oil_splash(terrain_edit_of(*editor), 511, 511, 20);
    oil_splash(terrain_edit_of(*editor), -30, -30, 20);
    EXPECT_EQ(cell(511, 511), oil);
}

} // namespace
} // namespace cs
