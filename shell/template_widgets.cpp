#include "shell/template_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

namespace cs {

namespace {

// A button's label; in the tool panel without the Alt shortcut Qt derives from its "&".
void set_label(QAbstractButton& button, const QString& text, TemplateWindow kind) {
    button.setText(text);
    if (kind == TemplateWindow::tool_panel) {
        button.setShortcut(QKeySequence());
    }
}

Qt::Alignment label_alignment(const DialogControl& c, TemplateWindow kind) {
    const Qt::Alignment vertical = kind == TemplateWindow::dialog ? Qt::AlignVCenter : Qt::AlignTop;
    if (c.has(style::right_aligned)) {
        return Qt::AlignRight | vertical;
    }
    if (c.has(style::centred)) {
        return Qt::AlignHCenter | vertical;
    }
    return Qt::AlignLeft | vertical;
}

} // namespace

QRect DialogUnits::to_pixels(const DialogRect& r) const {
    // Rounded to the nearest pixel, as dialog templates are.
    const auto x = [&](int units) { return (units * base_x * 2 + 4) / 8; };
    const auto y = [&](int units) { return (units * base_y * 2 + 8) / 16; };
    return QRect(x(r.x), y(r.y), x(r.width), y(r.height));
}

DialogUnits dialog_units_of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.base_x = std::max(1, (letters / 26 + 1) / 2);
    units.base_y = std::max(1, metrics.height());
    return units;
}

QString from_utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString spoken_name(const DialogControl& c) {
    return from_utf8(plain_label(c.spoken_name.empty() ? c.text : c.spoken_name));
}

TemplateWidgets::TemplateWidgets(QWidget& window, const DialogTemplate& dialog, TemplateWindow kind)
    : window_(window), kind_(kind), width_(dialog.width), height_(dialog.height) {
    QFont font(from_utf8(dialog.font), dialog.font_points);
    font.setStyleHint(QFont::SansSerif);
    window.setFont(font);
    // Measured in the font the controls are drawn with.
    units_ = dialog_units_of(window.font());
    window.setWindowTitle(from_utf8(dialog.caption));
}

QSize TemplateWidgets::size() const {
    return units_.to_pixels({0, 0, width_, height_}).size();
}

QWidget* TemplateWidgets::build(const DialogControl& c) {
    const QString label = from_utf8(c.text);
    QRect place = units_.to_pixels(c.place);
    QWidget* widget = nullptr;

    switch (c.kind) {
    case ControlKind::push_button:
    case ControlKind::default_push_button:
    case ControlKind::push_like_check_box: {
        auto* button = new QPushButton(&window_);
        set_label(*button, label, kind_);
        button->setCheckable(c.kind == ControlKind::push_like_check_box);
        button->setDefault(c.kind == ControlKind::default_push_button);
        widget = button;
        break;
    }
    case ControlKind::radio_button: {
        auto* radio = new QRadioButton(&window_);
        set_label(*radio, label, kind_);
        widget = radio;
        break;
    }
    case ControlKind::check_box: {
        auto* box = new QCheckBox(&window_);
        set_label(*box, label, kind_);
        if (c.has(style::text_left)) {
            box->setLayoutDirection(Qt::RightToLeft);
        }
        widget = box;
        break;
    }
    case ControlKind::drop_down_list: {
        auto* list = new QComboBox(&window_);
        if (fill_list) {
            fill_list(*list, c);
        }
        // The template's height includes the opened list.
        const int closed = list->sizeHint().height();
        const int row = QFontMetrics(list->font()).height() + 2;
        list->setMaxVisibleItems(std::max(1, (place.height() - closed) / row));
        place.setHeight(closed);
        widget = list;
        break;
    }
    case ControlKind::trackbar: {
        QSlider* slider =
            new_slider ? new_slider(window_, c) : new QSlider(Qt::Horizontal, &window_);
        slider->setTickPosition(c.has(style::auto_ticks) ? QSlider::TicksBelow : QSlider::NoTicks);
        widget = slider;
        break;
    }
    case ControlKind::static_text: {
        auto* text = new QLabel(label, &window_);
        text->setTextFormat(Qt::PlainText);
        text->setAlignment(label_alignment(c, kind_));
        // The panel follows the mouse over itself for the view; its labels take no mouse
        // input, so moves over them reach it.
        if (kind_ == TemplateWindow::tool_panel) {
            text->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        widget = text;
        break;
    }
    case ControlKind::edit:
        if (c.has(style::multi_line)) {
            auto* edit = new QPlainTextEdit(&window_);
            edit->setVerticalScrollBarPolicy(c.has(style::vscroll) ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAsNeeded);
            // Tab moves on, as in every dialog; Enter makes a new line.
            edit->setTabChangesFocus(true);
            edit->setFrameShape(c.has(style::bordered) ? QFrame::StyledPanel : QFrame::NoFrame);
            widget = edit;
        } else {
            auto* edit = new QLineEdit(&window_);
            edit->setFrame(c.has(style::bordered));
            widget = edit;
        }
        break;
    }

    widget->setGeometry(place);
    widget->setEnabled(!c.has(style::disabled));
    if (c.id != no_id) {
        widget->setObjectName(QString::number(c.id));
    }
    const QString name = spoken_name(c);
    widget->setAccessibleName(name.isEmpty() ? named_by_ : name);
    if (c.kind == ControlKind::static_text && c.id == no_id) {
        named_by_ = name;
    }
    if (c.kind == ControlKind::drop_down_list) {
        // On Linux Qt gives a list box the chosen entry as its name and leaves saying what
        // the box is for to a label that names it as its buddy. None shows beside a list,
        // so an unseen label carries the name.
        auto* buddy = new QLabel(widget->accessibleName(), &window_);
        buddy->setBuddy(widget);
        buddy->hide();
    }
    return widget;
}

} // namespace cs
