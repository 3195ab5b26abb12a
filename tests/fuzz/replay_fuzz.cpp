// The replay language on arbitrary bytes: each input is a script of at most 200 lines,
// run through the same line runner as `coursesmith-cli replay` against an editor set up
// as at start-up, with the invariants checked after every line and the image compared
// with a full redraw at the end. File dialogs are answered with files in a folder of the
// harness's own, refilled with seed files before each input that used them: whatever
// path a script names (answered or dropped), only its last component is kept, so nothing
// outside that folder is read or written. The replay writes its transcript to /dev/null and
// has no writers for files: no input asks for one, as only run_replay writes them.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/bitmap_file.h"
#include "replay/replay.h"
#include "tests/fuzz/check.h"
#include "tests/fuzz/invariants.h"
#include "tests/fuzz/seed_tracks.h"

namespace {

namespace fs = std::filesystem;
using namespace cs;

constexpr int max_lines = 200;

fs::path folder;
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> seed_files;
bool folder_used = true; // refill before the first input

void remove_folder() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// The folder holds exactly the seed files again.
void refill_folder() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    for (const auto& [name, bytes] : seed_files) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
}

// The answered path's last component, reduced to letters, digits, '.', '-' and '_', in
// the harness's folder. A name of dots only, or none, becomes "x".
std::string confined(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string_view::npos) {
        path.remove_prefix(slash + 1);
    }
    std::string name;
    for (char c : path.substr(0, 40)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '-' || c == '_') {
            name += c;
        }
    }
    if (name.find_first_not_of('.') == std::string::npos) {
        name = "x";
    }
    return (folder / name).string();
}

// One editor with its script runner, set up as the program starts.
struct Side {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    Replay replay;
    bool ready;
    Side(bool literal, std::FILE* out) : replay(ui, *editor, ReplayOutputs{.transcript = out}) {
        editor->program_folder = folder.string();
        editor->renderer.literal_overlays = literal;
        ready = set_up_editor(*editor);
        if (ready) {
            initialise_panel(*editor);
        }
    }
    // Runs the line; false when the program would stop at it.
    bool run(std::string_view text, int line_number) {
        const std::size_t queued = ui.queue.size();
        // A dropped file, like an answered path, comes from the harness's folder.
        std::string line(text);
        const std::size_t verb = line.find_first_not_of(" \t");
        if (verb != std::string::npos && line.compare(verb, 5, "drop ") == 0) {
            line = "drop " + confined(line.substr(verb + 5));
            folder_used = true;
        }
        const std::string error = replay.run_line(line, line_number);
        if (ui.queue.size() > queued && ui.queue.back().kind == ScriptedAnswer::Kind::path) {
            ui.queue.back().path = confined(ui.queue.back().path);
            folder_used = true;
        }
        return error.empty() && !ui.mismatch;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = fs::temp_directory_path() / ("coursesmith-replay-fuzz-" + std::to_string(::getpid()));
    std::atexit(remove_folder);
    const std::unique_ptr<Track> track = fuzz::sample_track();
    seed_files = {
        {"track.trk", fuzz::track_file(*track, 261)},
        {"old.trk", fuzz::track_file(*track, 256)},
        {"lap.trk", fuzz::track_file_with_lap(*track, 261, 300)},
        {"land.bmp", encode_land_bitmap(*track)},
        {"heights.bmp", encode_height_bitmap(*track)},
        {"damaged.trk", std::vector<std::uint8_t>{5, 1, 'T', 'S', 0, 0}},
    };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* out = std::fopen("/dev/null", "w");
    if (folder_used) {
        refill_folder();
        folder_used = false;
    }
    // The editor under test, and a twin that draws every overlay pass literally.
    Side side(false, out);
    Side twin(true, out);
    if (!side.ready || !twin.ready) {
        return 0;
    }
    fuzz::check_editor(*side.editor, side.ui);

    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    for (int line_number = 1; line_number <= max_lines && at < script.size(); ++line_number) {
        std::size_t end = script.find('\n', at);
        if (end == std::string_view::npos) {
            end = script.size();
        }
        std::string_view text = script.substr(at, end - at);
        at = end + 1;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        const bool ran = side.run(text, line_number);
        FUZZ_CHECK(twin.run(text, line_number) == ran);
        if (!ran) {
            break; // the program stops at such a line
        }
        fuzz::check_editor(*side.editor, side.ui);
        fuzz::check_same_image(*side.editor, *twin.editor);
        FUZZ_CHECK(side.replay.closed() == twin.replay.closed());
        if (side.replay.closed()) {
            break; // the editor closed: nothing further runs
        }
    }
    fuzz::check_image_at_rest(*side.editor);
    return 0;
}
