#include "editor/launch.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "model/file_io.h"

namespace cs {

namespace fs = std::filesystem;

namespace {

// path made absolute against the editor's working folder; as it is when that fails.
fs::path absolute_or_same(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path_of_utf8(path), ec);
    return ec ? path_of_utf8(path) : absolute;
}

constexpr char game_file[] = "Tyrestorm.exe";

} // namespace

std::string game_path_for(const std::string& program_folder,
                          const std::string& command_line_program) {
    const fs::path beside_program = path_of_utf8(program_folder) / game_file;
    std::error_code ec;
    if (fs::exists(beside_program, ec)) {
        return utf8_of(beside_program);
    }
#ifdef _WIN32
    const bool has_folder = command_line_program.find_first_of("/\\") != std::string::npos;
#else
    const bool has_folder = command_line_program.find('/') != std::string::npos;
#endif
    if (!has_folder) {
        return utf8_of(beside_program);
    }
    return utf8_of(absolute_or_same(command_line_program).parent_path() / game_file);
}

bool is_windows_executable(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path_of_utf8(path), ec)) {
        return false;
    }
    std::ifstream file(path_of_utf8(path), std::ios::binary);
    char mark[2] = {};
    return file.read(mark, 2) && mark[0] == 'M' && mark[1] == 'Z';
}

std::string find_on_search_path(std::string_view name, std::string_view search_path) {
    constexpr auto executable =
        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    while (true) {
        const std::size_t colon = search_path.find(':');
        const fs::path folder(search_path.substr(0, colon));
        if (folder.is_absolute()) {
            const fs::path candidate = folder / name;
            std::error_code ec;
            const fs::file_status status = fs::status(candidate, ec);
            if (fs::is_regular_file(status) &&
                (status.permissions() & executable) != fs::perms::none) {
                return candidate.string();
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        search_path.remove_prefix(colon + 1);
    }
}

LaunchPlan plan_launch(const std::string& path, std::string_view search_path) {
#ifdef _WIN32
    (void)search_path;
    const fs::path game = absolute_or_same(path);
    return {utf8_of(game), {}, utf8_of(game.parent_path())};
#else
    if (is_windows_executable(path)) {
        std::string wine = find_on_search_path("wine", search_path);
        if (!wine.empty()) {
            const fs::path game = absolute_or_same(path);
            return {std::move(wine), {utf8_of(game)}, utf8_of(game.parent_path())};
        }
    }
    return {path, {}, {}};
#endif
}

} // namespace cs
