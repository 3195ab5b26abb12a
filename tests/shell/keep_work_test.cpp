// Keeping the user's work through the real widgets: the question before changes are dropped,
// the title's modified mark and a file changed by another program. (Recovery copies are
// written and offered by the real program in tests/e2e/recovery_test.sh.)
#include <QAbstractButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include "model/trk_file.h"
#include "model/validation.h"
#include "tests/shell/shell_fixture.h"

using namespace cs;

class KeepWorkTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::unique_ptr<EditorApp> start(ScriptedUi& answers, const QStringList& arguments) {
        auto app = start_editor(arguments, dir.filePath("coursesmith"), &answers);
        return app && QTest::qWaitForWindowExposed(&app->panel()) ? std::move(app) : nullptr;
    }
    static QString title(EditorApp& app) { return app.panel().windowHandle()->title(); }
    static void ctrl(EditorApp& app, Qt::Key key) {
        QTest::keyClick(app.panel().windowHandle(), key, Qt::ControlModifier);
    }
    // Ctrl+S to path; the flaws question, when the track has flaws, is answered Yes.
    static void save_to(EditorApp& app, ScriptedUi& answers, const QString& path) {
        if (validate_track(app.editor().track).any()) {
            answers.answer_yes_no(true);
        }
        answers.answer_path(path.toStdString());
        ctrl(app, Qt::Key_S);
        QVERIFY(answers.queue.empty());
    }
    // A default track with the water level given, written as another program would.
    std::string track_file(const char* name, int water_level) {
        auto track = std::make_unique<Track>();
        reset_track(*track);
        track->water_level = static_cast<std::uint8_t>(water_level);
        const std::string path = dir.filePath(name).toStdString();
        std::error_code reason;
        if (write_track(path, *track, &reason) != TrackFileError::none) {
            qFatal("cannot write %s: %s", path.c_str(), reason.message().c_str());
        }
        return path;
    }

  private slots:
    void the_changes_box_answers_by_key_and_button() {
        // Key_unknown: a click on the Discard button.
        const std::pair<Qt::Key, ChangesAnswer> rows[] = {
            {Qt::Key_Return, ChangesAnswer::save},
            {Qt::Key_Escape, ChangesAnswer::cancel},
            {Qt::Key_unknown, ChangesAnswer::discard}};
        const QString text = "Save the changes to <a>.trk before closing?";
        QtUi ui;
        for (const auto& [key, expected] : rows) {
            shell_test::ShownBox shown;
            shell_test::when_box_shows(shown, [key = key](QMessageBox& box) {
                if (key == Qt::Key_unknown) {
                    QTest::mouseClick(box.button(QMessageBox::Discard), Qt::LeftButton);
                } else {
                    QTest::keyClick(&box, key);
                }
            });
            QVERIFY2(ui.ask_save_changes(text.toStdString()) == expected,
                     qPrintable(QKeySequence(key).toString()));
            QCOMPARE(shown.caption, QString("CourseSmith"));
            QCOMPARE(shown.text, text);
            QCOMPARE(shown.buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        }
    }

    void an_edit_marks_the_title_until_it_is_taken_back() {
        ScriptedUi answers;
        const auto app = start(answers, {"coursesmith"});
        QVERIFY(app);
        const QString saved = title(*app);
        QTest::mouseClick(app->view().client(), Qt::LeftButton, {}, QPoint(100, 60));
        QTRY_COMPARE(title(*app), saved + "*");
        QVERIFY(saved.endsWith(".trk"));
        ctrl(*app, Qt::Key_Z);
        QTRY_COMPARE(title(*app), saved);
    }

    void a_file_changed_by_another_program_is_offered_again() {
        const std::string path = track_file("watched.trk", 77);
        ScriptedUi answers;
        const auto app = start(answers, {"coursesmith", QString::fromStdString(path)});
        QVERIFY(app);
        const std::string question = "watched.trk was changed by another program. Load it again?";
        const auto asked = [&] { return std::ranges::count(answers.messages, question); };

        answers.answer_yes_no(true);
        track_file("watched.trk", 33);
        QTRY_COMPARE_WITH_TIMEOUT(asked(), 1, 3000);
        QCOMPARE(app->editor().track.water_level, 33);
        QVERIFY(!app->panel().isWindowModified());

        // The editor's own save is no change by another program.
        save_to(*app, answers, QString::fromStdString(path));
        QTest::qWait(1000);
        QCOMPARE(asked(), 1);

        // The watch survives the save's replace: the next change is noticed; No keeps the
        // track and marks it modified.
        answers.answer_yes_no(false);
        track_file("watched.trk", 12);
        QTRY_COMPARE_WITH_TIMEOUT(asked(), 2, 3000);
        QCOMPARE(app->editor().track.water_level, 33);
        QTRY_VERIFY(title(*app).endsWith("watched.trk*"));
    }
};

QTEST_MAIN(KeepWorkTest)
#include "keep_work_test.moc"
