// Placeholder until the view is written.
#include "shell/view_widget.h"

namespace cs {

class ViewWidget::Impl {};

ViewWidget::ViewWidget(Editor&, QWidget* parent) : QWidget(parent), impl_(nullptr) {
    setFixedSize(512, 512);
}
QWidget* ViewWidget::client() const {
    return const_cast<ViewWidget*>(this);
}
ClientSize ViewWidget::client_size() const {
    return {width(), height()};
}
void ViewWidget::set_scroll_bar(ScrollBar, const ScrollSettings&) {}
ScrollSettings ViewWidget::scroll_bar(ScrollBar) const {
    return {};
}
QScrollBar* ViewWidget::bar(ScrollBar) const {
    return nullptr;
}
void ViewWidget::repaint_now() {
    repaint();
}
void ViewWidget::capture_mouse() {}
void ViewWidget::release_mouse() {}
void ViewWidget::set_editor_cursor(const QCursor& cursor) {
    setCursor(cursor);
}

} // namespace cs
