// The document commands of the panel: New, Load, Save, track properties, bitmap import
// and export, the lap import and the game launch.
#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "model/file_lock.h"

namespace cs {

struct Editor;

// What the document commands keep for the life of the process: each file dialog's own
// name buffer (empty at start-up, so each dialog opens on the name last chosen for it),
// the game's path, and the system's reason for the last file operation that failed.
struct DocumentState {
    std::string open_track_name;
    std::string import_land_name;
    std::string import_heights_name;
    std::string export_land_name;
    std::string export_heights_name;
    std::string import_lap_name;
    std::string game_path;
    std::error_code last_file_error; // cleared by every file command before it starts
    // The open file as the editor last read or wrote it; nothing while the track has no file
    // of its own (a new track under a made-up name).
    std::optional<FileStamp> disk_stamp;
};

void new_track_command(Editor& editor);
void open_track_command(Editor& editor);
// True when the track was written.
bool save_track_command(Editor& editor);
void track_properties_command(Editor& editor);
void import_land_command(Editor& editor);
void import_heights_command(Editor& editor);
void export_land_command(Editor& editor);
void export_heights_command(Editor& editor);
void import_ai_line_command(Editor& editor);
void launch_game_command(Editor& editor);

// New, Load and a dropped track first ask before they drop a modified track.
// A track file dropped on the panel: loads it as Open does, without the dialog.
void drop_track(Editor& editor, const std::string& path);

} // namespace cs
