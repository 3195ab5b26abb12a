// The dialog answers of replay scripts: what an "answer properties KEY=VALUE..." line sets,
// and the words an answer is named by in the message about an answer that met another
// request.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "editor/scripted_ui.h"
#include "replay/script_text.h"

namespace cs::script {

// The properties dialog's sliders, in the order they are named: water_level, view_angle,
// rotation, zoom, world_size.
inline constexpr std::size_t properties_slider_count = 5;

// What an "answer properties" line sets; everything else keeps what the dialog showed.
struct PropertiesAnswer {
    std::array<std::optional<int>, properties_slider_count> sliders;
    std::optional<bool> sf_line;
    std::optional<std::string> author;
    std::optional<std::string> comments;

    void apply(PropertiesValues& values) const;
};

// Parses the KEY=VALUE pairs; an empty result when they are sound, else what is wrong.
std::string parse_properties(const Words& pairs, PropertiesAnswer& answer);

// The answer as a script names it: "a path", "cancel", "start ok"...
std::string answer_text(const ScriptedAnswer& answer);

} // namespace cs::script
