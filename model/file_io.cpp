#include "model/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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
#ifdef _WIN32
// errno cannot hold a Windows error, so the system's steps give theirs as an errno value
// above every C library one, which reason_for turns back into the Windows error.
constexpr int windows_error_base = 1 << 20;
#endif

// The reason an errno value stands for.
std::error_code reason_for(int error) {
#ifdef _WIN32
    if (error >= windows_error_base) {
        return {error - windows_error_base, std::system_category()};
    }
#endif
    return {error, std::generic_category()};
}
bool fail(std::error_code* reason, int error) {
    return fail(reason, reason_for(error));
}

#ifdef _WIN32
// A failed Windows call: its error in errno (see windows_error_base), -1 returned.
int windows_failure(DWORD error) {
    errno = error == ERROR_SUCCESS ? EIO : windows_error_base + static_cast<int>(error);
    return -1;
}
std::error_code last_windows_error() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS
               ? std::make_error_code(std::errc::io_error)
               : std::error_code(static_cast<int>(error), std::system_category());
}

// The path in UTF-16. Paths are UTF-8 inside the program; the narrow constructor of
// std::filesystem::path here widens every byte on its own (the C runtime's "C" locale), so
// such a path arrives with one byte in each code unit and is decoded from UTF-8 here. A
// path made from UTF-16 (a code unit above 0xFF, or bytes that are no UTF-8) is taken as
// it is.
std::wstring utf16_of(const fs::path& path) {
    const std::wstring& units = path.native();
    if (std::all_of(units.begin(), units.end(), [](wchar_t unit) { return unit <= 0xFF; })) {
        std::string bytes(units.size(), '\0');
        std::transform(units.begin(), units.end(), bytes.begin(),
                       [](wchar_t unit) { return static_cast<char>(unit); });
        const int size = static_cast<int>(bytes.size());
        const int length =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
        if (length > 0) {
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                                length);
            return wide;
        }
    }
    return units;
}

// A UTF-16 name as the program's own paths are made: UTF-8, one byte per code unit.
fs::path from_utf16(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return fs::path(bytes);
}

bool is_device_name(const std::wstring& full) {
    return full.starts_with(L"\\\\.\\");
}

// The name the system calls take: UTF-16, made absolute by GetFullPathNameW (which also
// turns / into \ and drops . and ..) and marked with \\?\ so that names longer than
// MAX_PATH (260) work. Devices (NUL, CON, COM1 anywhere in a path, \\.\ names) come back
// as \\.\NAME, since the mark would make them ordinary files.
std::wstring system_path(const fs::path& path) {
    const std::wstring name = utf16_of(path);
    if (name.starts_with(L"\\\\?\\")) {
        return name;
    }
    std::wstring full;
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    while (size > full.size()) { // the first answer counts the terminating zero
        full.resize(size);
        size = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    }
    if (size == 0) {
        return name; // the call that takes it gives the reason
    }
    full.resize(size);
    if (is_device_name(full)) {
        return full;
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// A C runtime descriptor for a handle CreateFileW opened (closed by close_file).
int descriptor_for(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) {
        return windows_failure(GetLastError());
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

// The new file takes attributes (FILE_ATTRIBUTE_*) instead of a mode: a replacement is
// created with those of the file it replaces, so that a hidden or system file stays one.
int system_create(const fs::path& path, unsigned attributes) {
    const HANDLE handle =
        CreateFileW(system_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            errno = EEXIST; // another name is tried
            return -1;
        }
        return windows_failure(error);
    }
    return descriptor_for(handle, _O_WRONLY);
}
std::ptrdiff_t system_write(int fd, const void* data, std::size_t size) {
    DWORD written = 0;
    if (!WriteFile(handle_of(fd), data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)),
                   &written, nullptr)) {
        return windows_failure(GetLastError());
    }
    return static_cast<std::ptrdiff_t>(written);
}
int system_flush(int fd) {
    return FlushFileBuffers(handle_of(fd)) ? 0 : windows_failure(GetLastError());
}
// One atomic rename that replaces what is there; it fails for a read-only file or one held
// open without leave to delete, which is then left whole. (ReplaceFileW is not used: Wine
// moves the old file aside first and leaves a stray file behind when that fails.)
int system_rename(const fs::path& from, const fs::path& to) {
    return MoveFileExW(system_path(from).c_str(), system_path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : windows_failure(GetLastError());
}
int open_for_reading(const fs::path& path) {
    return descriptor_for(CreateFileW(system_path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                          _O_RDONLY);
}
// Only devices are opened for writing in place; they are opened by the name they were
// given, which is how CON reaches the console.
int open_for_writing(const fs::path& path) {
    return descriptor_for(CreateFileW(utf16_of(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr),
                          _O_WRONLY);
}
std::ptrdiff_t read_some(int fd, void* data, std::size_t size) {
    DWORD read = 0;
    if (!ReadFile(handle_of(fd), data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)),
                  &read, nullptr)) {
        const DWORD error = GetLastError();
        // A pipe whose writer has gone has come to its end.
        return error == ERROR_BROKEN_PIPE ? 0 : windows_failure(error);
    }
    return static_cast<std::ptrdiff_t>(read);
}
int close_file(int fd) {
    return ::_close(fd);
}
// The size of the regular file open at fd; -1 for anything else (a pipe, a device).
long long regular_file_size(int fd) {
    const HANDLE handle = handle_of(fd);
    LARGE_INTEGER size{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size)
               ? static_cast<long long>(size.QuadPart)
               : -1;
}
// A read-only file is refused as it is, before anything is written; so is one that
// cannot be opened for writing (another program holds it without sharing, or the folder's
// rights forbid it), which the replacement would meet at its end.
bool may_write(const fs::path& path, unsigned attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        windows_failure(ERROR_ACCESS_DENIED);
        return false;
    }
    const HANDLE handle = CreateFileW(system_path(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        windows_failure(GetLastError());
        return false;
    }
    CloseHandle(handle);
    return true;
}
int process_id() {
    return ::_getpid();
}
void remove_file(const fs::path& path) {
    DeleteFileW(system_path(path).c_str());
}
// The attributes a replacement keeps: the ones a file can be created with.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
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
bool may_write(const fs::path& path, unsigned) {
    return ::access(path.c_str(), W_OK) == 0;
}
int process_id() {
    return static_cast<int>(::getpid());
}
void remove_file(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
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
    // mode holds the file's attributes (FILE_ATTRIBUTE_*).
    const std::wstring name = system_path(path);
    if (is_device_name(name)) {
        target.kind = Target::other;
        return {};
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            target.kind = Target::missing; // the folder decides whether it can be created
            return {};
        }
        return {static_cast<int>(error), std::system_category()};
    }
    const DWORD attributes = data.dwFileAttributes;
    target.mode = attributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        target.kind = Target::directory;
        return {};
    }
    target.kind = Target::regular;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // Only a symbolic link is followed; other reparse points (files kept in the cloud,
        // deduplicated ones) are ordinary files to a program.
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(name.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            if (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK) {
                target.kind = Target::link;
            }
        }
    }
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
    std::size_t kept = std::min<std::size_t>(base.size(), 128);
#ifdef _WIN32
    // Never inside a character: a cut UTF-8 sequence (or surrogate pair) would make the
    // whole path undecodable (utf16_of) and name another folder.
    while (kept > 0 && kept < base.size() &&
           ((base[kept] >= 0x80 && base[kept] <= 0xBF) ||
            (base[kept] >= 0xDC00 && base[kept] <= 0xDFFF))) {
        --kept;
    }
#endif
    base.resize(kept);
    std::string suffix = ".";
    suffix += std::to_string(process_id());
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
    const bool exists = old.kind == Target::regular;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = temporary_beside(target);
#ifdef _WIN32
        fd = file_calls.create(temporary, exists ? old.mode & kept_attributes : 0u);
#else
        // A replaced file's own mode is set below; until then only its owner may look.
        fd = file_calls.create(temporary, exists ? 0600u : 0666u);
#endif
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
        remove_file(temporary);
        return fail(reason, error);
    }
    return true;
}

} // namespace

FileCalls file_calls = system_calls;

#ifdef _WIN32
std::wstring windows_path(const fs::path& path) {
    return system_path(path);
}
#endif

fs::path path_of_utf8(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

void reset_file_calls() {
    file_calls = system_calls;
}

bool read_whole_file(const fs::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason, std::size_t limit) {
#ifdef _WIN32
    // A device is never a folder, and asking a named pipe for its attributes would use up
    // the pipe's waiting instance.
    if (const std::wstring name = system_path(path); !is_device_name(name)) {
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return fail(reason, EISDIR);
        }
    }
#else
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return fail(reason, EISDIR);
    }
#endif
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

bool read_file_start(const fs::path& path, std::size_t count, std::vector<std::uint8_t>& bytes) {
    const int fd = open_for_reading(path);
    if (fd < 0) {
        return false;
    }
    std::vector<std::uint8_t> read(count);
    std::size_t filled = 0;
    bool ok = regular_file_size(fd) >= 0;
    while (ok && filled < count) {
        const std::ptrdiff_t n = read_some(fd, read.data() + filled, count - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n >= 0;
        if (n <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    close_file(fd);
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
#ifdef _WIN32
            // The system resolves the whole chain: the file it ends at is replaced.
            const HANDLE handle =
                CreateFileW(system_path(target).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                return fail(reason, last_windows_error());
            }
            std::wstring resolved(MAX_PATH, L'\0');
            DWORD size = GetFinalPathNameByHandleW(handle, resolved.data(),
                                                   static_cast<DWORD>(resolved.size()), 0);
            if (size >= resolved.size()) {
                resolved.resize(size);
                size = GetFinalPathNameByHandleW(handle, resolved.data(),
                                                 static_cast<DWORD>(resolved.size()), 0);
            }
            const std::error_code ec = size == 0 ? last_windows_error() : std::error_code();
            CloseHandle(handle);
            if (ec) {
                return fail(reason, ec);
            }
            resolved.resize(size);
            target = from_utf16(resolved);
#else
            std::error_code ec;
            const fs::path next = fs::read_symlink(target, ec);
            if (ec) {
                return fail(reason, ec);
            }
            // A relative link is relative to the folder holding it.
            target = next.is_absolute() ? next : target.parent_path() / next;
#endif
            continue;
        }
        case Target::directory:
            return fail(reason, EISDIR);
        case Target::other:
            return write_directly(target, bytes, reason);
        case Target::regular:
            if (!may_write(target, found.mode)) {
                return fail(reason, errno);
            }
            return replace_through_temporary(target, found, bytes, reason);
        case Target::missing:
            return replace_through_temporary(target, found, bytes, reason);
        }
    }
}

} // namespace cs
