// What keeps the user's work while the panel is open: the autosave timer that writes the
// recovery copy, and the watch on the open file's folder that notices another program
// changing the file (asked about once the notifications have settled for 300 ms, and
// whenever the program becomes active again). Nothing is written or asked while a modal
// window of the editor is open or a gesture is under way.
#pragma once

#include <windows.h>

#include <string>

namespace cs {

struct Editor;
class WinUi;

class KeepWork {
  public:
    KeepWork(Editor& editor, WinUi& ui, HWND panel, int autosave_seconds);
    ~KeepWork();
    KeepWork(const KeepWork&) = delete;
    KeepWork& operator=(const KeepWork&) = delete;

    void on_timer(UINT_PTR timer);
    void on_activated();
    // Watches the folder of the editor's current file (none for a new track).
    void follow_current_file();
    // The change notification the message loop waits on beside the messages; null when
    // nothing is watched. on_change re-arms it.
    HANDLE change_handle() const { return watch_; }
    void on_change();

  private:
    void stop_watching();
    bool busy() const;

    Editor& editor_;
    WinUi& ui_;
    HWND panel_;
    HANDLE watch_ = nullptr;
};

} // namespace cs
