#include "editor/scripted_ui.h"

#include "resources/templates.h"

namespace cs {

namespace {

std::string scroll_text(const ScrollSettings& s) {
    return std::to_string(s.minimum) + ".." + std::to_string(s.maximum) + " page " +
           std::to_string(s.page) + " pos " + std::to_string(s.position) +
           (s.show_disabled ? " show-disabled" : "");
}

} // namespace

ScriptedUi::ScriptedUi() {
    for (const DialogControl& c : panel_controls) {
        if (c.has(style::disabled)) {
            enabled[c.id] = false;
        }
    }
}

bool ScriptedUi::is_enabled(int id) const {
    const auto it = enabled.find(id);
    return it == enabled.end() || it->second;
}

int ScriptedUi::check_of(int id) const {
    const auto it = checked.find(id);
    return it == checked.end() ? 0 : it->second;
}

void ScriptedUi::message_box(std::string_view text) {
    messages.emplace_back(text);
    if (on_message) {
        on_message(text);
    }
    calls.push_back("message: " + std::string(text));
}

bool ScriptedUi::ask_yes_no(std::string_view text) {
    messages.emplace_back(text);
    if (on_message) {
        on_message(text);
    }
    bool yes = false;
    if (!answers.empty()) {
        yes = answers.front();
        answers.pop_front();
    }
    calls.push_back("question: " + std::string(text) + (yes ? " -> yes" : " -> no"));
    return yes;
}

std::optional<std::string> ScriptedUi::answer_file_dialog(std::string_view kind,
                                                          const FileDialogRequest& request) {
    file_requests.push_back(request);
    std::optional<std::string> answer;
    if (!file_answers.empty()) {
        answer = file_answers.front();
        file_answers.pop_front();
    }
    calls.push_back(std::string(kind) + " dialog " + request.initial_name + " -> " +
                    answer.value_or("cancel"));
    return answer;
}

std::optional<std::string> ScriptedUi::open_file_dialog(const FileDialogRequest& request) {
    return answer_file_dialog("open", request);
}

std::optional<std::string> ScriptedUi::save_file_dialog(const FileDialogRequest& request) {
    return answer_file_dialog("save", request);
}

void ScriptedUi::set_control_enabled(int id, bool on) {
    enabled[id] = on;
    calls.push_back("enable " + std::to_string(id) + (on ? " 1" : " 0"));
}

void ScriptedUi::set_check(int id, bool on) {
    checked[id] = on ? 1 : 0;
    calls.push_back("check " + std::to_string(id) + (on ? " 1" : " 0"));
}

int ScriptedUi::check_state(int id) {
    return check_of(id);
}

void ScriptedUi::set_slider(int id, int minimum, int maximum, int position) {
    sliders[id] = position;
    calls.push_back("slider " + std::to_string(id) + " " + std::to_string(minimum) + ".." +
                    std::to_string(maximum) + " pos " + std::to_string(position));
}

int ScriptedUi::slider_position(int id) {
    const auto it = sliders.find(id);
    return it == sliders.end() ? 0 : it->second;
}

void ScriptedUi::select_object_kind_entry(int position) {
    object_kind_entry = position;
    calls.push_back("select kind " + std::to_string(position));
}

int ScriptedUi::object_kind_selection() {
    return object_kind_entry;
}

void ScriptedUi::set_window_title(std::string_view text) {
    title = text;
    calls.push_back("title " + title);
}

ClientSize ScriptedUi::view_client_size() {
    return client;
}

void ScriptedUi::set_scroll_bar(ScrollBar bar, const ScrollSettings& settings) {
    (bar == ScrollBar::horizontal ? horizontal : vertical) = settings;
    calls.push_back(std::string(bar == ScrollBar::horizontal ? "hscroll " : "vscroll ") +
                    scroll_text(settings));
}

ScrollSettings ScriptedUi::scroll_bar(ScrollBar bar) {
    return bar == ScrollBar::horizontal ? horizontal : vertical;
}

void ScriptedUi::repaint_view_now() {
    if (!view_exists) {
        return;
    }
    ++repaints;
    calls.emplace_back("repaint");
}

void ScriptedUi::capture_mouse() {
    captured = true;
    calls.emplace_back("capture");
}

void ScriptedUi::release_mouse() {
    captured = false;
    calls.emplace_back("release capture");
}

std::uint32_t ScriptedUi::tick_count() {
    return clock;
}

bool ScriptedUi::start_program(const std::string& path) {
    started_programs.push_back(path);
    calls.push_back("start " + path + (programs_start ? " -> ok" : " -> failed"));
    return programs_start;
}

bool ScriptedUi::run_properties_dialog(PropertiesValues& values,
                                       const std::function<void(const PropertiesValues&)>& on_ok) {
    std::optional<PropertiesValues> answer;
    if (!properties_answers.empty()) {
        answer = properties_answers.front();
        properties_answers.pop_front();
    }
    calls.emplace_back(answer ? "properties dialog -> ok" : "properties dialog -> cancel");
    if (!answer) {
        return false;
    }
    const int track_length = values.track_length;
    values = *answer;
    values.track_length = track_length;
    on_ok(values);
    return true;
}

} // namespace cs
