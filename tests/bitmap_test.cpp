#include <gtest/gtest.h>

#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "model/bitmap_file.h"
#include "model/file_io.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& file, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

using test_support::file_bytes;
using test_support::write_file;

TEST(BitmapFile, LandFileHeadersColoursAndRowOrder) {
    auto track = std::make_unique<Track>();
    track->land[511 * 512 + 0] = grass; // bottom row: first in the file
    track->land[511 * 512 + 1] = kerb;
    track->land[510] = gravel; // top row: last in the file
    track->land[511] = 0x1C;   // a stray high nibble must not leak into its neighbour
    const Bytes file = encode_land_bitmap(*track);
    ASSERT_EQ(file.size(), 131190u);
    const Bytes headers = {
        'B',  'M',  0x76, 0x00, 0x02, 0x00, 0,    0,    0, 0, 0x76, 0, 0, 0, 0x28, 0, 0,    0,
        0x00, 0x02, 0,    0,    0x00, 0x02, 0,    0,    1, 0, 4,    0, 0, 0, 0,    0, 0x00, 0x00,
        0x02, 0x00, 0x33, 0x0D, 0,    0,    0x33, 0x0D, 0, 0, 16,   0, 0, 0, 16,   0, 0,    0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), headers);
    // Colour entries as blue, green, red, 0: Tarmac #A0A0A0, Kerb #FF0000, kind 15 black.
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 58), (Bytes{0xA0, 0xA0, 0xA0, 0}));
    EXPECT_EQ(Bytes(file.begin() + 54 + 44, file.begin() + 54 + 48), (Bytes{0, 0, 0xFF, 0}));
    EXPECT_EQ(Bytes(file.begin() + 114, file.begin() + 118), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(file[118], 0x2B);
    EXPECT_EQ(file[118 + 1], 0x00);
    EXPECT_EQ(file.back(), 0x5C);
}

TEST(BitmapFile, HeightFileHeadersGreysAndRowOrder) {
    auto track = std::make_unique<Track>();
    track->heights[63 * 64 + 0] = 0x12FF; // bottom row, first in the file: its high byte
    track->heights[63] = 0xFF01;          // top right: the last byte
    const Bytes file = encode_height_bitmap(*track);
    ASSERT_EQ(file.size(), 5174u);
    const Bytes headers = {
        'B',  'M',  0x36, 0x14, 0,  0, 0,    0,    0, 0, 0x36, 0x04, 0, 0, 0x28, 0,    0,    0,
        64,   0,    0,    0,    64, 0, 0,    0,    1, 0, 8,    0,    0, 0, 0,    0,    0x00, 0x10,
        0x00, 0x00, 0x33, 0x0D, 0,  0, 0x33, 0x0D, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0,    0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), headers);
    EXPECT_EQ(Bytes(file.begin() + 54 + 4 * 200, file.begin() + 54 + 4 * 201),
              (Bytes{200, 200, 200, 0}));
    EXPECT_EQ(Bytes(file.begin() + 1074, file.begin() + 1078), (Bytes{255, 255, 255, 0}));
    EXPECT_EQ(file[1078], 0x12);
    EXPECT_EQ(file.back(), 0xFF);
}

// One mutation of a valid file per row; every one is refused and leaves the map as it was.
struct Refusal {
    const char* what;
    std::function<void(Bytes&)> change;
};

void expect_refused(const Bytes& valid, const std::vector<Refusal>& cases,
                    const std::function<bool(const Bytes&)>& decode_changes_nothing) {
    for (const Refusal& r : cases) {
        Bytes file = valid;
        r.change(file);
        EXPECT_TRUE(decode_changes_nothing(file)) << r.what;
    }
}

std::vector<Refusal> common_refusals(int side, std::size_t pixel_bytes) {
    return {
        {"type", [](Bytes& f) { f[1] = 'A'; }},
        {"short header", [](Bytes& f) { f.resize(53); }},
        {"width - 1", [side](Bytes& f) { put32(f, 18, side - 1); }},
        {"height - 1", [side](Bytes& f) { put32(f, 22, side - 1); }},
        {"top-down", [side](Bytes& f) { put32(f, 22, static_cast<std::uint32_t>(-side)); }},
        {"compressed", [](Bytes& f) { put32(f, 30, 1); }},
        {"one pixel byte short", [](Bytes& f) { f.pop_back(); }},
        {"offset one too far",
         [pixel_bytes](Bytes& f) {
             put32(f, 10, static_cast<std::uint32_t>(f.size() - pixel_bytes + 1));
         }},
        {"offset past 4 GiB", [](Bytes& f) { put32(f, 10, 0xFFFFFFFF); }},
    };
}

TEST(BitmapFile, LandImportAcceptsOnlyA512By512FourBitFile) {
    auto track = std::make_unique<Track>();
    track->land.fill(sand);
    const Bytes valid = encode_land_bitmap(*track);
    auto land = std::make_unique<std::array<std::uint8_t, land_cells>>();
    land->fill(oil);
    const auto before = *land;
    auto cases = common_refusals(512, 131072);
    cases.push_back({"8 bits per pixel", [](Bytes& f) { f[28] = 8; }});
    expect_refused(valid, cases, [&](const Bytes& f) {
        return !decode_land_bitmap(f, *land) && *land == before;
    });

    // The pixel-data offset is taken as written: one byte further, with one byte more in
    // the file, the rows are read from there.
    Bytes shifted = valid;
    put32(shifted, 10, 119);
    shifted.insert(shifted.begin() + 118, 0xEE);
    ASSERT_TRUE(decode_land_bitmap(shifted, *land));
    EXPECT_EQ(*land, track->land);
}

TEST(BitmapFile, HeightImportAcceptsOnlyA64By64EightBitFile) {
    auto track = std::make_unique<Track>();
    const Bytes valid = encode_height_bitmap(*track);
    std::array<std::uint16_t, height_samples> heights;
    heights.fill(0x4242);
    const auto before = heights;
    auto cases = common_refusals(64, 4096);
    cases.push_back({"4 bits per pixel", [](Bytes& f) { f[28] = 4; }});
    expect_refused(valid, cases, [&](const Bytes& f) {
        return !decode_height_bitmap(f, heights) && heights == before;
    });
}

// The file as an image editor may re-save it: each pixel value v becomes new_value[v] and
// the colour table (#RRGGBB entries) is replaced by table, the header following its length.
Bytes reindexed(const Bytes& file, int bits, const std::vector<int>& new_value,
                const std::vector<std::uint32_t>& table) {
    const std::size_t old_offset = file[10] | (file[11] << 8);
    Bytes out(file.begin(), file.begin() + 54);
    for (const std::uint32_t rgb : table) {
        out.insert(out.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                               static_cast<std::uint8_t>(rgb >> 16), 0});
    }
    for (std::size_t i = old_offset; i < file.size(); ++i) {
        out.push_back(bits == 8 ? static_cast<std::uint8_t>(new_value[file[i]])
                                : static_cast<std::uint8_t>((new_value[file[i] >> 4] << 4) |
                                                            new_value[file[i] & 0x0F]));
    }
    put32(out, 2, static_cast<std::uint32_t>(out.size()));
    put32(out, 10, static_cast<std::uint32_t>(54 + 4 * table.size()));
    put32(out, 46, static_cast<std::uint32_t>(table.size()));
    return out;
}

// A colour table made only of the file's own colours, in another order or shortened, is read
// by colour; any other table is ignored and the pixel values are taken as they are.
TEST(BitmapFile, ColourTablesOfOwnColoursAreReadByColour) {
    constexpr std::uint32_t black = 0, grass_rgb = 0x90DC60, kerb_rgb = 0xFF0000,
                            oil_rgb = 0x3F3F3F, tarmac_rgb = 0xA0A0A0;
    auto track = std::make_unique<Track>();
    for (int i = 0; i < land_cells; ++i) {
        track->land[i] = static_cast<std::uint8_t>((i + i / 512) % 14); // kinds 0 to 13
    }
    const Bytes own = encode_land_bitmap(*track);
    std::vector<int> reversed(16), identity(16);
    std::vector<std::uint32_t> reversed_table(16), foreign_table(16, 0x777777);
    for (int v = 0; v < 16; ++v) {
        reversed[v] = 15 - v;
        identity[v] = v;
        reversed_table[15 - v] = own[54 + 4 * v] | (own[55 + 4 * v] << 8) | (own[56 + 4 * v] << 16);
    }
    auto few = std::make_unique<Track>(); // four surfaces, in a table of four sorted by colour
    few->land.fill(grass);
    few->land[7] = kerb;
    few->land[512 * 511] = oil;
    few->land[land_cells - 1] = tarmac;
    std::vector<int> sorted(16, 0);
    sorted[oil] = 0, sorted[tarmac] = 1, sorted[grass] = 2, sorted[kerb] = 3;

    auto land = std::make_unique<std::array<std::uint8_t, land_cells>>();
    ASSERT_TRUE(decode_land_bitmap(reindexed(own, 4, reversed, reversed_table), *land));
    EXPECT_EQ(*land, track->land);
    ASSERT_TRUE(decode_land_bitmap(
        reindexed(encode_land_bitmap(*few), 4, sorted, {oil_rgb, tarmac_rgb, grass_rgb, kerb_rgb}),
        *land));
    EXPECT_EQ(*land, few->land);
    // One colour that is not a land colour: the values are the kinds, 13 to 15 included.
    reversed_table[4] = 0x010203;
    ASSERT_TRUE(decode_land_bitmap(reindexed(own, 4, reversed, reversed_table), *land));
    EXPECT_EQ((*land)[0], 15);
    EXPECT_EQ((*land)[13], 2);
    ASSERT_TRUE(decode_land_bitmap(reindexed(own, 4, identity, foreign_table), *land));
    EXPECT_EQ(*land, track->land);
    // Black, the colour of the three unused kinds, in another kind's place is kind 13.
    ASSERT_TRUE(decode_land_bitmap(reindexed(own, 4, identity, {black, grass_rgb}), *land));
    EXPECT_EQ((*land)[0], 13);
    EXPECT_EQ((*land)[1], grass);

    std::array<std::uint16_t, height_samples> heights;
    for (int i = 0; i < height_samples; ++i) {
        track->heights[i] = static_cast<std::uint16_t>((i % 256) << 8);
    }
    const Bytes greys = encode_height_bitmap(*track);
    std::vector<int> inverted(256), same(256);
    std::vector<std::uint32_t> inverted_greys(256), reds(256);
    for (int v = 0; v < 256; ++v) {
        inverted[v] = 255 - v;
        same[v] = v;
        inverted_greys[v] = static_cast<std::uint32_t>(255 - v) * 0x010101;
        reds[v] = static_cast<std::uint32_t>(v) << 16;
    }
    ASSERT_TRUE(decode_height_bitmap(reindexed(greys, 8, inverted, inverted_greys), heights));
    EXPECT_EQ(heights, track->heights);
    ASSERT_TRUE(decode_height_bitmap(reindexed(greys, 8, same, reds), heights));
    EXPECT_EQ(heights, track->heights);
    inverted_greys[9] = 0x0A0A0B; // not quite grey: the table is ignored
    ASSERT_TRUE(decode_height_bitmap(reindexed(greys, 8, inverted, inverted_greys), heights));
    EXPECT_EQ(heights[0], 0xFF00);
}

struct BitmapCommands : test_support::EditorTest {
    test_support::TempDir dir{"cs-bitmap"};
    void SetUp() override {
        EditorTest::SetUp();
        ui.calls.clear();
    }
};

TEST_F(BitmapCommands, DialogsKeepTheirOwnNamesAndAskWhatEachOperationNeeds) {
    const std::vector<std::pair<void (*)(Editor&), std::string DocumentState::*>> operations = {
        {import_land_command, &DocumentState::import_land_name},
        {import_heights_command, &DocumentState::import_heights_name},
        {export_land_command, &DocumentState::export_land_name},
        {export_heights_command, &DocumentState::export_heights_name},
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const auto [command, buffer] = operations[i];
        const std::string name = (dir / ("b" + std::to_string(i) + ".bmp")).string();
        ui.answer_path(name);
        command(*editor);
        ui.answer_cancel();
        command(*editor); // a cancel keeps the name
        ASSERT_EQ(ui.file_requests.size(), 2 * i + 2);
        EXPECT_EQ(ui.file_requests[2 * i].initial_name, "");
        const FileDialogRequest& r = ui.file_requests[2 * i + 1];
        EXPECT_EQ(r.initial_name, name);
        EXPECT_EQ(editor->documents.*buffer, name);
        ASSERT_EQ(r.filters.size(), 2u);
        EXPECT_EQ(r.filters[0].name, "Bitmaps (*.bmp)");
        EXPECT_EQ(r.filters[0].pattern, "*.BMP");
        EXPECT_EQ(r.filters[1].name, "All Files");
        EXPECT_EQ(r.filters[1].pattern, "*.*");
        EXPECT_EQ(r.default_extension, "bmp");
        EXPECT_TRUE(r.path_must_exist);
        EXPECT_EQ(r.file_must_exist, i < 2);
        EXPECT_EQ(r.confirm_overwrite, i >= 2);
    }
}

TEST_F(BitmapCommands, RoundTripsKeepTheLandAndTheHighByteOfEachHeight) {
    Track& t = editor->track;
    for (int i = 0; i < land_cells; ++i) {
        t.land[i] = static_cast<std::uint8_t>((i * 7 + i / 512) % 16);
    }
    t.heights.fill(32896);
    t.heights[5] = 0x01FF;
    const auto land = t.land;
    run_with_file(export_land_command, dir / "land.bmp");
    run_with_file(export_heights_command, dir / "heights.bmp");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fs::file_size(dir / "land.bmp"), 131190u);
    EXPECT_EQ(fs::file_size(dir / "heights.bmp"), 5174u);

    t.land.fill(grass);
    t.heights.fill(0);
    const auto image_before = image();
    run_with_file(import_land_command, dir / "land.bmp");
    run_with_file(import_heights_command, dir / "heights.bmp");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(t.land, land);
    EXPECT_EQ(t.heights[0], 32768);
    EXPECT_EQ(t.heights[5], 0x0100);
    EXPECT_NE(image(), image_before);
    EXPECT_EQ(image(), redrawn_image());

    // Each import can be undone back to the map from before it.
    undo_land(*editor);
    EXPECT_EQ(t.land[1], grass);
    undo_heights(*editor);
    EXPECT_EQ(t.heights[0], 0);
}

TEST_F(BitmapCommands, UndoButtonsAfterCancelledAndRefusedImports) {
    Track& t = editor->track;
    const auto land = t.land;
    const auto heights = t.heights;
    ui.answer_cancel();
    import_land_command(*editor);
    ui.answer_cancel();
    import_heights_command(*editor);
    EXPECT_FALSE(ui.is_enabled(id::land_undo));
    EXPECT_FALSE(ui.is_enabled(id::hmap_undo));

    // A land file offered to the height import, and a land file that ends in its last row.
    Bytes land_file = encode_land_bitmap(t);
    write_file(dir / "land.bmp", land_file);
    land_file.resize(land_file.size() - 100);
    write_file(dir / "short.bmp", land_file);
    run_with_file(import_heights_command, dir / "land.bmp");
    run_with_file(import_land_command, dir / "short.bmp");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"This is not a 64x64 256-color bitmap.",
                                                     "This is not a 512x512 16-color bitmap."}));
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    EXPECT_EQ(t.land, land);
    EXPECT_EQ(t.heights, heights);
    EXPECT_EQ(editor->undo.land, land);
}

TEST_F(BitmapCommands, MissingImportFileCannotBeOpenedAfterTheSnapshot) {
    run_with_file(import_land_command, dir / "missing.bmp");
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't open file!"});
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_TRUE(editor->documents.last_file_error);
    run_with_file(import_heights_command, dir); // a folder
    EXPECT_EQ(ui.messages.back(), "Can't open file!");
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
}

TEST_F(BitmapCommands, ExportsReplaceWholeFilesAndCreateNothingOnFailure) {
    const fs::path existing = dir / "old.bmp";
    write_file(existing, Bytes(200000, 0xAB));
    run_with_file(export_land_command, existing);
    EXPECT_EQ(file_bytes(existing), encode_land_bitmap(editor->track));

    run_with_file(export_heights_command, dir / "no-such-folder" / "h.bmp");
    run_with_file(export_land_command, dir / "no-such-folder" / "l.bmp");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Can't create file!", "Can't create file!"}));
    EXPECT_TRUE(editor->documents.last_file_error);
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // The next command starts without the old reason.
    run_with_file(export_heights_command, dir / "h.bmp");
    EXPECT_FALSE(editor->documents.last_file_error);
}

} // namespace
} // namespace cs
