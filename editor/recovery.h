// Recovery copies: while the track is modified, the desktop program keeps a copy of it in
// the user's state folder, so that the work comes back after a crash or a power cut. Each
// running editor holds a lock file of its own there; copies whose editor no longer holds
// its lock are left over, and the next editor to start offers them.
//
// Each editor (a session) keeps three files, named after the session:
//   SESSION.lock  locked for as long as the editor runs
//   SESSION.trk   the copy, written as every save writes a track
//   SESSION.info  the record beside it: the track's file name and the copy's time
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "model/file_lock.h"

namespace cs {

struct Editor;

struct RecoveryState {
    RecoveryState() = default;
    RecoveryState(const RecoveryState&) = delete;
    RecoveryState& operator=(const RecoveryState&) = delete;
    ~RecoveryState(); // waits for a copy being written

    std::filesystem::path folder; // empty: this editor writes no copies
    std::string session;          // this editor's name in the folder
    FileLock lock;
    std::error_code failure; // why the last copy (or the set-up) failed
    bool failure_shown = false;
    bool copy_written = false;         // this session's copy is in the folder
    std::uint64_t copied_revision = 0; // of the track the copy in the folder holds

    // The copy being written on a thread of its own, so that editing goes on meanwhile.
    struct Write {
        std::uint64_t revision = 0; // of the track being written
        std::atomic<bool> done{false};
        bool ok = false;
        std::error_code reason;
    };
    std::thread writer;
    std::unique_ptr<Write> write;
};

// $XDG_STATE_HOME/coursesmith/recovery (~/.local/state/coursesmith/recovery when unset);
// on Windows the local application data folder's coursesmith\recovery.
std::filesystem::path default_recovery_folder();

// Takes this editor's place in folder: creates the folder and locks this session's lock
// file. A failure is kept and shown once, when the first copy is due.
void start_recovery(Editor& editor, const std::filesystem::path& folder);

// The autosave timer's tick: when the track is modified, changed since the last copy and no
// gesture is under way, a copy is written (on a thread; a failure is shown once until a
// copy succeeds again). When the track is no longer modified the copy goes.
void autosave_tick(Editor& editor);
// Waits for a copy being written to finish and takes its result (the next tick reports a
// failure).
void finish_recovery_write(Editor& editor);
// The track was saved or its changes discarded: this session's copy goes.
void remove_recovery_copy(Editor& editor);
// A normal exit: the copy and the lock file go.
void end_recovery(Editor& editor);

// A copy left by an editor that is no longer running.
struct LeftOverCopy {
    std::string session;
    std::string name;      // the track's current file name when the copy was written
    bool has_file = false; // whether that name is a file the track was loaded from or saved to
    std::int64_t time = 0; // seconds since 1970 (UTC)
};
// The left-over copies in folder, newest first; never those of a running editor.
std::vector<LeftOverCopy> left_over_copies(const std::filesystem::path& folder);
// "CourseSmith found unsaved changes to NAME from TIME. Restore them?"
std::string recovery_question(const LeftOverCopy& copy);
// At start-up: asks about each left-over copy in folder, newest first. Yes loads the copy as
// a modified track under its original name (and ends the offers: the others stay for the
// next start); No deletes the copy. True when a copy was restored.
bool offer_recovery(Editor& editor, const std::filesystem::path& folder);

} // namespace cs
