// The Windows desktop program's front end, in-process under Wine on an X display: the panel
// built from its template, its controls reaching their commands, the keys through the
// message loop's filters, the properties dialog, the file dialogs' start and the game's
// start folder. Dialogs that would block go to a ScriptedUi.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "editor/editor.h"
#include "editor/mouse.h"
#include "editor/scripted_ui.h"
#include "model/file_io.h"
#include "model/trk_file.h"
#include "render/view.h"
#include "resources/dialog_resource.h"
#include "win32/app.h"
#include "win32/panel.h"
#include "win32/properties_dialog.h"
#include "win32/text.h"

namespace cs {
namespace {

// A started copy of this program writes its working folder here and ends (main below).
constexpr wchar_t folder_probe[] = L"COURSESMITH_FOLDER_PROBE";

std::wstring class_of(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring text_of(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

const wchar_t* class_for(ControlKind kind) {
    switch (kind) {
    case ControlKind::drop_down_list:
        return L"ComboBox";
    case ControlKind::trackbar:
        return L"msctls_trackbar32";
    case ControlKind::static_text:
        return L"Static";
    case ControlKind::edit:
        return L"Edit";
    default:
        return L"Button";
    }
}

class Win32Panel : public ::testing::Test {
  protected:
    void SetUp() override {
        app = EditorApp::start({"coursesmith"}, "C:\\coursesmith\\coursesmith.exe",
                               WorkOptions{0, {}}, &answers);
        ASSERT_TRUE(app);
        panel = app->panel().hwnd();
    }
    // The messages posted so far, through the loop's filters.
    void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            app->handle(msg);
        }
    }
    // A key press with Ctrl (and Shift) held, through the loop's filters; repeated: the
    // key was already down.
    void key(char letter, bool shift, bool repeated = false) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg{panel, WM_KEYDOWN, WPARAM(letter), LPARAM(repeated ? 1 << 30 : 0) | 1, 0, {}};
        app->handle(msg);
        const BYTE none[256] = {};
        SetKeyboardState(const_cast<BYTE*>(none));
    }
    void stroke() {
        dispatch_command(app->editor(), id::tool_tarmac, Notification::clicked);
        view_mouse(app->editor(), ViewMouse::left_down, 100, 100, 0);
        view_mouse(app->editor(), ViewMouse::move, 200, 150, left_held);
        view_mouse(app->editor(), ViewMouse::left_up, 200, 150, 0);
    }
    ScriptedUi answers;
    std::unique_ptr<EditorApp> app;
    HWND panel = nullptr;
};

// Every control of the template, in creation (and Tab) order, with its ID, class, text,
// place, style and enabled state; then the view beside the ">>" button.
TEST_F(Win32Panel, ShowsEveryControlOfTheTemplate) {
    HWND child = GetWindow(panel, GW_CHILD);
    for (const DialogControl& c : panel_template.controls) {
        ASSERT_NE(child, nullptr) << c.text;
        EXPECT_EQ(GetDlgCtrlID(child), c.id) << c.text;
        EXPECT_EQ(class_of(child), class_for(c.kind)) << c.text;
        if (c.kind != ControlKind::drop_down_list) {
            EXPECT_EQ(text_of(child), wide(c.text)) << c.text;
        }
        // The place and the size in pixels, each converted on its own as the dialog
        // manager does.
        RECT want{c.place.x, c.place.y, c.place.width, c.place.height};
        MapDialogRect(panel, &want);
        RECT got{};
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left) << c.text;
        EXPECT_EQ(got.top, want.top) << c.text;
        EXPECT_EQ(got.right - got.left, want.right) << c.text;
        if (c.kind != ControlKind::drop_down_list) { // shown closed: its own height
            EXPECT_EQ(got.bottom - got.top, want.bottom) << c.text;
        }
        const DWORD kept = 0xFFFF | WS_TABSTOP | WS_GROUP | WS_DISABLED;
        EXPECT_EQ(DWORD(GetWindowLongPtrW(child, GWL_STYLE)) & kept, control_style(c) & kept)
            << c.text;
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, !c.has(style::disabled)) << c.text;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    ASSERT_EQ(child, app->panel().view()->hwnd());
    RECT last{};
    GetWindowRect(GetDlgItem(panel, id::rotate_on_10), &last);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&last), 2);
    RECT view{};
    GetWindowRect(child, &view);
    MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&view), 2);
    EXPECT_EQ(view.left, last.right + 4);
    EXPECT_EQ(view.top, 0);
    EXPECT_EQ(view.right - view.left, 512);
    EXPECT_EQ(view.bottom - view.top, 512);
    RECT client{};
    GetClientRect(panel, &client);
    EXPECT_EQ(client.right, last.right + 518);
    EXPECT_EQ(client.bottom, std::max<LONG>(last.bottom + 2, 514));
    EXPECT_EQ(text_of(panel),
              L"Tyrestorm CourseSmith - " + wide(app->editor().names.current_file_name));
    EXPECT_NE(SendMessageW(panel, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(panel, WM_GETICON, ICON_SMALL, 0), 0);
}

// A click on each tool's radio button selects that tool; the check boxes switch what they
// name; the sliders act when let go of.
TEST_F(Win32Panel, ControlsReachTheirCommands) {
    Editor& editor = app->editor();
    for (const DialogControl& c : panel_template.controls) {
        if (c.kind == ControlKind::radio_button) {
            SendMessageW(GetDlgItem(panel, c.id), BM_CLICK, 0, 0);
            EXPECT_EQ(editor.tools.current_tool, c.id - id::first_tool) << c.text;
        }
    }
    const struct {
        int id;
        std::function<bool()> on;
    } boxes[] = {
        {id::show_objects, [&] { return editor.view.show_objects; }},
        {id::show_ai_line, [&] { return editor.view.show_ai_line; }},
        {id::show_checkpoints, [&] { return editor.view.show_checkpoints; }},
        {id::zoom_2x, [&] { return magnification(editor.view) == 2; }},
        {id::delete_object, [&] { return editor.elements.delete_object_mode; }},
    };
    for (const auto& box : boxes) {
        const bool before = box.on();
        SendMessageW(GetDlgItem(panel, box.id), BM_CLICK, 0, 0);
        EXPECT_NE(box.on(), before) << box.id;
    }
    HWND brush = GetDlgItem(panel, id::brush_size);
    SendMessageW(brush, TBM_SETPOS, TRUE, 7);
    NMHDR released{brush, UINT_PTR(id::brush_size), UINT(NM_RELEASEDCAPTURE)};
    SendMessageW(panel, WM_NOTIFY, id::brush_size, reinterpret_cast<LPARAM>(&released));
    EXPECT_EQ(editor.tools.brush_size, 35);
}

// The view shows the renderer's pixels as they are, each as an m x m block, from the first
// image row and column the scroll positions show, at every magnification.
TEST_F(Win32Panel, PaintsTheImageAtEachMagnification) {
    Editor& editor = app->editor();
    stroke(); // something to see besides grass
    ViewWindow& view = *app->panel().view();
    for (const int box : {0, id::zoom_2x, id::zoom_4x}) {
        if (box != 0) {
            SendMessageW(GetDlgItem(panel, box), BM_CLICK, 0, 0);
            view_scroll(editor, ScrollBar::horizontal, ScrollRequest::thumb_position, 70);
            view_scroll(editor, ScrollBar::vertical, ScrollRequest::thumb_position, 130);
        }
        const int m = magnification(editor.view);
        const ClientSize size = view.client_size();
        view.repaint_now();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.width;
        info.bmiHeader.biHeight = -size.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP shot = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, shot);
        HDC window = GetDC(view.hwnd());
        BitBlt(memory, 0, 0, size.width, size.height, window, 0, 0, SRCCOPY);
        ReleaseDC(view.hwnd(), window);
        const int left = scroll_offset(size.width, editor.view.scroll_h, m);
        const int top = scroll_offset(size.height, editor.view.scroll_v, m);
        EXPECT_EQ(left > 0 && top > 0, m > 1);
        long differing = 0;
        for (int y = 0; y < size.height && top + y / m < image_size; ++y) {
            for (int x = 0; x < size.width && left + x / m < image_size; ++x) {
                const Pixel p = editor.renderer.image[(top + y / m) * image_size + left + x / m];
                const auto* q = static_cast<const std::uint8_t*>(bits) + 4 * (y * size.width + x);
                differing += q[0] != p.blue || q[1] != p.green || q[2] != p.red;
            }
        }
        EXPECT_EQ(differing, 0) << "at " << m << "x";
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(shot);
    }
}

// Ctrl+wheel over the view steps the magnification; then the wheel scrolls a line a notch,
// up and down or, tilted, across (a tilt to the right scrolls to the right).
TEST_F(Win32Panel, WheelOverTheViewZoomsAndScrolls) {
    HWND view = app->panel().view()->hwnd();
    POINT corner{0, 0};
    ClientToScreen(view, &corner);
    const LPARAM at = MAKELPARAM(corner.x, corner.y);
    SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), at);
    ASSERT_EQ(magnification(app->editor().view), 2);
    const struct {
        UINT message;
        int delta;
        int across, down; // lines scrolled
    } turns[] = {
        {WM_MOUSEWHEEL, -WHEEL_DELTA, 0, 1},
        {WM_MOUSEHWHEEL, WHEEL_DELTA, 1, 0},
        {WM_MOUSEHWHEEL, -WHEEL_DELTA, -1, 0},
        {WM_MOUSEWHEEL, WHEEL_DELTA, 0, -1},
    };
    for (const auto& t : turns) {
        const int h = app->editor().view.scroll_h;
        const int v = app->editor().view.scroll_v;
        SendMessageW(view, t.message, MAKEWPARAM(0, t.delta), at);
        EXPECT_EQ(app->editor().view.scroll_h - h, t.across * 10) << t.message << " " << t.delta;
        EXPECT_EQ(app->editor().view.scroll_v - v, t.down * 10) << t.message << " " << t.delta;
    }
}

// The accelerator table holds the panel's letters and the history keys; a held key's
// repeats take no step, and a typed letter clicks no button.
TEST_F(Win32Panel, KeysGoThroughTheLoopsFilters) {
    const std::vector<ACCEL> table = accelerator_entries();
    ASSERT_EQ(table.size(), accelerators.size() + history_keys.size());
    for (std::size_t i = 0; i < accelerators.size(); ++i) {
        const BYTE modifier = accelerators[i].modifier == KeyModifier::ctrl ? FCONTROL : FALT;
        EXPECT_EQ(table[i].fVirt, FVIRTKEY | modifier);
        EXPECT_EQ(table[i].key, WORD(accelerators[i].key));
        EXPECT_EQ(table[i].cmd, WORD(accelerators[i].command));
    }
    stroke();
    ASSERT_TRUE(app->editor().history.done > 0);
    const auto done = app->editor().history.done;
    key('Z', false, true);
    EXPECT_EQ(app->editor().history.done, done) << "a repeat took a step";
    key('Z', false);
    EXPECT_EQ(app->editor().history.done, done - 1);
    key('Z', true);
    EXPECT_EQ(app->editor().history.done, done);
    key('Z', false);
    key('Y', false);
    EXPECT_EQ(app->editor().history.done, done);

    SetFocus(GetDlgItem(panel, id::new_track));
    for (char letter : std::string("nosltpa")) {
        PostMessageW(GetFocus(), WM_CHAR, WPARAM(letter), 1);
    }
    pump();
    EXPECT_TRUE(answers.file_requests.empty());
    EXPECT_TRUE(answers.properties_shown.empty());
    EXPECT_TRUE(answers.started_programs.empty());
}

// A file dropped on the window opens; of several, the first.
TEST_F(Win32Panel, OpensADroppedTrack) {
    Track track;
    track.water_level = 77;
    const std::vector<std::uint8_t> bytes = encode_track(track);
    const std::filesystem::path file =
        (std::filesystem::temp_directory_path() / L"dropped \u00e9.trk").lexically_normal();
    ASSERT_TRUE(replace_file(file, bytes));
    const std::wstring names = file.wstring() + L'\0' + L"C:\\other.trk" + L'\0' + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(panel, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(app->editor().track.water_level, 77);
    EXPECT_EQ(text_of(panel), L"Tyrestorm CourseSmith - " + file.wstring());
    std::filesystem::remove(file);
}

// The dialog shows the values it is given and hands back what the user set, with the
// author and comments edits limited to what the track stores.
TEST(Win32Properties, ShowsAndReturnsTheValues) {
    PropertiesValues values{40, 60, -90, 105, 120, false, 78, "Ann", "one\ntwo"};
    static PropertiesValues seen_by_ok;
    static std::wstring shown_rotation, shown_comments;
    static LRESULT author_limit = 0, comments_limit = 0;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = FindWindowW(L"#32770", L"Track properties");
        if (dialog == nullptr) {
            return;
        }
        KillTimer(nullptr, timer);
        shown_rotation = text_of(GetDlgItem(dialog, id::rotation_value));
        shown_comments = text_of(GetDlgItem(dialog, id::comments_edit));
        author_limit = SendDlgItemMessageW(dialog, id::author_edit, EM_GETLIMITTEXT, 0, 0);
        comments_limit = SendDlgItemMessageW(dialog, id::comments_edit, EM_GETLIMITTEXT, 0, 0);
        SendDlgItemMessageW(dialog, id::water_level_slider, TBM_SETPOS, TRUE, 200);
        SendDlgItemMessageW(dialog, id::sf_line_check, BM_CLICK, 0, 0);
        SetDlgItemTextW(dialog, id::author_edit, L"Zoë");
        SetDlgItemTextW(dialog, id::comments_edit, L"a\r\nb");
        SendDlgItemMessageW(dialog, id::ok, BM_CLICK, 0, 0);
    });
    const bool ok =
        run_properties_dialog(nullptr, values, [](const PropertiesValues& v) { seen_by_ok = v; });
    ASSERT_TRUE(ok);
    EXPECT_EQ(shown_rotation, L"-90");
    EXPECT_EQ(shown_comments, L"one\r\ntwo");
    EXPECT_EQ(author_limit, 30);
    EXPECT_EQ(comments_limit, 500);
    const PropertiesValues want{200, 60, -90, 105, 120, true, 78, "Zo\xc3\xab", "a\nb"};
    for (const PropertiesValues& v : {values, seen_by_ok}) {
        EXPECT_EQ(v.water_level, want.water_level);
        EXPECT_EQ(v.rotation, want.rotation);
        EXPECT_EQ(v.sf_line, want.sf_line);
        EXPECT_EQ(v.author, want.author);
        EXPECT_EQ(v.comments, want.comments);
    }
}

// The file dialogs start in the folder of the last name, taken against the current folder;
// their filters are name and pattern pairs.
TEST(Win32FileDialogs, StartWhereTheLastNameLies) {
    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path folder =
        (std::filesystem::temp_directory_path() / L"x").parent_path();
    const struct {
        std::string name;
        std::wstring folder;
        std::wstring shown;
    } cases[] = {
        {"", here.wstring(), L""},
        {"track.trk", here.wstring(), L"track.trk"},
        {utf8((folder / L"t\u00e9.trk").wstring()), folder.wstring(), L"t\u00e9.trk"},
        {utf8((folder / L"missing" / L"a.trk").wstring()), L"", L"a.trk"},
    };
    for (const auto& c : cases) {
        const DialogStart start = file_dialog_start(c.name);
        EXPECT_EQ(std::filesystem::path(start.folder), std::filesystem::path(c.folder)) << c.name;
        EXPECT_EQ(start.name, c.shown) << c.name;
    }
    EXPECT_EQ(file_dialog_filter({{"Tracks (*.trk)", "*.TRK"}, {"All Files", "*.*"}}),
              std::wstring(L"Tracks (*.trk)\0*.TRK\0All Files\0*.*\0\0", 36));
}

// The game starts in its own folder, where it finds its data.
TEST(Win32Launch, StartsTheGameInItsFolder) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / L"coursesmith game \u00e9";
    std::filesystem::create_directories(folder);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::filesystem::copy_file(self, folder / L"Tyrestorm.exe",
                               std::filesystem::copy_options::overwrite_existing);
    const std::filesystem::path report = folder / L"folder.txt";
    SetEnvironmentVariableW(folder_probe, report.c_str());
    WinUi ui;
    const std::filesystem::path cwd = std::filesystem::current_path();
    EXPECT_TRUE(ui.start_program(utf8((folder / L"Tyrestorm.exe").wstring())));
    SetEnvironmentVariableW(folder_probe, nullptr);
    EXPECT_EQ(std::filesystem::current_path(), cwd);
    for (int i = 0; i < 200 && !std::filesystem::exists(report); ++i) {
        Sleep(50);
    }
    Sleep(100);
    std::wifstream in(report);
    std::wstring seen;
    std::getline(in, seen);
    in.close();
    EXPECT_EQ(std::filesystem::path(seen), folder);
    EXPECT_FALSE(ui.start_program(utf8((folder / L"missing.exe").wstring())));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

} // namespace
} // namespace cs

int main(int argc, char** argv) {
    if (const DWORD n = GetEnvironmentVariableW(cs::folder_probe, nullptr, 0); n > 0) {
        std::wstring report(n, L'\0');
        report.resize(GetEnvironmentVariableW(cs::folder_probe, report.data(), n));
        std::wofstream(std::filesystem::path(report)) << std::filesystem::current_path().wstring();
        return 0;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
