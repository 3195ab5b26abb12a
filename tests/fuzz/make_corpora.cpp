// Writes the fuzz harnesses' seed corpora, made from scratch: tracks of every file
// version with every element kind, land and height bitmaps, tracks with a recorded lap
// behind their game data, replay scripts that walk the panel, the mouse tools and the
// document commands, and JSON track documents.
//
//     make_corpora OUT_FOLDER    (writes OUT_FOLDER/<harness>/<name>)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/track_json.h"
#include "model/bitmap_file.h"
#include "tests/fuzz/seed_tracks.h"

namespace {

namespace fs = std::filesystem;
using namespace cs;

bool write(const fs::path& file, const void* data, std::size_t size) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}
bool write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    return write(file, bytes.data(), bytes.size());
}
bool write(const fs::path& file, std::string_view text) {
    return write(file, text.data(), text.size());
}

// Painting with every surface tool, both height tools, their undo buttons and the
// sliders, with strokes that run over the map's edges.
constexpr std::string_view paint_script = R"(command 1008
slider 1026 3
slider 1027 2
press left 100 100
move left 120 110
wait 60
move left 200 200
move left 600 -20
release left 600 -20
command 1034
command 1025
press left 5 5
move left -10 300
release left -10 300
command 1016
press left 250 250
move left 300 260
move left 320 300
release left 320 300
command 1014
press left 10 400
move left 400 400
release left 400 400
command 1018
slider 1026 10
press left 256 256
move left 258 250
release left 258 250
press right 256 256
move right 256 270
release right 256 270
command 1033
command 1024
press left 100 300
move left 140 330
release left 140 330
slider 1028 4
command 1007
print counts
)";

// Placing, turning and deleting elements of every list.
constexpr std::string_view elements_script = R"(kind 7
move none 200 200
press left 200 200
release left 200 200
move right 260 230
move none 220 260
press left 220 260
release left 220 260
kind 0
move none 50 400
press left 50 400
release left 50 400
command 1023
move none 300 300
press left 300 300
release left 300 300
move none 510 511
press left 510 511
release left 510 511
command 1035
command 1020
press left 100 100
move left 160 140
release left 160 140
press left 400 400
move left 700 -50
release left 700 -50
command 1036
command 1021
press left 50 50
move left 150 60
move left 250 200
release left 250 200
press right 150 60
release right 150 60
command 1022
press left 300 450
move left 350 470
release left 350 470
command 1038
command 1037
command 1041
press left 220 260
release left 220 260
unfocus 1041
command 1051
command 1054
command 1052
command 1053
command 1047
command 1048
command 1030
command 1031
command 1032
)";

// Every document command, with the files the replay harness puts in its folder.
constexpr std::string_view documents_script = R"(answer open track.trk
command 1004
print counts
answer yes
answer save saved.trk
command 1005
answer open old.trk
command 1004
answer open land.bmp
command 1044
answer open heights.bmp
command 1042
answer save land-out.bmp
command 1045
answer save heights-out.bmp
command 1043
answer open lap.trk
command 1046
answer properties water_level=80 world_size=60 author=Me comments=two\nlines sf_line=1
command 1039
answer start ok
command 1040
answer properties zoom=50
command 1003
answer open saved.trk
command 1004
print properties
)";

// Refusals: damaged and missing files, cancelled dialogs, a failed start, a bitmap where
// a track belongs and a track where a bitmap belongs.
constexpr std::string_view refusals_script = R"(answer open damaged.trk
command 1004
answer open missing.trk
command 1004
answer no
command 1005
answer yes
answer cancel
command 1005
answer open track.trk
command 1044
answer open land.bmp
command 1004
answer open land.bmp
command 1046
answer open heights.bmp
command 1042
answer start fail
command 1040
answer cancel
command 1039
answer open lap.trk
command 1004
command 1034
command 1033
)";

// The question before a modified track is dropped, each way it is dropped and answered.
constexpr std::string_view changes_script = R"(press left 100 100
release left 100 100
answer changes cancel
drop track.trk
answer changes save
answer yes
answer cancel
command 1003
answer changes save
answer yes
answer save kept.trk
answer open old.trk
command 1004
press left 200 200
release left 200 200
answer changes discard
drop lap.trk
press left 300 300
answer changes cancel
close
release left 300 300
answer changes discard
close
)";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpora OUT_FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    const std::unique_ptr<Track> sample = fuzz::sample_track();
    const auto empty = std::make_unique<Track>();
    reset_track(*empty);

    bool ok = true;
    for (std::uint16_t version = 256; version <= 261; ++version) {
        const std::string name = "v" + std::to_string(version);
        ok &= write(out / "track" / (name + ".trk"), fuzz::track_file(*sample, version));
        ok &= write(out / "track" / (name + "-empty.trk"), fuzz::track_file(*empty, version));
    }
    ok &= write(out / "track" / "v261-lap.trk", fuzz::track_file_with_lap(*sample, 261, 40));

    ok &= write(out / "land_bitmap" / "sample.bmp", encode_land_bitmap(*sample));
    ok &= write(out / "land_bitmap" / "grass.bmp", encode_land_bitmap(*empty));
    ok &= write(out / "height_bitmap" / "sample.bmp", encode_height_bitmap(*sample));
    ok &= write(out / "height_bitmap" / "flat.bmp", encode_height_bitmap(*empty));

    ok &= write(out / "lap" / "v261.trk", fuzz::track_file_with_lap(*sample, 261, 300));
    ok &= write(out / "lap" / "v256-odd.trk", fuzz::track_file_with_lap(*sample, 256, 7));
    ok &= write(out / "lap" / "v259-none.trk", fuzz::track_file_with_lap(*empty, 259, 0));

    // Documents as the tool writes them; one cut short after the lists, so that mutations
    // of its fields are quick to try; one in nlohmann's compact layout, keys sorted and
    // floats written as doubles.
    const std::string sample_json = track_to_json(*sample, 261);
    ok &= write(out / "track_json" / "sample.json", sample_json);
    ok &= write(out / "track_json" / "empty-v256.json", track_to_json(*empty, 256));
    ok &= write(out / "track_json" / "lists.json",
                sample_json.substr(0, sample_json.find("  \"land\": [")) +
                    "  \"land\": [],\n  \"heights\": []\n}\n");
    ok &= write(out / "track_json" / "compact.json", nlohmann::json::parse(sample_json).dump());

    ok &= write(out / "replay" / "paint.txt", paint_script);
    ok &= write(out / "replay" / "elements.txt", elements_script);
    ok &= write(out / "replay" / "documents.txt", documents_script);
    ok &= write(out / "replay" / "refusals.txt", refusals_script);
    ok &= write(out / "replay" / "changes.txt", changes_script);
    if (!ok) {
        std::fprintf(stderr, "make_corpora: cannot write under %s\n", out.c_str());
        return 1;
    }
    return 0;
}
