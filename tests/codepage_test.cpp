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

TEST(Codepage, ExactConversionRefusesWhatTheCodePageLacks) {
    std::string bytes;
    char32_t refused = 0;
    EXPECT_TRUE(utf8_to_cp1252_exact("a? \xE2\x82\xAC\xC3\xA9\xC2\x81", bytes, refused));
    EXPECT_EQ(bytes, "a? \x80\xE9\x81");
    const struct {
        const char* utf8;
        char32_t refused;
    } refusals[] = {{"ok \xCE\xA9?", 0x3A9}, {"\xC2\x85", 0x85}, {"a\xFF", 0xFFFD}};
    for (const auto& r : refusals) {
        EXPECT_FALSE(utf8_to_cp1252_exact(r.utf8, bytes, refused)) << r.utf8;
        EXPECT_EQ(refused, r.refused) << r.utf8;
    }
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

TEST(Codepage, AllTwoHundredFiftySixBytesRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = cp1252_to_utf8(all);
    EXPECT_EQ(utf8_to_cp1252(utf8, all.size()), all);
    // Each byte on its own, too, and each decodes to one character.
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(byte), 1), byte) << b;
    }
}

TEST(Codepage, TheFiveUndefinedBytesBecomeC1Controls) {
    EXPECT_EQ(cp1252_to_utf8("\x81"), "\xC2\x81");
    EXPECT_EQ(cp1252_to_utf8("\x8D"), "\xC2\x8D");
    EXPECT_EQ(cp1252_to_utf8("\x8F"), "\xC2\x8F");
    EXPECT_EQ(cp1252_to_utf8("\x90"), "\xC2\x90");
    EXPECT_EQ(cp1252_to_utf8("\x9D"), "\xC2\x9D");
    EXPECT_EQ(utf8_to_cp1252("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", 30),
              "\x81\x8D\x8F\x90\x9D");
    // The other C1 controls have no byte: 0x80 is the euro sign, 0x9F is Y diaeresis.
    EXPECT_EQ(utf8_to_cp1252("\xC2\x80\xC2\x9F", 30), "??");
}

TEST(Codepage, TableSpotChecks) {
    EXPECT_EQ(cp1252_to_utf8("\x8A"), "\xC5\xA0");     // S caron U+0160
    EXPECT_EQ(cp1252_to_utf8("\x93"), "\xE2\x80\x9C"); // left double quote U+201C
    EXPECT_EQ(cp1252_to_utf8("\x96"), "\xE2\x80\x93"); // en dash U+2013
    EXPECT_EQ(cp1252_to_utf8("\x99"), "\xE2\x84\xA2"); // trade mark U+2122
    EXPECT_EQ(cp1252_to_utf8("\xA0"), "\xC2\xA0");     // no-break space
    EXPECT_EQ(cp1252_to_utf8("\xFF"), "\xC3\xBF");     // y diaeresis
    EXPECT_EQ(cp1252_to_utf8("Rally \x80"), "Rally \xE2\x82\xAC");
    EXPECT_EQ(utf8_to_cp1252("Jos\xC3\xA9 \xE2\x80\x94 5 \xE2\x82\xAC", 30), "Jos\xE9 \x97 5 \x80");
}

// A character the code page lacks is one '?'; invalid UTF-8 is one '?' per byte.
TEST(Codepage, UnmappableCharactersAndInvalidBytesBecomeQuestionMarks) {
    EXPECT_EQ(utf8_to_cp1252("\xC4\x80", 30), "?");            // A macron U+0100
    EXPECT_EQ(utf8_to_cp1252("\xD0\x96", 30), "?");            // Cyrillic Zhe
    EXPECT_EQ(utf8_to_cp1252("\xEF\xBF\xBD", 30), "?");        // U+FFFD itself
    EXPECT_EQ(utf8_to_cp1252("\xED\xA0\x80", 30), "???");      // a surrogate is invalid UTF-8
    EXPECT_EQ(utf8_to_cp1252("\xF4\x90\x80\x80", 30), "????"); // beyond U+10FFFF
    EXPECT_EQ(utf8_to_cp1252("a\x80z", 30), "a?z");            // a stray continuation byte
}

TEST(Codepage, AuthorLimitOfThirtyStoredBytes) {
    EXPECT_EQ(utf8_to_cp1252(std::string(40, 'a'), 30), std::string(30, 'a'));
    EXPECT_EQ(utf8_to_cp1252(std::string(30, 'a'), 30), std::string(30, 'a'));
    // A three-byte euro sign is one stored byte: 29 letters and the euro sign fit, the
    // letter behind them does not.
    EXPECT_EQ(utf8_to_cp1252(std::string(29, 'a') + "\xE2\x82\xAC" + "b", 30),
              std::string(29, 'a') + "\x80");
    // Characters that become '?' count one byte each as well.
    std::string cjk;
    for (int i = 0; i < 35; ++i) {
        cjk += "\xE6\x97\xA5";
    }
    EXPECT_EQ(utf8_to_cp1252(cjk, 30), std::string(30, '?'));
}

TEST(Codepage, CrLfHandling) {
    // Stored line ends are CR LF; a lone CR is kept as it is, both ways.
    EXPECT_EQ(comments_to_stored("a\nb\n", 500), "a\r\nb\r\n");
    EXPECT_EQ(comments_to_stored("a\r\nb", 500), "a\r\nb");
    EXPECT_EQ(comments_to_stored("a\rb", 500), "a\rb");
    EXPECT_EQ(comments_to_stored("\n\n", 500), "\r\n\r\n");
    EXPECT_EQ(comments_from_stored("a\r\n\r\nb"), "a\n\nb");
    EXPECT_EQ(comments_from_stored("a\r\r\nb"), "a\r\nb");
    EXPECT_EQ(comments_from_stored("bare\nlf"), "bare\nlf");
    // Typed text survives the stored form.
    const std::string typed = "Fast oval.\nWatch the \xE2\x82\xAC"
                              "50 kerb!\n\nBy Jos\xC3\xA9";
    EXPECT_EQ(comments_from_stored(comments_to_stored(typed, 500)), typed);
    // Stored bytes with CR LF survive reading and storing again.
    const std::string stored = "Line one\r\nLine \x80 two\r\n\xE9";
    EXPECT_EQ(comments_to_stored(comments_from_stored(stored), 500), stored);
}

TEST(Codepage, CommentLimitCountsTheStoredForm) {
    // 250 line feeds become 500 stored bytes: they fit, one more line end does not.
    EXPECT_EQ(comments_to_stored(std::string(250, '\n'), 500).size(), 500u);
    EXPECT_EQ(comments_to_stored(std::string(251, '\n'), 500),
              comments_to_stored(std::string(250, '\n'), 500));
    // A limit that falls between CR and LF drops the CR, whether the pair was typed as LF
    // or as CR LF.
    EXPECT_EQ(comments_to_stored(std::string(499, 'x') + "\nmore", 500), std::string(499, 'x'));
    EXPECT_EQ(comments_to_stored(std::string(499, 'x') + "\r\nmore", 500), std::string(499, 'x'));
    // A lone CR at the limit is kept: it is no half of a pair.
    EXPECT_EQ(comments_to_stored(std::string(499, 'x') + "\rmore", 500),
              std::string(499, 'x') + "\r");
    // 500 two-byte characters of UTF-8 are 500 stored bytes.
    std::string accents;
    for (int i = 0; i < 501; ++i) {
        accents += "\xC3\xA9";
    }
    EXPECT_EQ(comments_to_stored(accents, 500), std::string(500, '\xE9'));
}

} // namespace
} // namespace cs
