#include "win32/properties_dialog.h"

#include <commctrl.h>

#include <string>

#include "resources/dialog_resource.h"
#include "resources/templates.h"
#include "win32/accessible.h"
#include "win32/text.h"

namespace cs {

namespace {

// The track keeps 30 bytes of author and 500 of comments, a line break as CR LF. A stored
// byte is one character of the edit (one the track's code page lacks is stored as "?"),
// so the edits' own limits refuse extra typing as the track would; only a character
// beyond the 16-bit range counts two here for its one byte.
constexpr int author_limit = 30;
constexpr int comments_limit = 500;

struct Session {
    PropertiesValues& values;
    const std::function<void(const PropertiesValues&)>& on_ok;
};

std::wstring text_of(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

void show_value(HWND dialog, const PropertySlider& s) {
    const auto position = SendDlgItemMessageW(dialog, s.slider, TBM_GETPOS, 0, 0);
    SetDlgItemInt(dialog, s.value_label, static_cast<UINT>(position), TRUE);
}

void set_up(HWND dialog, const PropertiesValues& values) {
    // Sliders and edits are named by the row's label, which the value label between them
    // would otherwise take the place of.
    std::string_view row_label;
    for (const DialogControl& c : properties_template.controls) {
        if (c.kind == ControlKind::static_text && c.id == no_id) {
            row_label = c.text;
        } else if (c.kind == ControlKind::trackbar || c.kind == ControlKind::edit) {
            name_for_assistive_tools(GetDlgItem(dialog, c.id), row_label);
        }
    }
    PropertiesValues start = values;
    for (const PropertySlider& s : property_sliders) {
        HWND slider = GetDlgItem(dialog, s.slider);
        SendMessageW(slider, TBM_SETRANGEMIN, FALSE, s.minimum);
        SendMessageW(slider, TBM_SETRANGEMAX, FALSE, s.maximum);
        SendMessageW(slider, TBM_SETTICFREQ, WPARAM(s.tick_frequency), 0);
        SendMessageW(slider, TBM_SETPAGESIZE, 0, (s.maximum - s.minimum) / 5);
        SendMessageW(slider, TBM_SETPOS, TRUE, property_value(start, s.property));
        show_value(dialog, s);
    }
    CheckDlgButton(dialog, id::sf_line_check, values.sf_line ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, id::track_length_value, static_cast<UINT>(values.track_length), TRUE);
    SendDlgItemMessageW(dialog, id::author_edit, EM_LIMITTEXT, author_limit, 0);
    SendDlgItemMessageW(dialog, id::comments_edit, EM_LIMITTEXT, comments_limit, 0);
    SetDlgItemTextW(dialog, id::author_edit, wide(values.author).c_str());
    SetDlgItemTextW(dialog, id::comments_edit, with_crlf(wide(values.comments)).c_str());
}

PropertiesValues read(HWND dialog, const PropertiesValues& before) {
    PropertiesValues v = before;
    for (const PropertySlider& s : property_sliders) {
        property_value(v, s.property) =
            static_cast<int>(SendDlgItemMessageW(dialog, s.slider, TBM_GETPOS, 0, 0));
    }
    v.sf_line = IsDlgButtonChecked(dialog, id::sf_line_check) == BST_CHECKED;
    v.author = utf8(text_of(GetDlgItem(dialog, id::author_edit)));
    v.comments = utf8(without_cr(text_of(GetDlgItem(dialog, id::comments_edit))));
    return v;
}

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        set_up(dialog, reinterpret_cast<Session*>(l)->values);
        return TRUE;
    }
    auto* session = reinterpret_cast<Session*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (session == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_HSCROLL:
        for (const PropertySlider& s : property_sliders) {
            if (reinterpret_cast<HWND>(l) == GetDlgItem(dialog, s.slider)) {
                show_value(dialog, s);
            }
        }
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) {
            return FALSE;
        }
        if (LOWORD(w) == id::ok) {
            session->values = read(dialog, session->values);
            if (session->on_ok) {
                session->on_ok(session->values);
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(w) == id::cancel || LOWORD(w) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool run_properties_dialog(HWND owner, PropertiesValues& values,
                           const std::function<void(const PropertiesValues&)>& on_ok) {
    const std::vector<std::uint32_t> resource = dialog_resource(properties_template);
    PropertiesValues edited = values;
    Session session{edited, on_ok};
    const INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(resource.data()), owner,
        procedure, reinterpret_cast<LPARAM>(&session));
    if (result != 1) {
        return false;
    }
    values = edited;
    return true;
}

} // namespace cs
