// Start-up of the desktop program: the command-line track, the title, the layout, the
// game path and closing the window.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "model/trk_file.h"
#include "shell/app.h"
#include "shell/panel.h"
#include "shell/view_widget.h"

using namespace cs;

class StartupTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<ScriptedUi> answers;

    std::unique_ptr<EditorApp> start(const QStringList& arguments) {
        answers = std::make_unique<ScriptedUi>();
        return start_editor(arguments, dir.filePath("coursesmith"), answers.get());
    }

  private slots:
    void a_track_named_on_the_command_line_is_loaded_and_titled() {
        auto track = std::make_unique<Track>();
        reset_track(*track);
        track->water_level = 77;
        const QString path = dir.filePath("my track.trk");
        QCOMPARE(write_track(path.toStdString(), *track), TrackFileError::none);

        const auto app = start({"coursesmith", path});
        QVERIFY(app);
        QCOMPARE(app->editor().track.water_level, 77);
        QCOMPARE(app->panel().windowTitle(), "Tyrestorm CourseSmith - " + path);
        QVERIFY(answers->messages.empty());
    }

    void a_missing_track_leaves_the_default_track() {
        const QString path = dir.filePath("missing.trk");
        const auto app = start({"coursesmith", path});
        QVERIFY(app);
        QCOMPARE(answers->messages,
                 std::vector<std::string>{std::string(message_for(TrackFileError::cant_open))});
        QCOMPARE(app->editor().track.water_level, 50);
        QVERIFY(app->editor().renderer.exists());
    }

    void without_a_track_the_title_shows_a_made_up_name() {
        const auto app = start({"coursesmith"});
        QVERIFY(app);
        const QString title = app->panel().windowTitle();
        QVERIFY2(title.startsWith("Tyrestorm CourseSmith - ") && title.endsWith(".trk"),
                 qPrintable(title));
        QCOMPARE(app->editor().program_folder, dir.path().toStdString());
        QCOMPARE(app->editor().cursor_path, dir.filePath("coursesmith.cur").toStdString());
    }

    // The view sits 4 pixels right of the point just past the ">>" button's bottom-right
    // corner; the panel is 518 pixels wider than that point and at least 514 high.
    void the_layout_follows_the_last_rotation_button() {
        const auto app = start({"coursesmith"});
        QVERIFY(app);
        const QRect last = app->panel().control(id::rotate_on_10)->geometry();
        const int x = last.x() + last.width();
        const int y = last.y() + last.height();
        QCOMPARE(app->view().geometry(), QRect(x + 4, 0, 512, 512));
        QCOMPARE(app->panel().view_left(), x + 4);
        QCOMPARE(app->panel().size(), QSize(x + 518, std::max(y + 2, 514)));
        QVERIFY(app->panel().isVisible());
        QVERIFY(app->panel().acceptDrops());
    }

    void the_game_is_looked_for_beside_the_program_then_the_command_line_path() {
        const QString other = dir.filePath("bin");
        QVERIFY(QDir().mkpath(other));
        QCOMPARE(game_path_for(dir.path(), other + "/coursesmith"), other + "/Tyrestorm.exe");
        // A program path without a folder keeps the program's own folder.
        QCOMPARE(game_path_for(dir.path(), "coursesmith"), dir.filePath("Tyrestorm.exe"));
        QFile game(dir.filePath("Tyrestorm.exe"));
        QVERIFY(game.open(QIODevice::WriteOnly));
        game.close();
        QCOMPARE(game_path_for(dir.path(), other + "/coursesmith"), dir.filePath("Tyrestorm.exe"));
        const auto app = start({other + "/coursesmith"});
        QCOMPARE(app->editor().documents.game_path, dir.filePath("Tyrestorm.exe").toStdString());
        game.remove();
    }

    void closing_the_window_releases_the_editor_without_a_question() {
        const auto app = start({"coursesmith"});
        QVERIFY(app);
        app->editor().track.water_level = 99; // an unsaved change
        answers->calls.clear();
        QVERIFY(app->panel().close());
        QVERIFY(!app->editor().renderer.exists());
        QVERIFY(answers->calls.empty());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
