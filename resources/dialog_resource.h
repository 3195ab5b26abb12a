// A dialog template in the binary form Windows builds a dialog from (DLGTEMPLATEEX with its
// DLGITEMTEMPLATEEX items, as CreateDialogIndirectParamW and DialogBoxIndirectParamW take
// it), made from the same tables the Qt panel is built from, so that both front ends show
// the same controls with the same IDs, labels, places, styles and Tab order.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/templates.h"

namespace cs {

// Window and control styles of the resource form, as Windows defines them.
namespace win_style {
inline constexpr std::uint32_t popup = 0x80000000, child = 0x40000000, visible = 0x10000000,
                               disabled = 0x08000000, caption = 0x00C00000, border = 0x00800000,
                               vscroll = 0x00200000, sysmenu = 0x00080000, group = 0x00020000,
                               tabstop = 0x00010000, minimizebox = 0x00020000;
inline constexpr std::uint32_t ds_setfont = 0x40, ds_modalframe = 0x80, ds_center = 0x800;
} // namespace win_style

// The predefined window classes a control of a resource names by atom; the trackbar is
// named by its class name.
inline constexpr std::uint16_t button_class = 0x0080, edit_class = 0x0081, static_class = 0x0082,
                               combo_box_class = 0x0085;
inline constexpr char16_t trackbar_class[] = u"msctls_trackbar32";

// The style a control of the table is created with.
std::uint32_t control_style(const DialogControl& control);
// The dialog's own style: a modeless tool window with a caption, system menu and minimise
// box, or a modal frame (centred when the table says so); both with the table's font.
std::uint32_t dialog_style(const DialogTemplate& dialog);

// The template's bytes, to be kept in a DWORD-aligned buffer (a vector of 32-bit words
// keeps them so).
std::vector<std::uint32_t> dialog_resource(const DialogTemplate& dialog);

} // namespace cs
