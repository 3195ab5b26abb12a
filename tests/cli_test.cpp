// The command-line contract, run through the real program.
#include <gtest/gtest.h>

#include "tests/temp_dir.h"

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/trk_file.h"

// The PNG and BMP reader of the command-line tests (bitmap_reader_test.cpp uses it too):
// a decoder of its own, independent of the zlib stream and the writer under test.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#include "stb_image.h"

namespace cs {
namespace {

struct CliRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Exact texts, exit codes and replay transcripts are compared with golden files by
// tests/golden_test.py; these tests check what the files written hold.
class Cli : public ::testing::Test {
  protected:
    CliRun run(const std::string& arguments) {
        const std::string err_path = (dir / "stderr.txt").string();
        // From the test's own folder, so that a stray file would land there.
        const std::string command = "cd '" + dir.string() + "' && '" + COURSESMITH_CLI + "' " +
                                    arguments + " 2>'" + err_path + "'";
        CliRun r;
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return r;
        }
        char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            r.out.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(err_path);
        r.err.assign(std::istreambuf_iterator<char>(err), {});
        return r;
    }

    std::string path(const char* name) { return (dir / name).string(); }

    void save(const char* name, Track& track) {
        ASSERT_EQ(write_track(path(name), track), TrackFileError::none);
    }

    test_support::TempDir dir{"cs-cli"};
};

std::unique_ptr<Track> new_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

TEST_F(Cli, NewWritesTheFreshEditorsTrack) {
    const CliRun r = run("new " + path("n.trk"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    auto expected = new_track();
    std::vector<std::uint8_t> written;
    ASSERT_TRUE(read_whole_file(path("n.trk"), written));
    EXPECT_EQ(written, encode_track(*expected));
}

TEST_F(Cli, InfoGivesTheVersionOfAnUnmarkedFile) {
    auto t = new_track();
    // A file without the magic is version 256: drop the version and magic and narrow the
    // run count and the two wide element counts. The default track fits in one-byte counts.
    std::vector<std::uint8_t> f = encode_track(*t);
    std::vector<std::uint8_t> old;
    old.reserve(f.size());
    old.insert(old.end(), f.begin() + 4, f.begin() + 14);  // offset .. rotation
    old.insert(old.end(), f.begin() + 16, f.begin() + 18); // 2-byte run count
    const std::size_t runs_end = 20 + 2 * 65;
    old.insert(old.end(), f.begin() + 20, f.begin() + static_cast<long>(runs_end + 2 + 4096));
    old.push_back(6); // object count
    old.insert(old.end(), f.begin() + static_cast<long>(runs_end + 4098 + 2),
               f.begin() + static_cast<long>(runs_end + 4098 + 2 + 48));
    old.insert(old.end(), {0, 0, 0, 0}); // pits, checkpoints, AI line (1 byte), pit line
    test_support::write_file(path("old.trk"), old);
    const CliRun j = run("info --json " + path("old.trk"));
    ASSERT_EQ(j.exit_code, 0) << j.err;
    EXPECT_NE(j.out.find("\n  \"trk_version\": 256,\n"), std::string::npos);
    EXPECT_NE(j.out.find("\n  \"zoom\": 105,\n  \"sf_line\": 1,\n"), std::string::npos);
}

TEST_F(Cli, ConvertWritesTheCurrentVersion) {
    auto t = new_track();
    std::vector<std::uint8_t> f = encode_track(*t);
    f[0] = 3; // version 259: no zoom and S/F line flag
    f[1] = 1;
    f.erase(f.begin() + 14, f.begin() + 16);
    test_support::write_file(path("old.trk"), f);
    const CliRun r = run("convert " + path("old.trk") + " " + path("new.trk"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::uint8_t> converted;
    ASSERT_TRUE(read_whole_file(path("new.trk"), converted));
    EXPECT_EQ(converted, encode_track(*t));
}

TEST_F(Cli, ConvertThroughAJsonDocumentGivesTheSameFile) {
    auto t = new_track();
    t->pits[t->pit_count++] = {100.5f, 300, 2.5f};
    save("a.trk", *t);
    ASSERT_EQ(run("convert a.trk doc.json").exit_code, 0);
    const std::string doc = test_support::contents(path("doc.json"));
    EXPECT_EQ(run("convert --to json a.trk -").out, doc);
    // Read by its name and by its first byte, written by --to.
    test_support::write_file(path("doc"), "\r\n\t " + doc);
    EXPECT_EQ(run("convert --to trk doc.json -").out, test_support::contents(path("a.trk")));
    EXPECT_EQ(run("convert doc -").out, test_support::contents(path("a.trk")));
}

// A decoded picture, each pixel 0xRRGGBB; 0 x 0 when the bytes are no picture.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t pixel(int x, int y) const { return pixels.at(std::size_t(y) * width + x); }
    bool operator==(const Picture&) const = default;
};

Picture decode_png(std::string_view bytes) {
    Picture picture;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &picture.width, &picture.height,
                              &channels, 3),
        stbi_image_free);
    if (rgb == nullptr) {
        return {};
    }
    for (int i = 0; i < picture.width * picture.height; ++i) {
        const stbi_uc* p = rgb.get() + 3 * i;
        picture.pixels.push_back(std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]);
    }
    return picture;
}

Picture load_png(const std::string& path) {
    const std::vector<std::uint8_t> bytes = test_support::file_bytes(path);
    return decode_png(std::string(bytes.begin(), bytes.end()));
}

TEST_F(Cli, RenderDrawsTheTrackAsTheEditorShowsIt) {
    auto t = new_track();
    t->land[300 * 512 + 300] = kerb;
    save("t.trk", *t);
    CliRun r = run("render " + path("t.trk") + " " + path("a.png"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Picture a = load_png(path("a.png"));
    ASSERT_EQ(a.width, 512);
    ASSERT_EQ(a.height, 512);
    EXPECT_EQ(a.pixel(200, 200), 0x88AE70u);                      // grass on level 128, blend 5
    EXPECT_EQ(a.pixel(300, 300), 0xBF4040u);                      // kerb: (128 + 255) / 2, 64, 64
    EXPECT_EQ(a.pixel(31, 10), 0xFFFFFFu);                        // front of the first start box
    EXPECT_LT(std::filesystem::file_size(path("a.png")), 32768u); // compressed, not 786 KB

    r = run("render " + path("t.trk") + " " + path("b.png") +
            " --blend 10 --zoom 4 --hide objects --hide ai --hide checkpoints");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Picture b = load_png(path("b.png"));
    ASSERT_EQ(b.width, 2048);
    for (int dy = 0; dy < 4; ++dy) {
        for (int dx = 0; dx < 4; ++dx) {
            EXPECT_EQ(b.pixel(1200 + dx, 1200 + dy), 0xFF0000u);
        }
    }
    EXPECT_EQ(b.pixel(1204, 1200), 0x90DC60u);
    EXPECT_EQ(b.pixel(31 * 4, 10 * 4), 0x90DC60u); // objects hidden

    r = run("render " + path("missing.trk") + " " + path("c.png"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, path("missing.trk") + ": Can't open file! (No such file or directory)\n");
    EXPECT_FALSE(std::filesystem::exists(path("c.png")));
    for (const char* wrong : {" --zoom 3", " --blend 11", " --hide land", " --blend"}) {
        r = run("render " + path("t.trk") + " " + path("d.png") + wrong);
        EXPECT_EQ(r.exit_code, 2) << wrong;
    }
}

TEST_F(Cli, RenderSizeShrinksSmoothlyAndNeverEnlarges) {
    auto t = new_track();
    t->land[300 * 512 + 300] = kerb; // one kerb cell in grass
    save("t.trk", *t);
    CliRun r = run("render t.trk full.png");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Picture full = load_png(path("full.png"));

    // Halved: each pixel averages a 2 x 2 block, so the kerb cell blends with three of grass.
    r = run("render --size 256 t.trk half.png");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Picture half = load_png(path("half.png"));
    ASSERT_EQ(half.width, 256);
    ASSERT_EQ(half.height, 256);
    EXPECT_EQ(half.pixel(100, 100), full.pixel(200, 200)); // plain grass stays grass
    const std::uint32_t blend = half.pixel(150, 150);      // (0xBF + 3 * 0x88) / 4, ...
    EXPECT_NEAR(blend >> 16, 150, 1);
    EXPECT_NEAR(blend >> 8 & 0xFF, 146, 1);
    EXPECT_NEAR(blend & 0xFF, 100, 1);

    // The side the picture gets for each size and zoom; 512 and above keep zoom 1 as it is.
    const struct {
        const char* options;
        int side;
    } cases[] = {{"--size 1", 1},
                 {"--size 511", 511},
                 {"--size 512", 512},
                 {"--size 4096", 512},
                 {"--zoom 2 --size 800", 800},
                 {"--size 1024 --zoom 4", 1024},
                 {"--zoom 4 --size 4096", 2048}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        r = run(std::string("render t.trk s.png ") + c.options);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const Picture image = load_png(path("s.png"));
        EXPECT_EQ(image.width, c.side);
        EXPECT_EQ(image.height, c.side);
        if (c.side == 512) {
            EXPECT_EQ(image, full);
        }
    }

    std::filesystem::remove(path("s.png"));
    for (const char* wrong : {"0", "4097", "10000", "-5", "12x", ""}) {
        SCOPED_TRACE(wrong);
        r = run(std::string("render --size '") + wrong + "' t.trk s.png");
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.err.rfind("coursesmith-cli: --size takes a number from 1 to 4096\n", 0), 0u);
        EXPECT_FALSE(std::filesystem::exists(path("s.png")));
    }
}

TEST_F(Cli, RenderReadsFileUrisAsThumbnailersPassThem) {
    std::filesystem::create_directory(dir / "my tracks");
    auto t = new_track();
    t->land[300 * 512 + 300] = kerb;
    save("my tracks/50% grip.trk", *t);
    CliRun r = run("render '" + path("my tracks/50% grip.trk") + "' expected.png");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const Picture expected = load_png(path("expected.png"));
    ASSERT_EQ(expected.width, 512);

    const std::string escaped = dir.string() + "/my%20tracks/50%25%20grip.trk";
    for (const std::string& uri : {"file://" + escaped, "file://localhost" + escaped,
                                   "FILE://LocalHost" + escaped, "file:" + escaped}) {
        SCOPED_TRACE(uri);
        r = run("render --size 512 '" + uri + "' out.png"); // the thumbnailer's order
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(load_png(path("out.png")), expected);
    }
    std::filesystem::remove(path("out.png"));

    // A name with a colon is still a plain path.
    save("a:b.trk", *t);
    r = run("render a:b.trk out.png");
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::filesystem::remove(path("out.png"));

    // Refused: other schemes and hosts, and escapes that do not decode; nothing is written.
    const struct {
        std::string uri;
        std::string message;
    } refused[] = {
        {"http://example.org/a.trk", "only local files (file:// URIs) can be read"},
        {"sftp://localhost" + escaped, "only local files (file:// URIs) can be read"},
        {"file://server" + escaped,
         "the file is on another computer: only local files can be read"},
        {"file://localhost", "the URI names no file"},
        {"file:///tmp/a%2", "the URI has a malformed %-escape"},
        {"file:///tmp/a%zz.trk", "the URI has a malformed %-escape"},
        {"file:///tmp/a%00.trk", "the URI has a malformed %-escape"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.uri);
        r = run("render '" + c.uri + "' out.png");
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.err, "coursesmith-cli: " + c.uri + ": " + c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(path("out.png")));
    }

    // A missing file is reported by its local path.
    r = run("render 'file://" + dir.string() + "/no%20such.trk' out.png");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, path("no such.trk") + ": Can't open file! (No such file or directory)\n");
}

TEST_F(Cli, DashWritesToStandardOutput) {
    auto t = new_track();
    t->land[10 * 512 + 20] = kerb;
    t->heights[5 * 64 + 6] = 0x7F00;
    save("t.trk", *t);
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(read_whole_file(path("t.trk"), file));

    CliRun r = run("render t.trk - --zoom 2");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    ASSERT_EQ(r.out.rfind("\x89PNG\r\n\x1a\n", 0), 0u);
    EXPECT_EQ(decode_png(r.out).width, 1024);

    r = run("convert t.trk -");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, std::string(file.begin(), file.end()));
    r = run("new -");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out.size(), encode_track(*new_track()).size());

    r = run("export-land t.trk -");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    ASSERT_EQ(r.out.size(), 131190u);
    EXPECT_EQ(r.out.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<std::uint8_t>(r.out[118 + (511 - 10) * 256 + 10]), kerb << 4 | grass);
    r = run("export-heights t.trk -");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    ASSERT_EQ(r.out.size(), 5174u);
    EXPECT_EQ(static_cast<std::uint8_t>(r.out[1078 + (63 - 5) * 64 + 6]), 0x7F);
    EXPECT_FALSE(std::filesystem::exists(path("-")));
}

TEST_F(Cli, BitmapsRoundTripThroughExportAndImport) {
    auto source = new_track();
    for (int i = 0; i < 512 * 512; ++i) {
        source->land[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 % 16);
    }
    for (int i = 0; i < 64 * 64; ++i) {
        source->heights[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 37 % 65536);
    }
    save("source.trk", *source);
    auto target = new_track();
    target->pits[0] = {50, 60, 1.5f};
    target->pit_count = 1;
    save("target.trk", *target);

    ASSERT_EQ(run("export-land source.trk land.bmp").exit_code, 0);
    ASSERT_EQ(run("export-heights source.trk heights.bmp").exit_code, 0);
    CliRun r = run("import-land target.trk land.bmp step.trk");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    r = run("import-heights step.trk heights.bmp out.trk");
    ASSERT_EQ(r.exit_code, 0) << r.err;

    auto out = new_track();
    ASSERT_EQ(read_track(path("out.trk"), *out).error, TrackFileError::none);
    EXPECT_EQ(out->land, source->land);
    for (int i = 0; i < 64 * 64; ++i) { // a bitmap carries the high byte only
        ASSERT_EQ(out->heights[static_cast<std::size_t>(i)], source->heights[i] & 0xFF00) << i;
    }
    EXPECT_EQ(out->pit_count, 1); // the rest is the target's
}

TEST_F(Cli, DiffPictureIsTheRenderOfTheNewerTrackMarkedWhereItChanged) {
    auto a = new_track();
    a->objects[a->object_count++] = {100, 450, 0, palm_tree};
    a->pits[a->pit_count++] = {400, 400, 0};
    save("a.trk", *a);
    auto b = std::make_unique<Track>(*a);
    b->land[300 * 512 + 300] = kerb;
    b->heights[10 * 64 + 50] += 0x1000; // drawn at (406, 81): 50 and 10 times 512 / 63
    b->objects[6].x = 200;
    b->pit_count = 0;
    save("b.trk", *b);

    ASSERT_EQ(run("render b.trk b.png").exit_code, 0);
    CliRun r = run("diff --png d.png a.trk b.trk");
    ASSERT_EQ(r.exit_code, 1) << r.err;
    const Picture plain = load_png(path("b.png"));
    const Picture marked = load_png(path("d.png"));
    ASSERT_EQ(marked.width, 512);
    ASSERT_EQ(plain.width, 512);

    // Each mark stays within its box: the cell's frame, the sample's dot and frame, the
    // circles around the object where it is now and the pit where it was.
    const struct {
        int left, top, right, bottom;
    } boxes[] = {
        {298, 298, 302, 302}, {403, 78, 409, 84}, {170, 420, 230, 480}, {370, 370, 430, 430}};
    std::vector<int> marks(std::size(boxes));
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            if (marked.pixel(x, y) == plain.pixel(x, y)) {
                continue;
            }
            bool inside = false;
            for (std::size_t i = 0; i < std::size(boxes); ++i) {
                const auto& box = boxes[i];
                if (x >= box.left && x <= box.right && y >= box.top && y <= box.bottom) {
                    inside = true;
                    marks[i] += marked.pixel(x, y) == 0xFF00FFu;
                }
            }
            EXPECT_TRUE(inside) << "a mark at " << x << ", " << y;
        }
    }
    EXPECT_EQ(marks[0], 16) << "the frame around the cell";
    EXPECT_GE(marks[1], 9 + 24) << "the dot and its frame";
    EXPECT_GT(marks[2], 60) << "the circles around the object";
    EXPECT_GT(marks[3], 60) << "the circles around the pit";
    // The changed cell is tinted half magenta; the object's own drawing stays.
    const std::uint32_t kerb_pixel = plain.pixel(300, 300);
    EXPECT_EQ(marked.pixel(300, 300), ((kerb_pixel >> 16) + 255) / 2 << 16 |
                                          (kerb_pixel >> 8 & 0xFF) / 2 << 8 |
                                          ((kerb_pixel & 0xFF) + 255) / 2);
    EXPECT_EQ(marked.pixel(200, 450), plain.pixel(200, 450));

    // On standard output the picture comes alone and the list goes to standard error.
    r = run("diff a.trk b.trk --png -");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(decode_png(r.out), marked);
    EXPECT_EQ(r.err, run("diff a.trk b.trk").out);
}

using test_support::write_file;

TEST_F(Cli, ReplayRunsGesturesAndCommands) {
    write_file(path("s.txt"), R"(# paint a road, place a pit and ask for a command to come
print title
command 1008            # Tarmac
press left 200 200
wait 60
move left 260 200
release left 260 200
print pixel 200 200
print enabled 1034
command 1023            # Pit
move none 300 300
release left 300 300    # no gesture under way: nothing
press left 300 300
release left 300 300
print counts
slider 1026 10
print brush
print repaints
)");
    const CliRun r =
        run("replay " + path("s.txt") + " --save " + path("out.trk") + " --png " + path("out.png"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::istringstream lines(r.out);
    std::string title, pixel, enabled, counts, brush, repaints;
    std::getline(lines, title);
    std::getline(lines, pixel);
    std::getline(lines, enabled);
    std::getline(lines, counts);
    std::getline(lines, brush);
    std::getline(lines, repaints);
    EXPECT_EQ(title.rfind("Tyrestorm CourseSmith - ", 0), 0u);
    EXPECT_EQ(pixel, "#909090"); // Tarmac on level 128: (128 + 160) / 2
    EXPECT_EQ(enabled, "1");
    EXPECT_EQ(counts, "6 1 0 0 0");
    EXPECT_EQ(brush, "50");
    EXPECT_GE(std::stoi(repaints), 3);

    auto saved = new_track();
    ASSERT_EQ(read_track(path("out.trk"), *saved).error, TrackFileError::none);
    EXPECT_EQ(saved->land[200 * 512 + 230], tarmac);
    EXPECT_EQ(saved->pit_count, 1);
    const Picture image = load_png(path("out.png"));
    EXPECT_EQ(image.pixel(200, 200), 0x909090u);
}

} // namespace
} // namespace cs
