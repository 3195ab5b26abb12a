// The fields of a track document and of the elements of its lists, shared by the writer,
// the reader and the bound on what the reader holds, so that all name the same fields.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/track.h"

namespace cs {

// The fields of the document, in the order the writer puts them.
inline constexpr std::array<std::string_view, 18> top_level_fields = {
    "format",   "format_version", "trk_version", "world_size",  "water_level", "view_angle",
    "rotation", "zoom",           "sf_line",     "author",      "comments",    "objects",
    "pits",     "checkpoints",    "ai_line",     "ai_pit_line", "land",        "heights"};

// What a number of an element stands for, and so how the file stores it.
enum class Measure : std::uint8_t { kind, x, y, angle };

// One field of an element: its name and, but for the object kind, the member it holds.
template <typename Element>
struct Field {
    std::string_view name;
    Measure measure;
    float Element::*value;
};

inline constexpr Field<Object> object_fields[] = {{"kind", Measure::kind, nullptr},
                                                  {"x", Measure::x, &Object::x},
                                                  {"y", Measure::y, &Object::y},
                                                  {"angle", Measure::angle, &Object::angle}};
inline constexpr Field<Pit> pit_fields[] = {
    {"x", Measure::x, &Pit::x}, {"y", Measure::y, &Pit::y}, {"angle", Measure::angle, &Pit::angle}};
inline constexpr Field<Checkpoint> checkpoint_fields[] = {{"x1", Measure::x, &Checkpoint::x1},
                                                          {"y1", Measure::y, &Checkpoint::y1},
                                                          {"x2", Measure::x, &Checkpoint::x2},
                                                          {"y2", Measure::y, &Checkpoint::y2}};
inline constexpr Field<LinePoint> point_fields[] = {{"x", Measure::x, &LinePoint::x},
                                                    {"y", Measure::y, &LinePoint::y}};

} // namespace cs
