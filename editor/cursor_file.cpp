#include "editor/cursor_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "model/little_endian.h"

namespace cs {

namespace {

using Bytes = std::span<const std::uint8_t>;

// A big-endian read (PNG's numbers); callers have checked that the bytes are there.
std::uint32_t u32_be_at(Bytes b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

constexpr std::size_t directory_header = 6;
constexpr std::size_t directory_entry = 16;
constexpr std::size_t info_header = 40; // BITMAPINFOHEADER
constexpr std::array<std::uint8_t, 8> png_signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Entry {
    int size = 0; // the larger of the directory's width and height
    int hot_x = 0, hot_y = 0;
    Bytes data;
};

bool valid_extent(std::uint32_t v) {
    return v >= 1 && v <= static_cast<std::uint32_t>(max_cursor_size);
}

std::optional<CursorImage> decode_png(Bytes data) {
    // Signature, then the IHDR chunk: length 13, type, width and height (big-endian).
    if (data.size() < 33 || u32_be_at(data, 8) != 13 || data[12] != 'I' || data[13] != 'H' ||
        data[14] != 'D' || data[15] != 'R') {
        return std::nullopt;
    }
    const std::uint32_t width = u32_be_at(data, 16);
    const std::uint32_t height = u32_be_at(data, 20);
    if (!valid_extent(width) || !valid_extent(height)) {
        return std::nullopt;
    }
    CursorImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.png.assign(data.begin(), data.end());
    return image;
}

// A device-independent bitmap at double height: the colour (XOR) rows, then the 1-bit
// AND mask, both bottom row first.
std::optional<CursorImage> decode_dib(Bytes data) {
    if (data.size() < info_header) {
        return std::nullopt;
    }
    const std::uint32_t header_size = le::u32(data, 0);
    const auto width = static_cast<std::int32_t>(le::u32(data, 4));
    const auto double_height = static_cast<std::int32_t>(le::u32(data, 8));
    const std::uint32_t planes = le::u16(data, 12);
    const std::uint32_t bits = le::u16(data, 14);
    const std::uint32_t compression = le::u32(data, 16);
    const std::uint32_t colours_used = le::u32(data, 32);
    if (header_size < info_header || header_size > data.size() || planes > 1 || compression != 0) {
        return std::nullopt;
    }
    if (width < 1 || width > max_cursor_size || double_height < 2 || double_height % 2 != 0 ||
        double_height / 2 > max_cursor_size) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    const int height = double_height / 2;

    // Indexed images carry their palette; deeper ones may carry an optional one to skip.
    std::size_t palette = colours_used;
    if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        if (colours_used > full) {
            return std::nullopt;
        }
        palette = colours_used == 0 ? full : colours_used;
    } else if (colours_used > 256) {
        return std::nullopt;
    }
    // Sizes stay small: 256 pixels of 32 bits by 256 rows at most.
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    const std::size_t colour_stride = (w * bits + 31) / 32 * 4;
    const std::size_t mask_stride = (w + 31) / 32 * 4;
    const std::size_t colour_start = header_size + palette * 4;
    const std::size_t mask_start = colour_start + colour_stride * h;
    if (mask_start > data.size()) {
        return std::nullopt;
    }
    // A 32-bit image with its alpha channel may come without the mask.
    const bool has_mask = mask_start + mask_stride * h <= data.size();
    if (!has_mask && bits != 32) {
        return std::nullopt;
    }

    CursorImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(w * h);
    bool any_alpha = false;
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t row = colour_start + (h - 1 - y) * colour_stride;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t argb = 0;
            if (bits <= 8) {
                const std::size_t bit = x * bits;
                const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
                const std::size_t index = (data[row + bit / 8] >> shift) & ((1u << bits) - 1);
                if (index >= palette) {
                    return std::nullopt;
                }
                argb = le::u32(data, header_size + index * 4) & 0xFFFFFFu;
            } else if (bits == 24) {
                const std::size_t at = row + x * 3;
                argb = le::u24(data, at);
            } else {
                argb = le::u32(data, row + x * 4);
                any_alpha = any_alpha || (argb >> 24) != 0;
            }
            image.pixels[y * w + x] = argb;
        }
    }
    if (any_alpha) {
        return image; // the alpha channel decides; the mask is ignored
    }
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t row = mask_start + (h - 1 - y) * mask_stride;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t& p = image.pixels[y * w + x];
            const std::uint32_t rgb = p & 0xFFFFFFu;
            const bool masked = has_mask && ((data[row + x / 8] >> (7 - x % 8)) & 1) != 0;
            if (!masked) {
                p = 0xFF000000u | rgb;
            } else {
                // A masked black pixel lets the screen through; a masked coloured pixel
                // inverts the screen, which an ARGB image cannot say: it shows black.
                p = rgb == 0 ? 0u : 0xFF000000u;
            }
        }
    }
    return image;
}

std::optional<CursorImage> decode_entry(const Entry& entry) {
    std::optional<CursorImage> image;
    if (entry.data.size() >= png_signature.size() &&
        std::equal(png_signature.begin(), png_signature.end(), entry.data.begin())) {
        image = decode_png(entry.data);
    } else {
        image = decode_dib(entry.data);
    }
    if (image) {
        image->hot_x = std::min(entry.hot_x, image->width - 1);
        image->hot_y = std::min(entry.hot_y, image->height - 1);
    }
    return image;
}

} // namespace

std::optional<CursorImage> parse_cursor_file(Bytes bytes) {
    if (bytes.size() < directory_header || bytes.size() > max_cursor_file_bytes) {
        return std::nullopt;
    }
    const std::uint32_t count = le::u16(bytes, 4);
    if (le::u16(bytes, 0) != 0 || le::u16(bytes, 2) != 2 || count == 0 ||
        directory_header + count * directory_entry > bytes.size()) {
        return std::nullopt;
    }
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = directory_header + i * directory_entry;
        const std::uint64_t size = le::u32(bytes, at + 8);
        const std::uint64_t offset = le::u32(bytes, at + 12);
        if (size == 0 || offset + size > bytes.size()) {
            continue; // this entry's image lies outside the file
        }
        Entry e;
        const int w = bytes[at] == 0 ? max_cursor_size : bytes[at];
        const int h = bytes[at + 1] == 0 ? max_cursor_size : bytes[at + 1];
        e.size = std::max(w, h);
        e.hot_x = static_cast<int>(le::u16(bytes, at + 4));
        e.hot_y = static_cast<int>(le::u16(bytes, at + 6));
        e.data = bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
        entries.push_back(e);
    }
    // A standard pointer is 32 x 32: the nearest size first, file order among equals.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::abs(a.size - 32) < std::abs(b.size - 32);
    });
    for (const Entry& e : entries) {
        if (std::optional<CursorImage> image = decode_entry(e)) {
            return image;
        }
    }
    return std::nullopt;
}

} // namespace cs
