#include "cli/png_output.h"

#include <cerrno>
#include <cstdio>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "model/file_io.h"
#include "model/trk_file.h"

namespace cs {

bool write_standard_output(std::span<const std::uint8_t> bytes, std::error_code& reason) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (!written) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category())
                            : std::make_error_code(std::errc::io_error);
    }
    return written;
}

bool encode_view_png(const Renderer& renderer, int zoom, std::vector<std::uint8_t>& png, int fit) {
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
    if (fit > 0 && side > fit) {
        image = image.scaled(fit, fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return false;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    png.assign(data, data + bytes.size());
    return true;
}

bool write_view_png(const Renderer& renderer, int zoom, const std::string& path,
                    std::error_code* reason, int fit) {
    // Encoded in memory first, then written whole: a failure leaves no half file.
    std::vector<std::uint8_t> png;
    if (!encode_view_png(renderer, zoom, png, fit)) {
        return false;
    }
    if (is_standard_output(path)) {
        std::error_code ec;
        const bool written = write_standard_output(png, ec);
        if (reason != nullptr) {
            *reason = ec;
        }
        return written;
    }
    return replace_file(path, png, reason);
}

bool write_track_output(std::string_view path, Track& track, std::error_code& reason) {
    if (is_standard_output(path)) {
        return write_standard_output(encode_track(track), reason);
    }
    return write_track(std::string(path), track, &reason) == TrackFileError::none;
}

std::string failure_line(std::string_view path, std::string_view message,
                         const std::error_code& reason) {
    std::string line(path);
    line += ": ";
    line += message;
    if (reason) {
        line += " (" + reason.message() + ")";
    }
    return line;
}

} // namespace cs
