// The Ui port on the Win32 API: message boxes and questions captioned "CourseSmith", the
// system's Open and Save dialogs, the panel's controls by ID, the title with its modified
// mark, the view window, the clock, the game start and the properties dialog. Tests set
// `answerer` so that nothing modal blocks: message boxes, questions, file dialogs, the
// properties dialog and program starts then go to it instead.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "editor/ui.h"

namespace cs {

class ViewWindow;

class WinUi : public Ui {
  public:
    void attach_panel(HWND panel) { panel_ = panel; }
    void attach_view(ViewWindow* view) { view_ = view; }
    // A modal window of the editor's (a message box, a file dialog, the properties dialog)
    // is open: timers then neither write copies nor ask questions.
    bool busy() const { return modal_depth_ > 0; }
    // Called after every change of the window title (the current file name changed).
    std::function<void()> on_title_change;
    Ui* answerer = nullptr;

    void message_box(std::string_view text) override;
    bool ask_yes_no(std::string_view text) override;
    ChangesAnswer ask_save_changes(std::string_view text) override;
    std::optional<std::string> open_file_dialog(const FileDialogRequest& request) override;
    std::optional<std::string> save_file_dialog(const FileDialogRequest& request) override;
    void set_control_enabled(int id, bool enabled) override;
    void set_check(int id, bool checked) override;
    int check_state(int id) override;
    void set_slider(int id, int minimum, int maximum, int position) override;
    int slider_position(int id) override;
    void select_object_kind_entry(int position) override;
    int object_kind_selection() override;
    void set_window_title(std::string_view title) override;
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

  private:
    // Counts a modal window for as long as it is open.
    class Modal {
      public:
        explicit Modal(WinUi& ui) : ui_(ui) { ++ui_.modal_depth_; }
        ~Modal() { --ui_.modal_depth_; }
        Modal(const Modal&) = delete;
        Modal& operator=(const Modal&) = delete;

      private:
        WinUi& ui_;
    };
    HWND owner() const;
    int message(std::string_view text, UINT buttons);
    std::optional<std::string> file_dialog(const FileDialogRequest& request, bool save);
    void show_title();

    HWND panel_ = nullptr;
    ViewWindow* view_ = nullptr;
    int modal_depth_ = 0;
    std::wstring title_;
    bool modified_ = false;
};

// The filter list of a file dialog: "name\0pattern\0" for each filter, then "\0".
std::wstring file_dialog_filter(const std::vector<FileFilter>& filters);

// Where a file dialog starts: the folder of the request's name (taken against the current
// folder) when it exists, the current folder for no name; and the name shown in its name
// field. An empty folder leaves the start to the system.
struct DialogStart {
    std::wstring folder;
    std::wstring name;
};
DialogStart file_dialog_start(const std::string& initial_name);

} // namespace cs
