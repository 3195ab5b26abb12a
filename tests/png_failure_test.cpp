// The command-line tool's picture output when the file system fails it at any step: the
// failure and its reason come back to the caller, the file that was there stays as it was,
// and no temporary file is left in its folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/png_output.h"
#include "tests/editor_fixture.h"
#include "tests/temp_dir.h"
#include "tests/write_failures.h"

namespace cs {
namespace {

namespace fs = std::filesystem;
using test_support::WriteFailure;

struct PngFailure : test_support::EditorTest {
    test_support::TempDir dir{"png-failure"};
    void TearDown() override { reset_file_calls(); }
};

TEST_F(PngFailure, ViewPictureAtEveryStep) {
    bool written = true;
    std::error_code reason;
    test_support::walk_every_failure(
        dir, "view.png",
        [&](const fs::path& path) {
            reason.clear();
            written = write_view_png(editor->renderer, 2, path.string(), &reason);
        },
        [&](const WriteFailure& failure) {
            EXPECT_FALSE(written);
            EXPECT_EQ(reason, failure.reason());
        });
}

} // namespace
} // namespace cs
