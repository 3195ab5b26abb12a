#include "editor/commands.h"

#include "editor/editor.h"

namespace cs {

void import_ai_line_command(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}

} // namespace cs
