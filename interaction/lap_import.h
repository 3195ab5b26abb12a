// Turning a lap that the game recorded into a track file into the AI line. The game
// appends the lap behind the game data block: a 16-bit sample count, then a 12-byte
// record for every two samples.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/track.h"

namespace cs {

// Where the lap starts: this many bytes past the game data offset.
inline constexpr std::uint64_t lap_offset_in_game_data = 9625;
inline constexpr std::size_t lap_record_size = 12;

// The driving line taken from the recorded lap in the bytes of a track file: the lap's
// samples in map units, converted with the world size stored in those bytes, keeping the
// first sample and then each one at least `spacing` from the last kept one, at most
// 65535 points. Nothing when the bytes hold no complete lap.
std::optional<std::vector<LinePoint>> lap_line_points(std::span<const std::uint8_t> bytes,
                                                      float spacing);

// import_ai_line_command (editor/commands.h) asks for the file and replaces the AI line.

} // namespace cs
