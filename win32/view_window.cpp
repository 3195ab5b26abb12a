#include "win32/view_window.h"

#include <windowsx.h>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/view_commands.h"
#include "render/view.h"

namespace cs {

namespace {

constexpr wchar_t class_name[] = L"CourseSmithView";

// What the left and right buttons held mean to the move handler (the same bits as MK_*).
int key_state_of(WPARAM w) {
    int state = 0;
    if (w & MK_LBUTTON) {
        state |= left_held;
    }
    if (w & MK_RBUTTON) {
        state |= right_held;
    }
    return state;
}

ScrollRequest request_of(WPARAM w) {
    switch (LOWORD(w)) {
    case SB_LINEUP:
        return ScrollRequest::line_up;
    case SB_LINEDOWN:
        return ScrollRequest::line_down;
    case SB_PAGEUP:
        return ScrollRequest::page_up;
    case SB_PAGEDOWN:
        return ScrollRequest::page_down;
    case SB_THUMBTRACK:
        return ScrollRequest::thumb_track;
    case SB_THUMBPOSITION:
        return ScrollRequest::thumb_position;
    default:
        return ScrollRequest::other;
    }
}

int bar_of(ScrollBar bar) {
    return bar == ScrollBar::horizontal ? SB_HORZ : SB_VERT;
}

} // namespace

bool ViewWindow::register_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: a double click is a second press, as the view has no double-click
    // meaning. No background brush: every paint covers its whole update rectangle.
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = class_name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

ViewWindow::ViewWindow(Editor& editor, HWND parent, int x, int y, int size) : editor_(editor) {
    cursor_ = LoadCursorW(nullptr, IDC_CROSS);
    CreateWindowExW(0, class_name, L"Track view",
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, x, y, size,
                    size, parent, nullptr, GetModuleHandleW(nullptr), this);
    ShowScrollBar(hwnd_, SB_BOTH, FALSE);
}

ViewWindow::~ViewWindow() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
}

LRESULT CALLBACK ViewWindow::procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ViewWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ViewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, w, l);
    }
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    return self->handle(message, w, l);
}

LRESULT ViewWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        mouse(message, w, l);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse in the middle of a gesture: it ends as a release
        // where the pointer was last seen would end it.
        if (!releasing_ && editor_.gesture.button_down != 0) {
            view_mouse(editor_, release_, last_x_, last_y_, 0);
        }
        return 0;
    case WM_HSCROLL:
        scroll(ScrollBar::horizontal, w);
        return 0;
    case WM_VSCROLL:
        scroll(ScrollBar::vertical, w);
        return 0;
    case WM_MOUSEWHEEL:
        if (wheel(0, GET_WHEEL_DELTA_WPARAM(w), w, l)) {
            return 0;
        }
        break;
    case WM_MOUSEHWHEEL:
        // A turn to the right is positive here; the editor counts one to the left as positive.
        if (wheel(-GET_WHEEL_DELTA_WPARAM(w), 0, w, l)) {
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(l) == HTCLIENT) {
            SetCursor(cursor_);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

void ViewWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const RECT& r = ps.rcPaint;
    const PaintCopy copy = paint_view(editor_, Rect{r.left, r.top, r.right, r.bottom});
    if (copy.paint) {
        // The rows of the source from its top, as a top-down bitmap of their own, so that
        // the source's first row is the bitmap's first whatever the call makes of origins.
        const int width = copy.source.right - copy.source.left;
        const int height = copy.source.bottom - copy.source.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = image_size;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        const Pixel* rows =
            editor_.renderer.image.get() + std::size_t(copy.source.top) * image_size;
        const int target_width = copy.target.right - copy.target.left;
        const int target_height = copy.target.bottom - copy.target.top;
        if (magnification(editor_.view) == 1) {
            SetDIBitsToDevice(dc, copy.target.left, copy.target.top, DWORD(width), DWORD(height),
                              copy.source.left, 0, 0, UINT(height), rows, &info, DIB_RGB_COLORS);
        } else {
            // Whole pixels repeated, never blended: the screen shows the renderer's bits.
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchDIBits(dc, copy.target.left, copy.target.top, target_width, target_height,
                          copy.source.left, 0, width, height, rows, &info, DIB_RGB_COLORS, SRCCOPY);
        }
        ExcludeClipRect(dc, copy.target.left, copy.target.top, copy.target.right,
                        copy.target.bottom);
    }
    // What shows no image pixel (before set-up, or past the image's edge) is black.
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(hwnd_, &ps);
}

void ViewWindow::mouse(UINT message, WPARAM w, LPARAM l) {
    const int x = GET_X_LPARAM(l);
    const int y = GET_Y_LPARAM(l);
    last_x_ = x;
    last_y_ = y;
    switch (message) {
    case WM_MOUSEMOVE:
        view_mouse(editor_, ViewMouse::move, x, y, key_state_of(w));
        break;
    case WM_LBUTTONDOWN:
        release_ = ViewMouse::left_up;
        view_mouse(editor_, ViewMouse::left_down, x, y, 0);
        break;
    case WM_LBUTTONUP:
        view_mouse(editor_, ViewMouse::left_up, x, y, 0);
        break;
    case WM_RBUTTONDOWN:
        release_ = ViewMouse::right_up;
        view_mouse(editor_, ViewMouse::right_down, x, y, 0);
        break;
    case WM_RBUTTONUP:
        view_mouse(editor_, ViewMouse::right_up, x, y, 0);
        break;
    default:
        break;
    }
}

void ViewWindow::scroll(ScrollBar bar, WPARAM w) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(hwnd_, bar_of(bar), &info);
    // The 32-bit track position rather than the message's 16 bits.
    view_scroll(editor_, bar, request_of(w), info.nTrackPos);
}

bool ViewWindow::wheel(int delta_x, int delta_y, WPARAM w, LPARAM l) {
    POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; // on the screen
    ScreenToClient(hwnd_, &at);
    const WORD keys = GET_KEYSTATE_WPARAM(w);
    const WheelInput input{delta_x,
                           delta_y,
                           (keys & MK_CONTROL) != 0,
                           (keys & MK_SHIFT) != 0,
                           (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0,
                           int(at.x),
                           int(at.y)};
    return view_wheel(editor_, turns_, input, [this](bool hold) {
        painting_held_ = hold;
        if (!hold) {
            repaint_now();
        }
    });
}

ClientSize ViewWindow::client_size() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return {int(r.right - r.left), int(r.bottom - r.top)};
}

void ViewWindow::set_scroll_bar(ScrollBar bar, const ScrollSettings& s) {
    (bar == ScrollBar::horizontal ? horizontal_ : vertical_) = s;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | (s.show_disabled ? SIF_DISABLENOSCROLL : 0);
    info.nMin = s.minimum;
    info.nMax = s.maximum;
    info.nPage = UINT(std::max(s.page, 0));
    info.nPos = s.position;
    SetScrollInfo(hwnd_, bar_of(bar), &info, TRUE);
}

ScrollSettings ViewWindow::scroll_bar(ScrollBar bar) const {
    return bar == ScrollBar::horizontal ? horizontal_ : vertical_;
}

void ViewWindow::repaint_now() {
    if (hwnd_ != nullptr && !painting_held_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
        UpdateWindow(hwnd_);
    }
}

void ViewWindow::capture_mouse() {
    SetCapture(hwnd_);
}

void ViewWindow::release_mouse() {
    releasing_ = true;
    if (GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    releasing_ = false;
}

} // namespace cs
