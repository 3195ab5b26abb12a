#include "editor/cursor_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace cs {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put32_be(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        b.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

struct EntryData {
    int width = 32, height = 32; // as the directory states them
    int hot_x = 0, hot_y = 0;
    Bytes data;
};

// A cursor file: the directory, then the entries' data in order.
Bytes cursor_file(const std::vector<EntryData>& entries) {
    Bytes b;
    put16(b, 0);
    put16(b, 2);
    put16(b, static_cast<std::uint32_t>(entries.size()));
    std::size_t offset = 6 + 16 * entries.size();
    for (const EntryData& e : entries) {
        b.push_back(static_cast<std::uint8_t>(e.width));
        b.push_back(static_cast<std::uint8_t>(e.height));
        b.push_back(0);
        b.push_back(0);
        put16(b, static_cast<std::uint32_t>(e.hot_x));
        put16(b, static_cast<std::uint32_t>(e.hot_y));
        put32(b, static_cast<std::uint32_t>(e.data.size()));
        put32(b, static_cast<std::uint32_t>(offset));
        offset += e.data.size();
    }
    for (const EntryData& e : entries) {
        b.insert(b.end(), e.data.begin(), e.data.end());
    }
    return b;
}

// A bitmap at double height. colour(x, y) gives a palette index (indexed depths) or a
// 0xAARRGGBB value, masked(x, y) the AND bit; y counts from the top.
Bytes dib(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
          const std::function<std::uint32_t(int, int)>& colour,
          const std::function<bool(int, int)>& masked, bool with_mask = true) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height * 2));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    for (int i = 0; i < 4; ++i) {
        put32(b, 0); // compression, image size, both resolutions
    }
    put32(b, static_cast<std::uint32_t>(palette.size()));
    put32(b, 0);
    for (std::uint32_t c : palette) {
        put32(b, c);
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = colour(x, y);
            if (bits <= 8) {
                const int bit = x * bits;
                row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
            } else {
                for (int k = 0; k < bits / 8; ++k) {
                    row[x * (bits / 8) + k] = static_cast<std::uint8_t>(v >> (8 * k));
                }
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    if (with_mask) {
        const std::size_t mask_stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
        for (int y = height - 1; y >= 0; --y) {
            Bytes row(mask_stride, 0);
            for (int x = 0; x < width; ++x) {
                if (masked(x, y)) {
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    return b;
}

constexpr std::uint32_t opaque_black = 0xFF000000u;
constexpr std::uint32_t opaque_white = 0xFFFFFFFFu;

// A 32 x 32 monochrome cross-hair through (5, 7): white lines, a black pixel at the
// top-left corner, an inverting pixel at the bottom-right one, the rest transparent.
Bytes monochrome_cross() {
    const auto white = [](int x, int y) { return x == 5 || y == 7; };
    const auto colour = [&](int x, int y) -> std::uint32_t {
        return white(x, y) || (x == 31 && y == 31) ? 1 : 0;
    };
    const auto masked = [&](int x, int y) { return !white(x, y) && !(x == 0 && y == 0); };
    return cursor_file({{32, 32, 5, 7, dib(32, 32, 1, {0x000000, 0xFFFFFF}, colour, masked)}});
}

std::optional<CursorImage> parse(const Bytes& b) {
    return parse_cursor_file(b);
}

std::uint32_t pixel(const CursorImage& c, int x, int y) {
    return c.pixels[static_cast<std::size_t>(y * c.width + x)];
}

TEST(CursorFile, MonochromeCursorKeepsItsHotSpotAndMask) {
    const auto c = parse(monochrome_cross());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 32);
    EXPECT_EQ(c->height, 32);
    EXPECT_EQ(c->hot_x, 5);
    EXPECT_EQ(c->hot_y, 7);
    EXPECT_TRUE(c->png.empty());
    ASSERT_EQ(c->pixels.size(), 32u * 32u);
    EXPECT_EQ(pixel(*c, 5, 0), opaque_white);
    EXPECT_EQ(pixel(*c, 31, 7), opaque_white);
    EXPECT_EQ(pixel(*c, 0, 0), opaque_black); // the rows are stored bottom row first
    EXPECT_EQ(pixel(*c, 0, 31), 0u);
    EXPECT_EQ(pixel(*c, 6, 8), 0u);
    EXPECT_EQ(pixel(*c, 31, 31), opaque_black); // inverting
}

TEST(CursorFile, EveryDepthReadsTheSamePicture) {
    // 3 x 2 pixels: odd rows, so every depth pads its rows to four bytes.
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    const auto index = [](int x, int y) -> std::uint32_t { return (x + 3 * y) % 5; };
    const auto none = [](int, int) { return false; };
    for (int bits : {4, 8, 24}) {
        SCOPED_TRACE(bits);
        const Bytes image =
            bits == 24 ? dib(
                             3, 2, 24, {}, [&](int x, int y) { return palette[index(x, y)]; }, none)
                       : dib(3, 2, bits, palette, index, none);
        const auto c = parse(cursor_file({{3, 2, 1, 1, image}}));
        ASSERT_TRUE(c);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(pixel(*c, x, y), opaque_black | palette[index(x, y)]) << x << "," << y;
            }
        }
    }
}

TEST(CursorFile, AlphaChannelDecidesOverTheMask) {
    const auto argb = [](int x, int y) -> std::uint32_t {
        return (static_cast<std::uint32_t>(x * 8) << 24) |
               (0x102030u + static_cast<std::uint32_t>(y));
    };
    const auto all = [](int, int) { return true; };
    for (bool with_mask : {true, false}) {
        const auto c =
            parse(cursor_file({{32, 32, 0, 0, dib(32, 32, 32, {}, argb, all, with_mask)}}));
        ASSERT_TRUE(c) << with_mask;
        EXPECT_EQ(pixel(*c, 3, 1), (24u << 24) | 0x102031u);
        EXPECT_EQ(pixel(*c, 0, 31), 0x10204Fu); // alpha 0 stays transparent
    }
    // Without any alpha the mask decides, as for the shallower depths.
    const auto plain = [](int, int) -> std::uint32_t { return 0x00ABCDEF; };
    const auto left_half = [](int x, int) { return x < 16; };
    const auto c = parse(cursor_file({{32, 32, 0, 0, dib(32, 32, 32, {}, plain, left_half)}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(pixel(*c, 15, 0), opaque_black); // masked and coloured: inverting
    EXPECT_EQ(pixel(*c, 16, 0), 0xFFABCDEFu);
}

Bytes png_entry(std::uint32_t width, std::uint32_t height) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put32_be(b, 13);
    b.insert(b.end(), {'I', 'H', 'D', 'R'});
    put32_be(b, width);
    put32_be(b, height);
    b.insert(b.end(), {8, 6, 0, 0, 0});
    put32_be(b, 0x12345678); // the decoder checks the checksum, not this reader
    return b;
}

TEST(CursorFile, PngEntryIsHandedOverAsItsBytes) {
    const Bytes png = png_entry(48, 40);
    const auto c = parse(cursor_file({{48, 40, 10, 12, png}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->png, png);
    EXPECT_TRUE(c->pixels.empty());
    EXPECT_EQ(c->width, 48);
    EXPECT_EQ(c->height, 40);
    EXPECT_EQ(c->hot_x, 10);
    EXPECT_EQ(c->hot_y, 12);

    for (std::uint32_t bad : {0u, 257u, 0x80000000u}) {
        EXPECT_FALSE(parse(cursor_file({{0, 0, 0, 0, png_entry(bad, 16)}}))) << bad;
        EXPECT_FALSE(parse(cursor_file({{0, 0, 0, 0, png_entry(16, bad)}}))) << bad;
    }
    EXPECT_TRUE(parse(cursor_file({{0, 0, 0, 0, png_entry(256, 256)}})));
    Bytes cut = png;
    cut.resize(32);
    EXPECT_FALSE(parse(cursor_file({{48, 40, 0, 0, cut}})));
}

TEST(CursorFile, TakesTheEntryNearestToAStandardPointer) {
    const auto fill = [](std::uint32_t index) { return [index](int, int) { return index; }; };
    const auto none = [](int, int) { return false; };
    const Bytes small = dib(16, 16, 1, {0x000000, 0xFFFFFF}, fill(1), none);
    const Bytes standard = dib(32, 32, 1, {0x000000, 0xFFFFFF}, fill(0), none);
    auto c = parse(cursor_file({{16, 16, 1, 1, small}, {32, 32, 2, 2, standard}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 32);
    EXPECT_EQ(c->hot_x, 2);

    // A damaged entry gives way to the next best one.
    Bytes damaged = standard;
    damaged[14] = 16; // 16 bits per pixel
    c = parse(cursor_file({{16, 16, 1, 1, small}, {32, 32, 2, 2, damaged}}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 16);
    EXPECT_EQ(pixel(*c, 0, 0), opaque_white);
}

TEST(CursorFile, HotSpotOutsideTheImageIsKeptInside) {
    Bytes file = monochrome_cross();
    file[10] = 0x88; // hot spot x 5000
    file[11] = 0x13;
    file[12] = 32; // hot spot y 32
    const auto c = parse(file);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->hot_x, 31);
    EXPECT_EQ(c->hot_y, 31);
}

TEST(CursorFile, RefusesWhatIsNotACursor) {
    const Bytes good = monochrome_cross();
    ASSERT_TRUE(parse(good));
    const auto with = [&](std::size_t at, std::vector<std::uint8_t> values) {
        Bytes b = good;
        std::copy(values.begin(), values.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    const std::size_t dib_at = 22;
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"icon, not cursor", with(2, {1, 0})},
        {"reserved word", with(0, {1, 0})},
        {"no entries", with(4, {0, 0})},
        {"directory past the end", with(4, {200, 0})},
        {"entry past the end", with(14, {0xFF, 0xFF, 0, 0})},
        {"offset and size wrap around", with(14, {0xF0, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0})},
        {"entry of no bytes", with(14, {0, 0, 0, 0})},
        {"header size past the entry", with(dib_at, {0, 0, 1, 0})},
        {"short header", with(dib_at, {12, 0, 0, 0})},
        {"width 0", with(dib_at + 4, {0, 0, 0, 0})},
        {"width 257", with(dib_at + 4, {1, 1, 0, 0})},
        {"negative width", with(dib_at + 4, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"odd double height", with(dib_at + 8, {63, 0, 0, 0})},
        {"height 257", with(dib_at + 8, {2, 2, 0, 0})},
        {"top-down height", with(dib_at + 8, {0xC0, 0xFF, 0xFF, 0xFF})},
        {"two planes", with(dib_at + 12, {2, 0})},
        {"16 bits", with(dib_at + 14, {16, 0})},
        {"compressed", with(dib_at + 16, {1, 0, 0, 0})},
        {"palette larger than the depth", with(dib_at + 32, {3, 0, 0, 0})},
        {"palette index past the palette", with(dib_at + 32, {1, 0, 0, 0})},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(parse(bytes)) << name;
    }
}

TEST(CursorFile, RefusesEveryCutAndSurvivesHostileBytes) {
    const Bytes good = monochrome_cross();
    for (std::size_t n = 0; n < good.size(); ++n) {
        EXPECT_FALSE(parse(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))))
            << n;
    }
    // An entry whose stated size ends inside its bitmap, with the file itself intact.
    const std::size_t entry_size = good.size() - 22;
    for (std::size_t size = 1; size < entry_size; ++size) {
        Bytes b = good;
        b[14] = static_cast<std::uint8_t>(size);
        b[15] = static_cast<std::uint8_t>(size >> 8);
        EXPECT_FALSE(parse(b)) << size;
    }
    // Any single byte changed to an extreme: whatever the result, no read strays outside
    // the file (the sanitizers watch) and an accepted image is whole.
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t v : {0x00, 0x7F, 0x80, 0xFF}) {
            Bytes b = good;
            b[at] = v;
            if (const auto c = parse(b)) {
                EXPECT_EQ(c->pixels.size(), static_cast<std::size_t>(c->width * c->height));
                EXPECT_LT(c->hot_x, c->width);
                EXPECT_LT(c->hot_y, c->height);
            }
        }
    }
    EXPECT_FALSE(parse(Bytes(max_cursor_file_bytes + 1, 0)));
}

} // namespace
} // namespace cs
