#include <gtest/gtest.h>

#include "tests/editor_fixture.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "editor/dispatch.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "resources/control_ids.h"

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

// Each document button reaches its own flow: the first thing each asks of the port.
TEST_F(Dispatch, DocumentButtonsReachTheirFlows) {
    const std::pair<int, std::string> table[] = {
        {id::new_track, "properties dialog -> cancel"},
        {id::load, "open dialog  -> cancel"},
        {id::save, "question: Track has following flaws"},
        {id::launch_game, "start "},
        {id::track_properties, "properties dialog -> cancel"},
        {id::import_ai_line, "open dialog  -> cancel"},
        {id::import_land, "open dialog  -> cancel"},
        {id::import_hmap, "open dialog  -> cancel"},
        {id::export_land, "save dialog  -> cancel"},
        {id::export_hmap, "save dialog  -> cancel"},
    };
    for (const auto& [id, first_call] : table) {
        ui.calls.clear();
        ui.file_requests.clear();
        dispatch_command(*editor, id, Notification::other);
        const auto it = std::find_if(ui.calls.begin(), ui.calls.end(), [&](const std::string& c) {
            return c.rfind("question", 0) == 0 || c.rfind("start", 0) == 0 ||
                   c.find("dialog") != std::string::npos;
        });
        ASSERT_NE(it, ui.calls.end()) << id;
        EXPECT_EQ(it->substr(0, first_call.size()), first_call) << id;
        if (!ui.file_requests.empty()) {
            const bool bitmap = id == id::import_land || id == id::import_hmap ||
                                id == id::export_land || id == id::export_hmap;
            const char* extension = id == id::launch_game ? "" : bitmap ? "bmp" : "trk";
            EXPECT_EQ(ui.file_requests[0].default_extension, extension) << id;
        }
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
