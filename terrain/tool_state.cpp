#include "terrain/tool_state.h"

#include "editor/editor.h"

namespace cs {

void set_image_blend(Editor& editor, int position) {
    editor.tools.image_blend = position;
    full_redraw(editor);
}

} // namespace cs
