#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "model/names.h"

namespace cs {
namespace {

// Draws from a fixed list; fails the test if the generator draws more than expected.
struct Draws {
    std::vector<int> values;
    std::size_t used = 0;
    RandomDraw source() {
        return [this]() {
            EXPECT_LT(used, values.size()) << "one draw too many";
            return used < values.size() ? values[used++] : 0;
        };
    }
};

TEST(MadeUpName, VowelStartDrawByDraw) {
    // start 0 (vowel), 'E' = vowels[1]; consonant group: unused, 'c', odd -> 'd', stop
    // parity; vowel group: unused, 'o', even; stop test 4 (goes on); consonant group:
    // unused, 'z', even; stop test 3 (ends).
    Draws d{{0, 1, 99, 1, 3, 2, 0, 99, 3, 0, 4, 99, 20, 0, 3}};
    const std::string name = make_up_name(d.source());
    EXPECT_EQ(name, "Ecdoz.trk");
    EXPECT_EQ(d.used, d.values.size());
}

TEST(MadeUpName, LongestVowelStart) {
    // Every group of two letters and no stop: V CC VV CC VV C = 10 letters.
    Draws d{{0, 0, 0, 1, 1, 2, 0, 0, 1, 1, 2, 0, 4, 0, 3, 1, 4, 0, 4, 0, 3, 1, 4, 0, 4, 20}};
    EXPECT_EQ(make_up_name(d.source()), "Acdeifgouz.trk");
    EXPECT_EQ(d.used, d.values.size());
}

TEST(MadeUpName, ConsonantStartEndings) {
    // start 5 (consonant) 'B'; vowel group 'a'; consonant group 'b'; stop test 4; vowel
    // group 'e'; stop test 4; test draw 0 -> one consonant 'c' and the end.
    Draws short_end{{5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 1, 0, 4, 0, 1}};
    EXPECT_EQ(make_up_name(short_end.source()), "Babec.trk");
    EXPECT_EQ(short_end.used, short_end.values.size());
    // The same with test draw 4: a consonant group 'd' and a closing vowel 'i'.
    Draws long_end{{5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 1, 0, 4, 4, 0, 2, 0, 2}};
    EXPECT_EQ(make_up_name(long_end.source()), "Babedi.trk");
    EXPECT_EQ(long_end.used, long_end.values.size());
    // The first stop test ends it after three letters.
    Draws shortest{{5, 0, 0, 0, 0, 0, 0, 0, 3}};
    EXPECT_EQ(make_up_name(shortest.source()), "Bab.trk");
}

bool in(std::string_view set, char c) {
    return set.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c)))) !=
           std::string_view::npos;
}

// Whether letters[i..] splits into groups of one or two letters, alternating between the
// two sets and starting with `set` ('y' belongs to both).
bool alternates(const std::string& letters, std::size_t i, bool vowel_group) {
    if (i == letters.size()) {
        return true;
    }
    const std::string_view set = vowel_group ? "aeiouy" : "bcdfghjklmnpqrstvwxyz";
    for (std::size_t n = 1; n <= 2 && i + n <= letters.size(); ++n) {
        if (!in(set, letters[i + n - 1])) {
            break;
        }
        if (alternates(letters, i + n, !vowel_group)) {
            return true;
        }
    }
    return false;
}

TEST(MadeUpName, NamesAlternateGroupsAndStayInLength) {
    std::srand(12345);
    int vowel_starts = 0;
    for (int n = 0; n < 2000; ++n) {
        const std::string name = make_up_name(standard_draw);
        ASSERT_GE(name.size(), 3u + 4u);
        ASSERT_LE(name.size(), 10u + 4u);
        ASSERT_EQ(name.substr(name.size() - 4), ".trk");
        const std::string letters = name.substr(0, name.size() - 4);
        ASSERT_TRUE(std::isupper(static_cast<unsigned char>(letters[0]))) << name;
        const bool vowel_start =
            std::string_view("AEIOUY").find(letters[0]) != std::string_view::npos;
        vowel_starts += vowel_start;
        // After the capital come alternating groups, at least two of them.
        const bool ok = (vowel_start && alternates(letters, 1, false)) ||
                        (in("bcdfghjklmnpqrstvwxyz", letters[0]) && alternates(letters, 1, true));
        ASSERT_TRUE(ok) << name;
    }
    // About 5 in 11 names start with a vowel.
    EXPECT_GT(vowel_starts, 700);
    EXPECT_LT(vowel_starts, 1100);
}

TEST(MadeUpName, SmallBuffersGetUntitled) {
    Draws none{{}};
    char buffer[16];
    make_up_name(buffer, 15, none.source());
    EXPECT_STREQ(buffer, "untitled.trk");
    make_up_name(buffer, 5, none.source());
    EXPECT_STREQ(buffer, "unti");
    make_up_name(nullptr, 100, none.source());
    buffer[0] = 'x';
    make_up_name(buffer, 0, none.source());
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(none.used, 0u);
    Draws d{{5, 0, 0, 0, 0, 0, 0, 0, 3}};
    make_up_name(buffer, 16, d.source());
    EXPECT_STREQ(buffer, "Bab.trk");
}

TEST(Title, NamedOrMadeUp) {
    TrackNames names;
    Draws d{{5, 0, 0, 0, 0, 0, 0, 0, 3}};
    EXPECT_EQ(set_title(names, "", d.source()), "Tyrestorm CourseSmith - Bab.trk");
    EXPECT_EQ(names.current_file_name, "Bab.trk");
    const std::string long_path = "/home/user/" + std::string(300, 'p') + "/track.trk";
    EXPECT_EQ(set_title(names, long_path, d.source()), "Tyrestorm CourseSmith - " + long_path);
    EXPECT_EQ(names.current_file_name, long_path); // kept whole
}

TEST(MadeUpName, VowelStartStopsAtEachTest) {
    // 'A', consonant group 'b', vowel group 'e', then the first stop test ends it.
    Draws first{{0, 0, 0, 0, 0, 0, 1, 0, 3}};
    EXPECT_EQ(make_up_name(first.source()), "Abe.trk");
    EXPECT_EQ(first.used, first.values.size());
    // First test 4 goes on: consonant group 'd'; the second test (0) ends it.
    Draws second{{0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 2, 0, 0}};
    EXPECT_EQ(make_up_name(second.source()), "Abed.trk");
    EXPECT_EQ(second.used, second.values.size());
    // Second test 4 goes on: vowel group 'i'; the third test, 11 (11 mod 11 = 0), ends it.
    Draws third{{0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 2, 0, 4, 0, 2, 0, 11}};
    EXPECT_EQ(make_up_name(third.source()), "Abedi.trk");
    EXPECT_EQ(third.used, third.values.size());
    // Third test 15 (15 mod 11 = 4) goes on: one consonant, 24 mod 21 = 3 -> 'f'.
    Draws all{{0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 2, 0, 4, 0, 2, 0, 15, 24}};
    EXPECT_EQ(make_up_name(all.source()), "Abedif.trk");
    EXPECT_EQ(all.used, all.values.size());
}

TEST(MadeUpName, ConsonantStartStopsAtTheSecondTest) {
    Draws d{{5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 1, 0, 3}};
    EXPECT_EQ(make_up_name(d.source()), "Babe.trk");
    EXPECT_EQ(d.used, d.values.size());
}

TEST(MadeUpName, LongestConsonantStart) {
    // 16 mod 11 = 5: consonant start 'Z'; V group "ae"; C group "cd"; test 4; V group "io";
    // test 5; test draw 6 -> consonant group "fg" and the closing vowel 'y' = 10 letters.
    Draws d{{16, 20, 7, 0, 1, 1, 0, 0, 1, 3, 2, 2, 4, 0, 2, 1, 3, 0, 5, 6, 0, 3, 1, 4, 0, 5}};
    EXPECT_EQ(make_up_name(d.source()), "Zaecdiofgy.trk");
    EXPECT_EQ(d.used, d.values.size());
    // The longest name and its terminator fit the smallest buffer that gets a made-up name.
    Draws again{d.values};
    char buffer[16];
    make_up_name(buffer, sizeof buffer, again.source());
    EXPECT_STREQ(buffer, "Zaecdiofgy.trk");
}

TEST(MadeUpName, DrawsAreTakenModuloTheSetSize) {
    const int big = 2147483647; // mod 11 = 1, mod 6 = 1, mod 21 = 1, odd
    Draws d{{big, big, big, big, 0, big, big, 0, big}};
    EXPECT_EQ(make_up_name(d.source()), "Ece.trk");
    EXPECT_EQ(d.used, d.values.size());
}

TEST(MadeUpName, ANegativeDrawNeverIndexesOutsideASet) {
    // rand never returns a negative number; an injected source that does gets the
    // non-negative remainder (-1 mod n = n - 1), so every letter stays in its set.
    Draws d{std::vector<int>(26, -1)};
    EXPECT_EQ(make_up_name(d.source()), "Zyyzzyyzzy.trk");
    EXPECT_EQ(d.used, d.values.size());
}

// Over many seeded names, each start gives exactly its pattern of letter groups and every
// length from 3 to 10 letters occurs. The first draw, recorded, tells the start.
TEST(MadeUpName, SeededNamesFollowThePatternOfTheirStart) {
    const std::string v = "[aeiouy]";
    const std::string c = "[bcdfghjklmnpqrstvwxyz]";
    const std::regex vowel_pattern("[AEIOUY]" + c + "{1,2}" + v + "{1,2}(" + c + "{1,2}(" + v +
                                   "{1,2}" + c + "?)?)?\\.trk");
    const std::regex consonant_pattern("[BCDFGHJKLMNPQRSTVWXYZ]" + v + "{1,2}" + c + "{1,2}(" + v +
                                       "{1,2}(" + c + "|" + c + "{1,2}" + v + ")?)?\\.trk");
    seed_standard_draw(20260);
    std::array<std::array<int, 11>, 2> lengths{}; // [vowel start][letters]
    for (int n = 0; n < 5000; ++n) {
        std::vector<int> seen;
        const RandomDraw recorded = [&seen]() {
            seen.push_back(standard_draw());
            return seen.back();
        };
        const std::string name = make_up_name(recorded);
        ASSERT_FALSE(seen.empty());
        const bool vowel_start = seen.front() % 11 < 5;
        ASSERT_TRUE(std::regex_match(name, vowel_start ? vowel_pattern : consonant_pattern))
            << name;
        const std::size_t letters = name.size() - 4;
        ASSERT_GE(letters, 3u) << name;
        ASSERT_LE(letters, 10u) << name;
        ++lengths[vowel_start ? 1 : 0][letters];
    }
    for (int start = 0; start < 2; ++start) {
        for (int letters = 3; letters <= 10; ++letters) {
            EXPECT_GT(lengths[start][letters], 0) << "start " << start << ", " << letters;
        }
    }
}

TEST(MadeUpName, SeedingRepeatsTheNames) {
    seed_standard_draw(77);
    const std::string a = make_up_name(standard_draw);
    const std::string b = make_up_name(standard_draw);
    seed_standard_draw(77);
    EXPECT_EQ(make_up_name(standard_draw), a);
    EXPECT_EQ(make_up_name(standard_draw), b);
}

TEST(MadeUpName, UntitledIsCutLikeLstrcpyn) {
    Draws none{{}};
    char buffer[16];
    make_up_name(buffer, 13, none.source()); // 12 characters and the terminator
    EXPECT_STREQ(buffer, "untitled.trk");
    make_up_name(buffer, 12, none.source());
    EXPECT_STREQ(buffer, "untitled.tr");
    buffer[0] = 'x';
    make_up_name(buffer, 1, none.source());
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(none.used, 0u);
}

TEST(Title, TitleTextIsThePrefixAndTheName) {
    EXPECT_EQ(title_text("C:\\Tracks\\oval.trk"), "Tyrestorm CourseSmith - C:\\Tracks\\oval.trk");
    TrackNames names;
    Draws none{{}};
    EXPECT_EQ(set_title(names, "oval.trk", none.source()), "Tyrestorm CourseSmith - oval.trk");
    EXPECT_EQ(names.current_file_name, "oval.trk");
    EXPECT_EQ(none.used, 0u); // a given name makes no draw
}

} // namespace
} // namespace cs
