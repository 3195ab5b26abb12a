// Reading whole files and replacing them safely: the one layer through which the editor
// touches the file system for tracks, bitmaps and pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace cs {

// No bound on what read_whole_file takes.
inline constexpr std::size_t unbounded_read = static_cast<std::size_t>(-1);

// Reads a whole file into memory; false if it cannot be opened or read (a folder cannot).
// reason, when given, takes the system's reason for a failure. At most limit bytes are
// taken: anything longer is refused with std::errc::file_too_large, a regular file by its
// size before any byte is read, a pipe or a device once limit + 1 bytes have come, so that
// no source can make the reader hold more than that. bytes is only changed on success.
bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason = nullptr, std::size_t limit = unbounded_read);

// Reads the first count bytes of a regular file (all of it when it is shorter), for a
// look at the headers of a file too long to be read whole. False for anything that is not
// a regular file or cannot be read; bytes is only changed on success.
bool read_file_start(const std::filesystem::path& path, std::size_t count,
                     std::vector<std::uint8_t>& bytes);

// Replaces the file at path with bytes, as a careful editor does:
// - a symbolic link is followed (through chains) and the file it points to is replaced;
//   the link stays a link;
// - a regular file is replaced through a temporary file in its folder, flushed to the disk
//   and renamed over it, so a failure leaves it untouched; it keeps its permissions, and a
//   new file gets the usual ones (0666 less the umask);
// - an existing regular file the user may not write is refused and left alone;
// - anything else that exists (a device, a FIFO) and the names of open descriptors
//   (/dev/stdout, /dev/fd/N, /proc/self/fd/N) are written directly, whatever they lead to,
//   so that a pipe or a shell redirect receives the bytes;
// - a folder is refused.
// On Windows the same holds in its terms: the temporary file takes the old file's attributes
// (hidden, system, archive) and replaces it with MoveFileExW; a read-only file is refused;
// NUL, CON and other devices are written directly; names are UTF-8 and may be longer than
// MAX_PATH. The new file's security is the folder's, as for any new file.
// False on any failure, with the system's reason in reason when given.
bool replace_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                  std::error_code* reason = nullptr);

// A name the editor keeps (UTF-8) as a path, and back. std::filesystem would take a narrow
// string in the system's code page on Windows, which need not be UTF-8.
std::filesystem::path path_of_utf8(std::string_view name);
std::string utf8_of(const std::filesystem::path& path);

#ifdef _WIN32
// The name the Windows calls take for path: UTF-16 (path's UTF-8 decoded), made absolute and
// marked \\?\ (\\?\UNC\ on a share) so that it may be longer than MAX_PATH; a device
// (NUL, CON) as \\.\NAME.
std::wstring windows_path(const std::filesystem::path& path);
#endif

// The system calls replace_file goes through, replaceable so that tests can make one step
// fail (set errno and return -1) or write in small pieces. Not for concurrent use; put the
// defaults back with reset_file_calls(). Descriptors are the C runtime's on every system.
struct FileCalls {
    // Creates a new file exclusively with the given mode (less the umask); a descriptor.
    // On Windows mode is the new file's attributes (FILE_ATTRIBUTE_*, 0 for none).
    int (*create)(const std::filesystem::path& path, unsigned mode);
    // Writes up to size bytes; how many were written.
    std::ptrdiff_t (*write)(int fd, const void* data, std::size_t size);
    // Forces what was written to the disk.
    int (*flush)(int fd);
    // Renames from to to, replacing to.
    int (*rename)(const std::filesystem::path& from, const std::filesystem::path& to);
};
extern FileCalls file_calls;
void reset_file_calls();

} // namespace cs
