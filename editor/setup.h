// The editor's one-time set-up and its clean-up.
#pragma once

#include "editor/editor.h"

namespace cs {

// Creates the view image and tables, sets the default track and tool state, renders the
// first image and loads the command-line track, if any. False only when the view image
// cannot be created.
bool set_up_editor(Editor& editor);
void clean_up_editor(Editor& editor);

// Loads a track through the reader, then refreshes the panel and the image; reports its
// own failure. Does not touch the title.
bool load_track(Editor& editor, const std::string& path);

} // namespace cs

namespace cs {

// Takes name as the current file name (a made-up one when name is empty) and shows it in
// the window title.
void set_title(Editor& editor, std::string_view name);

} // namespace cs
