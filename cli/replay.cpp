#include "cli/replay.h"

#include <charconv>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include "cli/png_output.h"
#include "editor/dispatch.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "interaction/mouse.h"
#include "model/trk_file.h"
#include "resources/control_ids.h"
#include "resources/templates.h"

namespace cs {

namespace {

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

bool number(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

class Replay {
  public:
    Replay(ScriptedUi& ui, Editor& editor, std::FILE* out) : ui_(ui), editor_(editor), out_(out) {}

    // Runs one script line; false when it cannot be parsed.
    bool run(const std::vector<std::string_view>& w) {
        const std::string_view verb = w[0];
        int a = 0, b = 0;
        if (verb == "command" && w.size() == 2 && number(w[1], a)) {
            // A click checks a radio button and toggles an automatic check box.
            if (a >= id::first_tool && a <= id::last_tool) {
                for (int t = id::first_tool; t <= id::last_tool; ++t) {
                    ui_.checked[t] = t == a ? 1 : 0;
                }
            } else if (const DialogControl* c = find_control(panel_template, a);
                       c != nullptr && (c->kind == ControlKind::check_box ||
                                        c->kind == ControlKind::push_like_check_box)) {
                ui_.checked[a] = ui_.check_of(a) == 1 ? 0 : 1;
            }
            dispatch_command(editor_, a, Notification::clicked);
        } else if (verb == "check" && w.size() == 3 && number(w[1], a) && number(w[2], b) &&
                   (b == 0 || b == 1)) {
            ui_.checked[a] = b;
            dispatch_command(editor_, a, Notification::clicked);
        } else if (verb == "unfocus" && w.size() == 2 && number(w[1], a)) {
            dispatch_command(editor_, a, Notification::kill_focus);
        } else if (verb == "kind" && w.size() == 2 && number(w[1], a) && a >= 0 &&
                   a < object_kind_count) {
            ui_.object_kind_entry = a;
            dispatch_command(editor_, id::object_kinds, Notification::selection_changed);
        } else if (verb == "slider" && w.size() == 3 && number(w[1], a) && number(w[2], b)) {
            ui_.sliders[a] = b;
            slider_notification(editor_, a, SliderEvent::released_capture);
        } else if (verb == "press" || verb == "release") {
            return mouse_button(w);
        } else if (verb == "move") {
            return mouse_move(w);
        } else if (verb == "wait" && w.size() == 2 && number(w[1], a) && a >= 0) {
            ui_.clock += static_cast<std::uint32_t>(a);
        } else if (verb == "answer") {
            return answer(w);
        } else if (verb == "print") {
            return print(w);
        } else {
            return false;
        }
        return true;
    }

  private:
    static bool button_of(std::string_view word, int& button) {
        if (word == "left") {
            button = left_button;
        } else if (word == "right") {
            button = right_button;
        } else {
            return false;
        }
        return true;
    }

    bool mouse_button(const std::vector<std::string_view>& w) {
        int button = 0, x = 0, y = 0;
        if (w.size() != 4 || !button_of(w[1], button) || !number(w[2], x) || !number(w[3], y)) {
            return false;
        }
        if (w[0] == "press") {
            // As the view window does: presses outside the map are dropped.
            if (x >= 0 && x < map_size && y >= 0 && y < map_size) {
                press_handler(editor_, button, x, y);
            }
        } else {
            release_handler(editor_, button, x, y);
        }
        return true;
    }

    bool mouse_move(const std::vector<std::string_view>& w) {
        int x = 0, y = 0;
        if (w.size() != 4 || !number(w[2], x) || !number(w[3], y)) {
            return false;
        }
        int keys = 0;
        if (w[1] == "left") {
            keys = left_held;
        } else if (w[1] == "right") {
            keys = right_held;
        } else if (w[1] == "both") {
            keys = left_held | right_held;
        } else if (w[1] != "none") {
            return false;
        }
        move_handler(editor_, keys, x, y);
        return true;
    }

    bool answer(const std::vector<std::string_view>& w) {
        if (w.size() == 3 && (w[1] == "open" || w[1] == "save")) {
            ui_.answer_path(std::string(w[2]));
        } else if (w.size() == 2 && w[1] == "cancel") {
            ui_.answer_cancel();
        } else if (w.size() == 2 && (w[1] == "yes" || w[1] == "no")) {
            ui_.answer_yes_no(w[1] == "yes");
        } else {
            return false;
        }
        return true;
    }

    void line(const std::string& text) { std::fprintf(out_, "%s\n", text.c_str()); }

    bool print(const std::vector<std::string_view>& w) {
        if (w.size() < 2) {
            return false;
        }
        const std::string_view what = w[1];
        const Track& t = editor_.track;
        int a = 0, b = 0;
        if (what == "title" && w.size() == 2) {
            line(ui_.title);
        } else if (what == "enabled" && w.size() == 3 && number(w[2], a)) {
            line(ui_.is_enabled(a) ? "1" : "0");
        } else if (what == "checked" && w.size() == 3 && number(w[2], a)) {
            line(std::to_string(ui_.check_of(a)));
        } else if (what == "pixel" && w.size() == 4 && number(w[2], a) && number(w[3], b) &&
                   a >= 0 && a < image_size && b >= 0 && b < image_size) {
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
        } else {
            return false;
        }
        return true;
    }

    ScriptedUi& ui_;
    Editor& editor_;
    std::FILE* out_;
};

} // namespace

int run_replay(const ReplayOptions& options, std::istream& script, std::FILE* out) {
    ScriptedUi ui;
    ui.on_message = [out](std::string_view text) {
        std::fprintf(out, "message: %s\n", escaped(text).c_str());
    };
    auto editor = std::make_unique<Editor>(ui);
    editor->command_line_track = options.track;
    // Start-up as the program does it: set-up (with the command-line track), then the
    // panel's first state.
    if (!set_up_editor(*editor)) {
        std::fprintf(stderr, "coursesmith-cli: Initialization failed!\n");
        return 2;
    }
    initialise_panel(*editor);

    Replay replay(ui, *editor, out);
    std::string text;
    int number_of_line = 0;
    while (std::getline(script, text)) {
        ++number_of_line;
        const std::size_t hash = text.find('#');
        const std::vector<std::string_view> w = words_of(
            std::string_view(text).substr(0, hash == std::string::npos ? text.size() : hash));
        if (w.empty()) {
            continue;
        }
        if (!replay.run(w)) {
            std::fflush(out);
            std::fprintf(stderr, "%s:%d: cannot parse: %s\n", options.script.c_str(),
                         number_of_line, text.c_str());
            return 2;
        }
    }
    std::fflush(out);

    if (!options.save.empty()) {
        const TrackFileError error = write_track(options.save, editor->track);
        if (error != TrackFileError::none) {
            std::fprintf(stderr, "%s: %s\n", options.save.c_str(),
                         std::string(message_for(error)).c_str());
            return 2;
        }
    }
    if (!options.png.empty() && !write_view_png(editor->renderer, 1, options.png)) {
        std::fprintf(stderr, "%s: Can't create file.\n", options.png.c_str());
        return 2;
    }
    return 0;
}

} // namespace cs
