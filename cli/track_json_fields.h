// The fields of the elements of a track document's lists, in the order the writer puts
// them, shared by the writer and the reader so that both name the same fields.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/track.h"

namespace cs {

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
