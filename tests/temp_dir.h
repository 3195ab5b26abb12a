// A fresh folder per test and process, so that test runs side by side never meet, removed
// with everything in it when the test ends, also when it fails.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

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
