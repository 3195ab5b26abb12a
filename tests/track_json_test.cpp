// Tracks as JSON documents: exact round trips both ways, and one line for each refusal.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/track_json.h"
#include "model/trk_file.h"
#include "tests/fuzz/seed_tracks.h"
#include "tests/session.h"

namespace cs {
namespace {

std::unique_ptr<Track> fresh() {
    auto t = std::make_unique<Track>();
    reset_track(*t);
    return t;
}

std::vector<std::uint8_t> saved(const Track& track) {
    auto copy = std::make_unique<Track>(track);
    return encode_track(*copy);
}

// A random track with what random_track leaves alone (the other properties, texts of any
// byte with CR LF, lone CR and lone LF), positions off the half-unit grid and heights with
// low bytes, all of which a save rounds or drops.
void random_full_track(Track& t, std::uint32_t seed) {
    test_support::random_track(t, seed);
    test_support::Rng r(seed + 1000);
    t.view_angle = static_cast<std::int16_t>(r.pick(-32768, 32767));
    t.rotation = static_cast<std::int16_t>(r.pick(-32768, 32767));
    t.zoom = static_cast<std::uint8_t>(r.pick(0, 255));
    t.sf_line = static_cast<std::uint8_t>(r.pick(0, 255));
    for (char& c : t.author) {
        c = static_cast<char>(r.pick(1, 255));
    }
    t.author[static_cast<std::size_t>(r.pick(0, author_capacity))] = 0;
    const char* pieces[] = {"\r\n", "\r", "\n", "\x80\x81\xFF", "\"\\/", "\t\x1B", "abc "};
    std::string comments;
    while (comments.size() < static_cast<std::size_t>(r.pick(0, comments_capacity))) {
        comments += r.one_of(pieces);
    }
    comments.resize(std::min(comments.size(), comments_capacity));
    t.comments.fill(0);
    std::copy(comments.begin(), comments.end(), t.comments.begin());
    for (int i = 0; i < t.object_count; i += 3) {
        t.objects[static_cast<std::size_t>(i)].x += 0.3f;
        t.objects[static_cast<std::size_t>(i)].angle += 0.00004f;
    }
}

// A track with every list at its capacity (the elements past random_track's are zeros).
void full_lists(Track& t) {
    test_support::random_track(t, 7);
    t.object_count = max_objects;
    t.pit_count = max_pits;
    t.checkpoint_count = max_checkpoints;
    t.ai_line_count = max_ai_line;
    t.ai_pit_line_count = max_ai_pit_line;
}

TEST(TrackJson, TracksComeBackAsTheFileStoresThem) {
    for (std::uint32_t seed = 1; seed <= 13; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto t = fresh();
        if (seed == 13) {
            full_lists(*t);
        } else {
            random_full_track(*t, seed);
        }
        const std::string text = track_to_json(*t, 261);
        // The document holds what the file holds: the track saved and loaded gives it too.
        auto loaded = fresh();
        ASSERT_EQ(parse_track(saved(*t), *loaded).error, TrackFileError::none);
        EXPECT_EQ(track_to_json(*loaded, 261), text);
        // Read back, the document saves to the same bytes as the loaded file (whose track
        // length comes from the rounded positions) and writes the same text.
        auto back = fresh();
        const JsonReadResult result = track_from_json(text, *back);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(saved(*back), saved(*loaded));
        EXPECT_EQ(track_to_json(*back, result.trk_version), text);
    }
}

TEST(TrackJson, TrackFilesComeBackByteForByte) {
    std::vector<std::vector<std::uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(COURSESMITH_TRACK_CORPUS)) {
        files.push_back(test_support::file_bytes(entry.path()));
    }
    const auto sample = fuzz::sample_track();
    for (std::uint16_t version = 256; version <= 261; ++version) {
        files.push_back(fuzz::track_file(*sample, version));
        files.push_back(fuzz::track_file_with_lap(*sample, version, 9));
    }
    int accepted = 0;
    for (const auto& bytes : files) {
        auto t = fresh();
        const TrackReadResult read = parse_track(bytes, *t);
        if (read.error != TrackFileError::none) {
            continue;
        }
        ++accepted;
        const std::string text = track_to_json(*t, read.version);
        auto back = fresh();
        const JsonReadResult result = track_from_json(text, *back);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.trk_version, read.version);
        EXPECT_EQ(saved(*back), saved(*t));
        EXPECT_EQ(track_to_json(*back, result.trk_version), text);
    }
    EXPECT_GT(accepted, 12); // the corpus's own files too
}

// How many lines differ between two texts of as many lines.
int changed_lines(const std::string& a, const std::string& b) {
    std::istringstream in_a(a), in_b(b);
    std::string line_a, line_b;
    int changed = 0;
    while (std::getline(in_a, line_a) && std::getline(in_b, line_b)) {
        changed += line_a != line_b;
    }
    return std::getline(in_b, line_b) ? -1 : changed;
}

TEST(TrackJson, OneChangeIsOneLine) {
    auto t = fresh();
    random_full_track(*t, 3);
    const std::string before = track_to_json(*t, 261);
    t->land[300 * map_size + 17] ^= 1;
    EXPECT_EQ(changed_lines(before, track_to_json(*t, 261)), 1);
    t->heights[40 * height_size + 5] += 0x100;
    t->objects[2].angle = 1.0f;
    EXPECT_EQ(changed_lines(before, track_to_json(*t, 261)), 3);
}

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

// The tree of any document the reader takes stays near that of the fullest track.
TEST(TrackJson, NoDocumentHoldsMoreValuesThanTheFullestTrack) {
    auto full = fresh();
    full_lists(*full);
    std::string one_more = track_to_json(*full, 261);
    one_more.insert(one_more.find("  \"sf_line\""), "  \"speed\": 0,\n");
    EXPECT_EQ(track_from_json(one_more, *full).error,
              "document: more than 531035 values, more than any track document holds");
}

TEST(TrackJson, BadDocumentsAreRefusedWithOneLine) {
    auto good = fresh();
    good->pits[good->pit_count++] = {100, 200, 1};
    good->ai_line[good->ai_line_count++] = {1, 2};
    const std::string text = track_to_json(*good, 261);
    const std::string syntax = "syntax error while parsing ";
    const std::string element = "{\"x\": 1, \"y\": 1, \"angle\": 0}, ";
    // The first place find occurs in the good document takes replace; an empty find
    // replaces the whole document.
    const struct {
        std::string find, replace, error;
    } cases[] = {
        {"", "[]", "document: must be an object, not an array"},
        {"", "{\"format\": }",
         "line 1, column 12: " + syntax +
             "value - unexpected '}'; expected '[', '{', or a literal"},
        {"\"author\": \"\"", "\"author\": \"\xC3\"",
         "line 11, column 15: " + syntax +
             "value - invalid string: ill-formed UTF-8 byte; last read: '\"\\xC3\"'"},
        {"\"format\": \"coursesmith-track\",", "", "format: missing: not a track document"},
        {"\"format_version\": 1", "\"format_version\": 2",
         "format_version: 2 is newer than this program reads (1)"},
        {"\"format_version\": 1", "\"format_version\": 0",
         "format_version: 0 is out of range 1..1"},
        {"\"trk_version\": 261", "\"trk_version\": 262", "trk_version: 262 is out of range 0..261"},
        {"\"zoom\": 105,", "\"zoom\": 105, \"speed\": 3,", "speed: unknown field"},
        {"\"zoom\": 105,", "", "zoom: missing"},
        {"\"zoom\": 105,", "\"zoom\": 105, \"zoom\": 105,", "zoom: given twice"},
        {"\"zoom\": 105", "\"zoom\": \"105\"", "zoom: must be an integer, not a string"},
        {"\"zoom\": 105", "\"zoom\": 10.5", "zoom: 10.5 is not an integer"},
        {"\"zoom\": 105", "\"zoom\": 256", "zoom: 256 is out of range 0..255"},
        {"\"author\": \"\"", "\"author\": \"\xCE\xA9\"",
         "author: U+03A9 \"\xCE\xA9\" is not in the Windows-1252 code page"},
        {"\"author\": \"\"", "\"author\": \"a\\u0000b\"",
         "author: U+0000 cannot be stored: it would end the text"},
        {"\"author\": \"\"", "\"author\": \"" + std::string(31, 'a') + "\"",
         "author: 31 bytes in Windows-1252, at most 30"},
        {"\"kind\": 0, \"x\": 20, \"y\": 30", "\"kind\": 300, \"x\": 20, \"y\": 30",
         "objects[1].kind: 300 is out of range 0..255"},
        {"\"x\": 20, \"y\": 30", "\"x\": 32768, \"y\": 30",
         "objects[1].x: 32768 is out of range 0..32767.5"},
        {"\"x\": 20, \"y\": 10", "\"x\": 20, \"y\": 513",
         "objects[0].y: 513 is out of range -32255.5..512"},
        {"\"angle\": 0}", "\"angle\": 6.6}", "objects[0].angle: 6.6 is out of range 0..6.5535"},
        {"\"angle\": 0}", "\"angle\": 0, \"colour\": 1}", "objects[0].colour: unknown field"},
        {", \"angle\": 0}", "}", "objects[0].angle: missing"},
        {"\"angle\": 0}", "\"angle\": [[[[0]]]]}",
         "objects[0].angle: nested deeper than any field of a track document"},
        {"\"pits\": [", "\"pits\": [" + repeated(element, 6), "pits: 7 entries, at most 6"},
        {"\"ai_line\": [", "\"ai_line\": [" + repeated("{\"x\": 1, \"y\": 1}, ", 65535),
         "ai_line: more than 65535 entries"},
        {"{\"x\": 1, \"y\": 2}", "[1, 2]", "ai_line[0]: must be an object, not an array"},
        {"\"land\": [\n    \"2222", "\"land\": [\n    \"222g",
         "land[0][3]: not a hexadecimal digit ('g')"},
        {"2\",\n    \"2222", "22\",\n    \"2222", "land[0]: 513 cells, not 512"},
        {"2\"\n  ],", "2\", \"2\"\n  ],", "land: 513 rows, not 512"},
        {"\"heights\": [\n    [128", "\"heights\": [\n    [256",
         "heights[0][0]: 256 is out of range 0..255"},
        {"128]\n  ]", "128, 128]\n  ]", "heights[63]: 65 samples, not 64"},
    };
    for (const auto& c : cases) {
        std::string doc = c.find.empty() ? c.replace : text;
        if (!c.find.empty()) {
            const std::size_t at = doc.find(c.find);
            ASSERT_NE(at, std::string::npos) << c.find;
            doc.replace(at, c.find.size(), c.replace);
        }
        auto t = fresh();
        EXPECT_EQ(track_from_json(doc, *t).error, c.error) << c.find.substr(0, 40);
        EXPECT_EQ(saved(*t), saved(*fresh())) << "a refused document changed the track";
    }
}

TEST(TrackJson, NumbersAreReadAsFloatsFromTheirText) {
    // Just below the midpoint of 250.5 and the float under it. Read through a double it
    // becomes the midpoint, which rounds up to 250.5; read as a float it stays under, and
    // a save keeps 250.
    auto t = fresh();
    std::string doc = track_to_json(*t, 261);
    doc.replace(doc.find("\"x\": 20"), 7, "\"x\": 250.49999237060546775");
    ASSERT_TRUE(track_from_json(doc, *t).ok());
    EXPECT_NE(track_to_json(*t, 261).find("{\"kind\": 0, \"x\": 250, \"y\": 10,"),
              std::string::npos);
}

} // namespace
} // namespace cs
