// Laying out the two driving lines with the mouse: points are added at a fixed spacing on
// the way from the line's end toward the mouse, the end trailing the cursor on a rope.
#pragma once

#include "model/track.h"

namespace cs {

struct PlacementEdit;

// The AI line is a closed loop around the circuit; the AI pit line an open line into the
// pits.
enum class DrivingLine { ai_line, ai_pit_line };

// The distance between consecutive points: 5 world units, in map units.
float point_spacing(const Track& track);

// Adds points toward (tx, ty), each `spacing` beyond the last, while more than one spacing
// of the distance d is left and the line has room. Returns how many were added.
int add_points_toward(const PlacementEdit& edit, DrivingLine line, float tx, float ty, float d);

// Left press with the AI line tools: places the first point, or adds points toward the
// press position, keeping the rope length as slack.
void ai_line_press(const PlacementEdit& edit, DrivingLine line, float x, float y);
// Left drag with the AI line tools: the line's end follows the rope's end.
void ai_line_drag(const PlacementEdit& edit, DrivingLine line, float x, float y);

// "Delete AI line" and "Delete AI line (pit)": remove the last point; a line never keeps
// a single point.
void delete_last_ai_line_point(const PlacementEdit& edit);
void delete_last_ai_pit_line_point(const PlacementEdit& edit);

// Moves the AI line's start by k points: point i becomes point (i + k) mod count.
void rotate_ai_line(const PlacementEdit& edit, int k);

} // namespace cs
