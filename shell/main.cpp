// coursesmith [TRACK]: the track editor's desktop program.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "editor/program_options.h"
#include "editor/recovery.h"
#include "shell/app.h"

namespace {

constexpr std::string_view recovery_paragraph =
    "While a track has unsaved changes, a recovery copy of it is kept in\n"
    "$XDG_STATE_HOME/coursesmith/recovery (~/.local/state/coursesmith/recovery); after a\n"
    "crash the next start offers to restore it.\n";

} // namespace

int main(int argc, char* argv[]) {
    // The options are taken before Qt starts, so that --help and --version need no display.
    cs::ProgramOptions options =
        cs::read_program_options(std::vector<std::string>(argv, argv + argc), recovery_paragraph);
    if (options.action != cs::ProgramOptions::Action::start) {
        const bool refused = options.action == cs::ProgramOptions::Action::refuse;
        std::fputs(options.text.c_str(), refused ? stderr : stdout);
        return refused ? cs::refused_exit_code : 0;
    }
    cs::WorkOptions& work = options.work;
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
    for (auto it = options.option_words.rbegin(); it != options.option_words.rend(); ++it) {
        if (*it < static_cast<std::size_t>(arguments.size())) {
            arguments.removeAt(static_cast<qsizetype>(*it));
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
