// The bitmaps the editor writes, opened by another program's reader (stb_image, whose
// implementation cli_test.cpp holds).
#include <gtest/gtest.h>

#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "stb_image.h"

#include "editor/commands.h"

namespace cs {
namespace {

// A decoded bitmap, each pixel 0xRRGGBB.
struct Decoded {
    int width = 0;
    int height = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgb{nullptr, stbi_image_free};
    std::uint32_t pixel(int x, int y) const {
        const stbi_uc* p = rgb.get() + 3 * (y * width + x);
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    }
};

struct BitmapReader : test_support::EditorTest {
    test_support::TempDir dir{"cs-bitmap-reader"};

    Decoded exported(void (*command)(Editor&), const char* name) {
        const std::filesystem::path path = dir / name;
        ui.answer_path(path.string());
        command(*editor);
        EXPECT_TRUE(ui.messages.empty());
        Decoded d;
        int channels = 0;
        d.rgb.reset(stbi_load(path.c_str(), &d.width, &d.height, &channels, 3));
        return d;
    }
};

TEST_F(BitmapReader, LandMapOpensInItsSixteenColoursTheWayUpOfTheView) {
    Track& t = editor->track;
    for (int k = 0; k < 16; ++k) {
        t.land[100 * 512 + k] = static_cast<std::uint8_t>(k); // every colour of the palette
    }
    t.land[0] = kerb;               // top left
    t.land[1] = yellow_line;        // its right neighbour, the low nibble of the same byte
    t.land[511 * 512 + 511] = 15;   // bottom right, a kind no tool paints
    t.land[511 * 512] = white_line; // bottom left, the first pixel in the file
    const Decoded image = exported(export_land_command, "land.bmp");
    ASSERT_NE(image.rgb, nullptr) << stbi_failure_reason();
    EXPECT_EQ(image.width, 512);
    EXPECT_EQ(image.height, 512);
    const auto colour = [&](int kind) { return rgb_of(editor->renderer.land_colours[kind]); };
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(image.pixel(k, 100), colour(k)) << k;
    }
    EXPECT_EQ(image.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(image.pixel(1, 0), 0xFFFF00u);
    EXPECT_EQ(image.pixel(0, 511), 0xFFFFFFu);
    EXPECT_EQ(image.pixel(511, 511), colour(15));
    EXPECT_EQ(image.pixel(200, 300), colour(t.land[300 * 512 + 200]));
}

TEST_F(BitmapReader, HeightGridOpensAsGreyLevels) {
    Track& t = editor->track;
    t.heights[0] = 0xC8FF;            // top left: level 200
    t.heights[63 * 64 + 63] = 0x0A00; // bottom right: level 10
    const Decoded image = exported(export_heights_command, "heights.bmp");
    ASSERT_NE(image.rgb, nullptr) << stbi_failure_reason();
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
    EXPECT_EQ(image.pixel(0, 0), 0xC8C8C8u);
    EXPECT_EQ(image.pixel(63, 63), 0x0A0A0Au);
    const std::uint32_t level = t.heights[20 * 64 + 30] >> 8;
    EXPECT_EQ(image.pixel(30, 20), level * 0x010101u);
}

} // namespace
} // namespace cs
