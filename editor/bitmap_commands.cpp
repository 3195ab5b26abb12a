// The "Import" and "Export" rows of the panel: the land map and the height grid exchanged
// with bitmap files.
#include "editor/commands.h"
#include "editor/view_commands.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "editor/editor.h"
#include "model/bitmap_file.h"
#include "model/file_io.h"

namespace cs {

namespace {

// Each operation's dialog starts with the name last chosen for it and keeps the new one.
FileDialogRequest bitmap_dialog(const std::string& last_name, bool open) {
    FileDialogRequest request;
    request.filters = {{"Bitmaps (*.bmp)", "*.BMP"}, {"All Files", "*.*"}};
    request.default_extension = "bmp";
    request.initial_name = last_name;
    request.path_must_exist = true;
    request.file_must_exist = open;
    request.confirm_overwrite = !open;
    return request;
}

std::optional<std::string> choose_file(Editor& editor, std::string& name_buffer, bool open) {
    const FileDialogRequest request = bitmap_dialog(name_buffer, open);
    std::optional<std::string> chosen =
        open ? editor.ui->open_file_dialog(request) : editor.ui->save_file_dialog(request);
    if (chosen) {
        name_buffer = *chosen;
    }
    return chosen;
}

// What an import reads at most: the bitmap's own size and room for the headers and colour
// tables other programs write (larger information headers, colour profiles, padding).
constexpr std::size_t foreign_header_margin = 64 * 1024;

// What one import takes: its bitmap's size, the check of its headers and its refusal.
struct ImportKind {
    std::size_t bitmap_size;
    bool (*headers_fit)(std::span<const std::uint8_t>);
    std::string_view refusal;
};

// Reads the chosen file for an import whose undo snapshot has been taken. True with the
// file's bytes; false after the message when the file cannot be read, or after the import's
// own refusal when it is too long to be the bitmap it expects. The system's reason (the
// file is too large) stays only where the length alone is at fault: a file whose headers
// already describe another bitmap is refused for that.
bool read_import(Editor& editor, const std::string& path, const ImportKind& kind,
                 std::vector<std::uint8_t>& bytes) {
    std::error_code& reason = editor.documents.last_file_error;
    if (read_whole_file(path, bytes, &reason, kind.bitmap_size + foreign_header_margin)) {
        return true;
    }
    if (reason != std::errc::file_too_large) {
        editor.ui->message_box("Can't open file!");
        return false;
    }
    std::vector<std::uint8_t> start;
    if (read_file_start(path, bitmap_headers_size, start) && !kind.headers_fit(start)) {
        reason.clear();
    }
    editor.ui->message_box(kind.refusal);
    return false;
}

constexpr std::string_view not_land_bitmap = "This is not a 512x512 16-color bitmap.";
constexpr std::string_view not_height_bitmap = "This is not a 64x64 256-color bitmap.";

void write_export(Editor& editor, const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (!replace_file(path, bytes, &editor.documents.last_file_error)) {
        editor.ui->message_box("Can't create file!");
    }
}

} // namespace

namespace {

// One import: the chosen file replaces the land map or the height grid. The undo snapshot
// is taken once a file is chosen and before it is read, so a file that is then refused
// still leaves the undo button armed with the unchanged layer.
template <typename Decode>
void import_bitmap(Editor& editor, std::string& name_buffer, void (*snapshot)(Editor&),
                   const ImportKind& kind, Decode decode) {
    editor.documents.last_file_error.clear();
    const auto path = choose_file(editor, name_buffer, true);
    if (!path) {
        return;
    }
    snapshot(editor);
    std::vector<std::uint8_t> bytes;
    if (!read_import(editor, *path, kind, bytes)) {
        return;
    }
    if (!decode(bytes)) {
        editor.ui->message_box(kind.refusal);
        return;
    }
    full_redraw(editor);
}

} // namespace

void import_land_command(Editor& editor) {
    import_bitmap(editor, editor.documents.import_land_name, snapshot_land,
                  {land_bitmap_size, land_bitmap_headers_fit, not_land_bitmap},
                  [&](const auto& bytes) { return decode_land_bitmap(bytes, editor.track.land); });
}

void import_heights_command(Editor& editor) {
    import_bitmap(
        editor, editor.documents.import_heights_name, snapshot_heights,
        {height_bitmap_size, height_bitmap_headers_fit, not_height_bitmap},
        [&](const auto& bytes) { return decode_height_bitmap(bytes, editor.track.heights); });
}

void export_land_command(Editor& editor) {
    editor.documents.last_file_error.clear();
    const auto path = choose_file(editor, editor.documents.export_land_name, false);
    if (path) {
        write_export(editor, *path, encode_land_bitmap(editor.track));
    }
}

void export_heights_command(Editor& editor) {
    editor.documents.last_file_error.clear();
    const auto path = choose_file(editor, editor.documents.export_heights_name, false);
    if (path) {
        write_export(editor, *path, encode_height_bitmap(editor.track));
    }
}

} // namespace cs
