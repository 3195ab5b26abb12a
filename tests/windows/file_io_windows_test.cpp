// Replacing files on Windows, where it differs from the other systems (file_io_test.cpp
// holds what they share): attributes, devices, and a replacement the system itself refuses.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "model/file_io.h"
#include "tests/temp_dir.h"

namespace cs {
namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> as_bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class FileIoWindows : public ::testing::Test {
  protected:
    // Read-only files are made writable again, so that the folder can be removed.
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }

    std::set<std::string> names() { return test_support::names(dir); }
    static DWORD attributes_of(const fs::path& path) {
        return GetFileAttributesW(path.c_str()) &
               (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    }

    test_support::TempDir dir{"cs-fileio-windows"};
    std::error_code reason;
};

// Wine takes names of any length, Windows only those marked \\?\; the mark turns off
// Windows' own clean-up of names, so they are made absolute and clean first.
TEST(WindowsPath, NamesAreAbsoluteAndMarkedAndDevicesKeepTheirs) {
    EXPECT_EQ(windows_path("C:/Pistes/../Pistes/./C\xc3\xb4te d'Azur.trk"),
              L"\\\\?\\C:\\Pistes\\C\u00f4te d'Azur.trk");
    EXPECT_EQ(windows_path("//server/share/t.trk"), L"\\\\?\\UNC\\server\\share\\t.trk");
    EXPECT_EQ(windows_path(L"\\\\?\\C:\\as\\is"), L"\\\\?\\C:\\as\\is");
    EXPECT_EQ(windows_path("t.trk"), L"\\\\?\\" + fs::current_path().native() + L"\\t.trk");
    EXPECT_EQ(windows_path("nul"), L"\\\\.\\nul");
    EXPECT_EQ(windows_path("C:/Pistes/CON"), L"\\\\.\\CON");
}

TEST_F(FileIoWindows, AReplacedFileKeepsItsAttributesAndANewOneHasNone) {
    const fs::path hidden = dir / "hidden.trk";
    test_support::write_file(hidden, "old");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(replace_file(hidden, as_bytes("new"), &reason)) << reason.message();
    EXPECT_EQ(test_support::contents(hidden), "new");
    EXPECT_EQ(attributes_of(hidden), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});

    ASSERT_TRUE(replace_file(dir / "plain.trk", as_bytes("x"), &reason)) << reason.message();
    EXPECT_EQ(attributes_of(dir / "plain.trk"), DWORD{0});
    EXPECT_EQ(names(), (std::set<std::string>{"hidden.trk", "plain.trk"}));
}

// NUL, under any spelling and in any folder, is the device: it takes the bytes, reads as
// empty, and no file of that name appears.
TEST_F(FileIoWindows, NulIsTheDevice) {
    for (const fs::path& nul : {fs::path("NUL"), fs::path("nul"), dir / "NUL"}) {
        SCOPED_TRACE(nul.string());
        EXPECT_TRUE(replace_file(nul, as_bytes("gone"), &reason)) << reason.message();
        std::vector<std::uint8_t> bytes{1};
        EXPECT_TRUE(read_whole_file(nul, bytes, &reason)) << reason.message();
        EXPECT_TRUE(bytes.empty());
    }
    EXPECT_TRUE(names().empty());
}

// A replacement the system refuses at its last step (another program holds the file and
// does not let it be deleted) reports the system's reason and leaves the old file whole
// with nothing beside it.
TEST_F(FileIoWindows, AReplacementTheSystemRefusesLeavesTheOldFile) {
    const fs::path held = dir / "held.trk";
    test_support::write_file(held, "old");
    const HANDLE holder =
        CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replace_file(held, as_bytes("new"), &reason));
    CloseHandle(holder);
    EXPECT_EQ(reason.category(), std::system_category());
    EXPECT_TRUE(reason == std::errc::permission_denied ||
                reason == std::errc::device_or_resource_busy)
        << reason.value() << " " << reason.message();
    EXPECT_EQ(test_support::contents(held), "old");
    EXPECT_EQ(names(), std::set<std::string>{"held.trk"});

    ASSERT_TRUE(replace_file(held, as_bytes("new"), &reason)) << reason.message();
    EXPECT_EQ(test_support::contents(held), "new");
}

} // namespace
} // namespace cs
