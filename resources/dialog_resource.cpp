#include "resources/dialog_resource.h"

#include <cstring>
#include <string_view>

namespace cs {

namespace {

// Control styles of the button, static, edit, combo box and trackbar classes.
constexpr std::uint32_t bs_defpushbutton = 0x1, bs_autocheckbox = 0x3, bs_autoradiobutton = 0x9,
                        bs_lefttext = 0x20, bs_pushlike = 0x1000, bs_notify = 0x4000;
constexpr std::uint32_t ss_center = 0x1, ss_right = 0x2;
constexpr std::uint32_t es_multiline = 0x4, es_autohscroll = 0x80, es_wantreturn = 0x1000;
constexpr std::uint32_t cbs_dropdownlist = 0x3;
constexpr std::uint32_t tbs_autoticks = 0x1;
constexpr std::uint16_t fw_normal = 400;
constexpr std::uint8_t default_charset = 1;

// The little-endian bytes of the resource, appended to a byte list.
class ResourceWriter {
  public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void i16(int v) { u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    // A zero-terminated UTF-16 string from UTF-8 text.
    void text(std::string_view utf8) {
        for (std::size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
            for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
                c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            }
            i += static_cast<std::size_t>(length);
            if (c >= 0x10000) {
                c -= 0x10000;
                u16(static_cast<std::uint16_t>(0xD800 + (c >> 10)));
                u16(static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
            } else {
                u16(static_cast<std::uint16_t>(c));
            }
        }
        u16(0);
    }
    void utf16(std::u16string_view text) {
        for (char16_t c : text) {
            u16(c);
        }
        u16(0);
    }
    // Each item starts on a DWORD boundary.
    void align() {
        while (bytes_.size() % 4 != 0) {
            u8(0);
        }
    }
    std::vector<std::uint32_t> words() {
        align();
        std::vector<std::uint32_t> out(bytes_.size() / 4);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::uint32_t>(bytes_[4 * i]) |
                     static_cast<std::uint32_t>(bytes_[4 * i + 1]) << 8 |
                     static_cast<std::uint32_t>(bytes_[4 * i + 2]) << 16 |
                     static_cast<std::uint32_t>(bytes_[4 * i + 3]) << 24;
        }
        return out;
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace

std::uint32_t control_style(const DialogControl& c) {
    using namespace win_style;
    std::uint32_t s = child | visible;
    if (c.has(style::disabled)) {
        s |= disabled;
    }
    switch (c.kind) {
    case ControlKind::push_button:
        return s | tabstop;
    case ControlKind::default_push_button:
        return s | tabstop | bs_defpushbutton;
    case ControlKind::radio_button:
        // Only the group's first button is a Tab stop; arrows move within the group.
        return s | bs_autoradiobutton | (c.has(style::group_start) ? group | tabstop : 0);
    case ControlKind::check_box:
    case ControlKind::push_like_check_box:
        return s | tabstop | bs_autocheckbox |
               (c.kind == ControlKind::push_like_check_box ? bs_pushlike : 0) |
               (c.has(style::text_left) ? bs_lefttext : 0) |
               (c.has(style::reports_focus) ? bs_notify : 0);
    case ControlKind::drop_down_list:
        return s | tabstop | vscroll | cbs_dropdownlist;
    case ControlKind::trackbar:
        return s | tabstop | (c.has(style::auto_ticks) ? tbs_autoticks : 0);
    case ControlKind::static_text:
        return s | (c.has(style::centred) ? ss_center : c.has(style::right_aligned) ? ss_right : 0);
    case ControlKind::edit:
        return s | tabstop | (c.has(style::bordered) ? border : 0) |
               (c.has(style::auto_hscroll) ? es_autohscroll : 0) |
               (c.has(style::multi_line) ? es_multiline : 0) |
               (c.has(style::vscroll) ? vscroll : 0) |
               (c.has(style::want_return) ? es_wantreturn : 0);
    }
    return s;
}

std::uint32_t dialog_style(const DialogTemplate& dialog) {
    using namespace win_style;
    const std::uint32_t s = popup | caption | sysmenu | ds_setfont;
    if (dialog.modal) {
        return s | ds_modalframe | (dialog.centred ? ds_center : 0);
    }
    return s | minimizebox | (dialog.centred ? ds_center : 0);
}

std::vector<std::uint32_t> dialog_resource(const DialogTemplate& dialog) {
    ResourceWriter w;
    w.u16(1);      // dlgVer
    w.u16(0xFFFF); // signature: the extended form
    w.u32(0);      // helpID
    w.u32(0);      // exStyle
    w.u32(dialog_style(dialog));
    w.u16(static_cast<std::uint16_t>(dialog.controls.size()));
    w.i16(0);
    w.i16(0);
    w.i16(dialog.width);
    w.i16(dialog.height);
    w.u16(0); // no menu
    w.u16(0); // the dialog class
    w.text(dialog.caption);
    w.u16(static_cast<std::uint16_t>(dialog.font_points));
    w.u16(fw_normal);
    w.u8(0); // not italic
    w.u8(default_charset);
    w.text(dialog.font);
    for (const DialogControl& c : dialog.controls) {
        w.align();
        w.u32(0); // helpID
        w.u32(0); // exStyle
        w.u32(control_style(c));
        w.i16(c.place.x);
        w.i16(c.place.y);
        w.i16(c.place.width);
        w.i16(c.place.height);
        w.u32(static_cast<std::uint32_t>(c.id)); // -1 for the labels nothing refers to
        switch (c.kind) {
        case ControlKind::static_text:
            w.u16(0xFFFF);
            w.u16(static_class);
            break;
        case ControlKind::edit:
            w.u16(0xFFFF);
            w.u16(edit_class);
            break;
        case ControlKind::drop_down_list:
            w.u16(0xFFFF);
            w.u16(combo_box_class);
            break;
        case ControlKind::trackbar:
            w.utf16(trackbar_class);
            break;
        default:
            w.u16(0xFFFF);
            w.u16(button_class);
            break;
        }
        w.text(c.text);
        w.u16(0); // no creation data
    }
    return w.words();
}

} // namespace cs
