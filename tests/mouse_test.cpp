#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <memory>

#include "editor/dispatch.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "interaction/mouse.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

struct Mouse : test_support::EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        initialise_panel(*editor);
        ui.clock = 1000;
    }
    void tool(int id) { dispatch_command(*editor, id, Notification::clicked); }
    std::uint8_t cell(int x, int y) const { return editor->track.land[y * 512 + x]; }
    int count_of(std::uint8_t kind) const {
        int n = 0;
        for (auto c : editor->track.land) {
            n += c == kind;
        }
        return n;
    }
};

TEST_F(Mouse, DragThatBeganElsewherePaintsNothing) {
    const auto before = editor->track.land;
    move_handler(*editor, left_held, 200, 200);
    move_handler(*editor, left_held, 260, 200);
    EXPECT_EQ(editor->track.land, before);
    release_handler(*editor, left_button, 260, 200);
    EXPECT_EQ(ui.repaints, 0); // no gesture under way: no repaint
}

TEST_F(Mouse, TarmacPressPaintsADiscAndSnapshotsFirst) {
    press_handler(*editor, left_button, 200, 200);
    EXPECT_TRUE(ui.captured);
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_EQ(editor->undo.land[200 * 512 + 200], grass); // taken before painting
    EXPECT_EQ(cell(200, 200), tarmac);
    EXPECT_EQ(cell(200 + 13, 200), white_line);
    EXPECT_EQ(ui.repaints, 1);
    release_handler(*editor, left_button, 200, 200);
    EXPECT_FALSE(ui.captured);
    EXPECT_EQ(editor->gesture.button_down, 0);
}

TEST_F(Mouse, RightPressWithALineToolPaintsNothingButSnapshots) {
    tool(id::tool_white_line);
    const auto before = editor->track.land;
    press_handler(*editor, right_button, 200, 200);
    EXPECT_EQ(editor->track.land, before);
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_EQ(ui.repaints, 0);
}

TEST_F(Mouse, SmoothingStepPaintsHalfwayToTheRopeEnd) {
    // Rope 0: a move of 10 cells paints from the anchor to 5 cells toward the cursor.
    tool(id::tool_white_line); // brush 15: line width 1.5
    press_handler(*editor, left_button, 100, 300);
    move_handler(*editor, left_held, 101, 300); // within 1 cell: nothing
    EXPECT_EQ(editor->gesture.anchor_x, 100.0f);
    move_handler(*editor, left_held, 110, 300);
    EXPECT_EQ(editor->gesture.anchor_x, 105.0f);
    EXPECT_EQ(cell(105, 300), white_line);
    EXPECT_EQ(cell(107, 300), grass_edge); // the edge band of the disc at 105
    EXPECT_EQ(cell(110, 300), grass);
}

TEST_F(Mouse, RopeHoldsTheStrokeBack) {
    ui.sliders[id::rope_length] = 2;
    slider_notification(*editor, id::rope_length, SliderEvent::released_capture);
    press_handler(*editor, left_button, 100, 300);
    move_handler(*editor, left_held, 121, 300); // 21 cells: not beyond 21
    EXPECT_EQ(editor->gesture.anchor_x, 100.0f);
    move_handler(*editor, left_held, 122, 300); // the rope end is at 102: anchor to 101
    EXPECT_EQ(editor->gesture.anchor_x, 101.0f);
}

TEST_F(Mouse, DashedLineAlternatesTenUnits) {
    tool(id::tool_white_line);
    press_handler(*editor, right_button, 100, 300);
    for (int x = 111; x <= 141; x += 10) {
        ui.clock += 100;
        move_handler(*editor, right_held, x, 300);
    }
    // Painted 5..15 and 25..35 from the press, gaps in between.
    EXPECT_EQ(cell(110, 300), white_line);
    EXPECT_EQ(cell(120, 300), grass);
    EXPECT_EQ(cell(130, 300), white_line);
    EXPECT_EQ(editor->gesture.dash_phase, 0);
}

TEST_F(Mouse, KerbAlternatesKerbAndWhiteBlocks) {
    tool(id::tool_kerb);
    press_handler(*editor, left_button, 100, 300);
    for (int x = 108; x <= 136; x += 7) {
        move_handler(*editor, left_held, x, 300);
    }
    // Half a block of white after the press, then blocks of 7: kerb, white, kerb.
    EXPECT_EQ(cell(102, 300), white_line);
    EXPECT_EQ(cell(105, 300), kerb);
    EXPECT_EQ(cell(109, 300), kerb);
    EXPECT_EQ(cell(112, 300), white_line);
    EXPECT_EQ(cell(116, 300), white_line);
    EXPECT_EQ(cell(119, 300), kerb);
}

TEST_F(Mouse, HeightToolsSnapshotTheGrid) {
    tool(id::tool_hmap_smooth);
    press_handler(*editor, right_button, 200, 200);
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    EXPECT_FALSE(ui.is_enabled(id::land_undo));
    release_handler(*editor, right_button, 200, 200);
    tool(id::tool_hmap_adjust);
    press_handler(*editor, left_button, 256, 256);
    EXPECT_GT(editor->track.heights[31 * 64 + 31], default_height);
    const std::uint16_t after_press = editor->track.heights[31 * 64 + 31];
    move_handler(*editor, left_held, 256, 256);
    EXPECT_GT(editor->track.heights[31 * 64 + 31], after_press);
}

TEST_F(Mouse, OilIgnoresTheRightButtonAndDrags) {
    editor->track.land.fill(tarmac);
    tool(id::tool_oil);
    press_handler(*editor, right_button, 200, 200);
    EXPECT_EQ(count_of(oil), 0);
    release_handler(*editor, right_button, 200, 200);
    press_handler(*editor, left_button, 200, 200);
    const int splashed = count_of(oil);
    EXPECT_GT(splashed, 0);
    move_handler(*editor, left_held, 300, 300);
    EXPECT_EQ(count_of(oil), splashed);
}

TEST_F(Mouse, ObjectToolShowsObjectsWithoutARedraw) {
    tool(id::tool_pit);
    ui.checked[id::show_objects] = 0;
    dispatch_command(*editor, id::show_objects, Notification::clicked);
    ASSERT_FALSE(editor->view.show_objects);
    ui.clock += 100;
    const int repaints = ui.repaints;
    press_handler(*editor, left_button, 300, 300);
    EXPECT_TRUE(editor->view.show_objects);
    EXPECT_EQ(ui.check_of(id::show_objects), 1);
    EXPECT_EQ(ui.repaints, repaints);
}

TEST_F(Mouse, SecondPressTakesANewSnapshot) {
    press_handler(*editor, left_button, 100, 100);
    press_handler(*editor, right_button, 300, 300);
    EXPECT_EQ(editor->undo.land[100 * 512 + 100], tarmac);
    EXPECT_EQ(editor->undo.land[300 * 512 + 300], grass);
    release_handler(*editor, left_button, 300, 300);
    EXPECT_EQ(editor->gesture.button_down, 0); // either release ends the gesture
}

} // namespace
} // namespace cs
