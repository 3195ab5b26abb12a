#include "editor/changes.h"

#include <filesystem>

#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "editor/recovery.h"
#include "editor/setup.h"

namespace cs {

std::string file_name_of(std::string_view path) {
    // Either separator ends a folder, whatever system the name came from.
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string changes_question(const Editor& editor, DropReason reason) {
    const char* before = reason == DropReason::closing     ? "closing"
                         : reason == DropReason::new_track ? "starting a new track"
                                                           : "opening another track";
    return "Save the changes to " + file_name_of(editor.names.current_file_name) + " before " +
           before + "?";
}

bool confirm_drop_changes(Editor& editor, DropReason reason) {
    if (!unsaved_changes(editor)) {
        return true;
    }
    switch (editor.ui->ask_save_changes(changes_question(editor, reason))) {
    case ChangesAnswer::save:
        return save_track_command(editor);
    case ChangesAnswer::discard:
        return true;
    case ChangesAnswer::cancel:
        break;
    }
    return false;
}

bool close_requested(Editor& editor) {
    if (!confirm_drop_changes(editor, DropReason::closing)) {
        return false;
    }
    remove_recovery_copy(editor);
    return true;
}

void note_file_on_disk(Editor& editor, const std::string& path) {
    editor.documents.disk_stamp = file_stamp(path);
}

void check_file_on_disk(Editor& editor) {
    DocumentState& d = editor.documents;
    if (!d.disk_stamp || editor.gesture.button_down != 0) {
        return;
    }
    const std::string path = editor.names.current_file_name;
    const FileStamp now = file_stamp(path);
    if (now == *d.disk_stamp) {
        return;
    }
    d.disk_stamp = now;
    if (!now.exists) {
        return; // nothing to load; asked again when a file comes back under the name
    }
    if (editor.ui->ask_yes_no(file_name_of(path) +
                              " was changed by another program. Load it again?") &&
        load_track(editor, path)) {
        set_title(editor, path);
        note_file_on_disk(editor, path);
        return;
    }
    // The file no longer holds the track in the editor.
    mark_unsaved(editor);
}

} // namespace cs
