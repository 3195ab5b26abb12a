// The overlay pass that repairs only what changed, against the literal pass (recompute, then
// every overlay): two editors take the same seeded random session through the panel, the
// mouse handlers and the file dialogs, one with each pass, and their images must agree bit
// for bit after every step.
//
// COURSESMITH_DIFF_STEPS sets the number of steps on random tracks (the heavy track takes a
// twentieth of them), COURSESMITH_DIFF_SEED the first session's seed, so that a failure can
// be replayed from the seed it reports, and COURSESMITH_DIFF_HEAVY_STRIDE how much of the
// heavy track is kept (every n-th object and AI line point; 1 keeps it whole).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "editor/view_commands.h"
#include "render/overlay.h"
#include "tests/session.h"

namespace cs {
namespace {

using namespace test_support;

// --- Sessions --------------------------------------------------------------------------------

struct OverlayDifferential : SessionTest {
    std::vector<Action> script; // when not empty, what every session does first

    // Both editors take the same actions; the images must agree after every one.
    bool run_session(std::uint32_t seed, int steps, bool heavy) override {
        Side literal(true), repairing(false);
        ActionStream session = script.empty() ? ActionStream(seed, *literal.editor, heavy)
                                              : ActionStream(seed, *literal.editor, script);
        for (int step = 0; step < steps; ++step) {
            const Action x = session.next();
            prepare(x);
            literal.apply(x, dir);
            repairing.apply(x, dir);
            const Pixel* want = literal.editor->renderer.image.get();
            const Pixel* got = repairing.editor->renderer.image.get();
            if (std::memcmp(want, got, sizeof(Pixel) * image_size * image_size) == 0) {
                continue;
            }
            int first = 0;
            while (want[first] == got[first]) {
                ++first;
            }
            ADD_FAILURE() << "seed " << seed << ", step " << step << ": pixel ("
                          << first % image_size << ", " << first / image_size << ") is #"
                          << std::hex << rgb_of(want[first]) << " in the literal pass, #"
                          << rgb_of(got[first]) << std::dec << " in the repairing one.\n"
                          << replay_note(seed, heavy, session.actions);
            return false;
        }
        return true;
    }
};

constexpr int default_steps = 2000;

TEST_F(OverlayDifferential, RandomSessionsOnRandomTracks) {
    const int steps = env_int("COURSESMITH_DIFF_STEPS", default_steps);
    run_sessions(steps, 500, false,
                 static_cast<std::uint32_t>(env_int("COURSESMITH_DIFF_SEED", 1)));
}

// Every overlay step redraws the whole heavy track in the literal pass, so this session is
// short and, unless told otherwise, on a thinned-out heavy track.
TEST_F(OverlayDifferential, RandomSessionsOnTheHeavyTrack) {
    const int steps = env_int("COURSESMITH_DIFF_STEPS", default_steps) / 20;
    run_sessions(steps, 100, true, static_cast<std::uint32_t>(env_int("COURSESMITH_DIFF_SEED", 1)));
}

// Start positions and piles of objects put down, and objects deleted, where the two halves
// of the heavy track meet: the rebuild draws the halves apart, and what it indexed must
// serve the repairs across the seam.
TEST_F(OverlayDifferential, PilesWhereTheHalvesOfTheHeavyTrackMeet) {
    script = {{Action::load, 3}};
    const auto put_down = [&](int kind, int x, int y) {
        script.push_back({Action::kind, kind});
        script.push_back({Action::mouse, static_cast<int>(ViewMouse::move), x, y});
        script.push_back({Action::mouse, static_cast<int>(ViewMouse::left_down), x, y});
        script.push_back({Action::mouse, static_cast<int>(ViewMouse::left_up), x, y});
    };
    for (int i = 0; i < 4; ++i) {
        put_down(0, 200 + 40 * i, 250 + 4 * i); // start positions (list entry 0)
        put_down(1 + 5 * i, 250 + 4 * i, 258);
    }
    script.push_back({Action::box, id::delete_object, 1});
    for (int i = 0; i < 4; ++i) {
        script.push_back({Action::press, left_button, 252 + 2 * i, 257});
        script.push_back({Action::release, left_button, 252 + 2 * i, 257});
    }
    run_session(1, static_cast<int>(script.size()), false);
}

// Both passes take the same direct changes to the track, each followed by a pass; the images
// must agree at the end.
void expect_same_after(const std::function<void(Editor&, int step)>& change, int steps) {
    Side literal(true), repairing(false);
    for (Side* side : {&literal, &repairing}) {
        Editor& e = *side->editor;
        for (int step = 0; step < steps; ++step) {
            change(e, step);
            if (step == 0) {
                full_redraw(e);
            } else {
                redraw_overlays(canvas_of(e));
            }
        }
    }
    EXPECT_EQ(std::memcmp(literal.editor->renderer.image.get(),
                          repairing.editor->renderer.image.get(),
                          sizeof(Pixel) * image_size * image_size),
              0);
}

// Two segments of the driving line that meet at a point go in one pass: the point's pixel
// is left with no element of the lines' level, and from then on must show what the level
// below shows there, here an object put down on it.
TEST_F(OverlayDifferential, PixelsTheLinesLeaveFollowTheElementsBelow) {
    expect_same_after(
        [](Editor& e, int step) {
            Track& t = e.track;
            if (step == 0) {
                const LinePoint points[] = {
                    {100.0f, 100.0f}, {150.0f, 100.0f}, {200.0f, 100.0f}, {200.0f, 150.0f}};
                std::copy(std::begin(points), std::end(points), t.ai_line.begin());
                t.ai_line_count = 4;
            } else if (step == 1) {
                t.ai_line_count = 2;
            } else {
                t.objects[t.object_count++] = Object{200.0f, 100.0f, 0.0f, palm_tree};
            }
        },
        3);
}

} // namespace
} // namespace cs
