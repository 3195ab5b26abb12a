// Seeded random editing sessions, as the user makes them: tools, gestures, panel buttons,
// sliders, boxes, dialogs, loads, New and the edit history's undo and redo. The differential
// tests drive editors with them and compare the results.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/heavy_track.h"
#include "editor/dispatch.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "model/trk_file.h"
#include "resources/control_ids.h"
#include "tests/temp_dir.h"

namespace cs::test_support {

// std::mt19937 gives the same numbers everywhere; the picks below are plain arithmetic on
// them, so a seed replays the same session on any machine.
struct Rng {
    std::mt19937 engine;
    explicit Rng(std::uint32_t seed) : engine(seed) {}
    int pick(int low, int high) {
        return low + static_cast<int>(engine() % static_cast<std::uint32_t>(high - low + 1));
    }
    bool chance(int percent) { return pick(0, 99) < percent; }
    template <typename T, std::size_t n>
    T one_of(const T (&items)[n]) {
        return items[pick(0, static_cast<int>(n) - 1)];
    }
};

// --- Tracks to load ------------------------------------------------------------------------

// A track with something of everything, some of it over the map's edges or past them.
void random_track(Track& t, std::uint32_t seed);

// The heavy track of the benchmarks with every stride-th object and AI line point; an odd
// stride keeps objects in every column of the map. Stride 1 is the whole track.
void heavy_track(Track& t, int stride);

// --- Actions -------------------------------------------------------------------------------

// One input the user gives; every step of a session is one action.
struct Action {
    enum Kind : std::uint8_t {
        command,    // a: control ID, clicked
        box,        // a: check box ID, b: 1 checked, 0 not
        focus_lost, // the delete-object box loses the focus
        kind,       // a: display position in the object-kind list
        slider,     // a: slider ID, b: position, on release
        mouse,      // a: ViewMouse, (b, c): window position, d: key state
        press,      // a: button, (b, c): map position, straight to the press handler
        release,    // the same for the release handler
        scroll,     // a: ScrollBar, b: ScrollRequest, c: thumb
        load,       // a: 0 cancelled, 1 missing file, 2 random track of seed b, 3 heavy track
        new_track,  // a: 0 cancelled, 1 OK with world size b and water level c
        properties, // the same for the properties button
        undo,       // Ctrl+Z: the edit history's undo
        redo,       // Ctrl+Y: its redo
    };
    Kind what = command;
    int a = 0, b = 0, c = 0, d = 0;
};

// One line per action, with control IDs as in resources/control_ids.h.
std::string describe(const Action& x);

// Produces the gestures of a session (tests/session.cpp).
class Generator;

// --- The two editors -------------------------------------------------------------------------

struct Side {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    explicit Side(bool literal);

    // Gives the editor one action; load actions read their track from dir.
    void apply(const Action& x, const std::filesystem::path& dir);

    // The file a load action reads.
    static std::string track_file(const Action& x);
};

int env_int(const char* name, int fallback);

// The actions of one session, one at a time; a session on the heavy track loads it first.
class ActionStream {
  public:
    ActionStream(std::uint32_t seed, const Editor& editor, bool heavy);
    // A session that takes these actions first, in order.
    ActionStream(std::uint32_t seed, const Editor& editor, const std::vector<Action>& script);
    ~ActionStream();
    Action next();
    std::vector<Action> actions; // so far

  private:
    std::unique_ptr<Generator> generator_;
    std::vector<Action> pending_;
};

// A folder for the tracks the sessions load, removed when the test ends.
struct SessionTest : ::testing::Test {
    TempDir dir{"session"};
    std::unique_ptr<Track> scratch = std::make_unique<Track>();
    int heavy_stride = std::max(1, env_int("COURSESMITH_DIFF_HEAVY_STRIDE", 33));

    // Writes the file a load action reads, before any editor reads it.
    void prepare(const Action& x);

    // One session of `steps` actions from seed, optionally after loading the heavy track;
    // false after the first failure, which it reports with everything needed to replay it.
    virtual bool run_session(std::uint32_t seed, int steps, bool heavy) = 0;

    void run_sessions(int total_steps, int session_steps, bool heavy, std::uint32_t first_seed);

    // The seed, the step and every action of the session so far.
    static std::string replay_note(std::uint32_t seed, bool heavy,
                                   const std::vector<Action>& actions);
};

} // namespace cs::test_support
