// The edit history: every action that changes the track (a gesture from press to release, a
// panel command, a dialog) is one step that can be undone and redone, as many as fit in a
// memory budget. A step keeps only what its action changed: the history compares the track
// with a copy of it as the last step left it (the shadow), looking at the large parts only
// where the editing operations said they wrote (ChangeHints).
//
// The panel's own "Land Undo" and "HMap undo" are left alone: each is an action like any
// other, and undoing a step never touches their snapshots or buttons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "model/track_change.h"

namespace cs {

struct Editor;

struct History {
    std::unique_ptr<Track> shadow; // the track as the last step left it; null before set-up
    ChangeHints hints;             // where the track may differ from the shadow
    std::deque<TrackChange> steps; // oldest first
    std::size_t done = 0;          // steps[0, done) can be undone, steps[done, end) redone
    std::size_t bytes = 0;         // what the steps keep
    std::size_t budget = std::size_t{64} << 20;
    // Positions count steps from the start of the history, dropped ones included, so that
    // the saved state keeps its position while old steps are dropped; -1 when the saved
    // state can no longer be reached.
    std::int64_t first = 0; // the position before steps[0]
    std::int64_t saved = 0;
    // Counts every change of the track the history followed (a step recorded, undone or
    // redone, a fresh start), so that a copy of the track can tell whether it is current.
    std::uint64_t revision = 0;
    bool mark_shown = false; // what the window title's modified mark shows
};

// Allocates the shadow (set-up) and starts an empty history on the track as it is.
void create_history(Editor& editor);
// New, Open and a dropped track: the history starts afresh, the track as saved.
void start_history(Editor& editor);

// Ends the action that just ran: if it changed the track, its change becomes the newest
// step and whatever could be redone is dropped. Nothing happens while a mouse button is down
// (the gesture's step ends at the release). True when a step was added.
bool record_edit(Editor& editor);

// Take back the newest step, or make the next one again: the track, the view (as a full
// redraw shows it) and the panel's delete buttons follow. Nothing happens without a step or
// while a mouse button is down. True when a step was applied.
bool undo_edit(Editor& editor);
bool redo_edit(Editor& editor);

std::size_t undo_steps(const Editor& editor);
std::size_t redo_steps(const Editor& editor);

// A successful save: the track as it is now is what is saved.
void mark_saved(Editor& editor);
// Whether the track differs from what the last open, New or successful save left, as of the
// last finished action.
bool track_modified(const Editor& editor);
// The file no longer holds the track (it was changed by another program, or the track is a
// recovered copy): the track counts as modified until it is saved.
void mark_unsaved(Editor& editor);
// Whether dropping the track now would lose work: what track_modified says once the action
// that just ran is recorded, and in the middle of a gesture whether it changed anything.
bool unsaved_changes(Editor& editor);

// Whether the shadow holds the track's document exactly: true whenever no action is under
// way, unless an operation wrote the track without saying where (tests check it).
bool history_in_step(const Editor& editor);

} // namespace cs
