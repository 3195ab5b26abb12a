// The file layer on POSIX systems: the system part of model/file_io_system.h and the default
// FileCalls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/file_io.h"
#include "model/file_io_system.h"

namespace cs {

namespace fs = std::filesystem;

// Target keeps the owner and group as unsigned.
static_assert(sizeof(uid_t) <= sizeof(unsigned) && sizeof(gid_t) <= sizeof(unsigned));

namespace {

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

constexpr FileCalls system_calls{&system_create, &system_write, &system_flush, &system_rename};

int descriptor_in(std::string_view path) {
    const std::string own = "/proc/" + std::to_string(file_system::process_id()) + "/fd/";
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

} // namespace

FileCalls file_calls = system_calls;

void reset_file_calls() {
    file_calls = system_calls;
}

namespace file_system {

std::error_code reason_for(int error) {
    return {error, std::generic_category()};
}

std::error_code inspect(const fs::path& path, Target& target) {
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
}

std::error_code follow_link(fs::path& path) {
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) {
        return ec;
    }
    // A relative link is relative to the folder holding it.
    path = next.is_absolute() ? next : path.parent_path() / next;
    return {};
}

int descriptor_named_by(const fs::path& path) {
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
}

bool is_folder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool may_write(const fs::path& path, unsigned) {
    return ::access(path.c_str(), W_OK) == 0;
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
long long regular_file_size(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}
void remove_file(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

unsigned temporary_mode(const Target& old) {
    const bool exists = old.kind == Target::regular;
    // A replaced file's own mode is set by keep_owner_and_mode; until then only its owner
    // may look.
    return exists ? 0600u : 0666u;
}
int keep_owner_and_mode(int fd, const Target& old) {
    if (old.kind != Target::regular) {
        return 0;
    }
    // Owner and group where the system allows it (the superuser may), then the mode,
    // since a change of owner clears the set-id bits.
    if (::fchown(fd, static_cast<uid_t>(old.owner), static_cast<gid_t>(old.group)) != 0) {
        // Not allowed: the file becomes the user's own, as any newly written file.
    }
    if (::fchmod(fd, static_cast<mode_t>(old.mode)) != 0) {
        return errno;
    }
    return 0;
}
std::size_t whole_characters(const fs::path::string_type&, std::size_t at) {
    return at; // names are bytes
}
int process_id() {
    return static_cast<int>(::getpid());
}

} // namespace file_system

} // namespace cs
