// An editor set up as the program starts it, and views of its image, for the tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"

namespace cs::test_support {

// The pixels of the view image, row by row.
inline std::vector<Pixel> image_of(const Editor& editor) {
    const Pixel* p = editor.renderer.image.get();
    return {p, p + image_size * image_size};
}

// The image a full redraw makes from the current track. The image itself is left as it
// was, so the result can be compared with it in either order.
inline std::vector<Pixel> redrawn_image_of(Editor& editor) {
    const std::vector<Pixel> shown = image_of(editor);
    full_redraw(editor);
    std::vector<Pixel> redrawn = image_of(editor);
    std::copy(shown.begin(), shown.end(), editor.renderer.image.get());
    return redrawn;
}

struct EditorTest : ::testing::Test {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    void SetUp() override { ASSERT_TRUE(set_up_editor(*editor)); }
    std::vector<Pixel> image() const { return image_of(*editor); }
    std::vector<Pixel> redrawn_image() { return redrawn_image_of(*editor); }
    // Runs a panel command whose file dialog is answered with path.
    void run_with_file(void (*command)(Editor&), const std::filesystem::path& path) {
        ui.answer_path(path.string());
        command(*editor);
    }
};

} // namespace cs::test_support
