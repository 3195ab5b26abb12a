// coursesmith-cli: the editor's core on the command line, for scripts and other tools.
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/png_output.h"
#include "cli/replay.h"
#include "cli/track_diff.h"
#include "cli/track_json.h"
#include "coursesmith_version.h"
#include "editor/commands.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/codepage.h"
#include "model/file_io.h"
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
    "  info [--json] TRACK         summarise a track (--json: the track as a JSON document)\n"
    "  validate TRACK...           list each track's flaws\n"
    "                              (exit 0: all flawless, 1: a flaw, 2: unreadable)\n"
    "  convert [--to json|trk] IN OUT\n"
    "                              convert between track files (any version read, the\n"
    "                              current one written) and JSON documents\n"
    "  render TRACK OUT.png [OPTIONS]\n"
    "                              draw the track as the editor shows it; OPTIONS are\n"
    "                              [--blend N] [--hide objects|checkpoints|ai]...\n"
    "                              [--zoom 1|2|4] [--size N]\n"
    "  export-land TRACK OUT.bmp   write the land map as a 16-colour bitmap\n"
    "  export-heights TRACK OUT.bmp\n"
    "                              write the height grid as a 256-colour bitmap\n"
    "  import-land TRACK IN.bmp OUT.trk\n"
    "                              replace the land map from a bitmap\n"
    "  import-heights TRACK IN.bmp OUT.trk\n"
    "                              replace the height grid from a bitmap\n"
    "  import-lap TRACK LAPFILE OUT.trk\n"
    "                              take the AI line from a lap the game recorded\n"
    "  replay [--track IN.trk] SCRIPT [--save OUT.trk] [--png OUT.png]\n"
    "                              run a script of commands and mouse gestures\n"
    "                              (SCRIPT - reads standard input)\n"
    "  diff [--png OUT.png] A B    list what changed from track A to track B\n"
    "                              (exit 0: the same, 1: different, 2: a failure)\n"
    "  --help                      show this help\n"
    "  --version                   show the version\n"
    "\n"
    "An output named - is standard output. -- ends the options.\n"
    "COMMAND --help shows the help of one command.\n";

using Arguments = std::vector<std::string_view>;

struct Command {
    std::string_view name;
    std::string_view help; // starts with the command's usage line
    int (*run)(const Arguments&);
};

const Command* current = nullptr; // the command being run, for its usage errors

void print_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int usage_error(std::string_view problem) {
    std::fprintf(stderr, "coursesmith-cli: %.*s\n\n", static_cast<int>(problem.size()),
                 problem.data());
    print_text(stderr, current != nullptr ? current->help : usage_text);
    return exit_failure;
}

void print_failure(std::string_view path, std::string_view message,
                   const std::error_code& reason = {}) {
    const std::string line = failure_line(path, message, reason) + "\n";
    print_text(stderr, line);
}

// The options and operands of one command. "--" ends the options; "-" is an operand.
struct Split {
    std::vector<std::pair<std::string_view, std::string_view>> options; // name, value
    std::vector<std::string_view> operands;
};

struct OptionRule {
    std::string_view name;
    bool takes_value = false;
};

// False (after the usage error) for an unknown option or one missing its value.
bool split_arguments(const Arguments& args, std::span<const OptionRule> rules, Split& split,
                     int& exit_code) {
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (options_ended || a.size() < 2 || a[0] != '-') {
            split.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            options_ended = true;
            continue;
        }
        const OptionRule* rule = nullptr;
        for (const OptionRule& s : rules) {
            if (s.name == a) {
                rule = &s;
            }
        }
        if (rule == nullptr) {
            exit_code = usage_error("unknown option for " + std::string(current->name) + ": " +
                                    std::string(a));
            return false;
        }
        if (!rule->takes_value) {
            split.options.emplace_back(a, std::string_view{});
        } else if (i + 1 < args.size()) {
            split.options.emplace_back(a, args[++i]);
        } else {
            exit_code = usage_error(std::string(a) + " takes a value");
            return false;
        }
    }
    return true;
}

// Operands only; false (after the usage error) when there are options or the count is off.
bool operands_only(const Arguments& args, std::size_t count, std::string_view problem, Split& split,
                   int& exit_code) {
    if (!split_arguments(args, {}, split, exit_code)) {
        return false;
    }
    if (split.operands.size() != count) {
        exit_code = usage_error(problem);
        return false;
    }
    return true;
}

std::unique_ptr<Track> fresh_track() {
    auto track = std::make_unique<Track>();
    reset_track(*track);
    return track;
}

// Loads path, a track file or a JSON document, over a fresh track, as the editor would;
// prints the reader's message on failure. result.version takes the .trk version.
std::unique_ptr<Track> load(std::string_view path, TrackReadResult& result) {
    auto track = fresh_track();
    std::string error;
    if (!load_any_track(std::string(path), *track, result.version, error)) {
        print_text(stderr, error + "\n");
        return nullptr;
    }
    return track;
}

int write(std::string_view path, Track& track) {
    std::error_code reason;
    if (!write_track_output(path, track, reason)) {
        print_failure(path, message_for(TrackFileError::cant_create), reason);
        return exit_failure;
    }
    return exit_ok;
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

// An editor set up as the program sets itself up, with a command-line track.
struct Session {
    ScriptedUi ui;
    Editor editor{ui};
};

// The session with track_path loaded; nothing (after the reader's message and the system's
// reason) when the track is refused.
std::unique_ptr<Session> start_session(std::string_view track_path) {
    auto session = std::make_unique<Session>();
    session->editor.command_line_track = std::string(track_path);
    if (!set_up_editor(session->editor)) {
        std::fprintf(stderr, "coursesmith-cli: Initialization failed!\n");
        return nullptr;
    }
    if (!session->ui.messages.empty()) { // the reader refused the track
        print_failure(track_path, session->ui.messages.front(),
                      session->editor.documents.last_file_error);
        return nullptr;
    }
    return session;
}

// Runs one of the panel's file commands with its file dialog answered by path. False
// (after the command's message, shown for shown_path) when the command failed.
bool run_file_command(Session& session, void (*command)(Editor&), const std::string& path,
                      std::string_view shown_path) {
    ScriptedUi& ui = session.ui;
    ui.messages.clear();
    ui.answer_path(path);
    command(session.editor);
    if (!ui.messages.empty()) {
        print_failure(shown_path, ui.messages.front(), session.editor.documents.last_file_error);
        return false;
    }
    if (!ui.queue.empty()) {
        std::fprintf(stderr, "coursesmith-cli: %s did not ask for a file\n",
                     std::string(current->name).c_str());
        return false;
    }
    return true;
}

int command_new(const Arguments& args) {
    Split split;
    int code = exit_failure;
    if (!operands_only(args, 1, "new takes one output file", split, code)) {
        return code;
    }
    auto track = fresh_track();
    return write(split.operands[0], *track);
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

int command_info(const Arguments& args) {
    Split split;
    int code = exit_failure;
    constexpr std::array<OptionRule, 1> rules{{{"--json"}}};
    if (!split_arguments(args, rules, split, code)) {
        return code;
    }
    if (split.operands.size() != 1) {
        return usage_error("info takes one track file");
    }
    TrackReadResult result;
    auto track = load(split.operands[0], result);
    if (!track) {
        return exit_failure;
    }
    if (!split.options.empty()) {
        return write_document("-", track_to_json(*track, result.version));
    }
    print_summary(*track, result.version);
    return exit_ok;
}

int command_validate(const Arguments& args) {
    Split split;
    int code = exit_failure;
    if (!split_arguments(args, {}, split, code)) {
        return code;
    }
    if (split.operands.empty()) {
        return usage_error("validate takes one or more track files");
    }
    bool flawed = false;
    bool unreadable = false;
    for (std::string_view path : split.operands) {
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
                print_text(stdout, flaw_line(static_cast<Flaw>(i)));
            }
        }
    }
    return unreadable ? exit_failure : flawed ? exit_flawed : exit_ok;
}

int command_convert(const Arguments& args) {
    Split split;
    int code = exit_failure;
    constexpr std::array<OptionRule, 1> rules{{{"--to", true}}};
    if (!split_arguments(args, rules, split, code)) {
        return code;
    }
    std::string_view form;
    for (const auto& option : split.options) {
        if (option.second != "json" && option.second != "trk") {
            return usage_error("--to takes json or trk");
        }
        form = option.second;
    }
    if (split.operands.size() != 2) {
        return usage_error("convert takes an input and an output file");
    }
    TrackReadResult result;
    auto track = load(split.operands[0], result);
    if (!track) {
        return exit_failure;
    }
    const std::string_view out = split.operands[1];
    if (form.empty() ? !has_json_extension(out) : form == "trk") {
        return write(out, *track);
    }
    return write_document(out, track_to_json(*track, result.version));
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

// The largest --size: twice the largest picture render draws, room for any thumbnail size.
constexpr int max_fit = 4096;

int hex_digit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The local path that a track argument names. File managers hand thumbnailers URIs, so
// "file:///a%20b.trk", "file://localhost/a%20b.trk" and "file:/a%20b.trk" name "/a b.trk";
// anything else without a scheme is a path as it stands. False (after a message) for another
// scheme or host, or an escape that does not decode to a usable path.
bool local_track_path(std::string_view argument, std::string& path) {
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":".
    std::size_t colon = 0;
    while (colon < argument.size() &&
           (std::isalnum(static_cast<unsigned char>(argument[colon])) != 0 ||
            std::string_view("+-.").find(argument[colon]) != std::string_view::npos)) {
        ++colon;
    }
    const bool has_scheme = colon > 0 && colon < argument.size() && argument[colon] == ':' &&
                            std::isalpha(static_cast<unsigned char>(argument[0])) != 0;
    const std::string_view scheme = argument.substr(0, colon);
    const auto equal_ignoring_case = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    if (!has_scheme ||
        (argument.substr(colon + 1, 2) != "//" &&
         !(equal_ignoring_case(scheme, "file") && argument.substr(colon + 1, 1) == "/"))) {
        path = std::string(argument); // a plain path, even one with a colon in it
        return true;
    }
    const auto refuse = [&](const char* why) {
        std::fprintf(stderr, "coursesmith-cli: %.*s: %s\n", static_cast<int>(argument.size()),
                     argument.data(), why);
        return false;
    };
    if (!equal_ignoring_case(scheme, "file")) {
        return refuse("only local files (file:// URIs) can be read");
    }
    std::string_view rest = argument.substr(colon + 1);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equal_ignoring_case(host, "localhost")) {
            return refuse("the file is on another computer: only local files can be read");
        }
        if (slash == std::string_view::npos) {
            return refuse("the URI names no file");
        }
        rest.remove_prefix(slash);
    }
    path.clear();
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? hex_digit(rest[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(rest[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) {
            return refuse("the URI has a malformed %-escape");
        }
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

int command_render(const Arguments& args) {
    Split split;
    int code = exit_failure;
    constexpr std::array<OptionRule, 4> rules{
        {{"--blend", true}, {"--zoom", true}, {"--hide", true}, {"--size", true}}};
    if (!split_arguments(args, rules, split, code)) {
        return code;
    }
    int blend = -1;
    int zoom = 1;
    int fit = 0; // no --size: the picture keeps its size
    bool hide_objects = false, hide_checkpoints = false, hide_ai = false;
    for (const auto& [name, value] : split.options) {
        if (name == "--blend") {
            if (!parse_int(value, 0, 10, blend)) {
                return usage_error("--blend takes a number from 0 to 10");
            }
        } else if (name == "--zoom") {
            if (!parse_int(value, 1, 4, zoom) || zoom == 3) {
                return usage_error("--zoom takes 1, 2 or 4");
            }
        } else if (name == "--size") {
            if (!parse_int(value, 1, max_fit, fit)) {
                return usage_error("--size takes a number from 1 to " + std::to_string(max_fit));
            }
        } else if (value == "objects") {
            hide_objects = true;
        } else if (value == "checkpoints") {
            hide_checkpoints = true;
        } else if (value == "ai") {
            hide_ai = true;
        } else {
            return usage_error("--hide takes objects, checkpoints or ai");
        }
    }
    if (split.operands.size() != 2) {
        return usage_error("render takes a track file and an output file");
    }
    const std::string_view out = split.operands[1];
    std::string track_path;
    if (!local_track_path(split.operands[0], track_path)) {
        return exit_failure;
    }

    auto session = start_session(track_path);
    if (!session) {
        return exit_failure;
    }
    Editor& editor = session->editor;
    // As the panel's controls would: the blend slider, then the Show check boxes.
    if (blend >= 0) {
        set_image_blend(editor, blend);
    }
    if (hide_objects) {
        show_objects(editor, false, false);
    }
    if (hide_checkpoints) {
        show_checkpoints(editor, false, false);
    }
    if (hide_ai) {
        show_ai_line(editor, false, false);
    }
    std::error_code reason;
    if (!write_view_png(editor.renderer, zoom, std::string(out), &reason, fit)) {
        print_failure(out, "Can't create file.", reason);
        return exit_failure;
    }
    return exit_ok;
}

int run_export(const Arguments& args, void (*command)(Editor&)) {
    Split split;
    int code = exit_failure;
    if (!operands_only(args, 2, std::string(current->name) + " takes a track and an output file",
                       split, code)) {
        return code;
    }
    const std::string_view out = split.operands[1];
    auto session = start_session(split.operands[0]);
    if (!session) {
        return exit_failure;
    }
    // The file layer writes standard output's descriptor directly, whatever it is.
    const std::string target = is_standard_output(out) ? "/dev/stdout" : std::string(out);
    return run_file_command(*session, command, target, out) ? exit_ok : exit_failure;
}

int run_import(const Arguments& args, void (*command)(Editor&), std::string_view what) {
    Split split;
    int code = exit_failure;
    if (!operands_only(args, 3,
                       std::string(current->name) + " takes a track, " + std::string(what) +
                           " and an output file",
                       split, code)) {
        return code;
    }
    const std::string_view in = split.operands[1];
    auto session = start_session(split.operands[0]);
    if (!session) {
        return exit_failure;
    }
    // A failed import writes nothing.
    if (!run_file_command(*session, command, std::string(in), in)) {
        return exit_failure;
    }
    return write(split.operands[2], session->editor.track);
}

int command_export_land(const Arguments& args) {
    return run_export(args, export_land_command);
}
int command_export_heights(const Arguments& args) {
    return run_export(args, export_heights_command);
}
int command_import_land(const Arguments& args) {
    return run_import(args, import_land_command, "a bitmap");
}
int command_import_heights(const Arguments& args) {
    return run_import(args, import_heights_command, "a bitmap");
}
int command_import_lap(const Arguments& args) {
    return run_import(args, import_ai_line_command, "a track with a recorded lap");
}

int command_replay(const Arguments& args) {
    Split split;
    int code = exit_failure;
    constexpr std::array<OptionRule, 3> rules{
        {{"--track", true}, {"--save", true}, {"--png", true}}};
    if (!split_arguments(args, rules, split, code)) {
        return code;
    }
    ReplayOptions options;
    for (const auto& [name, value] : split.options) {
        std::string& target = name == "--track"  ? options.track
                              : name == "--save" ? options.save
                                                 : options.png;
        target = std::string(value);
    }
    if (split.operands.size() != 1) {
        return usage_error(split.operands.empty() ? "replay takes a script"
                                                  : "replay takes one script");
    }
    options.script = std::string(split.operands[0]);
    if (options.script == "-") {
        return run_replay(options, std::cin, stdout);
    }
    std::error_code reason;
    if (std::filesystem::is_directory(options.script, reason)) {
        print_failure(options.script, "Can't open file!",
                      std::make_error_code(std::errc::is_a_directory));
        return exit_failure;
    }
    errno = 0;
    std::ifstream script(options.script);
    if (!script) {
        const int error = errno;
        print_failure(options.script, "Can't open file!",
                      error != 0 ? std::error_code(error, std::generic_category())
                                 : std::error_code{});
        return exit_failure;
    }
    return run_replay(options, script, stdout);
}

// A track for diff: a track file or a JSON document, as load reads either; nothing (after
// the reader's message) when it cannot be read.
std::unique_ptr<Track> load_compared(std::string_view path) {
    TrackReadResult result;
    return load(path, result);
}

int command_diff(const Arguments& args) {
    Split split;
    int code = exit_failure;
    constexpr std::array<OptionRule, 1> rules{{{"--png", true}}};
    if (!split_arguments(args, rules, split, code)) {
        return code;
    }
    if (split.operands.size() != 2) {
        return usage_error("diff takes two track files");
    }
    auto before = load_compared(split.operands[0]);
    auto after = load_compared(split.operands[1]);
    if (!before || !after) {
        return exit_failure;
    }
    const TrackDiff diff = diff_tracks(*before, *after);
    const std::string text = describe_diff(diff);
    const bool picture = !split.options.empty();
    const std::string_view png = picture ? split.options.back().second : std::string_view{};
    // The picture on standard output sends the list to standard error.
    print_text(picture && is_standard_output(png) ? stderr : stdout, text);
    std::error_code reason;
    if (picture && !write_diff_png(*after, diff, std::string(png), reason)) {
        print_failure(png, "Can't create file.", reason);
        return exit_failure;
    }
    return diff.empty() ? exit_ok : exit_flawed;
}

constexpr std::array<Command, 12> commands{{
    {"new",
     "Usage: coursesmith-cli new OUT.trk\n"
     "\n"
     "Writes the track that a fresh editor holds (the default track) to OUT.trk, or to\n"
     "standard output when OUT.trk is -.\n",
     command_new},
    {"info",
     "Usage: coursesmith-cli info [--json] TRACK\n"
     "\n"
     "Summarises a track (a track file or a JSON document): version, properties, element\n"
     "counts, track length, author and comments.\n"
     "  --json  the whole track as the JSON document convert writes (docs/track-json.md)\n",
     command_info},
    {"validate",
     "Usage: coursesmith-cli validate TRACK...\n"
     "\n"
     "Lists each track's flaws, as the editor checks them before saving.\n"
     "Exit status: 0 all flawless, 1 a track has a flaw, 2 a track cannot be read.\n",
     command_validate},
    {"convert",
     "Usage: coursesmith-cli convert [--to json|trk] IN OUT\n"
     "\n"
     "Reads a track, from a track file of any version (256 to 261) or a JSON document, and\n"
     "writes it to OUT (- : standard output): as a JSON document (docs/track-json.md) when\n"
     "OUT ends in .json, otherwise as a track file of the current version. IN is read as a\n"
     "JSON document when its name ends in .json, as a track file when it ends in .trk, and\n"
     "otherwise as a JSON document when it starts with \"{\" after blanks. A track file\n"
     "converted to a document and back gives the file that converting it to a track file\n"
     "gives.\n"
     "  --to json|trk   the form to write, whatever OUT's name (for standard output)\n",
     command_convert},
    {"render",
     "Usage: coursesmith-cli render TRACK OUT.png [OPTIONS]\n"
     "\n"
     "Draws the track as the editor shows it and writes a PNG picture (OUT.png - : standard\n"
     "output). TRACK may also be a file:// URI, as file managers give thumbnailers.\n"
     "  --blend N                        the hmap/land slider, 0 to 10 (default 5)\n"
     "  --hide objects|checkpoints|ai    clear a Show check box; may be repeated\n"
     "  --zoom 1|2|4                     every cell drawn as a block of that size\n"
     "  --size N                         shrink the picture smoothly to fit N x N (1 to 4096);\n"
     "                                   a picture that fits keeps its size, none is enlarged.\n"
     "                                   The zoom comes first: --zoom 2 --size 800 draws\n"
     "                                   1024 x 1024 and shrinks it to 800 x 800, while\n"
     "                                   --size 800 alone keeps 512 x 512\n",
     command_render},
    {"export-land",
     "Usage: coursesmith-cli export-land TRACK OUT.bmp\n"
     "\n"
     "Writes the land map of TRACK as a 512 x 512 16-colour bitmap, as the panel's Export\n"
     "Land button does (OUT.bmp - : standard output).\n",
     command_export_land},
    {"export-heights",
     "Usage: coursesmith-cli export-heights TRACK OUT.bmp\n"
     "\n"
     "Writes the height grid of TRACK as a 64 x 64 256-colour bitmap, as the panel's Export\n"
     "HMap button does (OUT.bmp - : standard output).\n",
     command_export_heights},
    {"import-land",
     "Usage: coursesmith-cli import-land TRACK IN.bmp OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its land map with the 512 x 512 16-colour bitmap IN.bmp, as the\n"
     "panel's Import Land button does, and writes the result to OUT.trk. Nothing is written\n"
     "when the bitmap is refused.\n",
     command_import_land},
    {"import-heights",
     "Usage: coursesmith-cli import-heights TRACK IN.bmp OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its height grid with the 64 x 64 256-colour bitmap IN.bmp, as the\n"
     "panel's Import HMap button does, and writes the result to OUT.trk. Nothing is written\n"
     "when the bitmap is refused.\n",
     command_import_heights},
    {"import-lap",
     "Usage: coursesmith-cli import-lap TRACK LAPFILE OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its AI line with the lap that the game recorded into the track\n"
     "file LAPFILE, as the panel's Import AI line button does, and writes the result to\n"
     "OUT.trk. Nothing is written when LAPFILE holds no lap.\n",
     command_import_lap},
    {"replay",
     "Usage: coursesmith-cli replay [--track IN.trk] SCRIPT [--save OUT.trk] [--png OUT.png]\n"
     "\n"
     "Runs a script of panel commands, mouse gestures and dialog answers against an editor\n"
     "set up as at start-up (with IN.trk as its command-line track), one line at a time;\n"
     "SCRIPT - reads standard input. What the script prints and every message box go to\n"
     "standard output. The language is described in docs/replay.md.\n"
     "  --save OUT.trk   write the track afterwards (- : standard output)\n"
     "  --png OUT.png    write the view afterwards (- : standard output)\n"
     "Exit status: 0 done, 2 a line that cannot be run or a file that cannot be read or\n"
     "written.\n",
     command_replay},
    {"diff",
     "Usage: coursesmith-cli diff [--png OUT.png] A B\n"
     "\n"
     "Compares track B with track A and lists what changed, one change a line: each property\n"
     "(old -> new), how many land cells and height samples changed and the rectangle they\n"
     "lie in, and the objects, pits, checkpoints and driving-line points added, removed,\n"
     "moved or turned, numbered from 1 (a removed element by its number in A, the others by\n"
     "their number in B). Elements equal at the start of both lists and at their end are the\n"
     "same elements; between them elements are paired in order, and those left over were\n"
     "removed or added. At most 20 changes of a list are shown, the rest counted.\n"
     "  --png OUT.png   draw B as render does, with the changes in magenta: changed land\n"
     "                  cells tinted and framed, changed height samples dotted and framed, a\n"
     "                  double circle around each changed element (where it was, for a\n"
     "                  removed one). OUT.png - : standard output, the list then goes to\n"
     "                  standard error\n"
     "Exit status: 0 the tracks are the same, 1 they differ, 2 a file cannot be read or\n"
     "written.\n",
     command_diff},
}};

// --help or -h among the options: the command's help, whatever else is given.
bool asks_for_help(const Arguments& args) {
    for (std::string_view a : args) {
        if (a == "--") {
            return false;
        }
        if (a == "--help" || a == "-h") {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage_error("no command given");
    }
    const std::string_view name = argv[1];
    const Arguments args(argv + 2, argv + argc);
    if (name == "--version") {
        print_text(stdout, "coursesmith-cli " COURSESMITH_VERSION "\n");
        return exit_ok;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        // "help COMMAND" shows that command's help.
        for (const Command& command : commands) {
            if (name == "help" && args.size() == 1 && command.name == args[0]) {
                print_text(stdout, command.help);
                return exit_ok;
            }
        }
        print_text(stdout, usage_text);
        return exit_ok;
    }
    for (const Command& command : commands) {
        if (command.name == name) {
            current = &command;
            if (asks_for_help(args)) {
                print_text(stdout, command.help);
                return exit_ok;
            }
            return command.run(args);
        }
    }
    return usage_error("unknown command: " + std::string(name));
}
