#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "editor/commands.h"
#include "editor/dispatch.h"
#include "model/trk_file.h"
#include "model/validation.h"
#include "resources/control_ids.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

namespace cs {
namespace {

namespace fs = std::filesystem;

struct Commands : test_support::EditorTest {
    fs::path dir;
    void SetUp() override {
        EditorTest::SetUp();
        initialise_panel(*editor);
        dir = test_support::fresh_temp_dir("commands");
    }
    // A track that differs from the default in everything New resets.
    void make_busy() {
        Track& t = editor->track;
        t.land.fill(tarmac);
        t.heights.fill(1000);
        t.objects[6] = Object{100, 100, 1.0f, house};
        t.object_count = 7;
        t.pit_count = 1;
        t.checkpoint_count = 2;
        t.ai_line_count = 3;
        t.ai_pit_line_count = 2;
        t.world_size = 60;
        t.water_level = 200;
        t.author[0] = 'A';
        t.comments[0] = 'C';
        for (int id : {id::land_undo, id::hmap_undo, id::delete_pit, id::delete_checkpoint,
                       id::delete_ai_line, id::delete_ai_pit_line}) {
            ui.set_control_enabled(id, true);
        }
        editor->undo.land_armed = editor->undo.heights_armed = true;
    }
    std::string write_default_track(const std::string& name) {
        const std::string path = (dir / name).string();
        auto track = std::make_unique<Track>();
        reset_track(*track);
        track->water_level = 77;
        EXPECT_EQ(write_track(path, *track), TrackFileError::none);
        return path;
    }
};

TEST_F(Commands, NewResetsTheTrackAndLeavesTheToolsAlone) {
    make_busy();
    editor->tools.current_tool = 5;
    editor->tools.brush_size = 40;
    editor->view.zoom_2x = true;
    editor->view.show_objects = false;
    ui.calls.clear();
    new_track_command(*editor);

    const Track& t = editor->track;
    EXPECT_EQ(t.object_count, 6);
    EXPECT_EQ(t.objects[6].kind, start);
    EXPECT_EQ(t.objects[6].y, 130.0f);
    EXPECT_EQ(t.pit_count + t.checkpoint_count + t.ai_line_count + t.ai_pit_line_count, 0);
    EXPECT_EQ(t.world_size, 120);
    EXPECT_EQ(t.water_level, 50);
    EXPECT_EQ(t.author[0], 0);
    EXPECT_EQ(t.comments[0], 0);
    EXPECT_TRUE(std::all_of(t.land.begin(), t.land.end(), [](auto k) { return k == grass; }));
    EXPECT_TRUE(std::all_of(t.heights.begin(), t.heights.end(), [](auto h) { return h == 32896; }));
    for (int id : {id::land_undo, id::hmap_undo, id::delete_pit, id::delete_checkpoint,
                   id::delete_ai_line, id::delete_ai_pit_line}) {
        EXPECT_FALSE(ui.is_enabled(id)) << id;
    }
    EXPECT_FALSE(editor->undo.land_armed);
    EXPECT_EQ(editor->tools.current_tool, 5);
    EXPECT_EQ(editor->tools.brush_size, 40);
    EXPECT_TRUE(editor->view.zoom_2x);
    EXPECT_FALSE(editor->view.show_objects);
    EXPECT_EQ(image(), redrawn_image());

    // Ends with the properties dialog showing the defaults; cancelling keeps them.
    ASSERT_EQ(ui.properties_shown.size(), 1u);
    EXPECT_EQ(ui.properties_shown[0].world_size, 120);
    EXPECT_EQ(ui.properties_shown[0].zoom, 105);
    EXPECT_TRUE(ui.properties_shown[0].sf_line);
    EXPECT_EQ(ui.calls.back(), "properties dialog -> cancel");
}

TEST_F(Commands, NewMakesUpANameThatTheSaveDialogStartsWith) {
    new_track_command(*editor);
    const std::regex title("Tyrestorm CourseSmith - [A-Z][a-z]{2,9}\\.trk");
    EXPECT_TRUE(std::regex_match(ui.title, title)) << ui.title;
    const std::string name = editor->names.current_file_name;

    ui.answer_yes_no(true);
    save_track_command(*editor);
    ASSERT_EQ(ui.file_requests.size(), 1u);
    EXPECT_EQ(ui.file_requests[0].initial_name, name);
    EXPECT_TRUE(ui.file_requests[0].confirm_overwrite);
    EXPECT_EQ(ui.messages.back(), validation_message(validate_track(editor->track)));
}

TEST_F(Commands, SaveFollowsTheAnswers) {
    const std::string path = (dir / "saved.trk").string();
    const std::string before = ui.title;

    ui.answer_yes_no(false); // No: no dialog, nothing written
    save_track_command(*editor);
    EXPECT_TRUE(ui.file_requests.empty());

    ui.answer_yes_no(true); // Yes, then cancel: title unchanged
    ui.answer_cancel();
    save_track_command(*editor);
    EXPECT_EQ(ui.title, before);

    ui.answer_yes_no(true); // a folder that does not exist: the writer's message
    ui.answer_path((dir / "missing" / "x.trk").string());
    save_track_command(*editor);
    EXPECT_EQ(ui.messages.back(), "Can't create file.");
    EXPECT_TRUE(editor->documents.last_file_error);
    EXPECT_EQ(ui.title, before);

    ui.answer_yes_no(true);
    ui.answer_path(path);
    save_track_command(*editor);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + path);
    EXPECT_EQ(editor->names.current_file_name, path);
    EXPECT_FALSE(editor->documents.last_file_error);
}

TEST_F(Commands, OpenKeepsItsOwnNameAndTheTitleFollowsOnlySuccess) {
    const std::string good = write_default_track("good.trk");
    const std::string newer = (dir / "newer.trk").string();
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(read_whole_file(good, bytes));
    bytes[0] = 0x06; // version 262
    ASSERT_TRUE(replace_file(newer, bytes));
    const std::string before = ui.title;

    ui.answer_path(newer);
    open_track_command(*editor);
    EXPECT_EQ(ui.messages.back().substr(0, 40), "Track was saved with newer version of th");
    EXPECT_EQ(ui.title, before);
    EXPECT_EQ(editor->track.water_level, 50);

    ui.answer_path(good);
    open_track_command(*editor);
    EXPECT_EQ(editor->track.water_level, 77);
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + good);

    // Each open dialog starts with the name chosen in the one before, whatever came of it.
    ASSERT_EQ(ui.file_requests.size(), 2u);
    EXPECT_EQ(ui.file_requests[0].initial_name, "");
    EXPECT_EQ(ui.file_requests[1].initial_name, newer);
    EXPECT_TRUE(ui.file_requests[1].file_must_exist);
    EXPECT_EQ(ui.file_requests[1].filters[0].name, "Tyrestorm Track Files (*.trk)");
    EXPECT_EQ(ui.file_requests[1].filters[0].pattern, "*.TRK");

    ui.answer_cancel();
    open_track_command(*editor);
    EXPECT_EQ(ui.file_requests.back().initial_name, good);
    EXPECT_EQ(editor->track.water_level, 77);

    ui.answer_path((dir / "absent.trk").string());
    open_track_command(*editor);
    EXPECT_EQ(ui.messages.back(), "Can't open file!");
    EXPECT_EQ(editor->documents.last_file_error, std::errc::no_such_file_or_directory);
}

TEST_F(Commands, DroppedTrackLoadsAsOpenDoes) {
    const std::string good = write_default_track("dropped.trk");
    drop_track(*editor, good);
    EXPECT_EQ(editor->track.water_level, 77);
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + good);
    drop_track(*editor, (dir / "absent.trk").string());
    EXPECT_EQ(ui.title, "Tyrestorm CourseSmith - " + good);
}

TEST_F(Commands, PropertiesShowTheTrackAndTakeItOnOk) {
    Track& t = editor->track;
    t.ai_line[0] = {100, 100};
    t.ai_line[1] = {100, 200};
    t.ai_line_count = 2;
    std::copy_n("Jos\xE9", 4, t.author.begin());
    ui.answer_properties([](PropertiesValues& v) {
        v.rotation = -180;
        v.water_level = 300; // beyond its slider: the slider's end
        v.author = std::string(40, 'a');
        v.comments = "line one\nline two";
    });
    track_properties_command(*editor);

    const PropertiesValues& shown = ui.properties_shown.at(0);
    EXPECT_EQ(shown.water_level, 50);
    EXPECT_EQ(shown.view_angle, 60);
    EXPECT_EQ(shown.author, "Jos\xC3\xA9");
    // A line of two points counts its 100 map units twice: 200 / (512 / 120) = 46.875.
    EXPECT_EQ(shown.track_length, 46);
    EXPECT_EQ(t.track_length, 46);

    EXPECT_EQ(t.rotation, -180);
    EXPECT_EQ(t.water_level, 255);
    EXPECT_EQ(text_of(t.author), std::string(30, 'a'));
    EXPECT_EQ(text_of(t.comments), "line one\r\nline two");
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(Commands, WorldSizeMessageOnlyWhenADrivingLineMeetsAChange) {
    const std::string message =
        "You should rework AI driving lines after changing world size.\n"
        "The track will work even if you don't but it's highly recommended,\n"
        "especially if you have changed the world size significantly.";
    auto set_world = [](int size) { return [size](PropertiesValues& v) { v.world_size = size; }; };
    ui.answer_properties(set_world(128)); // no driving line: no message
    track_properties_command(*editor);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(editor->track.world_scale, 4.0f);

    editor->track.ai_pit_line_count = 1;  // only a pit line is enough
    ui.answer_properties(set_world(128)); // unchanged: no message
    track_properties_command(*editor);
    EXPECT_TRUE(ui.messages.empty());
    ui.answer_properties(set_world(64));
    track_properties_command(*editor);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], message);
    EXPECT_EQ(editor->track.world_scale, 8.0f);
}

TEST_F(Commands, CancelTakesNothingAndDoesNotRedraw) {
    editor->renderer.image[0] = Pixel{1, 2, 3, 0}; // a mark a redraw would remove
    ui.answer_cancel();
    track_properties_command(*editor);
    EXPECT_EQ(editor->track.world_size, 120);
    EXPECT_EQ(editor->renderer.image[0].blue, 1);

    ui.answer_properties({}); // OK without changes: the same values, and a redraw
    track_properties_command(*editor);
    EXPECT_EQ(editor->track.world_size, 120);
    EXPECT_EQ(editor->track.water_level, 50);
    EXPECT_EQ(image(), redrawn_image());
}

TEST_F(Commands, LaunchStartsTheGameAndAsksOnlyWhenItFails) {
    ui.answer_start(true);
    launch_game_command(*editor);
    const std::string beside = (fs::current_path() / "Tyrestorm.exe").string();
    ASSERT_EQ(ui.started_programs.size(), 1u);
    EXPECT_EQ(ui.started_programs[0], beside);
    EXPECT_TRUE(ui.file_requests.empty());

    ui.answer_start(false); // fails, and the user cancels: the path stays
    ui.answer_cancel();
    launch_game_command(*editor);
    ASSERT_EQ(ui.file_requests.size(), 1u);
    EXPECT_EQ(ui.file_requests[0].initial_name, beside);
    EXPECT_EQ(ui.file_requests[0].filters[0].name, "Tyrestorm Executable (Tyrestorm.exe)");
    EXPECT_EQ(ui.file_requests[0].filters[0].pattern, "Tyrestorm.exe");
    EXPECT_EQ(editor->documents.game_path, beside);

    ui.answer_start(false); // fails, the user picks one: it is started, whatever comes of it
    ui.answer_path("/opt/game/Tyrestorm.exe");
    ui.answer_start(false);
    launch_game_command(*editor);
    EXPECT_EQ(ui.started_programs.back(), "/opt/game/Tyrestorm.exe");
    EXPECT_TRUE(ui.messages.empty());

    ui.answer_start(true); // later launches use the picked path without asking
    launch_game_command(*editor);
    EXPECT_EQ(ui.started_programs.back(), "/opt/game/Tyrestorm.exe");
    EXPECT_EQ(ui.file_requests.size(), 2u);
}

} // namespace
} // namespace cs
