// Names for assistive tools where a control's own text would not say what it does (a
// slider, a list, one of two buttons called "Land").
#pragma once

#include <windows.h>

#include <string_view>

namespace cs {

// Gives control the name screen readers say, "&" mnemonics removed ("&&" kept as "&").
// Does nothing where the system offers no way to (it is not required for the control to
// work).
void name_for_assistive_tools(HWND control, std::string_view label);

} // namespace cs
