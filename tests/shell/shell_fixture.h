// The desktop program started for a widget test: the real panel, view and port, with the
// port's dialogs, questions and program starts answered by a ScriptedUi so that nothing
// modal ever blocks.
#pragma once

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "shell/app.h"
#include "shell/panel.h"
#include "shell/qt_ui.h"
#include "shell/view_widget.h"

namespace cs::shell_test {

// What a message box showed when it came up.
struct ShownBox {
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
};
// Once the next modal message box shows, notes what it shows in shown and answers it.
inline void when_box_shows(ShownBox& shown, std::function<void(QMessageBox&)> answer) {
    QTimer::singleShot(0, [&shown, answer = std::move(answer)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            qFatal("no message box");
        }
        shown = {box->windowTitle(), box->text(), box->textFormat(), box->standardButtons(),
                 box->standardButton(box->defaultButton())};
        answer(*box);
    });
}

struct ShellApp {
    std::unique_ptr<ScriptedUi> answers;
    std::unique_ptr<EditorApp> app;

    // Starts `coursesmith [TRACK]` as the program at `program` (its folder is where the
    // game and the cursor file are looked for) and waits for the panel to show. Nothing
    // when the editor could not be set up.
    EditorApp* start(const QStringList& arguments = {"coursesmith"},
                     const QString& program = QDir::tempPath() + "/coursesmith") {
        stop();
        answers = std::make_unique<ScriptedUi>();
        app = start_editor(arguments, program, answers.get());
        if (app && !QTest::qWaitForWindowExposed(&app->panel())) {
            app.reset();
        }
        return app.get();
    }
    void stop() {
        app.reset();
        answers.reset();
    }

    Editor& editor() { return app->editor(); }
    Panel& panel() { return app->panel(); }
    QWidget* control(int id) { return app->panel().control(id); }
    QWidget* view_client() { return app->view().client(); }
    // A click on a control of the panel, near its start, where a radio button or check box
    // has its mark; its command is handled before this returns.
    void click(int id) {
        QWidget* w = control(id);
        const int x = w->isRightToLeft() ? w->width() - 5 : 5;
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, w->height() / 2));
        QCoreApplication::processEvents();
    }
};

} // namespace cs::shell_test
