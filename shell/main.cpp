// coursesmith [TRACK]: the track editor's desktop program.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

#include "coursesmith_version.h"
#include "shell/app.h"

namespace {

constexpr const char* usage_text =
    "Usage: coursesmith [TRACK]\n"
    "The track editor of the racing game Tyrestorm: paint the land map, shape the height\n"
    "grid, place start positions, scenery, pits and checkpoints, lay the AI driving lines\n"
    "and save .trk files that the game reads. Opens TRACK (a .trk file) when given.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "The command-line tool coursesmith-cli checks, converts and renders tracks.\n";

} // namespace

int main(int argc, char* argv[]) {
    // --help and --version are answered before Qt starts, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage_text, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("coursesmith " COURSESMITH_VERSION "\n", stdout);
            return 0;
        }
    }
    // Whole-number scale factors, so that each image pixel is an even block of screen
    // pixels on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    QApplication application(argc, argv);
    // Lets the desktop match the window with its entry and icon.
    QGuiApplication::setDesktopFileName("org.coursesmith.CourseSmith");
    QApplication::setWindowIcon(QIcon::fromTheme("org.coursesmith.CourseSmith"));
    const auto editor =
        cs::start_editor(QCoreApplication::arguments(), QCoreApplication::applicationFilePath());
    if (!editor) {
        return 0;
    }
    // Closing the panel ends the loop with 0; the track is discarded without a question.
    return QApplication::exec();
}
