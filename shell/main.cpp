// coursesmith [TRACK]: the track editor's desktop program.
#include <QApplication>

#include "shell/app.h"

int main(int argc, char* argv[]) {
    // Whole-number scale factors, so that each image pixel is an even block of screen
    // pixels on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    QApplication application(argc, argv);
    const auto editor =
        cs::start_editor(QCoreApplication::arguments(), QCoreApplication::applicationFilePath());
    if (!editor) {
        return 0;
    }
    // Closing the panel ends the loop with 0; the track is discarded without a question.
    return QApplication::exec();
}
