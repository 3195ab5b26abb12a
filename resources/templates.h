// The editor's resources as data: the tool panel (template 101), the track properties
// dialog (template 105) and the accelerator table (110), held the way a resource script
// holds them. The desktop shell builds its windows from these tables; nothing else
// hard-codes a control's label or position.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/tools.h"
#include "resources/control_ids.h"

namespace cs {

inline constexpr int panel_template_id = 101;
inline constexpr int properties_template_id = 105;
inline constexpr int accelerator_table_id = 110;

// The ID of static labels that nothing refers to.
inline constexpr int no_id = -1;

enum class ControlKind : std::uint8_t {
    push_button,
    default_push_button,
    radio_button,
    check_box,           // automatic check box
    push_like_check_box, // automatic check box drawn as a push button
    drop_down_list,
    trackbar,
    static_text,
    edit,
};

// Style flags of a control, combined with |.
namespace style {
inline constexpr unsigned none = 0;
inline constexpr unsigned disabled = 1u << 0;      // created disabled
inline constexpr unsigned group_start = 1u << 1;   // first radio button of a group
inline constexpr unsigned centred = 1u << 2;       // static text
inline constexpr unsigned right_aligned = 1u << 3; // static text
inline constexpr unsigned auto_ticks = 1u << 4;    // trackbar draws its ticks
inline constexpr unsigned text_left = 1u << 5;     // check box with its text left of the box
inline constexpr unsigned reports_focus = 1u << 6; // tells its owner when it gains or loses focus
inline constexpr unsigned bordered = 1u << 7;
inline constexpr unsigned auto_hscroll = 1u << 8; // edit scrolls horizontally while typing
inline constexpr unsigned vscroll = 1u << 9;      // edit with a vertical scroll bar
inline constexpr unsigned multi_line = 1u << 10;
inline constexpr unsigned want_return = 1u << 11; // Enter starts a new line in the edit
} // namespace style

// A control's place in dialog units.
struct DialogRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend constexpr bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct DialogControl {
    int id = no_id;
    ControlKind kind = ControlKind::static_text;
    std::string_view text; // with its & mnemonic; empty for sliders and lists
    DialogRect place;
    unsigned flags = style::none;
    // What assistive tools say for the control where its label alone would not tell what
    // it does (a slider, or one of two buttons called "Land"); empty: the label.
    std::string_view spoken_name = {};

    constexpr bool has(unsigned flag) const { return (flags & flag) == flag; }
};

struct DialogTemplate {
    int resource_id = 0;
    std::string_view caption;
    int width = 0, height = 0; // dialog units
    std::string_view font;
    int font_points = 0;
    bool modal = false;   // modal frame; otherwise a modeless window with a minimise box
    bool centred = false; // centred on the screen when shown
    std::span<const DialogControl> controls; // in creation (and Tab) order
};

// The tool panel's controls, in creation order.
//
// The static labels without an ID are placed by what they name: "Import" and "Export"
// right-aligned just left of their two bitmap buttons, the three slider labels
// right-aligned in the column left of their sliders, and "Rotate AI line" centred over
// the four rotation buttons. Each label is 8 units high and sits level with the middle of
// the control it names. The rotation buttons move the AI line's start along the line:
// "<<" and "<" make a later point the first one (forward), ">" and ">>" an earlier one.
inline constexpr auto panel_controls = std::to_array<DialogControl>({
    {id::new_track, ControlKind::push_button, "&New", {4, 2, 48, 14}},
    {id::load, ControlKind::push_button, "L&oad...", {54, 2, 51, 14}},
    {id::save, ControlKind::push_button, "&Save...", {107, 2, 53, 14}},
    {id::launch_game, ControlKind::push_button, "Launch &Tyrestorm", {4, 18, 77, 14}},
    {id::track_properties, ControlKind::push_button, "Track &properties...", {83, 18, 77, 14}},
    {id::import_ai_line, ControlKind::push_button, "Import &AI line...", {83, 34, 77, 14}},
    {no_id, ControlKind::static_text, "Import", {76, 53, 28, 8}, style::right_aligned},
    {id::import_land,
     ControlKind::push_button,
     "Land",
     {106, 50, 26, 14},
     style::none,
     "Import land map"},
    {id::import_hmap,
     ControlKind::push_button,
     "HMap",
     {134, 50, 26, 14},
     style::none,
     "Import height map"},
    {no_id, ControlKind::static_text, "Export", {76, 69, 28, 8}, style::right_aligned},
    {id::export_land,
     ControlKind::push_button,
     "Land",
     {106, 66, 26, 14},
     style::none,
     "Export land map"},
    {id::export_hmap,
     ControlKind::push_button,
     "HMap",
     {134, 66, 26, 14},
     style::none,
     "Export height map"},
    {id::land_undo, ControlKind::push_button, "Land Undo", {83, 82, 77, 14}, style::disabled},
    {id::hmap_undo, ControlKind::push_button, "HMap undo", {83, 98, 77, 14}, style::disabled},
    {id::flatten, ControlKind::push_button, "Flatten", {83, 114, 77, 14}},
    {id::delete_object,
     ControlKind::push_like_check_box,
     "Delete object",
     {83, 130, 77, 14},
     style::reports_focus},
    {id::delete_pit, ControlKind::push_button, "Delete pit", {83, 146, 77, 14}, style::disabled},
    {id::delete_checkpoint,
     ControlKind::push_button,
     "Delete checkpoint",
     {83, 162, 77, 14},
     style::disabled},
    {id::delete_ai_line,
     ControlKind::push_button,
     "Delete AI line",
     {83, 178, 77, 14},
     style::disabled},
    {id::delete_ai_pit_line,
     ControlKind::push_button,
     "Delete AI line (pit)",
     {83, 194, 77, 14},
     style::disabled},
    {id::tool_tarmac, ControlKind::radio_button, "Tarmac", {4, 44, 49, 9}, style::group_start},
    {id::tool_tarmac2, ControlKind::radio_button, "Tarmac2", {4, 54, 60, 9}},
    {id::tool_grass, ControlKind::radio_button, "Grass", {4, 64, 60, 9}},
    {id::tool_mud, ControlKind::radio_button, "Mud", {4, 74, 60, 9}},
    {id::tool_gravel, ControlKind::radio_button, "Gravel", {4, 84, 60, 9}},
    {id::tool_sand, ControlKind::radio_button, "Sand", {4, 94, 60, 9}},
    {id::tool_snow, ControlKind::radio_button, "Snow", {4, 104, 60, 9}},
    {id::tool_white_line, ControlKind::radio_button, "White line", {4, 114, 60, 9}},
    {id::tool_yellow_line, ControlKind::radio_button, "Yellow line", {4, 124, 60, 9}},
    {id::tool_kerb, ControlKind::radio_button, "Kerb", {4, 134, 60, 9}},
    {id::tool_oil, ControlKind::radio_button, "Oil", {4, 144, 60, 9}},
    {id::tool_ai_line, ControlKind::radio_button, "AI line", {4, 154, 60, 9}},
    {id::tool_ai_pit_line, ControlKind::radio_button, "AI line (pit)", {4, 164, 60, 9}},
    {id::tool_checkpoint, ControlKind::radio_button, "Checkpoint", {4, 174, 60, 9}},
    {id::tool_hmap_adjust, ControlKind::radio_button, "HMap adjust", {4, 184, 60, 9}},
    {id::tool_hmap_smooth, ControlKind::radio_button, "HMap smooth", {4, 194, 60, 9}},
    {id::tool_pit, ControlKind::radio_button, "Pit", {4, 204, 49, 9}},
    {id::tool_object, ControlKind::radio_button, "Object", {4, 214, 49, 9}},
    // Its height includes the opened list.
    {id::object_kinds,
     ControlKind::drop_down_list,
     "",
     {58, 212, 102, 103},
     style::none,
     "Object kind"},
    {no_id, ControlKind::static_text, "Brush size", {4, 232, 52, 8}, style::right_aligned},
    {id::brush_size, ControlKind::trackbar, "", {58, 230, 102, 11}, style::none, "Brush size"},
    {no_id, ControlKind::static_text, "\"Rope\" length", {4, 244, 52, 8}, style::right_aligned},
    {id::rope_length, ControlKind::trackbar, "", {58, 242, 102, 11}, style::none, "Rope length"},
    {no_id, ControlKind::static_text, "hmap/land", {4, 256, 52, 8}, style::right_aligned},
    {id::image_blend,
     ControlKind::trackbar,
     "",
     {58, 254, 102, 11},
     style::none,
     "Land and height blend"},
    {id::show_objects, ControlKind::check_box, "Show objects", {4, 271, 82, 9}},
    {id::show_ai_line, ControlKind::check_box, "Show AI line", {4, 282, 82, 9}},
    {id::show_checkpoints, ControlKind::check_box, "Show checkpoints", {4, 293, 82, 9}},
    {no_id, ControlKind::static_text, "Rotate AI line", {88, 287, 72, 8}, style::centred},
    {id::rotate_back_10,
     ControlKind::push_button,
     "<<",
     {88, 297, 18, 16},
     style::none,
     "Rotate AI line start forward 10 points"},
    {id::rotate_back_1,
     ControlKind::push_button,
     "<",
     {106, 297, 18, 16},
     style::none,
     "Rotate AI line start forward 1 point"},
    {id::rotate_on_1,
     ControlKind::push_button,
     ">",
     {124, 297, 18, 16},
     style::none,
     "Rotate AI line start back 1 point"},
    {id::rotate_on_10,
     ControlKind::push_button,
     ">>",
     {142, 297, 18, 16},
     style::none,
     "Rotate AI line start back 10 points"},
    {id::zoom_2x, ControlKind::check_box, "Zoom 2x", {4, 304, 51, 9}},
    {id::zoom_4x, ControlKind::check_box, "4x", {58, 304, 28, 9}, style::none, "Zoom 4x"},
});

inline constexpr DialogTemplate panel_template{
    panel_template_id, "Tyrestorm CourseSmith", 492, 316, "MS Sans Serif", 8, false, false,
    panel_controls};

// The three sliders of the panel. A slider position p stands for the value p * step of
// the tool state, and the value v is shown at position v / step.
struct PanelSlider {
    int id = 0;
    int minimum = 0, maximum = 0;
    int step = 1;
};
inline constexpr auto panel_sliders = std::to_array<PanelSlider>({
    {id::brush_size, 1, 10, 5},   // brush size 5..50
    {id::rope_length, 0, 10, 10}, // rope length 0..100
    {id::image_blend, 0, 10, 1},  // image blend 0..10
});

// The radio button and the check boxes that are checked when the panel first shows.
// Which controls start disabled is the style::disabled flag of panel_controls.
inline constexpr std::array<int, 4> panel_initially_checked = {
    id::tool_tarmac, id::show_ai_line, id::show_objects, id::show_checkpoints};

// The track properties dialog's controls, in creation order.
inline constexpr auto properties_controls = std::to_array<DialogControl>({
    {no_id, ControlKind::static_text, "Water level", {10, 12, 50, 8}},
    {id::water_level_value, ControlKind::static_text, "", {60, 12, 30, 8}, style::centred},
    {id::water_level_slider, ControlKind::trackbar, "", {90, 11, 80, 11}, style::auto_ticks},
    {no_id, ControlKind::static_text, "View angle", {10, 28, 50, 8}},
    {id::view_angle_value, ControlKind::static_text, "", {60, 28, 30, 8}, style::centred},
    {id::view_angle_slider, ControlKind::trackbar, "", {90, 27, 80, 11}},
    {no_id, ControlKind::static_text, "Rotation", {10, 44, 50, 8}},
    {id::rotation_value, ControlKind::static_text, "", {60, 44, 30, 8}, style::centred},
    {id::rotation_slider, ControlKind::trackbar, "", {90, 43, 80, 11}},
    {no_id, ControlKind::static_text, "Zoom", {10, 60, 50, 8}},
    {id::zoom_value, ControlKind::static_text, "", {60, 60, 30, 8}, style::centred},
    {id::zoom_slider, ControlKind::trackbar, "", {90, 59, 80, 11}},
    {no_id, ControlKind::static_text, "World size", {10, 76, 50, 8}},
    {id::world_size_value, ControlKind::static_text, "", {60, 76, 30, 8}, style::centred},
    {id::world_size_slider, ControlKind::trackbar, "", {90, 75, 80, 11}},
    {id::sf_line_check, ControlKind::check_box, "S/F Line", {10, 93, 69, 8}, style::text_left},
    {no_id, ControlKind::static_text, "Track length", {10, 108, 50, 8}},
    {id::track_length_value, ControlKind::static_text, "", {60, 108, 30, 8}, style::centred},
    {no_id, ControlKind::static_text, "Author", {10, 124, 50, 8}},
    {id::author_edit,
     ControlKind::edit,
     "",
     {60, 123, 110, 12},
     style::bordered | style::auto_hscroll},
    {no_id, ControlKind::static_text, "Author's comments", {10, 140, 160, 8}},
    {id::comments_edit,
     ControlKind::edit,
     "",
     {10, 151, 160, 41},
     style::bordered | style::multi_line | style::vscroll | style::want_return},
    {id::ok, ControlKind::default_push_button, "OK", {35, 199, 50, 14}},
    {id::cancel, ControlKind::push_button, "Cancel", {96, 199, 50, 14}},
});

inline constexpr DialogTemplate properties_template{
    properties_template_id, "Track properties", 180, 223, "MS Sans Serif", 8, true, true,
    properties_controls};

// The properties dialog's sliders, in the order the dialog sets them up. Each drives the
// value label next to it, which shows the position as a decimal number; signed_value
// marks the properties that are stored signed.
struct PropertySlider {
    int slider = 0;
    TrackProperty property = TrackProperty::water_level;
    int minimum = 0, maximum = 0;
    int tick_frequency = 1;
    int value_label = 0;
    bool signed_value = false;
};
inline constexpr auto property_sliders = std::to_array<PropertySlider>({
    {id::water_level_slider, TrackProperty::water_level, 0, 255, 64, id::water_level_value},
    {id::view_angle_slider, TrackProperty::view_angle, 0, 255, 20, id::view_angle_value, true},
    {id::rotation_slider, TrackProperty::rotation, -180, 180, 90, id::rotation_value, true},
    {id::zoom_slider, TrackProperty::zoom, 0, 255, 100, id::zoom_value},
    {id::world_size_slider, TrackProperty::world_size, 0, 255, 25, id::world_size_value},
});

enum class KeyModifier : std::uint8_t { ctrl, alt };

// One accelerator: the letter key (upper case) held with one modifier sends command.
struct Accelerator {
    char key = 0;
    KeyModifier modifier = KeyModifier::ctrl;
    int command = 0;
};
inline constexpr auto accelerators = std::to_array<Accelerator>({
    {'A', KeyModifier::ctrl, id::import_ai_line},
    {'A', KeyModifier::alt, id::import_ai_line},
    {'G', KeyModifier::ctrl, id::launch_game},
    {'G', KeyModifier::alt, id::launch_game},
    {'N', KeyModifier::ctrl, id::new_track},
    {'N', KeyModifier::alt, id::new_track},
    {'O', KeyModifier::ctrl, id::load},
    {'O', KeyModifier::alt, id::load},
    {'P', KeyModifier::ctrl, id::track_properties},
    {'P', KeyModifier::alt, id::track_properties},
    {'S', KeyModifier::ctrl, id::save},
    {'S', KeyModifier::alt, id::save},
});

// The control of a template with the given ID, or nullptr. no_id finds nothing.
const DialogControl* find_control(const DialogTemplate& dialog, int id);

// The command of a letter key (either case) held with modifier, or no_id.
int accelerator_command(char key, KeyModifier modifier);

// A label as assistive tools say it (UTF-8): each "&" mnemonic marker removed, "&&" read as
// one "&", and a trailing "&", which marks nothing, dropped.
std::string plain_label(std::string_view label);

} // namespace cs
