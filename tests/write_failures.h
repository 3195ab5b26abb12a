// Making one step of a file replacement fail, for the writers' tests: the creation of the
// temporary file, any one of its writes, the flush or the rename. Writes go in small pieces so
// that every writer makes several, and each of them can be the one that fails.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "model/file_io.h"

namespace cs::test_support {

// A write puts down at most this many bytes.
inline constexpr std::size_t write_piece = 4096;

struct WriteFailure {
    enum Step { none, create, write, flush, rename };
    Step step = none;
    int write_number = 0; // write: which one fails, 1 for the first
    int error = 0;        // the errno the failing call sets

    std::error_code reason() const { return {error, std::generic_category()}; }
    std::string name() const {
        static const char* const names[] = {"none", "create", "write", "flush", "rename"};
        return names[step] + (step == write ? " " + std::to_string(write_number) : "");
    }
};

namespace detail {
inline int writes_made = 0;
inline int failing_write = 0;
} // namespace detail

// Installs the failure (none: writes in pieces only) in file_calls; resets the write count.
inline void arm(const WriteFailure& failure) {
    reset_file_calls();
    detail::writes_made = 0;
    detail::failing_write = failure.step == WriteFailure::write ? failure.write_number : 0;
    file_calls.write = [](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
        if (++detail::writes_made == detail::failing_write) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, std::min(size, write_piece));
    };
    switch (failure.step) {
    case WriteFailure::create:
        file_calls.create = [](const std::filesystem::path&, unsigned) {
            errno = EROFS;
            return -1;
        };
        break;
    case WriteFailure::flush:
        file_calls.flush = [](int) {
            errno = EIO;
            return -1;
        };
        break;
    case WriteFailure::rename:
        file_calls.rename = [](const std::filesystem::path&, const std::filesystem::path&) {
            errno = EXDEV;
            return -1;
        };
        break;
    default:
        break;
    }
}

// How many writes the armed calls have made since arm().
inline int writes_made() {
    return detail::writes_made;
}

// Every point at which a replacement that makes `writes` writes can fail.
inline std::vector<WriteFailure> every_failure(int writes) {
    std::vector<WriteFailure> all{{WriteFailure::create, 0, EROFS}};
    for (int n = 1; n <= writes; ++n) {
        all.push_back({WriteFailure::write, n, ENOSPC});
    }
    all.push_back({WriteFailure::flush, 0, EIO});
    all.push_back({WriteFailure::rename, 0, EXDEV});
    return all;
}

inline std::vector<std::uint8_t> bytes_in(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::set<std::string> names_in(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Puts an old file at dir/name, counts the writes `write_to` makes for a successful
// replacement (it must make at least two, so that a write in the middle can fail), then
// walks every failure point: `write_to` must report each one (check_failure), and the old
// file must be left byte for byte as it was with nothing beside it. file_calls is put back.
template <typename WriteTo, typename CheckFailure>
void walk_every_failure(const std::filesystem::path& dir, const std::string& name, WriteTo write_to,
                        CheckFailure check_failure) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd', 0, 0xFF, '\n', 'f', 'i', 'l', 'e'};
    const std::filesystem::path target = dir / name;
    {
        arm({});
        const std::filesystem::path scratch = dir / ("scratch-" + name);
        write_to(scratch);
        const int writes = writes_made();
        reset_file_calls();
        ASSERT_GE(writes, 2) << "the writer makes too few writes to fail in the middle";
        ASSERT_TRUE(std::filesystem::remove(scratch)) << "the writer did not write";
        std::ofstream(target, std::ios::binary)
            .write(reinterpret_cast<const char*>(old.data()), static_cast<long>(old.size()));
        for (const WriteFailure& failure : every_failure(writes)) {
            SCOPED_TRACE(failure.name());
            arm(failure);
            write_to(target);
            reset_file_calls();
            check_failure(failure);
            EXPECT_EQ(bytes_in(target), old);
            EXPECT_EQ(names_in(dir), std::set<std::string>{name});
        }
    }
    reset_file_calls();
}

} // namespace cs::test_support
