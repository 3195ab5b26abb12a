// The system part of the file layer: what model/file_io.cpp asks of the system it runs on.
// model/file_io_posix.cpp and model/file_io_windows.cpp each give all of it (the build takes
// one), together with the system's default FileCalls (file_calls, reset_file_calls) and, on
// Windows, windows_path. Private to the file layer.
//
// Descriptors are the C runtime's. A call that fails sets errno and returns -1 unless said
// otherwise; on Windows errno may then hold a Windows error, which reason_for turns back
// into the system's reason.
#pragma once

#include <cstddef>
#include <filesystem>
#include <system_error>

namespace cs::file_system {

// What a path names itself, without following a final symbolic link.
struct Target {
    enum Kind { missing, link, directory, regular, other } kind = missing;
    // The permission bits (POSIX) or the attributes, FILE_ATTRIBUTE_* (Windows).
    unsigned mode = 0;
    // Owner and group (POSIX; 0 on Windows).
    unsigned owner = 0;
    unsigned group = 0;
};

// The reason an errno value stands for.
std::error_code reason_for(int error);

// Looks at what path names, into target; a missing path is no failure.
std::error_code inspect(const std::filesystem::path& path, Target& target);
// Puts in place of path, a symbolic link, what it leads to: the next name on POSIX, where
// the caller counts the links, the end of the whole chain on Windows.
std::error_code follow_link(std::filesystem::path& path);
// The descriptor a path names when it is one of the process's own open descriptors
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N and the like, also reached through a linked
// folder); -1 for any other path, and always on Windows.
int descriptor_named_by(const std::filesystem::path& path);
// Whether path names a folder, which is never read as a file.
bool is_folder(const std::filesystem::path& path);
// Whether the user may write the existing regular file at path, whose mode inspect gave;
// false with the reason in errno when not.
bool may_write(const std::filesystem::path& path, unsigned mode);

int open_for_reading(const std::filesystem::path& path);
// Opens an existing device or FIFO, which takes the bytes itself.
int open_for_writing(const std::filesystem::path& path);
// Reads up to size bytes; how many were read, 0 at the end.
std::ptrdiff_t read_some(int fd, void* data, std::size_t size);
int close_file(int fd);
// The size of the regular file open at fd; -1 for anything else (a pipe, a device).
long long regular_file_size(int fd);
void remove_file(const std::filesystem::path& path);

// The replacement of a regular file: the temporary file is created (FileCalls::create) with
// temporary_mode(old) and, once written and flushed, given what else it keeps of old
// (keep_owner_and_mode: 0 or an errno value). old is missing for a new file.
unsigned temporary_mode(const Target& old);
int keep_owner_and_mode(int fd, const Target& old);
// How much of name to keep when it is cut at at: at itself, or less so that no character
// is cut in two.
std::size_t whole_characters(const std::filesystem::path::string_type& name, std::size_t at);
int process_id();

} // namespace cs::file_system
