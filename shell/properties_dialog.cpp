// The "Track properties" dialog, built from its template: controls placed in dialog units,
// sliders with live value labels, and edits that hold no more than the track can store.
#include "shell/properties_dialog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTextCursor>

#include <algorithm>
#include <limits>
#include <map>

#include "model/codepage.h"
#include "resources/templates.h"
#include "shell/template_widgets.h"

namespace cs {

namespace {

// The track keeps 30 bytes of author and 500 of comments.
constexpr std::size_t author_limit = 30;
constexpr std::size_t comments_limit = 500;
constexpr std::size_t unlimited = std::numeric_limits<std::size_t>::max();

std::size_t stored_author_size(const QString& text) {
    return utf8_to_cp1252(text.toStdString(), unlimited).size();
}
// A line break is stored as CR LF.
std::size_t stored_comments_size(const QString& text) {
    return comments_to_stored(text.toStdString(), unlimited).size();
}

// What an edit may hold: when a change makes the text too long, only as much of the text
// it inserted is kept as fits, the way an edit with a length limit refuses extra typing.
// Returns the text to keep and sets cursor to the end of what was inserted.
QString fit_change(const QString& before, const QString& after,
                   std::size_t (*stored_size)(const QString&), std::size_t limit, int& cursor) {
    // The inserted run: what lies between the common start and the common end.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) {
        ++prefix;
    }
    if (prefix > 0 && after[prefix - 1].isHighSurrogate()) {
        --prefix; // keep a surrogate pair together
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    if (suffix > 0 && after[after.size() - suffix].isLowSurrogate()) {
        --suffix;
    }
    const QString head = after.left(prefix);
    const QString tail = after.right(suffix);
    QString inserted = after.mid(prefix, after.size() - prefix - suffix);
    while (!inserted.isEmpty() && stored_size(head + inserted + tail) > limit) {
        const bool pair = inserted.size() >= 2 && inserted.back().isLowSurrogate() &&
                          inserted[inserted.size() - 2].isHighSurrogate();
        inserted.chop(pair ? 2 : 1);
    }
    cursor = static_cast<int>(prefix + inserted.size());
    return head + inserted + tail;
}

} // namespace

class PropertiesDialog::Impl : public QObject {
  public:
    explicit Impl(QObject* owner) : QObject(owner) {}
    std::map<int, QWidget*> controls;
    std::function<void(const PropertiesValues&)> on_ok;
    int track_length = 0;
    QString author_kept;
    QString comments_kept;
    bool trimming = false;

    template <class T>
    T* get(int control_id) const {
        return static_cast<T*>(controls.at(control_id));
    }
    QSlider* slider(TrackProperty p) const {
        for (const PropertySlider& s : property_sliders) {
            if (s.property == p) {
                return get<QSlider>(s.slider);
            }
        }
        return nullptr;
    }
};

PropertiesDialog::PropertiesDialog(const PropertiesValues& values,
                                   std::function<void(const PropertiesValues&)> on_ok,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      impl_(new Impl(this)) {
    impl_->on_ok = std::move(on_ok);
    impl_->track_length = values.track_length;
    TemplateWidgets widgets(*this, properties_template, TemplateWindow::dialog);
    setModal(true);
    setFixedSize(widgets.size());
    for (const DialogControl& c : properties_template.controls) {
        QWidget* w = widgets.build(c);
        if (c.id != no_id) {
            impl_->controls[c.id] = w;
        }
    }

    for (const PropertySlider& s : property_sliders) {
        auto* slider = impl_->get<QSlider>(s.slider);
        auto* label = impl_->get<QLabel>(s.value_label);
        slider->setRange(s.minimum, s.maximum);
        slider->setTickInterval(s.tick_frequency);
        slider->setPageStep((s.maximum - s.minimum) / 5);
        connect(slider, &QSlider::valueChanged, label,
                [label](int v) { label->setText(QString::number(v)); });
        const int value = property_value(values, s.property);
        slider->setValue(value);
        label->setText(QString::number(slider->value()));
    }
    impl_->get<QCheckBox>(id::sf_line_check)->setChecked(values.sf_line);
    impl_->get<QLabel>(id::track_length_value)->setText(QString::number(values.track_length));

    auto* author = impl_->get<QLineEdit>(id::author_edit);
    impl_->author_kept = QString::fromStdString(values.author);
    author->setText(impl_->author_kept);
    connect(author, &QLineEdit::textChanged, this, [this, author](const QString& now) {
        if (impl_->trimming) {
            return;
        }
        int cursor = 0;
        const QString kept =
            fit_change(impl_->author_kept, now, stored_author_size, author_limit, cursor);
        impl_->author_kept = kept;
        if (kept != now) {
            impl_->trimming = true;
            author->setText(kept);
            author->setCursorPosition(cursor);
            impl_->trimming = false;
        }
    });

    auto* comments = impl_->get<QPlainTextEdit>(id::comments_edit);
    impl_->comments_kept = QString::fromStdString(values.comments);
    comments->setPlainText(impl_->comments_kept);
    connect(comments, &QPlainTextEdit::textChanged, this, [this, comments] {
        if (impl_->trimming) {
            return;
        }
        const QString now = comments->toPlainText();
        int cursor = 0;
        const QString kept =
            fit_change(impl_->comments_kept, now, stored_comments_size, comments_limit, cursor);
        impl_->comments_kept = kept;
        if (kept != now) {
            // Remove only the refused part, so the rest of the edit (and its undo) stays.
            impl_->trimming = true;
            QTextCursor c = comments->textCursor();
            c.setPosition(cursor);
            c.setPosition(cursor + static_cast<int>(now.size() - kept.size()),
                          QTextCursor::KeepAnchor);
            c.removeSelectedText();
            comments->setTextCursor(c);
            impl_->trimming = false;
        }
    });

    connect(impl_->get<QPushButton>(id::ok), &QPushButton::clicked, this, [this] {
        if (impl_->on_ok) {
            impl_->on_ok(this->values());
        }
        accept();
    });
    connect(impl_->get<QPushButton>(id::cancel), &QPushButton::clicked, this, &QDialog::reject);

    // Centred on the screen, not on the owner (moving it keeps QDialog from re-placing it).
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

PropertiesValues PropertiesDialog::values() const {
    PropertiesValues v;
    for (const PropertySlider& s : property_sliders) {
        property_value(v, s.property) = impl_->slider(s.property)->value();
    }
    v.sf_line = impl_->get<QCheckBox>(id::sf_line_check)->isChecked();
    v.track_length = impl_->track_length;
    v.author = impl_->get<QLineEdit>(id::author_edit)->text().toStdString();
    v.comments = impl_->get<QPlainTextEdit>(id::comments_edit)->toPlainText().toStdString();
    return v;
}

QWidget* PropertiesDialog::control(int control_id) const {
    const auto it = impl_->controls.find(control_id);
    return it == impl_->controls.end() ? nullptr : it->second;
}

bool run_properties_dialog(QWidget* parent, PropertiesValues& values,
                           const std::function<void(const PropertiesValues&)>& on_ok) {
    PropertiesDialog dialog(values, on_ok, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    values = dialog.values();
    return true;
}

} // namespace cs
