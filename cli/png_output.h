// What the command-line tools write: the view as a PNG picture, tracks, and bytes to
// standard output, which "-" names wherever the tools take an output file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/track.h"
#include "render/terrain_image.h"

namespace cs {

// The output name that stands for standard output.
inline bool is_standard_output(std::string_view path) {
    return path == "-";
}

// Writes bytes whole to standard output; false with the system's reason on failure.
bool write_standard_output(std::span<const std::uint8_t> bytes, std::error_code& reason);

// An 8-bit RGB PNG of the 512 x 512 image, every pixel a zoom x zoom block. A fit above 0
// shrinks a picture larger than fit x fit to that size, each pixel the average of the area
// it covers; a smaller one keeps its size. False when the picture cannot be made.
bool encode_view_png(const Renderer& renderer, int zoom, std::vector<std::uint8_t>& png,
                     int fit = 0);

// Encodes the picture and replaces the file at path with it ("-": standard output). reason,
// when given, takes the system's reason for a failure.
bool write_view_png(const Renderer& renderer, int zoom, const std::string& path,
                    std::error_code* reason = nullptr, int fit = 0);

// The track writer's output to path ("-": standard output); false with the system's reason
// on failure.
bool write_track_output(std::string_view path, Track& track, std::error_code& reason);

// The line the tools print for a failed operation: "PATH: MESSAGE (reason)", with the
// reason only when the system gave one.
std::string failure_line(std::string_view path, std::string_view message,
                         const std::error_code& reason);

} // namespace cs
