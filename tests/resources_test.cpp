#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "resources/templates.h"

namespace cs {
namespace {

struct Expected {
    int id;
    std::string_view text;
    DialogRect place;
    bool disabled = false;
};

// The panel's controls with an ID as the shell must lay them out.
constexpr Expected panel_expected[] = {
    {id::new_track, "&New", {4, 2, 48, 14}},
    {id::load, "L&oad...", {54, 2, 51, 14}},
    {id::save, "&Save...", {107, 2, 53, 14}},
    {id::launch_game, "Launch &Tyrestorm", {4, 18, 77, 14}},
    {id::track_properties, "Track &properties...", {83, 18, 77, 14}},
    {id::import_ai_line, "Import &AI line...", {83, 34, 77, 14}},
    {id::import_land, "Land", {106, 50, 26, 14}},
    {id::import_hmap, "HMap", {134, 50, 26, 14}},
    {id::export_land, "Land", {106, 66, 26, 14}},
    {id::export_hmap, "HMap", {134, 66, 26, 14}},
    {id::land_undo, "Land Undo", {83, 82, 77, 14}, true},
    {id::hmap_undo, "HMap undo", {83, 98, 77, 14}, true},
    {id::flatten, "Flatten", {83, 114, 77, 14}},
    {id::delete_object, "Delete object", {83, 130, 77, 14}},
    {id::delete_pit, "Delete pit", {83, 146, 77, 14}, true},
    {id::delete_checkpoint, "Delete checkpoint", {83, 162, 77, 14}, true},
    {id::delete_ai_line, "Delete AI line", {83, 178, 77, 14}, true},
    {id::delete_ai_pit_line, "Delete AI line (pit)", {83, 194, 77, 14}, true},
    {id::tool_tarmac, "Tarmac", {4, 44, 49, 9}},
    {id::tool_tarmac2, "Tarmac2", {4, 54, 60, 9}},
    {id::tool_grass, "Grass", {4, 64, 60, 9}},
    {id::tool_mud, "Mud", {4, 74, 60, 9}},
    {id::tool_gravel, "Gravel", {4, 84, 60, 9}},
    {id::tool_sand, "Sand", {4, 94, 60, 9}},
    {id::tool_snow, "Snow", {4, 104, 60, 9}},
    {id::tool_white_line, "White line", {4, 114, 60, 9}},
    {id::tool_yellow_line, "Yellow line", {4, 124, 60, 9}},
    {id::tool_kerb, "Kerb", {4, 134, 60, 9}},
    {id::tool_oil, "Oil", {4, 144, 60, 9}},
    {id::tool_ai_line, "AI line", {4, 154, 60, 9}},
    {id::tool_ai_pit_line, "AI line (pit)", {4, 164, 60, 9}},
    {id::tool_checkpoint, "Checkpoint", {4, 174, 60, 9}},
    {id::tool_hmap_adjust, "HMap adjust", {4, 184, 60, 9}},
    {id::tool_hmap_smooth, "HMap smooth", {4, 194, 60, 9}},
    {id::tool_pit, "Pit", {4, 204, 49, 9}},
    {id::tool_object, "Object", {4, 214, 49, 9}},
    {id::object_kinds, "", {58, 212, 102, 103}},
    {id::brush_size, "", {58, 230, 102, 11}},
    {id::rope_length, "", {58, 242, 102, 11}},
    {id::image_blend, "", {58, 254, 102, 11}},
    {id::show_objects, "Show objects", {4, 271, 82, 9}},
    {id::show_ai_line, "Show AI line", {4, 282, 82, 9}},
    {id::show_checkpoints, "Show checkpoints", {4, 293, 82, 9}},
    {id::rotate_back_10, "<<", {88, 297, 18, 16}},
    {id::rotate_back_1, "<", {106, 297, 18, 16}},
    {id::rotate_on_1, ">", {124, 297, 18, 16}},
    {id::rotate_on_10, ">>", {142, 297, 18, 16}},
    {id::zoom_2x, "Zoom 2x", {4, 304, 51, 9}},
    {id::zoom_4x, "4x", {58, 304, 28, 9}},
};

constexpr Expected properties_expected[] = {
    {id::water_level_value, "", {60, 12, 30, 8}},
    {id::water_level_slider, "", {90, 11, 80, 11}},
    {id::view_angle_value, "", {60, 28, 30, 8}},
    {id::view_angle_slider, "", {90, 27, 80, 11}},
    {id::rotation_value, "", {60, 44, 30, 8}},
    {id::rotation_slider, "", {90, 43, 80, 11}},
    {id::zoom_value, "", {60, 60, 30, 8}},
    {id::zoom_slider, "", {90, 59, 80, 11}},
    {id::world_size_value, "", {60, 76, 30, 8}},
    {id::world_size_slider, "", {90, 75, 80, 11}},
    {id::sf_line_check, "S/F Line", {10, 93, 69, 8}},
    {id::track_length_value, "", {60, 108, 30, 8}},
    {id::author_edit, "", {60, 123, 110, 12}},
    {id::comments_edit, "", {10, 151, 160, 41}},
    {id::ok, "OK", {35, 199, 50, 14}},
    {id::cancel, "Cancel", {96, 199, 50, 14}},
};

void expect_controls(const DialogTemplate& dialog, std::span<const Expected> expected) {
    int with_id = 0;
    for (const DialogControl& c : dialog.controls) {
        with_id += c.id != no_id;
    }
    EXPECT_EQ(with_id, static_cast<int>(expected.size()));
    for (const Expected& e : expected) {
        const DialogControl* c = find_control(dialog, e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->text, e.text) << e.id;
        EXPECT_EQ(c->place, e.place) << e.id;
        EXPECT_EQ(c->has(style::disabled), e.disabled) << e.id;
    }
}

const DialogControl* static_label(const DialogTemplate& dialog, std::string_view text) {
    for (const DialogControl& c : dialog.controls) {
        if (c.id == no_id && c.text == text) {
            return &c;
        }
    }
    return nullptr;
}

bool overlap(const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(PanelTemplate, EveryControlWithItsLabelPlaceAndFirstState) {
    EXPECT_EQ(panel_template.resource_id, 101);
    EXPECT_EQ(panel_template.caption, "Tyrestorm CourseSmith");
    EXPECT_EQ(panel_template.width, 492);
    EXPECT_EQ(panel_template.height, 316);
    EXPECT_EQ(panel_template.font, "MS Sans Serif");
    EXPECT_EQ(panel_template.font_points, 8);
    EXPECT_FALSE(panel_template.modal);
    expect_controls(panel_template, panel_expected);
}

TEST(PanelTemplate, KindsOfControls) {
    for (int id = id::first_tool; id <= id::last_tool; ++id) {
        const DialogControl* c = find_control(panel_template, id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_EQ(c->kind, ControlKind::radio_button) << id;
        EXPECT_EQ(c->has(style::group_start), id == id::tool_tarmac) << id;
    }
    for (int id :
         {id::show_ai_line, id::show_objects, id::show_checkpoints, id::zoom_2x, id::zoom_4x}) {
        EXPECT_EQ(find_control(panel_template, id)->kind, ControlKind::check_box) << id;
    }
    const DialogControl* del = find_control(panel_template, id::delete_object);
    EXPECT_EQ(del->kind, ControlKind::push_like_check_box);
    EXPECT_TRUE(del->has(style::reports_focus));
    EXPECT_EQ(find_control(panel_template, id::object_kinds)->kind, ControlKind::drop_down_list);
    for (const PanelSlider& s : panel_sliders) {
        EXPECT_EQ(find_control(panel_template, s.id)->kind, ControlKind::trackbar);
    }
    EXPECT_EQ(find_control(panel_template, no_id), nullptr);
    EXPECT_EQ(find_control(panel_template, 9999), nullptr);
}

TEST(PanelTemplate, LabelsWithoutIdSitBesideWhatTheyName) {
    const struct {
        std::string_view text;
        int beside;
    } left_of[] = {{"Brush size", id::brush_size},
                   {"\"Rope\" length", id::rope_length},
                   {"hmap/land", id::image_blend},
                   {"Import", id::import_land},
                   {"Export", id::export_land}};
    for (const auto& l : left_of) {
        const DialogControl* label = static_label(panel_template, l.text);
        ASSERT_NE(label, nullptr) << l.text;
        const DialogRect& to = find_control(panel_template, l.beside)->place;
        EXPECT_TRUE(label->has(style::right_aligned)) << l.text;
        EXPECT_LE(label->place.x + label->place.width, to.x) << l.text;
        EXPECT_GE(label->place.y, to.y) << l.text;
        EXPECT_LE(label->place.y + label->place.height, to.y + to.height) << l.text;
    }
    const DialogControl* rotate = static_label(panel_template, "Rotate AI line");
    ASSERT_NE(rotate, nullptr);
    const DialogRect& first = find_control(panel_template, id::rotate_back_10)->place;
    const DialogRect& last = find_control(panel_template, id::rotate_on_10)->place;
    EXPECT_TRUE(rotate->has(style::centred));
    EXPECT_EQ(rotate->place.x, first.x);
    EXPECT_EQ(rotate->place.x + rotate->place.width, last.x + last.width);
    EXPECT_LE(rotate->place.y + rotate->place.height, first.y);
}

TEST(PanelTemplate, NoTwoControlsOverlap) {
    // The drop-down list's height includes its opened list, which may cover others.
    const auto& controls = panel_template.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i].kind == ControlKind::drop_down_list ||
                controls[j].kind == ControlKind::drop_down_list) {
                continue;
            }
            EXPECT_FALSE(overlap(controls[i].place, controls[j].place))
                << controls[i].text << " / " << controls[j].text;
        }
    }
}

TEST(PanelTemplate, SlidersCoverTheToolStateRanges) {
    // Slider, lowest and highest value, default value and the position that shows it.
    const int expected[][5] = {{id::brush_size, 5, 50, 15, 3},
                               {id::rope_length, 0, 100, 0, 0},
                               {id::image_blend, 0, 10, 5, 5}};
    ASSERT_EQ(panel_sliders.size(), std::size(expected));
    for (std::size_t i = 0; i < panel_sliders.size(); ++i) {
        const PanelSlider& s = panel_sliders[i];
        EXPECT_EQ(s.id, expected[i][0]);
        EXPECT_EQ(s.minimum * s.step, expected[i][1]) << s.id;
        EXPECT_EQ(s.maximum * s.step, expected[i][2]) << s.id;
        EXPECT_EQ(expected[i][3] / s.step, expected[i][4]) << s.id;
    }
    EXPECT_EQ(
        std::set<int>(panel_initially_checked.begin(), panel_initially_checked.end()),
        (std::set<int>{id::tool_tarmac, id::show_ai_line, id::show_objects, id::show_checkpoints}));
}

TEST(PropertiesTemplate, EveryControlAndTheSliderTable) {
    EXPECT_EQ(properties_template.resource_id, 105);
    EXPECT_EQ(properties_template.caption, "Track properties");
    EXPECT_EQ(properties_template.width, 180);
    EXPECT_EQ(properties_template.height, 223);
    EXPECT_TRUE(properties_template.modal);
    EXPECT_TRUE(properties_template.centred);
    expect_controls(properties_template, properties_expected);
    for (std::string_view text : {"Water level", "View angle", "Rotation", "Zoom", "World size",
                                  "Track length", "Author", "Author's comments"}) {
        EXPECT_NE(static_label(properties_template, text), nullptr) << text;
    }
    EXPECT_EQ(find_control(properties_template, id::ok)->kind, ControlKind::default_push_button);
    EXPECT_TRUE(find_control(properties_template, id::sf_line_check)->has(style::text_left));
    EXPECT_TRUE(find_control(properties_template, id::comments_edit)
                    ->has(style::multi_line | style::want_return | style::vscroll));
    EXPECT_FALSE(find_control(properties_template, id::author_edit)->has(style::multi_line));

    const struct {
        int slider, minimum, maximum, ticks, label;
    } sliders[] = {
        {id::water_level_slider, 0, 255, 64, id::water_level_value},
        {id::view_angle_slider, 0, 255, 20, id::view_angle_value},
        {id::rotation_slider, -180, 180, 90, id::rotation_value},
        {id::zoom_slider, 0, 255, 100, id::zoom_value},
        {id::world_size_slider, 0, 255, 25, id::world_size_value},
    };
    ASSERT_EQ(property_sliders.size(), std::size(sliders));
    for (std::size_t i = 0; i < property_sliders.size(); ++i) {
        const PropertySlider& s = property_sliders[i];
        EXPECT_EQ(s.slider, sliders[i].slider);
        EXPECT_EQ(s.minimum, sliders[i].minimum) << s.slider;
        EXPECT_EQ(s.maximum, sliders[i].maximum) << s.slider;
        EXPECT_EQ(s.tick_frequency, sliders[i].ticks) << s.slider;
        EXPECT_EQ(s.value_label, sliders[i].label) << s.slider;
    }
}

TEST(Accelerators, CtrlAndAltOfEachLetterSendTheButtonsCommand) {
    const struct {
        char key;
        int command;
    } keys[] = {{'A', id::import_ai_line}, {'G', id::launch_game},      {'N', id::new_track},
                {'O', id::load},           {'P', id::track_properties}, {'S', id::save}};
    EXPECT_EQ(accelerators.size(), 2 * std::size(keys));
    for (const auto& k : keys) {
        EXPECT_EQ(accelerator_command(k.key, KeyModifier::ctrl), k.command) << k.key;
        EXPECT_EQ(accelerator_command(k.key, KeyModifier::alt), k.command) << k.key;
        EXPECT_EQ(accelerator_command(static_cast<char>(k.key - 'A' + 'a'), KeyModifier::ctrl),
                  k.command);
        EXPECT_EQ(find_control(panel_template, k.command)->kind, ControlKind::push_button);
    }
    EXPECT_EQ(accelerator_command('X', KeyModifier::ctrl), no_id);
    EXPECT_EQ(accelerator_command('\0', KeyModifier::alt), no_id);
}

} // namespace
} // namespace cs
