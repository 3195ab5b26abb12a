// Start-up of the desktop program: the game path, the command-line track, the panel with
// the editor set up, the layout, the view and the controls' first state.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "editor/program_options.h"

namespace cs {

struct Editor;
class Panel;
class QtUi;
class Ui;
class ViewWidget;

// The running editor: owns the Ui port, the editor record and the panel (which owns the
// view). Destroying it closes the windows and releases the editor's buffers.
class EditorApp {
  public:
    EditorApp();
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    QtUi& ui() { return *ui_; }
    Editor& editor() { return *editor_; }
    Panel& panel() { return *panel_; }
    ViewWidget& view();

  private:
    friend std::unique_ptr<EditorApp> start_editor(const QStringList&, const QString&, Ui*,
                                                   const WorkOptions&);
    std::unique_ptr<QtUi> ui_;
    std::unique_ptr<Editor> editor_;
    std::unique_ptr<Panel> panel_;
    bool cleaned_up_ = false;
    void clean_up();
};

// The game's executable: "Tyrestorm.exe" in the folder of the running program, or, when
// there is none, beside the program path that the command line gives.
QString game_path_for(const QString& program_folder, const QString& command_line_program);

// Starts the editor as `coursesmith [TRACK]`: arguments as the command line gives them
// (the program first), executable the running program's path. With answerer set, the
// port's dialogs, questions and program starts go to it. Nothing when the editor cannot
// be set up ("Initialization failed!" has then been shown). Once the windows show, the
// recovery copies left by editors that are gone are offered.
std::unique_ptr<EditorApp> start_editor(const QStringList& arguments, const QString& executable,
                                        Ui* answerer = nullptr, const WorkOptions& work = {});

} // namespace cs
