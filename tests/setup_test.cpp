#include <gtest/gtest.h>

#include "tests/temp_dir.h"

#include <filesystem>
#include <memory>

#include "editor/program_options.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/tool_commands.h"
#include "model/trk_file.h"
#include "resources/control_ids.h"

namespace cs {
namespace {

// Draws from a fixed list, so made-up names are known.
RandomDraw draws_of(std::vector<int> values) {
    auto index = std::make_shared<std::size_t>(0);
    return [values = std::move(values), index]() { return values[(*index)++ % values.size()]; };
}

class Setup : public ::testing::Test {
  protected:
    std::string save(Track& track, const char* name) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(write_track(path, track), TrackFileError::none);
        return path;
    }

    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    cs::test_support::TempDir dir{"cs-setup"};
};

TEST_F(Setup, FreshEditorHasTheDefaultTrackAndAMadeUpTitle) {
#ifdef _WIN32
    GTEST_SKIP()
        << "the cursor's path is joined with Windows' separator (/opt/cs\\coursesmith.cur)";
#endif
    editor->draw = draws_of({0});
    editor->program_folder = "/opt/cs";
    ASSERT_TRUE(set_up_editor(*editor));
    EXPECT_EQ(editor->track.object_count, 6);
    EXPECT_EQ(editor->tools.brush_size, 15);
    EXPECT_EQ(editor->tools.image_blend, 5);
    EXPECT_EQ(editor->cursor_path, "/opt/cs/coursesmith.cur");
    // Every draw 0: a vowel start "A", then one-letter groups "b", "a", and a stop.
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - Aba.trk");
    EXPECT_EQ(editor->names.current_file_name, "Aba.trk");
    EXPECT_EQ(ui.repaints, 0); // set-up asks for no repaint
    EXPECT_TRUE(ui.messages.empty());
    clean_up_editor(*editor);
    EXPECT_FALSE(editor->renderer.exists());
}

TEST_F(Setup, LoadRefreshesButtonsShadingAndImage) {
    ASSERT_TRUE(set_up_editor(*editor));
    auto t = std::make_unique<Track>();
    reset_track(*t);
    t->water_level = 200; // level 128 is now under water
    t->object_count = 7;
    t->objects[6] = {300, 300, 0, bush};
    t->pits[0] = {100, 100, 0};
    t->pit_count = 1;
    t->ai_pit_line_count = 1;
    const std::string path = save(*t, "a.trk");
    ui.calls.clear();
    ui.clock = 1000;
    ASSERT_TRUE(load_track(*editor, path));
    EXPECT_EQ(ui.is_enabled(id::land_undo), false);
    EXPECT_EQ(ui.is_enabled(id::hmap_undo), false);
    EXPECT_EQ(ui.is_enabled(id::delete_object), true);
    EXPECT_EQ(ui.is_enabled(id::delete_pit), true);
    EXPECT_EQ(ui.is_enabled(id::delete_checkpoint), false);
    EXPECT_EQ(ui.is_enabled(id::delete_ai_line), false);
    EXPECT_EQ(ui.is_enabled(id::delete_ai_pit_line), true);
    // The shading table follows the new water level and the whole image is redrawn.
    EXPECT_EQ(editor->renderer.shading[128], (Pixel{128 / 2 + 128, 128 / 2 + 32, 128 / 2, 0}));
    EXPECT_EQ(
        editor->renderer.at(500, 500),
        (Pixel{(192 * 5 + 96 * 5) / 10, (96 * 5 + 220 * 5) / 10, (64 * 5 + 144 * 5) / 10, 0}));
    EXPECT_EQ(ui.repaints, 1);
    // Loading does not touch the title.
    EXPECT_EQ(std::count_if(ui.calls.begin(), ui.calls.end(),
                            [](const std::string& c) { return c.rfind("title", 0) == 0; }),
              0);

    // Six objects again: "Delete object" is disabled.
    t->object_count = 6;
    t->pit_count = 0;
    ASSERT_TRUE(load_track(*editor, save(*t, "b.trk")));
    EXPECT_EQ(ui.is_enabled(id::delete_object), false);
    EXPECT_EQ(ui.is_enabled(id::delete_pit), false);
}

TEST_F(Setup, UndoNeedsASnapshotOfTheTrackShown) {
    ASSERT_TRUE(set_up_editor(*editor));
    // Before any snapshot the undo copies hold nothing to restore.
    undo_land(*editor);
    undo_heights(*editor);
    EXPECT_EQ(editor->track.land[0], grass);
    EXPECT_EQ(editor->track.heights[0], default_height);
    // A load discards the copies of the previous track.
    snapshot_land(*editor);
    snapshot_heights(*editor);
    auto t = std::make_unique<Track>();
    reset_track(*t);
    t->land.fill(mud);
    t->heights.fill(256);
    ASSERT_TRUE(load_track(*editor, save(*t, "c.trk")));
    undo_land(*editor);
    undo_heights(*editor);
    EXPECT_EQ(editor->track.land[0], mud);
    EXPECT_EQ(editor->track.heights[0], 256);
}

TEST_F(Setup, FailedLoadReportsAndChangesNothing) {
    ASSERT_TRUE(set_up_editor(*editor));
    editor->track.land[5] = oil;
    const Pixel before = editor->renderer.at(5, 0);
    ui.calls.clear();
    EXPECT_FALSE(load_track(*editor, (dir / "missing.trk").string()));
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0], "message: Can't open file!");
    EXPECT_EQ(editor->track.land[5], oil);
    EXPECT_EQ(editor->renderer.at(5, 0), before);
}

TEST_F(Setup, CommandLineTrackIsLoadedAndNamed) {
    auto t = std::make_unique<Track>();
    reset_track(*t);
    t->land.fill(sand);
    const std::string path = save(*t, "cmd.trk");
    editor->command_line_track = path;
    ui.view_exists = false; // set-up runs before the view window exists
    ASSERT_TRUE(set_up_editor(*editor));
    EXPECT_EQ(editor->track.land[1234], sand);
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + path);
    EXPECT_EQ(editor->names.current_file_name, path);
    EXPECT_EQ(ui.repaints, 0);
    EXPECT_TRUE(editor->view.throttle_set); // the loader's request still sets the throttle
}

TEST_F(Setup, UnreadableCommandLineTrackKeepsTheDefaultButNamesTheTitle) {
    const std::string path = (dir / "gone.trk").string();
    editor->command_line_track = path;
    ASSERT_TRUE(set_up_editor(*editor));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Can't open file!");
    EXPECT_EQ(editor->track.land[0], grass);
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + path);
}

// The desktop program's command line: what each asks for, and which words the options took
// (the rest is the program and its track).
TEST(ProgramOptions, CommandLines) {
    using Action = ProgramOptions::Action;
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        int seconds;
        std::vector<std::size_t> option_words;
    };
    const Case cases[] = {
        {{"cs", "t.trk"}, Action::start, 60, {}},
        {{"cs", "--autosave", "86400", "t.trk"}, Action::start, 86400, {1, 2}},
        {{"cs", "t.trk", "--autosave", "0"}, Action::start, 0, {2, 3}},
        {{"cs", "--autosave", "86401"}, Action::refuse, 60, {}},
        {{"cs", "--autosave", "-1"}, Action::refuse, 60, {}},
        {{"cs", "--autosave", "5x"}, Action::refuse, 60, {}},
        {{"cs", "--autosave"}, Action::refuse, 60, {}},
        {{"cs", "--version", "--help"}, Action::show_version, 60, {}},
        {{"cs", "t.trk", "-h"}, Action::show_help, 60, {}},
        {{"--help", "t.trk"}, Action::start, 60, {}}, // the program's own name is no option
    };
    for (const Case& c : cases) {
        const ProgramOptions options = read_program_options(c.arguments, "WHERE\n");
        const std::string line = c.arguments.back();
        EXPECT_EQ(options.action, c.action) << line;
        EXPECT_EQ(options.work.autosave_seconds, c.seconds) << line;
        EXPECT_EQ(options.option_words, c.option_words) << line;
        if (c.action == Action::refuse) {
            EXPECT_EQ(options.text,
                      "coursesmith: --autosave takes a number of seconds from 0 to 86400\n");
        }
    }
    const std::string help = read_program_options({"cs", "--help"}, "WHERE\n").text;
    EXPECT_EQ(help.rfind("Usage: coursesmith [--autosave SECONDS] [TRACK]\n", 0), 0u);
    EXPECT_NE(help.find("when given.\n\nWHERE\n\nOptions:\n"), std::string::npos);
}

} // namespace
} // namespace cs
