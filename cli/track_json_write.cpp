// The writer of track documents: track_to_json.
#include "cli/track_json.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <type_traits>

#include "cli/track_json_fields.h"
#include "model/codepage.h"
#include "model/trk_file.h"

namespace cs {

namespace {

// The shortest decimal text that reads back to the same float, without an exponent (the
// values of a track are small, and 0.0001 diffs better than 1e-04).
void append_float(std::string& out, float value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr);
}

void append_int(std::string& out, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_string(std::string& out, std::string_view utf8) {
    out += nlohmann::json(utf8).dump();
}

// "  "key": " at the start of a line of the top-level object.
void append_key(std::string& out, std::string_view key) {
    out += "  \"";
    out += key;
    out += "\": ";
}

// What a save stores and a load gives back.
float saved_x(float x) {
    return stored_to_x(static_cast<std::uint16_t>(x_units(x)));
}
float saved_y(float y) {
    return stored_to_y(static_cast<std::uint16_t>(y_units(y)));
}
float saved_angle(float angle) {
    return stored_to_angle(static_cast<std::uint16_t>(angle_units(angle)));
}

// A list of elements, one a line, each as {"a": 1, "b": 2.5} with the fields in order.
template <typename Element, std::size_t field_count>
void append_list(std::string& out, std::string_view key, const Element* elements, int count,
                 const Field<Element> (&fields)[field_count]) {
    append_key(out, key);
    if (count == 0) {
        out += "[],\n";
        return;
    }
    out += "[\n";
    for (int i = 0; i < count; ++i) {
        const Element& e = elements[i];
        out += "    {";
        for (const Field<Element>& field : fields) {
            out += &field == fields ? "\"" : ", \"";
            out += field.name;
            out += "\": ";
            if constexpr (std::is_same_v<Element, Object>) {
                if (field.measure == Measure::kind) {
                    append_int(out, e.kind);
                    continue;
                }
            }
            const float value = e.*field.value;
            append_float(out, field.measure == Measure::x   ? saved_x(value)
                              : field.measure == Measure::y ? saved_y(value)
                                                            : saved_angle(value));
        }
        out += i + 1 < count ? "},\n" : "}\n";
    }
    out += "  ],\n";
}

} // namespace

std::string track_to_json(const Track& t, std::uint16_t trk_version) {
    std::string out;
    out.reserve(300000 + 64 * std::size_t{t.object_count} + 36 * std::size_t{t.ai_line_count});
    out += "{\n";
    append_key(out, "format");
    append_string(out, track_json_format);
    out += ",\n";
    const auto integer_field = [&out](std::string_view key, long long value) {
        append_key(out, key);
        append_int(out, value);
        out += ",\n";
    };
    integer_field("format_version", track_json_format_version);
    integer_field("trk_version", trk_version);
    integer_field("world_size", t.world_size);
    integer_field("water_level", t.water_level);
    integer_field("view_angle", t.view_angle);
    integer_field("rotation", t.rotation);
    integer_field("zoom", t.zoom);
    integer_field("sf_line", t.sf_line);
    // The code page's bytes as they are: line ends stay CR LF, so that every byte comes back.
    append_key(out, "author");
    append_string(out, cp1252_to_utf8(text_of(t.author)));
    out += ",\n";
    append_key(out, "comments");
    append_string(out, cp1252_to_utf8(text_of(t.comments)));
    out += ",\n";

    append_list(out, "objects", t.objects.data(), t.object_count, object_fields);
    append_list(out, "pits", t.pits.data(), t.pit_count, pit_fields);
    append_list(out, "checkpoints", t.checkpoints.data(), t.checkpoint_count, checkpoint_fields);
    append_list(out, "ai_line", t.ai_line.data(), t.ai_line_count, point_fields);
    append_list(out, "ai_pit_line", t.ai_pit_line.data(), t.ai_pit_line_count, point_fields);

    static constexpr char hex[] = "0123456789abcdef";
    append_key(out, "land");
    out += "[\n";
    for (int y = 0; y < map_size; ++y) {
        out += "    \"";
        for (int x = 0; x < map_size; ++x) {
            out += hex[t.land[static_cast<std::size_t>(y * map_size + x)] & 0x0F];
        }
        out += y + 1 < map_size ? "\",\n" : "\"\n";
    }
    out += "  ],\n";
    append_key(out, "heights");
    out += "[\n";
    for (int r = 0; r < height_size; ++r) {
        out += "    [";
        for (int c = 0; c < height_size; ++c) {
            if (c > 0) {
                out += ", ";
            }
            append_int(out, t.heights[static_cast<std::size_t>(r * height_size + c)] >> 8);
        }
        out += r + 1 < height_size ? "],\n" : "]\n";
    }
    out += "  ]\n}\n";
    return out;
}

} // namespace cs
