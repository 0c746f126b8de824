#include "toolkit/HtmlScanner.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Scanner = CHtmlScanner;
using Value = std::optional<std::string>;
constexpr std::size_t npos = CHtmlScanner::npos;

std::vector<std::string> TagNames(Scanner& scanner) {
    std::vector<std::string> names;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next())
        names.push_back(scanner.TagName(pos));
    return names;
}

// The attribute of the first tag of text.
Value AttributeOf(const std::string& text, const std::string& name) {
    Scanner scanner;
    scanner.SetText(text);
    return scanner.Attribute(scanner.First(), name);
}

Value InnerOf(const std::string& text) {
    Scanner scanner;
    scanner.SetText(text);
    return scanner.InnerText(scanner.First());
}

} // namespace

TEST(HtmlScanner, EveryLessThanSignStartsATagEvenInComments) {
    Scanner scanner;
    scanner.SetText("a<b>c<!-- <span> -->&lt;<");
    EXPECT_EQ(scanner.First(), 2u);
    EXPECT_EQ(scanner.Next(), 6u);
    EXPECT_EQ(scanner.Next(), 11u);
    EXPECT_EQ(scanner.Next(), 25u); // the last "<", right at the end
    EXPECT_EQ(scanner.Next(), npos);
    EXPECT_EQ(scanner.Next(), npos);
    EXPECT_EQ(TagNames(scanner), (std::vector<std::string>{"b", "!--", "span", ""}));

    scanner.SetText("no tags");
    EXPECT_EQ(scanner.First(), npos);
}

TEST(HtmlScanner, TagNamesAreFoldedCutAndEndAtTheirDelimiters) {
    Scanner scanner;
    scanner.SetText("<INPUT type=x><br/><a/><//x></FONT><td\tx><p\ny><Sel\r ><p>");
    EXPECT_EQ(TagNames(scanner), (std::vector<std::string>{"input", "br", "a/", "//x", "/font",
                                                           "td", "p", "sel\r", "p"}));

    std::string longName(40, 'N');
    scanner.SetText("<" + longName + ">");
    EXPECT_EQ(scanner.TagName(scanner.First()), std::string(31, 'n'));
    // Double-byte names keep their bytes; only ASCII letters fold.
    scanner.SetText("<\xB1\xEA\xCC\xE2 x>");
    EXPECT_EQ(scanner.TagName(scanner.First()), "\xB1\xEA\xCC\xE2");
}

TEST(HtmlScanner, AttributeNamesFollowABlankAndAnEqualsSign) {
    EXPECT_EQ(AttributeOf("<input NAME=Site>", "name"), Value("Site"));
    EXPECT_EQ(AttributeOf("<input name=Site>", "NaMe"), Value("Site"));
    EXPECT_EQ(AttributeOf("<input\tname=a>", "name"), Value("a"));
    EXPECT_EQ(AttributeOf("<input\r\nname=a>", "name"), Value("a"));
    EXPECT_EQ(AttributeOf("<input name =a>", "name"), Value("a"));
    EXPECT_EQ(AttributeOf("<input name  =a>", "name"), std::nullopt);
    EXPECT_EQ(AttributeOf("<input name>", "name"), std::nullopt);
    // A longer name or one glued to something before it is another attribute.
    EXPECT_EQ(AttributeOf("<input names=1 xname=2 name=3>", "name"), Value("3"));
    // The first occurrence followed by a space decides, even when a good one follows.
    EXPECT_EQ(AttributeOf("<input name size=1 name=3>", "name"), std::nullopt);
    // The tag ends at its first ">": later tags and quoted ">" are outside it.
    EXPECT_EQ(AttributeOf("<input><b name=1>", "name"), std::nullopt);
    EXPECT_EQ(AttributeOf("<input value=\"a>b\" name=c>", "name"), std::nullopt);
    // Right after the "<" is not after a blank.
    EXPECT_EQ(AttributeOf("<name=1>", "name"), std::nullopt);
    EXPECT_EQ(AttributeOf("< name=1>", "name"), Value("1"));
}

TEST(HtmlScanner, QuotedAndUnquotedValues) {
    EXPECT_EQ(AttributeOf("<i value=\"a b>c\">", "value"), Value("a b>c"));
    EXPECT_EQ(AttributeOf("<i value='say \"hi\"'>", "value"), Value("say \"hi\""));
    EXPECT_EQ(AttributeOf("<i value=\"\" x=1>", "value"), Value(""));
    EXPECT_EQ(AttributeOf("<i value=>", "value"), Value(""));
    EXPECT_EQ(AttributeOf("<i value=abc def>", "value"), Value("abc"));
    EXPECT_EQ(AttributeOf("<i value=a\tb>", "value"), Value("a"));
    EXPECT_EQ(AttributeOf("<i value=a\rb>", "value"), Value("a"));
    EXPECT_EQ(AttributeOf("<i value=a\nb>", "value"), Value("a"));
    EXPECT_EQ(AttributeOf("<i value=a/>", "value"), Value("a/"));
    // Values that would begin with a blank are not read.
    EXPECT_EQ(AttributeOf("<i value= a>", "value"), std::nullopt);
    EXPECT_EQ(AttributeOf("<i value=\ta>", "value"), std::nullopt);
    // Unterminated quotes and unquoted values that run off the end.
    EXPECT_EQ(AttributeOf("<i value=\"abc>", "value"), std::nullopt);
    EXPECT_EQ(AttributeOf("<i value='abc\">", "value"), std::nullopt);
    EXPECT_EQ(AttributeOf("<i value=abc", "value"), std::nullopt);
    EXPECT_EQ(AttributeOf("<i value=", "value"), std::nullopt);
    // Bytes of any kind pass through unchanged, valid GBK or not.
    EXPECT_EQ(AttributeOf("<i value=\"\xC3\xFB\xB3\xC6\x81\xFF\x80\">", "value"),
              Value("\xC3\xFB\xB3\xC6\x81\xFF\x80"));
}

TEST(HtmlScanner, LongValuesAreCut) {
    std::string text(1500, 'v');
    EXPECT_EQ(AttributeOf("<i value=" + text + ">", "value"), Value(text.substr(0, 1023)));
    EXPECT_EQ(AttributeOf("<i value=\"" + text + "\">", "value"), Value(text.substr(0, 1022)));
    EXPECT_EQ(AttributeOf("<i value='" + text.substr(0, 1023) + "'>", "value"),
              Value(text.substr(0, 1022)));
    EXPECT_EQ(AttributeOf("<i value='" + text.substr(0, 1022) + "'>", "value"),
              Value(text.substr(0, 1022)));
    EXPECT_EQ(AttributeOf("<i value=" + text.substr(0, 1023) + ">", "value"),
              Value(text.substr(0, 1023)));
    EXPECT_EQ(InnerOf("<p>" + text + "</p>"), Value(text.substr(0, 1023)));
}

TEST(HtmlScanner, InnerTextRunsToTheFirstClosingTagOfTheSameName) {
    EXPECT_EQ(InnerOf("<title>站点</title>"), Value("站点"));
    EXPECT_EQ(InnerOf("<TITLE>a</Title >b</title>"), Value("a"));
    EXPECT_EQ(InnerOf("<span>a</spanx>b</span>"), Value("a</spanx>b"));
    EXPECT_EQ(InnerOf("<b>x<b>y</b>z</b>"), Value("x<b>y"));
    EXPECT_EQ(InnerOf("<textarea rows=5></textarea>"), Value(""));
    EXPECT_EQ(InnerOf("<span/>a</span>"), std::nullopt);
    EXPECT_EQ(InnerOf("<span name=x />a</span>"), std::nullopt);
    EXPECT_EQ(InnerOf("<span>no end"), std::nullopt);
    EXPECT_EQ(InnerOf("<span</span>"), std::nullopt);
    EXPECT_EQ(InnerOf("<span>a</span"), std::nullopt);
    // A closing tag before the opening one does not count.
    Scanner scanner;
    scanner.SetText("</i><i>k</i>");
    scanner.First();
    EXPECT_EQ(scanner.InnerText(scanner.Next()), Value("k"));
}

TEST(HtmlScanner, OptionsGiveValuesOrTextsInOrder) {
    Scanner scanner;
    scanner.SetText("<select name=s>"
                    "<option value=b>Bee</option>"
                    "<OPTION>Ant</OPTION>"
                    "<option value=\"\"></option>"
                    "<option value=\"\">Cat</option>"
                    "<option>"
                    "<option value='z'>"
                    "</select><option value=after>");
    EXPECT_EQ(scanner.Options(scanner.First()), (std::vector<std::string>{"b", "Ant", "Cat", "z"}));

    scanner.SetText("<select></select><select>");
    EXPECT_TRUE(scanner.Options(scanner.First()).empty());
    EXPECT_TRUE(scanner.Options(scanner.Next()).empty());
}

TEST(HtmlScanner, LoadFileReadsBytesUpToTheFirstNul) {
    TempHostFolder folder;
    Scanner scanner;
    scanner.SetText("<old>");
    EXPECT_EQ(scanner.LoadFile(folder.Path("missing.htm")), -1);
    EXPECT_EQ(scanner.Text(), "");
    EXPECT_EQ(scanner.First(), npos);

    std::string bytes = std::string("<title>表单</title><b") + '\0' + "<input name=x>";
    ASSERT_TRUE(folder.Write("res/表单.htm", bytes));
    EXPECT_EQ(scanner.LoadFile(folder.Path("res/表单.htm")), 1);
    EXPECT_EQ(TagNames(scanner), (std::vector<std::string>{"title", "/title", "b"}));

    ASSERT_TRUE(folder.Write("empty.htm", ""));
    EXPECT_EQ(scanner.LoadFile(folder.Path("empty.htm")), 1);
    EXPECT_EQ(scanner.First(), npos);
}

// The hostile texts below would take hours if any lookup rescanned the rest of
// the text for each tag; their size is what bounds the time, not a clock.
TEST(HtmlScanner, HostileTextsReadAsAbsent) {
    Scanner scanner;
    scanner.SetText(std::string(1 << 20, '<'));
    std::size_t tags = 0;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        ++tags;
        ASSERT_EQ(scanner.Attribute(pos, "name"), std::nullopt);
        ASSERT_EQ(scanner.Attribute(pos, "value"), std::nullopt);
        ASSERT_EQ(scanner.InnerText(pos), std::nullopt);
        ASSERT_TRUE(scanner.Options(pos).empty());
    }
    EXPECT_EQ(tags, std::size_t(1) << 20);
    EXPECT_EQ(scanner.TagName(1), std::string(31, '<'));

    // Many "<" and blanks before one attribute of 1 MB: every tag reaches it.
    std::string big(1 << 20, 'x');
    scanner.SetText(std::string(100000, '<') + std::string(100000, ' ') + "name=\"" + big +
                    "\" value=" + big + "> size=\"" + big);
    tags = 0;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        ++tags;
        ASSERT_EQ(scanner.Attribute(pos, "name"), Value(big.substr(0, 1022)));
        ASSERT_EQ(scanner.Attribute(pos, "value"), Value(big.substr(0, 1023)));
        ASSERT_EQ(scanner.Attribute(pos, "size"), std::nullopt);
        ASSERT_EQ(scanner.InnerText(pos), std::nullopt);
    }
    EXPECT_EQ(tags, 100000u);

    // Many distinct tag names, each without its closing tag.
    std::string distinct;
    for (int i = 0; i < 100000; ++i)
        distinct += "<t" + std::to_string(i) + " a=1>";
    distinct += "</t0>";
    scanner.SetText(distinct);
    tags = 0;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        if (scanner.TagName(pos) == "t0" || scanner.TagName(pos) == "/t0")
            continue;
        ++tags;
        ASSERT_EQ(scanner.InnerText(pos), std::nullopt);
        ASSERT_EQ(scanner.Attribute(pos, "a"), Value("1"));
    }
    EXPECT_EQ(tags, 99999u);
}

TEST(HtmlScanner, ThousandNestedSelectsCloseAtTheFirstClosingTag) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "<select name=s" + std::to_string(i) + "><option value=" + std::to_string(i) + ">";
    for (int i = 0; i < 1000; ++i)
        text += "</option></select>";
    Scanner scanner;
    scanner.SetText(text);
    std::size_t selects = 0;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        if (scanner.TagName(pos) != "select")
            continue;
        // Each select's inner text is cut to 1023 bytes and ends at the first
        // "</select>", so it holds at most what fits of the nested ones.
        std::vector<std::string> options = scanner.Options(pos);
        ASSERT_FALSE(options.empty());
        EXPECT_EQ(options.front(), std::to_string(selects));
        ++selects;
    }
    EXPECT_EQ(selects, 1000u);
}
