// The modal "Track properties" dialog, built from its template: sliders with live value
// labels, the S/F line box, and the author and comments edits, which hold no more than the
// track stores.
#pragma once

#include <windows.h>

#include <functional>

#include "editor/ui.h"

namespace cs {

// Runs the dialog over owner, starting from values. On OK, values takes what the user set
// and on_ok runs while the dialog is still open; then the dialog closes and the result is
// true.
bool run_properties_dialog(HWND owner, PropertiesValues& values,
                           const std::function<void(const PropertiesValues&)>& on_ok);

} // namespace cs
