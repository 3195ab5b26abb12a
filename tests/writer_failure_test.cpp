// The editor's writers when the file system fails them at any step: the user is told, the
// file that was there stays as it was, and no temporary file is left in its folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "editor/scripted_ui.h"
#include "model/validation.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"
#include "tests/write_failures.h"

namespace cs {
namespace {

namespace fs = std::filesystem;
using test_support::WriteFailure;

struct WriterFailure : test_support::EditorTest {
    test_support::TempDir dir{"writer-failure"};
    void TearDown() override { reset_file_calls(); }

    // Walks every failure point of a panel command that writes through a save dialog,
    // answered (after a Yes to the question about the track's flaws, when asked) with the
    // path. The user must see exactly the expected messages, the last being the failure's.
    template <typename Command>
    void walk(Command command, const std::string& name, const std::vector<std::string>& expected,
              bool asks_first = false) {
        test_support::walk_every_failure(
            dir, name,
            [&](const fs::path& path) {
                ui.messages.clear();
                if (asks_first) {
                    ui.answer_yes_no(true);
                }
                ui.answer_path(path.string());
                command(*editor);
            },
            [&](const WriteFailure& failure) {
                EXPECT_EQ(ui.messages, expected);
                EXPECT_EQ(editor->documents.last_file_error, failure.reason());
            });
    }
};

TEST_F(WriterFailure, SaveTrackAtEveryStep) {
    const Flaws flaws = validate_track(editor->track);
    ASSERT_TRUE(flaws.any()); // a new track has no checkpoints: the question comes first
    walk(&save_track_command, "keep.trk", {validation_message(flaws), "Can't create file."}, true);
    EXPECT_FALSE(ui.title.ends_with((dir / "keep.trk").string())) << "named after a failed save";
}

TEST_F(WriterFailure, LandExportAtEveryStep) {
    walk(&export_land_command, "land.bmp", {"Can't create file!"});
}

TEST_F(WriterFailure, HeightExportAtEveryStep) {
    walk(&export_heights_command, "heights.bmp", {"Can't create file!"});
}

} // namespace
} // namespace cs
