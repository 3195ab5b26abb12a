#include "cli/png_output.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "model/file_io.h"
#include "model/trk_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// The PNG writer's compressed stream, made by zlib at its default level: tighter than the
// writer's own compressor and quick; the best level takes twice the time for some 4 % less.
// The writer frees the result with free().
unsigned char* zlib_compress(unsigned char* data, int size, int* out_size, int /*quality*/) {
    uLongf capacity = compressBound(static_cast<uLong>(size));
    auto* out = static_cast<unsigned char*>(std::malloc(capacity));
    if (out == nullptr) {
        return nullptr;
    }
    if (compress2(out, &capacity, data, static_cast<uLong>(size), Z_DEFAULT_COMPRESSION) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *out_size = static_cast<int>(capacity);
    return out;
}

} // namespace

#define STBIW_ZLIB_COMPRESS zlib_compress
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "stb_image_resize.h"

namespace cs {

bool write_standard_output(std::span<const std::uint8_t> bytes, std::error_code& reason) {
#ifdef _WIN32
    // The bytes as they are: no carriage return put before each line feed.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (!written) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category())
                            : std::make_error_code(std::errc::io_error);
    }
    return written;
}

namespace {

// encode_view_png without the memory check.
bool encode_picture(const Renderer& renderer, int zoom, std::vector<std::uint8_t>& png, int fit) {
    const int side = image_size * zoom;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(side) * side * 3);
    unsigned char* out = rgb.data();
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const Pixel& p = renderer.at(x / zoom, y / zoom);
            *out++ = p.red;
            *out++ = p.green;
            *out++ = p.blue;
        }
    }
    int out_side = side;
    if (fit > 0 && side > fit) {
        // The picture is square, so fitting it into fit x fit keeps its shape. The box
        // filter averages the source pixels each output pixel covers, by the area covered,
        // and unlike the cubic filters puts no ringing beside sharp lines.
        out_side = fit;
        std::vector<unsigned char> shrunk(static_cast<std::size_t>(fit) * fit * 3);
        if (stbir_resize_uint8_generic(rgb.data(), side, side, 0, shrunk.data(), fit, fit, 0, 3,
                                       STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                       STBIR_FILTER_BOX, STBIR_COLORSPACE_LINEAR, nullptr) == 0) {
            return false;
        }
        rgb = std::move(shrunk);
    }
    std::vector<std::uint8_t> bytes;
    const auto append = [](void* context, void* data, int size) {
        const auto* first = static_cast<const std::uint8_t*>(data);
        auto& sink = *static_cast<std::vector<std::uint8_t>*>(context);
        sink.insert(sink.end(), first, first + size);
    };
    if (stbi_write_png_to_func(append, &bytes, out_side, out_side, 3, rgb.data(), 0) == 0) {
        return false;
    }
    png = std::move(bytes);
    return true;
}

} // namespace

bool encode_view_png(const Renderer& renderer, int zoom, std::vector<std::uint8_t>& png, int fit) {
    try {
        return encode_picture(renderer, zoom, png, fit);
    } catch (const std::bad_alloc&) {
        return false; // no memory for the picture: reported, not a crash
    }
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
