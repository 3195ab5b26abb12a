// The bitmaps the editor writes, opened by Qt's image reader.
#include <gtest/gtest.h>

#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

#include <filesystem>
#include <string>

#include <QColor>
#include <QImage>
#include <QString>

#include "editor/commands.h"

namespace cs {
namespace {

struct BitmapInQImage : test_support::EditorTest {
    std::filesystem::path dir;
    void SetUp() override {
        EditorTest::SetUp();
        dir = test_support::fresh_temp_dir("cs-bitmap-qimage");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    QImage exported(void (*command)(Editor&), const char* name) {
        const std::filesystem::path path = dir / name;
        ui.answer_path(path.string());
        command(*editor);
        EXPECT_TRUE(ui.messages.empty());
        return QImage(QString::fromStdString(path.string()));
    }
};

TEST_F(BitmapInQImage, LandMapOpensAsSixteenColoursTheWayUpOfTheView) {
    Track& t = editor->track;
    t.land[0] = kerb;               // top left
    t.land[1] = yellow_line;        // its right neighbour, the low nibble of the same byte
    t.land[511 * 512 + 511] = 15;   // bottom right, a kind no tool paints
    t.land[511 * 512] = white_line; // bottom left, the first pixel in the file
    const QImage image = exported(export_land_command, "land.bmp");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 512);
    EXPECT_EQ(image.height(), 512);
    EXPECT_EQ(image.format(), QImage::Format_Indexed8); // how Qt holds 4-bit files
    EXPECT_EQ(image.colorCount(), 16);
    const auto colour = [&](int kind) { return rgb_of(editor->renderer.land_colours[kind]); };
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(image.color(k) & 0xFFFFFF, colour(k)) << k;
    }
    EXPECT_EQ(image.pixelIndex(0, 0), kerb);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(image.pixel(0, 511) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixelIndex(511, 511), 15);
    EXPECT_EQ(image.pixel(200, 300) & 0xFFFFFF, colour(t.land[300 * 512 + 200]));
}

TEST_F(BitmapInQImage, HeightGridOpensAsGreyLevels) {
    Track& t = editor->track;
    t.heights[0] = 0xC8FF;            // top left: level 200
    t.heights[63 * 64 + 63] = 0x0A00; // bottom right: level 10
    const QImage image = exported(export_heights_command, "heights.bmp");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 64);
    EXPECT_EQ(image.height(), 64);
    EXPECT_EQ(image.depth(), 8);
    EXPECT_EQ(image.colorCount(), 256);
    EXPECT_EQ(image.pixel(0, 0), qRgb(200, 200, 200));
    EXPECT_EQ(image.pixel(63, 63), qRgb(10, 10, 10));
    const int level = t.heights[20 * 64 + 30] >> 8;
    EXPECT_EQ(image.pixel(30, 20), qRgb(level, level, level));
}

} // namespace
} // namespace cs
