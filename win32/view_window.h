// The view window: the 512 x 512 child of the panel that shows the view image at 1x, 2x or
// 4x with its two scroll bars, and passes the mouse, the wheel and the scroll requests to
// the core.
#pragma once

#include <windows.h>

#include "editor/dispatch.h"
#include "editor/ui.h"
#include "editor/view_input.h"

namespace cs {

struct Editor;

class ViewWindow {
  public:
    // Registers the window class once per process.
    static bool register_class(HINSTANCE instance);
    ViewWindow(Editor& editor, HWND parent, int x, int y, int size);
    ~ViewWindow();
    ViewWindow(const ViewWindow&) = delete;
    ViewWindow& operator=(const ViewWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // The area that shows the image and takes the mouse: the window less the visible bars.
    ClientSize client_size() const;

    // The bars as the core sets and reads them (range, page, position; a bar with nothing
    // to scroll is hidden, or shown disabled when show_disabled is set).
    void set_scroll_bar(ScrollBar bar, const ScrollSettings& settings);
    ScrollSettings scroll_bar(ScrollBar bar) const;

    // Paints the whole view before returning (unless a magnification step holds it).
    void repaint_now();
    void capture_mouse();
    void release_mouse();
    // The editor's cursor, shown over the image.
    void set_cursor(HCURSOR cursor) { cursor_ = cursor; }

  private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void paint();
    void mouse(UINT message, WPARAM w, LPARAM l);
    void scroll(ScrollBar bar, WPARAM w);
    bool wheel(int delta_x, int delta_y, WPARAM w, LPARAM l);

    Editor& editor_;
    HWND hwnd_ = nullptr;
    ScrollSettings horizontal_;
    ScrollSettings vertical_;
    WheelTurns turns_;
    HCURSOR cursor_ = nullptr;
    bool painting_held_ = false;
    bool releasing_ = false; // the editor itself lets go of the mouse
    // The release that ends the gesture under way, and the last mouse position in the
    // window, for a capture another window takes.
    ViewMouse release_ = ViewMouse::left_up;
    int last_x_ = 0;
    int last_y_ = 0;
};

} // namespace cs
