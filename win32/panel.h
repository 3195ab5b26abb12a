// The tool panel: the main window, a modeless dialog built from the panel template. Its
// controls report to the core's command dispatch and slider notification; it takes the
// accelerators' commands, mouse moves over the panel itself, dropped files and the close
// box, and holds the view window.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <vector>

#include "win32/view_window.h"

namespace cs {

struct Editor;

// The commands of the history keys in the accelerator table (beside the panel's IDs).
inline constexpr WORD undo_command = 0xE12B;
inline constexpr WORD redo_command = 0xE12C;

// The accelerator table's entries: the panel's Ctrl and Alt letters, then the history keys.
std::vector<ACCEL> accelerator_entries();

class Panel {
  public:
    // Creates the panel (hidden) from its template; hwnd() is null when that fails.
    explicit Panel(Editor& editor);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }

    // Lays the panel out around the view: the view starts 4 pixels right of the point just
    // past the ">>" button's bottom-right corner, and the panel's client area is just wide
    // enough for the view and at least as high. Creates the view there.
    ViewWindow& add_view();
    ViewWindow* view() const { return view_.get(); }
    int view_left() const { return view_left_; }

    // Called when the user closes the window, once the editor agreed, before it goes.
    std::function<void()> on_close;
    // Timer ticks (WM_TIMER) and the program becoming active again, for keeping the work.
    std::function<void(UINT_PTR timer)> on_timer;
    std::function<void()> on_activated;

  private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM w, LPARAM l);
    INT_PTR handle(UINT message, WPARAM w, LPARAM l);
    void lay_out();
    void command(int id, int code, HWND from);
    void drop(HDROP files);

    Editor& editor_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<ViewWindow> view_;
    int view_left_ = 0;
};

} // namespace cs
