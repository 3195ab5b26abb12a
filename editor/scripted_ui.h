// A Ui without a window system: it records every call, answers dialogs and questions
// from queues the caller fills, keeps the state of the controls and has a clock that the
// caller sets. Tests, benchmarks and the command-line tools use it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/ui.h"

namespace cs {

class ScriptedUi : public Ui {
  private:
    std::optional<std::string> answer_file_dialog(std::string_view kind,
                                                  const FileDialogRequest& request);

  public:
    // The panel as created from its template: the buttons marked so start disabled.
    ScriptedUi();

    // Every call, one line each, e.g. "message: Can't open file!", "enable 1034 0",
    // "check 1031 1", "title Tyrestorm CourseSmith - a.trk", "repaint".
    std::vector<std::string> calls;
    std::vector<std::string> messages;                   // texts of message boxes and questions
    std::deque<bool> answers;                            // Yes/No answers; No when empty
    std::deque<std::optional<std::string>> file_answers; // chosen paths; cancel when empty
    std::vector<FileDialogRequest> file_requests;        // every dialog request shown
    std::deque<std::optional<PropertiesValues>> properties_answers; // OK with values, or Cancel

    std::map<int, bool> enabled; // controls not listed are enabled
    std::map<int, int> checked;
    std::map<int, int> sliders;
    int object_kind_entry = 0;
    std::string title;
    ClientSize client{512, 512};
    ScrollSettings horizontal, vertical;
    std::uint32_t clock = 0;
    int repaints = 0;
    bool captured = false;
    bool view_exists = true; // repaints do nothing while false
    std::vector<std::string> started_programs;
    bool programs_start = true; // what start_program answers
    // Called with the text of every message box and question as it is shown.
    std::function<void(std::string_view)> on_message;

    bool is_enabled(int id) const;
    int check_of(int id) const;

    void message_box(std::string_view text) override;
    bool ask_yes_no(std::string_view text) override;
    std::optional<std::string> open_file_dialog(const FileDialogRequest& request) override;
    std::optional<std::string> save_file_dialog(const FileDialogRequest& request) override;
    void set_control_enabled(int id, bool on) override;
    void set_check(int id, bool on) override;
    int check_state(int id) override;
    void set_slider(int id, int minimum, int maximum, int position) override;
    int slider_position(int id) override;
    void select_object_kind_entry(int position) override;
    int object_kind_selection() override;
    void set_window_title(std::string_view text) override;
    ClientSize view_client_size() override;
    void set_scroll_bar(ScrollBar bar, const ScrollSettings& settings) override;
    ScrollSettings scroll_bar(ScrollBar bar) override;
    void repaint_view_now() override;
    void capture_mouse() override;
    void release_mouse() override;
    std::uint32_t tick_count() override;
    bool start_program(const std::string& path) override;
    bool run_properties_dialog(PropertiesValues& values,
                               const std::function<void(const PropertiesValues&)>& on_ok) override;
};

} // namespace cs
