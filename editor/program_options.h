// The desktop program's command line, the same on every system:
// coursesmith [--autosave SECONDS] [TRACK].
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

// What keeps the user's work: how often a recovery copy is written (0: never) and where.
// Without a folder no copies are written and none are offered at start-up.
struct WorkOptions {
    int autosave_seconds = 60;
    std::filesystem::path recovery_folder;
};

struct ProgramOptions {
    enum class Action { start, show_help, show_version, refuse };
    Action action = Action::start;
    WorkOptions work; // the recovery folder is the caller's to fill
    // Where the options and their values stand among the arguments, in order: what is left
    // is the program, then the track.
    std::vector<std::size_t> option_words;
    // The help, the version or why the command line is refused, ending in a line feed.
    std::string text;
};

inline constexpr int refused_exit_code = 2;

// Reads arguments, the whole command line with the program first; --help and --version
// win over what follows them. recovery_paragraph tells where this system keeps the
// recovery copies, for the help.
ProgramOptions read_program_options(const std::vector<std::string>& arguments,
                                    std::string_view recovery_paragraph);

} // namespace cs
