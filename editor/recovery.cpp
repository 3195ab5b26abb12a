#include "editor/recovery.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <system_error>

#include "editor/changes.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "editor/setup.h"
#include "model/file_io.h"
#include "model/trk_file.h"

namespace cs {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view record_heading = "CourseSmith recovery 1";
// A record holds a heading, a time and one name: anything longer is not one of ours.
constexpr std::size_t max_record_size = 64 * 1024;
// A lock file without a copy is cleared away once it is this old and nobody holds it.
constexpr auto stale_lock_age = std::chrono::hours(1);

fs::path file_of(const fs::path& folder, std::string_view session, std::string_view suffix) {
    return folder / (std::string(session) + std::string(suffix));
}

// Paths are UTF-8 inside the editor; a path made here from the system's wide form (Windows)
// becomes UTF-8 again before it reaches the loader.
std::string new_session_name() {
    std::random_device device;
    std::mt19937_64 mix(
        (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    static constexpr char digits[] = "0123456789abcdef";
    std::uint64_t bits = mix();
    std::string name = "session-";
    for (int i = 0; i < 16; ++i, bits >>= 4) {
        name += digits[bits & 15];
    }
    return name;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A file name as the next editor, started in any folder, finds it: a track's file is kept
// by its absolute path (the command line may have named it relative to where it started).
std::string record_text(const Editor& editor, std::int64_t time) {
    const bool has_file = editor.documents.disk_stamp.has_value();
    std::string name = editor.names.current_file_name;
    if (has_file) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(path_of_utf8(name), ec);
        if (!ec) {
            name = utf8_of(absolute.lexically_normal());
        }
    }
    return std::string(record_heading) + "\ntime " + std::to_string(time) + "\n" +
           (has_file ? "file " : "name ") + escaped(name) + "\n";
}

// A record as written above; nothing when the file is not one.
std::optional<LeftOverCopy> read_record(const fs::path& path, std::string session) {
    std::vector<std::uint8_t> bytes;
    if (!read_whole_file(path, bytes, nullptr, max_record_size)) {
        return std::nullopt;
    }
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() != 3 || lines[0] != record_heading || !lines[1].starts_with("time ")) {
        return std::nullopt;
    }
    LeftOverCopy copy;
    copy.session = std::move(session);
    char* end = nullptr;
    const std::string time(lines[1].substr(5));
    copy.time = std::strtoll(time.c_str(), &end, 10);
    if (time.empty() || *end != '\0') {
        return std::nullopt;
    }
    if (lines[2].starts_with("file ")) {
        copy.has_file = true;
    } else if (!lines[2].starts_with("name ")) {
        return std::nullopt;
    }
    copy.name = unescaped(lines[2].substr(5));
    return copy;
}

void remove_session_files(const fs::path& folder, std::string_view session) {
    std::error_code ignored;
    for (std::string_view suffix : {".trk", ".info", ".lock"}) {
        fs::remove(file_of(folder, session, suffix), ignored);
    }
}

// Takes the result of a finished write: false while the copy is still being written.
bool collect_write(Editor& editor) {
    RecoveryState& r = editor.recovery;
    if (r.write == nullptr) {
        return true;
    }
    if (!r.write->done.load(std::memory_order_acquire)) {
        return false;
    }
    if (r.writer.joinable()) {
        r.writer.join();
    }
    if (r.write->ok) {
        r.copy_written = true;
        r.copied_revision = r.write->revision;
        r.failure.clear();
        r.failure_shown = false;
    } else {
        r.failure = r.write->reason;
    }
    r.write.reset();
    return true;
}

void show_failure_once(Editor& editor) {
    RecoveryState& r = editor.recovery;
    if (!r.failure || r.failure_shown) {
        return;
    }
    r.failure_shown = true;
    editor.ui->message_box("Can't write a recovery copy to " + utf8_of(r.folder) + " (" +
                           r.failure.message() +
                           ").\nIf CourseSmith stops unexpectedly, the changes since the last "
                           "save will be lost.");
}

std::int64_t seconds_now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

RecoveryState::~RecoveryState() {
    if (writer.joinable()) {
        writer.join();
    }
}

fs::path default_recovery_folder() {
#ifdef _WIN32
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    const fs::path base = local != nullptr && *local != L'\0' ? fs::path(local) : fs::path(L".");
    return base / L"coursesmith" / L"recovery";
#else
    fs::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = fs::path(home) / ".local" / "state";
    } else {
        base = ".";
    }
    return base / "coursesmith" / "recovery";
#endif
}

void start_recovery(Editor& editor, const fs::path& folder) {
    RecoveryState& r = editor.recovery;
    r.folder = folder;
    r.session = new_session_name();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (!ec) {
            // The copies are the user's work: for the user's eyes only.
            fs::permissions(folder, fs::perms::owner_all, ec);
        }
    }
    if (ec) {
        r.failure = ec;
        return;
    }
    r.lock.lock(file_of(folder, r.session, ".lock"), &r.failure);
}

void autosave_tick(Editor& editor) {
    RecoveryState& r = editor.recovery;
    if (r.folder.empty() || !collect_write(editor) || editor.gesture.button_down != 0) {
        return;
    }
    if (!track_modified(editor)) {
        remove_recovery_copy(editor);
        return;
    }
    if (r.copy_written && r.copied_revision == editor.history.revision) {
        return;
    }
    if (!r.lock.held() && !r.failure) {
        r.failure = std::make_error_code(std::errc::no_lock_available);
    }
    // The last copy failed (or none can be written): said once, then tried again quietly.
    show_failure_once(editor);
    if (!r.lock.held()) {
        return;
    }
    // The editing thread only copies the track; encoding and writing happen on the writer.
    auto track = std::make_unique<Track>(editor.track);
    std::string record = record_text(editor, seconds_now());
    r.write = std::make_unique<RecoveryState::Write>();
    r.write->revision = editor.history.revision;
    RecoveryState::Write* write = r.write.get();
    const fs::path copy_path = file_of(r.folder, r.session, ".trk");
    const fs::path record_path = file_of(r.folder, r.session, ".info");
    try {
        r.writer = std::thread(
            [track = std::move(track), record = std::move(record), copy_path, record_path, write] {
                const std::vector<std::uint8_t> bytes = encode_track(*track);
                const auto* text = reinterpret_cast<const std::uint8_t*>(record.data());
                write->ok = replace_file(copy_path, bytes, &write->reason) &&
                            replace_file(record_path, {text, record.size()}, &write->reason);
                write->done.store(true, std::memory_order_release);
            });
    } catch (const std::system_error& error) {
        // No thread to be had (the system is out of them): a failed copy, tried again later.
        write->reason = error.code();
        write->done.store(true, std::memory_order_release);
    }
}

void finish_recovery_write(Editor& editor) {
    RecoveryState& r = editor.recovery;
    if (r.writer.joinable()) {
        r.writer.join();
        collect_write(editor);
    }
}

void remove_recovery_copy(Editor& editor) {
    finish_recovery_write(editor); // a copy being written would otherwise come back
    RecoveryState& r = editor.recovery;
    if (r.folder.empty() || !r.copy_written) {
        return;
    }
    std::error_code ignored;
    fs::remove(file_of(r.folder, r.session, ".info"), ignored);
    fs::remove(file_of(r.folder, r.session, ".trk"), ignored);
    r.copy_written = false;
}

void end_recovery(Editor& editor) {
    RecoveryState& r = editor.recovery;
    remove_recovery_copy(editor);
    if (r.folder.empty() || !r.lock.held()) {
        return;
    }
    r.lock.release();
    std::error_code ignored;
    fs::remove(file_of(r.folder, r.session, ".lock"), ignored);
}

std::vector<LeftOverCopy> left_over_copies(const fs::path& folder) {
    std::vector<LeftOverCopy> copies;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        const std::string session = utf8_of(path.stem());
        const fs::path lock = file_of(folder, session, ".lock");
        if (path.extension() == ".lock") {
            std::error_code age_error;
            const auto written = fs::last_write_time(path, age_error);
            if (!age_error && now - written > stale_lock_age &&
                !fs::exists(file_of(folder, session, ".info"), age_error) &&
                !locked_elsewhere(path)) {
                fs::remove(path, age_error);
            }
            continue;
        }
        if (path.extension() != ".info" || locked_elsewhere(lock) ||
            !fs::is_regular_file(file_of(folder, session, ".trk"))) {
            continue;
        }
        if (std::optional<LeftOverCopy> copy = read_record(path, session)) {
            copies.push_back(std::move(*copy));
        }
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const LeftOverCopy& a, const LeftOverCopy& b) { return a.time > b.time; });
    return copies;
}

std::string recovery_question(const LeftOverCopy& copy) {
    const std::time_t time = static_cast<std::time_t>(copy.time);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    return "CourseSmith found unsaved changes to " + file_name_of(copy.name) + " from " + when +
           ". Restore them?";
}

bool offer_recovery(Editor& editor, const fs::path& folder) {
    if (folder.empty()) {
        return false;
    }
    RecoveryState& r = editor.recovery;
    for (const LeftOverCopy& copy : left_over_copies(folder)) {
        // Held while the copy is offered, so that an editor starting at the same moment
        // takes it for a live editor's and leaves it alone.
        FileLock claim;
        if (copy.session == r.session || !claim.lock(file_of(folder, copy.session, ".lock"))) {
            continue;
        }
        if (!editor.ui->ask_yes_no(recovery_question(copy))) {
            claim.release();
            remove_session_files(folder, copy.session);
            continue;
        }
        const fs::path copy_path = file_of(folder, copy.session, ".trk");
        if (!load_track(editor, utf8_of(copy_path))) {
            // The reader said what is wrong with it; a copy that cannot be read is no use.
            claim.release();
            remove_session_files(folder, copy.session);
            continue;
        }
        set_title(editor, copy.name);
        editor.documents.disk_stamp.reset();
        if (copy.has_file) {
            editor.documents.open_track_name = copy.name;
            editor.documents.disk_stamp = file_stamp(copy.name);
        }
        mark_unsaved(editor);
        // The restored work is this editor's now: its copy becomes this session's.
        std::error_code ec;
        if (r.lock.held() && folder == r.folder) {
            fs::rename(copy_path, file_of(folder, r.session, ".trk"), ec);
            fs::rename(file_of(folder, copy.session, ".info"), file_of(folder, r.session, ".info"),
                       ec);
            r.copy_written = !ec;
            r.copied_revision = editor.history.revision;
        }
        claim.release();
        if (!r.copy_written) {
            remove_session_files(folder, copy.session);
        } else {
            fs::remove(file_of(folder, copy.session, ".lock"), ec);
        }
        return true;
    }
    return false;
}

} // namespace cs
