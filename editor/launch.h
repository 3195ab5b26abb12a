// How "Launch Tyrestorm" starts the game: which program runs, with which arguments, in which
// folder. The Ui port carries the plan out; deciding it needs no window system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cs {

struct LaunchPlan {
    std::string program;
    std::vector<std::string> arguments;
    // The folder the program starts in; empty: the editor's own.
    std::string working_directory;

    bool operator==(const LaunchPlan&) const = default;
};

// True when path names a regular file (a link is followed) whose first two bytes are "MZ",
// the mark of a Windows executable. Anything else, a pipe or a device included, is not
// opened at all.
bool is_windows_executable(const std::string& path);

// The first regular file called name that its owner, group or others may execute, in the
// folders of a search path in PATH's form (separated by ':'); empty when there is none.
// Empty and relative entries are skipped: they would name the editor's working folder,
// which holds nothing the user chose to run.
std::string find_on_search_path(std::string_view name, std::string_view search_path);

// The game's executable: "Tyrestorm.exe" in the running program's folder when it is there;
// otherwise beside the program path the command line gives, when that path names a folder
// (a bare name was found through PATH and names none), else in the program's folder again.
std::string game_path_for(const std::string& program_folder,
                          const std::string& command_line_program);

// How to start the game at path. On Windows the game itself runs, in its own folder, where
// it finds its data. Elsewhere a Windows executable runs as "wine GAME" in the game's
// folder when search_path holds a wine program (GAME made absolute, since the folder
// changes); any other file, or a Windows one without Wine, starts as it is, in the editor's
// working folder.
LaunchPlan plan_launch(const std::string& path, std::string_view search_path);

} // namespace cs
