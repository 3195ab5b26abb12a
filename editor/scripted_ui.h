// A Ui without a window system: it records every call, answers dialogs and questions
// from queues the caller fills, keeps the state of the controls and has a clock that the
// caller sets. Tests, benchmarks and the command-line tools use it.
#pragma once

#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/ui.h"

namespace cs {

// One queued answer to whatever the editor asks next: a file dialog, the properties
// dialog, the Yes/No question or a program start.
struct ScriptedAnswer {
    enum class Kind {
        path,
        cancel,
        yes,
        no,
        properties,
        start_ok,
        start_fail,
        changes_save, // the question before unsaved changes are dropped
        changes_discard,
        changes_cancel,
    };
    Kind kind = Kind::cancel;
    std::string path; // Kind::path: the chosen file
    // Kind::properties: OK, after this has changed what the dialog showed.
    std::function<void(PropertiesValues&)> edit;
    int line = 0; // where the answer came from (a script line), for messages
};

class ScriptedUi : public Ui {
  private:
    std::optional<ScriptedAnswer> next_answer();
    // The next answer if it is one of the kinds this request takes; an answer of any
    // other kind is used up, remembered in `mismatch` and taken as cancel / No / failure.
    std::optional<ScriptedAnswer> take_answer(std::string_view request,
                                              std::initializer_list<ScriptedAnswer::Kind> kinds);
    std::optional<std::string> answer_file_dialog(std::string_view kind,
                                                  const FileDialogRequest& request);

  public:
    // The panel as created from its template: the buttons marked so start disabled.
    ScriptedUi();

    // Every call, one line each, e.g. "message: Can't open file!", "enable 1034 0",
    // "check 1031 1", "title Tyrestorm CourseSmith - a.trk", "repaint".
    std::vector<std::string> calls;
    std::vector<std::string> messages; // texts of message boxes and questions
    // Answers in the order they are used, one per dialog, question or start, whatever its
    // kind. With none queued a dialog is cancelled, the question answered No and a start
    // fails. The question about unsaved changes takes only an answer of its own kind: with
    // another kind (or none) at the front it is answered Discard and the queue is left as
    // it is, so that scripts written before the question existed run as they did.
    std::deque<ScriptedAnswer> queue;
    // The first answer that met a request of another kind, and what that request was.
    std::optional<ScriptedAnswer> mismatch;
    std::string mismatched_request;
    std::vector<FileDialogRequest> file_requests;   // every file dialog request shown
    std::vector<PropertiesValues> properties_shown; // what each properties dialog showed

    void answer_path(std::string path);
    void answer_cancel();
    void answer_yes_no(bool yes);
    void answer_properties(std::function<void(PropertiesValues&)> edit);
    void answer_start(bool starts);
    void answer_changes(ChangesAnswer answer);

    std::map<int, bool> enabled; // controls not listed are enabled
    std::map<int, int> checked;
    std::map<int, int> sliders;
    int object_kind_entry = 0;
    std::string title;
    bool modified_mark = false;
    ClientSize client{512, 512};
    ScrollSettings horizontal, vertical;
    std::uint32_t clock = 0;
    int repaints = 0;
    bool captured = false;
    bool view_exists = true; // repaints do nothing while false
    std::vector<std::string> started_programs;
    // Called with the text of every message box and question as it is shown.
    std::function<void(std::string_view)> on_message;
    // Called with the text of the question about unsaved changes; on_message when unset.
    std::function<void(std::string_view)> on_changes_question;

    bool is_enabled(int id) const;
    int check_of(int id) const;

    void message_box(std::string_view text) override;
    bool ask_yes_no(std::string_view text) override;
    ChangesAnswer ask_save_changes(std::string_view text) override;
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
    void set_modified_mark(bool modified) override;
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
