// The text of replay scripts: lines split into words, numbers, the quoting of a line in an
// error message, and the escapes of author and comments in "print properties" and
// "answer properties".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cs::script {

using Words = std::vector<std::string_view>;

// The words of a line, separated by blanks (spaces and tabs).
Words words_of(std::string_view line);

// The text without the blanks at either end.
std::string_view trimmed(std::string_view text);

// A decimal integer, the whole text and nothing else.
bool number(std::string_view text, int& value);

// A message box text on one output line: a line feed as \n, a tab as \t.
std::string one_line(std::string_view text);

// A line quoted in an error message: at most 80 bytes of it, with the bytes outside
// printable ASCII written as \xNN and the quote and backslash escaped.
std::string quoted(std::string_view line);

// "expected "FORM"".
std::string expected(std::string_view form);

// Author and comments in a KEY=VALUE pair: blanks separate the pairs, so a blank is \s,
// a tab \t, a line feed \n, a carriage return \r and a backslash \\.
std::string escape_text(std::string_view text);
// The text back, or nothing for a lone backslash or another escape.
std::optional<std::string> unescape_text(std::string_view text);

} // namespace cs::script
