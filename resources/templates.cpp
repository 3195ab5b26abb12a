#include "resources/templates.h"

namespace cs {

namespace {

// Every control with an ID appears once per template, so a lookup by ID is unambiguous.
constexpr bool ids_unique(std::span<const DialogControl> controls) {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[i].id != no_id && controls[i].id == controls[j].id) {
                return false;
            }
        }
    }
    return true;
}
static_assert(ids_unique(panel_controls));
static_assert(ids_unique(properties_controls));

constexpr bool inside(const DialogTemplate& dialog) {
    for (const DialogControl& c : dialog.controls) {
        if (c.place.x < 0 || c.place.y < 0 || c.place.width <= 0 || c.place.height <= 0 ||
            c.place.x + c.place.width > dialog.width ||
            c.place.y + c.place.height > dialog.height) {
            return false;
        }
    }
    return true;
}
static_assert(inside(panel_template));
static_assert(inside(properties_template));

} // namespace

const DialogControl* find_control(const DialogTemplate& dialog, int id) {
    if (id == no_id) {
        return nullptr;
    }
    for (const DialogControl& c : dialog.controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

int accelerator_command(char key, KeyModifier modifier) {
    if (key >= 'a' && key <= 'z') {
        key = static_cast<char>(key - 'a' + 'A');
    }
    for (const Accelerator& a : accelerators) {
        if (a.key == key && a.modifier == modifier) {
            return a.command;
        }
    }
    return no_id;
}

std::string plain_label(std::string_view label) {
    // "&" is never part of a longer UTF-8 sequence, so the bytes can be walked as they are.
    std::string out;
    out.reserve(label.size());
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 == label.size() || label[i + 1] != '&') {
                continue;
            }
            ++i;
        }
        out += label[i];
    }
    return out;
}

} // namespace cs
