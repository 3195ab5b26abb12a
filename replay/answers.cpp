#include "replay/answers.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/commands.h"
#include "model/codepage.h"
#include "model/track.h"
#include "resources/templates.h"

namespace cs::script {

namespace {

// The properties dialog's sliders by the names the scripts use.
struct SliderKey {
    std::string_view name;
    TrackProperty property;
    int PropertiesValues::*field;
};
constexpr std::array<SliderKey, properties_slider_count> slider_keys{{
    {"water_level", TrackProperty::water_level, &PropertiesValues::water_level},
    {"view_angle", TrackProperty::view_angle, &PropertiesValues::view_angle},
    {"rotation", TrackProperty::rotation, &PropertiesValues::rotation},
    {"zoom", TrackProperty::zoom, &PropertiesValues::zoom},
    {"world_size", TrackProperty::world_size, &PropertiesValues::world_size},
}};

const PropertySlider& slider_of(TrackProperty property) {
    return *std::find_if(property_sliders.begin(), property_sliders.end(),
                         [property](const PropertySlider& s) { return s.property == property; });
}

} // namespace

void PropertiesAnswer::apply(PropertiesValues& values) const {
    for (std::size_t i = 0; i < slider_keys.size(); ++i) {
        if (sliders[i]) {
            values.*slider_keys[i].field = *sliders[i];
        }
    }
    if (sf_line) {
        values.sf_line = *sf_line;
    }
    if (author) {
        values.author = *author;
    }
    if (comments) {
        values.comments = *comments;
    }
}

std::string parse_properties(const Words& pairs, PropertiesAnswer& answer) {
    std::vector<std::string_view> seen;
    for (std::string_view pair : pairs) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) {
            return expected("KEY=VALUE") + " instead of " + quoted(pair);
        }
        const std::string_view key = pair.substr(0, equals);
        const std::string_view value = pair.substr(equals + 1);
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
            return quoted(key) + " given twice";
        }
        seen.push_back(key);
        const auto slider = std::find_if(slider_keys.begin(), slider_keys.end(),
                                         [key](const SliderKey& k) { return k.name == key; });
        if (slider != slider_keys.end()) {
            const PropertySlider& s = slider_of(slider->property);
            int v = 0;
            if (!number(value, v) || v < s.minimum || v > s.maximum) {
                return std::string(key) + " takes a number from " + std::to_string(s.minimum) +
                       " to " + std::to_string(s.maximum);
            }
            answer.sliders[static_cast<std::size_t>(slider - slider_keys.begin())] = v;
        } else if (key == "sf_line") {
            if (value != "0" && value != "1") {
                return "sf_line takes 0 or 1";
            }
            answer.sf_line = value == "1";
        } else if (key == "author" || key == "comments") {
            std::optional<std::string> text = unescape_text(value);
            if (!text) {
                return std::string(key) + " takes text where \\s, \\t, \\n, \\r and \\\\ are " +
                       "the only escapes";
            }
            // The dialog's edits hold at most what the track stores.
            if (key == "author") {
                if (utf8_to_cp1252(*text, author_capacity + 1).size() > author_capacity) {
                    return "author holds at most 30 characters";
                }
                answer.author = std::move(text);
            } else {
                if (comments_to_stored(*text, comments_capacity + 1).size() > comments_capacity) {
                    return "comments hold at most 500 characters (a line break counts two)";
                }
                answer.comments = std::move(text);
            }
        } else {
            return "unknown word " + quoted(key) +
                   " (keys: water_level, view_angle, rotation, zoom, "
                   "world_size, sf_line, author, comments)";
        }
    }
    return {};
}

std::string answer_text(const ScriptedAnswer& answer) {
    using K = ScriptedAnswer::Kind;
    switch (answer.kind) {
    case K::path:
        return "a path";
    case K::cancel:
        return "cancel";
    case K::yes:
        return "yes";
    case K::no:
        return "no";
    case K::properties:
        return "properties";
    case K::start_ok:
        return "start ok";
    case K::start_fail:
        return "start fail";
    case K::changes_save:
        return "changes save";
    case K::changes_discard:
        return "changes discard";
    case K::changes_cancel:
        return "changes cancel";
    }
    return {};
}

} // namespace cs::script
