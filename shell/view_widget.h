// The view window: the 512 x 512 child of the panel that shows the view image at 1x, 2x or
// 4x with its two scroll bars, and passes the mouse and the scroll requests to the core.
// The wheel scrolls at 2x and 4x (Shift or a sideways wheel: across) and with Ctrl steps
// the magnification, keeping the map point under the pointer where the bars allow.
#pragma once

#include <QCursor>
#include <QScrollBar>
#include <QWidget>

#include "editor/ui.h"

namespace cs {

struct Editor;

class ViewWidget : public QWidget {
    Q_OBJECT
  public:
    ViewWidget(Editor& editor, QWidget* parent);

    // The area that shows the image and takes the mouse: the widget less the visible bars.
    QWidget* client() const;
    ClientSize client_size() const;

    // The bars as the core sets and reads them (range, page, position; a bar with nothing
    // to scroll is hidden, or shown disabled when show_disabled is set).
    void set_scroll_bar(ScrollBar bar, const ScrollSettings& settings);
    ScrollSettings scroll_bar(ScrollBar bar) const;
    QScrollBar* bar(ScrollBar bar) const;

    // Paints the whole view before returning.
    void repaint_now();
    void capture_mouse();
    void release_mouse();
    // The editor's cursor, shown over the image.
    void set_editor_cursor(const QCursor& cursor);

  private:
    class Impl;
    Impl* impl_; // owned through Qt's parent chain
};

// The editor's cursor: the cursor file at path when it holds one (with its own hot spot),
// else the cross-hair.
QCursor load_editor_cursor(const QString& path);

} // namespace cs
