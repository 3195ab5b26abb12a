// Reading whole files and replacing them: the steps every system shares. What differs between
// systems (opening, inspecting, following links, what a replacement keeps of the old file)
// is asked of model/file_io_system.h.
#include "model/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/file_io_system.h"

namespace cs {

namespace fs = std::filesystem;

namespace {

using file_system::Target;

// Symbolic links followed before giving up, as the system itself does.
constexpr int max_link_hops = 40;

bool fail(std::error_code* reason, std::error_code error) {
    if (reason != nullptr) {
        *reason = error;
    }
    return false;
}
bool fail(std::error_code* reason, int error) {
    return fail(reason, file_system::reason_for(error));
}

// Writes all bytes, going on after interrupted and partial writes; 0 or the errno value.
int write_all(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::ptrdiff_t n = file_calls.write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO; // no progress would loop for ever
        }
        bytes = bytes.subspan(std::min(static_cast<std::size_t>(n), bytes.size()));
    }
    return 0;
}

// One of the process's own descriptors: written where it stands (a pipe, a terminal or
// the file a redirect opened), never reopened or replaced.
bool write_to_descriptor(int fd, std::span<const std::uint8_t> bytes, std::error_code* reason) {
    // Whatever the program printed before must come first.
    if (fd == 1) {
        std::fflush(stdout);
    } else if (fd == 2) {
        std::fflush(stderr);
    }
    const int error = write_all(fd, bytes);
    return error == 0 || fail(reason, error);
}

// A device or FIFO cannot be replaced by renaming; it takes the bytes itself.
bool write_directly(const fs::path& path, std::span<const std::uint8_t> bytes,
                    std::error_code* reason) {
    const int fd = file_system::open_for_writing(path);
    if (fd < 0) {
        return fail(reason, errno);
    }
    int error = write_all(fd, bytes);
    if (file_system::close_file(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 || fail(reason, error);
}

fs::path temporary_beside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    // The name is cut short so that the temporary name stays within the system's limit.
    fs::path::string_type base = target.filename().native();
    base.resize(file_system::whole_characters(base, std::min<std::size_t>(base.size(), 128)));
    std::string suffix = ".";
    suffix += std::to_string(file_system::process_id());
    suffix += '.';
    suffix += std::to_string(counter++);
    suffix += ".tmp";
    fs::path name = ".";
    name += base;
    name += suffix;
    return target.parent_path() / name;
}

// Replaces a regular file (or creates a new one) through a temporary file in its folder.
bool replace_through_temporary(const fs::path& target, const Target& old,
                               std::span<const std::uint8_t> bytes, std::error_code* reason) {
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = temporary_beside(target);
        fd = file_calls.create(temporary, file_system::temporary_mode(old));
        if (fd < 0 && (errno != EEXIST || attempt == 99)) {
            return fail(reason, errno);
        }
    }
    int error = write_all(fd, bytes);
    if (error == 0 && file_calls.flush(fd) != 0) {
        error = errno;
    }
    if (error == 0) {
        error = file_system::keep_owner_and_mode(fd, old);
    }
    if (file_system::close_file(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && file_calls.rename(temporary, target) != 0) {
        error = errno;
    }
    if (error != 0) {
        file_system::remove_file(temporary);
        return fail(reason, error);
    }
    return true;
}

} // namespace

fs::path path_of_utf8(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

bool read_whole_file(const fs::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason, std::size_t limit) {
    if (file_system::is_folder(path)) {
        return fail(reason, EISDIR);
    }
    const int fd = file_system::open_for_reading(path);
    if (fd < 0) {
        return fail(reason, errno);
    }
    // One byte past the limit is enough to know that the source is too long.
    const std::size_t cap = limit == unbounded_read ? limit : limit + 1;
    std::vector<std::uint8_t> read;
    if (const long long size = file_system::regular_file_size(fd); size > 0) {
        if (static_cast<unsigned long long>(size) > limit) {
            file_system::close_file(fd);
            return fail(reason, std::make_error_code(std::errc::file_too_large));
        }
        read.reserve(static_cast<std::size_t>(size)); // it may still grow while being read
    }
    std::vector<std::uint8_t> chunk(std::size_t{1} << 16);
    int error = 0;
    while (read.size() < cap) {
        const std::size_t wanted = std::min(chunk.size(), cap - read.size());
        const std::ptrdiff_t n = file_system::read_some(fd, chunk.data(), wanted);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        if (n == 0) {
            break;
        }
        read.insert(read.end(), chunk.begin(), chunk.begin() + n);
    }
    file_system::close_file(fd);
    if (error != 0) {
        return fail(reason, error);
    }
    if (read.size() > limit) {
        return fail(reason, std::make_error_code(std::errc::file_too_large));
    }
    bytes = std::move(read);
    return true;
}

bool read_file_start(const fs::path& path, std::size_t count, std::vector<std::uint8_t>& bytes) {
    const int fd = file_system::open_for_reading(path);
    if (fd < 0) {
        return false;
    }
    std::vector<std::uint8_t> read(count);
    std::size_t filled = 0;
    bool ok = file_system::regular_file_size(fd) >= 0;
    while (ok && filled < count) {
        const std::ptrdiff_t n = file_system::read_some(fd, read.data() + filled, count - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n >= 0;
        if (n <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    file_system::close_file(fd);
    if (ok) {
        read.resize(filled);
        bytes = std::move(read);
    }
    return ok;
}

bool replace_file(const fs::path& path, std::span<const std::uint8_t> bytes,
                  std::error_code* reason) {
    if (path.empty()) {
        return fail(reason, ENOENT);
    }
    fs::path target = path;
    for (int hop = 0;; ++hop) {
        const int fd = file_system::descriptor_named_by(target);
        if (fd >= 0) {
            return write_to_descriptor(fd, bytes, reason);
        }
        Target found;
        if (const std::error_code ec = file_system::inspect(target, found)) {
            return fail(reason, ec);
        }
        switch (found.kind) {
        case Target::link:
            if (hop == max_link_hops) {
                return fail(reason, ELOOP);
            }
            if (const std::error_code ec = file_system::follow_link(target)) {
                return fail(reason, ec);
            }
            continue;
        case Target::directory:
            return fail(reason, EISDIR);
        case Target::other:
            return write_directly(target, bytes, reason);
        case Target::regular:
            if (!file_system::may_write(target, found.mode)) {
                return fail(reason, errno);
            }
            return replace_through_temporary(target, found, bytes, reason);
        case Target::missing:
            return replace_through_temporary(target, found, bytes, reason);
        }
    }
}

} // namespace cs
