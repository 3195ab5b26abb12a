// Commands on track files and JSON documents: new, info, validate, convert and diff.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "cli/commands.h"
#include "cli/png_output.h"
#include "cli/track_diff.h"
#include "cli/track_json.h"
#include "editor/setup.h"
#include "model/codepage.h"
#include "model/file_io.h"
#include "model/track.h"
#include "model/trk_file.h"
#include "model/validation.h"

namespace cs {
namespace {

std::unique_ptr<Track> fresh_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

// Loads path, a track file or a JSON document, over a fresh track, as the editor would;
// prints the reader's message on failure. version takes the .trk version.
std::unique_ptr<Track> load(std::string_view path, std::uint16_t& version) {
    auto track = fresh_track();
    std::string error;
    if (!load_any_track(std::string(path), *track, version, error)) {
        print_text(stderr, error + "\n");
        return nullptr;
    }
    return track;
}

// A track document to path ("-": standard output, its bytes as they are on every system).
int write_document(std::string_view path, const std::string& text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    std::error_code reason;
    if (!(is_standard_output(path) ? write_standard_output(bytes, reason)
                                   : replace_file(path_of_utf8(path), bytes, &reason))) {
        print_failure(path, message_for(TrackFileError::cant_create), reason);
        return exit_failure;
    }
    return exit_ok;
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

} // namespace

int write_track_file(std::string_view path, Track& track) {
    std::error_code reason;
    if (!write_track_output(path, track, reason)) {
        print_failure(path, message_for(TrackFileError::cant_create), reason);
        return exit_failure;
    }
    return exit_ok;
}

int command_new(const Command& self, const Arguments& args) {
    CommandArguments given;
    int code = exit_failure;
    if (!operands_only(self, args, 1, "new takes one output file", given, code)) {
        return code;
    }
    auto track = fresh_track();
    return write_track_file(given.operands[0], *track);
}

int command_info(const Command& self, const Arguments& args) {
    constexpr std::array<OptionRule, 1> rules{{{"--json"}}};
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, rules, given, code)) {
        return code;
    }
    if (given.operands.size() != 1) {
        return usage_error(&self, "info takes one track file");
    }
    std::uint16_t version = 0;
    auto track = load(given.operands[0], version);
    if (!track) {
        return exit_failure;
    }
    if (given.given(0)) {
        return write_document("-", track_to_json(*track, version));
    }
    print_summary(*track, version);
    return exit_ok;
}

int command_validate(const Command& self, const Arguments& args) {
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, {}, given, code)) {
        return code;
    }
    if (given.operands.empty()) {
        return usage_error(&self, "validate takes one or more track files");
    }
    bool flawed = false;
    bool unreadable = false;
    for (const std::string& path : given.operands) {
        std::uint16_t version = 0;
        auto track = load(path, version);
        if (!track) {
            unreadable = true;
            continue;
        }
        const Flaws flaws = validate_track(*track);
        if (!flaws.any()) {
            std::printf("%s: ok\n", path.c_str());
            continue;
        }
        flawed = true;
        std::printf("%s:\n", path.c_str());
        for (int i = 0; i < flaw_count; ++i) {
            if (flaws.found[i]) {
                print_text(stdout, flaw_line(static_cast<Flaw>(i)));
            }
        }
    }
    return unreadable ? exit_failure : flawed ? exit_flawed : exit_ok;
}

int command_convert(const Command& self, const Arguments& args) {
    constexpr std::array<OptionRule, 1> rules{{{"--to", true}}};
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, rules, given, code)) {
        return code;
    }
    std::string_view form;
    for (const std::string& value : given.values[0]) {
        if (value != "json" && value != "trk") {
            return usage_error(&self, "--to takes json or trk");
        }
        form = value;
    }
    if (given.operands.size() != 2) {
        return usage_error(&self, "convert takes an input and an output file");
    }
    std::uint16_t version = 0;
    auto track = load(given.operands[0], version);
    if (!track) {
        return exit_failure;
    }
    const std::string& out = given.operands[1];
    if (form.empty() ? !has_json_extension(out) : form == "trk") {
        return write_track_file(out, *track);
    }
    return write_document(out, track_to_json(*track, version));
}

int command_diff(const Command& self, const Arguments& args) {
    constexpr std::array<OptionRule, 1> rules{{{"--png", true}}};
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, rules, given, code)) {
        return code;
    }
    if (given.operands.size() != 2) {
        return usage_error(&self, "diff takes two track files");
    }
    std::uint16_t version = 0;
    auto before = load(given.operands[0], version);
    auto after = load(given.operands[1], version);
    if (!before || !after) {
        return exit_failure;
    }
    const TrackDiff diff = diff_tracks(*before, *after);
    const std::string text = describe_diff(diff);
    const bool picture = given.given(0);
    const std::string png = picture ? given.values[0].back() : std::string();
    // The picture on standard output sends the list to standard error.
    print_text(picture && is_standard_output(png) ? stderr : stdout, text);
    std::error_code reason;
    if (picture && !write_diff_png(*after, diff, png, reason)) {
        print_failure(png, "Can't create file.", reason);
        return exit_failure;
    }
    return diff.empty() ? exit_ok : exit_flawed;
}

} // namespace cs
