// What the element and driving-line operations work on: the track, the rows and lists they
// tell the edit history about, the view image they draw on, the tool settings they read,
// and the editor around them for what the layers below cannot do (repaint the view, show an
// overlay with its check box, switch a panel button). The editor makes one from its records.
//
// A bundle of references, like Canvas: passing it as const keeps the bundle fixed, not
// what it refers to.
#pragma once

#include "model/tools.h"
#include "model/track.h"
#include "model/track_change.h"
#include "render/canvas.h"

namespace cs {

struct ElementState {
    bool delete_object_mode = false; // while on, a release deletes the nearest object
};

// What an editing operation asks of the editor around it.
class EditHost {
  public:
    // The view's repaint request, throttled unless forced.
    virtual void request_repaint(bool force) = 0;
    // Shows the driving lines, resp. the checkpoints, and checks their box, for the tool
    // that places them.
    virtual void show_ai_line() = 0;
    virtual void show_checkpoints() = 0;
    // A panel button, by control ID: the delete buttons follow their lists.
    virtual void set_control_enabled(int id, bool enabled) = 0;

  protected:
    ~EditHost() = default;
};

struct PlacementEdit {
    Track& track; // the one canvas draws from
    ChangeHints& hints;
    Canvas canvas;
    const ToolState& tools;
    ElementState& elements;
    EditHost& host;
};

} // namespace cs
