// The tool panel: the main window, built from the panel template. Its controls report to
// the core's command dispatch and slider notification; it also carries the editor's
// keyboard handling (accelerators, Tab and Enter), mouse moves over the panel itself and
// dropped files.
#pragma once

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

#include "resources/templates.h"
#include "shell/view_widget.h"

namespace cs {

struct Editor;

// Dialog units to pixels: x units are a quarter, y units an eighth of the font's base
// units (the average width of the letters and the font's height).
struct DialogUnits {
    int base_x = 6;
    int base_y = 13;
    QRect to_pixels(const DialogRect& r) const;
};
DialogUnits dialog_units_of(const QFont& font);

// A label as shown to assistive tools: "&" mnemonics removed, "&&" kept as one "&".
QString plain_label(std::string_view text);
// The name assistive tools say for a control: its spoken name, else its plain label.
QString spoken_name(const DialogControl& c);

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
    void create_control(const DialogControl& c);
    bool handle_key(QKeyEvent* event);

    Editor& editor_;
    DialogUnits units_;
    QHash<int, QWidget*> controls_;
    QPointer<ViewWidget> view_;
    int view_left_ = 0;
};

} // namespace cs
