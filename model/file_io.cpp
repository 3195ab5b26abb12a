#include "model/file_io.h"

#include <cstdio>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace cs {

namespace {

#ifdef _WIN32
int flush_to_disk(std::FILE* file) {
    return _commit(_fileno(file));
}
int process_id() {
    return _getpid();
}
#else
int flush_to_disk(std::FILE* file) {
    return ::fsync(::fileno(file));
}
int process_id() {
    return static_cast<int>(::getpid());
}
#endif

} // namespace

bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                     std::error_code* reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool replace_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                  std::error_code* reason) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty() || fs::is_directory(path, ec)) {
        return false;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string name = ".";
    name += path.filename().string();
    name += '.';
    name += std::to_string(process_id());
    name += ".tmp";
    const fs::path temporary = folder / name;

    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fflush(file) == 0 && written;
    written = flush_to_disk(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written) {
        // Keep the permissions of the file being replaced.
        const fs::file_status old = fs::status(path, ec);
        if (!ec && fs::exists(old)) {
            fs::permissions(temporary, old.permissions(), ec);
        }
        fs::rename(temporary, path, ec);
        written = !ec;
    }
    if (!written) {
        fs::remove(temporary, ec);
    }
    return written;
}

} // namespace cs
