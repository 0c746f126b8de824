#include "platform/CodePage.h"

#include <QString>
#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>

TEST(CodePage, KnownBytesOfCodePage936) {
    EXPECT_EQ(ToGbk(QStringLiteral("中")), std::string("\xD6\xD0"));
    EXPECT_EQ(FromGbk("\x80"), QStringLiteral("\u20AC"));
    // A trail byte of 0x5C is part of the character, not a backslash.
    std::string withBackslashTrail = "\x81\x5C";
    EXPECT_EQ(FromGbk(withBackslashTrail).size(), 1);
    EXPECT_EQ(ToGbk(FromGbk(withBackslashTrail)), withBackslashTrail);
}

TEST(CodePage, EveryDoubleByteCodeRoundTripsUserDefinedOnesThroughPrivateUse) {
    int privateUse = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const std::string code{char(lead), char(trail)};
            const QString text = FromGbk(code);
            ASSERT_EQ(text.size(), 1) << std::hex << lead << trail;
            EXPECT_NE(text[0], QChar(0xFFFD)) << std::hex << lead << trail;
            EXPECT_EQ(ToGbk(text), code) << std::hex << lead << trail;
            privateUse += text[0].unicode() >= 0xE000 && text[0].unicode() <= 0xF8FF;
        }
    }
    EXPECT_EQ(privateUse, 2149);
    // The code page's order: the areas AAA1-AFFE, F8A1-FEFE and A140-A7A0,
    // then the other codes without a character, from A2AB to FEA0.
    const std::pair<const char*, char16_t> anchors[] = {
        {"\xAA\xA1", 0xE000}, {"\xFE\xFE", 0xE4C5}, {"\xA1\x40", 0xE4C6}, {"\xA7\xA0", 0xE765},
        {"\xA2\xAB", 0xE766}, {"\xA8\xBC", 0xE7C7}, {"\xD7\xFA", 0xE810}, {"\xFE\xA0", 0xE864}};
    for (const auto& [code, unit] : anchors)
        EXPECT_EQ(FromGbk(code), QString(QChar(unit))) << std::hex << unsigned(unit);
}

TEST(CodePage, PathsKeepTheFileSystemsBytes) {
    const QString folder = QStringLiteral("/tmp/Straße/公司");
    const std::string path = ToPath(folder);
    EXPECT_EQ(path, folder.toStdString()); // UTF-8, not GBK
    EXPECT_EQ(FromPath(path), folder);
    EXPECT_EQ(GbkToPath("data/公司.ini"), QStringLiteral("data/公司.ini").toStdString());
}

TEST(CodePage, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(FromGbk(std::string("a\xFF"
                                  "b")),
              QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(FromGbk(std::string("\xB5")), QStringLiteral("\uFFFD")); // lead byte at the end
    EXPECT_EQ(FromGbk(std::string("x\0y", 3)).size(), 3);
    EXPECT_EQ(ToGbk(QStringLiteral("\U0001F600")), "?"); // no GBK form
}

// Values read from SQLite go from UTF-8 straight to GBK: every mix of what
// texts are made of (ASCII runs of every length around the characters, which
// the conversion takes a word at a time) must give what the way through Qt
// gives, and never write beyond the room of the UTF-8 text's size.
TEST(CodePage, Utf8ToGbkGivesWhatTheWayThroughQtGives) {
    using namespace std::string_view_literals;
    const std::string_view pieces[] = {"a", // ASCII runs of several lengths
                                       "abc",
                                       "abcdefghijklm",
                                       u8"中", // three bytes, two in GBK
                                       u8"网",
                                       u8"·",          // two bytes, two in GBK
                                       u8"€",          // three bytes, one in GBK
                                       u8"\uFEFF",     // byte order mark: dropped at the start only
                                       u8"\uE000",     // private use: the user-defined code AAA1
                                       u8"\U0001F600", // beyond the BMP: "?"
                                       "\xED\xA0\x80", // a surrogate
                                       "\xE0\x82\xB7", // overlong
                                       "\xE4\xB8",     // cut short
                                       "\xFF",         // stray bytes
                                       "\x80",
                                       "\0"sv}; // NUL
    std::uint32_t seed = 1;
    auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string utf8;
        for (std::uint32_t count = next(10); count > 0; --count)
            utf8 += pieces[next(std::size(pieces))];
        const std::string expected = ToGbk(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        std::string room(utf8.size() + 8, '#');
        const size_t size = size_t(WriteGbkFromUtf8(room.data(), utf8) - room.data());
        ASSERT_EQ(room.substr(0, size), expected) << testing::PrintToString(utf8);
        ASSERT_EQ(room.substr(utf8.size()), "########") << testing::PrintToString(utf8);
        std::string appended = "x";
        AppendGbkFromUtf8(appended, utf8);
        ASSERT_EQ(appended, "x" + expected);
    }
}

TEST(CodePage, NoCaseComparisonFoldsAsciiOnlyAndKeepsCharactersWhole) {
    EXPECT_TRUE(GbkEqualNoCase("KeyId", "keyid"));
    EXPECT_TRUE(GbkEqualNoCase("名称A", "名称a"));
    EXPECT_FALSE(GbkEqualNoCase("名称", "名"));
    // 0x81 0x61 is one character; folding its trail byte would make it equal
    // to 0x81 0x41, which is another character.
    EXPECT_FALSE(GbkEqualNoCase("\x81\x61", "\x81\x41"));
    EXPECT_LT(GbkCompareNoCase("abc", "ABD"), 0);
}
