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

Bytes read_bytes(const fs::path& path) {
    Bytes bytes;
    EXPECT_TRUE(read_whole_file(path, bytes));
    return bytes;
}

void write_bytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

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

struct BitmapCommands : test_support::EditorTest {
    fs::path dir;
    void SetUp() override {
        EditorTest::SetUp();
        dir = test_support::fresh_temp_dir("cs-bitmap");
        ui.calls.clear();
    }
    void TearDown() override { fs::remove_all(dir); }
    void export_land(const fs::path& p) {
        ui.answer_path(p.string());
        export_land_command(*editor);
    }
    void export_heights(const fs::path& p) {
        ui.answer_path(p.string());
        export_heights_command(*editor);
    }
    void import_land(const fs::path& p) {
        ui.answer_path(p.string());
        import_land_command(*editor);
    }
    void import_heights(const fs::path& p) {
        ui.answer_path(p.string());
        import_heights_command(*editor);
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
    export_land(dir / "land.bmp");
    export_heights(dir / "heights.bmp");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fs::file_size(dir / "land.bmp"), 131190u);
    EXPECT_EQ(fs::file_size(dir / "heights.bmp"), 5174u);

    t.land.fill(grass);
    t.heights.fill(0);
    const auto image_before = image();
    import_land(dir / "land.bmp");
    import_heights(dir / "heights.bmp");
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

TEST_F(BitmapCommands, ForeignColourTablesAreIgnoredAndKinds13To15Kept) {
    Track& t = editor->track;
    t.land[0] = 13;
    t.land[1] = 14;
    t.land[512 * 300 + 7] = 15;
    const auto land = t.land;
    Bytes file = encode_land_bitmap(t);
    std::fill(file.begin() + 54, file.begin() + 118, 0x77);
    write_bytes(dir / "foreign.bmp", file);
    t.land.fill(tarmac);
    import_land(dir / "foreign.bmp");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(t.land, land);
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
    write_bytes(dir / "land.bmp", land_file);
    land_file.resize(land_file.size() - 100);
    write_bytes(dir / "short.bmp", land_file);
    import_heights(dir / "land.bmp");
    import_land(dir / "short.bmp");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"This is not a 64x64 256-color bitmap.",
                                                     "This is not a 512x512 16-color bitmap."}));
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
    EXPECT_EQ(t.land, land);
    EXPECT_EQ(t.heights, heights);
    EXPECT_EQ(editor->undo.land, land);
}

TEST_F(BitmapCommands, MissingImportFileCannotBeOpenedAfterTheSnapshot) {
    import_land(dir / "missing.bmp");
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't open file!"});
    EXPECT_TRUE(ui.is_enabled(id::land_undo));
    EXPECT_TRUE(editor->documents.last_file_error);
    import_heights(dir); // a folder
    EXPECT_EQ(ui.messages.back(), "Can't open file!");
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
}

TEST_F(BitmapCommands, ExportsReplaceWholeFilesAndCreateNothingOnFailure) {
    const fs::path existing = dir / "old.bmp";
    write_bytes(existing, Bytes(200000, 0xAB));
    export_land(existing);
    EXPECT_EQ(read_bytes(existing), encode_land_bitmap(editor->track));

    export_heights(dir / "no-such-folder" / "h.bmp");
    export_land(dir / "no-such-folder" / "l.bmp");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Can't create file!", "Can't create file!"}));
    EXPECT_TRUE(editor->documents.last_file_error);
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // The next command starts without the old reason.
    export_heights(dir / "h.bmp");
    EXPECT_FALSE(editor->documents.last_file_error);
}

} // namespace
} // namespace cs
