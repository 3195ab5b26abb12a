#include "shell/qt_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include "editor/launch.h"
#include "shell/panel.h"
#include "shell/properties_dialog.h"
#include "shell/view_widget.h"

namespace cs {

namespace {

const QString caption = QStringLiteral("CourseSmith");

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A wildcard that matches letters of either case: "*.TRK" becomes "*.[tT][rR][kK]", so
// that "track.trk" shows on a case-sensitive file system. "*.*" means every file.
QString any_case_pattern(const std::string& pattern) {
    if (pattern == "*.*") {
        return QStringLiteral("*");
    }
    QString out;
    for (const QChar c : text_of(pattern)) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
            out += u'[';
            out += c.toLower();
            out += c.toUpper();
            out += u']';
        } else {
            out += c;
        }
    }
    return out;
}

// "Name (patterns)": the dialog is told to hide the patterns, so the list shows the name
// as the request gives it.
QStringList name_filters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const QString& p : text_of(f.pattern).split(u';', Qt::SkipEmptyParts)) {
            patterns += any_case_pattern(p.trimmed().toStdString());
        }
        out += text_of(f.name) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return out;
}

std::optional<std::string> run_file_dialog(const FileDialogRequest& request, bool save,
                                           QWidget* parent) {
    QFileDialog* dialog = make_file_dialog(request, save, parent);
    std::optional<std::string> chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        chosen = QFile::encodeName(dialog->selectedFiles().constFirst()).toStdString();
    }
    delete dialog;
    return chosen;
}

} // namespace

QFileDialog* make_file_dialog(const FileDialogRequest& request, bool save, QWidget* parent) {
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(!save && request.file_must_exist ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirm_overwrite);
    dialog->setNameFilters(name_filters(request.filters));
    dialog->setDefaultSuffix(text_of(request.default_extension));

    // Start in the folder of the last name (or the current folder) with its file name in
    // the name field, which takes the focus so that a typed path and Enter are enough.
    const QFileInfo last(QFile::decodeName(QByteArray::fromStdString(request.initial_name)));
    const bool has_folder = request.initial_name.find('/') != std::string::npos;
    const QDir folder =
        has_folder && last.absoluteDir().exists() ? last.absoluteDir() : QDir::current();
    dialog->setDirectory(folder);
    if (!request.initial_name.empty()) {
        dialog->selectFile(last.fileName());
    }
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        QTimer::singleShot(0, name, [name] { name->setFocus(Qt::OtherFocusReason); });
    }
    return dialog;
}

QtUi::QtUi() {
    clock_.start();
}

void QtUi::attach_panel(Panel* panel) {
    panel_ = panel;
}

void QtUi::attach_view(ViewWidget* view) {
    view_ = view;
}

// A message belongs to the modal dialog that is open (the properties dialog's world-size
// message), otherwise to the panel.
QWidget* QtUi::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return panel_;
}

void QtUi::message_box(std::string_view text) {
    if (answerer) {
        answerer->message_box(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text_of(text), QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUi::ask_yes_no(std::string_view text) {
    if (answerer) {
        return answerer->ask_yes_no(text);
    }
    // The buttons' mnemonics let Y and N answer.
    QMessageBox box(QMessageBox::NoIcon, caption, text_of(text), QMessageBox::Yes | QMessageBox::No,
                    owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

ChangesAnswer QtUi::ask_save_changes(std::string_view text) {
    if (answerer) {
        return answerer->ask_save_changes(text);
    }
    // Save is the default (Enter); Escape and the close box are Cancel.
    QMessageBox box(QMessageBox::NoIcon, caption, text_of(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return ChangesAnswer::save;
    case QMessageBox::Discard:
        return ChangesAnswer::discard;
    default:
        return ChangesAnswer::cancel;
    }
}

std::optional<std::string> QtUi::open_file_dialog(const FileDialogRequest& request) {
    if (answerer) {
        return answerer->open_file_dialog(request);
    }
    return run_file_dialog(request, false, panel_);
}

std::optional<std::string> QtUi::save_file_dialog(const FileDialogRequest& request) {
    if (answerer) {
        return answerer->save_file_dialog(request);
    }
    return run_file_dialog(request, true, panel_);
}

void QtUi::set_control_enabled(int id, bool enabled) {
    if (panel_) {
        if (QWidget* control = panel_->control(id)) {
            control->setEnabled(enabled);
        }
    }
    // The keyboard focus goes away from every control; a box that reports losing the
    // focus hears of it now.
    if (QWidget* focused = QApplication::focusWidget()) {
        focused->clearFocus();
    }
}

void QtUi::set_check(int id, bool checked) {
    auto* button = panel_ ? qobject_cast<QAbstractButton*>(panel_->control(id)) : nullptr;
    if (!button) {
        return;
    }
    const QSignalBlocker quiet(button);
    // An exclusive radio button cannot be unchecked directly.
    const bool exclusive = button->autoExclusive();
    if (!checked && exclusive) {
        button->setAutoExclusive(false);
    }
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

int QtUi::check_state(int id) {
    auto* button = panel_ ? qobject_cast<QAbstractButton*>(panel_->control(id)) : nullptr;
    return button && button->isChecked() ? 1 : 0;
}

void QtUi::set_slider(int id, int minimum, int maximum, int position) {
    auto* slider = panel_ ? qobject_cast<QSlider*>(panel_->control(id)) : nullptr;
    if (!slider) {
        return;
    }
    const QSignalBlocker quiet(slider);
    slider->setRange(minimum, maximum);
    // A page is a fifth of the range, as on a trackbar.
    slider->setPageStep(std::max(1, (maximum - minimum) / 5));
    slider->setValue(position);
}

int QtUi::slider_position(int id) {
    auto* slider = panel_ ? qobject_cast<QSlider*>(panel_->control(id)) : nullptr;
    return slider ? slider->value() : 0;
}

void QtUi::select_object_kind_entry(int position) {
    auto* list = panel_ ? qobject_cast<QComboBox*>(panel_->control(id::object_kinds)) : nullptr;
    if (list) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(position);
    }
}

int QtUi::object_kind_selection() {
    auto* list = panel_ ? qobject_cast<QComboBox*>(panel_->control(id::object_kinds)) : nullptr;
    return list ? list->currentIndex() : -1;
}

void QtUi::set_window_title(std::string_view title) {
    if (panel_) {
        // "[*]" in a title is Qt's placeholder for the modified mark: doubled it shows as
        // itself, and the one at the end is where the mark goes, after the file name.
        QString text = text_of(title);
        text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        panel_->setWindowTitle(text + QStringLiteral("[*]"));
    }
    if (on_title_change) {
        on_title_change();
    }
}

void QtUi::set_modified_mark(bool modified) {
    if (panel_) {
        panel_->setWindowModified(modified);
    }
}

ClientSize QtUi::view_client_size() {
    return view_ ? view_->client_size() : ClientSize{};
}

void QtUi::set_scroll_bar(ScrollBar bar, const ScrollSettings& settings) {
    if (view_) {
        view_->set_scroll_bar(bar, settings);
    }
}

ScrollSettings QtUi::scroll_bar(ScrollBar bar) {
    return view_ ? view_->scroll_bar(bar) : ScrollSettings{};
}

void QtUi::repaint_view_now() {
    if (view_) {
        view_->repaint_now();
    }
}

void QtUi::capture_mouse() {
    if (view_) {
        view_->capture_mouse();
    }
}

void QtUi::release_mouse() {
    if (view_) {
        view_->release_mouse();
    }
}

std::uint32_t QtUi::tick_count() {
    // Milliseconds of the monotonic clock (since boot where the system has one), so that
    // every run seeds its made-up names differently.
    clock_.start();
    return static_cast<std::uint32_t>(clock_.msecsSinceReference());
}

bool QtUi::start_program(const std::string& path) {
    if (answerer) {
        return answerer->start_program(path);
    }
    // A Windows game runs through Wine where Wine is installed (editor/launch.h); the start
    // counts as made when the program of the plan starts.
    const LaunchPlan plan = plan_launch(path, qgetenv("PATH").toStdString());
    const auto local = [](const std::string& name) {
        return QFile::decodeName(QByteArray::fromStdString(name));
    };
    QStringList arguments;
    for (const std::string& argument : plan.arguments) {
        arguments << local(argument);
    }
    return QProcess::startDetached(local(plan.program), arguments, local(plan.working_directory));
}

bool QtUi::run_properties_dialog(PropertiesValues& values,
                                 const std::function<void(const PropertiesValues&)>& on_ok) {
    if (answerer) {
        return answerer->run_properties_dialog(values, on_ok);
    }
    return cs::run_properties_dialog(panel_, values, on_ok);
}

} // namespace cs
