// Renders the PNG icons from the hand-drawn SVG icons, so that every size shows one design.
// For each hicolor/scalable/CONTEXT/NAME.svg it writes hicolor/SxS/CONTEXT/NAME.png for the
// sizes desktops look up. Run by make_icons.sh; not part of the program's build.
#include <array>
#include <cstdio>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr std::array sizes{16, 32, 48, 128, 256};

bool render_icon(const QString& svg_path, const QString& hicolor, const QString& context) {
    QSvgRenderer svg(svg_path);
    if (!svg.isValid()) {
        std::fprintf(stderr, "make_icons: %s is not a valid SVG\n", qPrintable(svg_path));
        return false;
    }
    const QString name = QFileInfo(svg_path).completeBaseName() + ".png";
    for (int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/%3").arg(hicolor).arg(size).arg(context);
        const QString out = dir + "/" + name;
        if (!QDir().mkpath(dir) || !image.save(out, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(out));
            return false;
        }
        std::printf("%s\n", qPrintable(out));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // No window is ever shown: the offscreen platform works without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_icons HICOLOR_DIR\n");
        return 2;
    }
    const QString hicolor = QString::fromLocal8Bit(argv[1]);
    QDirIterator it(hicolor + "/scalable", {"*.svg"}, QDir::Files, QDirIterator::Subdirectories);
    int rendered = 0;
    while (it.hasNext()) {
        const QFileInfo svg(it.next());
        if (!render_icon(svg.filePath(), hicolor, svg.dir().dirName())) {
            return 1;
        }
        ++rendered;
    }
    if (rendered == 0) {
        std::fprintf(stderr, "make_icons: no SVG icons under %s/scalable\n", qPrintable(hicolor));
        return 1;
    }
    return 0;
}
