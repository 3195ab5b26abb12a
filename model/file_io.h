// Reading whole files and replacing them safely: the one layer through which the editor
// touches the file system for tracks, bitmaps and pictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

namespace cs {

// Reads a whole file into memory; false if it cannot be opened or read. reason, when
// given, takes the system's reason for a failure.
bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason = nullptr);

// Replaces the file at path with bytes. A regular file (or the file a symbolic link points
// to) is replaced through a temporary file in the same folder, flushed, then renamed over
// it, so a failure leaves it untouched. False on any failure, with the system's reason in
// reason when given.
bool replace_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                  std::error_code* reason = nullptr);

} // namespace cs
