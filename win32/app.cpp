#include "win32/app.h"

#include <commctrl.h>
#include <windowsx.h>

#include "editor/cursor_file.h"
#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/launch.h"
#include "editor/recovery.h"
#include "editor/setup.h"
#include "editor/view_input.h"
#include "model/file_io.h"
#include "win32/keep_work.h"
#include "win32/panel.h"
#include "win32/resource_ids.h"
#include "win32/text.h"

namespace cs {

namespace {

// A held history key's repeats take no step: only a press does.
bool repeated_history_key(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.lParam & (1 << 30)) == 0 || msg.wParam > 0xFF) {
        return false;
    }
    return history_step(static_cast<char>(msg.wParam), GetKeyState(VK_CONTROL) < 0,
                        GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0) != HistoryStep::none;
}

} // namespace

HCURSOR load_editor_cursor(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    // Only a file the editor's own reader takes for a cursor is handed to the system.
    if (read_whole_file(path, bytes, nullptr, max_cursor_file_bytes) && parse_cursor_file(bytes)) {
        if (HCURSOR cursor = LoadCursorFromFileW(windows_path(path).c_str())) {
            return cursor;
        }
    }
    return LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(editor_cursor_resource));
}

EditorApp::EditorApp() = default;

EditorApp::~EditorApp() {
    keep_.reset();
    panel_.reset();
    clean_up();
    if (accelerators_ != nullptr) {
        DestroyAcceleratorTable(accelerators_);
    }
}

void EditorApp::clean_up() {
    if (editor_ && !cleaned_up_) {
        // A normal exit: the recovery copy and this editor's lock go.
        end_recovery(*editor_);
        clean_up_editor(*editor_);
        cleaned_up_ = true;
    }
}

std::unique_ptr<EditorApp> EditorApp::start(const std::vector<std::string>& arguments,
                                            const std::string& executable, const WorkOptions& work,
                                            Ui* answerer) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    auto app = std::make_unique<EditorApp>();
    WinUi& ui = app->ui_;
    ui.answerer = answerer;
    app->editor_ = std::make_unique<Editor>(ui);
    Editor& editor = *app->editor_;

    const std::string program_folder =
        utf8(std::filesystem::path(wide(executable)).parent_path().wstring());
    editor.program_folder = program_folder;
    editor.documents.game_path =
        game_path_for(program_folder, arguments.empty() ? std::string() : arguments[0]);
    if (arguments.size() >= 2) {
        editor.command_line_track = arguments[1];
    }

    // The panel, then the editor's set-up (which loads the command-line track).
    if (!ViewWindow::register_class(GetModuleHandleW(nullptr))) {
        ui.message_box("Initialization failed!");
        return nullptr;
    }
    app->panel_ = std::make_unique<Panel>(editor);
    Panel& panel = *app->panel_;
    if (panel.hwnd() == nullptr) {
        ui.message_box("Initialization failed!");
        return nullptr;
    }
    ui.attach_panel(panel.hwnd());
    EditorApp* owner = app.get();
    panel.on_close = [owner] {
        owner->keep_.reset();
        owner->clean_up();
    };
    if (!set_up_editor(editor)) {
        ui.message_box("Initialization failed!");
        return nullptr;
    }

    // The program's icon in the caption and on the taskbar, in the sizes the system asks for.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& [which, metric] :
         {std::pair{ICON_SMALL, SM_CXSMICON}, {ICON_BIG, SM_CXICON}}) {
        const int side = GetSystemMetrics(metric);
        SendMessageW(
            panel.hwnd(), WM_SETICON, which,
            reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(program_icon_resource),
                                                IMAGE_ICON, side, side, LR_SHARED)));
    }
    ViewWindow& view = panel.add_view();
    view.set_cursor(load_editor_cursor(editor.cursor_path));
    ui.attach_view(&view);
    ShowWindow(panel.hwnd(), SW_SHOW);
    SetForegroundWindow(panel.hwnd());
    initialise_panel(editor);
    ui.set_window_title(title_text(editor.names.current_file_name));
    UpdateWindow(panel.hwnd());

    const std::vector<ACCEL> keys = accelerator_entries();
    app->accelerators_ = CreateAcceleratorTableW(const_cast<ACCEL*>(keys.data()), int(keys.size()));

    // Recovery copies: this editor's place in the folder, then the copies of editors that
    // are gone, then the timer that writes this one's.
    if (!work.recovery_folder.empty()) {
        if (work.autosave_seconds > 0) {
            start_recovery(editor, work.recovery_folder);
        }
        offer_recovery(editor, work.recovery_folder);
    }
    app->keep_ = std::make_unique<KeepWork>(
        editor, ui, panel.hwnd(), work.recovery_folder.empty() ? 0 : work.autosave_seconds);
    panel.on_timer = [owner](UINT_PTR timer) {
        if (owner->keep_) {
            owner->keep_->on_timer(timer);
        }
    };
    panel.on_activated = [owner] {
        if (owner->keep_) {
            owner->keep_->on_activated();
        }
    };
    // The file is watched under its new name once the command that renamed it is done.
    ui.on_title_change = [owner] { owner->follow_file_ = true; };
    return app;
}

void EditorApp::handle(MSG& msg) {
    if (repeated_history_key(msg)) {
        return;
    }
    HWND panel = panel_ ? panel_->hwnd() : nullptr;
    // The wheel goes to the window under the pointer, as elsewhere on the desktop, rather
    // than to the control with the keyboard focus (a slider would take it).
    if ((msg.message == WM_MOUSEWHEEL || msg.message == WM_MOUSEHWHEEL) && panel_ &&
        panel_->view() != nullptr) {
        const POINT at{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (WindowFromPoint(at) == panel_->view()->hwnd()) {
            msg.hwnd = panel_->view()->hwnd();
        }
    }
    // Accelerators first, then Tab, Shift+Tab and Enter from the dialog manager. Typed
    // characters stay away from the dialog manager, which would take a letter for the
    // mnemonic of a button and click it: the panel has no keys beyond the accelerators.
    if (panel != nullptr && IsWindow(panel)) {
        if (TranslateAcceleratorW(panel, accelerators_, &msg)) {
            return;
        }
        if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR && IsDialogMessageW(panel, &msg)) {
            return;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int EditorApp::run() {
    for (;;) {
        if (follow_file_ && keep_) {
            follow_file_ = false;
            keep_->follow_current_file();
        }
        HANDLE change = keep_ ? keep_->change_handle() : nullptr;
        const DWORD woke = MsgWaitForMultipleObjectsEx(change ? 1 : 0, change ? &change : nullptr,
                                                       INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (change != nullptr && woke == WAIT_OBJECT_0) {
            keep_->on_change();
            continue;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return int(msg.wParam);
            }
            handle(msg);
        }
    }
}

} // namespace cs
