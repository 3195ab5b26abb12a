// Author and comments are stored as Windows-1252 bytes, the game's code page; the
// user interface works in UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cs {

// Windows-1252 bytes to UTF-8. Every byte maps to a character, so nothing is lost.
std::string cp1252_to_utf8(std::string_view bytes);
// UTF-8 to Windows-1252; characters the code page lacks (and invalid UTF-8) become "?".
// The result holds at most max_bytes bytes and is never cut inside a CR LF pair.
std::string utf8_to_cp1252(std::string_view utf8, std::size_t max_bytes);

// UTF-8 to Windows-1252 for text that must come back exactly: every character becomes its
// byte, without a length limit. False when a character has none (invalid UTF-8 counts as
// U+FFFD, which has none), with the first such character in refused.
bool utf8_to_cp1252_exact(std::string_view utf8, std::string& bytes, char32_t& refused);

// Comments typed with line feeds are stored with CR LF; stored CR LF reads back as LF.
std::string comments_to_stored(std::string_view utf8_text, std::size_t max_bytes);
std::string comments_from_stored(std::string_view bytes);

} // namespace cs
