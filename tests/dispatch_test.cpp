#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "editor/dispatch.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/tool_commands.h"
#include "editor/view_commands.h"
#include "render/view.h"
#include "resources/control_ids.h"
#include "resources/templates.h"

namespace cs {
namespace {

struct Dispatch : test_support::EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        initialise_panel(*editor);
    }
};

TEST_F(Dispatch, PanelStartsAsTheTemplateSays) {
    EXPECT_EQ(ui.sliders[id::brush_size], 3);
    EXPECT_EQ(ui.sliders[id::rope_length], 0);
    EXPECT_EQ(ui.sliders[id::image_blend], 5);
    for (int id : {id::tool_tarmac, id::show_ai_line, id::show_objects, id::show_checkpoints}) {
        EXPECT_EQ(ui.check_of(id), 1) << id;
    }
    for (int id : {id::land_undo, id::hmap_undo, id::delete_pit, id::delete_checkpoint,
                   id::delete_ai_line, id::delete_ai_pit_line}) {
        EXPECT_FALSE(ui.is_enabled(id)) << id;
    }
    EXPECT_TRUE(ui.is_enabled(id::delete_object));
    EXPECT_EQ(ui.object_kind_entry, 0);
    EXPECT_EQ(ui.vertical.maximum, 0);
    EXPECT_EQ(ui.vertical.page, 500);
    EXPECT_TRUE(ui.horizontal.show_disabled);
}

TEST_F(Dispatch, ToolButtonsSelectOnEveryNotification) {
    dispatch_command(*editor, id::tool_mud, Notification::set_focus);
    EXPECT_EQ(editor->tools.current_tool, mud_tool);
    dispatch_command(*editor, id::tool_hmap_smooth, Notification::clicked);
    EXPECT_EQ(editor->tools.current_tool, hmap_smooth_tool);
}

TEST_F(Dispatch, ObjectKindListActsOnlyOnASelectionChange) {
    ui.object_kind_entry = 4; // "Fence"
    dispatch_command(*editor, id::object_kinds, Notification::other);
    EXPECT_EQ(editor->tools.object_kind, 0);
    dispatch_command(*editor, id::object_kinds, Notification::selection_changed);
    EXPECT_EQ(editor->tools.object_kind, fence);
    EXPECT_EQ(editor->tools.current_tool, object_tool);
    ui.object_kind_entry = -1; // nothing selected: nothing happens
    dispatch_command(*editor, id::object_kinds, Notification::selection_changed);
    EXPECT_EQ(editor->tools.object_kind, fence);
}

TEST_F(Dispatch, CheckBoxesReadTheirState) {
    ui.checked[id::show_objects] = 0;
    dispatch_command(*editor, id::show_objects, Notification::clicked);
    EXPECT_FALSE(editor->view.show_objects);
    ui.checked[id::zoom_4x] = 1;
    dispatch_command(*editor, id::zoom_4x, Notification::clicked);
    EXPECT_TRUE(editor->view.zoom_4x);
    EXPECT_EQ(ui.horizontal.maximum, 1250);
}

TEST_F(Dispatch, DeleteObjectBoxEndsItsModeOnFocusLoss) {
    ui.checked[id::delete_object] = 1;
    dispatch_command(*editor, id::delete_object, Notification::set_focus);
    EXPECT_FALSE(editor->elements.delete_object_mode);
    dispatch_command(*editor, id::delete_object, Notification::clicked);
    EXPECT_TRUE(editor->elements.delete_object_mode);
    dispatch_command(*editor, id::delete_object, Notification::kill_focus);
    EXPECT_FALSE(editor->elements.delete_object_mode);
    EXPECT_EQ(ui.check_of(id::delete_object), 0);
}

// One click on each control of the panel template, each on an editor in the same state,
// must have that control's own effect: a case routed to a neighbour's action, or a
// rotation with the wrong sign or step, shows up as the wrong effect.
TEST(PanelRouting, EveryControlHasItsOwnEffect) {
    struct Clicked {
        ScriptedUi ui;
        std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
        Track& t = editor->track;
    };
    // The first file dialog's remembered name: tells the file commands apart.
    const auto first_name = [](const Clicked& c) {
        return c.ui.file_requests.empty() ? std::string("-") : c.ui.file_requests[0].initial_name;
    };
    const auto first_call = [](const Clicked& c, std::string_view prefix) {
        return std::any_of(c.ui.calls.begin(), c.ui.calls.end(),
                           [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    };
    // Where point 0 of the 7-point line is after a rotation: (0 + k) mod 7.
    const auto point0_at = [](const Clicked& c) {
        for (int i = 0; i < 7; ++i) {
            if (c.t.ai_line[i].x == 100.0f) {
                return i;
            }
        }
        return -1;
    };
    const std::pair<int, int> tools[] = {
        {id::tool_tarmac, tarmac_tool},
        {id::tool_tarmac2, tarmac2_tool},
        {id::tool_grass, grass_tool},
        {id::tool_gravel, gravel_tool},
        {id::tool_sand, sand_tool},
        {id::tool_snow, snow_tool},
        {id::tool_white_line, white_line_tool},
        {id::tool_yellow_line, yellow_line_tool},
        {id::tool_kerb, kerb_tool},
        {id::tool_oil, oil_tool},
        {id::tool_hmap_adjust, hmap_adjust_tool},
        {id::tool_object, object_tool},
        {id::tool_checkpoint, checkpoint_tool},
        {id::tool_ai_line, ai_line_tool},
        {id::tool_ai_pit_line, ai_pit_line_tool},
        {id::tool_pit, pit_tool},
        {id::tool_hmap_smooth, hmap_smooth_tool},
        {id::tool_mud, mud_tool},
    };
    std::map<int, std::function<void(Clicked&)>> effect = {
        {id::new_track,
         [](Clicked& c) {
             EXPECT_EQ(c.t.land[0], grass);
             EXPECT_EQ(c.t.ai_line_count, 0);
         }},
        {id::track_properties,
         [&](Clicked& c) {
             EXPECT_TRUE(first_call(c, "properties dialog"));
             EXPECT_EQ(c.t.land[0], sand);
         }},
        {id::load, [&](Clicked& c) { EXPECT_EQ(first_name(c), "open"); }},
        {id::save,
         [&](Clicked& c) { EXPECT_TRUE(first_call(c, "question: Track has following flaws")); }},
        {id::launch_game, [&](Clicked& c) { EXPECT_TRUE(first_call(c, "start ")); }},
        {id::import_ai_line, [&](Clicked& c) { EXPECT_EQ(first_name(c), "lap"); }},
        {id::import_land, [&](Clicked& c) { EXPECT_EQ(first_name(c), "in-land"); }},
        {id::import_hmap, [&](Clicked& c) { EXPECT_EQ(first_name(c), "in-hmap"); }},
        {id::export_land, [&](Clicked& c) { EXPECT_EQ(first_name(c), "out-land"); }},
        {id::export_hmap, [&](Clicked& c) { EXPECT_EQ(first_name(c), "out-hmap"); }},
        {id::land_undo,
         [](Clicked& c) {
             EXPECT_EQ(c.t.land[0], grass);
             EXPECT_EQ(c.t.heights[0], 5000);
         }},
        {id::hmap_undo,
         [](Clicked& c) {
             EXPECT_NE(c.t.heights[0], 5000);
             EXPECT_EQ(c.t.land[0], sand);
         }},
        {id::flatten,
         [](Clicked& c) {
             EXPECT_EQ(c.editor->undo.heights[0], 5000); // snapshot of the heights it flattened
             EXPECT_EQ(std::count(c.t.heights.begin(), c.t.heights.end(), c.t.heights[0]),
                       static_cast<std::ptrdiff_t>(c.t.heights.size()));
         }},
        {id::delete_object, [](Clicked& c) { EXPECT_TRUE(c.editor->elements.delete_object_mode); }},
        {id::delete_pit,
         [](Clicked& c) {
             EXPECT_EQ(c.t.pit_count, 1);
             EXPECT_EQ(c.t.checkpoint_count, 2);
         }},
        {id::delete_checkpoint,
         [](Clicked& c) {
             EXPECT_EQ(c.t.checkpoint_count, 1);
             EXPECT_EQ(c.t.pit_count, 2);
         }},
        {id::delete_ai_line,
         [](Clicked& c) {
             EXPECT_EQ(c.t.ai_line_count, 6);
             EXPECT_EQ(c.t.ai_pit_line_count, 3);
         }},
        {id::delete_ai_pit_line,
         [](Clicked& c) {
             EXPECT_EQ(c.t.ai_pit_line_count, 2);
             EXPECT_EQ(c.t.ai_line_count, 7);
         }},
        {id::rotate_back_10, [&](Clicked& c) { EXPECT_EQ(point0_at(c), 4); }},
        {id::rotate_back_1, [&](Clicked& c) { EXPECT_EQ(point0_at(c), 6); }},
        {id::rotate_on_1, [&](Clicked& c) { EXPECT_EQ(point0_at(c), 1); }},
        {id::rotate_on_10, [&](Clicked& c) { EXPECT_EQ(point0_at(c), 3); }},
        {id::object_kinds, [](Clicked& c) { EXPECT_EQ(c.editor->tools.object_kind, fence); }},
        {id::brush_size, [](Clicked& c) { EXPECT_EQ(c.editor->tools.brush_size, 35); }},
        {id::rope_length, [](Clicked& c) { EXPECT_EQ(c.editor->tools.rope_length, 70); }},
        {id::image_blend, [](Clicked& c) { EXPECT_EQ(c.editor->tools.image_blend, 7); }},
        {id::show_objects,
         [](Clicked& c) {
             const ViewState& v = c.editor->view;
             EXPECT_TRUE(!v.show_objects && v.show_ai_line && v.show_checkpoints);
         }},
        {id::show_ai_line,
         [](Clicked& c) {
             const ViewState& v = c.editor->view;
             EXPECT_TRUE(v.show_objects && !v.show_ai_line && v.show_checkpoints);
         }},
        {id::show_checkpoints,
         [](Clicked& c) {
             const ViewState& v = c.editor->view;
             EXPECT_TRUE(v.show_objects && v.show_ai_line && !v.show_checkpoints);
         }},
        {id::zoom_2x, [](Clicked& c) { EXPECT_EQ(magnification(c.editor->view), 2); }},
        {id::zoom_4x, [](Clicked& c) { EXPECT_EQ(magnification(c.editor->view), 4); }},
    };
    for (const auto& [control, tool] : tools) {
        effect[control] = [tool](Clicked& c) { EXPECT_EQ(c.editor->tools.current_tool, tool); };
    }

    for (const DialogControl& control : panel_controls) {
        if (control.id == no_id) {
            continue;
        }
        SCOPED_TRACE(control.id);
        Clicked c;
        ASSERT_TRUE(set_up_editor(*c.editor));
        initialise_panel(*c.editor);
        c.ui.clock = 1000;
        Track& t = c.t;
        for (int i = 0; i < 7; ++i) {
            t.ai_line[i] = {100.0f + 10.0f * i, 200.0f};
        }
        t.ai_line_count = 7;
        t.ai_pit_line[0] = {50, 50};
        t.ai_pit_line[1] = {60, 80};
        t.ai_pit_line[2] = {70, 110};
        t.ai_pit_line_count = 3;
        t.pits[0] = {300, 300, 0};
        t.pits[1] = {350, 300, 0};
        t.pit_count = 2;
        t.checkpoints[0] = {100, 400, 140, 400};
        t.checkpoints[1] = {200, 400, 240, 400};
        t.checkpoint_count = 2;
        snapshot_land(*c.editor);
        snapshot_heights(*c.editor);
        t.land[0] = sand;
        t.heights[0] = 5000;
        full_redraw(*c.editor);
        DocumentState& d = c.editor->documents;
        d.open_track_name = "open";
        d.import_lap_name = "lap";
        d.import_land_name = "in-land";
        d.import_heights_name = "in-hmap";
        d.export_land_name = "out-land";
        d.export_heights_name = "out-hmap";
        c.ui.checked[control.id] = control.id == id::delete_object || control.id == id::zoom_2x ||
                                   control.id == id::zoom_4x;
        c.ui.object_kind_entry = 4; // "Fence"
        c.ui.sliders[control.id] = 7;
        c.ui.calls.clear();

        if (control.kind == ControlKind::trackbar) {
            slider_notification(*c.editor, control.id, SliderEvent::released_capture);
        } else {
            dispatch_command(*c.editor, control.id,
                             control.kind == ControlKind::drop_down_list
                                 ? Notification::selection_changed
                                 : Notification::clicked);
        }
        ASSERT_TRUE(effect.contains(control.id));
        effect[control.id](c);
    }
}

TEST_F(Dispatch, ButtonsActWhateverTheNotification) {
    ui.clock = 100;
    dispatch_command(*editor, id::flatten, Notification::other);
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    dispatch_command(*editor, id::hmap_undo, Notification::clicked);
    EXPECT_FALSE(ui.is_enabled(id::hmap_undo));
}

TEST_F(Dispatch, SlidersActOnlyWhenReleased) {
    ui.sliders[id::brush_size] = 10;
    slider_notification(*editor, id::brush_size, SliderEvent::moved);
    EXPECT_EQ(editor->tools.brush_size, 15);
    slider_notification(*editor, id::brush_size, SliderEvent::released_capture);
    EXPECT_EQ(editor->tools.brush_size, 50);
    ui.sliders[id::rope_length] = 10;
    slider_notification(*editor, id::rope_length, SliderEvent::released_capture);
    EXPECT_EQ(editor->tools.rope_length, 100);
    ui.sliders[id::image_blend] = 0;
    ui.clock = 1000;
    slider_notification(*editor, id::image_blend, SliderEvent::released_capture);
    EXPECT_EQ(editor->tools.image_blend, 0);
    EXPECT_EQ(editor->renderer.at(300, 300), (Pixel{128, 128, 128, 0}));
}

TEST(Keyboard, TabAndEnter) {
    EXPECT_EQ(keyboard_action(Key::tab, false), KeyAction::focus_next);
    EXPECT_EQ(keyboard_action(Key::tab, true), KeyAction::focus_previous);
    EXPECT_EQ(keyboard_action(Key::enter, true), KeyAction::click_focused);
    EXPECT_EQ(keyboard_action(Key::other, false), KeyAction::none);
}

TEST(MouseMapping, MagnificationsAndScrollOffsets) {
    ViewState view;
    const ClientSize client{512, 512};
    MapPosition p = map_mouse_position(view, client, 100, 60);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 60);
    view.zoom_2x = true;
    p = map_mouse_position(view, client, 100, 60);
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 30);
    view.scroll_h = 501;
    view.scroll_v = 501;
    p = map_mouse_position(view, ClientSize{495, 495}, 494, 0);
    EXPECT_EQ(p.x, 265 + 247); // the last column of the map at the largest position
    EXPECT_EQ(p.y, 265);
    view.zoom_2x = false;
    view.zoom_4x = true;
    view.scroll_h = 1001;
    view.scroll_v = 0;
    p = map_mouse_position(view, client, 511, 5);
    EXPECT_EQ(p.x, 1536 * 1001 / 4000 + 127);
    EXPECT_EQ(p.y, 1);
    // Positions are signed 16-bit words, divided toward zero.
    view.zoom_4x = false;
    view.zoom_2x = true;
    view.scroll_h = 0;
    p = map_mouse_position(view, client, 0xFFFD, 0x10005);
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, 2);
}

TEST(Scrolling, RequestsAreClampedToTheLargestPosition) {
    const ScrollSettings two{0, 1000, 500, 495};
    EXPECT_EQ(scroll_target(ScrollRequest::line_down, 0, two), 501);
    EXPECT_EQ(scroll_target(ScrollRequest::line_up, 0, two), 485);
    EXPECT_EQ(scroll_target(ScrollRequest::page_up, 0, two), 395);
    EXPECT_EQ(scroll_target(ScrollRequest::page_down, 0, two), 501);
    EXPECT_EQ(scroll_target(ScrollRequest::thumb_track, 700, two), 501);
    EXPECT_EQ(scroll_target(ScrollRequest::thumb_position, 12, two), 12);
    EXPECT_EQ(scroll_target(ScrollRequest::other, 12, two), 495);
    const ScrollSettings four{0, 1250, 250, 1000};
    EXPECT_EQ(scroll_target(ScrollRequest::page_down, 0, four), 1001);
    const ScrollSettings one{0, 0, 500, 0};
    EXPECT_EQ(scroll_target(ScrollRequest::page_down, 0, one), 0);
    EXPECT_EQ(scroll_target(ScrollRequest::page_up, 0, one), 0);
}

TEST_F(Dispatch, ScrollingStoresPositionsOnlyWhenMagnified) {
    ui.clock = 1000;
    view_scroll(*editor, ScrollBar::horizontal, ScrollRequest::line_down, 0);
    EXPECT_EQ(editor->view.scroll_h, 0);
    set_zoom_2x(*editor, true, true);
    const int before = ui.repaints;
    view_scroll(*editor, ScrollBar::vertical, ScrollRequest::page_down, 0);
    EXPECT_EQ(editor->view.scroll_v, 100);
    EXPECT_EQ(ui.vertical.position, 100);
    EXPECT_EQ(ui.repaints, before + 1); // forced, within the 50 ms period
}

TEST_F(Dispatch, PressesOutsideTheMapAreDroppedReleasesPassed) {
    ui.calls.clear();
    view_mouse(*editor, ViewMouse::left_down, 512, 10, 0);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(editor->gesture.button_down, 0);
    view_mouse(*editor, ViewMouse::left_up, 600, 10, 0);
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0], "release capture");
    // At 2x a click at window (100, 60) edits cell (50, 30).
    set_zoom_2x(*editor, true, true);
    view_mouse(*editor, ViewMouse::left_down, 100, 60, 0);
    EXPECT_EQ(editor->gesture.anchor_x, 50.0f);
    EXPECT_EQ(editor->gesture.anchor_y, 30.0f);
    EXPECT_EQ(editor->track.land[30 * 512 + 50], tarmac);
    // A move over the panel is taken relative to the view's left edge.
    view_mouse(*editor, ViewMouse::left_up, 100, 60, 0);
    set_zoom_2x(*editor, false, true);
    panel_mouse_move(*editor, 150, 40, 170, 0);
    EXPECT_EQ(editor->gesture.button_down, 0);
}

} // namespace
} // namespace cs
