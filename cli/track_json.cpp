// Track files in either form, .trk or JSON document: which form a file is in, and reading it.
#include "cli/track_json.h"

#include <algorithm>
#include <vector>

#include "model/file_io.h"
#include "model/trk_file.h"

namespace cs {

namespace {

// The tool's line for a failure: "PATH: MESSAGE", then the system's reason in parentheses
// when there is one (as failure_line in png_output.h, which this file does without, so that
// the fuzz harness and its seed writer need none of the tool's output code).
std::string failure(const std::string& path, std::string_view message,
                    const std::error_code& reason) {
    std::string line = path + ": " + std::string(message);
    if (reason) {
        line += " (" + reason.message() + ")";
    }
    return line;
}

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) {
                          return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
                      });
}

} // namespace

bool has_json_extension(std::string_view path) {
    return ends_with_ignoring_case(path, ".json");
}

TrackForm track_form_of(std::string_view path, std::span<const std::uint8_t> bytes) {
    if (has_json_extension(path)) {
        return TrackForm::json;
    }
    if (ends_with_ignoring_case(path, ".trk")) {
        return TrackForm::trk;
    }
    const bool mark = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    for (std::uint8_t b : bytes.subspan(mark ? 3 : 0)) {
        if (b != ' ' && b != '\t' && b != '\n' && b != '\r') {
            return b == '{' ? TrackForm::json : TrackForm::trk;
        }
    }
    return TrackForm::trk;
}

bool load_any_track(const std::string& path, Track& track, std::uint16_t& version,
                    std::string& error) {
    const bool json_name = has_json_extension(path);
    std::vector<std::uint8_t> bytes;
    std::error_code reason;
    if (!read_whole_file(path_of_utf8(path), bytes, &reason,
                         json_name ? max_track_json_size
                                   : std::max(max_track_json_size, max_track_file_size))) {
        if (reason != std::errc::file_too_large) {
            error = failure(path, message_for(TrackFileError::cant_open), reason);
        } else if (json_name) {
            error = path + ": larger than any track document (" +
                    std::to_string(max_track_json_size >> 20) + " MiB)";
        } else {
            error = failure(path, message_for(TrackFileError::damaged), reason);
        }
        return false;
    }
    if (track_form_of(path, bytes) == TrackForm::json) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const JsonReadResult result = track_from_json(text, track);
        if (!result.ok()) {
            error = path + ": " + result.error;
            return false;
        }
        version = result.trk_version;
        return true;
    }
    // As read_track: nothing longer than any track file is parsed.
    if (bytes.size() > max_track_file_size) {
        error = failure(path, message_for(TrackFileError::damaged),
                        std::make_error_code(std::errc::file_too_large));
        return false;
    }
    const TrackReadResult result = parse_track(bytes, track);
    if (result.error != TrackFileError::none) {
        error = failure(path, message_for(result.error), result.reason);
        return false;
    }
    version = result.version;
    return true;
}

} // namespace cs
