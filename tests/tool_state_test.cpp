#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/tool_commands.h"
#include "render/overlay.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

struct Tools : test_support::EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        ui.calls.clear();
    }
    std::ptrdiff_t position_of(const std::string& call) const {
        const auto it = std::find(ui.calls.begin(), ui.calls.end(), call);
        return it == ui.calls.end() ? -1 : it - ui.calls.begin();
    }
};

TEST_F(Tools, UndoRestoresTheLayerFromBeforeTheLastSnapshotAndDisarms) {
    Track& t = editor->track;
    const auto original = t.land;
    snapshot_land(*editor);
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_FALSE(ui.is_enabled(id::hmap_undo));
    t.land[1000] = tarmac;
    snapshot_land(*editor); // a second gesture replaces the snapshot
    const auto after_first = t.land;
    t.land[2000] = kerb;
    t.heights[7] = 7; // heights were not snapshotted: undoing the land leaves them

    ui.clock += 100;
    const int repaints = ui.repaints;
    undo_land(*editor);
    EXPECT_EQ(t.land, after_first);
    EXPECT_NE(t.land, original);
    EXPECT_EQ(t.heights[7], 7);
    EXPECT_FALSE(ui.is_enabled(id::land_undo));
    EXPECT_EQ(ui.repaints, repaints + 1);
    EXPECT_EQ(image(), redrawn_image());
    // The buffer keeps its copy.
    EXPECT_EQ(editor->undo.land, after_first);
    // A second undo finds nothing armed: what changed since stays.
    t.land[3000] = sand;
    undo_land(*editor);
    EXPECT_EQ(t.land[3000], sand);
}

TEST_F(Tools, HeightUndoIsIndependentOfLandUndo) {
    Track& t = editor->track;
    const auto heights = t.heights;
    snapshot_land(*editor);
    snapshot_heights(*editor);
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    t.heights.fill(100);
    t.land[5] = sand;

    undo_heights(*editor);
    EXPECT_EQ(t.heights, heights);
    EXPECT_EQ(t.land[5], sand);
    EXPECT_FALSE(ui.is_enabled(id::hmap_undo));
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_EQ(image(), redrawn_image());

    undo_land(*editor);
    EXPECT_EQ(t.land[5], grass);
    EXPECT_EQ(t.heights, heights);
    EXPECT_FALSE(ui.is_enabled(id::land_undo));
    t.heights[9] = 900; // a second height undo leaves it
    undo_heights(*editor);
    EXPECT_EQ(t.heights[9], 900);
}

TEST_F(Tools, PlacementToolsShowTheirHiddenOverlay) {
    ViewState& v = editor->view;
    v.show_objects = v.show_checkpoints = v.show_ai_line = false;

    select_tool(*editor, grass_tool);
    EXPECT_EQ(editor->tools.current_tool, grass_tool);
    EXPECT_TRUE(ui.calls.empty());

    select_tool(*editor, checkpoint_tool);
    EXPECT_EQ(editor->tools.current_tool, checkpoint_tool);
    EXPECT_TRUE(v.show_checkpoints);
    EXPECT_EQ(ui.check_of(id::show_checkpoints), 1);
    EXPECT_FALSE(v.show_objects);
    EXPECT_FALSE(v.show_ai_line);

    // Already shown: nothing else happens.
    ui.calls.clear();
    select_tool(*editor, checkpoint_tool);
    EXPECT_TRUE(ui.calls.empty());

    select_tool(*editor, pit_tool);
    EXPECT_TRUE(v.show_objects);
    EXPECT_EQ(ui.check_of(id::show_objects), 1);
    select_tool(*editor, ai_pit_line_tool);
    EXPECT_TRUE(v.show_ai_line);
    EXPECT_EQ(ui.check_of(id::show_ai_line), 1);

    v.show_objects = v.show_ai_line = false;
    select_tool(*editor, object_tool);
    EXPECT_TRUE(v.show_objects);
    select_tool(*editor, ai_line_tool);
    EXPECT_TRUE(v.show_ai_line);

    // Numbers that name no tool are ignored.
    select_tool(*editor, tool_count);
    select_tool(*editor, -1);
    EXPECT_EQ(editor->tools.current_tool, ai_line_tool);
}

TEST_F(Tools, ChoosingAnObjectKindSwitchesToTheObjectTool) {
    Track& t = editor->track;
    select_tool(*editor, grass_tool);
    ui.set_check(id::tool_grass, true);
    editor->view.show_objects = false;

    // The pending object and pit, drawn where the mouse last left them.
    Object& pending = t.objects[t.object_count];
    pending = Object{300, 300, 0.5f, house};
    t.pits[t.pit_count] = Pit{200, 400, 1.0f};
    ui.clock += 100;
    select_object_kind(*editor, stone);

    EXPECT_EQ(ui.check_of(id::tool_grass), 0);
    EXPECT_EQ(ui.check_of(id::tool_object), 1);
    EXPECT_LT(position_of("check 1010 0"), position_of("check 1019 1"));
    EXPECT_TRUE(editor->view.show_objects);
    EXPECT_EQ(ui.check_of(id::show_objects), 1);
    EXPECT_EQ(editor->tools.current_tool, object_tool);
    EXPECT_EQ(editor->tools.object_kind, stone);
    EXPECT_EQ(pending.kind, stone);
    EXPECT_EQ(ui.calls.back(), "repaint");

    // No trace of the pending shapes is left in the image: the placement slots are no part
    // of what a full redraw draws.
    pending.kind = house;
    draw_object(canvas_of(*editor), pending.x, pending.y, pending.angle, house, DrawMode::draw, -1);
    draw_object(canvas_of(*editor), 200, 400, 1.0f, pit_kind, DrawMode::draw, -1);
    const std::vector<Pixel> drawn = image();
    select_object_kind(*editor, bush);
    EXPECT_NE(image(), drawn);
    EXPECT_EQ(image(), redrawn_image());
    EXPECT_EQ(pending.kind, bush);
}

// Wiping the pending object and pit must not leave holes in the shapes they lay on.
TEST_F(Tools, ChoosingAnObjectKindKeepsTheShapesUnderThePendingOnes) {
    Track& t = editor->track;
    t.pits[t.pit_count] = Pit{t.objects[0].x, t.objects[0].y, 0.0f};
    t.objects[t.object_count] = Object{t.objects[1].x, t.objects[1].y, 0.0f, house};
    select_object_kind(*editor, bush);
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(Tools, SlidersScaleTheirPositions) {
    ToolState& tools = editor->tools;
    set_brush_size(*editor, 1);
    EXPECT_EQ(tools.brush_size, 5);
    set_brush_size(*editor, 10);
    EXPECT_EQ(tools.brush_size, 50);
    set_rope_length(*editor, 0);
    EXPECT_EQ(tools.rope_length, 0);
    set_rope_length(*editor, 10);
    EXPECT_EQ(tools.rope_length, 100);
    EXPECT_TRUE(ui.calls.empty()); // neither redraws

    // Positions past a slider's ends are taken as the end; nothing overflows.
    set_brush_size(*editor, std::numeric_limits<int>::max());
    EXPECT_EQ(tools.brush_size, 50);
    set_brush_size(*editor, 0);
    EXPECT_EQ(tools.brush_size, 5);
    set_rope_length(*editor, std::numeric_limits<int>::min());
    EXPECT_EQ(tools.rope_length, 0);
    set_image_blend(*editor, 1000);
    EXPECT_EQ(tools.image_blend, 10);
    EXPECT_EQ(editor->renderer.at(400, 400), editor->renderer.land_colours[grass]);
}

} // namespace
} // namespace cs
