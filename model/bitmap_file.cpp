#include "model/bitmap_file.h"

#include <optional>

namespace cs {

namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::size_t info_header_size = 40;
constexpr std::size_t headers_size = file_header_size + info_header_size;
constexpr std::uint32_t pixels_per_metre = 3379; // about 86 dots per inch

constexpr std::size_t land_row_bytes = map_size / 2; // two cells per byte
constexpr std::size_t land_pixel_bytes = land_row_bytes * map_size;
constexpr std::size_t height_pixel_bytes = height_samples;

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
}

std::uint16_t get16(std::span<const std::uint8_t> in, std::size_t at) {
    return static_cast<std::uint16_t>(in[at] | (in[at + 1] << 8));
}
std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) {
    return std::uint32_t{in[at]} | (std::uint32_t{in[at + 1]} << 8) |
           (std::uint32_t{in[at + 2]} << 16) | (std::uint32_t{in[at + 3]} << 24);
}

// Both headers of a bottom-up, uncompressed bitmap; the colour table follows.
std::vector<std::uint8_t> headers(int side, std::uint16_t bits, std::uint32_t colours,
                                  std::uint32_t pixel_bytes) {
    const auto offset = static_cast<std::uint32_t>(headers_size + colours * 4);
    std::vector<std::uint8_t> out;
    out.reserve(offset + pixel_bytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + pixel_bytes);
    put32(out, 0); // reserved
    put32(out, offset);
    put32(out, static_cast<std::uint32_t>(info_header_size));
    put32(out, static_cast<std::uint32_t>(side)); // width
    put32(out, static_cast<std::uint32_t>(side)); // height, positive: bottom row first
    put16(out, 1);                                // planes
    put16(out, bits);
    put32(out, 0); // no compression
    put32(out, pixel_bytes);
    put32(out, pixels_per_metre);
    put32(out, pixels_per_metre);
    put32(out, colours); // colours used
    put32(out, colours); // important colours
    return out;
}

// Where the pixel rows of an accepted file begin: the headers are complete, the type is
// "BM", the size, depth and compression are the expected ones, and the file holds every
// pixel row from the pixel-data offset on. Nothing otherwise. The colour table, the planes
// and the other fields are not examined.
std::optional<std::size_t> pixel_rows(std::span<const std::uint8_t> file, int side,
                                      std::uint16_t bits, std::size_t pixel_bytes) {
    if (file.size() < headers_size || file[0] != 'B' || file[1] != 'M') {
        return std::nullopt;
    }
    // Width and height are signed: a negative height marks a top-down bitmap.
    const auto width = static_cast<std::int32_t>(get32(file, 18));
    const auto height = static_cast<std::int32_t>(get32(file, 22));
    if (width != side || height != side || get16(file, 28) != bits || get32(file, 30) != 0) {
        return std::nullopt;
    }
    const std::uint64_t offset = get32(file, 10);
    if (offset + pixel_bytes > file.size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(offset);
}

} // namespace

std::vector<std::uint8_t> encode_land_bitmap(const Track& track,
                                             const std::array<Pixel, 16>& land_colours) {
    std::vector<std::uint8_t> out = headers(map_size, 4, 16, land_pixel_bytes);
    for (const Pixel& c : land_colours) {
        out.insert(out.end(), {c.blue, c.green, c.red, 0});
    }
    // The bottom row of the map comes first, so the image stands the same way up as the view.
    for (int row = map_size - 1; row >= 0; --row) {
        const std::uint8_t* cells = &track.land[static_cast<std::size_t>(row) * map_size];
        for (std::size_t b = 0; b < land_row_bytes; ++b) {
            out.push_back(static_cast<std::uint8_t>(((cells[2 * b] & 0x0F) << 4) |
                                                    (cells[2 * b + 1] & 0x0F)));
        }
    }
    return out;
}

std::vector<std::uint8_t> encode_land_bitmap(const Track& track) {
    Renderer standard;
    build_land_colours(standard);
    return encode_land_bitmap(track, standard.land_colours);
}

std::vector<std::uint8_t> encode_height_bitmap(const Track& track) {
    std::vector<std::uint8_t> out = headers(height_size, 8, 256, height_pixel_bytes);
    for (int k = 0; k < 256; ++k) {
        const auto grey = static_cast<std::uint8_t>(k);
        out.insert(out.end(), {grey, grey, grey, 0});
    }
    for (int row = height_size - 1; row >= 0; --row) {
        for (int column = 0; column < height_size; ++column) {
            out.push_back(
                static_cast<std::uint8_t>(track.heights[row * height_size + column] >> 8));
        }
    }
    return out;
}

bool decode_land_bitmap(std::span<const std::uint8_t> file,
                        std::array<std::uint8_t, land_cells>& land) {
    const auto start = pixel_rows(file, map_size, 4, land_pixel_bytes);
    if (!start) {
        return false;
    }
    const std::uint8_t* in = file.data() + *start;
    for (int i = 0; i < map_size; ++i) {
        std::uint8_t* cells = &land[static_cast<std::size_t>(map_size - 1 - i) * map_size];
        for (std::size_t b = 0; b < land_row_bytes; ++b) {
            const std::uint8_t pair = *in++;
            cells[2 * b] = static_cast<std::uint8_t>(pair >> 4);
            cells[2 * b + 1] = static_cast<std::uint8_t>(pair & 0x0F);
        }
    }
    return true;
}

bool decode_height_bitmap(std::span<const std::uint8_t> file,
                          std::array<std::uint16_t, height_samples>& heights) {
    const auto start = pixel_rows(file, height_size, 8, height_pixel_bytes);
    if (!start) {
        return false;
    }
    const std::uint8_t* in = file.data() + *start;
    for (int i = 0; i < height_size; ++i) {
        const int row = height_size - 1 - i;
        for (int column = 0; column < height_size; ++column) {
            heights[row * height_size + column] = static_cast<std::uint16_t>(*in++ << 8);
        }
    }
    return true;
}

} // namespace cs
