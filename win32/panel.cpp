#include "win32/panel.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "editor/changes.h"
#include "editor/commands.h"
#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/view_input.h"
#include "resources/dialog_resource.h"
#include "resources/templates.h"
#include "win32/accessible.h"
#include "win32/text.h"

namespace cs {

namespace {

constexpr int view_size = 512;
constexpr UINT relayout_message = WM_APP + 1;

// What the panel's controls report, as the dispatch knows it; nothing for the rest (the
// dialog manager's OK and Cancel, edits, focus changes of controls that do not report them).
std::optional<Notification> notification_of(const DialogControl& c, int code) {
    switch (c.kind) {
    case ControlKind::drop_down_list:
        if (code == CBN_SELCHANGE) {
            return Notification::selection_changed;
        }
        return std::nullopt;
    case ControlKind::push_button:
    case ControlKind::default_push_button:
    case ControlKind::push_like_check_box:
    case ControlKind::radio_button:
    case ControlKind::check_box:
        if (code == BN_CLICKED) {
            return Notification::clicked;
        }
        if (c.has(style::reports_focus) && code == BN_SETFOCUS) {
            return Notification::set_focus;
        }
        if (c.has(style::reports_focus) && code == BN_KILLFOCUS) {
            return Notification::kill_focus;
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace

std::vector<ACCEL> accelerator_entries() {
    std::vector<ACCEL> table;
    for (const Accelerator& a : accelerators) {
        const BYTE modifier = a.modifier == KeyModifier::ctrl ? FCONTROL : FALT;
        table.push_back({BYTE(FVIRTKEY | modifier), WORD(a.key), WORD(a.command)});
    }
    for (const HistoryKey& k : history_keys) {
        const BYTE shift = k.shift ? FSHIFT : 0;
        table.push_back({BYTE(FVIRTKEY | FCONTROL | shift), WORD(k.key),
                         k.step == HistoryStep::undo ? undo_command : redo_command});
    }
    return table;
}

Panel::Panel(Editor& editor) : editor_(editor) {
    const std::vector<std::uint32_t> resource = dialog_resource(panel_template);
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                               reinterpret_cast<LPCDLGTEMPLATEW>(resource.data()), nullptr,
                               procedure, reinterpret_cast<LPARAM>(this));
    if (hwnd_ == nullptr) {
        return;
    }
    HWND list = control(id::object_kinds);
    for (const ObjectKindEntry& entry : object_kind_list) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry.name).c_str()));
    }
    for (const DialogControl& c : panel_template.controls) {
        if (!c.spoken_name.empty()) {
            name_for_assistive_tools(control(c.id), c.spoken_name);
        }
    }
    DragAcceptFiles(hwnd_, TRUE);
}

Panel::~Panel() {
    view_.reset();
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

ViewWindow& Panel::add_view() {
    lay_out();
    view_ = std::make_unique<ViewWindow>(editor_, hwnd_, view_left_, 0, view_size);
    return *view_;
}

void Panel::lay_out() {
    RECT last{};
    GetWindowRect(control(id::rotate_on_10), &last);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&last), 2);
    view_left_ = last.right + 4;
    RECT frame{0, 0, last.right + view_size + 6, std::max<LONG>(last.bottom + 2, view_size + 2)};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (view_ && view_->hwnd() != nullptr) {
        SetWindowPos(view_->hwnd(), nullptr, view_left_, 0, view_size, view_size,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

INT_PTR CALLBACK Panel::procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Panel*>(l);
        self->hwnd_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        return TRUE;
    }
    auto* self = reinterpret_cast<Panel*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self != nullptr ? self->handle(message, w, l) : FALSE;
}

INT_PTR Panel::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return TRUE;
    case WM_HSCROLL:
        // A slider moved; it acts only once the user lets go of it (WM_NOTIFY below).
        if (l != 0 && GetParent(reinterpret_cast<HWND>(l)) == hwnd_) {
            slider_notification(editor_, GetDlgCtrlID(reinterpret_cast<HWND>(l)),
                                SliderEvent::moved);
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(l);
        if (header->code == NM_RELEASEDCAPTURE) {
            slider_notification(editor_, int(header->idFrom), SliderEvent::released_capture);
        }
        return FALSE;
    }
    case WM_MOUSEMOVE:
        // MK_LBUTTON, MK_RBUTTON, MK_SHIFT and MK_CONTROL are the editor's own key bits.
        panel_mouse_move(editor_, GET_X_LPARAM(l), GET_Y_LPARAM(l), view_left_,
                         int(w & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL)));
        return TRUE;
    case WM_DROPFILES:
        drop(reinterpret_cast<HDROP>(w));
        return TRUE;
    case WM_TIMER:
        if (on_timer) {
            on_timer(w);
        }
        return TRUE;
    case WM_ACTIVATEAPP:
        if (w && on_activated) {
            on_activated();
        }
        return FALSE;
    case WM_CLOSE:
        // A modified track is not dropped without the question; Cancel keeps the window.
        if (close_requested(editor_)) {
            if (on_close) {
                on_close();
            }
            DestroyWindow(hwnd_);
            // The user closed the editor: the message loop ends (a panel destroyed by its
            // owner ends nothing).
            PostQuitMessage(0);
        }
        return TRUE;
    case WM_DESTROY:
        hwnd_ = nullptr;
        return TRUE;
    case WM_DPICHANGED:
        // The dialog manager scales the template's controls to the new density; the view,
        // which keeps its 512 pixels, is placed beside them again once it has.
        PostMessageW(hwnd_, relayout_message, 0, 0);
        return FALSE;
    case relayout_message:
        lay_out();
        return TRUE;
    default:
        return FALSE;
    }
}

void Panel::command(int id, int code, HWND from) {
    if (from == nullptr) {
        // A menu or an accelerator (code 1); the panel has no menu.
        if (code != 1) {
            return;
        }
        if (id == undo_command || id == redo_command) {
            take_history_step(editor_, id == undo_command ? HistoryStep::undo : HistoryStep::redo);
        } else {
            dispatch_command(editor_, id, Notification::clicked);
        }
        return;
    }
    const DialogControl* c = find_control(panel_template, id);
    if (c == nullptr) {
        return;
    }
    if (const std::optional<Notification> n = notification_of(*c, code)) {
        dispatch_command(editor_, id, *n);
    }
}

void Panel::drop(HDROP files) {
    // Only the first dropped file is loaded.
    std::wstring name;
    if (DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0) > 0) {
        name.resize(DragQueryFileW(files, 0, nullptr, 0) + 1);
        name.resize(DragQueryFileW(files, 0, name.data(), UINT(name.size())));
    }
    DragFinish(files);
    if (!name.empty()) {
        drop_track(editor_, utf8(name));
    }
}

} // namespace cs
