// Track arguments given as file:// URIs, as file managers hand them to thumbnailers.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/commands.h"

namespace cs {
namespace {

int hex_digit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

} // namespace

// "file:///a%20b.trk", "file://localhost/a%20b.trk" and "file:/a%20b.trk" name "/a b.trk";
// anything else without a scheme is a path as it stands.
bool local_track_path(std::string_view argument, std::string& path) {
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":".
    std::size_t colon = 0;
    while (colon < argument.size() &&
           (std::isalnum(static_cast<unsigned char>(argument[colon])) != 0 ||
            std::string_view("+-.").find(argument[colon]) != std::string_view::npos)) {
        ++colon;
    }
    const bool has_scheme = colon > 0 && colon < argument.size() && argument[colon] == ':' &&
                            std::isalpha(static_cast<unsigned char>(argument[0])) != 0;
    const std::string_view scheme = argument.substr(0, colon);
    const auto equal_ignoring_case = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    if (!has_scheme ||
        (argument.substr(colon + 1, 2) != "//" &&
         !(equal_ignoring_case(scheme, "file") && argument.substr(colon + 1, 1) == "/"))) {
        path = std::string(argument); // a plain path, even one with a colon in it
        return true;
    }
    const auto refuse = [&](const char* why) {
        std::fprintf(stderr, "coursesmith-cli: %.*s: %s\n", static_cast<int>(argument.size()),
                     argument.data(), why);
        return false;
    };
    if (!equal_ignoring_case(scheme, "file")) {
        return refuse("only local files (file:// URIs) can be read");
    }
    std::string_view rest = argument.substr(colon + 1);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equal_ignoring_case(host, "localhost")) {
            return refuse("the file is on another computer: only local files can be read");
        }
        if (slash == std::string_view::npos) {
            return refuse("the URI names no file");
        }
        rest.remove_prefix(slash);
    }
    path.clear();
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? hex_digit(rest[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(rest[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) {
            return refuse("the URI has a malformed %-escape");
        }
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

} // namespace cs
