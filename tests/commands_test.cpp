#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "editor/commands.h"
#include "editor/dispatch.h"
#include "editor/history.h"
#include "editor/view_commands.h"
#include "model/trk_file.h"
#include "model/validation.h"
#include "resources/control_ids.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"

namespace cs {
namespace {

namespace fs = std::filesystem;

template <typename... T>
std::string text_of_values(const T&... values) {
    std::ostringstream out;
    ((out << +values << ' '), ...);
    return out.str();
}
std::string fields(const Object& o) {
    return text_of_values(o.x, o.y, o.angle, o.kind);
}
std::string fields(const Pit& p) {
    return text_of_values(p.x, p.y, p.angle);
}
std::string fields(const Checkpoint& c) {
    return text_of_values(c.x1, c.y1, c.x2, c.y2);
}
std::string fields(const LinePoint& p) {
    return text_of_values(p.x, p.y);
}

// Everything New sets and everything it leaves alone, one entry per part, so that two
// editors can be compared part by part.
std::map<std::string, std::string> parts_of(const Editor& e, const ScriptedUi& ui) {
    auto bytes = [](const void* data, std::size_t size) {
        return std::string(static_cast<const char*>(data), size);
    };
    auto list = [](int count, const auto& slots) {
        std::string out = std::to_string(count);
        for (int i = 0; i <= count; ++i) { // the placement slot too
            out += "; " + fields(slots[i]);
        }
        return out;
    };
    auto enabled = [&ui](std::initializer_list<int> ids) {
        std::string out;
        for (int id : ids) {
            out += ui.is_enabled(id) ? '1' : '0';
        }
        return out;
    };
    const Track& t = e.track;
    const ViewState& v = e.view;
    const ToolState& tools = e.tools;
    return {
        {"land", bytes(t.land.data(), t.land.size())},
        {"heights", bytes(t.heights.data(), sizeof t.heights)},
        {"objects", list(t.object_count, t.objects)},
        {"pits", list(t.pit_count, t.pits)},
        {"checkpoints", list(t.checkpoint_count, t.checkpoints)},
        {"ai line", list(t.ai_line_count, t.ai_line)},
        {"ai pit line", list(t.ai_pit_line_count, t.ai_pit_line)},
        {"properties", text_of_values(t.world_size, t.water_level, t.view_angle, t.rotation, t.zoom,
                                      t.sf_line, t.world_scale)},
        {"author", bytes(t.author.data(), t.author.size())},
        {"comments", bytes(t.comments.data(), t.comments.size())},
        {"image", bytes(e.renderer.image.get(), image_size * image_size * sizeof(Pixel))},
        {"shading", bytes(e.renderer.shading.data(), sizeof e.renderer.shading)},
        {"land undo", text_of_values(e.undo.land_armed) + enabled({id::land_undo})},
        {"hmap undo", text_of_values(e.undo.heights_armed) + enabled({id::hmap_undo})},
        {"delete buttons", enabled({id::delete_pit, id::delete_checkpoint, id::delete_ai_line,
                                    id::delete_ai_pit_line})},
        {"object kind", text_of_values(tools.object_kind, ui.object_kind_entry)},
        {"history", text_of_values(e.history.steps.size(), e.history.done, track_modified(e))},
        {"tools", text_of_values(tools.current_tool, tools.brush_size, tools.rope_length,
                                 tools.image_blend)},
        {"view",
         text_of_values(v.zoom_2x, v.zoom_4x, v.show_ai_line, v.show_objects, v.show_checkpoints)},
        {"paths", e.documents.game_path + "; " + e.documents.open_track_name},
    };
}

// The names of the parts in which two editors differ.
std::set<std::string> differing(const std::map<std::string, std::string>& a,
                                const std::map<std::string, std::string>& b) {
    std::set<std::string> names;
    for (const auto& [name, value] : a) {
        if (b.at(name) != value) {
            names.insert(name);
        }
    }
    return names;
}

// Tools, view and paths other than a fresh editor's: New leaves them as they are.
void set_what_new_leaves(Editor& e) {
    e.tools = ToolState{5, e.tools.object_kind, 40, 30, 7};
    e.view.zoom_2x = true;
    e.view.show_checkpoints = false; // objects stay shown: New draws the start positions
    e.documents.game_path = "/opt/game/Tyrestorm.exe";
    e.documents.open_track_name = "/tracks/old.trk";
}

struct Commands : test_support::EditorTest {
    test_support::TempDir dir{"commands"};
    void SetUp() override {
        EditorTest::SetUp();
        initialise_panel(*editor);
    }
    // An editor that differs from a freshly set-up one in every part parts_of names.
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
        build_shading_table(editor->renderer, t.water_level);
        full_redraw(*editor);
        record_edit(*editor);
        for (int id : {id::land_undo, id::hmap_undo, id::delete_pit, id::delete_checkpoint,
                       id::delete_ai_line, id::delete_ai_pit_line}) {
            ui.set_control_enabled(id, true);
        }
        editor->undo.land_armed = editor->undo.heights_armed = true;
        editor->tools.object_kind = house;
        ui.select_object_kind_entry(3);
        set_what_new_leaves(*editor);
        full_redraw(*editor);
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

TEST_F(Commands, NewResetsTheDocumentAndLeavesToolsViewAndPathsAlone) {
    make_busy();
    const auto busy = parts_of(*editor, ui);
    ui.calls.clear();
    new_track_command(*editor);
    const auto renewed = parts_of(*editor, ui);

    // New's parts are a fresh editor's, apart from what it leaves as it was.
    ScriptedUi fresh_ui;
    auto fresh = std::make_unique<Editor>(fresh_ui);
    ASSERT_TRUE(set_up_editor(*fresh));
    initialise_panel(*fresh);
    set_what_new_leaves(*fresh);
    full_redraw(*fresh);
    EXPECT_EQ(differing(renewed, parts_of(*fresh, fresh_ui)), std::set<std::string>{});
    const std::set<std::string> left_alone{"tools", "view", "paths"};
    std::set<std::string> reset;
    for (const auto& [name, value] : busy) {
        if (!left_alone.contains(name)) {
            reset.insert(name);
        }
    }
    EXPECT_EQ(differing(renewed, busy), reset);

    // Ends with the properties dialog showing the defaults; cancelling keeps them.
    ASSERT_EQ(ui.properties_shown.size(), 1u);
    EXPECT_EQ(ui.properties_shown[0].world_size, 120);
    EXPECT_EQ(ui.properties_shown[0].zoom, 105);
    EXPECT_TRUE(ui.properties_shown[0].sf_line);
    const auto last_dialog = std::find_if(ui.calls.rbegin(), ui.calls.rend(), [](auto& call) {
        return !call.starts_with("modified ");
    });
    EXPECT_EQ(*last_dialog, "properties dialog -> cancel");
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
    ui.answer_properties([](PropertiesValues& v) {
        v.rotation = -180;
        v.water_level = 300; // beyond its slider: the slider's end
    });
    track_properties_command(*editor);

    const PropertiesValues& shown = ui.properties_shown.at(0);
    EXPECT_EQ(shown.water_level, 50);
    EXPECT_EQ(shown.view_angle, 60);
    // A line of two points counts its 100 map units twice: 200 / (512 / 120) = 46.875.
    EXPECT_EQ(shown.track_length, 46);
    EXPECT_EQ(t.track_length, 46);

    EXPECT_EQ(t.rotation, -180);
    EXPECT_EQ(t.water_level, 255);
    EXPECT_EQ(image(), redrawn_image());
}

// The texts as typed, as stored (Windows-1252 with "?" for what it lacks, CR LF, cut to 30
// and 500 bytes and never inside a CR LF, zeros behind) and as the dialog shows them again.
TEST_F(Commands, PropertiesTextsReplaceTheOldOnesWhole) {
    const std::string old_author = "Jos\xE9 Longname-Smith"; // stored bytes
    const std::string old_comments = "An older comment, longer than some";
    struct Row {
        const char* name;
        std::string author, comments;               // typed
        std::string stored_author, stored_comments; // Windows-1252
        std::string shown_author, shown_comments;   // UTF-8
    };
    const std::string c498(498, 'c');
    const Row rows[] = {
        {"shorter", "Bo", "Short", "Bo", "Short", "Bo", "Short"},
        {"longer", std::string(40, 'a'), std::string(600, 'c'), std::string(30, 'a'),
         std::string(500, 'c'), std::string(30, 'a'), std::string(500, 'c')},
        {"empty", "", "", "", "", "", ""},
        {"line breaks", "Ann", "one\ntwo\n", "Ann", "one\r\ntwo\r\n", "Ann", "one\ntwo\n"},
        {"a break that fits", "x", c498 + "\nX", "x", c498 + "\r\n", "x", c498 + "\n"},
        {"a break that does not", "x", c498 + "c\nX", "x", c498 + "c", "x", c498 + "c"},
        {"outside the code page", "\xC5\x81\xC3\xB3\x64\xC5\xBA", // "Łódź"
         "\xE2\x82\xAC 5 \xF0\x9F\x98\x80 \xE6\x97\xA5", "?\xF3\x64?", "\x80 5 ? ?",
         "?\xC3\xB3\x64?", "\xE2\x82\xAC 5 ? ?"},
    };
    auto padded = [](const std::string& text, std::size_t size) {
        return text + std::string(size - text.size(), '\0');
    };
    Track& t = editor->track;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t.author.fill(0);
        t.comments.fill(0);
        std::copy(old_author.begin(), old_author.end(), t.author.begin());
        std::copy(old_comments.begin(), old_comments.end(), t.comments.begin());
        ui.answer_properties([&row](PropertiesValues& v) {
            v.author = row.author;
            v.comments = row.comments;
        });
        track_properties_command(*editor);
        EXPECT_EQ(ui.properties_shown.back().author, "Jos\xC3\xA9 Longname-Smith");
        EXPECT_EQ(std::string(t.author.data(), t.author.size()),
                  padded(row.stored_author, t.author.size()));
        EXPECT_EQ(std::string(t.comments.data(), t.comments.size()),
                  padded(row.stored_comments, t.comments.size()));
        ui.answer_cancel();
        track_properties_command(*editor);
        EXPECT_EQ(ui.properties_shown.back().author, row.shown_author);
        EXPECT_EQ(ui.properties_shown.back().comments, row.shown_comments);
    }
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
