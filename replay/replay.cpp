#include "replay/replay.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "editor/changes.h"
#include "editor/commands.h"
#include "editor/dispatch.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/codepage.h"
#include "model/trk_file.h"
#include "replay/answers.h"
#include "replay/script_text.h"
#include "resources/control_ids.h"
#include "resources/templates.h"

namespace cs {

using namespace script;

Replay::Replay(ScriptedUi& ui, Editor& editor, ReplayOutputs outputs)
    : ui_(ui), editor_(editor), outputs_(std::move(outputs)) {
    ui_.on_message = [this](std::string_view text) { line("message: " + one_line(text)); };
    ui_.on_changes_question = [this](std::string_view text) {
        line("question: " + one_line(text));
    };
}

Replay::~Replay() {
    ui_.on_message = nullptr;
    ui_.on_changes_question = nullptr;
}

std::string Replay::run_line(std::string_view text, int line_number) {
    Words w = words_of(text);
    line_ = line_number;
    const bool answer_path =
        w.size() >= 2 && w[0] == "answer" && (w[1] == "open" || w[1] == "save");
    if (answer_path || (!w.empty() && w[0] == "drop")) {
        // The path is the rest of the line: blanks and '#' belong to it.
        const std::string_view last = answer_path ? w[1] : w[0];
        const std::size_t after = static_cast<std::size_t>(last.data() - text.data()) + last.size();
        const std::string_view path = trimmed(text.substr(after));
        if (path.empty()) {
            return expected(answer_path ? "answer " + std::string(w[1]) + " PATH" : "drop PATH");
        }
        if (!answer_path) {
            drop_track(editor_, std::string(path));
            return {};
        }
        ui_.answer_path(std::string(path));
        ui_.queue.back().line = line_number;
        return {};
    }
    // A word that starts with '#' starts a comment.
    const auto comment =
        std::find_if(w.begin(), w.end(), [](std::string_view word) { return word[0] == '#'; });
    w.erase(comment, w.end());
    if (w.empty()) {
        return {};
    }
    return run(w);
}

std::string Replay::run(const Words& w) {
    const std::string_view verb = w[0];
    int a = 0, b = 0;
    if (verb == "command") {
        if (w.size() != 2 || !number(w[1], a)) {
            return expected("command ID");
        }
        const DialogControl* c = find_control(panel_template, a);
        if (c == nullptr) {
            return "no control of the panel has ID " + std::to_string(a);
        }
        // A click checks a radio button and toggles an automatic check box.
        if (a >= id::first_tool && a <= id::last_tool) {
            for (int t = id::first_tool; t <= id::last_tool; ++t) {
                ui_.checked[t] = t == a ? 1 : 0;
            }
        } else if (c->kind == ControlKind::check_box ||
                   c->kind == ControlKind::push_like_check_box) {
            ui_.checked[a] = ui_.check_of(a) == 1 ? 0 : 1;
        }
        dispatch_command(editor_, a, Notification::clicked);
    } else if (verb == "check") {
        if (w.size() != 3 || !number(w[1], a) || !number(w[2], b)) {
            return expected("check ID 0|1");
        }
        const DialogControl* c = find_control(panel_template, a);
        if (c == nullptr ||
            (c->kind != ControlKind::check_box && c->kind != ControlKind::push_like_check_box &&
             c->kind != ControlKind::radio_button)) {
            return "no check box or radio button of the panel has ID " + std::to_string(a);
        }
        if (b != 0 && b != 1) {
            return "check takes 0 or 1";
        }
        ui_.checked[a] = b;
        dispatch_command(editor_, a, Notification::clicked);
    } else if (verb == "unfocus") {
        if (w.size() != 2 || !number(w[1], a)) {
            return expected("unfocus ID");
        }
        if (find_control(panel_template, a) == nullptr) {
            return "no control of the panel has ID " + std::to_string(a);
        }
        dispatch_command(editor_, a, Notification::kill_focus);
    } else if (verb == "kind") {
        if (w.size() != 2 || !number(w[1], a)) {
            return expected("kind POSITION");
        }
        if (a < 0 || a >= object_kind_count) {
            return "kind takes a list position from 0 to " + std::to_string(object_kind_count - 1);
        }
        ui_.object_kind_entry = a;
        dispatch_command(editor_, id::object_kinds, Notification::selection_changed);
    } else if (verb == "slider") {
        if (w.size() != 3 || !number(w[1], a) || !number(w[2], b)) {
            return expected("slider ID POSITION");
        }
        const auto s = std::find_if(panel_sliders.begin(), panel_sliders.end(),
                                    [a](const PanelSlider& p) { return p.id == a; });
        if (s == panel_sliders.end()) {
            return "no slider of the panel has ID " + std::to_string(a);
        }
        if (b < s->minimum || b > s->maximum) {
            return "slider " + std::to_string(a) + " takes a position from " +
                   std::to_string(s->minimum) + " to " + std::to_string(s->maximum);
        }
        ui_.sliders[a] = b;
        slider_notification(editor_, a, SliderEvent::released_capture);
    } else if (verb == "press" || verb == "release") {
        return mouse_button(w);
    } else if (verb == "move") {
        return mouse_move(w);
    } else if (verb == "wait") {
        if (w.size() != 2 || !number(w[1], a)) {
            return expected("wait MILLISECONDS");
        }
        if (a < 0) {
            return "wait takes milliseconds from 0";
        }
        ui_.clock += static_cast<std::uint32_t>(a);
    } else if (verb == "answer") {
        return answer(w);
    } else if (verb == "print") {
        return print(w);
    } else if (verb == "close") {
        if (w.size() != 1) {
            return expected("close");
        }
        // The window's close box: the editor closes unless the question is cancelled.
        if (close_requested(editor_)) {
            line("closed");
            closed_ = true;
        }
    } else if (verb == "history") {
        // Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) of the desktop program.
        if (w.size() == 2 && w[1] == "undo") {
            undo_edit(editor_);
        } else if (w.size() == 2 && w[1] == "redo") {
            redo_edit(editor_);
        } else {
            return expected("history undo|redo");
        }
    } else {
        return "unknown word " + quoted(verb);
    }
    return {};
}

std::string Replay::mouse_button(const Words& w) {
    int button = 0, x = 0, y = 0;
    const std::string form = std::string(w[0]) + " left|right X Y";
    if (w.size() != 4 || !number(w[2], x) || !number(w[3], y)) {
        return expected(form);
    }
    if (w[1] == "left") {
        button = left_button;
    } else if (w[1] == "right") {
        button = right_button;
    } else {
        return "unknown word " + quoted(w[1]) + ", " + expected(form);
    }
    if (w[0] == "press") {
        // As the view window does: presses outside the map are dropped.
        if (x >= 0 && x < map_size && y >= 0 && y < map_size) {
            press_handler(editor_, button, x, y);
        }
    } else {
        release_handler(editor_, button, x, y);
    }
    return {};
}

std::string Replay::mouse_move(const Words& w) {
    int x = 0, y = 0;
    constexpr std::string_view form = "move none|left|right|both X Y";
    if (w.size() != 4 || !number(w[2], x) || !number(w[3], y)) {
        return expected(form);
    }
    int keys = 0;
    if (w[1] == "left") {
        keys = left_held;
    } else if (w[1] == "right") {
        keys = right_held;
    } else if (w[1] == "both") {
        keys = left_held | right_held;
    } else if (w[1] != "none") {
        return "unknown word " + quoted(w[1]) + ", " + expected(form);
    }
    move_handler(editor_, keys, x, y);
    return {};
}

std::string Replay::answer(const Words& w) {
    constexpr std::string_view form =
        "answer open|save PATH, cancel, yes, no, start ok|fail or properties KEY=VALUE...";
    if (w.size() < 2) {
        return expected(form);
    }
    const std::string_view what = w[1];
    if (what == "cancel" && w.size() == 2) {
        ui_.answer_cancel();
    } else if ((what == "yes" || what == "no") && w.size() == 2) {
        ui_.answer_yes_no(what == "yes");
    } else if (what == "start" && w.size() == 3 && (w[2] == "ok" || w[2] == "fail")) {
        ui_.answer_start(w[2] == "ok");
    } else if (what == "changes" && w.size() == 3 &&
               (w[2] == "save" || w[2] == "discard" || w[2] == "cancel")) {
        ui_.answer_changes(w[2] == "save"      ? ChangesAnswer::save
                           : w[2] == "discard" ? ChangesAnswer::discard
                                               : ChangesAnswer::cancel);
    } else if (what == "properties") {
        PropertiesAnswer parsed;
        std::string error = parse_properties(Words(w.begin() + 2, w.end()), parsed);
        if (!error.empty()) {
            return error;
        }
        ui_.answer_properties([parsed](PropertiesValues& v) { parsed.apply(v); });
    } else if (what == "changes") {
        return expected("answer changes save|discard|cancel");
    } else if (what == "cancel" || what == "yes" || what == "no" || what == "start") {
        return expected(form);
    } else {
        return "unknown word " + quoted(what) + " after answer";
    }
    ui_.queue.back().line = line_;
    return {};
}

void Replay::line(const std::string& text) {
    if (outputs_.transcript != nullptr) {
        std::fprintf(outputs_.transcript, "%s\n", text.c_str());
    }
}

std::string Replay::print(const Words& w) {
    constexpr std::string_view form =
        "print title|file|properties|counts|tool|brush|rope|blend|repaints|history|modified, "
        "print enabled|checked ID or print pixel X Y";
    if (w.size() < 2) {
        return expected(form);
    }
    const std::string_view what = w[1];
    const Track& t = editor_.track;
    int a = 0, b = 0;
    if (what == "title" && w.size() == 2) {
        line(ui_.title);
    } else if (what == "file" && w.size() == 2) {
        line(editor_.names.current_file_name);
    } else if (what == "properties" && w.size() == 2) {
        line("water_level=" + std::to_string(t.water_level) + " view_angle=" +
             std::to_string(t.view_angle) + " rotation=" + std::to_string(t.rotation) +
             " zoom=" + std::to_string(t.zoom) + " world_size=" + std::to_string(t.world_size) +
             " sf_line=" + std::to_string(t.sf_line) +
             " author=" + escape_text(cp1252_to_utf8(text_of(t.author))) +
             " comments=" + escape_text(comments_from_stored(text_of(t.comments))) +
             " track_length=" + std::to_string(t.track_length));
    } else if (what == "enabled" && w.size() == 3 && number(w[2], a)) {
        line(ui_.is_enabled(a) ? "1" : "0");
    } else if (what == "checked" && w.size() == 3 && number(w[2], a)) {
        line(std::to_string(ui_.check_of(a)));
    } else if (what == "pixel" && w.size() == 4 && number(w[2], a) && number(w[3], b)) {
        if (a < 0 || a >= image_size || b < 0 || b >= image_size) {
            return "pixel takes X and Y from 0 to " + std::to_string(image_size - 1);
        }
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", rgb_of(editor_.renderer.at(a, b)));
        line(text);
    } else if (what == "counts" && w.size() == 2) {
        line(std::to_string(t.object_count) + " " + std::to_string(t.pit_count) + " " +
             std::to_string(t.checkpoint_count) + " " + std::to_string(t.ai_line_count) + " " +
             std::to_string(t.ai_pit_line_count));
    } else if (what == "tool" && w.size() == 2) {
        line(std::to_string(editor_.tools.current_tool));
    } else if (what == "brush" && w.size() == 2) {
        line(std::to_string(editor_.tools.brush_size));
    } else if (what == "rope" && w.size() == 2) {
        line(std::to_string(editor_.tools.rope_length));
    } else if (what == "blend" && w.size() == 2) {
        line(std::to_string(editor_.tools.image_blend));
    } else if (what == "repaints" && w.size() == 2) {
        line(std::to_string(ui_.repaints));
    } else if (what == "history" && w.size() == 2) {
        line(std::to_string(undo_steps(editor_)) + " " + std::to_string(redo_steps(editor_)));
    } else if (what == "modified" && w.size() == 2) {
        line(track_modified(editor_) ? "1" : "0");
    } else {
        constexpr std::array<std::string_view, 14> known = {
            "title", "file",  "properties", "enabled",  "checked", "pixel",   "counts",
            "tool",  "brush", "rope",       "repaints", "blend",   "history", "modified"};
        if (std::find(known.begin(), known.end(), what) == known.end()) {
            return "unknown word " + quoted(what) + " after print";
        }
        return expected(form);
    }
    return {};
}

namespace {

// No line of a script needs more: a path, or the properties with every text at its longest
// and escaped. A longer line (or a stream without line breaks, such as a device) is refused
// instead of read into memory without end.
constexpr std::size_t max_script_line = 16384;

// One line without its line feed; too_long when it would run past max_script_line (text then
// holds the first bytes, for the message). False at the end of the stream.
bool read_script_line(std::istream& in, std::string& text, bool& too_long) {
    text.clear();
    too_long = false;
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof()) {
        return false;
    }
    while (c != std::istream::traits_type::eof() && c != '\n') {
        if (text.size() == max_script_line) {
            too_long = true;
            return true;
        }
        text.push_back(static_cast<char>(c));
        c = in.get();
    }
    return true;
}

} // namespace

int run_replay(const ReplayOptions& options, std::istream& script, const ReplayOutputs& outputs) {
    std::FILE* const out = outputs.transcript;
    std::FILE* const err = outputs.diagnostics;
    const auto flush = [out] {
        if (out != nullptr) {
            std::fflush(out);
        }
    };
    const auto note = [err](const std::string& text) {
        if (err != nullptr) {
            std::fprintf(err, "%s\n", text.c_str());
        }
    };
    // What is wrong, after what the script printed before it.
    const auto report = [&](const std::string& text) {
        flush();
        note(text);
    };
    const std::string& name = options.script;
    ScriptedUi ui;
    auto editor = std::make_unique<Editor>(ui);
    editor->command_line_track = options.track;
    // Message boxes of the set-up go to the transcript too.
    Replay replay(ui, *editor, outputs);
    // Start-up as the program does it: set-up (with the command-line track), then the
    // panel's first state.
    if (!set_up_editor(*editor)) {
        note("coursesmith-cli: Initialization failed!");
        return 2;
    }
    initialise_panel(*editor);

    const auto fail = [&](int line_number, const std::string& what, std::string_view text) {
        report(name + ":" + std::to_string(line_number) + ": " + what + ": " + quoted(text));
        return 2;
    };
    std::string text;
    int line_number = 0;
    bool too_long = false;
    while (read_script_line(script, text, too_long)) {
        ++line_number;
        if (too_long) {
            return fail(line_number,
                        "the line is longer than " + std::to_string(max_script_line) + " bytes",
                        text);
        }
        if (!text.empty() && text.back() == '\r') { // a script written with CR LF
            text.pop_back();
        }
        const std::string error = replay.run_line(text, line_number);
        if (!error.empty()) {
            return fail(line_number, error, text);
        }
        if (ui.mismatch) {
            return fail(line_number,
                        "the answer on line " + std::to_string(ui.mismatch->line) + " (" +
                            answer_text(*ui.mismatch) + ") met the " + ui.mismatched_request,
                        text);
        }
        if (replay.closed()) {
            break;
        }
    }
    flush();
    if (script.bad()) {
        report(name + ":" + std::to_string(line_number + 1) +
               ": the script cannot be read further");
        return 2;
    }
    if (!ui.queue.empty()) {
        report(name + ":" + std::to_string(ui.queue.front().line) + ": warning: " +
               std::to_string(ui.queue.size()) + " answer(s) from here on were not used");
    }
    // An output without a writer fails.
    if (!options.save.empty() &&
        !(outputs.save_track && outputs.save_track(options.save, editor->track))) {
        return 2;
    }
    if (!options.png.empty() &&
        !(outputs.save_view && outputs.save_view(options.png, editor->renderer))) {
        return 2;
    }
    return 0;
}

} // namespace cs
