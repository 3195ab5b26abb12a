// The modal "Track properties" dialog, built from its template.
#pragma once

#include <QDialog>
#include <functional>

#include "editor/ui.h"

namespace cs {

class PropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    // Shows values (the sliders with their ranges and value labels, "S/F Line", the track
    // length, author and comments). On OK, on_ok gets what the controls hold while the
    // dialog is still open; then the dialog closes with Accepted.
    PropertiesDialog(const PropertiesValues& values,
                     std::function<void(const PropertiesValues&)> on_ok, QWidget* parent);
    // What the controls hold now.
    PropertiesValues values() const;
    // A control by its ID (object name is the ID in decimal).
    QWidget* control(int id) const;

  private:
    class Impl;
    Impl* impl_;
};

// Runs the dialog modally; true after OK, with values holding what was taken.
bool run_properties_dialog(QWidget* parent, PropertiesValues& values,
                           const std::function<void(const PropertiesValues&)>& on_ok);

} // namespace cs
