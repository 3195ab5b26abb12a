#include "shell/panel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QSlider>
#include <QUrl>
#include <QWindow>

#include "editor/changes.h"
#include "editor/commands.h"
#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/view_input.h"
#include "model/track.h"
#include "shell/view_widget.h"

namespace cs {

namespace {

// Windows-style key state of a mouse message: buttons held, then Shift and Ctrl.
constexpr int shift_held = 4;
constexpr int ctrl_held = 8;

int key_state_of(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (buttons & Qt::LeftButton) {
        state |= left_held;
    }
    if (buttons & Qt::RightButton) {
        state |= right_held;
    }
    if (modifiers & Qt::ShiftModifier) {
        state |= shift_held;
    }
    if (modifiers & Qt::ControlModifier) {
        state |= ctrl_held;
    }
    return state;
}

// A slider reports only when the user lets go of it, wherever on the slider that is.
class ReleaseSlider : public QSlider {
  public:
    ReleaseSlider(Editor& editor, int id, QWidget* parent)
        : QSlider(Qt::Horizontal, parent), editor_(editor), id_(id) {}

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QSlider::mouseReleaseEvent(event);
        slider_notification(editor_, id_, SliderEvent::released_capture);
    }

  private:
    Editor& editor_;
    int id_;
};

// Tab stops at one radio button of a group only: the checked one.
bool skipped_radio(QWidget* w) {
    auto* radio = qobject_cast<QRadioButton*>(w);
    if (!radio || !radio->autoExclusive() || radio->isChecked()) {
        return false;
    }
    const auto siblings =
        radio->parentWidget()->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (QRadioButton* other : siblings) {
        if (other->autoExclusive() && other->isChecked()) {
            return true;
        }
    }
    return false;
}

QString path_of(const QUrl& url) {
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

Panel::Panel(Editor& editor) : QWidget(nullptr), editor_(editor) {
    TemplateWidgets widgets(*this, panel_template, TemplateWindow::tool_panel);
    units_ = widgets.units();
    resize(widgets.size());
    // A fixed-size tool window: a caption with the system menu, minimise and close.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMouseTracking(true);

    widgets.new_slider = [this](QWidget& parent, const DialogControl& c) {
        return new ReleaseSlider(editor_, c.id, &parent);
    };
    widgets.fill_list = [](QComboBox& list, const DialogControl&) {
        for (const ObjectKindEntry& entry : object_kind_list) {
            list.addItem(from_utf8(entry.name), int{entry.kind});
        }
    };
    for (const DialogControl& c : panel_template.controls) {
        connect_control(c, widgets.build(c));
    }
    qApp->installEventFilter(this);
}

Panel::~Panel() = default;

// Buttons, check boxes, radio buttons and the list send their command; sliders report
// each move (and, through ReleaseSlider, the release).
void Panel::connect_control(const DialogControl& c, QWidget* widget) {
    const int id = c.id;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { dispatch_command(editor_, id, Notification::clicked); });
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        connect(list, &QComboBox::activated, this,
                [this, id] { dispatch_command(editor_, id, Notification::selection_changed); });
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        connect(slider, &QSlider::valueChanged, this,
                [this, id] { slider_notification(editor_, id, SliderEvent::moved); });
    }
    if (c.has(style::reports_focus)) {
        widget->setProperty("reports_focus", id);
    }
    if (id != no_id) {
        controls_.insert(id, widget);
    }
}

QWidget* Panel::control(int id) const {
    return controls_.value(id, nullptr);
}

void Panel::set_view(ViewWidget* view, int view_left) {
    view_ = view;
    view_left_ = view_left;
}

void Panel::move_focus(bool forward) {
    QWidget* start = focusWidget();
    if (!start || !isAncestorOf(start)) {
        start = this;
    }
    QWidget* w = start;
    // The focus chain is circular; one lap at most.
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == start) {
            return;
        }
        if (w != this && isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(this) && !skipped_radio(w)) {
            break;
        }
    }
    w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool Panel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // Every key press reaches the panel's window once before any widget sees it.
        if (watched == windowHandle()) {
            return handle_key(static_cast<QKeyEvent*>(event));
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched->isWidgetType() && isAncestorOf(static_cast<QWidget*>(watched))) {
            const QVariant id = watched->property("reports_focus");
            if (id.isValid()) {
                dispatch_command(editor_, id.toInt(),
                                 event->type() == QEvent::FocusIn ? Notification::set_focus
                                                                  : Notification::kill_focus);
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool Panel::handle_key(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();

    // The history keys act at once and once per press: a held key's repeats, a modal
    // window (which this window's keys can only reach behind its back) and a mouse button
    // held in the view (the core refuses then) take no step. The key goes no further, so
    // no control also reads it as a letter.
    const char letter =
        key >= Qt::Key_A && key <= Qt::Key_Z ? static_cast<char>('A' + (key - Qt::Key_A)) : 0;
    if (const HistoryStep step = history_step(
            letter, (modifiers & Qt::ControlModifier) != 0, (modifiers & Qt::ShiftModifier) != 0,
            (modifiers & (Qt::AltModifier | Qt::MetaModifier)) != 0);
        step != HistoryStep::none) {
        if (!event->isAutoRepeat() && QGuiApplication::modalWindow() == nullptr) {
            take_history_step(editor_, step);
        }
        event->accept();
        return true;
    }

    // Accelerators first; the key is then delivered as an ordinary key press as well.
    if ((modifiers == Qt::ControlModifier || modifiers == Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z) {
        const int command = accelerator_command(
            static_cast<char>('A' + (key - Qt::Key_A)),
            modifiers == Qt::ControlModifier ? KeyModifier::ctrl : KeyModifier::alt);
        if (command != no_id) {
            dispatch_command(editor_, command, Notification::clicked);
        }
        return false;
    }
    if (modifiers & Qt::AltModifier) {
        return false;
    }

    // Tab and Enter act after the current event, as posted requests do.
    Key which = Key::other;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        which = Key::tab;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        which = Key::enter;
    }
    const bool shift = (modifiers & Qt::ShiftModifier) || key == Qt::Key_Backtab;
    const KeyAction action = keyboard_action(which, shift);
    switch (action) {
    case KeyAction::focus_next:
    case KeyAction::focus_previous: {
        const bool forward = action == KeyAction::focus_next;
        QMetaObject::invokeMethod(
            this, [this, forward] { move_focus(forward); }, Qt::QueuedConnection);
        return true; // Qt's own Tab handling would move the focus a second time
    }
    case KeyAction::click_focused: {
        QPointer<QWidget> focused = QApplication::focusWidget();
        QMetaObject::invokeMethod(
            this,
            [focused] {
                if (auto* button = qobject_cast<QAbstractButton*>(focused.data())) {
                    button->click();
                }
            },
            Qt::QueuedConnection);
        return false;
    }
    case KeyAction::none:
        break;
    }
    return false;
}

void Panel::mouseMoveEvent(QMouseEvent* event) {
    if (view_) {
        const QPoint p = event->position().toPoint();
        panel_mouse_move(editor_, p.x(), p.y(), view_left_,
                         key_state_of(event->buttons(), event->modifiers()));
    }
    QWidget::mouseMoveEvent(event);
}

void Panel::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    event->ignore();
}

void Panel::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls()) {
        event->ignore();
        return;
    }
    // Only the first dropped file is loaded.
    for (const QUrl& url : data->urls()) {
        const QString path = path_of(url);
        if (!path.isEmpty()) {
            event->acceptProposedAction();
            // Loaded once the drop has ended, so that a question about unsaved changes does
            // not hold up the program the file was dragged from.
            const std::string local = QFile::encodeName(path).toStdString();
            QMetaObject::invokeMethod(
                this, [this, local] { drop_track(editor_, local); }, Qt::QueuedConnection);
            return;
        }
    }
    event->ignore();
}

void Panel::closeEvent(QCloseEvent* event) {
    // A modified track is not dropped without the question; Cancel keeps the window open.
    if (!close_requested(editor_)) {
        event->ignore();
        return;
    }
    if (on_close) {
        on_close();
    }
    event->accept();
}

} // namespace cs
