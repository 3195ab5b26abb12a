#include "editor/commands.h"

#include "editor/editor.h"

namespace cs {

namespace {

// Commands whose flows are still being built say so instead of doing nothing.
void not_available(Editor& editor) {
    editor.ui->message_box("Not available yet.");
}

} // namespace

void new_track_command(Editor& editor) {
    not_available(editor);
}
void open_track_command(Editor& editor) {
    not_available(editor);
}
void save_track_command(Editor& editor) {
    not_available(editor);
}
void track_properties_command(Editor& editor) {
    not_available(editor);
}
void launch_game_command(Editor& editor) {
    not_available(editor);
}

} // namespace cs
