#include "cli/track_diff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "cli/png_output.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "model/codepage.h"
#include "render/overlay.h"
#include "render/terrain_image.h"
#include "render/view.h"

namespace cs {

namespace {

// Equal, or both not a number: a track always equals itself.
bool same(float a, float b) {
    return a == b || (a != a && b != b);
}

bool same_element(const ListElement& a, const ListElement& b) {
    return same(a.x, b.x) && same(a.y, b.y) && same(a.x2, b.x2) && same(a.y2, b.y2) &&
           same(a.angle, b.angle) && a.kind == b.kind;
}

std::vector<ListElement> elements_of(const Track& t, ElementList list) {
    std::vector<ListElement> out;
    switch (list) {
    case ElementList::objects:
        for (int i = 0; i < t.object_count; ++i) {
            const Object& o = t.objects[i];
            out.push_back({o.x, o.y, 0, 0, o.angle, o.kind});
        }
        break;
    case ElementList::pits:
        for (int i = 0; i < t.pit_count && i < max_pits; ++i) {
            const Pit& p = t.pits[i];
            out.push_back({p.x, p.y, 0, 0, p.angle, 0});
        }
        break;
    case ElementList::checkpoints:
        for (int i = 0; i < t.checkpoint_count; ++i) {
            const Checkpoint& c = t.checkpoints[i];
            out.push_back({c.x1, c.y1, c.x2, c.y2, 0, 0});
        }
        break;
    case ElementList::ai_line:
        for (int i = 0; i < t.ai_line_count; ++i) {
            out.push_back({t.ai_line[i].x, t.ai_line[i].y, 0, 0, 0, 0});
        }
        break;
    case ElementList::ai_pit_line:
        for (int i = 0; i < t.ai_pit_line_count; ++i) {
            out.push_back({t.ai_pit_line[i].x, t.ai_pit_line[i].y, 0, 0, 0, 0});
        }
        break;
    }
    return out;
}

// The changes from list a to list b, by the rule of TrackDiff.
void diff_list(ElementList list, const std::vector<ListElement>& a,
               const std::vector<ListElement>& b, std::vector<ElementChange>& out) {
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t head = 0;
    while (head < shorter && same_element(a[head], b[head])) {
        ++head;
    }
    std::size_t tail = 0;
    while (head + tail < shorter && same_element(a[a.size() - 1 - tail], b[b.size() - 1 - tail])) {
        ++tail;
    }
    const std::size_t a_end = a.size() - tail;
    const std::size_t b_end = b.size() - tail;
    std::size_t i = head;
    for (; i < a_end && i < b_end; ++i) {
        if (!same_element(a[i], b[i])) {
            out.push_back({list, ElementEdit::changed, static_cast<int>(i), a[i], b[i]});
        }
    }
    for (std::size_t j = i; j < a_end; ++j) {
        out.push_back({list, ElementEdit::removed, static_cast<int>(j), a[j], {}});
    }
    for (std::size_t j = i; j < b_end; ++j) {
        out.push_back({list, ElementEdit::added, static_cast<int>(j), {}, b[j]});
    }
}

std::string number(long value) {
    return std::to_string(value);
}

// A text in double quotes, with quotes, backslashes and control characters escaped so that
// it stays on one line.
std::string quoted_text(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", byte);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string sf_line_text(std::uint8_t value) {
    return value == 0 ? "no" : value == 1 ? "yes" : number(value);
}

// A property of the track as the diff shows it and, for the texts, as the file stores it,
// which is what is compared: shown texts can be alike where stored bytes differ (line ends).
using TrackText = std::string (*)(const Track&);
struct Property {
    std::string_view name;
    TrackText shown;
    TrackText stored = nullptr; // none: the shown text
};
const Property properties[] = {
    {"world size", [](const Track& t) { return number(t.world_size); }},
    {"water level", [](const Track& t) { return number(t.water_level); }},
    {"view angle", [](const Track& t) { return number(t.view_angle); }},
    {"rotation", [](const Track& t) { return number(t.rotation); }},
    {"zoom", [](const Track& t) { return number(t.zoom); }},
    {"S/F line", [](const Track& t) { return sf_line_text(t.sf_line); }},
    {"author", [](const Track& t) { return quoted_text(cp1252_to_utf8(text_of(t.author))); },
     [](const Track& t) { return std::string(text_of(t.author)); }},
    {"comments",
     [](const Track& t) { return quoted_text(comments_from_stored(text_of(t.comments))); },
     [](const Track& t) { return std::string(text_of(t.comments)); }},
};

} // namespace

TrackDiff diff_tracks(const Track& a, const Track& b) {
    TrackDiff diff;
    for (const Property& p : properties) {
        std::string before = p.shown(a);
        std::string after = p.shown(b);
        if (p.stored != nullptr ? p.stored(a) != p.stored(b) : before != after) {
            diff.properties.push_back({p.name, std::move(before), std::move(after)});
        }
    }

    for (std::uint32_t i = 0; i < land_cells; ++i) {
        if (a.land[i] != b.land[i]) {
            diff.land.push_back(i);
        }
    }
    for (std::uint32_t i = 0; i < height_samples; ++i) {
        if (a.heights[i] != b.heights[i]) {
            diff.heights.push_back(i);
        }
    }

    for (int l = 0; l < element_list_count; ++l) {
        const auto list = static_cast<ElementList>(l);
        const std::vector<ListElement> before = elements_of(a, list);
        const std::vector<ListElement> after = elements_of(b, list);
        diff.count_before[l] = static_cast<int>(before.size());
        diff.count_after[l] = static_cast<int>(after.size());
        diff_list(list, before, after, diff.elements);
    }
    diff.scale_before = world_scale_for(a.world_size);
    diff.scale_after = world_scale_for(b.world_size);
    return diff;
}

namespace {

// At most `decimals` decimals, trailing zeros dropped: 250, 62.5, 45.01.
std::string decimal(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

std::string point(float x, float y) {
    return "(" + decimal(x, 2) + ", " + decimal(y, 2) + ")";
}

std::string degrees(float radians) {
    return decimal(static_cast<double>(radians) * 180.0 / 3.14159265358979323846, 2);
}

std::string kind_name(int kind) {
    const int position = object_kind_position(kind);
    return position >= 0 ? std::string(object_kind_list[static_cast<std::size_t>(position)].name)
                         : "kind " + number(kind);
}

struct ListWords {
    std::string_view list;    // the count line's label
    std::string_view element; // one element, before its number
    std::string_view unit;    // after the counts, "" for none
};
constexpr std::array<ListWords, element_list_count> list_words{{
    {"objects", "object", ""},
    {"pits", "pit", ""},
    {"checkpoints", "checkpoint", ""},
    {"AI line", "AI line point", " points"},
    {"AI pit line", "AI pit line point", " points"},
}};

// An element where it stands: "Palm tree at (250, 60) turned 45 degrees", "at (5, 6)",
// "(50, 200)-(90, 230)".
std::string element_text(ElementList list, const ListElement& e) {
    if (list == ElementList::checkpoints) {
        return point(e.x, e.y) + "-" + point(e.x2, e.y2);
    }
    std::string text = list == ElementList::objects ? kind_name(e.kind) + " " : "";
    text += "at " + point(e.x, e.y);
    if (e.angle != 0) {
        text += " turned " + degrees(e.angle) + " degrees";
    }
    return text;
}

std::string change_line(const ElementChange& c) {
    const ListWords& words = list_words[static_cast<std::size_t>(c.list)];
    std::string line = std::string(words.element) + " " + number(c.index + 1);
    if (c.edit == ElementEdit::added) {
        return line + " added: " + element_text(c.list, c.after);
    }
    if (c.edit == ElementEdit::removed) {
        return line + " removed: " + element_text(c.list, c.before);
    }
    const ListElement& a = c.before;
    const ListElement& b = c.after;
    const bool turned = !same(a.angle, b.angle);
    const bool moved = !same(a.x, b.x) || !same(a.y, b.y);
    const std::string kind = c.list == ElementList::objects ? kind_name(a.kind) + " " : "";
    if (c.list == ElementList::checkpoints || a.kind != b.kind || (turned && moved)) {
        return line + (c.list == ElementList::checkpoints ? " moved: " : " changed: ") +
               element_text(c.list, a) + " -> " + element_text(c.list, b);
    }
    if (turned) {
        return line + " turned: " + kind + "from " + degrees(a.angle) + " to " + degrees(b.angle) +
               " degrees";
    }
    return line + " moved: " + kind + "from " + point(a.x, a.y) + " to " + point(b.x, b.y);
}

// "1 cell changed, at (100, 100)" or "3 cells changed, within x 100..140, y 95..105".
std::string area_line(std::string_view label, const std::vector<std::uint32_t>& cells, int side,
                      std::string_view one, std::string_view many, std::string_view across,
                      std::string_view down) {
    int left = side, top = side, right = -1, bottom = -1;
    for (std::uint32_t i : cells) {
        const int x = static_cast<int>(i) % side;
        const int y = static_cast<int>(i) / side;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    std::string line = std::string(label) + ": " + number(static_cast<long>(cells.size())) + " " +
                       std::string(cells.size() == 1 ? one : many) + " changed, ";
    if (cells.size() == 1) {
        return line + "at " + std::string(across) + " " + number(left) + ", " + std::string(down) +
               " " + number(top) + "\n";
    }
    return line + "within " + std::string(across) + " " + number(left) + ".." + number(right) +
           ", " + std::string(down) + " " + number(top) + ".." + number(bottom) + "\n";
}

} // namespace

std::string describe_diff(const TrackDiff& diff) {
    std::string text;
    for (const PropertyChange& p : diff.properties) {
        text += std::string(p.name) + ": " + p.before + " -> " + p.after + "\n";
    }
    if (!diff.land.empty()) {
        text += area_line("land", diff.land, map_size, "cell", "cells", "x", "y");
    }
    if (!diff.heights.empty()) {
        text += area_line("heights", diff.heights, height_size, "sample", "samples",
                          diff.heights.size() == 1 ? "column" : "columns",
                          diff.heights.size() == 1 ? "row" : "rows");
    }
    for (int l = 0; l < element_list_count; ++l) {
        const ListWords& words = list_words[static_cast<std::size_t>(l)];
        if (diff.count_before[l] != diff.count_after[l]) {
            text += std::string(words.list) + ": " + number(diff.count_before[l]) + " -> " +
                    number(diff.count_after[l]) + std::string(words.unit) + "\n";
        }
        int listed = 0;
        for (const ElementChange& c : diff.elements) {
            if (static_cast<int>(c.list) == l && listed++ < max_listed_changes) {
                text += change_line(c) + "\n";
            }
        }
        if (listed > max_listed_changes) {
            text += std::string(words.list) + ": " + number(listed - max_listed_changes) +
                    (listed - max_listed_changes == 1 ? " more change\n" : " more changes\n");
        }
    }
    return text;
}

namespace {

void put(Renderer& renderer, int x, int y) {
    if (x >= 0 && x < image_size && y >= 0 && y < image_size) {
        renderer.at(x, y) = pixel_of(diff_mark_rgb);
    }
}

// The outline of the rectangle left..right x top..bottom (inclusive), clipped.
void frame(Renderer& renderer, int left, int top, int right, int bottom) {
    for (int x = left; x <= right; ++x) {
        put(renderer, x, top);
        put(renderer, x, bottom);
    }
    for (int y = top; y <= bottom; ++y) {
        put(renderer, left, y);
        put(renderer, right, y);
    }
}

// A circle of radius r around (cx, cy), clipped; nothing for a centre at no finite place.
// The radius is kept below the image's diagonal, which no mark needs to exceed.
void circle(Renderer& renderer, float fx, float fy, float fr) {
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fr) ||
        std::abs(fx) > 4 * image_size || std::abs(fy) > 4 * image_size) {
        return;
    }
    const int cx = truncate_to_int(fx);
    const int cy = truncate_to_int(fy);
    const int r = std::clamp(truncate_to_int(fr + 0.5f), 1, 2 * image_size);
    // Midpoint circle: one octant computed, eight mirrored.
    int x = r;
    int y = 0;
    int error = 1 - r;
    while (y <= x) {
        for (const auto& [dx, dy] :
             {std::pair{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}}) {
            put(renderer, cx + dx, cy + dy);
        }
        ++y;
        if (error < 0) {
            error += 2 * y + 1;
        } else {
            --x;
            error += 2 * (y - x) + 1;
        }
    }
}

void mark_element(Renderer& renderer, ElementList list, const ListElement& e, float scale) {
    float x = e.x, y = e.y, r = 5.0f; // a point of a driving line
    if (list == ElementList::objects) {
        r = object_reach(static_cast<std::uint8_t>(e.kind), scale) + 2.0f;
    } else if (list == ElementList::pits) {
        r = object_reach(pit_kind, scale) + 2.0f;
    } else if (list == ElementList::checkpoints) {
        x = (e.x + e.x2) / 2;
        y = (e.y + e.y2) / 2;
        r = std::hypot(e.x2 - e.x, e.y2 - e.y) / 2 + 4.0f;
    }
    circle(renderer, x, y, r);
    circle(renderer, x, y, r + 1.0f);
}

// The pixel a height sample lies in; the last row and column lie on the far edge.
int sample_pixel(int sample) {
    return std::min(truncate_to_int(static_cast<float>(sample) * height_spacing), image_size - 1);
}

} // namespace

void mark_diff(Renderer& renderer, const TrackDiff& diff) {
    const Pixel mark = pixel_of(diff_mark_rgb);
    int left = map_size, top = map_size, right = -1, bottom = -1;
    for (std::uint32_t i : diff.land) {
        const int x = static_cast<int>(i) % map_size;
        const int y = static_cast<int>(i) / map_size;
        Pixel& p = renderer.at(x, y);
        p.red = static_cast<std::uint8_t>((p.red + mark.red) / 2);
        p.green = static_cast<std::uint8_t>((p.green + mark.green) / 2);
        p.blue = static_cast<std::uint8_t>((p.blue + mark.blue) / 2);
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    if (right >= 0) {
        frame(renderer, left - 2, top - 2, right + 2, bottom + 2);
    }

    left = top = map_size;
    right = bottom = -1;
    for (std::uint32_t i : diff.heights) {
        const int x = sample_pixel(static_cast<int>(i) % height_size);
        const int y = sample_pixel(static_cast<int>(i) / height_size);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                put(renderer, x + dx, y + dy);
            }
        }
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    if (right >= 0) {
        frame(renderer, left - 3, top - 3, right + 3, bottom + 3);
    }

    for (const ElementChange& c : diff.elements) {
        if (c.edit == ElementEdit::removed) {
            mark_element(renderer, c.list, c.before, diff.scale_before);
        } else {
            mark_element(renderer, c.list, c.after, diff.scale_after);
        }
    }
}

bool write_diff_png(const Track& after, const TrackDiff& diff, const std::string& path,
                    std::error_code& reason) {
    // An editor set up as `render` sets one up, showing `after` as a load would.
    struct View {
        ScriptedUi ui;
        Editor editor{ui};
    };
    std::unique_ptr<View> view(new (std::nothrow) View);
    if (view == nullptr || !set_up_editor(view->editor)) {
        reason = std::make_error_code(std::errc::not_enough_memory);
        return false;
    }
    Editor& editor = view->editor;
    editor.track = after;
    build_shading_table(editor.renderer, editor.track.water_level);
    full_redraw(editor);
    mark_diff(editor.renderer, diff);
    return write_view_png(editor.renderer, 1, path, &reason);
}

} // namespace cs
