// The track as one JSON object, for tools that read tracks through the command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/track.h"

namespace cs {

// A JSON string literal (quotes included) of UTF-8 text.
std::string json_string(std::string_view utf8);
// Everything `info --json` prints; version is the number the file carries.
std::string track_json(const Track& track, std::uint16_t version);

} // namespace cs
