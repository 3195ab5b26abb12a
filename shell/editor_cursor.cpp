// The editor's cursor from a Windows cursor file beside the program.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include "editor/cursor_file.h"
#include "shell/view_widget.h"

namespace cs {

namespace {

std::optional<QCursor> cursor_from(const CursorImage& c) {
    QImage image;
    if (!c.png.empty()) {
        image = QImage::fromData(c.png.data(), static_cast<int>(c.png.size()), "PNG");
        // The header the reader checked must be the image the decoder made.
        if (image.isNull() || image.width() != c.width || image.height() != c.height) {
            return std::nullopt;
        }
    } else {
        // The pixels are unpremultiplied 0xAARRGGBB words, which is ARGB32. The copy
        // detaches the image from the reader's buffer.
        image = QImage(reinterpret_cast<const uchar*>(c.pixels.data()), c.width, c.height,
                       c.width * 4, QImage::Format_ARGB32)
                    .copy();
    }
    const QPixmap pixmap = QPixmap::fromImage(image);
    if (pixmap.isNull()) {
        return std::nullopt;
    }
    return QCursor(pixmap, c.hot_x, c.hot_y);
}

} // namespace

QCursor load_editor_cursor(const QString& path) {
    const QCursor cross_hair(Qt::CrossCursor);
    // Only a regular file of a cursor's size is read: no device or pipe can stall start-up.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > static_cast<qint64>(max_cursor_file_bytes)) {
        return cross_hair;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return cross_hair;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(max_cursor_file_bytes) + 1);
    const auto parsed =
        parse_cursor_file(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    static_cast<std::size_t>(bytes.size())));
    if (!parsed) {
        return cross_hair;
    }
    return cursor_from(*parsed).value_or(cross_hair);
}

} // namespace cs
