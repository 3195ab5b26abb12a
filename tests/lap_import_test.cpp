#include "interaction/lap_import.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "editor/view_commands.h"
#include "model/trk_file.h"
#include "resources/control_ids.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

namespace cs {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Sample {
    std::int16_t x, y; // 1/150 world unit, y upwards
};

// A track file as the editor saves it: it ends where the game appends a lap.
Bytes saved_track(std::uint8_t world_size) {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    track->world_size = world_size;
    recompute_world_scale(*track);
    return encode_track(*track);
}

void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// Appends a sample count and records; the bytes a record does not use carry junk, which
// must be ignored.
void append_lap(Bytes& b, std::uint16_t count, const std::vector<Sample>& records) {
    put16(b, count);
    for (const Sample& s : records) {
        put16(b, static_cast<std::uint16_t>(s.x));
        put16(b, 0xBEEF);
        put16(b, static_cast<std::uint16_t>(s.y));
        put16(b, 0xBEEF);
        put16(b, 0xBEEF);
        put16(b, 0xBEEF);
    }
}

Bytes lap_file(std::uint8_t world_size, std::uint16_t count, const std::vector<Sample>& records) {
    Bytes b = saved_track(world_size);
    append_lap(b, count, records);
    return b;
}

void set_game_data_offset(Bytes& b, std::uint32_t g) {
    for (int i = 0; i < 4; ++i) {
        b[4 + i] = static_cast<std::uint8_t>(g >> (8 * i));
    }
}

std::vector<float> xs_of(const std::vector<LinePoint>& points) {
    std::vector<float> xs;
    for (const LinePoint& p : points) {
        xs.push_back(p.x);
    }
    return xs;
}

constexpr float spacing_128 = 20.0f; // world size 128: world scale 4, 5 world units

TEST(LapLinePoints, ConvertsWithTheFilesWorldSizeAndSignedPositions) {
    // World size 128: k = 4 / 150, so 150 steps make 4 map units; y counts upwards.
    auto points = lap_line_points(lap_file(128, 4, {{300, 150}, {-150, -150}}), 1.0f);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 2u);
    EXPECT_EQ((*points)[0].x, 8.0f);
    EXPECT_EQ((*points)[0].y, 508.0f);
    // Outside the map, kept as it is.
    EXPECT_EQ((*points)[1].x, -4.0f);
    EXPECT_EQ((*points)[1].y, 516.0f);

    // World size 0 is taken as 256: k = 2 / 150.
    points = lap_line_points(lap_file(0, 2, {{300, 150}}), 1.0f);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 1u);
    EXPECT_EQ((*points)[0].x, 4.0f);
    EXPECT_EQ((*points)[0].y, 510.0f);
}

TEST(LapLinePoints, OddCountReadsOneRecordMoreThanItConverts) {
    const std::vector<Sample> three = {{0, 0}, {3000, 0}, {6000, 0}};
    Bytes full = lap_file(128, 5, three); // 2 + 36 bytes behind the game data
    auto points = lap_line_points(full, spacing_128);
    ASSERT_TRUE(points);
    EXPECT_EQ(xs_of(*points), (std::vector<float>{0.0f, 80.0f}));

    full.pop_back(); // 35 bytes of records
    EXPECT_FALSE(lap_line_points(full, spacing_128));

    // One sample: its record must be there, but nothing is converted.
    points = lap_line_points(lap_file(128, 1, {{300, 150}}), spacing_128);
    ASSERT_TRUE(points);
    EXPECT_TRUE(points->empty());
    EXPECT_FALSE(lap_line_points(lap_file(128, 1, {}), spacing_128));
}

TEST(LapLinePoints, KeepsTheFirstSampleThenThoseASpacingFromTheLastKept) {
    // 750 steps are 20.0 map units at world size 128, 749 steps fall just short.
    // 1100 is 29.3 from the first sample but only 9.3 from the kept one at 750.
    const std::vector<Sample> lap = {{0, 150},   {400, 150},  {749, 150},
                                     {750, 150}, {1100, 150}, {1500, 150}};
    const auto points = lap_line_points(lap_file(128, 12, lap), spacing_128);
    ASSERT_TRUE(points);
    EXPECT_EQ(xs_of(*points), (std::vector<float>{0.0f, 20.0f, 40.0f}));
    for (const LinePoint& p : *points) {
        EXPECT_EQ(p.y, 508.0f);
    }
}

TEST(LapLinePoints, NoLapWhereTheBytesEndEarly) {
    Bytes fresh = saved_track(128); // ends exactly at the game data offset + 9625
    EXPECT_FALSE(lap_line_points(fresh, spacing_128));
    fresh.push_back(0); // half a count
    EXPECT_FALSE(lap_line_points(fresh, spacing_128));
    fresh.push_back(0); // a count of 0: a lap without samples
    const auto points = lap_line_points(fresh, spacing_128);
    ASSERT_TRUE(points);
    EXPECT_TRUE(points->empty());

    EXPECT_FALSE(lap_line_points(Bytes{}, spacing_128));
    EXPECT_FALSE(lap_line_points(Bytes{0x05, 0x01, 'T', 'S', 0, 0, 0, 0}, spacing_128));
}

TEST(LapLinePoints, HostileGameDataOffsetPointsPastTheEnd) {
    // A valid lap at offset 0 (the version, 261, read as a count) lies within the file;
    // an offset that wraps round 2^32 must not land there.
    Bytes b = lap_file(128, 2, {{300, 150}});
    ASSERT_TRUE(lap_line_points(b, spacing_128));
    for (const std::uint32_t g :
         {0xFFFFFFFFu - 9625u + 1u, 0xFFFFFFFFu - 9625u + 4u, 0xFFFFFFFFu}) {
        set_game_data_offset(b, g);
        EXPECT_FALSE(lap_line_points(b, spacing_128)) << g;
    }
}

TEST(LapLinePoints, FileWithoutMagicStartsWithTheGameDataOffset) {
    // Game data offset 5, world size 128; the lap follows the 9625-byte block.
    Bytes b = {5, 0, 0, 0, 128};
    b.resize(5 + 9625, 0);
    append_lap(b, 2, {{300, 150}});
    const auto points = lap_line_points(b, spacing_128);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 1u);
    EXPECT_EQ((*points)[0].x, 8.0f);
    EXPECT_EQ((*points)[0].y, 508.0f);
}

struct LapImport : test_support::EditorTest {
    test_support::TempDir dir{"lap-import"};
    Track& t = editor->track;

    std::string write(const std::string& name, const Bytes& bytes) {
        test_support::write_file(dir / name, bytes);
        return (dir / name).string();
    }
    // A triangle on the current track, drawn on the image, its button enabled.
    void give_line() {
        t.ai_line[0] = {100, 100};
        t.ai_line[1] = {200, 100};
        t.ai_line[2] = {150, 200};
        t.ai_line_count = 3;
        ui.set_control_enabled(id::delete_ai_line, true);
        full_redraw(*editor);
    }
    void expect_line_kept() {
        ASSERT_EQ(t.ai_line_count, 3);
        EXPECT_EQ(t.ai_line[2].x, 150.0f);
        EXPECT_TRUE(ui.is_enabled(id::delete_ai_line));
    }
};

TEST_F(LapImport, SpacingOfTheCurrentTrackScaleOfTheChosenFile) {
    t.world_size = 128; // spacing 20
    recompute_world_scale(t);
    give_line();
    // The file's world size 64 makes 150 steps 8 map units: 300 steps are 16 (dropped),
    // 375 steps are 20 (kept). Either size in the other role would keep neither.
    const std::string path = write("lap.trk", lap_file(64, 6, {{0, 0}, {300, 0}, {375, 0}}));
    run_with_file(import_ai_line_command, path);

    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(t.ai_line_count, 2);
    EXPECT_EQ(t.ai_line[0].x, 0.0f);
    EXPECT_EQ(t.ai_line[1].x, 20.0f);
    EXPECT_EQ(t.ai_line[1].y, 512.0f);
    EXPECT_TRUE(ui.is_enabled(id::delete_ai_line));
    EXPECT_EQ(t.world_size, 128); // nothing else of the file is taken
    EXPECT_EQ(image(), redrawn_image());

    ASSERT_EQ(ui.file_requests.size(), 1u);
    const FileDialogRequest& r = ui.file_requests[0];
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0].name, "Tyrestorm Track Files (*.trk)");
    EXPECT_EQ(r.filters[0].pattern, "*.TRK");
    EXPECT_EQ(r.filters[1].name, "All Files");
    EXPECT_EQ(r.filters[1].pattern, "*.*");
    EXPECT_EQ(r.default_extension, "trk");
    EXPECT_EQ(r.initial_name, "");
    EXPECT_TRUE(r.path_must_exist);
    EXPECT_TRUE(r.file_must_exist);

    // The dialog opens on the name last chosen, also when that file failed.
    run_with_file(import_ai_line_command, (dir / "missing.trk").string());
    run_with_file(import_ai_line_command, path);
    ASSERT_EQ(ui.file_requests.size(), 3u);
    EXPECT_EQ(ui.file_requests[1].initial_name, path);
    EXPECT_EQ(ui.file_requests[2].initial_name, (dir / "missing.trk").string());
}

TEST_F(LapImport, EmptyLapClearsTheLineAndItsPicture) {
    give_line();
    const std::vector<Pixel> without_line = [&] {
        const std::uint16_t n = t.ai_line_count;
        t.ai_line_count = 0;
        std::vector<Pixel> img = redrawn_image();
        t.ai_line_count = n;
        return img;
    }();
    ASSERT_NE(image(), without_line);

    run_with_file(import_ai_line_command, write("empty.trk", lap_file(128, 0, {})));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(t.ai_line_count, 0);
    EXPECT_FALSE(ui.is_enabled(id::delete_ai_line));
    EXPECT_EQ(image(), without_line);
}

TEST_F(LapImport, FailuresLeaveTheLineAndReportOnce) {
    give_line();
    const std::vector<Pixel> before = image();

    run_with_file(import_ai_line_command, write("fresh.trk", saved_track(128)));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't find ghost lap."});
    EXPECT_FALSE(editor->documents.last_file_error);
    expect_line_kept();

    ui.messages.clear();
    run_with_file(import_ai_line_command,
                  write("short.trk", lap_file(128, 5, {{0, 0}, {3000, 0}})));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't find ghost lap."});
    expect_line_kept();

    ui.messages.clear();
    run_with_file(import_ai_line_command, (dir / "missing.trk").string());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can't open file!"});
    EXPECT_TRUE(editor->documents.last_file_error);
    expect_line_kept();

    // The next command starts without the old reason.
    ui.messages.clear();
    run_with_file(import_ai_line_command, write("fresh2.trk", saved_track(128)));
    EXPECT_FALSE(editor->documents.last_file_error);
    EXPECT_EQ(image(), before);
}

TEST_F(LapImport, CancelChangesNothing) {
    give_line();
    editor->documents.import_lap_name = "last.trk";
    const std::vector<Pixel> before = image();
    const std::size_t calls = ui.calls.size();

    ui.answer_cancel();
    import_ai_line_command(*editor);
    EXPECT_EQ(ui.calls.size(), calls + 1); // the dialog, nothing after it
    EXPECT_EQ(ui.file_requests.at(0).initial_name, "last.trk");
    EXPECT_EQ(editor->documents.import_lap_name, "last.trk");
    EXPECT_TRUE(ui.messages.empty());
    expect_line_kept();
    EXPECT_EQ(image(), before);
}

} // namespace
} // namespace cs
