// Start-up and the message loop of the Windows desktop program: the game path, the
// command-line track, the panel with the editor set up, the view, the controls' first
// state, the recovery copies and the keys.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "win32/win_ui.h"

namespace cs {

struct Editor;
class KeepWork;
class Panel;

// How often a recovery copy is written (0: never) and where; without a folder no copies
// are written and none are offered at start-up.
struct WorkOptions {
    int autosave_seconds = 60;
    std::filesystem::path recovery_folder;
};

class EditorApp {
  public:
    // Starts the editor as `coursesmith [TRACK]`: arguments as the command line gives them
    // (the program first, options taken out), executable the running program's path.
    // Nothing when the editor cannot be set up ("Initialization failed!" has been shown).
    static std::unique_ptr<EditorApp> start(const std::vector<std::string>& arguments,
                                            const std::string& executable, const WorkOptions& work);
    EditorApp();
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    // Runs the messages until the panel closes; the exit code.
    int run();

  private:
    void clean_up();
    void handle(MSG& msg);

    WinUi ui_;
    std::unique_ptr<Editor> editor_; // 1.8 MB: never on the stack
    std::unique_ptr<Panel> panel_;
    std::unique_ptr<KeepWork> keep_;
    HACCEL accelerators_ = nullptr;
    bool cleaned_up_ = false;
    bool follow_file_ = false; // the current file changed: watch its folder instead
};

// The editor's cursor: the cursor file at path when the editor's reader takes it, else the
// program's own.
HCURSOR load_editor_cursor(const std::string& path);

} // namespace cs
