// coursesmith [TRACK]: the track editor's desktop program.
#include <QApplication>
#include <QIcon>

#include "shell/app.h"

int main(int argc, char* argv[]) {
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
