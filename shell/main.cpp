// coursesmith [TRACK]: the track editor's desktop program.
#include <QApplication>
#include <QIcon>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "coursesmith_version.h"
#include "editor/recovery.h"
#include "shell/app.h"

namespace {

constexpr const char* usage_text =
    "Usage: coursesmith [--autosave SECONDS] [TRACK]\n"
    "The track editor of the racing game Tyrestorm: paint the land map, shape the height\n"
    "grid, place start positions, scenery, pits and checkpoints, lay the AI driving lines\n"
    "and save .trk files that the game reads. Opens TRACK (a .trk file) when given.\n"
    "\n"
    "While a track has unsaved changes, a recovery copy of it is kept in\n"
    "$XDG_STATE_HOME/coursesmith/recovery (~/.local/state/coursesmith/recovery); after a\n"
    "crash the next start offers to restore it.\n"
    "\n"
    "Options:\n"
    "  --autosave SECONDS  write the recovery copy at most every SECONDS seconds\n"
    "                      (default 60; 0 turns recovery copies off)\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "The command-line tool coursesmith-cli checks, converts and renders tracks.\n";

// SECONDS of --autosave: a whole number from 0 to a day.
bool autosave_seconds(const char* text, int& seconds) {
    constexpr int day = 24 * 60 * 60;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, seconds);
    return *text != '\0' && ec == std::errc() && ptr == end && seconds >= 0 && seconds <= day;
}

} // namespace

int main(int argc, char* argv[]) {
    // The options are taken before Qt starts, so that --help and --version need no display.
    cs::WorkOptions work;
    std::vector<int> option_words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage_text, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("coursesmith " COURSESMITH_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--autosave") == 0) {
            if (i + 1 == argc || !autosave_seconds(argv[i + 1], work.autosave_seconds)) {
                std::fputs("coursesmith: --autosave takes a number of seconds from 0 to 86400\n",
                           stderr);
                return 2;
            }
            option_words.push_back(i);
            option_words.push_back(++i);
        }
    }
    work.recovery_folder = cs::default_recovery_folder();
    // Whole-number scale factors, so that each image pixel is an even block of screen
    // pixels on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    QApplication application(argc, argv);
    // Lets the desktop match the window with its entry and icon.
    QGuiApplication::setDesktopFileName("org.coursesmith.CourseSmith");
    QApplication::setWindowIcon(QIcon::fromTheme("org.coursesmith.CourseSmith"));
    // The arguments without the options: the program, then the track.
    QStringList arguments = QCoreApplication::arguments();
    for (auto it = option_words.rbegin(); it != option_words.rend(); ++it) {
        if (*it < arguments.size()) {
            arguments.removeAt(*it);
        }
    }
    const auto editor =
        cs::start_editor(arguments, QCoreApplication::applicationFilePath(), nullptr, work);
    if (!editor) {
        return 0;
    }
    // Closing the panel (after the question, when the track has unsaved changes) ends the
    // loop with 0.
    return QApplication::exec();
}
