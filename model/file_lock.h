// What other processes do to files: a lock that a running editor holds for as long as it
// lives (so that another editor tells a live one from one that is gone), and the stamp that
// tells whether a file was changed since the editor last read or wrote it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace cs {

// An exclusive lock on a file, held until the object is destroyed or the process ends in
// any way (the system releases it with the process). An advisory lock (flock) on POSIX
// systems, a handle shared with no one on Windows.
class FileLock {
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock of path, creating the file when it is missing; false (with the reason)
    // when it cannot be created or another process holds it.
    bool lock(const std::filesystem::path& path, std::error_code* reason = nullptr);
    bool held() const { return handle_ != invalid; }
    // Lets go of the lock (the file stays).
    void release();

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;
};

// Whether another process holds the lock of path. A missing file is not locked.
bool locked_elsewhere(const std::filesystem::path& path);

// A file as the editor last saw it: whether it existed, its size and its last write time.
// A file replaced by another one (a rename over it) or written in place has another stamp.
struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t write_time = 0; // in the system's ticks (nanoseconds; 100 ns on Windows)
    std::uint64_t identity = 0;  // the file's inode (its file index on Windows)

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp file_stamp(const std::filesystem::path& path);

} // namespace cs
