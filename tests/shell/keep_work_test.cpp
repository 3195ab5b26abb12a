// Keeping the user's work through the real widgets: the question before changes are dropped,
// the title's modified mark, recovery copies and a file changed by another program.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <filesystem>
#include <fstream>

#include "model/trk_file.h"
#include "model/validation.h"
#include "tests/shell/shell_fixture.h"

using namespace cs;
namespace fs = std::filesystem;

class KeepWorkTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::unique_ptr<EditorApp> start(ScriptedUi& answers, const QStringList& arguments,
                                     const WorkOptions& work = {}) {
        auto app = start_editor(arguments, dir.filePath("coursesmith"), &answers, work);
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
            QString caption, shown_text;
            QMessageBox::StandardButtons buttons;
            QTimer::singleShot(0, [&, key = key] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) {
                    qFatal("no question box");
                }
                caption = box->windowTitle();
                shown_text = box->text();
                buttons = box->standardButtons();
                if (key == Qt::Key_unknown) {
                    QTest::mouseClick(box->button(QMessageBox::Discard), Qt::LeftButton);
                } else {
                    QTest::keyClick(box, key);
                }
            });
            QVERIFY2(ui.ask_save_changes(text.toStdString()) == expected,
                     qPrintable(QKeySequence(key).toString()));
            QCOMPARE(caption, QString("CourseSmith"));
            QCOMPARE(shown_text, text);
            QCOMPARE(buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
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

    void recovery_copies_follow_the_edits_and_belong_to_their_editor() {
        const fs::path folder = dir.filePath("recovery-live").toStdString();
        ScriptedUi answers;
        const auto app = start(answers, {"coursesmith"}, WorkOptions{1, folder});
        QVERIFY(app);
        const std::string session = app->editor().recovery.session;
        const fs::path copy = folder / (session + ".trk"), record = folder / (session + ".info");
        QTest::mouseClick(app->view().client(), Qt::LeftButton, {}, QPoint(120, 80));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(copy) && fs::exists(record), 3000);
        auto read = std::make_unique<Track>(),
             edited = std::make_unique<Track>(app->editor().track);
        QVERIFY(read_track(copy, *read).error == TrackFileError::none &&
                encode_track(*read) == encode_track(*edited));

        // A second editor on the same folder leaves a running editor's copy alone.
        ScriptedUi second_answers;
        QVERIFY(start(second_answers, {"coursesmith"}, WorkOptions{1, folder}));
        QVERIFY(second_answers.messages.empty());
        QVERIFY(fs::exists(copy) && fs::exists(record));

        // Saved before the next tick has taken the finished write's result: the copy goes too.
        save_to(*app, answers, dir.filePath("saved.trk"));
        QVERIFY(!fs::exists(copy) && !fs::exists(record));
    }

    void a_left_over_copy_is_offered_at_start() {
        const fs::path folder = dir.filePath("recovery-left").toStdString();
        const std::string original = track_file("original.trk", 20);
        for (const bool restore : {true, false}) {
            fs::create_directories(folder);
            fs::rename(track_file("copy.trk", 88), folder / "session-gone.trk");
            std::ofstream(folder / "session-gone.info")
                << "CourseSmith recovery 1\ntime 1700000000\nfile " << original << "\n";

            ScriptedUi answers;
            answers.answer_yes_no(restore);
            const auto app = start(answers, {"coursesmith"}, WorkOptions{1, folder});
            QVERIFY(app);
            QVERIFY(answers.messages.size() == 1 &&
                    answers.messages[0].starts_with("CourseSmith found unsaved changes to "
                                                    "original.trk from "));
            QVERIFY(!fs::exists(folder / "session-gone.trk") &&
                    !fs::exists(folder / "session-gone.info"));
            QCOMPARE(fs::exists(folder / (app->editor().recovery.session + ".trk")), restore);
            QCOMPARE(app->editor().track.water_level, restore ? 88 : 50);
            QCOMPARE(title(*app).endsWith(QString::fromStdString(original) + "*"), restore);
        }
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
