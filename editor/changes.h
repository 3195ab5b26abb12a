// Never dropping a user's work unasked: the question before a modified track is replaced or
// the editor closes, and the question when another program changes the open file.
#pragma once

#include <string>
#include <string_view>

namespace cs {

struct Editor;

// What would drop the track.
enum class DropReason { closing, new_track, opening };

// A file name without its folder, as the questions name the track.
std::string file_name_of(std::string_view path);

// "Save the changes to NAME before closing?" and its kin.
std::string changes_question(const Editor& editor, DropReason reason);

// Whether the track may be dropped: at once when it is unmodified; otherwise the question
// decides: Save runs the Save flow and gives true only when it wrote the file, Discard gives
// true, Cancel false.
bool confirm_drop_changes(Editor& editor, DropReason reason);

// The window's close box: true when the editor may close. Saved or discarded, the recovery
// copy goes with the track.
bool close_requested(Editor& editor);

// Looks at the open file: when another program changed or replaced it since the editor
// last read or wrote it, asks "NAME was changed by another program. Load it again?". Yes
// loads it as Load does; No keeps the track and marks it modified. Asks once per change;
// nothing during a gesture (it is looked at again later).
void check_file_on_disk(Editor& editor);
// The open file is the one at path as it is now (after a load or a save).
void note_file_on_disk(Editor& editor, const std::string& path);

} // namespace cs
