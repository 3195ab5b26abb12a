#include "model/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace cs {

namespace fs = std::filesystem;

namespace {

// Symbolic links followed before giving up, as the system itself does.
constexpr int max_link_hops = 40;

bool fail(std::error_code* reason, std::error_code error) {
    if (reason != nullptr) {
        *reason = error;
    }
    return false;
}
bool fail(std::error_code* reason, int error) {
    return fail(reason, std::error_code(error, std::generic_category()));
}

#ifdef _WIN32
int system_create(const fs::path& path, unsigned) {
    return ::_wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}
std::ptrdiff_t system_write(int fd, const void* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int system_flush(int fd) {
    return ::_commit(fd);
}
int system_rename(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        const std::error_condition condition = ec.default_error_condition();
        errno = condition.category() == std::generic_category() ? condition.value() : EIO;
        return -1;
    }
    return 0;
}
int open_for_reading(const fs::path& path) {
    return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
int open_for_writing(const fs::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_BINARY);
}
std::ptrdiff_t read_some(int fd, void* data, std::size_t size) {
    return ::_read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int close_file(int fd) {
    return ::_close(fd);
}
// The size of the regular file open at fd; -1 for anything else (a pipe, a device).
long long regular_file_size(int fd) {
    struct _stat64 st {};
    return ::_fstat64(fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG ? st.st_size : -1;
}
bool may_write(const fs::path& path) {
    return ::_waccess(path.c_str(), 2) == 0;
}
int process_id() {
    return ::_getpid();
}
#else
int system_create(const fs::path& path, unsigned mode) {
    return ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
}
std::ptrdiff_t system_write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int system_flush(int fd) {
    return ::fsync(fd);
}
int system_rename(const fs::path& from, const fs::path& to) {
    return std::rename(from.c_str(), to.c_str());
}
int open_for_reading(const fs::path& path) {
    // Opened without waiting: a FIFO that nothing writes to would otherwise hold the open
    // for ever. Reads then wait as usual; with no writer they find the end at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return -1;
        }
    }
    return fd;
}
int open_for_writing(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
}
std::ptrdiff_t read_some(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size);
}
int close_file(int fd) {
    return ::close(fd);
}
// The size of the regular file open at fd; -1 for anything else (a pipe, a device).
long long regular_file_size(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}
bool may_write(const fs::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}
int process_id() {
    return static_cast<int>(::getpid());
}
#endif

constexpr FileCalls system_calls{&system_create, &system_write, &system_flush, &system_rename};

// What a path names itself, without following a final symbolic link.
struct Target {
    enum Kind { missing, link, directory, regular, other } kind = missing;
    unsigned mode = 0;
#ifndef _WIN32
    uid_t owner = 0;
    gid_t group = 0;
#endif
};

std::error_code inspect(const fs::path& path, Target& target) {
#ifdef _WIN32
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    switch (status.type()) {
    case fs::file_type::not_found:
        target.kind = Target::missing;
        return {};
    case fs::file_type::symlink:
        target.kind = Target::link;
        break;
    case fs::file_type::directory:
        target.kind = Target::directory;
        break;
    case fs::file_type::regular:
        target.kind = Target::regular;
        break;
    default:
        if (ec) {
            return ec;
        }
        target.kind = Target::other;
        break;
    }
    target.mode = static_cast<unsigned>(status.permissions());
    return {};
#else
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            target.kind = Target::missing; // the folder decides whether it can be created
            return {};
        }
        return {errno, std::generic_category()};
    }
    target.kind = S_ISLNK(st.st_mode)   ? Target::link
                  : S_ISDIR(st.st_mode) ? Target::directory
                  : S_ISREG(st.st_mode) ? Target::regular
                                        : Target::other;
    target.mode = st.st_mode & 07777;
    target.owner = st.st_uid;
    target.group = st.st_gid;
    return {};
#endif
}

#ifndef _WIN32
int descriptor_in(std::string_view path) {
    const std::string own = "/proc/" + std::to_string(process_id()) + "/fd/";
    if (path == "/dev/stdin") {
        return 0;
    }
    if (path == "/dev/stdout") {
        return 1;
    }
    if (path == "/dev/stderr") {
        return 2;
    }
    for (std::string_view folder :
         {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
          std::string_view("/proc/thread-self/fd/"), std::string_view(own)}) {
        if (path.size() > folder.size() && path.substr(0, folder.size()) == folder) {
            const std::string_view digits = path.substr(folder.size());
            int fd = -1;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), fd);
            if (error == std::errc() && end == digits.data() + digits.size()) {
                return fd;
            }
        }
    }
    return -1;
}
#endif

// The descriptor a path names when it is one of the process's own open descriptors
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N and the like, also reached through a linked
// folder); -1 for any other path.
int descriptor_named_by(const fs::path& path) {
#ifdef _WIN32
    (void)path;
    return -1;
#else
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    if (ec) {
        return -1;
    }
    int fd = descriptor_in(absolute.native());
    if (fd < 0 && absolute.has_parent_path()) {
        const fs::path folder = fs::canonical(absolute.parent_path(), ec);
        if (!ec) {
            fd = descriptor_in((folder / absolute.filename()).native());
        }
    }
    return fd;
#endif
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
    const int fd = open_for_writing(path);
    if (fd < 0) {
        return fail(reason, errno);
    }
    int error = write_all(fd, bytes);
    if (close_file(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 || fail(reason, error);
}

fs::path temporary_beside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    // The name is cut short so that the temporary name stays within the system's limit.
    fs::path::string_type base = target.filename().native();
    base.resize(std::min<std::size_t>(base.size(), 128));
    fs::path name = ".";
    name += base;
    name += "." + std::to_string(process_id()) + "." + std::to_string(counter++) + ".tmp";
    return target.parent_path() / name;
}

// Replaces a regular file (or creates a new one) through a temporary file in its folder.
bool replace_through_temporary(const fs::path& target, const Target& old,
                               std::span<const std::uint8_t> bytes, std::error_code* reason) {
    const bool exists = old.kind == Target::regular;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = temporary_beside(target);
        // A replaced file's own mode is set below; until then only its owner may look.
        fd = file_calls.create(temporary, exists ? 0600u : 0666u);
        if (fd < 0 && (errno != EEXIST || attempt == 99)) {
            return fail(reason, errno);
        }
    }
    int error = write_all(fd, bytes);
    if (error == 0 && file_calls.flush(fd) != 0) {
        error = errno;
    }
#ifndef _WIN32
    if (error == 0 && exists) {
        // Owner and group where the system allows it (the superuser may), then the mode,
        // since a change of owner clears the set-id bits.
        if (::fchown(fd, old.owner, old.group) != 0) {
            // Not allowed: the file becomes the user's own, as any newly written file.
        }
        if (::fchmod(fd, static_cast<mode_t>(old.mode)) != 0) {
            error = errno;
        }
    }
#endif
    if (close_file(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && file_calls.rename(temporary, target) != 0) {
        error = errno;
    }
    if (error != 0) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return fail(reason, error);
    }
    return true;
}

} // namespace

FileCalls file_calls = system_calls;

void reset_file_calls() {
    file_calls = system_calls;
}

bool read_whole_file(const fs::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason, std::size_t limit) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return fail(reason, EISDIR);
    }
    const int fd = open_for_reading(path);
    if (fd < 0) {
        return fail(reason, errno);
    }
    // One byte past the limit is enough to know that the source is too long.
    const std::size_t cap = limit == unbounded_read ? limit : limit + 1;
    std::vector<std::uint8_t> read;
    if (const long long size = regular_file_size(fd); size > 0) {
        if (static_cast<unsigned long long>(size) > limit) {
            close_file(fd);
            return fail(reason, std::make_error_code(std::errc::file_too_large));
        }
        read.reserve(static_cast<std::size_t>(size)); // it may still grow while being read
    }
    std::vector<std::uint8_t> chunk(std::size_t{1} << 16);
    int error = 0;
    while (read.size() < cap) {
        const std::size_t wanted = std::min(chunk.size(), cap - read.size());
        const std::ptrdiff_t n = read_some(fd, chunk.data(), wanted);
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
    close_file(fd);
    if (error != 0) {
        return fail(reason, error);
    }
    if (read.size() > limit) {
        return fail(reason, std::make_error_code(std::errc::file_too_large));
    }
    bytes = std::move(read);
    return true;
}

bool replace_file(const fs::path& path, std::span<const std::uint8_t> bytes,
                  std::error_code* reason) {
    if (path.empty()) {
        return fail(reason, ENOENT);
    }
    fs::path target = path;
    for (int hop = 0;; ++hop) {
        const int fd = descriptor_named_by(target);
        if (fd >= 0) {
            return write_to_descriptor(fd, bytes, reason);
        }
        Target found;
        if (const std::error_code ec = inspect(target, found)) {
            return fail(reason, ec);
        }
        switch (found.kind) {
        case Target::link: {
            if (hop == max_link_hops) {
                return fail(reason, ELOOP);
            }
            std::error_code ec;
            const fs::path next = fs::read_symlink(target, ec);
            if (ec) {
                return fail(reason, ec);
            }
            // A relative link is relative to the folder holding it.
            target = next.is_absolute() ? next : target.parent_path() / next;
            continue;
        }
        case Target::directory:
            return fail(reason, EISDIR);
        case Target::other:
            return write_directly(target, bytes, reason);
        case Target::regular:
            if (!may_write(target)) {
                return fail(reason, errno);
            }
            return replace_through_temporary(target, found, bytes, reason);
        case Target::missing:
            return replace_through_temporary(target, found, bytes, reason);
        }
    }
}

} // namespace cs
