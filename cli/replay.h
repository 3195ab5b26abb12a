// Runs a script of panel commands, mouse gestures and dialog answers against the editor,
// the way the desktop program would receive them. docs/replay.md describes the language.
#pragma once

#include <cstdio>
#include <istream>
#include <string>

namespace cs {

struct ReplayOptions {
    std::string track;  // loaded as the command-line track, if not empty
    std::string script; // the script's path, for messages
    std::string save;   // written with the track writer afterwards, if not empty ("-": out)
    std::string png;    // the view image afterwards, if not empty ("-": out)
};

// Returns the exit code: 0 done, 2 a line that cannot be run (reported on standard error
// as "SCRIPT:LINE: what is wrong: "the line"") or a file that cannot be read or written.
int run_replay(const ReplayOptions& options, std::istream& script, std::FILE* out);

} // namespace cs
