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
#include <random>
#include <sstream>
#include <vector>

#include "editor/view_commands.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
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
// must agree after every pass.
void expect_same_after(const std::function<void(Editor&, int step)>& change, int steps) {
    Side literal(true), repairing(false);
    for (int step = 0; step < steps; ++step) {
        for (Side* side : {&literal, &repairing}) {
            Editor& e = *side->editor;
            change(e, step);
            if (step == 0) {
                full_redraw(e);
            } else {
                redraw_overlays(canvas_of(e));
            }
        }
        ASSERT_EQ(std::memcmp(literal.editor->renderer.image.get(),
                              repairing.editor->renderer.image.get(),
                              sizeof(Pixel) * image_size * image_size),
                  0)
            << "after step " << step;
    }
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

// A pile of objects of every kind, across the seam of the rebuild's two bands: the rebuild
// passes over the strokes whose pixels the objects above hide, and must index them all the
// same. Objects from all through the pile move within it, and the objects above are replayed
// over their tiles; then the pile goes from the top, a hundred or so at a time, and what lay
// under shows again.
// A pile of objects of every kind, enough elements for two bands, where they meet.
constexpr int pile = 2500;
constexpr float pile_low = 200.0f, pile_high = 312.0f;
void lay_pile(Track& t) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(pile_low, pile_high), turn(0.0f, 6.3f);
    t.object_count = pile;
    for (int i = 0; i < pile; ++i) {
        t.objects[i] = Object{place(random), place(random), turn(random),
                              static_cast<std::uint8_t>(i % object_kind_count)};
    }
    // Low in the pile, a palm tree whose stem ends one column past its ring, in the first
    // column of a tile (256).
    t.objects[7] = Object{234.5f, 250.5f, 0.0f, palm_tree};
}

TEST_F(OverlayDifferential, ObjectsHiddenAtTheRebuildShowWhenThoseAboveGo) {
    constexpr int moves = 12;
    expect_same_after(
        [](Editor& e, int step) {
            Track& t = e.track;
            std::mt19937 random(static_cast<std::uint32_t>(7 + step));
            std::uniform_real_distribution<float> place(pile_low, pile_high);
            if (step == 0) {
                lay_pile(t);
            } else if (step <= moves) {
                const int i = 7 + 197 * step;
                note_objects_changed(canvas_of(e), i, i);
                t.objects[i].x = place(random);
                t.objects[i].y = place(random);
            } else {
                // Down to the palm tree and the objects under it, each reported as it goes.
                const int keep = std::max(8, t.object_count - pile / 20);
                while (t.object_count > keep) {
                    note_object_removed(canvas_of(e), --t.object_count);
                }
            }
        },
        1 + moves + 20);
}

// Objects taken from the middle of the pile, near its top, as the first changes after a
// rebuild: the boxes and tile lists that their removal needs are made from the rebuild's.
TEST_F(OverlayDifferential, ObjectsTakenOutFirstAfterARebuild) {
    expect_same_after(
        [](Editor& e, int step) {
            Track& t = e.track;
            if (step == 0) {
                lay_pile(t);
                return;
            }
            const int i = t.object_count - 3;
            note_object_removed(canvas_of(e), i);
            std::copy(t.objects.begin() + i + 1, t.objects.begin() + t.object_count,
                      t.objects.begin() + i);
            --t.object_count;
        },
        3);
}

// A rebuild keeps, under the element on top of a pixel, what the one below it drew there, so
// that taking the top one back needs no search: a bush on a palm tree, both stems starting
// at the pixel of their centre.
TEST_F(OverlayDifferential, RebuildKeepsWhatLiesUnderTheTopElement) {
    Side side(false);
    Editor& e = *side.editor;
    Track& t = e.track;
    t.objects[t.object_count++] = Object{300.0f, 300.0f, 0.0f, palm_tree};
    t.objects[t.object_count++] = Object{300.0f, 300.0f, 0.0f, bush};
    full_redraw(e);
    const CoverCell& cell = e.renderer.overlays->level[0].cells[300 * image_size + 300];
    EXPECT_EQ(cell.cover, OverlayCache::colour_flag | 0x7FFF00u); // the bush's stem
    EXPECT_EQ(cell.under, OverlayCache::colour_flag | 0x664400u); // the palm tree's stem
}

} // namespace
} // namespace cs
