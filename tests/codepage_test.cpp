#include <gtest/gtest.h>

#include <string>

#include "model/codepage.h"

namespace cs {
namespace {

TEST(Codepage, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = cp1252_to_utf8(all);
    EXPECT_EQ(utf8_to_cp1252(utf8, 1000), all);
}

TEST(Codepage, KnownCharacters) {
    EXPECT_EQ(cp1252_to_utf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(cp1252_to_utf8("\xE9"), "\xC3\xA9");     // e acute
    EXPECT_EQ(cp1252_to_utf8("\x9F"), "\xC5\xB8");     // Y diaeresis
    EXPECT_EQ(utf8_to_cp1252("\xE2\x82\xAC 5", 30), "\x80 5");
    EXPECT_EQ(utf8_to_cp1252("\xC5\x93", 30), "\x9C");
}

TEST(Codepage, MissingCharactersAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(utf8_to_cp1252("\xE6\x97\xA5\xE6\x9C\xAC", 30), "??"); // two CJK characters
    EXPECT_EQ(utf8_to_cp1252("\xF0\x9F\x98\x80!", 30), "?!");        // emoji
    EXPECT_EQ(utf8_to_cp1252("a\xFF"
                             "b\xC3",
                             30),
              "a?b?");
    EXPECT_EQ(utf8_to_cp1252("\xC0\x80", 30), "??"); // overlong encoding
}

TEST(Codepage, LimitsCountStoredBytes) {
    // 31 two-byte characters are 62 UTF-8 bytes but 31 stored bytes: 30 are kept.
    std::string text;
    for (int i = 0; i < 31; ++i) {
        text += "\xC3\xA9";
    }
    EXPECT_EQ(utf8_to_cp1252(text, 30), std::string(30, '\xE9'));
    EXPECT_TRUE(utf8_to_cp1252("abc", 0).empty());
}

TEST(Codepage, CommentsUseCrLfWhenStored) {
    EXPECT_EQ(comments_to_stored("one\ntwo\r\nthree", 500), "one\r\ntwo\r\nthree");
    EXPECT_EQ(comments_from_stored("one\r\ntwo\r\n"), "one\ntwo\n");
    EXPECT_EQ(comments_from_stored("lone\rcr"), "lone\rcr");
    // The limit never splits a line end: "ab" CR LF would need 4 bytes.
    EXPECT_EQ(comments_to_stored("ab\ncd", 3), "ab");
    EXPECT_EQ(comments_to_stored("ab\ncd", 4), "ab\r\n");
    const std::string long_text(600, 'x');
    EXPECT_EQ(comments_to_stored(long_text, 500).size(), 500u);
}

} // namespace
} // namespace cs
