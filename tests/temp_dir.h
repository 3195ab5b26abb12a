// A fresh folder per test and process, so that test runs side by side never meet.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

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

} // namespace cs::test_support
