// Control IDs of the tool panel (template 101) and the track properties dialog (105).
#pragma once

namespace cs::id {

// Tool panel: push buttons.
inline constexpr int new_track = 1003;
inline constexpr int load = 1004;
inline constexpr int save = 1005;
inline constexpr int flatten = 1007;
inline constexpr int hmap_undo = 1033;
inline constexpr int land_undo = 1034;
inline constexpr int delete_pit = 1035;
inline constexpr int delete_checkpoint = 1036;
inline constexpr int delete_ai_line = 1037;
inline constexpr int delete_ai_pit_line = 1038;
inline constexpr int track_properties = 1039;
inline constexpr int launch_game = 1040;
inline constexpr int delete_object = 1041; // push-like check box: delete-object mode
inline constexpr int import_hmap = 1042;
inline constexpr int export_hmap = 1043;
inline constexpr int import_land = 1044;
inline constexpr int export_land = 1045;
inline constexpr int import_ai_line = 1046;
inline constexpr int rotate_back_10 = 1051; // "<<"
inline constexpr int rotate_back_1 = 1052;  // "<"
inline constexpr int rotate_on_1 = 1053;    // ">"
inline constexpr int rotate_on_10 = 1054;   // ">>"

// Tool radio buttons: tool number = ID - first_tool.
inline constexpr int first_tool = 1008;
inline constexpr int last_tool = 1025;
inline constexpr int tool_tarmac = 1008;
inline constexpr int tool_tarmac2 = 1009;
inline constexpr int tool_grass = 1010;
inline constexpr int tool_gravel = 1011;
inline constexpr int tool_sand = 1012;
inline constexpr int tool_snow = 1013;
inline constexpr int tool_white_line = 1014;
inline constexpr int tool_yellow_line = 1015;
inline constexpr int tool_kerb = 1016;
inline constexpr int tool_oil = 1017;
inline constexpr int tool_hmap_adjust = 1018;
inline constexpr int tool_object = 1019;
inline constexpr int tool_checkpoint = 1020;
inline constexpr int tool_ai_line = 1021;
inline constexpr int tool_ai_pit_line = 1022;
inline constexpr int tool_pit = 1023;
inline constexpr int tool_hmap_smooth = 1024;
inline constexpr int tool_mud = 1025;

inline constexpr int object_kinds = 1029; // drop-down list
inline constexpr int brush_size = 1026;   // sliders
inline constexpr int rope_length = 1027;
inline constexpr int image_blend = 1028;

// Check boxes.
inline constexpr int show_ai_line = 1030;
inline constexpr int show_objects = 1031;
inline constexpr int show_checkpoints = 1032;
inline constexpr int zoom_2x = 1047;
inline constexpr int zoom_4x = 1048;

// Track properties dialog.
inline constexpr int ok = 1;
inline constexpr int cancel = 2;
inline constexpr int water_level_slider = 1042;
inline constexpr int view_angle_slider = 1043;
inline constexpr int rotation_slider = 1044;
inline constexpr int world_size_slider = 1045;
inline constexpr int zoom_slider = 1051;
inline constexpr int water_level_value = 1046;
inline constexpr int view_angle_value = 1047;
inline constexpr int rotation_value = 1048;
inline constexpr int world_size_value = 1049;
inline constexpr int track_length_value = 1050;
inline constexpr int author_edit = 1052;
inline constexpr int comments_edit = 1053;
inline constexpr int zoom_value = 1054;
inline constexpr int sf_line_check = 1057;

} // namespace cs::id
