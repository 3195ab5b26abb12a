// coursesmith [--autosave SECONDS] [TRACK]: the track editor's desktop program for Windows.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <charconv>
#include <string>
#include <vector>

#include "coursesmith_version.h"
#include "editor/recovery.h"
#include "win32/app.h"
#include "win32/text.h"

namespace {

constexpr char usage_text[] =
    "Usage: coursesmith [--autosave SECONDS] [TRACK]\n"
    "The track editor of the racing game Tyrestorm: paint the land map, shape the height\n"
    "grid, place start positions, scenery, pits and checkpoints, lay the AI driving lines\n"
    "and save .trk files that the game reads. Opens TRACK (a .trk file) when given.\n"
    "\n"
    "While a track has unsaved changes, a recovery copy of it is kept in\n"
    "%LOCALAPPDATA%\\coursesmith\\recovery; after a crash the next start offers to restore\n"
    "it.\n"
    "\n"
    "Options:\n"
    "  --autosave SECONDS  write the recovery copy at most every SECONDS seconds\n"
    "                      (default 60; 0 turns recovery copies off)\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "The command-line tool coursesmith-cli checks, converts and renders tracks.\n";

// Text for the user of a program without a console: to the standard output or error it was
// given (a console or a redirect), else in a message box.
void tell(const std::string& text, bool error) {
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE &&
        WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr)) {
        return;
    }
    MessageBoxW(nullptr, cs::wide(text).c_str(), L"CourseSmith",
                MB_OK | (error ? MB_ICONERROR : 0));
}

// SECONDS of --autosave: a whole number from 0 to a day.
bool autosave_seconds(const std::string& text, int& seconds) {
    constexpr int day = 24 * 60 * 60;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, seconds);
    return !text.empty() && ec == std::errc() && ptr == end && seconds >= 0 && seconds <= day;
}

// The running program's path, however long.
std::string executable_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return cs::utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(cs::utf8(words[i]));
    }
    LocalFree(words);

    // The arguments without the options: the program, then the track.
    cs::WorkOptions work;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (i > 0 && (a == "--help" || a == "-h")) {
            tell(usage_text, false);
            return 0;
        }
        if (i > 0 && a == "--version") {
            tell("coursesmith " COURSESMITH_VERSION "\n", false);
            return 0;
        }
        if (i > 0 && a == "--autosave") {
            if (i + 1 == arguments.size() ||
                !autosave_seconds(arguments[i + 1], work.autosave_seconds)) {
                tell("coursesmith: --autosave takes a number of seconds from 0 to 86400\n", true);
                return 2;
            }
            ++i;
            continue;
        }
        rest.push_back(a);
    }
    work.recovery_folder = cs::default_recovery_folder();

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    if (auto app = cs::EditorApp::start(rest, executable_path(), work)) {
        code = app->run();
    }
    CoUninitialize();
    return code;
}
