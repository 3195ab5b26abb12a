// The dialog templates in the binary form Windows builds dialogs from: read back field by
// field, every control of both templates must come out as its table row says.
#include <gtest/gtest.h>

#include <string>

#include "resources/dialog_resource.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#endif

namespace cs {
namespace {

// Reads the little-endian fields of a resource in order.
struct Reader {
    const std::vector<std::uint32_t>& words;
    std::size_t at = 0; // in bytes
    std::uint8_t byte(std::size_t i) const { return (words[i / 4] >> (8 * (i % 4))) & 0xFF; }
    std::uint16_t u16() {
        const auto v = static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8);
        at += 2;
        return v;
    }
    std::uint32_t u32() { return u16() | static_cast<std::uint32_t>(u16()) << 16; }
    int i16() { return static_cast<std::int16_t>(u16()); }
    std::string text() { // UTF-16 of the ASCII the tables hold
        std::string out;
        for (std::uint16_t c = u16(); c != 0; c = u16()) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return out;
    }
};

TEST(DialogResource, EveryControlOfBothTemplatesReadsBackAsItsRow) {
    for (const DialogTemplate* dialog : {&panel_template, &properties_template}) {
        const std::vector<std::uint32_t> words = dialog_resource(*dialog);
        Reader r{words};
        EXPECT_EQ(r.u16(), 1);
        EXPECT_EQ(r.u16(), 0xFFFF);
        r.at += 8; // help ID, extended style
        EXPECT_EQ(r.u32(), dialog_style(*dialog));
        ASSERT_EQ(r.u16(), dialog->controls.size());
        EXPECT_EQ((DialogRect{r.i16(), r.i16(), r.i16(), r.i16()}),
                  (DialogRect{0, 0, dialog->width, dialog->height}));
        EXPECT_EQ(r.u32(), 0u); // no menu, the dialog class
        EXPECT_EQ(r.text(), dialog->caption);
        EXPECT_EQ(r.u16(), 8);
        r.at += 4; // weight, italic, character set
        EXPECT_EQ(r.text(), "MS Sans Serif");
        for (const DialogControl& c : dialog->controls) {
            SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.id));
            r.at = (r.at + 3) / 4 * 4 + 8; // aligned; help ID, extended style
            EXPECT_EQ(r.u32(), control_style(c));
            EXPECT_EQ((DialogRect{r.i16(), r.i16(), r.i16(), r.i16()}), c.place);
            EXPECT_EQ(static_cast<int>(r.u32()), c.id);
            const std::uint16_t kind = r.u16();
            if (c.kind == ControlKind::trackbar) {
                r.at -= 2;
                EXPECT_EQ(r.text(), "msctls_trackbar32");
            } else {
                EXPECT_EQ(kind, 0xFFFF);
                const std::uint16_t atom = r.u16();
                EXPECT_EQ(atom, c.kind == ControlKind::static_text      ? static_class
                                : c.kind == ControlKind::edit           ? edit_class
                                : c.kind == ControlKind::drop_down_list ? combo_box_class
                                                                        : button_class);
            }
            EXPECT_EQ(r.text(), c.text);
            EXPECT_EQ(r.u16(), 0);
        }
        EXPECT_LE(r.at, words.size() * 4);
        EXPECT_GT(r.at + 4, words.size() * 4);
    }
}

// Styles worked out from the Windows values by hand, for the kinds of the panel.
TEST(DialogResource, StylesOfThePanelsKinds) {
    const auto style_of = [](int id) { return control_style(*find_control(panel_template, id)); };
    EXPECT_EQ(style_of(id::new_track), 0x50010000u);     // child, visible, Tab stop
    EXPECT_EQ(style_of(id::land_undo), 0x58010000u);     // and disabled
    EXPECT_EQ(style_of(id::tool_tarmac), 0x50030009u);   // auto radio, group start
    EXPECT_EQ(style_of(id::tool_tarmac2), 0x50000009u);  // auto radio in the group
    EXPECT_EQ(style_of(id::delete_object), 0x50015003u); // push-like auto check, notify
    EXPECT_EQ(style_of(id::object_kinds), 0x50210003u);  // drop-down list, vertical scroll
    EXPECT_EQ(dialog_style(panel_template), 0x80CA0040u);
    EXPECT_EQ(dialog_style(properties_template), 0x80C808C0u);
}

#ifdef _WIN32
// The values above are the system's own.
static_assert(win_style::popup == WS_POPUP && win_style::child == WS_CHILD &&
              win_style::visible == WS_VISIBLE && win_style::disabled == WS_DISABLED &&
              win_style::caption == WS_CAPTION && win_style::border == WS_BORDER &&
              win_style::vscroll == WS_VSCROLL && win_style::sysmenu == WS_SYSMENU &&
              win_style::group == WS_GROUP && win_style::tabstop == WS_TABSTOP &&
              win_style::minimizebox == WS_MINIMIZEBOX && win_style::ds_setfont == DS_SETFONT &&
              win_style::ds_modalframe == DS_MODALFRAME && win_style::ds_center == DS_CENTER);
static_assert(BS_DEFPUSHBUTTON == 0x1 && BS_AUTOCHECKBOX == 0x3 && BS_AUTORADIOBUTTON == 0x9 &&
              BS_LEFTTEXT == 0x20 && BS_PUSHLIKE == 0x1000 && BS_NOTIFY == 0x4000 &&
              SS_CENTER == 0x1 && SS_RIGHT == 0x2 && ES_MULTILINE == 0x4 &&
              ES_AUTOHSCROLL == 0x80 && ES_WANTRETURN == 0x1000 && CBS_DROPDOWNLIST == 0x3 &&
              TBS_AUTOTICKS == 0x1);
#endif

} // namespace
} // namespace cs
