// Windows cursor files (.cur): the editor's mouse cursor, read from "coursesmith.cur"
// beside the program. The reader takes the whole file as bytes and trusts none of them:
// every offset and size is checked against the file before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cs {

// The largest cursor the format can describe (a directory entry's 0 means 256).
inline constexpr int max_cursor_size = 256;
// Larger files are not taken for cursors at all.
inline constexpr std::size_t max_cursor_file_bytes = 4u << 20;

struct CursorImage {
    int width = 0;
    int height = 0;
    int hot_x = 0; // inside the image
    int hot_y = 0;
    // Unpremultiplied 0xAARRGGBB, top row first, width * height entries. Empty when the
    // entry is stored as PNG.
    std::vector<std::uint32_t> pixels;
    // The entry's PNG stream, for the caller to decode; width and height are those of
    // its header.
    std::vector<std::uint8_t> png;
};

// The image of the entry that suits a 32 x 32 pointer best, or nothing when the bytes are
// not a cursor file or every entry is damaged.
std::optional<CursorImage> parse_cursor_file(std::span<const std::uint8_t> bytes);

} // namespace cs
