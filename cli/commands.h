// The commands of coursesmith-cli, each run with its entry in the command table and the
// arguments after its name; each returns the exit code.
#pragma once

#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace cs {

struct Track;

// Writes track to path ("-": standard output) as a track file of the current version;
// exit_ok, or exit_failure after the failure line.
int write_track_file(std::string_view path, Track& track);

// Commands on track files and JSON documents (track_commands.cpp).
int command_new(const Command& self, const Arguments& args);
int command_info(const Command& self, const Arguments& args);
int command_validate(const Command& self, const Arguments& args);
int command_convert(const Command& self, const Arguments& args);
int command_diff(const Command& self, const Arguments& args);

// Commands that run an editor set up as the program sets itself up (editor_commands.cpp).
int command_render(const Command& self, const Arguments& args);
int command_export_land(const Command& self, const Arguments& args);
int command_export_heights(const Command& self, const Arguments& args);
int command_import_land(const Command& self, const Arguments& args);
int command_import_heights(const Command& self, const Arguments& args);
int command_import_lap(const Command& self, const Arguments& args);
int command_replay(const Command& self, const Arguments& args);

// The local path that a track argument names: a plain path as it stands, or a file:// URI
// as file managers hand thumbnailers. False (after a message) for another scheme or host,
// or an escape that does not decode to a usable path (track_uri.cpp).
bool local_track_path(std::string_view argument, std::string& path);

} // namespace cs
