// The replay interpreter through its own interface, with the outputs a caller leaves out;
// what the tool prints and writes through it is pinned by the golden files and cli_test.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "replay/replay.h"

namespace cs {
namespace {

int run_script(const char* text, const ReplayOptions& options) {
    std::istringstream script(text);
    return run_replay(options, script, ReplayOutputs{});
}

// Without a transcript or diagnostics the lines still run and the failures still count; an
// output asked for without its writer is a failure, not a file quietly left unwritten.
TEST(ReplayLibrary, OutputsLeftOutAreDroppedOrRefused) {
    ReplayOptions options;
    options.script = "s.txt";
    EXPECT_EQ(run_script("print title\nanswer yes\n", options), 0);
    EXPECT_EQ(run_script("print title\nnonsense\n", options), 2);
    options.save = "out.trk";
    EXPECT_EQ(run_script("print tool\n", options), 2);
    options.save.clear();
    options.png = "out.png";
    EXPECT_EQ(run_script("print tool\n", options), 2);
}

// The Ui's message boxes reach the replay only while it lives.
TEST(ReplayLibrary, MessageHooksGoWithTheReplay) {
    ScriptedUi ui;
    auto editor = std::make_unique<Editor>(ui);
    {
        const Replay replay(ui, *editor, ReplayOutputs{});
        EXPECT_TRUE(ui.on_message && ui.on_changes_question);
    }
    EXPECT_FALSE(ui.on_message || ui.on_changes_question);
}

} // namespace
} // namespace cs
