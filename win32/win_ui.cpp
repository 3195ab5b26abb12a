#include "win32/win_ui.h"

#include <commctrl.h>
#include <commdlg.h>

#include <filesystem>
#include <vector>

#include "editor/launch.h"
#include "resources/control_ids.h"
#include "win32/properties_dialog.h"
#include "win32/text.h"
#include "win32/view_window.h"

namespace cs {

namespace {

constexpr wchar_t caption[] = L"CourseSmith";
// Room for a name past MAX_PATH: the longest path the system's calls take.
constexpr DWORD path_room = 32768;

} // namespace

std::wstring file_dialog_filter(const std::vector<FileFilter>& filters) {
    std::wstring out;
    for (const FileFilter& f : filters) {
        out += wide(f.name);
        out += L'\0';
        out += wide(f.pattern);
        out += L'\0';
    }
    out += L'\0';
    return out;
}

DialogStart file_dialog_start(const std::string& initial_name) {
    // The current folder is named rather than left to the system, which would start in the
    // folder it last showed this program.
    DialogStart start;
    std::error_code ec;
    const std::filesystem::path last = initial_name.empty()
                                           ? std::filesystem::current_path(ec)
                                           : std::filesystem::absolute(wide(initial_name), ec);
    if (ec) {
        return start;
    }
    const std::filesystem::path folder = initial_name.empty() ? last : last.parent_path();
    if (std::filesystem::is_directory(folder, ec)) {
        start.folder = folder.wstring();
    }
    if (!initial_name.empty()) {
        start.name = last.filename().wstring();
    }
    return start;
}

// A message belongs to the modal window that is open (the properties dialog's world-size
// message), otherwise to the panel.
HWND WinUi::owner() const {
    HWND active = GetActiveWindow();
    if (active != nullptr && active != panel_ && IsWindowEnabled(active) &&
        GetWindow(active, GW_OWNER) == panel_) {
        return active;
    }
    return panel_;
}

int WinUi::message(std::string_view text, UINT buttons) {
    const Modal modal(*this);
    return MessageBoxW(owner(), wide(text).c_str(), caption, buttons);
}

void WinUi::message_box(std::string_view text) {
    if (answerer) {
        answerer->message_box(text);
        return;
    }
    message(text, MB_OK);
}

bool WinUi::ask_yes_no(std::string_view text) {
    if (answerer) {
        return answerer->ask_yes_no(text);
    }
    return message(text, MB_YESNO) == IDYES;
}

ChangesAnswer WinUi::ask_save_changes(std::string_view text) {
    if (answerer) {
        return answerer->ask_save_changes(text);
    }
    // Yes saves (the default button), No drops the changes; Cancel, Escape and the close box
    // keep the track.
    switch (message(text, MB_YESNOCANCEL)) {
    case IDYES:
        return ChangesAnswer::save;
    case IDNO:
        return ChangesAnswer::discard;
    default:
        return ChangesAnswer::cancel;
    }
}

std::optional<std::string> WinUi::file_dialog(const FileDialogRequest& request, bool save) {
    const std::wstring filter = file_dialog_filter(request.filters);
    const DialogStart start = file_dialog_start(request.initial_name);
    const std::wstring extension = wide(request.default_extension);
    std::vector<wchar_t> name(path_room, L'\0');
    start.name.copy(name.data(), std::min<std::size_t>(start.name.size(), path_room - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = panel_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = path_room;
    ofn.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (request.path_must_exist) {
        ofn.Flags |= OFN_PATHMUSTEXIST;
    }
    if (request.file_must_exist) {
        ofn.Flags |= OFN_FILEMUSTEXIST;
    }
    if (request.confirm_overwrite) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    }
    const Modal modal(*this);
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) {
        return std::nullopt;
    }
    return utf8(name.data());
}

std::optional<std::string> WinUi::open_file_dialog(const FileDialogRequest& request) {
    return answerer ? answerer->open_file_dialog(request) : file_dialog(request, false);
}

std::optional<std::string> WinUi::save_file_dialog(const FileDialogRequest& request) {
    return answerer ? answerer->save_file_dialog(request) : file_dialog(request, true);
}

void WinUi::set_control_enabled(int id, bool enabled) {
    if (panel_ == nullptr) {
        return;
    }
    EnableWindow(GetDlgItem(panel_, id), enabled);
    // The keyboard focus goes away from every control; a box that reports losing the focus
    // hears of it now.
    if (GetFocus() != nullptr && IsChild(panel_, GetFocus())) {
        SetFocus(panel_);
    }
}

void WinUi::set_check(int id, bool checked) {
    if (panel_ != nullptr) {
        CheckDlgButton(panel_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
}

int WinUi::check_state(int id) {
    return panel_ != nullptr && IsDlgButtonChecked(panel_, id) == BST_CHECKED ? 1 : 0;
}

void WinUi::set_slider(int id, int minimum, int maximum, int position) {
    HWND slider = panel_ ? GetDlgItem(panel_, id) : nullptr;
    if (slider == nullptr) {
        return;
    }
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, maximum);
    // A page is a fifth of the range.
    SendMessageW(slider, TBM_SETPAGESIZE, 0, std::max(1, (maximum - minimum) / 5));
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

int WinUi::slider_position(int id) {
    HWND slider = panel_ ? GetDlgItem(panel_, id) : nullptr;
    return slider ? static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)) : 0;
}

void WinUi::select_object_kind_entry(int position) {
    if (panel_ != nullptr) {
        SendDlgItemMessageW(panel_, id::object_kinds, CB_SETCURSEL, static_cast<WPARAM>(position),
                            0);
    }
}

int WinUi::object_kind_selection() {
    if (panel_ == nullptr) {
        return -1;
    }
    const LRESULT selected = SendDlgItemMessageW(panel_, id::object_kinds, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void WinUi::set_window_title(std::string_view title) {
    title_ = wide(title);
    show_title();
    if (on_title_change) {
        on_title_change();
    }
}

// The modified mark is an asterisk after the title, as the Qt program shows it.
void WinUi::set_modified_mark(bool modified) {
    modified_ = modified;
    show_title();
}

void WinUi::show_title() {
    if (panel_ != nullptr) {
        SetWindowTextW(panel_, (modified_ ? title_ + L"*" : title_).c_str());
    }
}

ClientSize WinUi::view_client_size() {
    return view_ ? view_->client_size() : ClientSize{};
}

void WinUi::set_scroll_bar(ScrollBar bar, const ScrollSettings& settings) {
    if (view_) {
        view_->set_scroll_bar(bar, settings);
    }
}

ScrollSettings WinUi::scroll_bar(ScrollBar bar) {
    return view_ ? view_->scroll_bar(bar) : ScrollSettings{};
}

void WinUi::repaint_view_now() {
    if (view_) {
        view_->repaint_now();
    }
}

void WinUi::capture_mouse() {
    if (view_) {
        view_->capture_mouse();
    }
}

void WinUi::release_mouse() {
    if (view_) {
        view_->release_mouse();
    }
}

std::uint32_t WinUi::tick_count() {
    return GetTickCount();
}

bool WinUi::start_program(const std::string& path) {
    if (answerer) {
        return answerer->start_program(path);
    }
    // The game runs in its own folder, where it finds its data (editor/launch.h).
    const LaunchPlan plan = plan_launch(path, {});
    const std::wstring program = wide(plan.program);
    std::wstring command_line = L"\"" + program + L"\"";
    for (const std::string& argument : plan.arguments) {
        command_line += L" \"" + wide(argument) + L"\"";
    }
    const std::wstring folder = wide(plan.working_directory);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WinUi::run_properties_dialog(PropertiesValues& values,
                                  const std::function<void(const PropertiesValues&)>& on_ok) {
    if (answerer) {
        return answerer->run_properties_dialog(values, on_ok);
    }
    const Modal modal(*this);
    return cs::run_properties_dialog(panel_, values, on_ok);
}

} // namespace cs
