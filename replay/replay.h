// Runs a script of panel commands, mouse gestures and dialog answers against the editor,
// the way the desktop program would receive them. docs/replay.md describes the language.
#pragma once

#include <cstdio>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace cs {

struct Editor;
struct Renderer;
class ScriptedUi;
struct Track;

// Where a replay's output goes; the caller's writers, so that the interpreter needs no
// file format beyond the core's.
struct ReplayOutputs {
    // What the script prints: the answers to print lines, "closed", and each message box
    // and question as "message: TEXT" and "question: TEXT". Null: dropped.
    std::FILE* transcript = nullptr;
    // What run_replay reports: a line that cannot be run, answers left unused. Null: dropped.
    std::FILE* diagnostics = nullptr;
    // After the script, the track (--save) and the view picture (--png) to path ("-":
    // standard output). Each returns true when written, else reports why not itself and
    // returns false. An empty writer is one that always fails.
    std::function<bool(const std::string& path, Track& track)> save_track;
    std::function<bool(const std::string& path, const Renderer& renderer)> save_view;
};

// The interpreter of script lines, one at a time, against an editor and its scripted Ui.
// The Ui's message boxes and questions go to the transcript while it lives.
class Replay {
  public:
    Replay(ScriptedUi& ui, Editor& editor, ReplayOutputs outputs);
    // The Ui's message boxes go nowhere again.
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // Runs one script line; an empty result when it ran, else what is wrong with it.
    std::string run_line(std::string_view text, int line_number);

    // Whether a close line closed the editor: nothing further runs.
    bool closed() const { return closed_; }

  private:
    using Words = std::vector<std::string_view>;

    std::string run(const Words& w);
    std::string mouse_button(const Words& w);
    std::string mouse_move(const Words& w);
    std::string answer(const Words& w);
    std::string print(const Words& w);
    void line(const std::string& text);

    ScriptedUi& ui_;
    Editor& editor_;
    ReplayOutputs outputs_;
    int line_ = 0; // the line being run
    bool closed_ = false;
};

struct ReplayOptions {
    std::string track;  // loaded as the command-line track, if not empty
    std::string script; // the script's path, for messages
    std::string save;   // the track written afterwards, if not empty ("-": out)
    std::string png;    // the view image afterwards, if not empty ("-": out)
};

// The whole script against an editor set up as the program sets itself up. Returns the
// exit code: 0 done, 2 a line that cannot be run (reported to the diagnostics as
// "SCRIPT:LINE: what is wrong: "the line"") or a file that cannot be read or written.
int run_replay(const ReplayOptions& options, std::istream& script, const ReplayOutputs& outputs);

} // namespace cs
