#include "model/names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace cs {

namespace {

constexpr std::string_view vowels = "aeiouy";
constexpr std::string_view consonants = "bcdfghjklmnpqrstvwxyz";

// Builds a name draw by draw. Every draw is taken modulo a set size or a test's divisor;
// draws are non-negative (rand), but an injected source that breaks that promise still
// only ever gets a remainder in 0..n-1, so no letter is read outside its set.
class NameBuilder {
  public:
    explicit NameBuilder(const RandomDraw& draw) : draw_(draw) {}

    // The next draw modulo n, in 0..n-1.
    int draw_mod(int n) {
        const int r = draw_() % n;
        return r < 0 ? r + n : r;
    }
    void unused_draw() { draw_(); }
    char pick(std::string_view set) {
        return set[static_cast<std::size_t>(draw_mod(static_cast<int>(set.size())))];
    }

    void letter(std::string_view set) { name_ += pick(set); }
    void capital(std::string_view set) {
        name_ += static_cast<char>(std::toupper(static_cast<unsigned char>(pick(set))));
    }
    // One or two letters: an unused draw, a letter, then a draw whose parity asks for a
    // second letter.
    void group(std::string_view set) {
        unused_draw();
        int letters = 0;
        do {
            letter(set);
            ++letters;
        } while (letters < draw_mod(2) + 1);
    }
    // True when the name ends here (4 chances in 11).
    bool stop() { return draw_mod(11) <= 3; }

    std::string take() { return std::move(name_); }

  private:
    const RandomDraw& draw_;
    std::string name_;
};

std::string generate(const RandomDraw& draw) {
    NameBuilder b(draw);
    if (b.draw_mod(11) < 5) { // vowel start (5 chances in 11)
        b.capital(vowels);
        b.group(consonants);
        b.group(vowels);
        if (!b.stop()) {
            b.group(consonants);
            if (!b.stop()) {
                b.group(vowels);
                if (!b.stop()) {
                    b.letter(consonants);
                }
            }
        }
    } else {
        b.capital(consonants);
        b.group(vowels);
        b.group(consonants);
        if (!b.stop()) {
            b.group(vowels);
            if (!b.stop()) {
                if (b.stop()) {
                    b.letter(consonants);
                } else {
                    b.group(consonants);
                    b.letter(vowels);
                }
            }
        }
    }
    return b.take() + ".trk";
}

} // namespace

int standard_draw() {
    return std::rand();
}
void seed_standard_draw(unsigned int tick_count) {
    std::srand(tick_count);
}

void make_up_name(char* buffer, std::size_t capacity, const RandomDraw& draw) {
    if (buffer == nullptr || capacity < 16) {
        if (buffer != nullptr && capacity > 0) {
            constexpr std::string_view untitled = "untitled.trk";
            const std::size_t n = std::min(untitled.size(), capacity - 1);
            std::memcpy(buffer, untitled.data(), n);
            buffer[n] = '\0';
        }
        return;
    }
    const std::string name = generate(draw); // at most 14 characters
    std::memcpy(buffer, name.c_str(), name.size() + 1);
}

std::string make_up_name(const RandomDraw& draw) {
    char buffer[260];
    make_up_name(buffer, sizeof buffer, draw);
    return buffer;
}

std::string title_text(std::string_view file_name) {
    return std::string(title_prefix) + std::string(file_name);
}

std::string set_title(TrackNames& names, std::string_view name, const RandomDraw& draw) {
    names.current_file_name = name.empty() ? make_up_name(draw) : std::string(name);
    return title_text(names.current_file_name);
}

} // namespace cs
