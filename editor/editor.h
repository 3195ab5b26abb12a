// The Editor: everything the editor keeps for the life of the process, composed of the
// subsystems' own records. main owns the one Editor; every test makes its own.
#pragma once

#include <string>

#include "editor/commands.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/recovery.h"
#include "editor/tool_commands.h"
#include "editor/ui.h"
#include "interaction/placement_edit.h"
#include "model/names.h"
#include "model/tools.h"
#include "model/track.h"
#include "render/canvas.h"
#include "render/terrain_image.h"
#include "render/view.h"
#include "terrain/terrain_edit.h"

namespace cs {

struct Editor;

// What the element operations ask of the editor: its view commands and its Ui's panel.
class EditorHost final : public EditHost {
  public:
    explicit EditorHost(Editor& editor) : editor_(editor) {}
    void request_repaint(bool force) override;
    void show_ai_line() override;
    void show_checkpoints() override;
    void set_control_enabled(int id, bool enabled) override;

  private:
    Editor& editor_;
};

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
    EditorHost host{*this};
};

// The editor's records as the layers below take them.
inline Canvas canvas_of(Editor& editor) {
    return Canvas{editor.track, editor.renderer, editor.view, editor.tools.image_blend};
}
inline TerrainEdit terrain_edit_of(Editor& editor) {
    return TerrainEdit{editor.track, editor.history.hints, canvas_of(editor)};
}
inline PlacementEdit placement_edit_of(Editor& editor) {
    return PlacementEdit{editor.track, editor.history.hints, canvas_of(editor),
                         editor.tools, editor.elements,      editor.host};
}

} // namespace cs
