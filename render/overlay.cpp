#include "render/overlay.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

#include "render/canvas.h"
#include "render/label_font.h"
#include "render/overlay_cache.h"
#include "render/stroke_pixels.h"
#include "render/terrain_image.h"

namespace cs {

namespace {

constexpr int last_pixel = image_size - 1;

// The text of a label number, as "%d" writes it.
struct Number {
    std::array<char, 12> digits{};
    std::size_t size = 0;
    std::string_view text() const { return {digits.data(), size}; }
};
Number number_text(int value) {
    Number n;
    const auto result = std::to_chars(n.digits.data(), n.digits.data() + n.digits.size(), value);
    n.size = static_cast<std::size_t>(result.ptr - n.digits.data());
    return n;
}

// Recomputes the terrain under a label box whose top-left corner is (left, top).
void recompute_label_box(const Canvas& canvas, long long left, long long top, TextSize size) {
    const long long right = std::min<long long>(left + size.width, image_size);
    const long long bottom = std::min<long long>(top + size.height, image_size);
    left = std::max<long long>(left, 0);
    top = std::max<long long>(top, 0);
    for (long long y = top; y < bottom; ++y) {
        for (long long x = left; x < right; ++x) {
            plot(canvas, x, y, Pixel{}, DrawMode::erase);
        }
    }
}

// --- Object shapes ---------------------------------------------------------------------

enum class StrokeKind : std::uint8_t { edge, stem, ring };
enum Corner : std::uint8_t { f1, f2, b1, b2 };

// One stroke of a shape. edge: the side from..to of the box with half-length a and
// half-width b; stem: a stem of length a; ring: a ring of radius a. Sizes in world units.
struct Stroke {
    StrokeKind kind;
    float a, b;
    Corner from, to;
    std::uint32_t rgb;
};

constexpr Stroke edge(float a, float b, Corner from, Corner to, std::uint32_t rgb) {
    return Stroke{StrokeKind::edge, a, b, from, to, rgb};
}
constexpr Stroke stem(float length, std::uint32_t rgb) {
    return Stroke{StrokeKind::stem, length, 0, f1, f1, rgb};
}
constexpr Stroke ring(float radius, std::uint32_t rgb) {
    return Stroke{StrokeKind::ring, radius, 0, f1, f1, rgb};
}

constexpr std::uint32_t white = 0xFFFFFF, black = 0x000000, brown = 0x664400;

// The strokes of each kind, in drawing order.
constexpr Stroke start_shape[] = {edge(2.5f, 1.5f, f1, f2, white), edge(2.5f, 1.5f, f1, b1, white),
                                  edge(2.5f, 1.5f, f2, b2, white)};
constexpr Stroke concrete_wall_shape[] = {edge(3, 0.4f, f1, b1, white),
                                          edge(3, 0.4f, f2, b2, white)};
constexpr Stroke soft_wall_shape[] = {edge(3, 0.8f, f1, b1, 0x00FF00),
                                      edge(3, 0.8f, f2, b2, 0x00FF00)};
constexpr Stroke hay_bale_shape[] = {edge(2, 0.8f, f1, b1, 0xFFFF55),
                                     edge(2, 0.8f, f2, b2, 0xFFFF55)};
constexpr Stroke palm_tree_shape[] = {stem(5, brown), ring(5, 0x00FF00)};
constexpr Stroke leaf_tree_shape[] = {stem(4, brown), ring(4, 0x7FFF00)};
constexpr Stroke bush_shape[] = {stem(3, 0x7FFF00), ring(3, 0x7FFF00)};
constexpr Stroke traffic_sign_shape[] = {stem(2.5f, black), ring(1, black)};
constexpr Stroke light_shape[] = {stem(2.5f, black), ring(1, white)};
constexpr Stroke stone_shape[] = {stem(2.5f, 0x666666), ring(1.5f, 0xCCCCCC), ring(1, 0x666666),
                                  ring(0.5f, 0xCCCCCC)};
constexpr Stroke sunk_tyre_shape[] = {stem(2.5f, white), ring(1.5f, 0x666666), ring(1, white),
                                      ring(0.5f, 0x666666)};

// A closed box whose front side has a colour of its own: front, then the side of F1, the
// side of F2 and the back.
constexpr std::array<Stroke, 4> fronted_box(float a, float b, std::uint32_t front,
                                            std::uint32_t sides) {
    return {edge(a, b, f1, f2, front), edge(a, b, f1, b1, sides), edge(a, b, b2, f2, sides),
            edge(a, b, b2, b1, sides)};
}

constexpr auto booth_shape = fronted_box(1.5f, 1.5f, 0xFF0000, brown);
constexpr auto house_shape = fronted_box(4, 5, 0xFFFF00, 0xFF0000);
constexpr auto office_block_shape = fronted_box(6, 6, white, 0x7F7F7F);
constexpr auto stand_shape = fronted_box(5, 8, 0xFFFF00, 0x0000FF);
constexpr auto boat_shape = fronted_box(5, 2, white, 0xBBDDFF);
constexpr auto pier_shape = fronted_box(4, 1.5f, brown, brown);

constexpr Stroke bridge_shape[] = {edge(16, 6, f1, f2, black),    edge(16, 6, f1, b1, 0xFF0000),
                                   edge(16, 6, b2, f2, 0xFF0000), edge(16, 6, b2, b1, black),
                                   edge(8, 6, f1, f2, black),     edge(8, 6, b2, b1, black)};
constexpr std::span<const Stroke> flat_bridge_shape{bridge_shape, 4};
constexpr Stroke fir_tree_shape[] = {stem(4, brown), ring(4, 0x007F00)};
constexpr Stroke pine_tree_shape[] = {stem(4.5f, brown), ring(4.5f, 0x3F7F00)};
constexpr Stroke cactus_shape[] = {stem(2, 0x007F00), ring(2, 0x3F7F00)};
constexpr Stroke gate_shape[] = {
    edge(8.4f, 0.7f, f1, f2, black),    edge(8.4f, 0.7f, b2, b1, black),
    edge(9.4f, 0.7f, f1, f2, black),    edge(9.4f, 0.7f, b2, b1, black),
    edge(9.4f, 0.7f, f1, b1, 0xEEEEEE), edge(9.4f, 0.7f, b2, f2, 0xEEEEEE)};
constexpr Stroke fence_shape[] = {edge(3, 0.5f, f1, f2, brown), edge(3, 0.5f, b2, b1, brown),
                                  edge(3, 0.5f, f1, b1, brown), edge(3, 0.5f, b2, f2, brown)};
constexpr Stroke concrete_post_shape[] = {
    edge(0.9f, 0.9f, f1, f2, white),    edge(0.9f, 0.9f, b2, b1, white),
    edge(0.9f, 0.9f, f1, b1, white),    edge(0.9f, 0.9f, b2, f2, white),
    edge(0.5f, 0.5f, f1, f2, 0xDDCC77), edge(0.5f, 0.5f, b2, b1, 0xDDCC77),
    edge(0.5f, 0.5f, f1, b1, 0xDDCC77), edge(0.5f, 0.5f, b2, f2, 0xDDCC77)};
// A pit: a box open at the back, crossed by its diagonals, inside a blue ring.
constexpr Stroke pit_shape[] = {edge(2.5f, 3, f1, f2, black), edge(2.5f, 3, f1, b1, black),
                                edge(2.5f, 3, b2, f2, black), edge(2.5f, 3, b2, f1, black),
                                edge(2.5f, 3, f2, b1, black), ring(5, 0x3F3FFF)};

constexpr std::array<std::span<const Stroke>, object_kind_count> object_shapes = {
    start_shape,        concrete_wall_shape, soft_wall_shape,   hay_bale_shape,
    palm_tree_shape,    leaf_tree_shape,     bush_shape,        traffic_sign_shape,
    light_shape,        stone_shape,         sunk_tyre_shape,   booth_shape,
    house_shape,        office_block_shape,  stand_shape,       boat_shape,
    pier_shape,         bridge_shape,        flat_bridge_shape, fir_tree_shape,
    pine_tree_shape,    cactus_shape,        gate_shape,        fence_shape,
    concrete_post_shape};

std::span<const Stroke> shape_of(std::uint8_t kind) {
    if (kind == pit_kind) {
        return pit_shape;
    }
    return kind < object_shapes.size() ? object_shapes[kind] : std::span<const Stroke>{};
}

// The frame of an object at (x, y): c and s are the forward axis scaled to pixels per
// world unit.
struct Frame {
    float x, y, c, s;
};

struct Point {
    float x, y;
};

// A corner of the box with half-length a and half-width b: the front corners lie ahead
// (+a), the back ones behind (-a); corner 1 of each to the left (+b), corner 2 to the right.
// Negating a product is exact, so this is the same float as adding or subtracting it.
inline Point corner(const Frame& f, float a, float b, Corner which) {
    const float along = which == f1 || which == f2 ? a : -a;
    const float across = which == f1 || which == b1 ? b : -b;
    return {f.x + along * f.c - across * f.s, f.y + along * f.s + across * f.c};
}

void draw_stroke(const Canvas& canvas, const Frame& f, float scale, const Stroke& stroke,
                 DrawMode mode) {
    switch (stroke.kind) {
    case StrokeKind::edge: {
        const Point p = corner(f, stroke.a, stroke.b, stroke.from);
        const Point q = corner(f, stroke.a, stroke.b, stroke.to);
        plot_segment(canvas, p.x, p.y, q.x, q.y, stroke.rgb, mode);
        break;
    }
    case StrokeKind::stem:
        plot_segment(canvas, f.x, f.y, f.x + stroke.a * f.c, f.y + stroke.a * f.s, stroke.rgb,
                     mode);
        break;
    case StrokeKind::ring:
        plot_circle(canvas, truncate_to_int(f.x), truncate_to_int(f.y),
                    truncate_to_int(stroke.a * scale), stroke.rgb, mode);
        break;
    }
}

// Top-left corner of a label of the given size centred on (x, y).
struct TopLeft {
    long long left, top;
};
TopLeft centred_label(float x, float y, TextSize size) {
    return TopLeft{truncate_to_int(x - static_cast<float>(size.width / 2)),
                   truncate_to_int(y - static_cast<float>(size.height / 2))};
}

// Top-left corner of a label centred on the midpoint of a checkpoint.
TopLeft midpoint_label(float x1, float y1, float x2, float y2, TextSize size) {
    return TopLeft{truncate_to_int(x1 + x2 - static_cast<float>(size.width)) / 2,
                   truncate_to_int(y1 + y2 - static_cast<float>(size.height)) / 2};
}

} // namespace

float object_reach(std::uint8_t kind, float scale) {
    float extent = 0.0f;
    for (const Stroke& stroke : shape_of(kind)) {
        // An edge ends at a corner of its box, a stem at its length, a ring at its radius.
        const float units = stroke.kind == StrokeKind::edge
                                ? std::sqrt(stroke.a * stroke.a + stroke.b * stroke.b)
                                : stroke.a;
        extent = std::max(extent, units * std::abs(scale));
    }
    // Half a pixel for the centre of a pixel, one for the rounding of a step; a start
    // position's number, centred on the object, reaches its box's height.
    return std::max(extent, static_cast<float>(measure_label("8").height)) + 3.0f;
}

void draw_object(const Canvas& canvas, float x, float y, float angle, std::uint8_t kind,
                 DrawMode mode, int index) {
    // An object at no finite place covers no pixel: none of its strokes or labels would
    // land in the image.
    if (!canvas.view.show_objects || !std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    const float scale = world_scale_for(canvas.track.world_size);
    const Frame frame{x, y, std::cos(angle) * scale, std::sin(angle) * scale};

    // The first six objects are the start positions, numbered 1 to 6. The terrain under
    // the widest single digit is restored first, so that the previous number goes.
    const bool labelled = kind == start && index >= 0 && index < start_positions;
    if (labelled) {
        const TextSize box = measure_label("8");
        const TopLeft at = centred_label(x, y, box);
        recompute_label_box(canvas, at.left, at.top, box);
    }

    for (const Stroke& stroke : shape_of(kind)) {
        draw_stroke(canvas, frame, scale, stroke, mode);
    }

    if (labelled && mode != DrawMode::erase) {
        const Number number = number_text(index + 1);
        const TopLeft at = centred_label(x, y, measure_label(number.text()));
        draw_label(canvas, static_cast<int>(at.left), static_cast<int>(at.top), number.text());
    }
}

void draw_checkpoint(const Canvas& canvas, float x1, float y1, float x2, float y2, DrawMode mode,
                     int index) {
    if (!canvas.view.show_checkpoints) {
        return;
    }
    // The second end point may have been dragged past the edge of the image.
    if (x2 < 0) {
        x2 = 0;
    } else if (x2 > last_pixel) {
        x2 = last_pixel;
    }
    if (y2 < 0) {
        y2 = 0;
    } else if (y2 > last_pixel) {
        y2 = last_pixel;
    }
    // A checkpoint with an end point at no finite place covers no pixel.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
        return;
    }
    const float length = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    if (length < 10) {
        return;
    }
    // One world unit to either side of the checkpoint, perpendicular to it.
    const float k = world_scale_for(canvas.track.world_size) / length;
    const float px = k * (y1 - y2);
    const float py = k * (x2 - x1);
    constexpr std::uint32_t cyan = 0x00FFFF;
    plot_segment(canvas, x1 + px, y1 + py, x2 + px, y2 + py, cyan, mode);
    plot_segment(canvas, x1 - px, y1 - py, x2 - px, y2 - py, cyan, mode);
    plot_segment(canvas, x1 + px, y1 + py, x1 - px, y1 - py, cyan, mode);
    plot_segment(canvas, x2 + px, y2 + py, x2 - px, y2 - py, cyan, mode);

    if (index >= 0) {
        const Number number = number_text(index + 1);
        const TopLeft at = midpoint_label(x1, y1, x2, y2, measure_label(number.text()));
        draw_label(canvas, static_cast<int>(at.left), static_cast<int>(at.top), number.text());
    } else if (mode == DrawMode::erase) {
        // The checkpoint's number went with it: restore the terrain under the widest one.
        const TextSize box = measure_label("888");
        const TopLeft at = midpoint_label(x1, y1, x2, y2, box);
        recompute_label_box(canvas, at.left, at.top, box);
    }
}

namespace {

void draw_line_piece(const Canvas& canvas, const LinePoint& a, const LinePoint& b,
                     std::uint32_t rgb) {
    plot_segment(canvas, a.x, a.y, b.x, b.y, rgb, DrawMode::draw);
}

} // namespace

void draw_ai_segment(const Canvas& canvas, int i) {
    const Track& t = canvas.track;
    if (canvas.view.show_ai_line && i >= 1 && i < t.ai_line_count) {
        draw_line_piece(canvas, t.ai_line[i - 1], t.ai_line[i], ai_line_rgb);
    }
}

void draw_ai_closing_segment(const Canvas& canvas) {
    const Track& t = canvas.track;
    const int n = t.ai_line_count;
    if (canvas.view.show_ai_line && n >= 3) {
        draw_line_piece(canvas, t.ai_line[n - 1], t.ai_line[0], 0xFF0000);
    }
}

void draw_pit_line_segment(const Canvas& canvas, int j) {
    const Track& t = canvas.track;
    // The pit line leads into the pits and back out; it is not closed.
    if (canvas.view.show_ai_line && j >= 1 && j < t.ai_pit_line_count) {
        draw_line_piece(canvas, t.ai_pit_line[j - 1], t.ai_pit_line[j], 0xFF00FF);
    }
}

void draw_ai_lines(const Canvas& canvas) {
    if (!canvas.view.show_ai_line) {
        return;
    }
    const Track& t = canvas.track;
    for (int i = 1; i < t.ai_line_count; ++i) {
        draw_ai_segment(canvas, i);
    }
    draw_ai_closing_segment(canvas);
    for (int j = 1; j < t.ai_pit_line_count; ++j) {
        draw_pit_line_segment(canvas, j);
    }
}

} // namespace cs
