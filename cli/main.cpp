// coursesmith-cli: the editor's core on the command line, for scripts and other tools.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/json.h"
#include "cli/png_output.h"
#include "cli/replay.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/codepage.h"
#include "model/track.h"
#include "model/trk_file.h"
#include "model/validation.h"

namespace {

using namespace cs;

constexpr int exit_ok = 0;
constexpr int exit_flawed = 1;
constexpr int exit_failure = 2;

constexpr std::string_view usage_text =
    "Usage: coursesmith-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  new OUT.trk                 write the track a fresh editor holds\n"
    "  info [--json] TRACK         summarise a track (--json: one JSON object)\n"
    "  validate TRACK...           list each track's flaws\n"
    "                              (exit 0: all flawless, 1: a flaw, 2: unreadable)\n"
    "  convert IN OUT              read any version, write the current version\n"
    "  render TRACK OUT.png [--blend N] [--hide objects|checkpoints|ai]... [--zoom 1|2|4]\n"
    "                              draw the track as the editor shows it\n"
    "  replay [--track IN.trk] SCRIPT [--save OUT.trk] [--png OUT.png]\n"
    "                              run a script of commands and mouse gestures\n"
    "                              (SCRIPT - reads standard input)\n"
    "  --help                      show this help\n";

int usage_error(std::string_view problem) {
    std::fprintf(stderr, "coursesmith-cli: %.*s\n\n%.*s", static_cast<int>(problem.size()),
                 problem.data(), static_cast<int>(usage_text.size()), usage_text.data());
    return exit_failure;
}

void print_error(std::string_view path, TrackFileError error) {
    const std::string_view text = message_for(error);
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(path.size()), path.data(),
                 static_cast<int>(text.size()), text.data());
}

std::unique_ptr<Track> fresh_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

// Loads path over a fresh track, as the editor would; prints the reader's message on failure.
std::unique_ptr<Track> load(std::string_view path, TrackReadResult& result) {
    auto track = fresh_track();
    result = read_track(std::string(path), *track);
    if (result.error != TrackFileError::none) {
        print_error(path, result.error);
        return nullptr;
    }
    return track;
}

int write(std::string_view path, Track& track) {
    const TrackFileError error = write_track(std::string(path), track);
    if (error != TrackFileError::none) {
        print_error(path, error);
        return exit_failure;
    }
    return exit_ok;
}

int command_new(const std::vector<std::string_view>& args) {
    if (args.size() != 1) {
        return usage_error("new takes one output file");
    }
    auto track = fresh_track();
    return write(args[0], *track);
}

void print_summary(const Track& t, std::uint16_t version) {
    std::printf("version        %u\n", version);
    std::printf("world size     %u (world scale %.9g)\n", t.world_size, t.world_scale);
    std::printf("water level    %u\n", t.water_level);
    std::printf("view angle     %d\n", t.view_angle);
    std::printf("rotation       %d\n", t.rotation);
    std::printf("zoom           %u\n", t.zoom);
    std::printf("S/F line       %s\n", t.sf_line ? "yes" : "no");
    std::printf("objects        %u\n", t.object_count);
    std::printf("pits           %u\n", t.pit_count);
    std::printf("checkpoints    %u\n", t.checkpoint_count);
    std::printf("AI line        %u points\n", t.ai_line_count);
    std::printf("AI pit line    %u points\n", t.ai_pit_line_count);
    std::printf("track length   %d\n", compute_track_length(t));
    const std::string author = cp1252_to_utf8(text_of(t.author));
    std::printf("author         %s\n", author.c_str());
    const std::string comments = comments_from_stored(text_of(t.comments));
    std::printf("comments       %s\n", comments.c_str());
}

int command_info(const std::vector<std::string_view>& args) {
    bool json = false;
    std::vector<std::string_view> paths;
    for (std::string_view a : args) {
        if (a == "--json") {
            json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option for info: " + std::string(a));
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 1) {
        return usage_error("info takes one track file");
    }
    TrackReadResult result;
    auto track = load(paths[0], result);
    if (!track) {
        return exit_failure;
    }
    if (json) {
        const std::string text = track_json(*track, result.version);
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
    } else {
        print_summary(*track, result.version);
    }
    return exit_ok;
}

int command_validate(const std::vector<std::string_view>& args) {
    if (args.empty()) {
        return usage_error("validate takes one or more track files");
    }
    bool flawed = false;
    bool unreadable = false;
    for (std::string_view path : args) {
        TrackReadResult result;
        auto track = load(path, result);
        if (!track) {
            unreadable = true;
            continue;
        }
        const Flaws flaws = validate_track(*track);
        if (!flaws.any()) {
            std::printf("%.*s: ok\n", static_cast<int>(path.size()), path.data());
            continue;
        }
        flawed = true;
        std::printf("%.*s:\n", static_cast<int>(path.size()), path.data());
        for (int i = 0; i < flaw_count; ++i) {
            if (flaws.found[i]) {
                const std::string_view line = flaw_line(static_cast<Flaw>(i));
                std::fwrite(line.data(), 1, line.size(), stdout);
            }
        }
    }
    return unreadable ? exit_failure : flawed ? exit_flawed : exit_ok;
}

int command_convert(const std::vector<std::string_view>& args) {
    if (args.size() != 2) {
        return usage_error("convert takes an input and an output file");
    }
    TrackReadResult result;
    auto track = load(args[0], result);
    if (!track) {
        return exit_failure;
    }
    return write(args[1], *track);
}

bool parse_int(std::string_view text, int low, int high, int& value) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

int command_render(const std::vector<std::string_view>& args) {
    std::vector<std::string_view> paths;
    int blend = -1;
    int zoom = 1;
    bool hide_objects = false, hide_checkpoints = false, hide_ai = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--blend") {
            if (!has_value || !parse_int(args[++i], 0, 10, blend)) {
                return usage_error("--blend takes a number from 0 to 10");
            }
        } else if (a == "--zoom") {
            if (!has_value || !parse_int(args[++i], 1, 4, zoom) || zoom == 3) {
                return usage_error("--zoom takes 1, 2 or 4");
            }
        } else if (a == "--hide") {
            const std::string_view what = has_value ? args[++i] : std::string_view{};
            if (what == "objects") {
                hide_objects = true;
            } else if (what == "checkpoints") {
                hide_checkpoints = true;
            } else if (what == "ai") {
                hide_ai = true;
            } else {
                return usage_error("--hide takes objects, checkpoints or ai");
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option for render: " + std::string(a));
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) {
        return usage_error("render takes a track file and an output file");
    }

    ScriptedUi ui;
    auto editor = std::make_unique<Editor>(ui);
    editor->command_line_track = std::string(paths[0]);
    if (!set_up_editor(*editor)) {
        std::fprintf(stderr, "coursesmith-cli: Initialization failed!\n");
        return exit_failure;
    }
    if (!ui.messages.empty()) { // the reader refused the track
        std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(paths[0].size()), paths[0].data(),
                     ui.messages.front().c_str());
        return exit_failure;
    }
    // As the panel's controls would: the blend slider, then the Show check boxes.
    if (blend >= 0) {
        set_image_blend(*editor, blend);
    }
    if (hide_objects) {
        show_objects(*editor, false, false);
    }
    if (hide_checkpoints) {
        show_checkpoints(*editor, false, false);
    }
    if (hide_ai) {
        show_ai_line(*editor, false, false);
    }
    if (!write_view_png(editor->renderer, zoom, std::string(paths[1]))) {
        std::fprintf(stderr, "%.*s: Can't create file.\n", static_cast<int>(paths[1].size()),
                     paths[1].data());
        return exit_failure;
    }
    return exit_ok;
}

int command_replay(const std::vector<std::string_view>& args) {
    ReplayOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        std::string* target = a == "--track"  ? &options.track
                              : a == "--save" ? &options.save
                              : a == "--png"  ? &options.png
                                              : nullptr;
        if (target != nullptr) {
            if (i + 1 >= args.size()) {
                return usage_error(std::string(a) + " takes a file name");
            }
            *target = std::string(args[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option for replay: " + std::string(a));
        } else if (options.script.empty()) {
            options.script = std::string(a);
        } else {
            return usage_error("replay takes one script");
        }
    }
    if (options.script.empty()) {
        return usage_error("replay takes a script");
    }
    if (options.script == "-") {
        return run_replay(options, std::cin, stdout);
    }
    std::ifstream script(options.script);
    if (!script) {
        std::fprintf(stderr, "%s: Can't open file!\n", options.script.c_str());
        return exit_failure;
    }
    return run_replay(options, script, stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage_error("no command given");
    }
    const std::string_view command = argv[1];
    const std::vector<std::string_view> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fwrite(usage_text.data(), 1, usage_text.size(), stdout);
        return exit_ok;
    }
    if (command == "new") {
        return command_new(args);
    }
    if (command == "info") {
        return command_info(args);
    }
    if (command == "validate") {
        return command_validate(args);
    }
    if (command == "convert") {
        return command_convert(args);
    }
    if (command == "render") {
        return command_render(args);
    }
    if (command == "replay") {
        return command_replay(args);
    }
    return usage_error("unknown command: " + std::string(command));
}
