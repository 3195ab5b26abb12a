#include "model/file_lock.h"

#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "model/file_io.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cs {

namespace fs = std::filesystem;

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, invalid);
    }
    return *this;
}

#ifdef _WIN32

namespace {

// Opened with no sharing, so that every other open fails while the handle lives.
HANDLE open_unshared(const fs::path& path, DWORD disposition) {
    return CreateFileW(windows_path(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool FileLock::lock(const fs::path& path, std::error_code* reason) {
    release();
    const HANDLE h = open_unshared(path, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) {
        if (reason != nullptr) {
            *reason = std::error_code(static_cast<int>(GetLastError()), std::system_category());
        }
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

void FileLock::release() {
    if (handle_ != invalid) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = invalid;
    }
}

bool locked_elsewhere(const fs::path& path) {
    const HANDLE h = open_unshared(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(h);
    return false;
}

#else

bool FileLock::lock(const fs::path& path, std::error_code* reason) {
    release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (reason != nullptr) {
            *reason = std::error_code(errno, std::generic_category());
        }
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (reason != nullptr) {
            *reason = std::error_code(errno, std::generic_category());
        }
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void FileLock::release() {
    if (handle_ != invalid) {
        ::close(static_cast<int>(handle_)); // closing the descriptor lets go of the lock
        handle_ = invalid;
    }
}

bool locked_elsewhere(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // A shared lock is enough to tell: it fails only while someone holds the exclusive one,
    // and it keeps two editors that look at the same moment from taking each other for gone.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

#endif

#ifdef _WIN32

// The system's own record of the file: its size, its last write time to the 100 ns and its
// index, which a file put in its place by a rename does not share.
FileStamp file_stamp(const fs::path& path) {
    FileStamp stamp;
    const HANDLE h = CreateFileW(windows_path(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return stamp;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info)) {
        stamp.exists = true;
        stamp.size = static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
        stamp.write_time = static_cast<std::int64_t>(
            static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
            info.ftLastWriteTime.dwLowDateTime);
        stamp.identity = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    }
    CloseHandle(h);
    return stamp;
}

#else

FileStamp file_stamp(const fs::path& path) {
    FileStamp stamp;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        return stamp;
    }
    stamp.exists = true;
    stamp.size = fs::is_regular_file(status) ? fs::file_size(path, ec) : 0;
    const fs::file_time_type time = fs::last_write_time(path, ec);
    if (!ec) {
        stamp.write_time = static_cast<std::int64_t>(time.time_since_epoch().count());
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        stamp.identity =
            static_cast<std::uint64_t>(st.st_ino) ^ (static_cast<std::uint64_t>(st.st_dev) << 40);
    }
    return stamp;
}

#endif

} // namespace cs
