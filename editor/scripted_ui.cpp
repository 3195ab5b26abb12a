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

void ScriptedUi::answer_path(std::string path) {
    queue.push_back({ScriptedAnswer::Kind::path, std::move(path), {}, 0});
}

void ScriptedUi::answer_cancel() {
    queue.push_back({ScriptedAnswer::Kind::cancel, {}, {}, 0});
}

void ScriptedUi::answer_yes_no(bool yes) {
    queue.push_back({yes ? ScriptedAnswer::Kind::yes : ScriptedAnswer::Kind::no, {}, {}, 0});
}

void ScriptedUi::answer_properties(std::function<void(PropertiesValues&)> edit) {
    queue.push_back({ScriptedAnswer::Kind::properties, {}, std::move(edit), 0});
}

void ScriptedUi::answer_start(bool starts) {
    queue.push_back(
        {starts ? ScriptedAnswer::Kind::start_ok : ScriptedAnswer::Kind::start_fail, {}, {}, 0});
}

void ScriptedUi::answer_changes(ChangesAnswer answer) {
    using K = ScriptedAnswer::Kind;
    const K kind = answer == ChangesAnswer::save      ? K::changes_save
                   : answer == ChangesAnswer::discard ? K::changes_discard
                                                      : K::changes_cancel;
    queue.push_back({kind, {}, {}, 0});
}

std::optional<ScriptedAnswer> ScriptedUi::next_answer() {
    if (queue.empty()) {
        return std::nullopt;
    }
    ScriptedAnswer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

std::optional<ScriptedAnswer>
ScriptedUi::take_answer(std::string_view request,
                        std::initializer_list<ScriptedAnswer::Kind> kinds) {
    std::optional<ScriptedAnswer> answer = next_answer();
    if (!answer) {
        return std::nullopt;
    }
    for (ScriptedAnswer::Kind k : kinds) {
        if (answer->kind == k) {
            return answer;
        }
    }
    if (!mismatch) {
        mismatch = std::move(answer);
        mismatched_request = request;
    }
    return std::nullopt;
}

bool ScriptedUi::ask_yes_no(std::string_view text) {
    messages.emplace_back(text);
    if (on_message) {
        on_message(text);
    }
    using K = ScriptedAnswer::Kind;
    const std::optional<ScriptedAnswer> answer = take_answer("question", {K::yes, K::no});
    const bool yes = answer && answer->kind == K::yes;
    calls.push_back("question: " + std::string(text) + (yes ? " -> yes" : " -> no"));
    return yes;
}

ChangesAnswer ScriptedUi::ask_save_changes(std::string_view text) {
    messages.emplace_back(text);
    if (on_changes_question) {
        on_changes_question(text);
    } else if (on_message) {
        on_message(text);
    }
    using K = ScriptedAnswer::Kind;
    ChangesAnswer answer = ChangesAnswer::discard;
    if (!queue.empty()) {
        const K kind = queue.front().kind;
        if (kind == K::changes_save || kind == K::changes_discard || kind == K::changes_cancel) {
            answer = kind == K::changes_save      ? ChangesAnswer::save
                     : kind == K::changes_discard ? ChangesAnswer::discard
                                                  : ChangesAnswer::cancel;
            queue.pop_front();
        }
    }
    constexpr const char* names[] = {"save", "discard", "cancel"};
    calls.push_back("changes: " + std::string(text) + " -> " + names[static_cast<int>(answer)]);
    return answer;
}

std::optional<std::string> ScriptedUi::answer_file_dialog(std::string_view kind,
                                                          const FileDialogRequest& request) {
    file_requests.push_back(request);
    using K = ScriptedAnswer::Kind;
    const std::optional<ScriptedAnswer> taken =
        take_answer(std::string(kind) + " dialog", {K::path, K::cancel});
    std::optional<std::string> answer;
    if (taken && taken->kind == K::path) {
        answer = taken->path;
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

void ScriptedUi::set_modified_mark(bool modified) {
    modified_mark = modified;
    calls.push_back(std::string("modified ") + (modified ? "1" : "0"));
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
    using K = ScriptedAnswer::Kind;
    const std::optional<ScriptedAnswer> answer =
        take_answer("program start", {K::start_ok, K::start_fail});
    const bool started = answer && answer->kind == K::start_ok;
    calls.push_back("start " + path + (started ? " -> ok" : " -> failed"));
    return started;
}

bool ScriptedUi::run_properties_dialog(PropertiesValues& values,
                                       const std::function<void(const PropertiesValues&)>& on_ok) {
    properties_shown.push_back(values);
    using K = ScriptedAnswer::Kind;
    const std::optional<ScriptedAnswer> answer =
        take_answer("properties dialog", {K::properties, K::cancel});
    const bool ok = answer && answer->kind == K::properties;
    calls.emplace_back(ok ? "properties dialog -> ok" : "properties dialog -> cancel");
    if (!ok) {
        return false;
    }
    const int track_length = values.track_length;
    if (answer->edit) {
        answer->edit(values);
    }
    values.track_length = track_length;
    on_ok(values);
    return true;
}

} // namespace cs
