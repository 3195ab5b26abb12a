// The view's panel commands and the redraws the editor asks for: the overlays shown, the
// magnification with its scroll bars, the repaint and the full redraw, and the paint
// message's copy.
#pragma once

#include "render/view.h"

namespace cs {

struct Editor;

void show_ai_line(Editor& editor, bool on, bool update_box);
void show_objects(Editor& editor, bool on, bool update_box);
void show_checkpoints(Editor& editor, bool on, bool update_box);
void set_zoom_2x(Editor& editor, bool on, bool update_box);
void set_zoom_4x(Editor& editor, bool on, bool update_box);

// request_repaint on the editor's view and window.
void request_repaint(Editor& editor, bool force);

// The full redraw after a change that touches the whole track: every pixel, the overlays,
// then an unforced repaint.
void full_redraw(Editor& editor);

// The copy for the view's paint message: paint_geometry with the view's client size,
// scroll positions and magnification; nothing while the image does not exist.
PaintCopy paint_view(Editor& editor, Rect update);

} // namespace cs
