#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <memory>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "interaction/ai_line.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

struct AiLine : test_support::EditorTest {
    Track& t = editor->track;

    void SetUp() override {
        EditorTest::SetUp();
        t.world_size = 128; // world scale 4: points 20 units apart
        recompute_world_scale(t);
        full_redraw(*editor); // the shapes at the new scale
        ui.clock = 1000;
    }
    // Each call comes late enough for its unforced repaint to be carried out.
    void press(DrivingLine line, float x, float y) {
        ui.clock += 100;
        ai_line_press(placement_edit_of(*editor), line, x, y);
    }
    void set_line(std::vector<LinePoint> points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            t.ai_line[i] = points[i];
        }
        t.ai_line_count = static_cast<std::uint16_t>(points.size());
    }
    int pixels_of(std::uint32_t rgb) const {
        int n = 0;
        for (const Pixel& p : image()) {
            n += rgb_of(p) == rgb;
        }
        return n;
    }
};

TEST_F(AiLine, PressAddsPointsAtTheSpacingAndKeepsTheRopeAsSlack) {
    press(DrivingLine::ai_line, 100, 100);
    EXPECT_EQ(t.ai_line_count, 1);
    EXPECT_TRUE(ui.is_enabled(id::delete_ai_line));
    EXPECT_EQ(ui.check_of(id::show_ai_line), 1);

    press(DrivingLine::ai_line, 200, 100); // 100 away, rope 0
    ASSERT_EQ(t.ai_line_count, 5);
    for (int i = 1; i < 5; ++i) {
        EXPECT_FLOAT_EQ(t.ai_line[i].x, 100.0f + 20.0f * i);
        EXPECT_FLOAT_EQ(t.ai_line[i].y, 100.0f);
    }
    EXPECT_EQ(image(), redrawn_image());

    editor->tools.rope_length = 30;
    set_line({{100, 100}});
    press(DrivingLine::ai_line, 200, 100);
    ASSERT_EQ(t.ai_line_count, 4);
    EXPECT_FLOAT_EQ(t.ai_line[3].x, 160.0f);

    // Within rope + spacing of the end nothing is added, but the view is still repainted.
    const int repaints = ui.repaints;
    press(DrivingLine::ai_line, 210, 100);
    EXPECT_EQ(t.ai_line_count, 4);
    EXPECT_GT(ui.repaints, repaints);

    // Outside the map a press does nothing at all.
    const auto calls = ui.calls.size();
    press(DrivingLine::ai_pit_line, 512, 100);
    press(DrivingLine::ai_pit_line, 100, -1);
    EXPECT_EQ(t.ai_pit_line_count, 0);
    EXPECT_EQ(ui.calls.size(), calls);
}

TEST_F(AiLine, DragTrailsTheCursorByTheRope) {
    editor->tools.rope_length = 30;
    ai_line_drag(placement_edit_of(*editor), DrivingLine::ai_pit_line, 300,
                 300); // empty line: nothing
    EXPECT_EQ(t.ai_pit_line_count, 0);

    press(DrivingLine::ai_pit_line, 100, 100);
    ai_line_drag(placement_edit_of(*editor), DrivingLine::ai_pit_line, 200, 100); // rope end at 170
    ASSERT_EQ(t.ai_pit_line_count, 4);
    EXPECT_FLOAT_EQ(t.ai_pit_line[3].x, 160.0f);

    // A rope end outside the map stops the step even with the cursor inside.
    set_line({{-100, 100}});
    const int repaints = ui.repaints;
    ui.clock += 100;
    ai_line_drag(placement_edit_of(*editor), DrivingLine::ai_line, 20, 100);
    EXPECT_EQ(t.ai_line_count, 1);
    EXPECT_EQ(ui.repaints, repaints);
}

TEST_F(AiLine, LinesStopGrowingAtTheirLimits) {
    set_line(std::vector<LinePoint>(max_ai_line - 1, LinePoint{100, 100}));
    press(DrivingLine::ai_line, 300, 100);
    EXPECT_EQ(t.ai_line_count, max_ai_line);
    press(DrivingLine::ai_line, 100, 400);
    ai_line_drag(placement_edit_of(*editor), DrivingLine::ai_line, 400, 400);
    EXPECT_EQ(t.ai_line_count, max_ai_line);

    t.ai_pit_line_count = max_ai_pit_line - 2;
    t.ai_pit_line[t.ai_pit_line_count - 1] = {10, 10};
    press(DrivingLine::ai_pit_line, 500, 10);
    EXPECT_EQ(t.ai_pit_line_count, max_ai_pit_line);
}

TEST_F(AiLine, DeletingRemovesTheLastPointAndNeverLeavesOne) {
    set_line({{100, 100}, {200, 100}, {150, 200}});
    full_redraw(*editor);
    ASSERT_GT(pixels_of(0xFF0000), 0);

    delete_last_ai_line_point(placement_edit_of(*editor));
    EXPECT_EQ(t.ai_line_count, 2);
    EXPECT_EQ(pixels_of(0xFF0000), 0); // no closing segment left behind
    EXPECT_EQ(image(), redrawn_image());

    delete_last_ai_line_point(placement_edit_of(*editor));
    EXPECT_EQ(t.ai_line_count, 0);
    EXPECT_FALSE(ui.is_enabled(id::delete_ai_line));
    EXPECT_EQ(image(), redrawn_image());

    // A click on the disabled button of an empty line changes nothing.
    const auto calls = ui.calls.size();
    delete_last_ai_line_point(placement_edit_of(*editor));
    delete_last_ai_pit_line_point(placement_edit_of(*editor));
    EXPECT_EQ(t.ai_line_count, 0);
    EXPECT_EQ(t.ai_pit_line_count, 0);
    EXPECT_EQ(ui.calls.size(), calls);

    press(DrivingLine::ai_pit_line, 100, 100);
    press(DrivingLine::ai_pit_line, 130, 100);
    ASSERT_EQ(t.ai_pit_line_count, 2);
    delete_last_ai_pit_line_point(placement_edit_of(*editor));
    EXPECT_EQ(t.ai_pit_line_count, 0);
    EXPECT_FALSE(ui.is_enabled(id::delete_ai_pit_line));
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(AiLine, RotationMovesTheStartAroundTheLoop) {
    set_line({{1, 1}, {2, 2}});
    rotate_ai_line(placement_edit_of(*editor), 1);
    EXPECT_FLOAT_EQ(t.ai_line[0].x, 1.0f);

    const std::vector<LinePoint> loop{{10, 10}, {20, 10}, {30, 20}, {20, 30}, {10, 20}};
    set_line(loop);
    rotate_ai_line(placement_edit_of(*editor), 10);
    rotate_ai_line(placement_edit_of(*editor), -10);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(t.ai_line[i].x, loop[i].x);
        EXPECT_FLOAT_EQ(t.ai_line[i].y, loop[i].y);
    }
    rotate_ai_line(placement_edit_of(*editor), 1); // the old last point comes first
    EXPECT_FLOAT_EQ(t.ai_line[0].x, 10.0f);
    EXPECT_FLOAT_EQ(t.ai_line[0].y, 20.0f);
    EXPECT_FLOAT_EQ(t.ai_line[1].x, 10.0f);
    EXPECT_FLOAT_EQ(t.ai_line[1].y, 10.0f);
    rotate_ai_line(placement_edit_of(*editor), -1);
    rotate_ai_line(placement_edit_of(*editor), -1); // the old point 1 comes first
    EXPECT_FLOAT_EQ(t.ai_line[0].x, 20.0f);
    EXPECT_FLOAT_EQ(t.ai_line[0].y, 10.0f);
    EXPECT_FLOAT_EQ(t.ai_line[4].x, 10.0f);
    EXPECT_FLOAT_EQ(t.ai_line[4].y, 10.0f);
    EXPECT_EQ(image(), redrawn_image());
}

} // namespace
} // namespace cs
