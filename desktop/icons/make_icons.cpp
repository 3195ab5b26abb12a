// Renders the PNG icons from the hand-drawn SVG icons, so that every size shows one design.
// For each hicolor/scalable/CONTEXT/NAME.svg it writes hicolor/SxS/CONTEXT/NAME.png for the
// sizes desktops look up, then packs the program's and the track's PNGs into the Windows
// icons windows/coursesmith.ico and windows/track.ico. Run by make_icons.sh; not part of the
// program's build.
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
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

// One Windows icon: the hicolor PNG it is made from, and the .ico file it becomes.
struct WindowsIcon {
    const char* png;
    const char* ico;
};
constexpr std::array windows_icons{
    WindowsIcon{"apps/org.coursesmith.CourseSmith.png", "coursesmith.ico"},
    WindowsIcon{"mimetypes/application-x-tyrestorm-track.png", "track.ico"},
};
// The sizes an .ico holds: the small ones as bitmaps, which every Windows reads, and the
// largest as the PNG file itself (Windows Vista and later read PNG entries).
constexpr std::array ico_bitmap_sizes{16, 32, 48};
constexpr int ico_png_size = 256;

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// An icon image as Windows stores it in an .ico: a BITMAPINFOHEADER of twice the height
// (the colour rows, then the mask's), 32-bit BGRA rows bottom-up with straight alpha, then
// the 1-bit AND mask rows bottom-up, each padded to 4 bytes, set where the pixel is fully
// transparent (for programs that ignore the alpha channel).
std::vector<std::uint8_t> icon_bitmap(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int mask_stride = (size + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);                              // biSize
    put32(out, size);                            // biWidth
    put32(out, 2 * size);                        // biHeight: colour and mask
    put16(out, 1);                               // biPlanes
    put16(out, 32);                              // biBitCount
    put32(out, 0);                               // biCompression: BI_RGB
    put32(out, (size * 4 + mask_stride) * size); // biSizeImage
    for (int i = 0; i < 4; ++i) {
        put32(out, 0); // resolution and colour table counts
    }
    for (int y = size - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            out.push_back(static_cast<std::uint8_t>(qBlue(row[x])));
            out.push_back(static_cast<std::uint8_t>(qGreen(row[x])));
            out.push_back(static_cast<std::uint8_t>(qRed(row[x])));
            out.push_back(static_cast<std::uint8_t>(qAlpha(row[x])));
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::vector<std::uint8_t> mask(mask_stride, 0);
        for (int x = 0; x < size; ++x) {
            if (qAlpha(row[x]) == 0) {
                mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

bool read_file(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bytes = file.readAll();
    return file.error() == QFile::NoError;
}

// Writes WINDOWS_DIR/ICO from the icon's PNGs in HICOLOR_DIR: ICONDIR, one ICONDIRENTRY per
// size, then the images in the same order.
bool write_ico(const QString& hicolor, const QString& windows, const WindowsIcon& icon) {
    std::vector<std::pair<int, std::vector<std::uint8_t>>> images;
    for (int size : ico_bitmap_sizes) {
        const QString path = QStringLiteral("%1/%2x%2/%3").arg(hicolor).arg(size).arg(icon.png);
        const QImage image(path);
        if (image.isNull() || image.width() != size || image.height() != size) {
            std::fprintf(stderr, "make_icons: %s is not a %dx%d picture\n", qPrintable(path), size,
                         size);
            return false;
        }
        images.emplace_back(size, icon_bitmap(image));
    }
    const QString png_path =
        QStringLiteral("%1/%2x%2/%3").arg(hicolor).arg(ico_png_size).arg(icon.png);
    QByteArray png;
    if (!read_file(png_path, png) || QImage::fromData(png, "PNG").width() != ico_png_size) {
        std::fprintf(stderr, "make_icons: %s is not a %dx%d PNG\n", qPrintable(png_path),
                     ico_png_size, ico_png_size);
        return false;
    }
    images.emplace_back(ico_png_size, std::vector<std::uint8_t>(png.begin(), png.end()));

    std::vector<std::uint8_t> out;
    put16(out, 0); // reserved
    put16(out, 1); // type: icon
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const auto& [size, data] : images) {
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size)); // 0 means 256
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        out.push_back(0); // colour count: not a palette image
        out.push_back(0); // reserved
        put16(out, 1);    // planes
        put16(out, 32);   // bits per pixel
        put32(out, static_cast<std::uint32_t>(data.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(data.size());
    }
    for (const auto& image : images) {
        out.insert(out.end(), image.second.begin(), image.second.end());
    }

    const QString out_path = windows + "/" + icon.ico;
    QFile file(out_path);
    if (!QDir().mkpath(windows) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size())) !=
            static_cast<qint64>(out.size()) ||
        !file.flush()) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(out_path));
        return false;
    }
    file.close();
    std::printf("%s\n", qPrintable(out_path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // No window is ever shown: the offscreen platform works without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: make_icons HICOLOR_DIR WINDOWS_DIR\n");
        return 2;
    }
    const QString hicolor = QString::fromLocal8Bit(argv[1]);
    const QString windows = QString::fromLocal8Bit(argv[2]);
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
    for (const WindowsIcon& icon : windows_icons) {
        if (!write_ico(hicolor, windows, icon)) {
            return 1;
        }
    }
    return 0;
}
