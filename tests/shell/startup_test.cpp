// Start-up of the desktop program: the command-line track, the title, the layout, the
// game path and closing the window.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <chrono>
#include <cstdint>
#include <string>

#include "model/names.h"
#include "model/trk_file.h"
#include "tests/shell/shell_fixture.h"

using namespace cs;

class StartupTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    shell_test::ShellApp shell;
    std::unique_ptr<ScriptedUi>& answers = shell.answers;

    // The program as if it ran from dir.
    EditorApp* start(const QStringList& arguments) {
        return shell.start(arguments, dir.filePath("coursesmith"));
    }

  private slots:
    void cleanup() { shell.stop(); }

    void a_track_named_on_the_command_line_is_loaded_and_titled() {
        auto track = std::make_unique<Track>();
        reset_track(*track);
        track->water_level = 77;
        const QString path = dir.filePath("my track.trk");
        QCOMPARE(write_track(path.toStdString(), *track), TrackFileError::none);

        const auto app = start({"coursesmith", path});
        QVERIFY(app);
        QCOMPARE(app->editor().track.water_level, 77);
        QCOMPARE(app->panel().windowHandle()->title(), "Tyrestorm CourseSmith - " + path);
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

    // Without a track each start makes up a name from the milliseconds of the monotonic
    // clock (since boot) at its set-up, so two starts name their tracks differently.
    void each_start_makes_up_a_name_of_its_own() {
        const auto now = [] {
            return static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now().time_since_epoch())
                    .count());
        };
        std::string names[2];
        for (std::string& name : names) {
            QTest::qWait(2); // the second start's milliseconds are all later
            const std::uint32_t before = now();
            const auto app = start({"coursesmith"});
            const std::uint32_t after = now();
            QVERIFY(app);
            name = app->editor().names.current_file_name;
            QCOMPARE(app->panel().windowHandle()->title().toStdString(), title_text(name));
            bool made_then = false;
            for (std::uint32_t tick = before; tick <= after && !made_then; ++tick) {
                seed_standard_draw(tick);
                made_then = make_up_name(standard_draw) == name;
            }
            QVERIFY2(made_then, name.c_str());
        }
        QVERIFY(names[0] != names[1]);
        QCOMPARE(shell.editor().program_folder, dir.path().toStdString());
        QCOMPARE(shell.editor().cursor_path, dir.filePath("coursesmith.cur").toStdString());
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

    // An unmodified track closes at once; a modified one only after the question, which
    // Cancel answers by keeping the window and the track.
    void closing_the_window_asks_only_about_unsaved_changes() {
        auto app = start({"coursesmith"});
        QVERIFY(app);
        answers->calls.clear();
        QVERIFY(app->panel().close());
        QVERIFY(!app->editor().renderer.exists());
        QVERIFY(answers->calls.empty());

        app = start({"coursesmith"});
        QVERIFY(app);
        app->editor().track.water_level = 99; // an unsaved change
        answers->answer_changes(ChangesAnswer::cancel);
        QVERIFY(!app->panel().close());
        QVERIFY(app->panel().isVisible());
        QVERIFY(app->editor().renderer.exists());
        QCOMPARE(app->editor().track.water_level, 99);
        answers->answer_changes(ChangesAnswer::discard);
        QVERIFY(app->panel().close());
        QVERIFY(!app->editor().renderer.exists());
        const QString question = QString::fromStdString(answers->messages.back());
        QVERIFY(question.startsWith("Save the changes to ") &&
                question.endsWith(".trk before closing?"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
