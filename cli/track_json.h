// The track as a JSON document (docs/track-json.md): a second lossless form of the .trk
// file, as text that version control can diff and scripts can write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/track.h"

namespace cs {

inline constexpr std::string_view track_json_format = "coursesmith-track";
inline constexpr int track_json_format_version = 1;
// The longest document the reader takes: every list at its capacity, written by this
// program, is about 7 MiB; the rest is room for other layouts (one number a line, say).
inline constexpr std::size_t max_track_json_size = std::size_t{32} << 20;

// The document of a track, pretty and stable: the same track always gives the same bytes,
// with each element, land row and height row on a line of its own. It holds what the .trk
// writer stores, as the file stores it: positions and angles as a save rounds them, the
// land map's low four bits, each height sample's high byte and the texts up to their
// terminators, so that reading it gives the track a saved .trk file gives. trk_version is
// the version of the file the track was read from.
std::string track_to_json(const Track& track, std::uint16_t trk_version);

struct JsonReadResult {
    // Empty when the document was read; otherwise one line: "line L, column C: ..." for
    // text that is no JSON, "PATH: ..." (objects[3].kind, land[7]) for a field that is
    // wrong, missing or unknown.
    std::string error;
    std::uint16_t trk_version = 0; // the document's trk_version
    bool ok() const { return error.empty(); }
};

// Reads a document written by track_to_json (or by hand, in any layout). On success the
// track holds it: properties, texts, lists, land, heights, world scale recomputed; list
// slots past the counts and the track length keep what they held. On failure the track is
// unchanged.
JsonReadResult track_from_json(std::string_view text, Track& track);

// Which form a track file is in: by its name's extension (.json or .trk, in any case),
// otherwise by its first bytes: a JSON document starts, after a byte order mark and blanks,
// with "{".
enum class TrackForm { trk, json };
TrackForm track_form_of(std::string_view path, std::span<const std::uint8_t> bytes);
bool has_json_extension(std::string_view path);

// Reads the track file at path in either form over track (unchanged on failure). version
// takes the .trk version: the file's, or a document's trk_version. On failure error takes
// the line the command-line tool prints: "PATH: MESSAGE", with the system's reason in
// parentheses when there is one.
bool load_any_track(const std::string& path, Track& track, std::uint16_t& version,
                    std::string& error);

} // namespace cs
