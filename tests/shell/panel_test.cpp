// The panel driven through its real widgets: controls, keys, sliders, drops, and the Qt
// side of the Ui port. Dialogs and questions go to a ScriptedUi, so nothing blocks.
#include <sys/stat.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <functional>

#include "editor/editor.h"
#include "editor/history.h"
#include "editor/launch.h"
#include "editor/scripted_ui.h"
#include "model/trk_file.h"
#include "shell/app.h"
#include "shell/panel.h"
#include "shell/qt_ui.h"
#include "shell/view_widget.h"
#include "tests/shell/shell_fixture.h"

using namespace cs;

namespace cs {
char* toString(const LaunchPlan& plan) {
    QString text = QString::fromStdString(plan.program);
    for (const std::string& argument : plan.arguments) {
        text += " [" + QString::fromStdString(argument) + "]";
    }
    return QTest::toString(text + " in [" + QString::fromStdString(plan.working_directory) + "]");
}
} // namespace cs

namespace {

// Writes a file for a test; executable for its owner when asked.
void write_file(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    if (executable) {
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
}

// How many of the answerer's calls start with prefix.
int count_calls(const ScriptedUi& ui, const std::string& prefix) {
    return static_cast<int>(std::count_if(ui.calls.begin(), ui.calls.end(),
                                          [&](const auto& c) { return c.rfind(prefix, 0) == 0; }));
}

// Counts the presses of letter keys that a widget receives.
struct KeyCounter : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            presses += key >= Qt::Key_A && key <= Qt::Key_Z;
        }
        return false;
    }
};

} // namespace

class PanelTest : public QObject {
    Q_OBJECT
    shell_test::ShellApp shell;
    std::unique_ptr<ScriptedUi>& answers = shell.answers;
    std::unique_ptr<EditorApp>& app = shell.app;

    QWidget* control(int id) { return app->panel().control(id); }
    template <class T>
    T* control_as(int id) {
        return qobject_cast<T*>(control(id));
    }
    // A key press as the window system delivers it: to the panel's window first.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(app->panel().windowHandle(), key, modifiers);
        QCoreApplication::processEvents();
    }

  private slots:
    void init() {
        QVERIFY(shell.start());
        answers->calls.clear();
    }
    void cleanup() { shell.stop(); }

    void controls_start_as_the_template_says() {
        const int view_left = app->panel().view_left();
        for (const DialogControl& c : panel_controls) {
            const QString label = QString::fromUtf8(c.text.data(), c.text.size());
            QWidget* w = nullptr;
            if (c.id == no_id) {
                for (QLabel* l : app->panel().findChildren<QLabel*>()) {
                    w = l->text() == label ? l : w;
                }
            } else {
                w = control(c.id);
                QVERIFY2(w, qPrintable(label));
                QCOMPARE(w->objectName(), QString::number(c.id));
                QCOMPARE(w->isEnabled(), !c.has(style::disabled));
                if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                    QCOMPARE(b->text(), label);
                }
            }
            QVERIFY2(w, qPrintable(label));
            if (c.spoken_name.empty()) {
                QCOMPARE(w->accessibleName(), QString(label).remove(u'&'));
            }
            // Everything fits left of the view and inside the panel.
            QVERIFY2(w->geometry().right() < view_left, qPrintable(label));
            QVERIFY2(w->geometry().bottom() < app->panel().height(), qPrintable(label));
        }

        QCOMPARE(control_as<QSlider>(id::brush_size)->value(), 3);
        QCOMPARE(control_as<QSlider>(id::brush_size)->minimum(), 1);
        QCOMPARE(control_as<QSlider>(id::rope_length)->value(), 0);
        QCOMPARE(control_as<QSlider>(id::image_blend)->value(), 5);
        QCOMPARE(control_as<QSlider>(id::image_blend)->maximum(), 10);
        for (QAbstractButton* b : app->panel().findChildren<QAbstractButton*>()) {
            const bool expected =
                std::ranges::count(panel_initially_checked, b->objectName().toInt()) == 1;
            QVERIFY2(b->isChecked() == expected, qPrintable(b->text()));
        }
        auto* kinds = control_as<QComboBox>(id::object_kinds);
        QCOMPARE(kinds->count(), object_kind_count);
        QCOMPARE(kinds->currentIndex(), 0);
        QCOMPARE(kinds->itemText(4), QString("Fence"));
        QCOMPARE(kinds->itemData(4).toInt(), 23);
        QCOMPARE(kinds->itemData(24).toInt(), 18);
    }

    void delete_object_mode_ends_when_another_button_is_clicked() {
        shell.click(id::delete_object);
        QVERIFY(control_as<QPushButton>(id::delete_object)->isChecked());
        QVERIFY(app->editor().elements.delete_object_mode);
        shell.click(id::flatten);
        QVERIFY(!control_as<QPushButton>(id::delete_object)->isChecked());
        QVERIFY(!app->editor().elements.delete_object_mode);
    }

    // Disabling or enabling any control takes the focus away, which ends the mode too.
    void enabling_a_control_takes_the_focus_away() {
        shell.click(id::delete_object);
        QVERIFY(app->editor().elements.delete_object_mode);
        app->ui().set_control_enabled(id::land_undo, true);
        QVERIFY(control(id::land_undo)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), nullptr);
        QVERIFY(!app->editor().elements.delete_object_mode);
        QVERIFY(!control_as<QPushButton>(id::delete_object)->isChecked());
    }

    // Each accelerator sends its command once; a label's "&" adds no key of its own.
    void accelerators_send_their_command_once() {
        int draws = 0;
        app->editor().draw = [&draws] { return ++draws; };
        QSignalSpy titles(&app->panel(), &QWidget::windowTitleChanged);
        for (const Accelerator& a : accelerators) {
            answers->calls.clear();
            titles.clear();
            const auto modifier =
                a.modifier == KeyModifier::ctrl ? Qt::ControlModifier : Qt::AltModifier;
            press(Qt::Key(Qt::Key_A + (a.key - 'A')), modifier);
            const std::string what =
                std::string(1, a.key) + (modifier == Qt::AltModifier ? " alt" : " ctrl");
            int sent = 0;
            switch (a.command) {
            case id::new_track:
                sent = static_cast<int>(titles.count());
                break;
            case id::launch_game:
                sent = count_calls(*answers, "start ");
                break;
            case id::track_properties:
                sent = count_calls(*answers, "properties dialog");
                break;
            case id::save: // the default track is flawed: the question comes first
                sent = count_calls(*answers, "question") + count_calls(*answers, "save dialog");
                break;
            default:
                sent = count_calls(*answers, "open dialog");
                break;
            }
            QVERIFY2(sent == 1, what.c_str());
        }
        answers->calls.clear();
        press(Qt::Key_T, Qt::AltModifier); // "Launch &Tyrestorm"
        press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(answers->calls.empty());
    }

    void an_accelerator_key_still_reaches_the_focused_control() {
        control(id::new_track)->setFocus();
        KeyCounter counter;
        control(id::new_track)->installEventFilter(&counter);
        press(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(counter.presses, 1);
        QCOMPARE(count_calls(*answers, "question"), 1);
    }

    // Ctrl+Z takes one step back and Ctrl+Y or Ctrl+Shift+Z makes one again, wherever the
    // focus is; a repeat, a button held in the view or a modal dialog take none. The keys
    // never reach the focused control.
    void history_keys_step_once_per_press() {
        enum Hold { free, mouse_down, modal };
        struct Row {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            bool repeat;
            Hold hold;
            std::size_t done; // steps that can be undone afterwards, of the two painted
        };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Row rows[] = {
            {"Ctrl+Z", Qt::Key_Z, ctrl, false, free, 0},
            {"Ctrl+Y", Qt::Key_Y, ctrl, false, free, 2},
            {"Ctrl+Shift+Z", Qt::Key_Z, ctrl | Qt::ShiftModifier, false, free, 2},
            {"repeated Ctrl+Z", Qt::Key_Z, ctrl, true, free, 1},
            {"Ctrl+Z, mouse held", Qt::Key_Z, ctrl, false, mouse_down, 1},
            {"Ctrl+Z, modal dialog", Qt::Key_Z, ctrl, false, modal, 1},
        };
        Editor& editor = app->editor();
        QWidget* view = app->view().client();
        const QPoint a(100, 60), b(200, 160);
        const auto cells = [&] { return std::make_unique<Track>(editor.track); };
        const std::pair<QWidget*, const char*> focused[] = {{control(id::object_kinds), "the list"},
                                                            {control(id::brush_size), "a slider"},
                                                            {view, "the view"}};
        for (const auto& [focus, where] : focused) {
            for (const Row& row : rows) {
                const std::string what = std::string(row.name) + " at " + where;
                // Two painted steps, the second taken back.
                start_history(editor);
                std::unique_ptr<Track> painted[3] = {cells()};
                QTest::mouseClick(view, Qt::LeftButton, {}, a);
                painted[1] = cells();
                QTest::mouseClick(view, Qt::LeftButton, {}, b);
                painted[2] = cells();
                QVERIFY2(painted[1]->land != painted[0]->land, what.c_str());
                QVERIFY2(painted[2]->land != painted[1]->land, what.c_str());
                QVERIFY(undo_edit(editor));

                app->panel().activateWindow(); // again, after a dialog
                QVERIFY(QTest::qWaitForWindowActive(&app->panel()));
                focus->setFocus();
                QVERIFY2(QApplication::focusWidget() == focus, what.c_str());
                KeyCounter counter;
                focus->installEventFilter(&counter);
                QDialog dialog(&app->panel());
                auto* field = new QLineEdit(&dialog);
                if (row.hold == modal) {
                    dialog.setWindowModality(Qt::ApplicationModal);
                    dialog.show();
                    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                    field->setFocus();
                    QTest::keyClicks(field, "ab");
                } else if (row.hold == mouse_down) {
                    QTest::mousePress(view, Qt::LeftButton, {}, a); // paints what a has
                }
                const auto send = [&](QWindow* to) {
                    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                        qt_handleKeyEvent(to, type, row.key, row.modifiers, {}, row.repeat);
                    }
                };
                if (row.hold == modal) {
                    send(dialog.windowHandle());
                    // Qt keeps keys from a blocked window; one that arrives anyway acts not.
                    QKeyEvent behind(QEvent::KeyPress, row.key, row.modifiers);
                    QApplication::sendEvent(app->panel().windowHandle(), &behind);
                } else {
                    send(app->panel().windowHandle());
                }
                QCoreApplication::processEvents();
                if (row.hold == mouse_down) {
                    QTest::mouseRelease(view, Qt::LeftButton, {}, a);
                    QCoreApplication::processEvents();
                }
                QVERIFY2(undo_steps(editor) == row.done, what.c_str());
                QVERIFY2(redo_steps(editor) == 2 - row.done, what.c_str());
                QVERIFY2(editor.track.land == painted[row.done]->land, what.c_str());
                QVERIFY2(counter.presses == 0, what.c_str());
                // Ctrl+Z in the dialog's text keeps Qt's own meaning.
                QVERIFY2(field->text().isEmpty(), what.c_str());
                while (undo_edit(editor)) {
                }
            }
        }
    }

    void tab_moves_the_focus_one_control() {
        control(id::new_track)->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control(id::load));
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), control(id::new_track));
        // Disabled buttons are skipped and the radio group is one stop: its checked button.
        control(id::delete_object)->setFocus();
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control(id::tool_tarmac));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control(id::object_kinds));
        press(Qt::Key_Escape);
        QVERIFY(app->panel().isVisible());
    }

    void enter_clicks_the_focused_control_once() {
        control(id::delete_object)->setFocus();
        press(Qt::Key_Return);
        QVERIFY(control_as<QPushButton>(id::delete_object)->isChecked());
        QVERIFY(app->editor().elements.delete_object_mode);
    }

    // Labels keep to the top of their place, aligned as the template says, and let the
    // mouse through to the panel; the list is as high as when closed, with room for rows
    // below it.
    void labels_and_the_list_sit_as_the_template_says() {
        QHash<QString, QLabel*> labels;
        for (QLabel* l : app->panel().findChildren<QLabel*>()) {
            labels.insert(l->text(), l);
        }
        QCOMPARE(labels.value("Brush size")->alignment(), Qt::AlignRight | Qt::AlignTop);
        QCOMPARE(labels.value("Rotate AI line")->alignment(), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(app->panel().childAt(labels.value("Import")->geometry().center()), nullptr);
        auto* kinds = control_as<QComboBox>(id::object_kinds);
        QCOMPARE(kinds->height(), kinds->sizeHint().height());
        QVERIFY(kinds->maxVisibleItems() > 1);
    }

    void arrow_keys_in_the_list_choose_the_object_kind() {
        control(id::object_kinds)->setFocus();
        for (int i = 0; i < 4; ++i) {
            press(Qt::Key_Down);
        }
        QCOMPARE(app->editor().tools.object_kind, 23); // "Fence"
    }

    // What a screen reader hears for each control of the panel and the view: a name that
    // tells what it does and belongs to no other control (a label that names a control
    // speaks for it, as for the object-kind list).
    void every_control_has_a_name_of_its_own() {
        QHash<QString, QObject*> named;
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* parent) {
            for (int i = 0; i < parent->childCount(); ++i) {
                QAccessibleInterface* a = parent->child(i);
                if (a->state().invisible || a->role() == QAccessible::StaticText) {
                    continue;
                }
                const auto labels = a->relations(QAccessible::Label);
                const QString name = labels.isEmpty()
                                         ? a->text(QAccessible::Name)
                                         : labels.first().first->text(QAccessible::Name);
                const QString what = a->object()->metaObject()->className() + (" " + name);
                QVERIFY2(!name.isEmpty(), qPrintable(what));
                QVERIFY2(!named.contains(name), qPrintable(what));
                named.insert(name, a->object());
                walk(a);
            }
        };
        walk(QAccessible::queryAccessibleInterface(&app->panel()));
        // Every control of the template, and the view with its picture and two bars.
        const auto with_id = std::ranges::count_if(
            panel_controls, [](const DialogControl& c) { return c.id != no_id; });
        QCOMPARE(named.size(), with_id + 4);
        const std::pair<const char*, QObject*> expected[] = {
            {"Import land map", control(id::import_land)},
            {"Export height map", control(id::export_hmap)},
            {"Land and height blend", control(id::image_blend)},
            {"Rotate AI line start forward 1 point", control(id::rotate_back_1)},
            {"Object kind", control(id::object_kinds)},
            {"Track view", &app->view()},
        };
        for (const auto& [name, object] : expected) {
            QVERIFY2(named.value(name) == object, name);
        }
    }

    void brush_size_changes_only_on_release() {
        auto* slider = control_as<QSlider>(id::brush_size);
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = option.sliderValue = slider->value();
        const QPoint handle =
            slider->style()
                ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
                .center();
        const QPoint end(slider->width() - 1, handle.y());
        QTest::mousePress(slider, Qt::LeftButton, {}, handle);
        QMouseEvent drag(QEvent::MouseMove, QPointF(end), slider->mapToGlobal(QPointF(end)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &drag);
        QCOMPARE(slider->value(), 10);
        QCOMPARE(app->editor().tools.brush_size, 15);
        QTest::mouseRelease(slider, Qt::LeftButton, {}, end);
        QCOMPARE(app->editor().tools.brush_size, 50);
        // A keyboard move waits for the next release.
        slider->setFocus();
        press(Qt::Key_Left);
        QCOMPARE(slider->value(), 9);
        QCOMPARE(app->editor().tools.brush_size, 50);
    }

    void dropping_several_files_loads_only_the_first() {
        QTemporaryDir dir;
        auto track = std::make_unique<Track>();
        QStringList paths;
        for (int level : {60, 70}) {
            reset_track(*track);
            track->water_level = static_cast<std::uint8_t>(level);
            paths += dir.filePath(QString("t%1.trk").arg(level));
            QCOMPARE(write_track(paths.back().toStdString(), *track), TrackFileError::none);
        }
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1])});
        const QPointF at(10, 500);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&app->panel(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&app->panel(), &drop);
        // The track is loaded once the drop has ended.
        QTRY_COMPARE(app->editor().track.water_level, 60);
        QCOMPARE(app->panel().windowHandle()->title(), "Tyrestorm CourseSmith - " + paths[0]);
    }

    void titles_show_file_names_as_they_are() {
        app->ui().set_window_title("Tyrestorm CourseSmith - a&b[*].trk");
        QCOMPARE(app->panel().windowHandle()->title(),
                 QString("Tyrestorm CourseSmith - a&b[*].trk"));
    }

    void file_dialogs_match_patterns_in_either_case() {
        QTemporaryDir dir;
        FileDialogRequest request;
        request.filters = {{"Tyrestorm Track Files (*.trk)", "*.TRK"}, {"All Files", "*.*"}};
        request.default_extension = "trk";
        request.initial_name = dir.filePath("last.trk").toStdString();
        request.confirm_overwrite = true;
        std::unique_ptr<QFileDialog> save(make_file_dialog(request, true, nullptr));
        QCOMPARE(save->defaultSuffix(), QString("trk"));
        QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(QDir(save->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        auto* shown = save->findChild<QComboBox*>("fileTypeCombo");
        QCOMPARE(shown->itemText(0), QString("Tyrestorm Track Files (*.trk)"));
        QCOMPARE(shown->itemText(1), QString("All Files"));
        const QString trk = save->nameFilters().at(0);
        const QString pattern = trk.mid(trk.lastIndexOf('(') + 1).chopped(1);
        const auto re = QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive);
        QVERIFY(re.match("track.trk").hasMatch());
        QVERIFY(re.match("TRACK.TRK").hasMatch());
        QVERIFY(!re.match("track.bmp").hasMatch());
        QVERIFY(save->nameFilters().at(1).endsWith("(*)"));

        request.file_must_exist = true;
        request.confirm_overwrite = false;
        std::unique_ptr<QFileDialog> open(make_file_dialog(request, false, nullptr));
        QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
        open->show();
        QVERIFY(QTest::qWaitForWindowExposed(open.get()));
        auto* name = open->findChild<QLineEdit*>("fileNameEdit");
        QTRY_COMPARE(open->focusWidget(), name);
        QCOMPARE(name->text(), QString("last.trk"));
    }

    // The port's question: captioned "CourseSmith", its text shown as it is, Yes and No
    // with Yes the default, so that Enter and Y answer Yes, Escape and N No.
    void the_question_box_answers_by_key() {
        const std::pair<Qt::Key, bool> rows[] = {{Qt::Key_Return, true},
                                                 {Qt::Key_Enter, true},
                                                 {Qt::Key_Y, true},
                                                 {Qt::Key_Escape, false},
                                                 {Qt::Key_N, false}};
        const QString text = "<b>a.trk</b> & b.trk: Save anyway?";
        QtUi ui;
        for (const auto& [key, yes] : rows) {
            const QString what = QKeySequence(key).toString();
            shell_test::ShownBox shown;
            shell_test::when_box_shows(
                shown, [key = key](QMessageBox& box) { QTest::keyClick(&box, key); });
            QVERIFY2(ui.ask_yes_no(text.toStdString()) == yes, qPrintable(what));
            QCOMPARE(shown.caption, QString("CourseSmith"));
            QCOMPARE(shown.text, text);
            QCOMPARE(shown.format, Qt::PlainText);
            QCOMPARE(shown.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(shown.default_button, QMessageBox::Yes);
        }
    }

    void program_starts_report_failure() {
        QtUi ui;
        QVERIFY(!ui.start_program(QDir::tempPath().toStdString() + "/no-such-game.exe"));
        QVERIFY(ui.start_program("/bin/true"));
    }

    void windows_games_run_through_wine_found_on_the_search_path() {
        QTemporaryDir dir;
        const auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };
        for (const char* folder : {"bin", "plain", "dir/wine", "my games"}) {
            QVERIFY(QDir(dir.path()).mkpath(folder));
        }
        // The stand-in notes its working folder and its arguments, one a line.
        write_file(dir.filePath("bin/wine"),
                   "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do echo \"$a\"; done; } > \"$0.tmp\" && "
                   "mv \"$0.tmp\" \"$0.log\"\n",
                   true);
        write_file(dir.filePath("plain/wine"), "#!/bin/sh\n"); // not executable
        write_file(dir.filePath("wine"), "#!/bin/sh\n", true); // in the working folder
        write_file(dir.filePath("my games/Tyrestorm.exe"), "MZ\x90");
        write_file(dir.filePath("my games/native"), "\177ELF", true);
        write_file(dir.filePath("my games/lower.exe"), "Mz\x90");
        QCOMPARE(::mkfifo(path("my games/pipe.exe").c_str(), 0600), 0);

        const std::string game = path("my games/Tyrestorm.exe");
        const std::string skipped = path("plain") + ":" + path("dir");
        const LaunchPlan through_wine{path("bin/wine"), {game}, path("my games")};
        QCOMPARE(plan_launch(game, skipped + ":" + path("bin")), through_wine);
        QCOMPARE(plan_launch(game, path("bin") + ":" + skipped), through_wine);
        const struct {
            std::string game;
            std::string search_path;
        } as_today[] = {
            {game, skipped}, // no wine to run
            {game, ""},
            {path("my games/native"), path("bin")}, // not a Windows executable
            {path("my games/lower.exe"), path("bin")},
            {path("my games/pipe.exe"), path("bin")}, // never opened, so nothing blocks
            {path("my games/missing.exe"), path("bin")},
            {path("my games"), path("bin")},
        };
        for (const auto& c : as_today) {
            QCOMPARE(plan_launch(c.game, c.search_path), (LaunchPlan{c.game, {}, {}}));
        }

        // From the temporary folder: empty and relative entries of the search path, which
        // would find its wine and bin/wine, are skipped, and a relative game name is made
        // absolute, since the game starts in another folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const LaunchPlan unsearched = plan_launch("my games/Tyrestorm.exe", ":.:bin");
        const LaunchPlan relative = plan_launch("my games/Tyrestorm.exe", "bin:" + path("bin"));
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(unsearched, (LaunchPlan{"my games/Tyrestorm.exe", {}, {}}));
        QCOMPARE(relative, through_wine);

        // The port carries the plan out with the search path of its environment.
        const QByteArray search_path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath("bin")) + ":" + search_path);
        QtUi ui;
        const bool started = ui.start_program(game);
        qputenv("PATH", search_path);
        QVERIFY(started);
        QFile log(dir.filePath("bin/wine.log"));
        QTRY_VERIFY(log.exists());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()), QDir(dir.filePath("my games")).canonicalPath() +
                                                       "\n" + QString::fromStdString(game) + "\n");
    }
};

QTEST_MAIN(PanelTest)
#include "panel_test.moc"
