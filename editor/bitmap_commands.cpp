#include "editor/commands.h"

#include "editor/editor.h"

namespace cs {

void import_land_command(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}
void import_heights_command(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}
void export_land_command(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}
void export_heights_command(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}

} // namespace cs
