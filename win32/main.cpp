// coursesmith [--autosave SECONDS] [TRACK]: the track editor's desktop program for Windows.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "editor/program_options.h"
#include "editor/recovery.h"
#include "win32/app.h"
#include "win32/text.h"

namespace {

constexpr std::string_view recovery_paragraph =
    "While a track has unsaved changes, a recovery copy of it is kept in\n"
    "%LOCALAPPDATA%\\coursesmith\\recovery; after a crash the next start offers to restore\n"
    "it.\n";

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

    cs::ProgramOptions options = cs::read_program_options(arguments, recovery_paragraph);
    if (options.action != cs::ProgramOptions::Action::start) {
        const bool refused = options.action == cs::ProgramOptions::Action::refuse;
        tell(options.text, refused);
        return refused ? cs::refused_exit_code : 0;
    }
    // The arguments without the options: the program, then the track.
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (std::find(options.option_words.begin(), options.option_words.end(), i) ==
            options.option_words.end()) {
            rest.push_back(arguments[i]);
        }
    }
    cs::WorkOptions& work = options.work;
    work.recovery_folder = cs::default_recovery_folder();

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    if (auto app = cs::EditorApp::start(rest, executable_path(), work)) {
        code = app->run();
    }
    CoUninitialize();
    return code;
}
