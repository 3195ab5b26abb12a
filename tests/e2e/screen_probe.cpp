// Reads the screen of a running X server for the end-to-end test: finds where a reference
// picture of the view shows on the screen, and compares a region of the screen with it.
//   screen_probe locate REF.png               prints "X Y", the screen position of REF's (0, 0)
//   screen_probe compare REF.png X Y W H      exit 0 when the W x H region at (X, Y) equals REF's
//   screen_probe grab OUT.png W H              saves the screen's top-left W x H (screenshots)
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

namespace {

QImage grab_screen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

bool block_matches(const QImage& screen, const QImage& ref, int x, int y, int side) {
    for (int dy = 0; dy < side; ++dy) {
        const auto* s = reinterpret_cast<const QRgb*>(screen.constScanLine(y + dy)) + x;
        const auto* r = reinterpret_cast<const QRgb*>(ref.constScanLine(dy));
        for (int dx = 0; dx < side; ++dx) {
            if ((s[dx] & 0xFFFFFF) != (r[dx] & 0xFFFFFF)) {
                return false;
            }
        }
    }
    return true;
}

int locate(const QImage& screen, const QImage& ref) {
    constexpr int side = 48;
    for (int y = 0; y + side <= screen.height(); ++y) {
        for (int x = 0; x + side <= screen.width(); ++x) {
            if (block_matches(screen, ref, x, y, side)) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "screen_probe: the view is not on the screen\n");
    return 1;
}

int compare(const QImage& screen, const QImage& ref, int x, int y, int w, int h) {
    if (x < 0 || y < 0 || w > ref.width() || h > ref.height() || x + w > screen.width() ||
        y + h > screen.height()) {
        std::fprintf(stderr, "screen_probe: the region lies off the screen\n");
        return 1;
    }
    long differing = 0;
    int first_x = -1, first_y = -1;
    for (int dy = 0; dy < h; ++dy) {
        const auto* s = reinterpret_cast<const QRgb*>(screen.constScanLine(y + dy)) + x;
        const auto* r = reinterpret_cast<const QRgb*>(ref.constScanLine(dy));
        for (int dx = 0; dx < w; ++dx) {
            if ((s[dx] & 0xFFFFFF) != (r[dx] & 0xFFFFFF)) {
                if (differing++ == 0) {
                    first_x = dx;
                    first_y = dy;
                }
            }
        }
    }
    if (differing != 0) {
        std::fprintf(stderr, "screen_probe: %ld pixels differ, the first at (%d, %d)\n", differing,
                     first_x, first_y);
        screen.copy(x, y, w, h).save("screen_probe-seen.png");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: screen_probe locate|compare REF.png [X Y W H]\n");
        return 2;
    }
    if (args[1] == "grab" && args.size() == 5) {
        const QImage screen = grab_screen();
        return !screen.isNull() && screen.copy(0, 0, args[3].toInt(), args[4].toInt()).save(args[2])
                   ? 0
                   : 2;
    }
    const QImage ref = QImage(args[2]).convertToFormat(QImage::Format_RGB32);
    const QImage screen = grab_screen();
    if (ref.isNull() || screen.isNull()) {
        std::fprintf(stderr, "screen_probe: cannot read the picture or the screen\n");
        return 2;
    }
    if (args[1] == "locate") {
        return locate(screen, ref);
    }
    if (args[1] == "compare" && args.size() == 7) {
        return compare(screen, ref, args[3].toInt(), args[4].toInt(), args[5].toInt(),
                       args[6].toInt());
    }
    std::fprintf(stderr, "usage: screen_probe locate|compare REF.png [X Y W H]\n");
    return 2;
}
