#include "cli/json.h"

#include <cstdio>

#include "model/codepage.h"

namespace cs {

namespace {

// Shortest text that reads back to the same single-precision value.
void append_float(std::string& out, float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    out += buffer;
}

void append_int(std::string& out, long value) {
    out += std::to_string(value);
}

void append_key(std::string& out, std::string_view key) {
    out += out.size() > 1 ? ",\"" : "\"";
    out += key;
    out += "\":";
}

template <typename Element, typename Fields>
void append_list(std::string& out, std::string_view key, const Element* elements, int count,
                 Fields fields) {
    append_key(out, key);
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            out += ',';
        }
        out += '[';
        fields(out, elements[i]);
        out += ']';
    }
    out += ']';
}

void append_point(std::string& out, const LinePoint& p) {
    append_float(out, p.x);
    out += ',';
    append_float(out, p.y);
}

} // namespace

std::string json_string(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string track_json(const Track& t, std::uint16_t version) {
    std::string out = "{";
    out.reserve(land_cells + 40000 + 40 * (t.object_count + t.ai_line_count));
    append_key(out, "version");
    append_int(out, version);
    append_key(out, "world_size");
    append_int(out, t.world_size);
    append_key(out, "water_level");
    append_int(out, t.water_level);
    append_key(out, "view_angle");
    append_int(out, t.view_angle);
    append_key(out, "rotation");
    append_int(out, t.rotation);
    append_key(out, "zoom");
    append_int(out, t.zoom);
    append_key(out, "sf_line");
    append_int(out, t.sf_line);
    append_key(out, "world_scale");
    append_float(out, t.world_scale);
    append_key(out, "track_length");
    append_int(out, compute_track_length(t));
    append_key(out, "author");
    out += json_string(cp1252_to_utf8(text_of(t.author)));
    append_key(out, "comments");
    out += json_string(comments_from_stored(text_of(t.comments)));

    append_list(out, "objects", t.objects.data(), t.object_count,
                [](std::string& o, const Object& e) {
                    append_int(o, e.kind);
                    o += ',';
                    append_float(o, e.x);
                    o += ',';
                    append_float(o, e.y);
                    o += ',';
                    append_float(o, e.angle);
                });
    append_list(out, "pits", t.pits.data(), t.pit_count, [](std::string& o, const Pit& e) {
        append_float(o, e.x);
        o += ',';
        append_float(o, e.y);
        o += ',';
        append_float(o, e.angle);
    });
    append_list(out, "checkpoints", t.checkpoints.data(), t.checkpoint_count,
                [](std::string& o, const Checkpoint& e) {
                    append_float(o, e.x1);
                    o += ',';
                    append_float(o, e.y1);
                    o += ',';
                    append_float(o, e.x2);
                    o += ',';
                    append_float(o, e.y2);
                });
    append_list(out, "ai_line", t.ai_line.data(), t.ai_line_count, append_point);
    append_list(out, "ai_pit_line", t.ai_pit_line.data(), t.ai_pit_line_count, append_point);

    append_key(out, "land");
    out += '"';
    static constexpr char hex[] = "0123456789abcdef";
    for (std::uint8_t cell : t.land) {
        out += hex[cell & 0x0F];
    }
    out += '"';
    append_key(out, "heights");
    out += '[';
    for (int i = 0; i < height_samples; ++i) {
        if (i > 0) {
            out += ',';
        }
        append_int(out, t.heights[i]);
    }
    out += "]}";
    return out;
}

} // namespace cs
