// Text at the system's door: the Windows calls take UTF-16, the editor keeps UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cs {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);

// Line ends of an edit control (CR LF) and of the editor (LF).
std::wstring with_crlf(std::wstring_view text);
std::wstring without_cr(std::wstring_view text);

} // namespace cs
