#include "cli/png_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "model/trk_file.h"

namespace cs {

bool write_view_png(const Renderer& renderer, int zoom, const std::string& path) {
    const int side = image_size * zoom;
    QImage image(side, side, QImage::Format_RGB888);
    if (image.isNull()) {
        return false;
    }
    for (int y = 0; y < side; ++y) {
        uchar* out = image.scanLine(y);
        for (int x = 0; x < side; ++x) {
            const Pixel& p = renderer.at(x / zoom, y / zoom);
            out[3 * x] = p.red;
            out[3 * x + 1] = p.green;
            out[3 * x + 2] = p.blue;
        }
    }
    // Encode in memory, then replace the file whole, so a failure leaves no half file.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return false;
    }
    return replace_file(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())));
}

} // namespace cs
