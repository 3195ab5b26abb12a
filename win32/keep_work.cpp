#include "win32/keep_work.h"

#include <filesystem>

#include "editor/changes.h"
#include "editor/editor.h"
#include "editor/recovery.h"
#include "model/file_io.h"
#include "win32/win_ui.h"

namespace cs {

namespace {

constexpr UINT_PTR autosave_timer = 1;
constexpr UINT_PTR settle_timer = 2;
constexpr UINT settle_ms = 300;

} // namespace

KeepWork::KeepWork(Editor& editor, WinUi& ui, HWND panel, int autosave_seconds)
    : editor_(editor), ui_(ui), panel_(panel) {
    if (autosave_seconds > 0) {
        SetTimer(panel_, autosave_timer, UINT(autosave_seconds) * 1000, nullptr);
    }
    follow_current_file();
}

KeepWork::~KeepWork() {
    stop_watching();
    KillTimer(panel_, autosave_timer);
    KillTimer(panel_, settle_timer);
}

bool KeepWork::busy() const {
    return ui_.busy() || editor_.gesture.button_down != 0;
}

void KeepWork::on_timer(UINT_PTR timer) {
    if (timer == autosave_timer) {
        if (!busy()) {
            autosave_tick(editor_);
        }
    } else if (timer == settle_timer) {
        KillTimer(panel_, settle_timer);
        if (busy()) {
            SetTimer(panel_, settle_timer, settle_ms, nullptr); // asked once the user is done
        } else {
            check_file_on_disk(editor_);
        }
    }
}

void KeepWork::on_activated() {
    SetTimer(panel_, settle_timer, settle_ms, nullptr);
}

void KeepWork::on_change() {
    if (watch_ != nullptr) {
        FindNextChangeNotification(watch_);
    }
    SetTimer(panel_, settle_timer, settle_ms, nullptr);
}

void KeepWork::stop_watching() {
    if (watch_ != nullptr) {
        FindCloseChangeNotification(watch_);
        watch_ = nullptr;
    }
}

void KeepWork::follow_current_file() {
    stop_watching();
    if (!editor_.documents.disk_stamp) {
        return; // a new track: no file of its own yet
    }
    // The folder rather than the file: a file replaced by a rename is a new file.
    const std::filesystem::path folder =
        std::filesystem::path(windows_path(editor_.names.current_file_name)).parent_path();
    const HANDLE handle = FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    watch_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

} // namespace cs
