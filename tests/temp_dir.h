// A fresh folder per test and process, so that test runs side by side never meet, removed
// with everything in it when the test ends, also when it fails.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/file_io.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace cs::test_support {

inline std::filesystem::path fresh_temp_dir(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = prefix + "-" + info->name() + "-" + std::to_string(::getpid());
#ifdef _WIN32
    // Wine gives every run the same process ids: the time tells runs apart.
    name += '-';
    name += std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// A file made with exactly these bytes (a text or a byte vector).
inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}
inline void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    write_file(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}
// The bytes of a file, none when it cannot be read.
inline std::vector<std::uint8_t> file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bytes of a file as text, read by the editor's own reader (which takes the UTF-8 and
// long names of every system); "(unreadable)" when it cannot be read.
inline std::string contents(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes;
    return cs::read_whole_file(path, bytes) ? std::string(bytes.begin(), bytes.end())
                                            : "(unreadable)";
}
// The names in a folder, as UTF-8.
inline std::set<std::string> names(const std::filesystem::path& folder) {
    std::set<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        all.insert(entry.path().filename().string());
    }
    return all;
}

// Owns a fresh folder for the life of a test (a fixture member or a local): removed on
// destruction, so an assertion that ends the test early leaves nothing behind. The suite
// runs with a temporary directory of its own and fails when anything is left in it.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix) : path_(fresh_temp_dir(prefix)) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    operator const std::filesystem::path&() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    std::string string() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

} // namespace cs::test_support
