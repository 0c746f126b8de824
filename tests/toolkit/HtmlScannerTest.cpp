#include "toolkit/HtmlScanner.h"

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

// The attribute (empty name: the inner text) of the first tag of text.
Value FirstTag(const std::string& text, const std::string& attribute = {}) {
    CHtmlScanner scanner;
    scanner.SetText(text);
    const std::size_t pos = scanner.First();
    return attribute.empty() ? scanner.InnerText(pos) : scanner.Attribute(pos, attribute);
}

} // namespace

TEST(HtmlScanner, EveryLessThanSignStartsATagWithAFoldedCutName) {
    CHtmlScanner scanner;
    scanner.SetText(std::string("a<b>c<!-- <span> -->&lt;<\0<i>", 29)); // the text ends at NUL
    EXPECT_EQ(scanner.First(), 2u);
    EXPECT_EQ(scanner.Next(), 6u);
    EXPECT_EQ(TagNames(scanner), (Names{"b", "!--", "span", ""}));
    EXPECT_EQ(scanner.Next(), npos);

    scanner.SetText("<INPUT type=x><br/><a/><//x></FONT><td\tx><p\ny><Sel\r ><" +
                    std::string(40, 'N') + "><\xB1\xEA\xCC\xE2>");
    EXPECT_EQ(TagNames(scanner), (Names{"input", "br", "a/", "//x", "/font", "td", "p", "sel\r",
                                        std::string(31, 'n'), "\xB1\xEA\xCC\xE2"}));
}

TEST(HtmlScanner, AttributesAndInnerTexts) {
    const std::string v(1500, 'v');
    const std::tuple<std::string, std::string, std::string> found[] = {
        // The name follows a blank and comes before "=" or one space and "=".
        {"<input NAME=Site>", "nAme", "Site"},
        {"<input\r\nname =a>", "name", "a"},
        {"<input names=1 xname=2 name=3>", "name", "3"},
        // Quoted values may hold ">"; any bytes pass; long values are cut.
        {"<i value=\"a b>c\">", "value", "a b>c"},
        {"<i value='say \"hi\"'>", "value", "say \"hi\""},
        {"<i value=\"\" x=1>", "value", ""},
        {"<i value=\"\xC3\xFB\x81\xFF\x80\">", "value", "\xC3\xFB\x81\xFF\x80"},
        {"<i value=" + v + ">", "value", v.substr(0, 1023)},
        {"<i value=\"" + v + "\">", "value", v.substr(0, 1022)},
        // Inner text: to the first closing tag of the same name, nesting not counted.
        {"<TITLE>站点</Title >b</title>", "", "站点"},
        {"<span>a</spanx>b</span>", "", "a</spanx>b"},
        {"<b>x<b>y</b>z</b>", "", "x<b>y"},
        {"<p>" + v + "</p>", "", v.substr(0, 1023)}};
    for (const auto& [text, name, expected] : found)
        EXPECT_EQ(FirstTag(text, name), Value(expected)) << text.substr(0, 40);
    for (const char* end : {" ", "\t", "\r", "\n", ">"})
        EXPECT_EQ(FirstTag(std::string("<i value=a/") + end + "b>", "value"), Value("a/"));
    // The first occurrence of the name decides; the tag ends at its first ">";
    // blanks, unterminated quotes or the text's end where a value should be.
    for (const char* text : {"<i name  =a>", "<i name size=1 name=3>", "<i><b name=1>",
                             "<i value=\"a>b\" name=c>", "<i name= a>", "<i name=\ta>",
                             "<i name=\"abc>", "<i name='a\">", "<i name=abc", "<i name="})
        EXPECT_EQ(FirstTag(text, "name"), std::nullopt) << text;
    for (const char* text : {"<span/>a</span>", "<span name=x />a</span>", "<span>no end",
                             "<span>a</span", "<span</span>"})
        EXPECT_EQ(FirstTag(text), std::nullopt) << text;

    CHtmlScanner scanner; // a closing tag before the opening one does not count
    scanner.SetText("</i><i>k</i>");
    scanner.First();
    EXPECT_EQ(scanner.InnerText(scanner.Next()), Value("k"));
    scanner.SetText("<select name=s><option value=b>Bee</option><OPTION>Ant</OPTION>"
                    "<option value=\"\"></option><option value=\"\">Cat</option>"
                    "<option><option value='z'></select><option value=after>");
    EXPECT_EQ(scanner.Options(scanner.First()), (Names{"b", "Ant", "Cat", "z"}));
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
    const std::string big(1 << 20, 'x');
    scanner.SetText(std::string(100000, '<') + std::string(100000, ' ') + "name=\"" + big +
                    "\" value=" + big + "> size=\"" + big);
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next()) {
        ASSERT_EQ(scanner.Attribute(pos, "name"), Value(big.substr(0, 1022)));
        ASSERT_EQ(scanner.Attribute(pos, "value"), Value(big.substr(0, 1023)));
        ASSERT_EQ(scanner.Attribute(pos, "size"), std::nullopt);
    }

    std::string nested; // a thousand nested selects, each with its first choice
    for (int i = 0; i < 1000; ++i)
        nested += "<select><option value=" + std::to_string(i) + ">";
    scanner.SetText(nested + "</select>");
    Names firstChoices;
    for (std::size_t pos = scanner.First(); pos != npos; pos = scanner.Next())
        if (scanner.TagName(pos) == "select")
            firstChoices.push_back(scanner.Options(pos).at(0));
    ASSERT_EQ(firstChoices.size(), 1000u);
    EXPECT_EQ(firstChoices[999], "999");
}
