#include "shell/app.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/launch.h"
#include "editor/recovery.h"
#include "editor/setup.h"
#include "resources/control_ids.h"
#include "shell/keep_work.h"
#include "shell/panel.h"
#include "shell/qt_ui.h"
#include "shell/view_widget.h"

namespace cs {

namespace {

constexpr int view_size = 512;

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

EditorApp::EditorApp() = default;

EditorApp::~EditorApp() {
    panel_.reset();
    clean_up();
}

ViewWidget& EditorApp::view() {
    return *panel_->view();
}

void EditorApp::clean_up() {
    if (editor_ && !cleaned_up_) {
        // A normal exit: the recovery copy and this editor's lock go.
        end_recovery(*editor_);
        clean_up_editor(*editor_);
        cleaned_up_ = true;
    }
}

QString game_path_for(const QString& program_folder, const QString& command_line_program) {
    return QFile::decodeName(QByteArray::fromStdString(
        cs::game_path_for(local_path(program_folder), local_path(command_line_program))));
}

std::unique_ptr<EditorApp> start_editor(const QStringList& arguments, const QString& executable,
                                        Ui* answerer, const WorkOptions& work) {
    auto app = std::make_unique<EditorApp>();
    app->ui_ = std::make_unique<QtUi>();
    QtUi& ui = *app->ui_;
    ui.answerer = answerer;
    app->editor_ = std::make_unique<Editor>(ui);
    Editor& editor = *app->editor_;

    const QString program_folder = QFileInfo(executable).absolutePath();
    editor.program_folder = local_path(program_folder);
    editor.documents.game_path = local_path(game_path_for(program_folder, arguments.value(0)));
    if (arguments.size() >= 2) {
        editor.command_line_track = local_path(arguments.at(1));
    }

    // The panel, then the editor's set-up (which loads the command-line track).
    app->panel_ = std::make_unique<Panel>(editor);
    Panel& panel = *app->panel_;
    ui.attach_panel(&panel);
    EditorApp* owner = app.get();
    panel.on_close = [owner] { owner->clean_up(); };
    if (!set_up_editor(editor)) {
        ui.message_box("Initialization failed!");
        return nullptr;
    }

    // Layout from the ">>" button: the view starts 4 pixels right of the point just past
    // its bottom-right corner, and the panel is just wide enough for the view and at
    // least as high.
    const QRect last = panel.control(id::rotate_on_10)->geometry();
    const int x = last.x() + last.width();
    const int y = last.y() + last.height();
    const int view_left = x + 4;
    panel.setFixedSize(x + 518, std::max(y + 2, 514));
    panel.show();
    panel.activateWindow();

    auto* view = new ViewWidget(editor, &panel);
    view->setGeometry(view_left, 0, view_size, view_size);
    view->set_editor_cursor(load_editor_cursor(QFile::decodeName(editor.cursor_path.c_str())));
    view->show();
    ui.attach_view(view);
    panel.set_view(view, view_left);

    initialise_panel(editor);
    panel.setAcceptDrops(true);
    ui.set_window_title(title_text(editor.names.current_file_name));

    // Recovery copies: this editor's place in the folder, then the copies of editors that
    // are gone, then the timer that writes this one's.
    if (!work.recovery_folder.empty()) {
        if (work.autosave_seconds > 0) {
            start_recovery(editor, work.recovery_folder);
        }
        offer_recovery(editor, work.recovery_folder);
    }
    auto* keep =
        new KeepWork(editor, work.recovery_folder.empty() ? 0 : work.autosave_seconds, &panel);
    // The file is watched under its new name once the command that renamed it is done.
    ui.on_title_change = [keep = QPointer<KeepWork>(keep)] {
        if (keep) {
            QMetaObject::invokeMethod(
                keep, [keep] { keep->follow_current_file(); }, Qt::QueuedConnection);
        }
    };
    return app;
}

} // namespace cs
