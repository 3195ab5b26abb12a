#include <gtest/gtest.h>

#include "tests/temp_dir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "model/trk_file.h"

namespace cs {
namespace {

std::unique_ptr<Track> new_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

// Builds track files byte by byte, the way older editors laid them out.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u8(unsigned x) {
        v.push_back(static_cast<std::uint8_t>(x));
        return *this;
    }
    Bytes& u16(unsigned x) { return u8(x & 0xFF).u8(x >> 8); }
    Bytes& u32(unsigned x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& fill(std::size_t n, std::uint8_t x) {
        v.insert(v.end(), n, x);
        return *this;
    }
};

// A file of the given version with a uniform map (kind 5), flat level-7 heights,
// one object, one pit, one checkpoint, two AI line points and one AI pit line point.
Bytes old_file(unsigned version, bool with_trailer = true) {
    Bytes b;
    if (version != 256) {
        b.u16(version).u8('T').u8('S');
    }
    b.u32(0)
        .u8(64)
        .u8(40)
        .u16(static_cast<std::uint16_t>(-30))
        .u16(static_cast<std::uint16_t>(-90));
    if (version >= 261) {
        b.u8(200).u8(0);
    }
    // 65 runs of kind 5.
    if (version >= 259) {
        b.u32(65);
    } else {
        b.u16(65);
    }
    for (int i = 0; i < 64; ++i) {
        b.u16(4095 * 16 + 5);
    }
    b.u16(64 * 16 + 5);
    b.u16(4096).fill(4096, 7);
    const bool wide = version >= 258;
    wide ? b.u16(1) : b.u8(1);
    b.u8(3).u8(0).u16(200).u16(823).u16(15708);
    b.u8(1).u16(100).u16(1000).u16(0);
    b.u8(1).u16(10).u16(20).u16(30).u16(40);
    wide ? b.u16(2) : b.u8(2);
    b.u16(2).u16(4).u16(6).u16(8);
    b.u8(1).u16(512).u16(512);
    if (with_trailer) {
        b.u16(0xFFFF);
        const char author[] = "Ann";
        b.v.insert(b.v.end(), author, author + 3);
        b.fill(27, 0).fill(500, 0).u16(0xFFFF).u32(0);
    }
    return b;
}

TEST(TrkRead, EveryOldVersionReads) {
    for (unsigned version : {256u, 257u, 258u, 259u, 260u, 261u, 12u}) {
        SCOPED_TRACE(version);
        auto t = new_track();
        const TrackReadResult r = parse_track(old_file(version).v, *t);
        ASSERT_EQ(r.error, TrackFileError::none);
        EXPECT_EQ(r.version, version);
        EXPECT_EQ(t->world_size, 64);
        EXPECT_EQ(t->world_scale, 8.0f);
        EXPECT_EQ(t->water_level, 40);
        EXPECT_EQ(t->view_angle, -30);
        EXPECT_EQ(t->rotation, -90);
        EXPECT_EQ(t->zoom, version >= 261 ? 200 : 105);
        EXPECT_EQ(t->sf_line, version >= 261 ? 0 : 1);
        for (auto cell : t->land) {
            ASSERT_EQ(cell, 5);
        }
        for (auto h : t->heights) {
            ASSERT_EQ(h, 7 * 256);
        }
        ASSERT_EQ(t->object_count, 1);
        EXPECT_EQ(t->objects[0].kind, 3);
        EXPECT_EQ(t->objects[0].x, 100.0f);
        EXPECT_EQ(t->objects[0].y, 100.5f);
        EXPECT_EQ(t->objects[0].angle, 15708 * 0.0001f);
        ASSERT_EQ(t->pit_count, 1);
        EXPECT_EQ(t->pits[0].x, 50.0f);
        EXPECT_EQ(t->pits[0].y, 12.0f);
        ASSERT_EQ(t->checkpoint_count, 1);
        EXPECT_EQ(t->checkpoints[0].x1, 5.0f);
        EXPECT_EQ(t->checkpoints[0].y1, 502.0f);
        EXPECT_EQ(t->checkpoints[0].x2, 15.0f);
        EXPECT_EQ(t->checkpoints[0].y2, 492.0f);
        ASSERT_EQ(t->ai_line_count, 2);
        EXPECT_EQ(t->ai_line[1].x, 3.0f);
        EXPECT_EQ(t->ai_line[1].y, 508.0f);
        ASSERT_EQ(t->ai_pit_line_count, 1);
        EXPECT_EQ(t->ai_pit_line[0].x, 256.0f);
        EXPECT_EQ(t->ai_pit_line[0].y, 256.0f);
        EXPECT_EQ(text_of(t->author), "Ann");
    }
}

TEST(TrkRead, LandRunsStartAtTheBottomRowAndSpanRowEnds) {
    auto t = new_track();
    Bytes b;
    b.u16(261).u8('T').u8('S').u32(0).u8(120).u8(50).u16(60).u16(0).u8(105).u8(1);
    // 600 cells of kind 9: all of row 511 and the first 88 cells of row 510.
    b.u32(2).u16(600 * 16 + 9).u16(0 * 16 + 4); // a zero-length run is skipped
    b.u16(4096).fill(4096, 1);
    b.u16(0).u8(0).u8(0).u16(0).u8(0);
    ASSERT_EQ(parse_track(b.v, *t).error, TrackFileError::none);
    for (int x = 0; x < 512; ++x) {
        ASSERT_EQ(t->land[511 * 512 + x], 9);
        ASSERT_EQ(t->land[510 * 512 + x], x < 88 ? 9 : grass) << x; // the rest keep their kind
    }
    EXPECT_EQ(t->land[0], grass);
    // File row 0 is the bottom row of the grid.
    EXPECT_EQ(t->heights[63 * 64], 256);
    EXPECT_EQ(t->object_count, 0);
    EXPECT_TRUE(text_of(t->author).empty()); // no trailer
}

TEST(TrkRead, NewerVersionIsRefusedAndTrackUnchanged) {
    auto t = new_track();
    t->land[77] = oil;
    Bytes b = old_file(261);
    b.v[0] = 6; // 262
    const TrackReadResult r = parse_track(b.v, *t);
    EXPECT_EQ(r.error, TrackFileError::newer_version);
    EXPECT_EQ(message_for(r.error), "Track was saved with newer version of the track editor. This "
                                    "version does not know how to handle this track.");
    EXPECT_EQ(t->land[77], oil);
    EXPECT_EQ(t->world_size, 120);
}

TEST(TrkRead, DamagedFilesAreRefusedAndChangeNothing) {
    const Bytes good = old_file(261, false);
    std::vector<std::vector<std::uint8_t>> damaged;
    // Every cut inside the announced sections (the file is complete right after the
    // AI pit line, so only shorter cuts are damaged), among them one byte short of the end
    // of the game data offset and of the run count, both 32 bits.
    for (std::size_t size :
         {std::size_t{0}, std::size_t{3}, std::size_t{7}, std::size_t{10}, std::size_t{19},
          std::size_t{21}, std::size_t{150}, std::size_t{4280}, good.v.size() - 1}) {
        damaged.emplace_back(good.v.begin(), good.v.begin() + static_cast<long>(size));
    }
    // Runs covering more than the map.
    Bytes more = old_file(261);
    more.v[20 + 2 * 64] = 65 & 0xFF; // last run: 65 cells instead of 64
    damaged.push_back(more.v);
    // A height byte count other than 4096: 4351 and 4095 (the bytes that follow are the
    // same 4096, so only the count can refuse them).
    Bytes heights = old_file(261);
    heights.v[20 + 2 * 65] = 0xFF;
    damaged.push_back(heights.v);
    heights.v[20 + 2 * 65 + 1] = 0x0F;
    damaged.push_back(heights.v);
    // Seven pits.
    Bytes pits = old_file(261);
    const std::size_t pit_count_at = 20 + 2 * 65 + 2 + 4096 + 2 + 8;
    ASSERT_EQ(pits.v[pit_count_at], 1);
    pits.v[pit_count_at] = 7;
    pits.v.insert(pits.v.begin() + static_cast<long>(pit_count_at) + 1, 36, 0);
    damaged.push_back(pits.v);

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        auto t = new_track();
        t->land[0] = 13;
        t->heights[5] = 1234;
        t->author[0] = 'Z';
        const TrackReadResult r = parse_track(damaged[i], *t);
        EXPECT_EQ(r.error, TrackFileError::damaged);
        EXPECT_EQ(t->land[0], 13);
        EXPECT_EQ(t->land[1], grass);
        EXPECT_EQ(t->heights[5], 1234);
        EXPECT_EQ(t->object_count, 6);
        EXPECT_EQ(t->pit_count, 0);
        EXPECT_EQ(t->author[0], 'Z');
        EXPECT_EQ(t->world_size, 120);
    }
    EXPECT_EQ(message_for(TrackFileError::damaged), "The track file is damaged or incomplete.");
}

TEST(TrkRead, MangledFilesNeverHarmTheTrack) {
    // Random byte changes and cuts of a real file: each is read whole or refused, and a
    // refused one leaves the track exactly as it was.
    auto source = new_track();
    source->land[1000] = kerb;
    source->objects[6] = {10, 20, 1, house};
    source->object_count = 7;
    source->pit_count = 2;
    source->checkpoint_count = 3;
    source->ai_line_count = 40;
    source->ai_pit_line_count = 9;
    std::strcpy(source->author.data(), "Mangle");
    const std::vector<std::uint8_t> good = encode_track(*source);
    auto reference = new_track();
    reference->land[3] = 15;
    auto t = new_track();
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes = good;
        // Most changes land in the header and counts, where they matter most.
        for (int k = 0; k < 1 + static_cast<int>(next() % 4); ++k) {
            const std::size_t at = next() % 3 == 0 ? next() % bytes.size() : next() % 4400;
            bytes[at] = static_cast<std::uint8_t>(next());
        }
        if (next() % 3 == 0) {
            bytes.resize(next() % bytes.size());
        }
        *t = *reference;
        if (parse_track(bytes, *t).error != TrackFileError::none) {
            ++refused;
            ASSERT_EQ(t->land, reference->land) << round;
            ASSERT_EQ(t->heights, reference->heights) << round;
            ASSERT_EQ(t->object_count, reference->object_count) << round;
            ASSERT_EQ(t->world_size, reference->world_size) << round;
        }
    }
    EXPECT_GT(refused, 10); // the mangling did reach the checks
}

TEST(TrkRead, OptionalTrailer) {
    // Ending right after the AI pit line, or with something other than the marker.
    for (bool marker_wrong : {false, true}) {
        auto t = new_track();
        std::strcpy(t->author.data(), "Old");
        Bytes b = old_file(261, false);
        if (marker_wrong) {
            b.u16(0xFFFE).fill(40, 'x');
        }
        ASSERT_EQ(parse_track(b.v, *t).error, TrackFileError::none);
        EXPECT_TRUE(text_of(t->author).empty());
        EXPECT_TRUE(text_of(t->comments).empty());
    }
    // Ending inside the comments keeps what is there.
    auto t = new_track();
    Bytes b = old_file(261, false);
    b.u16(0xFFFF);
    for (int i = 0; i < 30; ++i) {
        b.u8('a' + i % 26);
    }
    b.u8('H').u8('i');
    ASSERT_EQ(parse_track(b.v, *t).error, TrackFileError::none);
    EXPECT_EQ(text_of(t->author).size(), 30u);
    EXPECT_EQ(t->author[30], 0);
    EXPECT_EQ(text_of(t->comments), "Hi");
}

TEST(TrkWrite, UniformMapIs65RunsAndLayoutIsExact) {
    auto t = new_track();
    const std::vector<std::uint8_t> f = encode_track(*t);
    auto u16 = [&](std::size_t at) { return f[at] | (f[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    EXPECT_EQ(u16(0), 261);
    EXPECT_EQ(f[2], 'T');
    EXPECT_EQ(f[3], 'S');
    EXPECT_EQ(u32(16), 65u);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(u16(20 + 2 * i), 4095 * 16 + 2);
    }
    EXPECT_EQ(u16(20 + 128), 64 * 16 + 2);
    const std::size_t heights = 20 + 130;
    EXPECT_EQ(u16(heights), 4096);
    EXPECT_EQ(f[heights + 2], 128);
    const std::size_t objects = heights + 2 + 4096;
    EXPECT_EQ(u16(objects), 6);
    // Start 2: x 20 -> 40, y 30 -> (512 - 30) * 2 = 964, angle 0.
    EXPECT_EQ(f[objects + 2 + 8], 0);
    EXPECT_EQ(u16(objects + 2 + 8 + 2), 40);
    EXPECT_EQ(u16(objects + 2 + 8 + 4), 964);
    const std::size_t offset = 567 + 4096 + 2 * 65 + 8 * 6;
    EXPECT_EQ(u32(4), offset);
    ASSERT_EQ(f.size(), offset + 9625);
    EXPECT_EQ(u16(offset - 538), 0xFFFF);
    EXPECT_EQ(u16(offset - 6), 0xFFFF);
    EXPECT_EQ(u32(offset - 4), 0u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(u16(offset + 2 * i), 6000);
    }
    for (std::size_t i = offset + 14; i < f.size(); ++i) {
        ASSERT_EQ(f[i], 0);
    }
}

TEST(TrkWrite, WorstCaseMapAndKindsAboveTwelveSurvive) {
    auto t = new_track();
    for (int i = 0; i < land_cells; ++i) {
        t->land[i] = static_cast<std::uint8_t>(13 + (i + i / 512) % 3);
    }
    const std::vector<std::uint8_t> f = encode_track(*t);
    EXPECT_EQ(f[16] | (f[17] << 8) | (f[18] << 16), 262144);
    auto back = new_track();
    ASSERT_EQ(parse_track(f, *back).error, TrackFileError::none);
    EXPECT_EQ(back->land, t->land);
}

TEST(TrkWrite, ConversionsTruncateAndHeightsLoseTheirLowByte) {
    auto t = new_track();
    t->objects[0] = {100.3f, 100.3f, 1.5f, fence};
    t->pits[0] = {10.75f, 500.0f, 6.2831f};
    t->pit_count = 1;
    t->checkpoints[0] = {0, 0, 512, 512};
    t->checkpoint_count = 1;
    t->heights[0] = 0xFFFF;
    std::strcpy(t->author.data(), "123456789012345678901234567890");
    std::strcpy(t->comments.data(), "Line\r\nTwo");
    const std::vector<std::uint8_t> f = encode_track(*t);
    auto back = new_track();
    ASSERT_EQ(parse_track(f, *back).error, TrackFileError::none);
    EXPECT_EQ(back->objects[0].x, 100.0f);
    EXPECT_EQ(back->objects[0].y, 100.5f);
    EXPECT_EQ(back->objects[0].kind, fence);
    EXPECT_EQ(back->objects[0].angle, 15000 * 0.0001f);
    EXPECT_EQ(back->pits[0].x, 10.5f);
    EXPECT_EQ(back->pits[0].angle, 62831 * 0.0001f);
    EXPECT_EQ(back->checkpoints[0].y1, 0.0f);
    EXPECT_EQ(back->checkpoints[0].y2, 512.0f);
    EXPECT_EQ(back->heights[0], 0xFF00);
    EXPECT_EQ(back->heights[1], 32768);
    EXPECT_EQ(text_of(back->author), "123456789012345678901234567890");
    EXPECT_EQ(text_of(back->comments), "Line\r\nTwo");
    // Saving the loaded track again gives the same bytes, angles included.
    EXPECT_EQ(encode_track(*back), encode_track(*t));
}

TEST(TrkWrite, StoresTheTrackLength) {
    auto t = new_track();
    t->world_size = 128;
    t->ai_line[0] = {0, 0};
    t->ai_line[1] = {10, 0};
    t->ai_line_count = 2;
    const std::vector<std::uint8_t> f = encode_track(*t);
    EXPECT_EQ(t->track_length, 5);
    const std::size_t end = f.size() - 9625;
    EXPECT_EQ(f[end - 4], 5);
}

// Every list at its capacity, every value non-zero and x distinct from y, so that a field
// written in the wrong place or order comes back different.
TEST(TrkWrite, FullListsRoundTrip) {
    auto t = new_track();
    t->world_size = 90;
    t->water_level = 33;
    t->view_angle = -45;
    t->rotation = 120;
    t->zoom = 77;
    t->sf_line = 0;
    std::strcpy(t->author.data(), "Ann");
    std::strcpy(t->comments.data(), "Hills");
    t->object_count = max_objects;
    for (int i = 0; i < max_objects; ++i) {
        t->objects[i] = {static_cast<float>(i % 509) + 0.5f, static_cast<float>(i / 128) + 1.0f,
                         static_cast<float>(i % 60000 + 1) * 0.0001f,
                         static_cast<std::uint8_t>(i % 25)};
    }
    t->pit_count = max_pits;
    for (int i = 0; i < max_pits; ++i) {
        t->pits[i] = {10.5f + 20.0f * i, 30.0f + 7.0f * i,
                      static_cast<float>(1000 * (i + 1)) * 0.0001f};
    }
    t->checkpoint_count = max_checkpoints;
    for (int i = 0; i < max_checkpoints; ++i) {
        t->checkpoints[i] = {1.0f + i, 3.5f + i, 500.0f - i, 256.0f + 0.5f * i};
    }
    t->ai_line_count = max_ai_line;
    for (int i = 0; i < max_ai_line; ++i) {
        t->ai_line[i] = {static_cast<float>(i % 500) + 0.5f, static_cast<float>(i % 300) + 2.0f};
    }
    t->ai_pit_line_count = max_ai_pit_line;
    for (int i = 0; i < max_ai_pit_line; ++i) {
        t->ai_pit_line[i] = {400.0f - i, 5.5f + i};
    }

    auto back = new_track();
    ASSERT_EQ(parse_track(encode_track(*t), *back).error, TrackFileError::none);
    EXPECT_EQ(back->world_size, 90);
    EXPECT_EQ(back->water_level, 33);
    EXPECT_EQ(back->view_angle, -45);
    EXPECT_EQ(back->rotation, 120);
    EXPECT_EQ(back->zoom, 77);
    EXPECT_EQ(back->sf_line, 0);
    EXPECT_EQ(text_of(back->author), "Ann");
    EXPECT_EQ(text_of(back->comments), "Hills");
    ASSERT_EQ(back->object_count, max_objects);
    ASSERT_EQ(back->pit_count, max_pits);
    ASSERT_EQ(back->checkpoint_count, max_checkpoints);
    ASSERT_EQ(back->ai_line_count, max_ai_line);
    ASSERT_EQ(back->ai_pit_line_count, max_ai_pit_line);
    // Counted rather than reported one by one: a fault changes thousands of them.
    int wrong = 0;
    for (int i = 0; i < max_objects; ++i) {
        const Object &a = t->objects[i], &b = back->objects[i];
        wrong += a.x != b.x || a.y != b.y || a.angle != b.angle || a.kind != b.kind;
    }
    for (int i = 0; i < max_pits; ++i) {
        const Pit &a = t->pits[i], &b = back->pits[i];
        wrong += a.x != b.x || a.y != b.y || a.angle != b.angle;
    }
    for (int i = 0; i < max_checkpoints; ++i) {
        const Checkpoint &a = t->checkpoints[i], &b = back->checkpoints[i];
        wrong += a.x1 != b.x1 || a.y1 != b.y1 || a.x2 != b.x2 || a.y2 != b.y2;
    }
    for (int i = 0; i < max_ai_line; ++i) {
        wrong += t->ai_line[i].x != back->ai_line[i].x || t->ai_line[i].y != back->ai_line[i].y;
    }
    for (int i = 0; i < max_ai_pit_line; ++i) {
        wrong += t->ai_pit_line[i].x != back->ai_pit_line[i].x ||
                 t->ai_pit_line[i].y != back->ai_pit_line[i].y;
    }
    EXPECT_EQ(wrong, 0);
}

class TrkFiles : public ::testing::Test {
  protected:
    // A test takes the folder's rights away: given back, so that it can be removed.
    void TearDown() override {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    }
    cs::test_support::TempDir dir{"cs-trk"};
};

TEST_F(TrkFiles, SaveLoadSaveIsIdentical) {
    auto t = new_track();
    t->land[1000] = kerb;
    const auto path = dir / "a.trk";
    ASSERT_EQ(write_track(path, *t), TrackFileError::none);
    auto back = new_track();
    ASSERT_EQ(read_track(path, *back).error, TrackFileError::none);
    const auto path2 = dir / "b.trk";
    ASSERT_EQ(write_track(path2, *back), TrackFileError::none);
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(read_whole_file(path, a));
    ASSERT_TRUE(read_whole_file(path2, b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2); // no leftovers
}

TEST_F(TrkFiles, MissingFileCannotBeOpened) {
    auto t = new_track();
    EXPECT_EQ(read_track(dir / "missing.trk", *t).error, TrackFileError::cant_open);
    EXPECT_EQ(read_track(dir, *t).error, TrackFileError::cant_open);
    EXPECT_EQ(message_for(TrackFileError::cant_open), "Can't open file!");
}

TEST_F(TrkFiles, FailedSaveLeavesTheOldFile) {
    const auto path = dir / "keep.trk";
    { std::ofstream(path, std::ios::binary) << "precious"; }
    auto t = new_track();
    // A folder that cannot be written to: the temporary file cannot be created.
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read |
                                          std::filesystem::perms::owner_exec);
    // (A superuser writes there anyway; the cases below fail for everyone.)
    if (!std::ofstream(dir / "probe").good()) {
        EXPECT_EQ(write_track(path, *t), TrackFileError::cant_create);
        EXPECT_EQ(message_for(TrackFileError::cant_create), "Can't create file.");
    }
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    // A path that names a folder cannot be replaced either.
    EXPECT_EQ(write_track(dir, *t), TrackFileError::cant_create);
    EXPECT_EQ(write_track(dir / "no" / "such" / "folder.trk", *t), TrackFileError::cant_create);
    std::vector<std::uint8_t> kept;
    ASSERT_TRUE(read_whole_file(path, kept));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
}

TEST_F(TrkFiles, LongPathsAreKeptWhole) {
#ifdef _WIN32
    GTEST_SKIP() << "std::filesystem of this C++ runtime cannot remove folders nested beyond "
                    "MAX_PATH (FileIo.NonAsciiAndLongPathsAreWrittenAndReadBack covers long paths)";
#endif
    std::filesystem::path deep = dir;
    for (int i = 0; i < 6; ++i) {
        deep /= std::string(60, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    const auto path = deep / "long.trk";
    ASSERT_GT(path.string().size(), 260u);
    auto t = new_track();
    ASSERT_EQ(write_track(path, *t), TrackFileError::none);
    auto back = new_track();
    EXPECT_EQ(read_track(path, *back).error, TrackFileError::none);
}

// Every stored angle, read as stored * 0.0001 and written again, keeps its value, so a
// save of an unchanged track never turns its objects and pits.
TEST_F(TrkFiles, EveryStoredAngleSurvivesASave) {
    constexpr int full_turn = 62832; // stored values 0 .. 62831
    auto t = new_track();
    t->object_count = full_turn;
    for (int v = 0; v < full_turn; ++v) {
        t->objects[v] = {1.0f, 1.0f, static_cast<float>(v) * 0.0001f, fence};
    }
    const int pit_values[] = {0, 1, 15707, 31415, 62830, 62831};
    t->pit_count = 6;
    for (int i = 0; i < 6; ++i) {
        t->pits[i] = {1.0f, 1.0f, static_cast<float>(pit_values[i]) * 0.0001f};
    }
    const std::vector<std::uint8_t> f = encode_track(*t);
    auto u16_at = [&f](std::size_t at) { return f[at] | (f[at + 1] << 8); };
    const std::size_t runs = f[16] | (f[17] << 8) | (f[18] << 16);
    const std::size_t objects = 20 + 2 * runs + 2 + 4096 + 2;
    int drifted = 0;
    for (int v = 0; v < full_turn; ++v) {
        drifted += u16_at(objects + 8 * std::size_t(v) + 6) != v;
    }
    EXPECT_EQ(drifted, 0);
    const std::size_t pits = objects + 8 * std::size_t{full_turn} + 1;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(u16_at(pits + 6 * std::size_t(i) + 4), pit_values[i]);
    }

    // The same through files on disk: save, load, save gives the same bytes.
    const auto first = dir / "first.trk";
    const auto second = dir / "second.trk";
    ASSERT_EQ(write_track(first, *t), TrackFileError::none);
    auto back = new_track();
    ASSERT_EQ(read_track(first, *back).error, TrackFileError::none);
    ASSERT_EQ(write_track(second, *back), TrackFileError::none);
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(read_whole_file(first, a));
    ASSERT_TRUE(read_whole_file(second, b));
    EXPECT_EQ(a, f);
    EXPECT_TRUE(a == b);
}

} // namespace
} // namespace cs
