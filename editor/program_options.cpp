#include "editor/program_options.h"

#include <charconv>

#include "coursesmith_version.h"

namespace cs {
namespace {

constexpr std::string_view usage_head =
    "Usage: coursesmith [--autosave SECONDS] [TRACK]\n"
    "The track editor of the racing game Tyrestorm: paint the land map, shape the height\n"
    "grid, place start positions, scenery, pits and checkpoints, lay the AI driving lines\n"
    "and save .trk files that the game reads. Opens TRACK (a .trk file) when given.\n"
    "\n";

constexpr std::string_view usage_tail =
    "\n"
    "Options:\n"
    "  --autosave SECONDS  write the recovery copy at most every SECONDS seconds\n"
    "                      (default 60; 0 turns recovery copies off)\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "The command-line tool coursesmith-cli checks, converts and renders tracks.\n";

// SECONDS of --autosave: a whole number from 0 to a day.
bool autosave_seconds(const std::string& text, int& seconds) {
    constexpr int day = 24 * 60 * 60;
    const char* end = text.data() + text.size();
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > day) {
        return false;
    }
    seconds = value;
    return true;
}

} // namespace

ProgramOptions read_program_options(const std::vector<std::string>& arguments,
                                    std::string_view recovery_paragraph) {
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (i > 0 && (a == "--help" || a == "-h")) {
            options.action = ProgramOptions::Action::show_help;
            options.text =
                std::string(usage_head) + std::string(recovery_paragraph) + std::string(usage_tail);
            return options;
        }
        if (i > 0 && a == "--version") {
            options.action = ProgramOptions::Action::show_version;
            options.text = "coursesmith " COURSESMITH_VERSION "\n";
            return options;
        }
        if (i > 0 && a == "--autosave") {
            if (i + 1 == arguments.size() ||
                !autosave_seconds(arguments[i + 1], options.work.autosave_seconds)) {
                options.action = ProgramOptions::Action::refuse;
                options.text =
                    "coursesmith: --autosave takes a number of seconds from 0 to 86400\n";
                return options;
            }
            options.option_words.push_back(i);
            options.option_words.push_back(++i);
        }
    }
    return options;
}

} // namespace cs
