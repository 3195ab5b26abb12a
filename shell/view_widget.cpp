// The view window: a client area that paints the core's copy of the view image and takes
// the mouse, and two scroll bars that the core sets and whose requests it decides.
#include "shell/view_widget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/view_commands.h"
#include "editor/view_input.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

constexpr int view_extent = 512;

// The largest position a bar with this range and page accepts.
int largest_position(const ScrollSettings& s) {
    const int largest = s.page > 0 ? s.maximum - s.page + 1 : s.maximum;
    return std::max(s.minimum, largest);
}

// One row of the window at magnification M: `width` pixels, each image pixel from `from` on
// repeated M times, the first `phase` fewer times when the row starts inside its block.
// The pixels are copied as they lie (4 bytes each), so the window shows the image's bits.
// Whole blocks are made first, in a row of their own, which the compiler vectorises.
template <int M>
void replicate_row(const uchar* from, uchar* to, int phase, int width) {
    const int count = (phase + width + M - 1) / M;
    std::array<std::uint32_t, image_size> pixels;
    std::memcpy(pixels.data(), from, 4 * std::size_t(count));
    std::array<std::uint32_t, image_size * M> blocks;
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < M; ++k) {
            blocks[i * M + k] = pixels[i];
        }
    }
    std::memcpy(to, blocks.data() + phase, 4 * std::size_t(width));
}

// What the left and right buttons held mean to the move handler.
int key_state_of(Qt::MouseButtons buttons) {
    int state = 0;
    if (buttons & Qt::LeftButton) {
        state |= left_held;
    }
    if (buttons & Qt::RightButton) {
        state |= right_held;
    }
    return state;
}

class Client : public QWidget {
  public:
    Client(Editor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
        // Every paint covers its whole update rectangle, so Qt need not clear it first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        const QRect r = event->rect();
        const PaintCopy copy = paint_view(
            editor_, Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
        QPainter painter(this);
        QRegion uncovered(r);
        if (copy.paint) {
            // The renderer's pixels as they lie: blue, green, red, 0 is RGB32.
            const QImage image(reinterpret_cast<const uchar*>(editor_.renderer.image.get()),
                               image_size, image_size, image_size * 4, QImage::Format_RGB32);
            const QRect target(copy.target.left, copy.target.top,
                               copy.target.right - copy.target.left,
                               copy.target.bottom - copy.target.top);
            // The target is widened to whole blocks; only what is exposed is copied.
            const QRect shown = target & r;
            const int m = magnification(editor_.view);
            if (m == 1) {
                const QPoint source(copy.source.left + shown.left() - target.left(),
                                    copy.source.top + shown.top() - target.top());
                painter.drawImage(shown.topLeft(), image, QRect(source, shown.size()));
            } else if (replicate(image, copy.source.left, copy.source.top,
                                 shown.translated(-target.topLeft()), m)) {
                // Qt's stretch goes through a general scaling path; whole blocks of m x m
                // copies of a pixel are quicker made here and drawn unscaled.
                painter.drawImage(shown.topLeft(), blocks_, QRect(QPoint(0, 0), shown.size()));
            } else {
                // No memory for the blocks: Qt's stretch, which replicates whole pixels too.
                painter.drawImage(target, image,
                                  QRect(copy.source.left, copy.source.top,
                                        copy.source.right - copy.source.left,
                                        copy.source.bottom - copy.source.top));
            }
            uncovered -= shown;
        }
        // What shows no image pixel (before set-up, or past the image's edge) is black
        // rather than whatever the backing store held.
        for (const QRect& rest : uncovered) {
            painter.fillRect(rest, Qt::black);
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        held_ = event->buttons();
        const QPoint p = event->position().toPoint();
        view_mouse(editor_, ViewMouse::move, p.x(), p.y(), key_state_of(event->buttons()));
    }
    void mousePressEvent(QMouseEvent* event) override {
        held_ = event->buttons();
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton) {
            view_mouse(editor_, ViewMouse::left_down, p.x(), p.y(), 0);
        } else if (event->button() == Qt::RightButton) {
            view_mouse(editor_, ViewMouse::right_down, p.x(), p.y(), 0);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        held_ = event->buttons();
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton) {
            view_mouse(editor_, ViewMouse::left_up, p.x(), p.y(), 0);
        } else if (event->button() == Qt::RightButton) {
            view_mouse(editor_, ViewMouse::right_up, p.x(), p.y(), 0);
        }
    }
    // A double click is a second press, as the view has no double-click meaning.

    void wheelEvent(QWheelEvent* event) override {
        if (on_wheel && on_wheel(*event)) {
            event->accept();
        } else {
            event->ignore();
        }
    }

  public:
    // Takes a wheel event; false when the view has no use for it.
    std::function<bool(const QWheelEvent&)> on_wheel;

    // While a button is held over the client, Qt already sends it every move and the
    // release, wherever the pointer goes; an explicit grab is needed only otherwise.
    void capture() {
        if (held_ == Qt::NoButton) {
            grabMouse();
        }
    }
    void release() {
        if (QWidget::mouseGrabber() == this) {
            releaseMouse();
        }
    }

  private:
    // Fills the top left of blocks_ with the window pixels `part` (relative to the
    // target's top left) of the image shown from (left, top) at magnification m; false
    // when blocks_ cannot be made that large.
    bool replicate(const QImage& image, int left, int top, QRect part, int m) {
        if (blocks_.width() < part.width() || blocks_.height() < part.height()) {
            blocks_ = QImage(std::max(blocks_.width(), part.width()),
                             std::max(blocks_.height(), part.height()), QImage::Format_RGB32);
            if (blocks_.isNull()) {
                return false;
            }
        }
        const int phase = part.left() % m;
        const int row_bytes = part.width() * 4;
        for (int y = 0; y < part.height(); ++y) {
            uchar* to = blocks_.scanLine(y);
            const int within = (part.top() + y) % m;
            if (y > 0 && within != 0) {
                // The same image row as the window row above.
                std::memcpy(to, blocks_.constScanLine(y - 1), row_bytes);
                continue;
            }
            const uchar* from =
                image.constScanLine(top + (part.top() + y) / m) + 4 * (left + part.left() / m);
            if (m == 2) {
                replicate_row<2>(from, to, phase, part.width());
            } else {
                replicate_row<4>(from, to, phase, part.width());
            }
        }
        return true;
    }

    Editor& editor_;
    Qt::MouseButtons held_ = Qt::NoButton;
    // The exposed part of the view at 2x or 4x, made for each paint; kept between paints
    // so that a paint does not allocate.
    QImage blocks_;
};

} // namespace

// A child of the widget, so Qt deletes it with the widget.
class ViewWidget::Impl : public QObject {
  public:
    Editor& editor;
    Client* client;
    QScrollBar* horizontal;
    QScrollBar* vertical;
    // The bars as the core set them; their positions change only through the core.
    ScrollSettings horizontal_settings;
    ScrollSettings vertical_settings;
    WheelTurns wheel;

    Impl(Editor& e, ViewWidget* owner)
        : QObject(owner), editor(e), client(new Client(e, owner)),
          horizontal(new QScrollBar(Qt::Horizontal, owner)),
          vertical(new QScrollBar(Qt::Vertical, owner)) {}

    ScrollSettings& settings(ScrollBar bar) {
        return bar == ScrollBar::horizontal ? horizontal_settings : vertical_settings;
    }
    QScrollBar* widget(ScrollBar bar) const {
        return bar == ScrollBar::horizontal ? horizontal : vertical;
    }

    // The client takes what the visible bars leave of the 512 x 512 square.
    void lay_out(ViewWidget* owner) {
        const int extent =
            owner->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vertical);
        const int bar_width = vertical->isVisibleTo(owner) ? extent : 0;
        const int bar_height = horizontal->isVisibleTo(owner) ? extent : 0;
        const int w = view_extent - bar_width;
        const int h = view_extent - bar_height;
        client->setGeometry(0, 0, w, h);
        vertical->setGeometry(w, 0, bar_width, h);
        horizontal->setGeometry(0, h, w, bar_height);
    }

    // A bar's action as the core's request: the core computes and writes back the
    // position, overriding the one QScrollBar has already worked out for itself.
    void on_action(ScrollBar bar, int action) {
        ScrollRequest request = ScrollRequest::other;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            request = ScrollRequest::line_down;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            request = ScrollRequest::line_up;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ScrollRequest::page_down;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ScrollRequest::page_up;
            break;
        case QAbstractSlider::SliderMove:
            request = ScrollRequest::thumb_track;
            break;
        default:
            break;
        }
        view_scroll(editor, bar, request, widget(bar)->sliderPosition());
    }

    // The wheel as both front ends take it (editor/view_input.h); a magnification step is
    // painted once, at its end.
    bool on_wheel(const QWheelEvent& event) {
        // A device that reports only pixels (some trackpads) counts a pixel as an eighth
        // of a degree.
        const QPoint delta = event.angleDelta().isNull() ? event.pixelDelta() : event.angleDelta();
        const QPoint at = event.position().toPoint();
        const WheelInput input{delta.x(),
                               delta.y(),
                               (event.modifiers() & Qt::ControlModifier) != 0,
                               (event.modifiers() & Qt::ShiftModifier) != 0,
                               event.buttons() != Qt::NoButton,
                               at.x(),
                               at.y()};
        return view_wheel(editor, wheel, input, [this](bool hold) {
            client->setUpdatesEnabled(!hold);
            if (!hold) {
                client->repaint();
            }
        });
    }
};

ViewWidget::ViewWidget(Editor& editor, QWidget* parent)
    : QWidget(parent), impl_(new Impl(editor, this)) {
    setFixedSize(view_extent, view_extent);
    setAccessibleName(QStringLiteral("Track view"));
    // The picture itself, which tools that follow the pointer find under it.
    impl_->client->setAccessibleName(QStringLiteral("Track map"));
    impl_->horizontal->setAccessibleName(QStringLiteral("Scroll the track view across"));
    impl_->vertical->setAccessibleName(QStringLiteral("Scroll the track view up and down"));
    impl_->client->on_wheel = [this](const QWheelEvent& e) { return impl_->on_wheel(e); };
    // The corner between two visible bars.
    setAutoFillBackground(true);
    for (ScrollBar which : {ScrollBar::horizontal, ScrollBar::vertical}) {
        QScrollBar* b = impl_->widget(which);
        // The bar's own menu would move it behind the core's back.
        b->setContextMenuPolicy(Qt::NoContextMenu);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QAbstractSlider::actionTriggered, this,
                [this, which](int action) { impl_->on_action(which, action); });
        connect(b, &QAbstractSlider::sliderReleased, this, [this, which] {
            view_scroll(impl_->editor, which, ScrollRequest::thumb_position,
                        impl_->widget(which)->sliderPosition());
        });
        b->hide();
    }
    impl_->lay_out(this);
}

QWidget* ViewWidget::client() const {
    return impl_->client;
}

ClientSize ViewWidget::client_size() const {
    return {impl_->client->width(), impl_->client->height()};
}

void ViewWidget::set_scroll_bar(ScrollBar which, const ScrollSettings& s) {
    impl_->settings(which) = s;
    QScrollBar* b = impl_->widget(which);
    const int largest = largest_position(s);
    const bool scrolls = s.maximum > s.minimum && largest > s.minimum;
    const QSignalBlocker quiet(b);
    // A QScrollBar's range is the positions it accepts; the page is its page step.
    b->setRange(s.minimum, largest);
    b->setPageStep(std::max(s.page, 1));
    b->setValue(std::clamp(s.position, s.minimum, largest));
    b->setEnabled(scrolls);
    const bool visible = scrolls || s.show_disabled;
    if (b->isVisibleTo(this) != visible) {
        b->setVisible(visible);
        impl_->lay_out(this);
    }
}

ScrollSettings ViewWidget::scroll_bar(ScrollBar which) const {
    return impl_->settings(which);
}

QScrollBar* ViewWidget::bar(ScrollBar which) const {
    return impl_->widget(which);
}

void ViewWidget::repaint_now() {
    impl_->client->repaint();
}

void ViewWidget::capture_mouse() {
    impl_->client->capture();
}

void ViewWidget::release_mouse() {
    impl_->client->release();
}

void ViewWidget::set_editor_cursor(const QCursor& cursor) {
    impl_->client->setCursor(cursor);
}

} // namespace cs
