#include "toolkit/HtmlScanner.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Value = std::optional<std::string>;
using Names = std::vector<std::string>;
constexpr std::size_t npos = CHtmlScanner::npos;

Names TagNames(CHtmlScanner& scanner) {
    Names names;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next())
        names.push_back(scanner.TagName(pos));
    return names;
}

// The attribute, or the inner text, of the first tag of text.
Value Attr(const std::string& text, const std::string& name) {
    CHtmlScanner scanner;
    scanner.SetText(text);
    return scanner.Attribute(scanner.First(), name);
}

Value Inner(const std::string& text) {
    CHtmlScanner scanner;
    scanner.SetText(text);
    return scanner.InnerText(scanner.First());
}

} // namespace

TEST(HtmlScanner, EveryLessThanSignStartsATagWithAFoldedCutName) {
    CHtmlScanner scanner;
    scanner.SetText("a<b>c<!-- <span> -->&lt;<");
    EXPECT_EQ(scanner.First(), 2u);
    EXPECT_EQ(scanner.Next(), 6u);
    EXPECT_EQ(TagNames(scanner), (Names{"b", "!--", "span", ""}));
    EXPECT_EQ(scanner.Next(), npos);

    scanner.SetText("<INPUT type=x><br/><a/><//x></FONT><td\tx><p\ny><Sel\r ><" +
                    std::string(40, 'N') + "><\xB1\xEA\xCC\xE2>");
    EXPECT_EQ(TagNames(scanner), (Names{"input", "br", "a/", "//x", "/font", "td", "p", "sel\r",
                                        std::string(31, 'n'), "\xB1\xEA\xCC\xE2"}));
}

TEST(HtmlScanner, AttributeNamesFollowABlankAndAnEqualsSign) {
    EXPECT_EQ(Attr("<input NAME=Site>", "nAme"), Value("Site"));
    EXPECT_EQ(Attr("<input\tname=a>", "name"), Value("a"));
    EXPECT_EQ(Attr("<input\r\nname =a>", "name"), Value("a"));
    EXPECT_EQ(Attr("<input name  =a>", "name"), std::nullopt);
    EXPECT_EQ(Attr("<input names=1 xname=2 name=3>", "name"), Value("3"));
    // The first occurrence followed by a space decides, even when a good one follows.
    EXPECT_EQ(Attr("<input name size=1 name=3>", "name"), std::nullopt);
    // The tag ends at its first ">", even one inside quotes.
    EXPECT_EQ(Attr("<input><b name=1>", "name"), std::nullopt);
    EXPECT_EQ(Attr("<input value=\"a>b\" name=c>", "name"), std::nullopt);
    EXPECT_EQ(Attr("< name=1>", "name"), Value("1"));
}

TEST(HtmlScanner, QuotedAndUnquotedValues) {
    EXPECT_EQ(Attr("<i value=\"a b>c\">", "value"), Value("a b>c"));
    EXPECT_EQ(Attr("<i value='say \"hi\"'>", "value"), Value("say \"hi\""));
    EXPECT_EQ(Attr("<i value=\"\" x=1>", "value"), Value(""));
    EXPECT_EQ(Attr("<i value=>", "value"), Value(""));
    for (const char* end : {" ", "\t", "\r", "\n", ">"})
        EXPECT_EQ(Attr(std::string("<i value=a/") + end + "b>", "value"), Value("a/"));
    // Absent: a leading blank, an unterminated quote, a value running off the end.
    for (const char* text : {"<i value= a>", "<i value=\ta>", "<i value=\"abc>", "<i value='a\">",
                             "<i value=abc", "<i value="})
        EXPECT_EQ(Attr(text, "value"), std::nullopt) << text;
    // Bytes of any kind pass through, valid GBK or not.
    EXPECT_EQ(Attr("<i value=\"\xC3\xFB\x81\xFF\x80\">", "value"), Value("\xC3\xFB\x81\xFF\x80"));

    std::string v(1500, 'v');
    EXPECT_EQ(Attr("<i value=" + v + ">", "value"), Value(v.substr(0, 1023)));
    EXPECT_EQ(Attr("<i value=\"" + v + "\">", "value"), Value(v.substr(0, 1022)));
    EXPECT_EQ(Attr("<i value='" + v.substr(0, 1023) + "'>", "value"), Value(v.substr(0, 1022)));
    EXPECT_EQ(Inner("<p>" + v + "</p>"), Value(v.substr(0, 1023)));
}

TEST(HtmlScanner, InnerTextRunsToTheFirstClosingTagOfTheSameName) {
    EXPECT_EQ(Inner("<title>站点</title>"), Value("站点"));
    EXPECT_EQ(Inner("<TITLE>a</Title >b</title>"), Value("a"));
    EXPECT_EQ(Inner("<span>a</spanx>b</span>"), Value("a</spanx>b"));
    EXPECT_EQ(Inner("<b>x<b>y</b>z</b>"), Value("x<b>y"));
    for (const char* text : {"<span/>a</span>", "<span name=x />a</span>", "<span>no end",
                             "<span>a</span", "<span</span>"})
        EXPECT_EQ(Inner(text), std::nullopt) << text;
    CHtmlScanner scanner; // a closing tag before the opening one does not count
    scanner.SetText("</i><i>k</i>");
    scanner.First();
    EXPECT_EQ(scanner.InnerText(scanner.Next()), Value("k"));
}

TEST(HtmlScanner, OptionsGiveValuesOrTextsInOrder) {
    CHtmlScanner scanner;
    scanner.SetText("<select name=s><option value=b>Bee</option><OPTION>Ant</OPTION>"
                    "<option value=\"\"></option><option value=\"\">Cat</option>"
                    "<option><option value='z'></select><option value=after>");
    EXPECT_EQ(scanner.Options(scanner.First()), (Names{"b", "Ant", "Cat", "z"}));
}

TEST(HtmlScanner, LoadFileReadsBytesUpToTheFirstNul) {
    TempHostFolder folder;
    CHtmlScanner scanner;
    scanner.SetText("<old>");
    EXPECT_EQ(scanner.LoadFile(folder.Path("missing.htm")), -1);
    EXPECT_EQ(scanner.First(), npos);
    ASSERT_TRUE(folder.Write("res/表单.htm", std::string("<title>表单</title><b") + '\0' + "<i>"));
    EXPECT_EQ(scanner.LoadFile(folder.Path("res/表单.htm")), 1);
    EXPECT_EQ(TagNames(scanner), (Names{"title", "/title", "b"}));
}

// These texts would take hours if a lookup rescanned the rest of the text for
// each tag: their size bounds the time, not a clock.
TEST(HtmlScanner, HostileTextsStayLinearAndReadAsAbsent) {
    CHtmlScanner scanner;
    scanner.SetText(std::string(1 << 20, '<'));
    std::size_t tags = 0;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next(), ++tags) {
        ASSERT_EQ(scanner.Attribute(pos, "name"), std::nullopt);
        ASSERT_TRUE(scanner.Options(pos).empty()); // no inner text either
    }
    EXPECT_EQ(tags, std::size_t(1) << 20);

    // Many "<" and blanks before attributes of 1 MB: every tag reaches them.
    std::string big(1 << 20, 'x');
    scanner.SetText(std::string(100000, '<') + std::string(100000, ' ') + "name=\"" + big +
                    "\" value=" + big + "> size=\"" + big);
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        ASSERT_EQ(scanner.Attribute(pos, "name"), Value(big.substr(0, 1022)));
        ASSERT_EQ(scanner.Attribute(pos, "value"), Value(big.substr(0, 1023)));
        ASSERT_EQ(scanner.Attribute(pos, "size"), std::nullopt);
    }

    // Many distinct names without closing tags; a thousand nested selects.
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "<t" + std::to_string(i) + ">";
    for (int i = 0; i < 1000; ++i)
        text += "<select><option value=" + std::to_string(i) + ">";
    scanner.SetText(text + "</select>");
    std::vector<std::string> firstChoices;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        if (scanner.TagName(pos) == "select") {
            firstChoices.push_back(scanner.Options(pos).at(0));
        } else if (scanner.TagName(pos)[0] == 't') {
            ASSERT_EQ(scanner.InnerText(pos), std::nullopt);
        }
    }
    ASSERT_EQ(firstChoices.size(), 1000u);
    EXPECT_EQ(firstChoices[999], "999");
}
