// The document commands of the panel: New, Load, Save, track properties, bitmap import
// and export, the lap import and the game launch.
#pragma once

namespace cs {

struct Editor;

void new_track_command(Editor& editor);
void open_track_command(Editor& editor);
void save_track_command(Editor& editor);
void track_properties_command(Editor& editor);
void import_land_command(Editor& editor);
void import_heights_command(Editor& editor);
void export_land_command(Editor& editor);
void export_heights_command(Editor& editor);
void import_ai_line_command(Editor& editor);
void launch_game_command(Editor& editor);

} // namespace cs
