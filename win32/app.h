// Start-up and the message loop of the Windows desktop program: the game path, the
// command-line track, the panel with the editor set up, the view, the controls' first
// state, the recovery copies and the keys.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/program_options.h"
#include "win32/win_ui.h"

namespace cs {

struct Editor;
class KeepWork;
class Panel;

class EditorApp {
  public:
    // Starts the editor as `coursesmith [TRACK]`: arguments as the command line gives them
    // (the program first, options taken out), executable the running program's path.
    // Nothing when the editor cannot be set up ("Initialization failed!" has been shown).
    // With answerer set, the port's dialogs, questions and program starts go to it.
    static std::unique_ptr<EditorApp> start(const std::vector<std::string>& arguments,
                                            const std::string& executable, const WorkOptions& work,
                                            Ui* answerer = nullptr);
    EditorApp();
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    // Runs the messages until the panel closes; the exit code.
    int run();
    // One message through the loop's filters (history keys, the wheel, accelerators, the
    // dialog manager) and on to its window.
    void handle(MSG& msg);

    WinUi& ui() { return ui_; }
    Editor& editor() { return *editor_; }
    Panel& panel() { return *panel_; }

  private:
    void clean_up();

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
