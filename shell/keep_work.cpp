#include "shell/keep_work.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "editor/changes.h"
#include "editor/editor.h"
#include "editor/recovery.h"

namespace cs {

namespace {

constexpr int settle_ms = 300;

} // namespace

KeepWork::KeepWork(Editor& editor, int autosave_seconds, QWidget* watched)
    : QObject(watched), editor_(editor) {
    if (autosave_seconds > 0) {
        connect(&autosave_timer_, &QTimer::timeout, this, &KeepWork::autosave);
        autosave_timer_.start(autosave_seconds * 1000);
    }
    settle_timer_.setSingleShot(true);
    settle_timer_.setInterval(settle_ms);
    connect(&settle_timer_, &QTimer::timeout, this, &KeepWork::check_file);
    const auto changed = [this] { settle_timer_.start(); };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    watched->installEventFilter(this);
    follow_current_file();
}

bool KeepWork::busy() {
    return QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

void KeepWork::autosave() {
    if (!busy()) {
        autosave_tick(editor_);
    }
}

void KeepWork::follow_current_file() {
    const QStringList old = watcher_.files() + watcher_.directories();
    if (!old.isEmpty()) {
        watcher_.removePaths(old);
    }
    if (!editor_.documents.disk_stamp) {
        return; // a new track: no file of its own yet
    }
    // The folder as well: a file replaced by a rename is a new file the watch on the old
    // one does not see.
    const QString path = QFile::decodeName(editor_.names.current_file_name.c_str());
    const QFileInfo file(path);
    QStringList paths{file.absolutePath()};
    if (file.exists()) {
        paths << file.absoluteFilePath();
    }
    watcher_.addPaths(paths);
}

void KeepWork::check_file() {
    if (busy() || editor_.gesture.button_down != 0) {
        settle_timer_.start(); // asked once the user is done
        return;
    }
    check_file_on_disk(editor_);
    follow_current_file();
}

bool KeepWork::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        settle_timer_.start();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace cs
