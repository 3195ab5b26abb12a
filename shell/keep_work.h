// What keeps the user's work in the desktop program between actions: the autosave timer
// that writes recovery copies, and the watch on the open file that notices when another
// program changes it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace cs {

struct Editor;

class KeepWork : public QObject {
    Q_OBJECT
  public:
    // autosave_seconds 0: no recovery copies are written. watched is the main window: when it
    // becomes active again the open file is looked at too.
    KeepWork(Editor& editor, int autosave_seconds, QWidget* watched);

    // The current file name changed: watch the file under its new name.
    void follow_current_file();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Nothing is written or asked while a modal window or a menu is open: the track may be
    // in the middle of a command then.
    static bool busy();
    void autosave();
    void check_file();

    Editor& editor_;
    QTimer autosave_timer_;
    QFileSystemWatcher watcher_;
    QTimer settle_timer_; // a replace sends several notifications: look once they settle
};

} // namespace cs
