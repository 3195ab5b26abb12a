#include "model/codepage.h"

#include <array>

namespace cs {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to
// the C1 control characters of the same value, so every byte survives a round trip.
constexpr std::array<char32_t, 32> high_controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t decode_byte(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? high_controls[b - 0x80] : char32_t{b};
}

// The byte for a code point, or '?' when the code page has none.
char encode_code_point(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < high_controls.size(); ++i) {
        if (high_controls[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one UTF-8 character at text[i] and advances i; malformed input yields
// U+FFFD for one byte.
char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(length);
    return c;
}

} // namespace

std::string cp1252_to_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes) {
        append_utf8(out, decode_byte(static_cast<unsigned char>(b)));
    }
    return out;
}

std::string utf8_to_cp1252(std::string_view utf8, std::size_t max_bytes) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size() && out.size() < max_bytes) {
        out += encode_code_point(next_code_point(utf8, i));
    }
    // A CR whose LF did not fit would leave half a line end behind.
    if (out.size() == max_bytes && !out.empty() && out.back() == '\r' && i < utf8.size() &&
        utf8[i] == '\n') {
        out.pop_back();
    }
    return out;
}

bool utf8_to_cp1252_exact(std::string_view utf8, std::string& bytes, char32_t& refused) {
    bytes.clear();
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t c = next_code_point(utf8, i);
        const char b = encode_code_point(c);
        if (b == '?' && c != U'?') {
            refused = c;
            return false;
        }
        bytes += b;
    }
    return true;
}

std::string comments_to_stored(std::string_view utf8_text, std::size_t max_bytes) {
    std::string crlf;
    crlf.reserve(utf8_text.size() + 16);
    for (std::size_t i = 0; i < utf8_text.size(); ++i) {
        const char c = utf8_text[i];
        if (c == '\n' && (i == 0 || utf8_text[i - 1] != '\r')) {
            crlf += '\r';
        }
        crlf += c;
    }
    return utf8_to_cp1252(crlf, max_bytes);
}

std::string comments_from_stored(std::string_view bytes) {
    std::string text = cp1252_to_utf8(bytes);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace cs
