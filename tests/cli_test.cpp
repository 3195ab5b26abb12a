// The command-line contract, run through the real program.
#include <gtest/gtest.h>

#include "tests/temp_dir.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <QImage>
#include <QString>

#include "model/trk_file.h"

namespace cs {
namespace {

struct CliRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
  protected:
    void SetUp() override { dir = cs::test_support::fresh_temp_dir("cs-cli"); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    CliRun run(const std::string& arguments) {
        const std::string err_path = (dir / "stderr.txt").string();
        const std::string command =
            std::string("'") + COURSESMITH_CLI + "' " + arguments + " 2>'" + err_path + "'";
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

    std::filesystem::path dir;
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

TEST_F(Cli, InfoJsonCarriesEveryField) {
    auto t = new_track();
    t->world_size = 0;
    t->rotation = -180;
    t->land[5 * 512 + 7] = 14;
    t->heights[3 * 64 + 2] = 200 * 256;
    t->pits[0] = {100.5f, 20, 1.25f};
    t->pit_count = 1;
    t->ai_line[0] = {0, 0};
    t->ai_line[1] = {10, 0};
    t->ai_line_count = 2;
    std::strcpy(t->author.data(), "J\xe9r\xf4me \"Q\"");
    std::strcpy(t->comments.data(), "one\r\ntwo");
    save("t.trk", *t);
    const CliRun r = run("info --json " + path("t.trk"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string& j = r.out;
    EXPECT_EQ(j.rfind("{\"version\":261,\"world_size\":0,", 0), 0u) << j.substr(0, 80);
    EXPECT_NE(j.find("\"rotation\":-180"), std::string::npos);
    EXPECT_NE(j.find("\"world_scale\":2,"), std::string::npos);
    EXPECT_NE(j.find("\"track_length\":10,"), std::string::npos);
    EXPECT_NE(j.find("\"author\":\"J\xc3\xa9r\xc3\xb4me \\\"Q\\\"\""), std::string::npos);
    EXPECT_NE(j.find("\"comments\":\"one\\ntwo\""), std::string::npos);
    EXPECT_NE(j.find("\"pits\":[[100.5,20,1.25]]"), std::string::npos);
    EXPECT_NE(j.find("\"objects\":[[0,20,10,0],[0,20,30,0],"), std::string::npos);
    EXPECT_NE(j.find("\"ai_line\":[[0,0],[10,0]]"), std::string::npos);
    EXPECT_NE(j.find("\"ai_pit_line\":[]"), std::string::npos);
    const std::size_t land = j.find("\"land\":\"");
    ASSERT_NE(land, std::string::npos);
    const std::string cells = j.substr(land + 8, 262144);
    EXPECT_EQ(cells[5 * 512 + 7], 'e');
    EXPECT_EQ(cells[0], '2');
    EXPECT_EQ(j[land + 8 + 262144], '"');
    const std::size_t heights = j.find("\"heights\":[");
    ASSERT_NE(heights, std::string::npos);
    EXPECT_EQ(j.substr(heights + 11, 12), "32768,32768,");
    EXPECT_EQ(std::count(j.begin() + static_cast<long>(heights), j.end(), ','), 4095);
    EXPECT_NE(j.find(",51200,"), std::string::npos);
}

TEST_F(Cli, InfoSummaryAndVersionOfAnUnmarkedFile) {
    auto t = new_track();
    save("t.trk", *t);
    const CliRun r = run("info " + path("t.trk"));
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find("version        261"), std::string::npos);
    EXPECT_NE(r.out.find("objects        6"), std::string::npos);

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
    std::ofstream(path("old.trk"), std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), static_cast<long>(old.size()));
    const CliRun j = run("info --json " + path("old.trk"));
    ASSERT_EQ(j.exit_code, 0) << j.err;
    EXPECT_EQ(j.out.rfind("{\"version\":256,", 0), 0u);
    EXPECT_NE(j.out.find("\"zoom\":105,\"sf_line\":1"), std::string::npos);
}

TEST_F(Cli, ValidateReportsFlawsAndExitCodes) {
    auto t = new_track();
    save("flawed.trk", *t);
    t->pits[0] = {100, 100, 0};
    t->pit_count = 1;
    t->checkpoint_count = 2;
    t->ai_line_count = 3;
    t->ai_pit_line[0] = {100, 100};
    t->ai_pit_line_count = 2;
    save("good.trk", *t);

    CliRun r = run("validate " + path("good.trk"));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, path("good.trk") + ": ok\n");

    r = run("validate " + path("good.trk") + " " + path("flawed.trk"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, path("good.trk") + ": ok\n" + path("flawed.trk") +
                         ":\n"
                         "\t* Players can't go to repair their cars. Add pits\n"
                         "\t* Lap can't be completed. Create check points\n"
                         "\t* AI drivers don't know how to drive here. Create AI driving line\n"
                         "\t* AI drivers don't know how to go to the pits. Create AI pit driving "
                         "line\n");

    r = run("validate " + path("flawed.trk") + " " + path("missing.trk"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, path("missing.trk") + ": Can't open file!\n");
}

TEST_F(Cli, ConvertWritesTheCurrentVersion) {
    auto t = new_track();
    std::vector<std::uint8_t> f = encode_track(*t);
    f[0] = 3; // version 259: no zoom and S/F line flag
    f[1] = 1;
    f.erase(f.begin() + 14, f.begin() + 16);
    std::ofstream(path("old.trk"), std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), static_cast<long>(f.size()));
    const CliRun r = run("convert " + path("old.trk") + " " + path("new.trk"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::uint8_t> converted;
    ASSERT_TRUE(read_whole_file(path("new.trk"), converted));
    EXPECT_EQ(converted, encode_track(*t));
}

TEST_F(Cli, UnreadableFilesAndUsageErrors) {
    { std::ofstream(path("bad.trk"), std::ios::binary) << "abc"; }
    std::vector<std::uint8_t> newer = encode_track(*new_track());
    newer[0] = 6;
    std::ofstream(path("newer.trk"), std::ios::binary)
        .write(reinterpret_cast<const char*>(newer.data()), static_cast<long>(newer.size()));

    CliRun r = run("info " + path("bad.trk"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, path("bad.trk") + ": The track file is damaged or incomplete.\n");
    EXPECT_TRUE(r.out.empty());

    r = run("convert " + path("newer.trk") + " " + path("out.trk"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("Track was saved with newer version"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("out.trk")));

    r = run("new " + (dir / "no" / "x.trk").string());
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("Can't create file."), std::string::npos);

    r = run("--help");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find("Usage: coursesmith-cli"), std::string::npos);
    for (const char* wrong : {"", "frobnicate", "info", "info --xml a.trk", "convert a.trk",
                              "new a.trk b.trk", "validate"}) {
        SCOPED_TRACE(wrong);
        r = run(wrong);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_NE(r.err.find("Usage:"), std::string::npos);
    }
}

QImage load_png(const std::string& path) {
    QImage image(QString::fromStdString(path), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

TEST_F(Cli, RenderDrawsTheTrackAsTheEditorShowsIt) {
    auto t = new_track();
    t->land[300 * 512 + 300] = kerb;
    save("t.trk", *t);
    CliRun r = run("render " + path("t.trk") + " " + path("a.png"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    QImage a = load_png(path("a.png"));
    ASSERT_EQ(a.width(), 512);
    ASSERT_EQ(a.height(), 512);
    EXPECT_EQ(a.pixel(200, 200) & 0xFFFFFF, 0x88AE70u); // grass on level 128, blend 5
    EXPECT_EQ(a.pixel(300, 300) & 0xFFFFFF, 0xBF4040u); // kerb: (128 + 255) / 2, 64, 64
    EXPECT_EQ(a.pixel(31, 10) & 0xFFFFFF, 0xFFFFFFu);   // front of the first start box

    r = run("render " + path("t.trk") + " " + path("b.png") +
            " --blend 10 --zoom 4 --hide objects --hide ai --hide checkpoints");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    QImage b = load_png(path("b.png"));
    ASSERT_EQ(b.width(), 2048);
    for (int dy = 0; dy < 4; ++dy) {
        for (int dx = 0; dx < 4; ++dx) {
            EXPECT_EQ(b.pixel(1200 + dx, 1200 + dy) & 0xFFFFFF, 0xFF0000u);
        }
    }
    EXPECT_EQ(b.pixel(1204, 1200) & 0xFFFFFF, 0x90DC60u);
    EXPECT_EQ(b.pixel(31 * 4, 10 * 4) & 0xFFFFFF, 0x90DC60u); // objects hidden

    r = run("render " + path("missing.trk") + " " + path("c.png"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, path("missing.trk") + ": Can't open file!\n");
    EXPECT_FALSE(std::filesystem::exists(path("c.png")));
    for (const char* wrong : {" --zoom 3", " --blend 11", " --hide land", " --blend"}) {
        r = run("render " + path("t.trk") + " " + path("d.png") + wrong);
        EXPECT_EQ(r.exit_code, 2) << wrong;
    }
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

TEST_F(Cli, ReplayRunsGesturesAndCommands) {
    write_text(path("s.txt"), R"(# paint a road, place a pit and ask for a command to come
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
command 1003
print repaints
)");
    const CliRun r =
        run("replay " + path("s.txt") + " --save " + path("out.trk") + " --png " + path("out.png"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::istringstream lines(r.out);
    std::string title, pixel, enabled, counts, brush, message, repaints;
    std::getline(lines, title);
    std::getline(lines, pixel);
    std::getline(lines, enabled);
    std::getline(lines, counts);
    std::getline(lines, brush);
    std::getline(lines, message);
    std::getline(lines, repaints);
    EXPECT_EQ(title.rfind("Tyrestorm CourseSmith - ", 0), 0u);
    EXPECT_EQ(pixel, "#909090"); // Tarmac on level 128: (128 + 160) / 2
    EXPECT_EQ(enabled, "1");
    EXPECT_EQ(counts, "6 1 0 0 0");
    EXPECT_EQ(brush, "50");
    EXPECT_EQ(message, "message: Not available yet.");
    EXPECT_GE(std::stoi(repaints), 3);

    auto saved = new_track();
    ASSERT_EQ(read_track(path("out.trk"), *saved).error, TrackFileError::none);
    EXPECT_EQ(saved->land[200 * 512 + 230], tarmac);
    EXPECT_EQ(saved->pit_count, 1);
    QImage image = load_png(path("out.png"));
    EXPECT_EQ(image.pixel(200, 200) & 0xFFFFFF, 0x909090u);
}

TEST_F(Cli, ReplayClicksToggleCheckBoxes) {
    write_text(path("s.txt"), "print checked 1031\ncommand 1031\nprint checked 1031\n"
                              "print pixel 31 10\ncheck 1031 1\nprint pixel 31 10\n");
    const CliRun r = run("replay " + path("s.txt"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "1\n0\n#88AE70\n#FFFFFF\n"); // the first start box's front, hidden and shown
}

TEST_F(Cli, ReplayStopsAtALineItCannotParse) {
    write_text(path("bad.txt"), "print counts\n\npress middle 1 2\nprint counts\n");
    const CliRun r = run("replay " + path("bad.txt") + " --save " + path("never.trk"));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "6 0 0 0 0\n");
    EXPECT_NE(r.err.find(":3:"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("never.trk")));
}

TEST_F(Cli, ReplayStartsFromTheCommandLineTrack) {
    auto t = new_track();
    t->pits[0] = {50, 50, 0};
    t->pit_count = 1;
    save("in.trk", *t);
    write_text(path("s.txt"), "print counts\nprint enabled 1035\nprint title\n");
    CliRun r = run("replay --track " + path("in.trk") + " " + path("s.txt"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "6 1 0 0 0\n1\nTyrestorm CourseSmith - " + path("in.trk") + "\n");
    // An unreadable track shows the reader's message, as the program does, and goes on.
    r = run("replay --track " + path("gone.trk") + " " + path("s.txt"));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out.rfind("message: Can't open file!\n6 0 0 0 0\n0\n", 0), 0u) << r.out;
}

} // namespace
} // namespace cs
