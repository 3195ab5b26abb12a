// The tool panel: the main window, built from the panel template. Its controls report to
// the core's command dispatch and slider notification; it also carries the editor's
// keyboard handling (accelerators, Tab and Enter), mouse moves over the panel itself and
// dropped files.
#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "resources/templates.h"
#include "shell/template_widgets.h"
#include "shell/view_widget.h"

namespace cs {

struct Editor;

class Panel : public QWidget {
    Q_OBJECT
  public:
    explicit Panel(Editor& editor);
    ~Panel() override;

    // A control by its ID, or nullptr.
    QWidget* control(int id) const;
    const DialogUnits& units() const { return units_; }

    // The view window and the panel x at which it starts; mouse moves over the panel are
    // passed on relative to it.
    void set_view(ViewWidget* view, int view_left);
    ViewWidget* view() const { return view_; }
    int view_left() const { return view_left_; }

    // Moves the keyboard focus one control on (or back), as Tab and Shift+Tab do.
    void move_focus(bool forward);

    // Called when the user closes the window, before it closes.
    std::function<void()> on_close;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void connect_control(const DialogControl& c, QWidget* widget);
    bool handle_key(QKeyEvent* event);

    Editor& editor_;
    DialogUnits units_;
    QHash<int, QWidget*> controls_;
    QPointer<ViewWidget> view_;
    int view_left_ = 0;
};

} // namespace cs
