// The edit history: random sessions of every action, with undos and redos among them, where
// every state the history can return to is recorded (the saved bytes and the document bit
// for bit) and checked on every return, the view against a full redraw of a twin editor;
// then the rules a session does not reach by chance.
//
// COURSESMITH_DIFF_STEPS and COURSESMITH_DIFF_SEED lengthen and replay the sessions as in
// the overlay differential test.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "editor/history.h"
#include "editor/view_commands.h"
#include "interaction/elements.h"
#include "model/validation.h"
#include "tests/editor_fixture.h"
#include "tests/session.h"

namespace cs {
namespace {

using namespace test_support;

// The document bit for bit, placement slots and track length aside.
std::uint64_t digest(const Track& t) {
    std::uint64_t h = 14695981039346656037ull;
    auto bytes = [&h](const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            h = (h ^ p[i]) * 1099511628211ull;
        }
    };
    auto value = [&bytes](auto v) { bytes(&v, sizeof v); };
    auto real = [&value](float f) { value(std::bit_cast<std::uint32_t>(f)); };
    bytes(t.land.data(), sizeof t.land);
    bytes(t.heights.data(), sizeof t.heights);
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[static_cast<std::size_t>(i)];
        real(o.x), real(o.y), real(o.angle), value(o.kind);
    }
    for (int i = 0; i < t.pit_count; ++i) {
        const Pit& p = t.pits[static_cast<std::size_t>(i)];
        real(p.x), real(p.y), real(p.angle);
    }
    for (int i = 0; i < t.checkpoint_count; ++i) {
        const Checkpoint& c = t.checkpoints[static_cast<std::size_t>(i)];
        real(c.x1), real(c.y1), real(c.x2), real(c.y2);
    }
    for (int i = 0; i < t.ai_line_count; ++i) {
        real(t.ai_line[static_cast<std::size_t>(i)].x),
            real(t.ai_line[static_cast<std::size_t>(i)].y);
    }
    for (int i = 0; i < t.ai_pit_line_count; ++i) {
        real(t.ai_pit_line[static_cast<std::size_t>(i)].x);
        real(t.ai_pit_line[static_cast<std::size_t>(i)].y);
    }
    value(t.object_count), value(t.pit_count), value(t.checkpoint_count);
    value(t.ai_line_count), value(t.ai_pit_line_count);
    value(t.world_size), value(t.water_level), value(t.view_angle), value(t.rotation);
    value(t.zoom), value(t.sf_line), real(t.world_scale);
    bytes(t.author.data(), sizeof t.author);
    bytes(t.comments.data(), sizeof t.comments);
    return h;
}

struct State {
    std::vector<std::uint8_t> saved;
    std::uint64_t document = 0;
};

State state_of(Editor& editor) {
    return State{encode_track(editor.track), digest(editor.track)};
}

struct HistoryDifferential : SessionTest {
    Side twin{true}; // full redraws of the states returned to, with the literal pass

    // The editor against a state it returned to: the same document and saved bytes, the view
    // as a full redraw of that state shows it, the delete buttons following the lists.
    std::string mismatch(Side& side, const State& want) {
        Editor& e = *side.editor;
        if (digest(e.track) != want.document) {
            return "the document differs from the recorded state";
        }
        if (encode_track(e.track) != want.saved) {
            return "the saved bytes differ from the recorded ones";
        }
        Editor& t = *twin.editor;
        t.track = e.track;
        t.tools.image_blend = e.tools.image_blend;
        t.view = e.view; // which overlays are shown
        build_shading_table(t.renderer, t.track.water_level);
        full_redraw(t);
        const Pixel* got = e.renderer.image.get();
        const Pixel* redrawn = t.renderer.image.get();
        const std::size_t pixels = std::size_t{image_size} * image_size;
        if (const auto at =
                static_cast<std::size_t>(std::mismatch(got, got + pixels, redrawn).first - got);
            at != pixels) {
            std::ostringstream what;
            what << "the view differs from a full redraw at (" << at % image_size << ", "
                 << at / image_size << "): #" << std::hex << rgb_of(got[at]) << " against #"
                 << rgb_of(redrawn[at]);
            return what.str();
        }
        const Track& k = e.track;
        const ScriptedUi& ui = side.ui;
        if (ui.is_enabled(id::delete_pit) != (k.pit_count != 0) ||
            ui.is_enabled(id::delete_checkpoint) != (k.checkpoint_count != 0) ||
            ui.is_enabled(id::delete_ai_line) != (k.ai_line_count != 0) ||
            ui.is_enabled(id::delete_ai_pit_line) != (k.ai_pit_line_count != 0)) {
            return "a delete button does not follow its list";
        }
        return {};
    }

    bool run_session(std::uint32_t seed, int steps, bool heavy) override {
        Side side(false);
        Editor& e = *side.editor;
        ActionStream session(seed, e, heavy);
        std::vector<State> states{state_of(e)}; // states[k]: after k steps
        auto fail = [&](int step, const std::string& what) {
            ADD_FAILURE() << "seed " << seed << ", step " << step << " ("
                          << describe(session.actions.back()) << "): " << what << "\n"
                          << replay_note(seed, heavy, session.actions);
            return false;
        };
        int step = 0;
        // A gesture under way at the end is finished first.
        for (; step < steps || e.gesture.button_down != 0; ++step) {
            const Action x = session.next();
            prepare(x);
            const std::size_t undos = undo_steps(e), redos = redo_steps(e);
            const bool land_armed = e.undo.land_armed, heights_armed = e.undo.heights_armed;
            side.apply(x, dir);
            if (e.gesture.button_down != 0) {
                continue; // the step ends at the release
            }
            if (!history_in_step(e)) {
                return fail(step, "the track changed outside the history");
            }
            const std::size_t u = undo_steps(e), r = redo_steps(e);
            if (x.what == Action::undo || x.what == Action::redo) {
                if (e.undo.land_armed != land_armed || e.undo.heights_armed != heights_armed) {
                    return fail(step, "undo or redo touched the panel's own undo");
                }
                if (u + r != states.size() - 1) {
                    return fail(step, "undo or redo changed the number of steps");
                }
                if (u != undos) {
                    if (std::string m = mismatch(side, states[u]); !m.empty()) {
                        return fail(step, m);
                    }
                }
            } else if (u == 0 && r == 0 &&
                       (x.what == Action::load || x.what == Action::new_track)) {
                states.assign(1, state_of(e)); // a new history
            } else if (u == undos + 1 && r == 0) {
                states.resize(u);
                states.push_back(state_of(e));
                if (states[u].document == states[u - 1].document) {
                    return fail(step, "a step that changed nothing");
                }
            } else if (u != undos || r != redos) {
                return fail(step, "the history changed without a step");
            } else if (digest(e.track) != states[u].document) {
                return fail(step, "the track changed without a step");
            }
        }
        // All the way back and all the way forward.
        while (undo_edit(e)) {
            if (std::string m = mismatch(side, states[undo_steps(e)]); !m.empty()) {
                return fail(step, "walking back: " + m);
            }
        }
        while (redo_edit(e)) {
            if (std::string m = mismatch(side, states[undo_steps(e)]); !m.empty()) {
                return fail(step, "walking forward: " + m);
            }
        }
        if (undo_steps(e) != states.size() - 1) {
            return fail(step, "the walk forward did not reach the newest step");
        }
        return true;
    }
};

TEST_F(HistoryDifferential, RandomSessionsOnRandomTracks) {
    run_sessions(env_int("COURSESMITH_DIFF_STEPS", 1500), 500, false,
                 static_cast<std::uint32_t>(env_int("COURSESMITH_DIFF_SEED", 1)));
}

TEST_F(HistoryDifferential, RandomSessionsOnTheHeavyTrack) {
    run_sessions(env_int("COURSESMITH_DIFF_STEPS", 1500) / 15, 100, true,
                 static_cast<std::uint32_t>(env_int("COURSESMITH_DIFF_SEED", 1)));
}

// --- The rules a random session does not reach by chance -------------------------------------

struct HistoryTest : EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        initialise_panel(*editor);
    }
    void click(int id) { dispatch_command(*editor, id, Notification::clicked); }
    // A Tarmac dab at (x, y), press to release.
    void dab(int x, int y) {
        click(id::tool_tarmac);
        press_handler(*editor, left_button, x, y);
        release_handler(*editor, left_button, x, y);
    }
    std::uint8_t cell(int x, int y) const {
        return editor->track.land[static_cast<std::size_t>(y * map_size + x)];
    }
    std::pair<std::size_t, std::size_t> counts() const {
        return {undo_steps(*editor), redo_steps(*editor)};
    }
    using Counts = std::pair<std::size_t, std::size_t>;
};

TEST_F(HistoryTest, ANewStepAfterUndosDropsWhatCouldBeRedone) {
    dab(100, 100);
    dab(300, 300);
    EXPECT_TRUE(undo_edit(*editor));
    EXPECT_EQ(cell(300, 300), grass);
    dab(200, 200);
    EXPECT_EQ(counts(), Counts(2, 0));
    EXPECT_FALSE(redo_edit(*editor));
    EXPECT_EQ(cell(300, 300), grass);
    EXPECT_EQ(cell(200, 200), tarmac);
    // Nothing left to take back beyond the start: the default track again.
    EXPECT_TRUE(undo_edit(*editor) && undo_edit(*editor));
    EXPECT_FALSE(undo_edit(*editor));
    EXPECT_EQ(cell(100, 100), grass);
}

TEST_F(HistoryTest, ViewSettingsAndUnchangedTracksAddNoStep) {
    click(id::zoom_2x);
    ui.sliders[id::image_blend] = 3;
    slider_notification(*editor, id::image_blend, SliderEvent::released_capture);
    click(id::delete_pit); // on an empty list
    ui.answer_properties([](PropertiesValues&) {});
    click(id::track_properties); // OK with every value as it was
    click(id::tool_hmap_smooth);
    press_handler(*editor, left_button, 200, 200); // smoothing flat ground changes nothing
    release_handler(*editor, left_button, 200, 200);
    EXPECT_EQ(counts(), Counts(0, 0));
}

TEST_F(HistoryTest, OpenAndNewStartAnEmptyHistoryThatIsNotModified) {
    const TempDir dir{"history"};
    const std::filesystem::path file = dir / "t.trk";
    dab(100, 100);
    ui.answer_yes_no(true);
    ui.answer_path(file.string());
    click(id::save);
    EXPECT_FALSE(track_modified(*editor));
    dab(300, 300);
    EXPECT_TRUE(track_modified(*editor));
    // Undoing back to the save point makes it unmodified again; redoing modified.
    undo_edit(*editor);
    EXPECT_FALSE(track_modified(*editor));
    redo_edit(*editor);
    EXPECT_TRUE(track_modified(*editor));
    // A new step where the saved state could have been redone: it cannot be reached again.
    undo_edit(*editor);
    undo_edit(*editor);
    EXPECT_TRUE(track_modified(*editor)); // before the saved state
    dab(50, 50);
    EXPECT_TRUE(track_modified(*editor));
    undo_edit(*editor);
    EXPECT_TRUE(track_modified(*editor));

    ui.answer_path(file.string());
    click(id::load);
    EXPECT_EQ(counts(), Counts(0, 0));
    EXPECT_FALSE(track_modified(*editor));
    EXPECT_EQ(cell(100, 100), tarmac);

    ui.answer_cancel(); // New, its properties dialog cancelled
    click(id::new_track);
    EXPECT_EQ(counts(), Counts(0, 0));
    EXPECT_FALSE(track_modified(*editor));
    EXPECT_FALSE(undo_edit(*editor));
    EXPECT_EQ(cell(100, 100), grass);
}

TEST_F(HistoryTest, NothingHappensBetweenAPressAndItsRelease) {
    dab(100, 100);
    click(id::tool_grass);
    press_handler(*editor, left_button, 100, 100);
    EXPECT_FALSE(undo_edit(*editor));
    EXPECT_FALSE(redo_edit(*editor));
    EXPECT_EQ(cell(100, 100), grass); // the press painted; nothing was taken back
    move_handler(*editor, left_held, 140, 100);
    release_handler(*editor, left_button, 140, 100);
    // The whole gesture is one step, and undoing it leaves the first dab.
    EXPECT_EQ(counts(), Counts(2, 0));
    undo_edit(*editor);
    EXPECT_EQ(cell(100, 100), tarmac);
}

TEST_F(HistoryTest, TheBudgetDropsTheOldestSteps) {
    dab(100, 100);
    const std::size_t one = editor->history.bytes;
    // A brush-15 dab keeps its cells, not the map.
    EXPECT_LT(one, std::size_t{4096});
    editor->history.budget = one * 3 + one / 2;
    dab(200, 100);
    dab(300, 100);
    dab(400, 100);
    EXPECT_EQ(counts(), Counts(3, 0));
    while (undo_edit(*editor)) {
    }
    EXPECT_EQ(cell(100, 100), tarmac); // the oldest step was dropped: it stays
    EXPECT_EQ(cell(200, 100), grass);
    EXPECT_TRUE(track_modified(*editor)); // the opening state cannot be reached again
}

// Every tool that writes land cells, with each button, over a road: one undo gives the map
// back as it was, cell for cell (a write the history is not told of would stay).
TEST_F(HistoryTest, EveryLandToolIsTakenBackCellForCell) {
    ui.sliders[id::brush_size] = 6;
    slider_notification(*editor, id::brush_size, SliderEvent::released_capture);
    dab(250, 250); // a road of Tarmac under everything below
    const int tools[] = {id::tool_tarmac, id::tool_tarmac2,    id::tool_grass,
                         id::tool_gravel, id::tool_sand,       id::tool_snow,
                         id::tool_mud,    id::tool_white_line, id::tool_yellow_line,
                         id::tool_kerb,   id::tool_oil};
    for (int tool : tools) {
        for (int button : {left_button, right_button}) {
            const auto land = editor->track.land;
            click(tool);
            press_handler(*editor, button, 230, 250);
            move_handler(*editor, button == left_button ? left_held : right_held, 270, 260);
            move_handler(*editor, button == left_button ? left_held : right_held, 290, 240);
            release_handler(*editor, button, 290, 240);
            ASSERT_TRUE(history_in_step(*editor)) << "tool " << tool << " button " << button;
            if (editor->track.land != land) {
                undo_edit(*editor);
                EXPECT_TRUE(editor->track.land == land) << "tool " << tool << " button " << button;
            }
        }
    }
}

// The pending object hangs on the pointer with the kind chosen last, whatever the list does.
TEST_F(HistoryTest, ThePendingObjectStaysOnThePointer) {
    auto choose = [this](std::uint8_t kind) {
        ui.object_kind_entry = object_kind_position(kind);
        dispatch_command(*editor, id::object_kinds, Notification::selection_changed);
    };
    choose(house);
    move_handler(*editor, 0, 300, 300);
    press_handler(*editor, left_button, 300, 300);
    release_handler(*editor, left_button, 300, 300);
    choose(bush);
    move_handler(*editor, 0, 200, 200);
    undo_edit(*editor);
    const Track& t = editor->track;
    EXPECT_EQ(t.object_count, start_positions);
    EXPECT_EQ(t.objects[t.object_count].kind, bush);
    EXPECT_EQ(t.objects[t.object_count].x, 200.0f);
    redo_edit(*editor);
    EXPECT_EQ(t.objects[t.object_count - 1].kind, house);
    EXPECT_EQ(t.objects[t.object_count].kind, bush);
}

// Two steps: the water level alone (every pixel's shade), then the world size and a text.
TEST_F(HistoryTest, PropertiesComeBackWithTheirPicture) {
    const std::vector<Pixel> before = image();
    ui.answer_properties([](PropertiesValues& v) { v.water_level = 200; });
    click(id::track_properties);
    const std::vector<Pixel> flooded = image();
    ASSERT_NE(before, flooded);
    ui.answer_properties([](PropertiesValues& v) {
        v.world_size = 60;
        v.author = "Zoë";
    });
    click(id::track_properties);
    undo_edit(*editor);
    EXPECT_EQ(editor->track.world_size, 120);
    EXPECT_EQ(editor->track.world_scale, 512.0f / 120.0f);
    EXPECT_EQ(text_of(editor->track.author), "");
    EXPECT_EQ(image(), flooded);
    undo_edit(*editor);
    EXPECT_EQ(editor->track.water_level, 50);
    EXPECT_EQ(image(), before);
    redo_edit(*editor);
    EXPECT_EQ(image(), flooded);
    redo_edit(*editor);
    EXPECT_EQ(text_of(editor->track.author), "Zo\xEB");
}

TEST_F(HistoryTest, UndoLeavesThePanelsOwnUndoAlone) {
    dab(100, 100);
    click(id::flatten);
    EXPECT_TRUE(ui.is_enabled(id::land_undo) && ui.is_enabled(id::hmap_undo));
    click(id::land_undo); // itself a step
    EXPECT_EQ(cell(100, 100), grass);
    EXPECT_EQ(counts(), Counts(2, 0)); // the flat grid was already flat: no step
    undo_edit(*editor);
    EXPECT_EQ(cell(100, 100), tarmac);
    EXPECT_FALSE(ui.is_enabled(id::land_undo));
    EXPECT_FALSE(editor->undo.land_armed);
    EXPECT_TRUE(ui.is_enabled(id::hmap_undo));
}

} // namespace
} // namespace cs
