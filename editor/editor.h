// The Editor: everything the editor keeps for the life of the process, composed of the
// subsystems' own records. main owns the one Editor; every test makes its own.
#pragma once

#include <string>

#include "editor/commands.h"
#include "editor/history.h"
#include "editor/recovery.h"
#include "editor/ui.h"
#include "interaction/elements.h"
#include "interaction/mouse.h"
#include "model/names.h"
#include "model/track.h"
#include "render/terrain_image.h"
#include "render/view.h"
#include "terrain/tool_state.h"

namespace cs {

struct Editor {
    explicit Editor(Ui& ui_port) : ui(&ui_port) {}
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    Ui* ui;
    Track track;
    Renderer renderer;
    ViewState view;
    ToolState tools;
    UndoState undo;
    Gesture gesture;
    ElementState elements;
    TrackNames names;
    DocumentState documents;
    History history;
    RecoveryState recovery;
    RandomDraw draw = standard_draw; // the source of made-up names
    std::string program_folder;      // where the executable lies
    std::string cursor_path;         // program folder + "coursesmith.cur"
    std::string command_line_track;  // the track named on the command line, if any
};

} // namespace cs
