// The Ui port in Qt: message boxes, file dialogs, the panel's controls, the title, the view,
// the clock and the game start. Tests set `answerer` so that nothing modal ever blocks:
// message boxes, the question, both file dialogs, the properties dialog and program starts
// then go to it (a ScriptedUi with queued answers) instead of a window or a process.
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "editor/ui.h"

class QFileDialog;
class QWidget;

namespace cs {

class Panel;
class ViewWidget;

class QtUi : public Ui {
  public:
    QtUi();
    void attach_panel(Panel* panel);
    void attach_view(ViewWidget* view);
    Ui* answerer = nullptr;
    // Called after every change of the window title (the current file name changed).
    std::function<void()> on_title_change;

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
    QWidget* owner() const;
    QPointer<Panel> panel_;
    QPointer<ViewWidget> view_;
    QElapsedTimer clock_;
};

// The non-native file dialog a request asks for, set up but not shown: its filters match
// regardless of case, it starts on the request's name and confirms what the request says.
QFileDialog* make_file_dialog(const FileDialogRequest& request, bool save, QWidget* parent);

} // namespace cs
