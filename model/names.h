// The current file name, the window title and the made-up names of new tracks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace cs {

inline constexpr std::string_view title_prefix = "Tyrestorm CourseSmith - ";

// One draw of the pseudo-random generator: a non-negative number.
using RandomDraw = std::function<int()>;
// The standard library's rand, seeded once (at set-up) with the millisecond clock.
int standard_draw();
void seed_standard_draw(unsigned int tick_count);

// Fills buffer (capacity characters, terminator included) with a made-up name ending in
// ".trk". Without a buffer or with a capacity below 16, copies "untitled.trk" cut to the
// capacity instead.
void make_up_name(char* buffer, std::size_t capacity, const RandomDraw& draw);
// The made-up name as a string (capacity 260).
std::string make_up_name(const RandomDraw& draw);

std::string title_text(std::string_view file_name);

struct TrackNames {
    std::string current_file_name; // last loaded or saved path, or a made-up name
};

// Takes name as the current file name, or a made-up one when it is empty, and returns
// the window title that shows it. Paths are kept whole, whatever their length.
std::string set_title(TrackNames& names, std::string_view name, const RandomDraw& draw);

} // namespace cs
