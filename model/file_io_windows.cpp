// The file layer on Windows: the system part of model/file_io_system.h in Win32 terms, the
// default FileCalls and windows_path.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "model/file_io.h"
#include "model/file_io_system.h"

namespace cs {

namespace fs = std::filesystem;
using file_system::Target;

namespace {

// errno cannot hold a Windows error, so the system's steps give theirs as an errno value
// above every C library one, which reason_for turns back into the Windows error.
constexpr int windows_error_base = 1 << 20;

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

constexpr FileCalls system_calls{&system_create, &system_write, &system_flush, &system_rename};

// The attributes a replacement keeps: the ones a file can be created with.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

} // namespace

FileCalls file_calls = system_calls;

void reset_file_calls() {
    file_calls = system_calls;
}

std::wstring windows_path(const fs::path& path) {
    return system_path(path);
}

namespace file_system {

std::error_code reason_for(int error) {
    if (error >= windows_error_base) {
        return {error - windows_error_base, std::system_category()};
    }
    return {error, std::generic_category()};
}

// mode holds the file's attributes (FILE_ATTRIBUTE_*).
std::error_code inspect(const fs::path& path, Target& target) {
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
}

// The system resolves the whole chain: the file it ends at is replaced.
std::error_code follow_link(fs::path& path) {
    const HANDLE handle = CreateFileW(system_path(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return last_windows_error();
    }
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD size =
        GetFinalPathNameByHandleW(handle, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (size >= resolved.size()) {
        resolved.resize(size);
        size = GetFinalPathNameByHandleW(handle, resolved.data(),
                                         static_cast<DWORD>(resolved.size()), 0);
    }
    const std::error_code ec = size == 0 ? last_windows_error() : std::error_code();
    CloseHandle(handle);
    if (ec) {
        return ec;
    }
    resolved.resize(size);
    path = from_utf16(resolved);
    return {};
}

int descriptor_named_by(const fs::path&) {
    return -1;
}

bool is_folder(const fs::path& path) {
    // A device is never a folder, and asking a named pipe for its attributes would use up
    // the pipe's waiting instance.
    const std::wstring name = system_path(path);
    if (is_device_name(name)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    return false;
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
long long regular_file_size(int fd) {
    const HANDLE handle = handle_of(fd);
    LARGE_INTEGER size{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size)
               ? static_cast<long long>(size.QuadPart)
               : -1;
}
void remove_file(const fs::path& path) {
    DeleteFileW(system_path(path).c_str());
}

// The temporary file is created with the attributes it keeps; a new file has none.
unsigned temporary_mode(const Target& old) {
    const bool exists = old.kind == Target::regular;
    return exists ? old.mode & kept_attributes : 0u;
}
// The folder's security is the new file's, as for any new file; nothing more is kept.
int keep_owner_and_mode(int, const Target&) {
    return 0;
}
// Never inside a character: a cut UTF-8 sequence (or surrogate pair) would make the
// whole path undecodable (utf16_of) and name another folder.
std::size_t whole_characters(const fs::path::string_type& name, std::size_t at) {
    while (at > 0 && at < name.size() &&
           ((name[at] >= 0x80 && name[at] <= 0xBF) || (name[at] >= 0xDC00 && name[at] <= 0xDFFF))) {
        --at;
    }
    return at;
}
int process_id() {
    return ::_getpid();
}

} // namespace file_system

} // namespace cs
