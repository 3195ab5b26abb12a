// The .trk track file: reader for versions 256 to 261, writer for version 261.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/file_io.h"
#include "model/track.h"

namespace cs {

inline constexpr std::uint16_t trk_version = 261;
inline constexpr std::size_t game_data_size = 9625;

// The most a track file can hold: version 261 with every list at its capacity and the land
// in single-cell runs, the author and comments trailer, the track length and the game's
// block, and behind it a recorded lap of 65535 samples (a count, then a 12-byte record for
// every two samples). The readers refuse anything longer without reading it.
inline constexpr std::size_t max_track_file_size =
    2 + 2 + 4 + 1 + 1 + 2 + 2 + 1 + 1 + 4             // version, magic, offset, settings, run count
    + 2 * std::size_t{land_cells}                     // land runs
    + 2 + std::size_t{height_samples}                 // height count and bytes
    + 2 + 8 * std::size_t{max_objects}                // objects
    + 1 + 6 * std::size_t{max_pits}                   // pits
    + 1 + 8 * std::size_t{max_checkpoints}            // checkpoints
    + 2 + 4 * std::size_t{max_ai_line}                // AI line
    + 1 + 4 * std::size_t{max_ai_pit_line}            // AI pit line
    + 2 + author_capacity + comments_capacity + 2 + 4 // trailer and track length
    + game_data_size                                  // the game's block
    + 2 + (std::size_t{65535} + 1) / 2 * 12;          // recorded lap

// Positions and angles as the file stores them, in 16 bits each: x and y in half map units,
// y measured upwards from the map's bottom edge, angles in ten-thousandths of a radian.
// The *_units functions give the stored number before it is cut to 16 bits (the writer
// keeps its low 16 bits, so a number outside 0..65535 comes back as another value); the
// stored_to_* functions give what a stored number reads back as.
std::int32_t x_units(float x);
std::int32_t y_units(float y);
std::int32_t angle_units(float angle);
float stored_to_x(std::uint16_t v);
float stored_to_y(std::uint16_t v);
float stored_to_angle(std::uint16_t v);

enum class TrackFileError {
    none,
    cant_open,     // reading: the file cannot be opened
    newer_version, // reading: version above 261
    damaged,       // reading: the file ends early, its counts exceed the track's capacities
                   // or it is longer than max_track_file_size
    cant_create,   // writing: the file cannot be created or written
};

// The message the editor shows for an error (caption "CourseSmith", OK).
std::string_view message_for(TrackFileError error);

struct TrackReadResult {
    TrackFileError error = TrackFileError::none;
    std::uint16_t version = 0; // the version the file carries; 256 for a file without the magic
    std::error_code reason;    // cant_open: the system's reason; damaged: file_too_large
                               // for a file longer than any track
};

// Parses a whole file. On success the track holds the file's contents (cells the land
// runs do not reach keep their kind); on failure it is unchanged.
TrackReadResult parse_track(std::span<const std::uint8_t> bytes, Track& track);
// Reads the file at path and parses it as above.
TrackReadResult read_track(const std::filesystem::path& path, Track& track);

// The file bytes of a track, version 261. Computes the track length and stores it in
// the track, as every save does.
std::vector<std::uint8_t> encode_track(Track& track);
// Writes the track to path atomically: a failed write leaves any file at path untouched.
// reason, when given, takes the system's reason for a failure.
TrackFileError write_track(const std::filesystem::path& path, Track& track,
                           std::error_code* reason = nullptr);

} // namespace cs
