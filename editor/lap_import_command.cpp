#include <algorithm>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/view_commands.h"
#include "interaction/ai_line.h"
#include "interaction/lap_import.h"
#include "model/file_io.h"
#include "model/trk_file.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

constexpr std::string_view no_ghost_lap = "Can't find ghost lap.";

} // namespace

void import_ai_line_command(Editor& editor) {
    DocumentState& docs = editor.documents;
    docs.last_file_error.clear();

    FileDialogRequest request;
    request.filters = {{"Tyrestorm Track Files (*.trk)", "*.TRK"}, {"All Files", "*.*"}};
    request.default_extension = "trk";
    request.initial_name = docs.import_lap_name;
    request.path_must_exist = true;
    request.file_must_exist = true;
    const std::optional<std::string> path = editor.ui->open_file_dialog(request);
    if (!path) {
        return;
    }
    docs.import_lap_name = *path;

    std::vector<std::uint8_t> bytes;
    // A file longer than any track with a lap behind it holds no lap this editor can find:
    // refused as such, after reading no more than such a track can need.
    if (!read_whole_file(*path, bytes, &docs.last_file_error, max_track_file_size)) {
        editor.ui->message_box(
            docs.last_file_error == std::errc::file_too_large ? no_ghost_lap : "Can't open file!");
        return;
    }
    const std::optional<std::vector<LinePoint>> points =
        lap_line_points(bytes, point_spacing(editor.track));
    if (!points) {
        editor.ui->message_box(no_ghost_lap);
        return;
    }

    Track& track = editor.track;
    std::copy(points->begin(), points->end(), track.ai_line.begin());
    track.ai_line_count = static_cast<std::uint16_t>(points->size());
    editor.ui->set_control_enabled(id::delete_ai_line, track.ai_line_count != 0);
    // The old line is gone from the track but still on the image: recompute every pixel.
    full_redraw(editor);
}

} // namespace cs
