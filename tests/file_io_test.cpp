// Where written bytes go: links, devices, FIFOs, the process's own descriptors, modes, and
// what a failure at each step of a replacement leaves behind.
#include <gtest/gtest.h>

#include "tests/temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "model/file_io.h"

namespace cs {
namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> as_bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

using test_support::contents;
using test_support::names;
using test_support::write_file;

// Makes a read-only file in folder and tries to replace it: 0 when it is refused with the
// system's reason and left as the only file, as it was; otherwise which check failed.
enum ReadOnlyCheck { refused = 0, written = 1, other_reason = 2, changed = 3, left_behind = 4 };
int replace_read_only(const fs::path& folder) {
#ifdef _WIN32
    const char* const denied = "Access denied";
#else
    const char* const denied = "Permission denied";
#endif
    const fs::path path = folder / "locked.trk";
    write_file(path, "locked");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::error_code reason;
    const bool accepted = replace_file(path, as_bytes("new"), &reason);
    const std::string now = contents(path);
    const std::set<std::string> all = names(folder);
    // Windows deletes no read-only file.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    return accepted                                                               ? written
           : reason != std::errc::permission_denied || reason.message() != denied ? other_reason
           : now != "locked"                                                      ? changed
           : all != std::set<std::string>{"locked.trk"}                           ? left_behind
                                                                                  : refused;
}

class FileIo : public ::testing::Test {
  protected:
    void TearDown() override { reset_file_calls(); }
    std::set<std::string> names(const fs::path& folder = {}) {
        return cs::names(folder.empty() ? dir.path() : folder);
    }
#ifndef _WIN32
    static unsigned mode_of(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    }
#endif

    test_support::TempDir dir{"cs-fileio"};
    std::error_code reason;
};

// A new file gets 0666 less the umask; a replaced one keeps its own mode whatever the umask.
TEST_F(FileIo, RegularFilesKeepTheirModeAndNewOnesFollowTheUmask) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no POSIX mode (FileIoWindows: attributes are kept)";
#else
    const struct {
        mode_t umask;
        unsigned created;
    } rows[] = {{0022, 0644}, {0077, 0600}, {0002, 0664}, {0027, 0640}};
    const fs::path old = dir / "old.trk";
    write_file(old, "old");
    ::chmod(old.c_str(), 0604);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.umask);
        const fs::path made = dir / ("new" + std::to_string(row.umask) + ".trk");
        const mode_t saved = ::umask(row.umask);
        const bool created = replace_file(made, as_bytes("x"), &reason);
        const bool replaced = replace_file(old, as_bytes("new"), &reason);
        ::umask(saved);
        ASSERT_TRUE(created && replaced) << reason.message();
        EXPECT_EQ(mode_of(made), row.created);
        EXPECT_EQ(mode_of(old), 0604u);
        EXPECT_EQ(contents(old), "new");
    }
    EXPECT_EQ(names().size(), 5u);
#endif
}

// A name of 255 bytes, the longest a folder entry may have, is written and replaced through a
// temporary whose name is cut to fit; one byte more is refused and leaves nothing behind.
TEST_F(FileIo, NamesUpToTheSystemsLimit) {
    const fs::path longest = dir / (std::string(251, 'n') + ".trk");
    ASSERT_TRUE(replace_file(longest, as_bytes("first"), &reason)) << reason.message();
    ASSERT_TRUE(replace_file(longest, as_bytes("second"), &reason)) << reason.message();
    EXPECT_EQ(contents(longest), "second");
    EXPECT_FALSE(replace_file(dir / (std::string(252, 'n') + ".trk"), as_bytes("x"), &reason));
#ifndef _WIN32
    EXPECT_EQ(reason, std::errc::filename_too_long);
#endif
    EXPECT_EQ(names(), std::set<std::string>{longest.filename().string()});
}

// The temporary's name is cut where byte 128 continues a character, in a folder whose name
// is no ASCII either: on Windows a character cut in two would make the whole path undecodable
// and name another folder.
TEST_F(FileIo, TemporaryNamesAreCutBetweenCharacters) {
    const std::string folder = "Pist\xc3\xa9s";
    const std::string name = std::string(127, 'n') + "\xc3\xb4.trk";
    const fs::path made = path_of_utf8(dir.string() + "/" + folder);
    fs::create_directory(made);
    // As the program makes its paths: from a string of UTF-8.
    const fs::path path = dir.string() + "/" + folder + "/" + name;
    ASSERT_TRUE(replace_file(path, as_bytes("first"), &reason)) << reason.message();
    ASSERT_TRUE(replace_file(path, as_bytes("second"), &reason)) << reason.message();
    EXPECT_EQ(contents(path), "second");
    EXPECT_EQ(names(), std::set<std::string>{folder});
    EXPECT_EQ(names(made), std::set<std::string>{name});
}

TEST_F(FileIo, SymbolicLinksAreFollowedAndStayLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows, and Wine makes none";
#else
    write_file(dir / "real.trk", "old");
    fs::create_symlink("real.trk", dir / "relative");
    fs::create_symlink(dir / "relative", dir / "chain");
    ASSERT_TRUE(replace_file(dir / "chain", as_bytes("new"), &reason)) << reason.message();
    EXPECT_EQ(contents(dir / "real.trk"), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "chain"));
    EXPECT_TRUE(fs::is_symlink(dir / "relative"));

    // A dangling link creates the file it names.
    fs::create_symlink("made.trk", dir / "dangling");
    ASSERT_TRUE(replace_file(dir / "dangling", as_bytes("made")));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(contents(dir / "made.trk"), "made");

    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    EXPECT_FALSE(replace_file(dir / "loop1", as_bytes("x"), &reason));
    EXPECT_EQ(reason, std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(names(), (std::set<std::string>{"real.trk", "relative", "chain", "dangling",
                                              "made.trk", "loop1", "loop2"}));
#endif
}

TEST_F(FileIo, DevicesAndFifosAreWrittenInPlace) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /dev and no FIFOs (FileIoWindows: NUL)";
#else
    // As the superuser a rename would replace the device itself.
    ASSERT_TRUE(replace_file("/dev/null", as_bytes("gone"), &reason)) << reason.message();
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A reader that does not block, so the writer's open succeeds at once.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(replace_file(fifo, as_bytes("through the pipe"), &reason)) << reason.message();
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 16);
    ::close(reader);
    EXPECT_STREQ(got, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(names(), std::set<std::string>{"pipe"});
#endif
}

TEST_F(FileIo, OwnDescriptorsAreWrittenWhereTheyStand) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no names for open descriptors (/dev/fd, /proc/self/fd)";
#else
    // A regular file behind a descriptor (as behind a shell's >>) is appended to, not
    // replaced: the descriptor keeps the same file. The standard streams are redirected to
    // it for their rows.
    const fs::path out = dir / "out.txt";
    write_file(out, "head:");
    const int fd = ::open(out.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    struct stat before {};
    ::fstat(fd, &before);
    const std::string n = std::to_string(fd);
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
    fs::create_symlink("/dev/fd/" + n, dir / "link");
    // A folder linked to the descriptors' own: the name is found through the folder's target.
    fs::create_directory_symlink("/proc/self/fd", dir / "fds");
    const struct {
        std::string name;
        int stream; // redirected to the file for the row; -1: none
    } rows[] = {
        {"/dev/fd/" + n, -1},
        {"/proc/self/fd/" + n, -1},
        {(dir / "link").string(), -1},
        {(dir / "fds" / n).string(), -1},
        {"/dev/stdout", 1},
        {"/dev/stderr", 2},
        {"/dev/fd/1", 1},
        {"/dev/fd/2", 2},
        {"/proc/self/fd/1", 1},
        {"/proc/self/fd/2", 2},
        {own + "1", 1},
        {"/proc/thread-self/fd/2", 2},
        {"/dev/../dev/stdout", 1},
    };
    std::string expected = "head:";
    for (const auto& row : rows) {
        std::fflush(nullptr);
        const int saved = row.stream < 0 ? -1 : ::dup(row.stream);
        if (row.stream >= 0) {
            ::dup2(fd, row.stream);
        }
        const bool written = replace_file(row.name, as_bytes("<" + row.name + ">"), &reason);
        if (row.stream >= 0) {
            ::dup2(saved, row.stream);
            ::close(saved);
        }
        EXPECT_TRUE(written) << row.name << ": " << reason.message();
        expected += "<" + row.name + ">";
    }

    struct stat after {};
    ::stat(out.c_str(), &after);
    ::close(fd);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(contents(out), expected);
    EXPECT_TRUE(fs::is_symlink(dir / "link"));

    EXPECT_FALSE(replace_file("/proc/self/fd/987654", as_bytes("x"), &reason));
    EXPECT_EQ(reason, std::errc::bad_file_descriptor);
#endif
}

// Windows refuses a read-only file whoever asks (the attribute is no permission). The
// superuser may write any file, so as the superuser the check runs in a child process as
// the unprivileged user nobody, in a folder of its own that it may write in.
TEST_F(FileIo, ReadOnlyFileIsRefusedUnchanged) {
#ifndef _WIN32
    if (::geteuid() == 0) {
        constexpr uid_t nobody = 65534;
        ASSERT_EQ(::chown(dir.path().c_str(), nobody, nobody), 0);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The folder is entered first: its parents need not be open to nobody.
            if (::chdir(dir.path().c_str()) != 0 || ::setgroups(0, nullptr) != 0 ||
                ::setgid(nobody) != 0 || ::setuid(nobody) != 0 || ::geteuid() == 0) {
                ::_exit(77);
            }
            ::_exit(replace_read_only("."));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the child ended with status " << status;
        if (WEXITSTATUS(status) == 77) {
            GTEST_SKIP() << "the superuser's child could not become the user nobody";
        }
        EXPECT_EQ(WEXITSTATUS(status), refused);
        return;
    }
#endif
    EXPECT_EQ(replace_read_only(dir), refused);
}

TEST_F(FileIo, FoldersAndMissingPathsGiveTheSystemsReason) {
#ifdef _WIN32
    const char* const no_folder = "Path not found";
#else
    const char* const no_folder = "No such file or directory";
#endif
    EXPECT_FALSE(replace_file(dir, as_bytes("x"), &reason));
    EXPECT_EQ(reason.message(), "Is a directory");
    EXPECT_FALSE(replace_file(dir / "no" / "such.trk", as_bytes("x"), &reason));
    EXPECT_EQ(reason, std::errc::no_such_file_or_directory);
    EXPECT_EQ(reason.message(), no_folder);
    EXPECT_FALSE(replace_file("", as_bytes("x"), &reason));

    std::vector<std::uint8_t> bytes{1, 2};
    EXPECT_FALSE(read_whole_file(dir / "missing", bytes, &reason));
    EXPECT_EQ(reason, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(read_whole_file(dir, bytes, &reason));
    EXPECT_EQ(reason, std::errc::is_a_directory);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(names().empty());
}

// Paths are UTF-8 (on Windows too, where the system takes UTF-16) and may be longer than
// Windows' MAX_PATH of 260; a failed replacement of such a file leaves nothing beside it.
TEST_F(FileIo, NonAsciiAndLongPathsAreWrittenAndReadBack) {
    fs::create_directory(dir / "Pistes");
    const std::string cote = "C\xc3\xb4te d'Azur.trk";
    const fs::path lengthy_folder = dir / std::string(100, 'f');
    fs::create_directory(lengthy_folder);
    const std::string lengthy =
        std::string(300 - lengthy_folder.string().size() - 1 - 4, 'n') + ".trk";
    // The program's paths are strings of UTF-8.
    const fs::path paths[] = {dir.string() + "/Pistes/" + cote,
                              lengthy_folder.string() + "/" + lengthy};
    ASSERT_GE(paths[1].string().size(), 300u);
    for (const fs::path& path : paths) {
        SCOPED_TRACE(path.string().substr(0, 80));
        ASSERT_TRUE(replace_file(path, as_bytes("first"), &reason)) << reason.message();
        ASSERT_TRUE(replace_file(path, as_bytes("second"), &reason)) << reason.message();
        EXPECT_EQ(contents(path), "second");
        file_calls.rename = [](const fs::path&, const fs::path&) {
            errno = EXDEV;
            return -1;
        };
        EXPECT_FALSE(replace_file(path, as_bytes("third"), &reason));
        reset_file_calls();
        EXPECT_EQ(contents(path), "second");
    }
    // The system shows the names as they were meant, and a path made from UTF-16 reaches
    // the same file.
    EXPECT_EQ(names(dir / "Pistes"), std::set<std::string>{cote});
    EXPECT_EQ(names(lengthy_folder), std::set<std::string>{lengthy});
    EXPECT_EQ(contents(dir / "Pistes" / fs::path(u8"C\u00f4te d'Azur.trk")), "second");
}

const std::string payload(1000, 'n');

TEST_F(FileIo, FailureAtEachStepLeavesTheOldFileAndNoTemporary) {
    struct Step {
        const char* name;
        void (*arm)();
        std::errc expected;
    };
    const Step steps[] = {
        {"create",
         [] {
             file_calls.create = [](const fs::path&, unsigned) {
                 errno = EROFS;
                 return -1;
             };
         },
         std::errc::read_only_file_system},
        {"write after one byte",
         [] {
             file_calls.write = [](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
                 if (size == payload.size()) {
                     return ::write(fd, data, 1);
                 }
                 errno = ENOSPC;
                 return -1;
             };
         },
         std::errc::no_space_on_device},
        {"flush",
         [] {
             file_calls.flush = [](int) {
                 errno = EIO;
                 return -1;
             };
         },
         std::errc::io_error},
        {"rename",
         [] {
             file_calls.rename = [](const fs::path&, const fs::path&) {
                 errno = EXDEV;
                 return -1;
             };
         },
         std::errc::cross_device_link},
    };
    const fs::path old = dir / "keep.trk";
    write_file(old, std::string("pre\0cious\n", 10));
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        reset_file_calls();
        step.arm();
        reason.clear();
        EXPECT_FALSE(replace_file(old, as_bytes(payload), &reason));
        EXPECT_EQ(reason, step.expected);
        EXPECT_FALSE(replace_file(dir / "fresh.trk", as_bytes(payload)));
        EXPECT_EQ(contents(old), std::string("pre\0cious\n", 10));
        EXPECT_EQ(names(), std::set<std::string>{"keep.trk"});
    }
}

TEST_F(FileIo, InterruptedAndShortWritesAreCompleted) {
    file_calls.write = [](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
        static bool interrupt = false;
        interrupt = !interrupt;
        if (interrupt) {
            errno = EINTR;
            return -1;
        }
        return ::write(fd, data, std::min<std::size_t>(size, 7));
    };
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += std::to_string(i) + ",";
    }
    ASSERT_TRUE(replace_file(dir / "pieces.trk", as_bytes(text), &reason)) << reason.message();
    EXPECT_EQ(contents(dir / "pieces.trk"), text);
}

} // namespace
} // namespace cs
