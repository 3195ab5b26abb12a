// The track: the one document the editor works on, everything a .trk file stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace cs {

inline constexpr int map_size = 512;                   // land map side, in cells
inline constexpr int land_cells = map_size * map_size; // 262144
inline constexpr int height_size = 64;                 // height grid side, in samples
inline constexpr int height_samples = height_size * height_size;
inline constexpr float height_spacing = 512.0f / 63.0f; // map units between samples

inline constexpr int max_objects = 65535;
inline constexpr int max_pits = 6;
inline constexpr int max_checkpoints = 255;
inline constexpr int max_ai_line = 65535;
inline constexpr int max_ai_pit_line = 255;
inline constexpr int start_positions = 6;

inline constexpr std::size_t author_capacity = 30;    // stored bytes, without the terminator
inline constexpr std::size_t comments_capacity = 500; // stored bytes, without the terminator

// Surface kinds: the value of a land-map cell. 13..15 are painted by no tool.
enum Surface : std::uint8_t {
    tarmac = 0,
    tarmac2 = 1,
    grass = 2,
    grass_edge = 3,
    mud = 4,
    gravel = 5,
    sand = 6,
    snow = 7,
    snow_edge = 8,
    white_line = 9,
    yellow_line = 10,
    kerb = 11,
    oil = 12,
};

// Object kind values. The object list box shows them in `object_kind_list` order.
enum ObjectKind : std::uint8_t {
    start = 0,
    concrete_wall = 1,
    soft_wall = 2,
    hay_bale = 3,
    palm_tree = 4,
    leaf_tree = 5,
    bush = 6,
    traffic_sign = 7,
    light = 8,
    stone = 9,
    sunk_tyre = 10,
    booth = 11,
    house = 12,
    office_block = 13,
    stand = 14,
    boat = 15,
    pier = 16,
    bridge = 17,
    flat_bridge = 18,
    fir_tree = 19,
    pine_tree = 20,
    cactus = 21,
    gate = 22,
    fence = 23,
    concrete_post = 24,
};
inline constexpr int object_kind_count = 25;
inline constexpr std::uint8_t pit_kind = 100; // reserved kind with which pits are drawn

struct ObjectKindEntry {
    std::string_view name;
    std::uint8_t kind;
};
// The object list box's entries in display order, each with its kind value.
extern const std::array<ObjectKindEntry, object_kind_count> object_kind_list;
// Display position of a kind value, or -1 for a value that is no object kind.
int object_kind_position(int kind);

struct SurfaceEntry {
    std::string_view name;
};
extern const std::array<SurfaceEntry, 16> surface_names;

// Positions are in map units: x 0..512 rightwards, y 0..512 downwards.
struct Object {
    float x = 0, y = 0, angle = 0;
    std::uint8_t kind = 0;
};
struct Pit {
    float x = 0, y = 0, angle = 0;
};
struct Checkpoint {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct LinePoint {
    float x = 0, y = 0;
};

// Every list has one slot more than its maximum count: the slot at index count holds
// the element being placed until a click commits it.
struct Track {
    std::array<std::uint8_t, land_cells> land{};         // cell (x, y) at y*512 + x
    std::array<std::uint16_t, height_samples> heights{}; // sample (c, r) at r*64 + c

    std::uint8_t world_size = 120;
    std::uint8_t water_level = 50;
    std::int16_t view_angle = 60;
    std::int16_t rotation = 0;
    std::uint8_t zoom = 105;
    std::uint8_t sf_line = 1;
    // Windows-1252 bytes, zero-terminated; see codepage.h for the interface form.
    std::array<char, author_capacity + 1> author{};
    std::array<char, comments_capacity + 1> comments{};

    float world_scale = 512.0f / 120.0f; // map units per world unit
    std::int32_t track_length = 0;       // world units, refreshed on save and in the dialog

    std::uint16_t object_count = 0;
    std::array<Object, max_objects + 1> objects{};
    std::uint8_t pit_count = 0;
    std::array<Pit, max_pits + 1> pits{};
    std::uint8_t checkpoint_count = 0;
    std::array<Checkpoint, max_checkpoints + 1> checkpoints{};
    std::uint16_t ai_line_count = 0;
    std::array<LinePoint, max_ai_line + 1> ai_line{};
    std::uint8_t ai_pit_line_count = 0;
    std::array<LinePoint, max_ai_pit_line + 1> ai_pit_line{};
};

// Each list's count field holds exactly its capacity (the file stores the counts in those
// widths); the slot past it is where an element being placed is drawn.
static_assert(std::numeric_limits<decltype(Track::object_count)>::max() == max_objects);
static_assert(std::numeric_limits<decltype(Track::checkpoint_count)>::max() == max_checkpoints);
static_assert(std::numeric_limits<decltype(Track::ai_line_count)>::max() == max_ai_line);
static_assert(std::numeric_limits<decltype(Track::ai_pit_line_count)>::max() == max_ai_pit_line);
static_assert(std::numeric_limits<decltype(Track::pit_count)>::max() >= max_pits);

inline constexpr std::uint16_t default_height = 32896; // 0x8080: both bytes 128

// The world scale for a world size. A world size of 0 has no finite scale; it is
// treated as 256 so that no infinity reaches any distance.
float world_scale_for(std::uint8_t world_size);
inline void recompute_world_scale(Track& track) {
    track.world_scale = world_scale_for(track.world_size);
}

// Length of the closed AI line in world units, truncated toward zero. A line of two
// points counts its segment twice (there and back).
std::int32_t compute_track_length(const Track& track);

// Resets every field that New and start-up set: properties, start positions and their
// placement slot, empty lists, empty texts, a Grass map and flat heights.
void reset_track(Track& track);

std::string_view text_of(const std::array<char, author_capacity + 1>& author);
std::string_view text_of(const std::array<char, comments_capacity + 1>& comments);

// Float to integer, truncating toward zero; NaN becomes 0 and values beyond the
// range of int32 saturate, so no conversion is ever undefined. Inline: the renderer
// calls it for every pixel it plots.
template <typename F>
inline std::int32_t truncate_float(F value) {
    constexpr F highest = static_cast<F>(2147483647.0);
    constexpr F lowest = static_cast<F>(-2147483648.0);
    if (!(value == value)) {
        return 0; // NaN
    }
    if (value >= highest) {
        return 2147483647;
    }
    if (value <= lowest) {
        return -2147483647 - 1;
    }
    return static_cast<std::int32_t>(value);
}
inline std::int32_t truncate_to_int(float value) {
    return truncate_float(value);
}
inline std::int32_t truncate_to_int(double value) {
    return truncate_float(value);
}
inline std::int32_t truncate_to_int(long double value) {
    return truncate_float(value);
}

} // namespace cs
