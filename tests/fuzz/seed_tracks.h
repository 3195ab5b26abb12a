// Tracks and files made from scratch for the fuzz seed corpora and the replay harness's
// folder: every element kind, every surface kind, varied heights, and the older file
// layouts the reader still accepts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/track.h"

namespace cs::fuzz {

// A track with six start positions and one object of every other kind, the full pit
// list, checkpoints, both driving lines, every surface kind on the land map, heights
// across the whole range, non-default properties and both texts.
std::unique_ptr<Track> sample_track();

// The file bytes of the track in the layout of version 256..261: 256 has no version and
// magic, below 258 the object and AI line counts are one byte (the lists are cut to 255),
// below 259 the land run count is 16 bits, below 261 zoom and start-finish line are not
// stored. Nothing but the author and comments trailer follows the lists.
std::vector<std::uint8_t> track_file(const Track& track, std::uint16_t version);

// The bytes of a track file as the game leaves it after recording a lap: the game data
// block behind the lists, then the sample count and a 12-byte record per two samples,
// the samples on an oval around the map's middle.
std::vector<std::uint8_t> track_file_with_lap(const Track& track, std::uint16_t version,
                                              int samples);

} // namespace cs::fuzz
