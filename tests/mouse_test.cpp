#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <memory>
#include <string>
#include <utility>

#include "editor/dispatch.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "render/overlay.h"
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

// One gesture per tool and button on a map of Tarmac left of x = 256 and Grass right of it,
// flat heights with a peak at sample (26, 25): press at (240, 200), one move to (280, 200)
// with the button held, release there. Brush 15 (discs of radius 15 with a core of 12, lines
// 1.5 wide), rope 0, so a drag paints from the press to halfway (260, 200). What changed:
//   P (239, 200) the press alone     S (242, 200) the drag's first block   D (246, 200)
//   G (270, 200) Grass in the end disc   E (260, 213) the end disc's rim, on Grass
//   hS the peak (in the press's brush only), hB sample (35, 25) (in both brushes).
TEST_F(Mouse, EveryToolWithEitherButton) {
    static const char* const kinds[] = {
        "tarmac", "tarmac2",   "grass",      "grass_edge",  "mud",  "gravel", "sand",
        "snow",   "snow_edge", "white_line", "yellow_line", "kerb", "oil"};
    struct Row {
        int tool;
        int button;
        const char* effect;
    };
    const Row rows[] = {
        // Right: off-road surfaces go under roads; Tarmac's rim line turns yellow; Snow
        // paints its edge kind.
        {id::tool_tarmac, left_button, "G:tarmac E:white_line"},
        {id::tool_tarmac, right_button, "G:tarmac E:yellow_line"},
        {id::tool_tarmac2, left_button, "P:tarmac2 S:tarmac2 D:tarmac2 G:tarmac2 E:tarmac2"},
        {id::tool_tarmac2, right_button, "G:tarmac2 E:tarmac2"},
        {id::tool_grass, left_button, "P:grass S:grass D:grass"},
        {id::tool_grass, right_button, ""},
        {id::tool_gravel, left_button, "P:gravel S:gravel D:gravel G:gravel E:gravel"},
        {id::tool_gravel, right_button, "G:gravel E:gravel"},
        {id::tool_sand, left_button, "P:sand S:sand D:sand G:sand E:sand"},
        {id::tool_sand, right_button, "G:sand E:sand"},
        {id::tool_mud, left_button, "P:mud S:mud D:mud G:mud E:mud"},
        {id::tool_mud, right_button, "G:mud E:mud"},
        {id::tool_snow, left_button, "P:snow S:snow D:snow G:snow E:snow_edge"},
        {id::tool_snow, right_button,
         "P:snow_edge S:snow_edge D:snow_edge G:snow_edge E:snow_edge"},
        // Lines: left a solid line, right dashes (the first 5 units left out).
        {id::tool_white_line, left_button, "P:white_line S:white_line D:white_line"},
        {id::tool_white_line, right_button, "D:white_line"},
        {id::tool_yellow_line, left_button, "P:yellow_line S:yellow_line D:yellow_line"},
        {id::tool_yellow_line, right_button, "D:yellow_line"},
        // Kerb: white stripes with blocks of 7 (left), yellow with blocks of 10 (right).
        {id::tool_kerb, left_button, "P:white_line S:white_line D:kerb"},
        {id::tool_kerb, right_button, "P:yellow_line S:yellow_line D:kerb"},
        {id::tool_oil, left_button, "P:oil S:oil D:oil"},
        {id::tool_oil, right_button, ""},
        {id::tool_hmap_adjust, left_button, "hS:up hB:up"},
        {id::tool_hmap_adjust, right_button, "hS:down hB:down"},
        {id::tool_hmap_smooth, left_button, "hS:down hB:up"},
        {id::tool_hmap_smooth, right_button, "hS:down hB:up"},
        // Placement: left moves and places, right turns the pending element or does nothing.
        {id::tool_object, left_button, "pending-moved starts-moved"},
        {id::tool_object, right_button, "pending-turned"},
        {id::tool_pit, left_button, "pit-pending-moved pits+1"},
        {id::tool_pit, right_button, "pit-pending-turned"},
        {id::tool_checkpoint, left_button, "checkpoints+1"},
        {id::tool_checkpoint, right_button, ""},
        {id::tool_ai_line, left_button, "ai@240,200"},
        {id::tool_ai_line, right_button, ""},
        {id::tool_ai_pit_line, left_button, "aipit@240,200"},
        {id::tool_ai_pit_line, right_button, ""},
    };
    const int peak = 25 * 64 + 26;
    const int beside = 25 * 64 + 35;
    Track& t = editor->track;
    for (int y = 0; y < 512; ++y) {
        std::fill_n(t.land.begin() + y * 512, 256, tarmac);
    }
    t.heights[peak] += 10000;
    full_redraw(*editor);
    const auto copy = std::make_unique<Track>(t);
    const Track& was = *copy;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.tool) + (row.button == left_button ? " left" : " right"));
        // Each row starts from the same track, with nothing to undo.
        t = was;
        invalidate_overlays(canvas_of(*editor));
        start_history(*editor);
        editor->undo.land_armed = editor->undo.heights_armed = false;
        ui.set_control_enabled(id::land_undo, false);
        ui.set_control_enabled(id::hmap_undo, false);
        tool(row.tool);

        const int held = row.button == left_button ? left_held : right_held;
        press_handler(*editor, row.button, 240, 200);
        move_handler(*editor, held, 280, 200);
        release_handler(*editor, row.button, 280, 200);

        std::string seen;
        auto note = [&seen](bool happened, const std::string& s) {
            seen += happened ? (seen.empty() ? "" : " ") + s : "";
        };
        const std::pair<const char*, int> cells[] = {{"P", 200 * 512 + 239},
                                                     {"S", 200 * 512 + 242},
                                                     {"D", 200 * 512 + 246},
                                                     {"G", 200 * 512 + 270},
                                                     {"E", 213 * 512 + 260}};
        for (const auto& [name, i] : cells) {
            note(t.land[i] != was.land[i], std::string(name) + ":" + kinds[t.land[i]]);
        }
        for (const auto& [name, i] : {std::pair{"hS", peak}, std::pair{"hB", beside}}) {
            note(t.heights[i] != was.heights[i],
                 std::string(name) + (t.heights[i] > was.heights[i] ? ":up" : ":down"));
        }
        const Object& pending = t.objects[t.object_count];
        const Object& old_pending = was.objects[was.object_count];
        note(pending.x != old_pending.x || pending.y != old_pending.y, "pending-moved");
        note(pending.angle != old_pending.angle, "pending-turned");
        note(t.objects[start_positions - 1].x != was.objects[start_positions - 1].x,
             "starts-moved");
        const Pit& pit = t.pits[t.pit_count];
        note(pit.x != was.pits[0].x || pit.y != was.pits[0].y, "pit-pending-moved");
        note(pit.angle != was.pits[0].angle, "pit-pending-turned");
        note(t.pit_count != 0, "pits+" + std::to_string(t.pit_count));
        note(t.checkpoint_count != 0, "checkpoints+" + std::to_string(t.checkpoint_count));
        const auto first = [](const LinePoint& p) {
            return "@" + std::to_string(int(p.x)) + "," + std::to_string(int(p.y));
        };
        note(t.ai_line_count != 0, "ai" + first(t.ai_line[0]));
        note(t.ai_pit_line_count != 0, "aipit" + first(t.ai_pit_line[0]));
        const bool land_tool = row.tool <= id::tool_oil || row.tool == id::tool_mud;
        const bool height_tool =
            row.tool == id::tool_hmap_adjust || row.tool == id::tool_hmap_smooth;
        EXPECT_EQ(seen, row.effect);
        // Every land tool takes a land snapshot with either button, the height tools a
        // height snapshot; the placement tools neither.
        EXPECT_EQ(ui.is_enabled(id::land_undo), land_tool);
        EXPECT_EQ(ui.is_enabled(id::hmap_undo), height_tool);
    }
}

} // namespace
} // namespace cs
