// Commands that run an editor set up as the desktop program sets itself up: render, the
// bitmap exports and imports, the lap import and replay.
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/png_output.h"
#include "editor/commands.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "model/file_io.h"
#include "model/track.h"
#include "replay/replay.h"

namespace cs {
namespace {

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

// Runs one of the panel's file commands for the command self, with its file dialog answered
// by path. False (after the command's message, shown for shown_path) when it failed.
bool run_file_command(const Command& self, Session& session, void (*command)(Editor&),
                      const std::string& path, std::string_view shown_path) {
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
                     std::string(self.name).c_str());
        return false;
    }
    return true;
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

// What render draws beyond the track: the panel's settings it takes from its options.
struct RenderSettings {
    int blend = -1; // the slider as it is
    int zoom = 1;
    int fit = 0; // no --size: the picture keeps its size
    bool hide_objects = false, hide_checkpoints = false, hide_ai = false;
};

enum RenderOption : std::size_t { blend_option, zoom_option, hide_option, size_option };
constexpr std::array<OptionRule, 4> render_rules{
    {{"--blend", true}, {"--zoom", true}, {"--hide", true}, {"--size", true}}};

// The settings of the given options; an empty text, else the usage error's problem.
std::string read_render_settings(const CommandArguments& given, RenderSettings& settings) {
    for (const std::string& value : given.values[blend_option]) {
        if (!parse_int(value, 0, 10, settings.blend)) {
            return "--blend takes a number from 0 to 10";
        }
    }
    for (const std::string& value : given.values[zoom_option]) {
        if (!parse_int(value, 1, 4, settings.zoom) || settings.zoom == 3) {
            return "--zoom takes 1, 2 or 4";
        }
    }
    for (const std::string& value : given.values[size_option]) {
        if (!parse_int(value, 1, max_fit, settings.fit)) {
            return "--size takes a number from 1 to " + std::to_string(max_fit);
        }
    }
    for (const std::string& value : given.values[hide_option]) {
        if (value == "objects") {
            settings.hide_objects = true;
        } else if (value == "checkpoints") {
            settings.hide_checkpoints = true;
        } else if (value == "ai") {
            settings.hide_ai = true;
        } else {
            return "--hide takes objects, checkpoints or ai";
        }
    }
    return {};
}

// The view as a PNG picture at path ("-": standard output); false after the failure line.
bool write_view_picture(const std::string& path, const Renderer& renderer, int zoom = 1,
                        int fit = 0) {
    std::error_code reason;
    if (write_view_png(renderer, zoom, path, &reason, fit)) {
        return true;
    }
    print_failure(path, "Can't create file.", reason);
    return false;
}

int run_export(const Command& self, const Arguments& args, void (*command)(Editor&)) {
    CommandArguments given;
    int code = exit_failure;
    if (!operands_only(self, args, 2, std::string(self.name) + " takes a track and an output file",
                       given, code)) {
        return code;
    }
    const std::string& out = given.operands[1];
    auto session = start_session(given.operands[0]);
    if (!session) {
        return exit_failure;
    }
    // The file layer writes standard output's descriptor directly, whatever it is.
    const std::string target = is_standard_output(out) ? "/dev/stdout" : out;
    return run_file_command(self, *session, command, target, out) ? exit_ok : exit_failure;
}

int run_import(const Command& self, const Arguments& args, void (*command)(Editor&),
               std::string_view what) {
    CommandArguments given;
    int code = exit_failure;
    if (!operands_only(self, args, 3,
                       std::string(self.name) + " takes a track, " + std::string(what) +
                           " and an output file",
                       given, code)) {
        return code;
    }
    const std::string& in = given.operands[1];
    auto session = start_session(given.operands[0]);
    if (!session) {
        return exit_failure;
    }
    // A failed import writes nothing.
    if (!run_file_command(self, *session, command, in, in)) {
        return exit_failure;
    }
    return write_track_file(given.operands[2], session->editor.track);
}

} // namespace

int command_render(const Command& self, const Arguments& args) {
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, render_rules, given, code)) {
        return code;
    }
    RenderSettings settings;
    if (const std::string problem = read_render_settings(given, settings); !problem.empty()) {
        return usage_error(&self, problem);
    }
    if (given.operands.size() != 2) {
        return usage_error(&self, "render takes a track file and an output file");
    }
    const std::string& out = given.operands[1];
    std::string track_path;
    if (!local_track_path(given.operands[0], track_path)) {
        return exit_failure;
    }

    auto session = start_session(track_path);
    if (!session) {
        return exit_failure;
    }
    Editor& editor = session->editor;
    // As the panel's controls would: the blend slider, then the Show check boxes.
    if (settings.blend >= 0) {
        set_image_blend(editor, settings.blend);
    }
    if (settings.hide_objects) {
        show_objects(editor, false, false);
    }
    if (settings.hide_checkpoints) {
        show_checkpoints(editor, false, false);
    }
    if (settings.hide_ai) {
        show_ai_line(editor, false, false);
    }
    return write_view_picture(out, editor.renderer, settings.zoom, settings.fit) ? exit_ok
                                                                                 : exit_failure;
}

int command_export_land(const Command& self, const Arguments& args) {
    return run_export(self, args, export_land_command);
}
int command_export_heights(const Command& self, const Arguments& args) {
    return run_export(self, args, export_heights_command);
}
int command_import_land(const Command& self, const Arguments& args) {
    return run_import(self, args, import_land_command, "a bitmap");
}
int command_import_heights(const Command& self, const Arguments& args) {
    return run_import(self, args, import_heights_command, "a bitmap");
}
int command_import_lap(const Command& self, const Arguments& args) {
    return run_import(self, args, import_ai_line_command, "a track with a recorded lap");
}

int command_replay(const Command& self, const Arguments& args) {
    constexpr std::array<OptionRule, 3> rules{
        {{"--track", true}, {"--save", true}, {"--png", true}}};
    CommandArguments given;
    int code = exit_failure;
    if (!parse_command_line(self, args, rules, given, code)) {
        return code;
    }
    ReplayOptions options;
    std::array<std::string*, 3> targets{&options.track, &options.save, &options.png};
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (given.given(i)) {
            *targets[i] = given.values[i].back();
        }
    }
    if (given.operands.size() != 1) {
        return usage_error(&self, given.operands.empty() ? "replay takes a script"
                                                         : "replay takes one script");
    }
    options.script = given.operands[0];
    // The transcript to standard output, what is wrong to standard error, and the tool's
    // writers for --save and --png, each printing its own failure line.
    const ReplayOutputs outputs{
        .transcript = stdout,
        .diagnostics = stderr,
        .save_track = [](const std::string& path,
                         Track& track) { return write_track_file(path, track) == exit_ok; },
        .save_view = [](const std::string& path,
                        const Renderer& renderer) { return write_view_picture(path, renderer); },
    };
    if (options.script == "-") {
        return run_replay(options, std::cin, outputs);
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
    return run_replay(options, script, outputs);
}

} // namespace cs
