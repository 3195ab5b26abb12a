// Never dropping work unasked: every way of dropping the track against every answer, the
// open file changed by another program, and recovery copies with their locks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "editor/changes.h"
#include "editor/commands.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/recovery.h"
#include "model/trk_file.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"
#include "tests/write_failures.h"

namespace cs {
namespace {

namespace fs = std::filesystem;
using test_support::WriteFailure;
constexpr int painted = 100 * map_size + 100; // the cell a Tarmac click paints

struct Changes : test_support::EditorTest {
    test_support::TempDir dir{"changes"};
    fs::path other = dir / "other.trk"; // the track Load and a drop open: water level 77
    void SetUp() override {
        EditorTest::SetUp();
        auto t = std::make_unique<Track>();
        reset_track(*t);
        t->water_level = 77;
        ASSERT_EQ(write_track(other, *t), TrackFileError::none);
    }
    void paint(int x = 100) {
        press_handler(*editor, left_button, x, 100);
        release_handler(*editor, left_button, x, 100);
    }
};

enum class Flow { close, new_track, load, drop };
enum class Answer { save, save_cancelled, save_failing, discard, cancel };

// Each way of dropping the track, unmodified and modified, with each answer. The action
// happens unless the track is modified and the answer is Cancel or a Save that wrote nothing.
TEST_F(Changes, EveryWayOfDroppingTheTrackAsksFirstWhenItIsModified) {
    const fs::path saved = dir / "saved.trk";
    for (int row = 0; row < 4 * 2 * 5; ++row) {
        const auto flow = Flow(row / 10);
        const bool modified = row / 5 % 2 == 1;
        const auto answer = Answer(row % 5);
        SCOPED_TRACE(testing::Message() << "flow " << int(flow) << ", modified " << modified
                                        << ", answer " << int(answer));
        editor = std::make_unique<Editor>(ui);
        ui.modified_mark = false; // as a fresh window shows it
        ASSERT_TRUE(set_up_editor(*editor));
        fs::remove(saved);
        if (modified) {
            paint();
            ui.answer_changes(answer == Answer::discard  ? ChangesAnswer::discard
                              : answer == Answer::cancel ? ChangesAnswer::cancel
                                                         : ChangesAnswer::save);
            if (answer != Answer::discard && answer != Answer::cancel) {
                ui.answer_yes_no(true); // the flaws of the track
                answer == Answer::save_cancelled ? ui.answer_cancel()
                : answer == Answer::save         ? ui.answer_path(saved.string())
                                                 : ui.answer_path((dir / "no/such.trk").string());
            }
        }
        if (flow == Flow::load) {
            ui.answer_path(other.string());
        }
        const std::string title = ui.title;
        ui.messages.clear();
        bool happened = true;
        if (flow == Flow::close) {
            happened = close_requested(*editor);
        } else if (flow == Flow::new_track) {
            new_track_command(*editor);
            happened = editor->track.land[painted] == grass && ui.title != title;
        } else {
            flow == Flow::load ? open_track_command(*editor) : drop_track(*editor, other.string());
            happened = editor->track.water_level == 77;
        }
        EXPECT_EQ(happened, !modified || answer == Answer::save || answer == Answer::discard);
        EXPECT_EQ(!ui.messages.empty() && ui.messages[0].starts_with("Save the changes"), modified);
        EXPECT_EQ(ui.queue.size(), flow == Flow::load && !happened ? 1u : 0u); // the path
        ui.queue.clear();
        EXPECT_EQ(fs::exists(saved), modified && answer == Answer::save);
        if (!happened) { // the track, its title and its mark stay
            EXPECT_EQ(editor->track.land[painted], tarmac);
            EXPECT_EQ(ui.title, title);
            EXPECT_TRUE(ui.modified_mark);
        } else if (flow != Flow::close) {
            EXPECT_FALSE(ui.modified_mark);
        }
    }
}

// A change in the middle of a gesture counts although its step is not recorded yet; the
// title's mark follows the steps back to the saved state and forth.
TEST_F(Changes, AGestureUnderWayIsAnUnsavedChangeAndTheMarkFollowsTheSteps) {
    press_handler(*editor, left_button, 100, 100);
    EXPECT_FALSE(track_modified(*editor));
    EXPECT_TRUE(unsaved_changes(*editor));
    release_handler(*editor, left_button, 100, 100);
    for (bool (*step)(Editor&) : {undo_edit, redo_edit}) {
        const bool was = ui.modified_mark;
        ASSERT_TRUE(step(*editor));
        EXPECT_NE(ui.modified_mark, was);
    }
}

TEST_F(Changes, AnotherProgramsChangeIsAskedAboutOnceAndTheEditorsOwnSaveNever) {
    drop_track(*editor, other.string());
    check_file_on_disk(*editor);
    EXPECT_TRUE(ui.messages.empty());
    paint();
    ui.answer_yes_no(true);
    ui.answer_path(other.string());
    ASSERT_TRUE(save_track_command(*editor));
    ui.messages.clear();
    check_file_on_disk(*editor);
    EXPECT_TRUE(ui.messages.empty()) << "asked after the editor's own save";

    for (bool reload : {false, true}) {
        auto t = std::make_unique<Track>();
        reset_track(*t);
        t->water_level = reload ? 91 : 90;
        t->land[0] = reload ? sand : snow; // another size, whatever the clock's resolution
        ASSERT_EQ(write_track(other, *t), TrackFileError::none);
        ui.answer_yes_no(reload);
        check_file_on_disk(*editor);
        check_file_on_disk(*editor); // once per change
        ASSERT_EQ(ui.messages, std::vector<std::string>{
                                   "other.trk was changed by another program. Load it again?"});
        ui.messages.clear();
        EXPECT_EQ(editor->track.water_level, reload ? 91 : 77);
        EXPECT_EQ(track_modified(*editor), !reload);
    }
}

struct Recovery : Changes {
    fs::path folder = dir / "recovery";
    void SetUp() override {
        Changes::SetUp();
        start_recovery(*editor, folder);
    }
    std::set<std::string> files() { return test_support::names(folder); }
    void tick() { // a tick of the timer, and its copy written
        autosave_tick(*editor);
        finish_recovery_write(*editor);
    }
};

TEST_F(Recovery, ACopyIsWrittenOnlyWhenModifiedChangedAndNoGestureIsUnderWay) {
    // Named as a command line may name it (where a relative name can reach it at all).
    const fs::path relative = fs::relative(other);
    drop_track(*editor, (relative.empty() ? other : relative).string());
    tick();
    EXPECT_EQ(files().size(), 1u) << "the lock alone";
    paint(300);
    press_handler(*editor, left_button, 100, 100); // modified, and a gesture under way
    tick();
    EXPECT_EQ(files().size(), 1u) << "written during a gesture";
    release_handler(*editor, left_button, 100, 100);
    tick();
    const std::string copy = editor->recovery.session + ".trk";
    ASSERT_TRUE(files().contains(copy));
    auto read = std::make_unique<Track>();
    ASSERT_EQ(read_track(folder / copy, *read).error, TrackFileError::none);
    EXPECT_EQ(read->land[painted], tarmac);
    test_support::arm({}); // counts the writes
    tick();
    reset_file_calls();
    EXPECT_EQ(test_support::detail::writes_made, 0) << "an unchanged track copied again";

    // A live editor's copy is never offered; once its lock is gone it is.
    EXPECT_TRUE(left_over_copies(folder).empty());
    editor->recovery.lock.release();
    const std::vector<LeftOverCopy> left = left_over_copies(folder);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, fs::absolute(other).string()) << "found from any folder";
    EXPECT_TRUE(left[0].has_file);
}

TEST_F(Recovery, TheCopyGoesWithASaveAndADiscardedClose) {
    for (bool save : {true, false}) {
        paint(save ? 100 : 300);
        tick();
        ASSERT_EQ(files().size(), 3u);
        if (save) { // the Save button, at once and not at the next tick
            ui.answer_yes_no(true);
            ui.answer_path((dir / "kept.trk").string());
            EXPECT_TRUE(save_track_command(*editor));
        } else {
            ui.answer_changes(ChangesAnswer::discard);
            EXPECT_TRUE(close_requested(*editor));
        }
        EXPECT_EQ(files().size(), 1u) << (save ? "after a save" : "after a discard");
    }
}

TEST_F(Recovery, AFailedCopyIsShownOnceUntilOneSucceeds) {
    for (int x : {100, 110, 120, 130}) {
        // The copies at 100 and 110 fail, 120 succeeds, 130 fails again.
        test_support::arm({x == 120 ? WriteFailure::none : WriteFailure::rename, 0, ENOSPC});
        paint(x);
        tick();
        tick(); // reports the first one's failure
    }
    reset_file_calls();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[0].starts_with("Can't write a recovery copy to "));
}

TEST_F(Recovery, LeftOverCopiesAreOfferedNewestFirstAndRestoredAsModified) {
    paint();
    tick();
    editor->recovery.lock.release();
    // A second, older copy of the track other.trk, left by another editor.
    std::string name; // a backslash is written doubled in the record
    for (char c : other.string()) {
        name += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    test_support::write_file(folder / "older.info",
                             "CourseSmith recovery 1\ntime 1000\nfile " + name + "\n");
    fs::copy_file(other, folder / "older.trk");

    auto next_editor = std::make_unique<Editor>(ui); // too large for the stack on Windows
    Editor& next = *next_editor;
    ui.modified_mark = false; // as a fresh window shows it
    ASSERT_TRUE(set_up_editor(next));
    start_recovery(next, folder);
    ui.messages.clear();
    ui.answer_yes_no(false); // the newest: deleted
    ui.answer_yes_no(true);  // the older: restored under its own name
    EXPECT_TRUE(offer_recovery(next, folder));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[1].starts_with("CourseSmith found unsaved changes to other.trk from "));
    EXPECT_EQ(next.track.water_level, 77);
    EXPECT_EQ(next.names.current_file_name, other.string());
    EXPECT_TRUE(ui.modified_mark);
    EXPECT_EQ(files(), (std::set<std::string>{next.recovery.session + ".lock",
                                              next.recovery.session + ".trk",
                                              next.recovery.session + ".info"}));
    end_recovery(next);
    EXPECT_TRUE(files().empty());
}

} // namespace
} // namespace cs
