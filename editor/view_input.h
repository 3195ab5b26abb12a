// Input both desktop front ends take the same way: the wheel over the view (scrolling at 2x
// and 4x, Ctrl+wheel stepping the magnification) and the edit history's keys. Each front
// end turns its own events into these and carries out nothing but the painting.
#pragma once

#include <array>
#include <functional>

#include "editor/ui.h"

namespace cs {

struct Editor;

// Wheel turns, in eighths of a degree (120 to a notch), gathered into whole notches: adds
// delta to remainder and returns the notches completed (the sign of delta), keeping the
// rest. A turn the other way starts from nothing, so a trackpad's small steps back and
// forth never add up to a notch the user did not make.
int wheel_notches(int& remainder, int delta);

// Wheel turns not yet a whole notch: across, up and down, and with Ctrl held.
struct WheelTurns {
    int across = 0;
    int down = 0;
    int zoom = 0;
};

// One wheel event over the view's picture. Positive delta_y is a turn away from the user
// (up), positive delta_x a turn to the right; x and y are client coordinates.
struct WheelInput {
    int delta_x = 0;
    int delta_y = 0;
    bool ctrl = false;
    bool shift = false;
    bool button_held = false;
    int x = 0;
    int y = 0;
};

// Ctrl+wheel steps the magnification (1x, 2x, 4x), keeping the map point under the pointer
// where the bars allow; at 2x and 4x the wheel scrolls one line per notch, up and down or,
// with Shift or a sideways wheel, across. While a button is held the wheel does nothing, so
// that a gesture's map positions do not jump under the pointer. hold_painting(true) and
// (false) bracket a magnification step, which the caller paints once at the end. False when
// the view has no use for the event.
bool view_wheel(Editor& editor, WheelTurns& turns, const WheelInput& input,
                const std::function<void(bool hold)>& hold_painting);

// The edit history's keys, all with Ctrl: Ctrl+Z takes the newest step back, Ctrl+Y and
// Ctrl+Shift+Z make the next one again.
enum class HistoryStep { none, undo, redo };
struct HistoryKey {
    char key = 0;
    bool shift = false;
    HistoryStep step = HistoryStep::none;
};
inline constexpr auto history_keys = std::to_array<HistoryKey>({
    {'Z', false, HistoryStep::undo},
    {'Y', false, HistoryStep::redo},
    {'Z', true, HistoryStep::redo},
});

// The step of a letter key (upper case) with the modifiers held; none for any other key.
HistoryStep history_step(char key, bool ctrl, bool shift, bool alt);

// Takes the step (the history refuses it during a gesture); false when nothing changed.
bool take_history_step(Editor& editor, HistoryStep step);

} // namespace cs
