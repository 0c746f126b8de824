#include "settings/IniFile.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void LoadText(const std::string& bytes) {
        ASSERT_TRUE(folder.Write("in.ini", bytes));
        ASSERT_TRUE(ini.Load(folder.Path("in.ini")));
    }
    std::string Saved() {
        EXPECT_TRUE(ini.Save(folder.Path("out.ini")));
        return folder.Read("out.ini");
    }
    void SetMode(const std::string& relative, QFile::Permissions mode) {
        ASSERT_TRUE(QFile::setPermissions(FromPath(folder.Path(relative)), mode));
    }

    // A folder whose name GBK cannot spell: paths are not GBK texts.
    TempHostFolder folder{QStringLiteral("Straße")};
    CIniFile ini;
};

// File permissions mean nothing to root, so a test running as root becomes
// the unprivileged "nobody" for the scope (the saved id allows the way back).
struct UnprivilegedScope {
    explicit UnprivilegedScope(const TempHostFolder& folder) {
        // "nobody" must still pass through the temporary folder.
        if (root && QFile::setPermissions(FromPath(folder.Path()), QFile::Permissions(0x7711)))
            dropped = setresgid(65534, 65534, 0) == 0 && setresuid(65534, 65534, 0) == 0;
    }
    ~UnprivilegedScope() {
        if (root && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
            std::abort();
    }
    const bool root = getuid() == 0;
    bool dropped = false;
};

const std::string kCanonical = "\r\n[.]\r\nName=北京贸易有限公司\r\n"
                               "Intro=第一行\\r\\n第二行 \\\\ 路径\r\n"
                               "Key =  value with blanks \r\n;comment=\r\n"
                               "\r\n[]\r\n\r\n[Empty]\r\n\r\n[.]\r\nName=second\r\nName=third\r\n";

// The bytes of a file, the bytes that saving it writes, and one value read from it.
struct RoundTrip {
    std::string file, saved, section, key, value;
};

} // namespace

TEST_F(IniFileTest, FilesLoadAndSaveByTheirBytes) {
    const std::string nul("\0", 1);
    const std::string invalid = "\xFF\x80\x81"; // a lead byte at the end
    const std::string hostile = "\r\n[" + invalid + nul + "]\r\nK" + nul + "ey=v" + nul +
                                "\xFE\x7F\r\n" + invalid + "=" + invalid + "\r\n";
    // A 1 MB line with a value, and one without "=", CR-only line ends inside.
    std::string big, name, value;
    while (big.size() < (1u << 20)) {
        big += "中文值\\n\r";
        name += "中文值\\n";
        value += "中文值\n";
    }
    const RoundTrip cases[] = {
        {kCanonical, kCanonical, ".", "Intro", "第一行\r\n第二行 \\ 路径"},
        // Only "\\", "\r" and "\n" are escapes; any other backslash is itself.
        {"[S]\r\nLF=a\\nb\r\nTab=a\\tb\r\nPair=\\\\n\r\nEnd=x\\\r\n",
         "\r\n[S]\r\nLF=a\\nb\r\nTab=a\\\\tb\r\nPair=\\\\n\r\nEnd=x\\\\\r\n", "S", "Tab", "a\\tb"},
        // 0x81 0x5C is one character whose trail byte is a backslash.
        {"[S]\r\nK=\x81\\\\n\r\n", "\r\n[S]\r\nK=\x81\\\\n\r\n", "S", "K", "\x81\\n"},
        // Lines are read by their first bytes; lines before any section are dropped.
        {"Orphan=dropped\r\n   [Head] trailing ] text\r\n  \tTabbed = v = w \r\n[NoClose\r\n"
         "AfterNoClose\r\n[[Double]\r\n   \r\nK=1\r\n",
         "\r\n[Head]\r\n\tTabbed = v = w \r\nAfterNoClose=\r\n\r\n[Double]\r\nK=1\r\n", "Head",
         "\tTabbed ", " v = w "},
        {"Orphan=1\r\n", "", "", "Orphan", ""}, // an empty document gives an empty file
        // LF ends a line and every CR is dropped; a lone CR ends no line.
        {"[S]\nA=1\nB=x\ry\n[T\r]\nC=3", "\r\n[S]\r\nA=1\r\nB=xy\r\n\r\n[T]\r\nC=3\r\n", "T", "C",
         "3"},
        {"[S]\rA=1\rB=2\r", "\r\n[S]\r\n", "S", "A", ""},
        {hostile, hostile, invalid + nul, "k" + nul + "EY", "v" + nul + "\xFE\x7F"},
        {"[Big]\r\nValue=" + big + "\r\n" + big + "\r\n",
         "\r\n[Big]\r\nValue=" + name + "\r\n" + name + "=\r\n", "Big", "Value", value},
    };
    for (const RoundTrip& c : cases) {
        LoadText(c.file);
        EXPECT_EQ(Saved(), c.saved) << Utf8(c.file.substr(0, 80));
        EXPECT_EQ(ini.GetString(c.section, c.key), c.value) << Utf8(c.file.substr(0, 80));
    }
}

TEST_F(IniFileTest, NamesMatchWithoutCaseKeepTheirCaseAndAreListed) {
    LoadText("[Company]\r\nName=A\r\nName=dup\r\n[COMPANY]\r\nOnlyHere=x\r\n"
             "[名称A]\r\nK=gbk\r\n[\x81\x61]\r\nK=lower trail\r\n");
    EXPECT_EQ(ini.GetString("company", "NAME"), "A");
    EXPECT_FALSE(ini.HasValue("Compan", "Name") || ini.HasValue("Company", "Nam"));
    EXPECT_FALSE(ini.HasValue("Company", "OnlyHere")); // only the first section is reached
    EXPECT_EQ(ini.GetString("名称a", "k"), "gbk");
    EXPECT_FALSE(ini.HasValue("\x81\x41", "K")); // a trail byte never folds

    EXPECT_TRUE(ini.SetString("COMPANY", "name", "B"));
    EXPECT_TRUE(ini.SetString("company", "New", "n"));
    EXPECT_TRUE(ini.SetString("other", "K", "v"));
    EXPECT_EQ(Saved(), "\r\n[Company]\r\nName=B\r\nName=dup\r\nNew=n\r\n"
                       "\r\n[COMPANY]\r\nOnlyHere=x\r\n"
                       "\r\n[名称A]\r\nK=gbk\r\n\r\n[\x81\x61]\r\nK=lower trail\r\n"
                       "\r\n[other]\r\nK=v\r\n");

    // A reload and Clear forget the section that the last lookup used.
    LoadText("[A]\r\n[B]\r\n[C]\r\nK=c\r\n");
    EXPECT_EQ(ini.GetString("C", "K"), "c");
    LoadText("[C]\r\n");
    EXPECT_FALSE(ini.HasValue("C", "K"));
    ini.SetString("C", "K", "new");
    ini.Clear();
    EXPECT_FALSE(ini.HasValue("C", "K"));

    LoadText(kCanonical);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(ini.GetSectionNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{".", "Empty", "."}));
    EXPECT_EQ(ini.GetKeyNames(".", &names), 4);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Intro", "Key ", ";comment"}));

    // Names are written unescaped.
    ini.SetString("A]B", "  key=x", "  value");
    Saved();
    ASSERT_TRUE(ini.Load(folder.Path("out.ini")));
    EXPECT_EQ(ini.GetKeyNames("A", &names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"key"});
    EXPECT_EQ(ini.GetString("A", "key"), "x=  value");
}

TEST_F(IniFileTest, ValuesAndNumbersSurviveGrowthAndMoves) {
    LoadText("[S]\r\nEmpty=\r\nMixed=12ab\r\nSigned= \t-7\r\nWord=abc\r\n");
    for (int i = 0; i < 100; ++i)
        ini.SetInt("S" + std::to_string(i % 7), "K" + std::to_string(i), i);
    ini.SetInt("S", "Min", -2147483647 - 1);
    CIniFile moved(std::move(ini));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(moved.GetInt("S" + std::to_string(i % 7), "K" + std::to_string(i)), i);
    EXPECT_EQ(moved.GetString("S", "Min"), "-2147483648");
    EXPECT_TRUE(moved.HasValue("S", "Empty"));
    EXPECT_FALSE(moved.HasValue("S", "None") || moved.HasValue("None", "Empty"));
    const std::pair<const char*, int> numbers[] = {
        {"Min", -2147483647 - 1}, {"Mixed", 12}, {"Signed", -7}, {"Word", 0}, {"None", 0}};
    for (const auto& [key, number] : numbers)
        EXPECT_EQ(moved.GetInt("S", key), number) << key;
}

TEST_F(IniFileTest, UnreadableAndUnwritableFiles) {
    const std::string old = "\r\n[S]\r\nK=old\r\n";
    for (const char* file : {"locked/company.ini", "open/readonly.ini", "open/secret.ini"})
        ASSERT_TRUE(folder.Write(file, old));
    SetMode("open", QFile::Permissions(0x7777));
    SetMode("locked", QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    SetMode("open/readonly.ini", QFile::ReadOwner | QFile::ReadOther);
    SetMode("open/secret.ini", {});
    UnprivilegedScope scope(folder);
    ASSERT_TRUE(!scope.root || scope.dropped);

    ini.SetString("S", "K", "kept");
    EXPECT_FALSE(ini.Load(folder.Path("missing.ini")));
    EXPECT_EQ(ini.GetString("S", "K"), "kept") << "a missing file keeps the document";
    EXPECT_FALSE(ini.Load(folder.Path("open/secret.ini")));
    EXPECT_FALSE(ini.HasValue("S", "K")) << "a file that cannot be opened empties it";

    ini.SetString("S", "K", "new");
    for (const char* file : {"locked/company.ini", "open/readonly.ini"}) {
        EXPECT_FALSE(ini.Save(folder.Path(file)));
        EXPECT_EQ(folder.Read(file), old);
    }
    EXPECT_FALSE(ini.Save(folder.Path("no/such/folder.ini")) || ini.Save(folder.Path("open")));
}
