// What must hold in the editor after every step of any session, whatever came before.
#pragma once

#include "editor/editor.h"
#include "editor/scripted_ui.h"

namespace cs::fuzz {

// Counts within their lists' capacities, every land cell a surface kind 0..15, the two
// undo buttons enabled exactly while their snapshots are held and the four delete buttons
// enabled exactly while their lists hold something, and, outside a gesture, every change
// recorded in the edit history. ("Delete object" is left out: placing
// and deleting objects keep its state on purpose, only a load sets it.) Aborts with the
// broken condition.
void check_editor(const Editor& editor, const ScriptedUi& ui);

// The same image in two editors (one drawing its overlays with the pass that repairs only
// what changed, one with the literal pass) after the same steps.
void check_same_image(const Editor& editor, const Editor& twin);

// At rest, the view image equals what a full redraw with the literal pass gives for the
// same track. The pending object and pit hang on the pointer and are no part of the track,
// so they are wiped first the way the editor wipes them (erase, then the overlay pass);
// nothing is checked in the middle of a gesture. The editor is left at rest.
void check_image_at_rest(Editor& editor);

} // namespace cs::fuzz
