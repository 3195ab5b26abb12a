// Placeholder until the dialog is written.
#include "shell/properties_dialog.h"

namespace cs {

class PropertiesDialog::Impl {};

PropertiesDialog::PropertiesDialog(const PropertiesValues&,
                                   std::function<void(const PropertiesValues&)>, QWidget* parent)
    : QDialog(parent), impl_(nullptr) {}
PropertiesValues PropertiesDialog::values() const {
    return {};
}
QWidget* PropertiesDialog::control(int) const {
    return nullptr;
}
bool run_properties_dialog(QWidget*, PropertiesValues&,
                           const std::function<void(const PropertiesValues&)>&) {
    return false;
}

} // namespace cs
