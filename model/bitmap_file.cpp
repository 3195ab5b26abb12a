#include "model/bitmap_file.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "model/land_colours.h"
#include "model/little_endian.h"

namespace cs {

namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::size_t info_header_size = 40;
constexpr std::size_t headers_size = file_header_size + info_header_size;
static_assert(headers_size == bitmap_headers_size);
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

// Whether the headers are complete and say "BM", the expected size, depth and compression.
// The planes and the other fields are not examined.
bool headers_fit(std::span<const std::uint8_t> file, int side, std::uint16_t bits) {
    if (file.size() < headers_size || file[0] != 'B' || file[1] != 'M') {
        return false;
    }
    // Width and height are signed: a negative height marks a top-down bitmap.
    const auto width = static_cast<std::int32_t>(le::u32(file, 18));
    const auto height = static_cast<std::int32_t>(le::u32(file, 22));
    return width == side && height == side && le::u16(file, 28) == bits && le::u32(file, 30) == 0;
}

// Where the pixel rows of an accepted file begin: the headers fit and the file holds every
// pixel row from the pixel-data offset on. Nothing otherwise.
std::optional<std::size_t> pixel_rows(std::span<const std::uint8_t> file, int side,
                                      std::uint16_t bits, std::size_t pixel_bytes) {
    if (!headers_fit(file, side, bits)) {
        return std::nullopt;
    }
    const std::uint64_t offset = le::u32(file, 10);
    if (offset + pixel_bytes > file.size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(offset);
}

// The colour table (#RRGGBB each) of a file whose headers fit: it follows the information
// header, whose length the file gives, and holds the "colours used" count of entries, or
// 2^bits when that is 0. Empty when the table does not lie whole within the file or the
// information header is too short to give the count.
std::vector<std::uint32_t> colour_table(std::span<const std::uint8_t> file, std::uint16_t bits) {
    const std::uint64_t start = file_header_size + std::uint64_t{le::u32(file, 14)};
    const std::uint32_t most = 1u << bits;
    const std::uint32_t used = le::u32(file, 46);
    const std::uint64_t count = used == 0 || used > most ? most : used;
    if (le::u32(file, 14) < info_header_size || start + count * 4 > file.size()) {
        return {};
    }
    std::vector<std::uint32_t> table(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(start + i * 4); // blue, green, red, unused
        table[i] = le::u24(file, at);
    }
    return table;
}

// The surface kind of each pixel value: the kind whose colour the table gives it when every
// entry is a land colour, the value itself otherwise. An entry that already has its own
// kind's colour keeps its kind (which keeps the three unused kinds, all black, apart).
std::array<std::uint8_t, 16> land_kinds(std::span<const std::uint8_t> file) {
    std::array<std::uint8_t, 16> kinds;
    std::iota(kinds.begin(), kinds.end(), std::uint8_t{0});
    const std::vector<std::uint32_t> table = colour_table(file, 4);
    std::array<std::uint8_t, 16> by_colour = kinds;
    for (std::size_t value = 0; value < table.size(); ++value) {
        if (table[value] == land_rgb[value]) {
            continue;
        }
        const auto found = std::find(land_rgb.begin(), land_rgb.end(), table[value]);
        if (found == land_rgb.end()) {
            return kinds;
        }
        by_colour[value] = static_cast<std::uint8_t>(found - land_rgb.begin());
    }
    return by_colour;
}

// The height level of each pixel value: its grey when every entry is a grey, the value
// itself otherwise.
std::array<std::uint8_t, 256> height_levels(std::span<const std::uint8_t> file) {
    std::array<std::uint8_t, 256> levels;
    std::iota(levels.begin(), levels.end(), std::uint8_t{0});
    const std::vector<std::uint32_t> table = colour_table(file, 8);
    std::array<std::uint8_t, 256> by_grey = levels;
    for (std::size_t value = 0; value < table.size(); ++value) {
        const std::uint32_t grey = table[value] & 0xFF;
        if (table[value] != grey * 0x010101) {
            return levels;
        }
        by_grey[value] = static_cast<std::uint8_t>(grey);
    }
    return by_grey;
}

} // namespace

std::vector<std::uint8_t> encode_land_bitmap(const Track& track) {
    std::vector<std::uint8_t> out = headers(map_size, 4, 16, land_pixel_bytes);
    for (const std::uint32_t rgb : land_rgb) {
        out.insert(out.end(), {static_cast<std::uint8_t>(rgb & 0xFF),
                               static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
                               static_cast<std::uint8_t>(rgb >> 16), 0});
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
    const std::array<std::uint8_t, 16> kinds = land_kinds(file);
    const std::uint8_t* in = file.data() + *start;
    for (int i = 0; i < map_size; ++i) {
        std::uint8_t* cells = &land[static_cast<std::size_t>(map_size - 1 - i) * map_size];
        for (std::size_t b = 0; b < land_row_bytes; ++b) {
            const std::uint8_t pair = *in++;
            cells[2 * b] = kinds[pair >> 4];
            cells[2 * b + 1] = kinds[pair & 0x0F];
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
    const std::array<std::uint8_t, 256> levels = height_levels(file);
    const std::uint8_t* in = file.data() + *start;
    for (int i = 0; i < height_size; ++i) {
        const int row = height_size - 1 - i;
        for (int column = 0; column < height_size; ++column) {
            heights[row * height_size + column] = static_cast<std::uint16_t>(levels[*in++] << 8);
        }
    }
    return true;
}

bool land_bitmap_headers_fit(std::span<const std::uint8_t> start) {
    return headers_fit(start, map_size, 4);
}

bool height_bitmap_headers_fit(std::span<const std::uint8_t> start) {
    return headers_fit(start, height_size, 8);
}

} // namespace cs
