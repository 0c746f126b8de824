#include "platform/CodePage.h"

#include <QString>
#include <gtest/gtest.h>

TEST(CodePage, ChineseRoundTripsThroughUtf16) {
    const std::string gbk = "单位名称 ABC 贸易商";
    QString text = FromGbk(gbk);
    EXPECT_EQ(text, QStringLiteral("单位名称 ABC 贸易商"));
    EXPECT_EQ(ToGbk(text), gbk);
}

TEST(CodePage, KnownBytesOfCodePage936) {
    EXPECT_EQ(ToGbk(QStringLiteral("中")), std::string("\xD6\xD0"));
    EXPECT_EQ(FromGbk("\x80"), QStringLiteral("\u20AC"));
    // A trail byte of 0x5C is part of the character, not a backslash.
    std::string withBackslashTrail = "\x81\x5C";
    EXPECT_EQ(FromGbk(withBackslashTrail).size(), 1);
    EXPECT_EQ(ToGbk(FromGbk(withBackslashTrail)), withBackslashTrail);
}

TEST(CodePage, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(FromGbk(std::string("a\xFF"
                                  "b")),
              QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(FromGbk(std::string("\xB5")), QStringLiteral("\uFFFD")); // lead byte at the end
    EXPECT_EQ(FromGbk(std::string("x\0y", 3)).size(), 3);
    EXPECT_EQ(ToGbk(QStringLiteral("\U0001F600")), "?"); // no GBK form
}

TEST(CodePage, CharacterCountCountsDoubleByteCharactersOnce) {
    EXPECT_EQ(GbkCharCount(""), 0);
    EXPECT_EQ(GbkCharCount("abc"), 3);
    std::string fiveHundred;
    for (int i = 0; i < 500; ++i)
        fiveHundred += "企";
    EXPECT_EQ(fiveHundred.size(), 1000u);
    EXPECT_EQ(GbkCharCount(fiveHundred), 500);
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
