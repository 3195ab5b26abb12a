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

enum class TrackFileError {
    none,
    cant_open,     // reading: the file cannot be opened
    newer_version, // reading: version above 261
    damaged,       // reading: the file ends early or its counts exceed the track's capacities
    cant_create,   // writing: the file cannot be created or written
};

// The message the editor shows for an error (caption "CourseSmith", OK).
std::string_view message_for(TrackFileError error);

struct TrackReadResult {
    TrackFileError error = TrackFileError::none;
    std::uint16_t version = 0; // the version the file carries; 256 for a file without the magic
    std::error_code reason;    // cant_open: the system's reason
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
