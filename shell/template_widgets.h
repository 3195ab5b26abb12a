// The Qt widgets of a dialog template (resources/templates.h): one widget class per control
// kind, placed in dialog units of the window's font. The tool panel and the track
// properties dialog are both built with it.
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>

#include "resources/templates.h"

class QComboBox;
class QFont;
class QSlider;
class QWidget;

namespace cs {

// Dialog units to pixels: x units are a quarter, y units an eighth of the font's base
// units (the average width of the letters and the font's height).
struct DialogUnits {
    int base_x = 6;
    int base_y = 13;
    QRect to_pixels(const DialogRect& r) const;
};
DialogUnits dialog_units_of(const QFont& font);

// A text of the templates and tables (UTF-8) as a QString.
QString from_utf8(std::string_view text);
// The name assistive tools say for a control: its spoken name, else its plain label.
QString spoken_name(const DialogControl& c);

// Where the two kinds of window built from templates differ.
enum class TemplateWindow : std::uint8_t {
    // The tool panel: it knows no keys beyond its accelerator table, so a label's "&" makes
    // no Alt shortcut (Alt+N would otherwise make two new tracks). Labels keep to the top
    // of their place and let the mouse through to the panel.
    tool_panel,
    // A dialog: a label's "&" is its Alt shortcut; labels are centred in their height.
    dialog,
};

// Builds a template's controls one by one, in creation (and Tab) order, as children of
// the window, after giving the window the template's font and caption.
class TemplateWidgets {
  public:
    TemplateWidgets(QWidget& window, const DialogTemplate& dialog, TemplateWindow kind);

    const DialogUnits& units() const { return units_; }
    // The whole template's size in pixels.
    QSize size() const;

    // Makes the slider of a trackbar, horizontal, as a child of parent; a plain QSlider
    // when unset.
    std::function<QSlider*(QWidget& parent, const DialogControl& c)> new_slider;
    // Adds the entries of a drop-down list, before the list's height is worked out.
    std::function<void(QComboBox& list, const DialogControl& c)> fill_list;

    // The widget of c: the class of its kind, its label, the look its style flags ask for,
    // its place, enabled unless style::disabled, its ID as object name, and as accessible
    // name its spoken name, else its plain label, else the text of the last static label
    // without an ID before it (which names the controls that follow it).
    QWidget* build(const DialogControl& c);

  private:
    QWidget& window_;
    TemplateWindow kind_;
    DialogUnits units_;
    int width_ = 0, height_ = 0;
    QString named_by_;
};

} // namespace cs
