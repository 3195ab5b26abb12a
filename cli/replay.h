// Runs a script of panel commands and mouse gestures against the editor, the way the
// desktop program would receive them.
#pragma once

#include <cstdio>
#include <istream>
#include <string>

namespace cs {

struct ReplayOptions {
    std::string track;  // loaded as the command-line track, if not empty
    std::string script; // the script's path, for messages
    std::string save;   // written with the track writer afterwards, if not empty
    std::string png;    // the view image afterwards, if not empty
};

// Returns the exit code: 0 done, 2 a line that cannot be parsed or a file that cannot be
// read or written.
int run_replay(const ReplayOptions& options, std::istream& script, std::FILE* out);

} // namespace cs
