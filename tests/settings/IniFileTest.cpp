#include "settings/IniFile.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QDir>
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
    std::vector<std::string> KeyNames(const std::string& section) {
        std::vector<std::string> names;
        ini.GetKeyNames(section, &names);
        return names;
    }
    void SetMode(const std::string& relative, QFile::Permissions mode) {
        ASSERT_TRUE(QFile::setPermissions(FromGbk(folder.Path(relative)), mode));
    }
    QStringList Entries(const std::string& relative) {
        return QDir(FromGbk(folder.Path(relative))).entryList(QDir::Files | QDir::Hidden);
    }

    TempHostFolder folder;
    CIniFile ini;
};

// File permissions mean nothing to root, so a test running as root becomes
// the unprivileged "nobody" for the scope (the saved id allows the way back).
class UnprivilegedScope {
public:
    explicit UnprivilegedScope(const TempHostFolder& folder) {
        if (getuid() != 0)
            return;
        QFile::setPermissions(FromGbk(folder.Path()), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ExeOther);
        m_dropped = setresgid(65534, 65534, 0) == 0 && setresuid(65534, 65534, 0) == 0;
    }
    ~UnprivilegedScope() {
        if (m_dropped && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
            std::abort();
    }
    bool Unprivileged() const { return getuid() != 0; }

private:
    bool m_dropped = false;
};

const std::string kCanonical = "\r\n[.]\r\n"
                               "Name=北京贸易有限公司\r\n"
                               "Intro=第一行\\r\\n第二行 \\\\ 路径\r\n"
                               "Key =  value with blanks \r\n"
                               ";comment=\r\n"
                               "\r\n[]\r\n"
                               "\r\n[Empty]\r\n"
                               "\r\n[.]\r\n"
                               "Name=second\r\n"
                               "Name=third\r\n";

} // namespace

TEST_F(IniFileTest, SavedFileLoadsAndSavesBackByteForByte) {
    LoadText(kCanonical);
    EXPECT_EQ(Saved(), kCanonical);
    EXPECT_EQ(ini.GetString(".", "Intro"), "第一行\r\n第二行 \\ 路径");
    EXPECT_EQ(ini.GetString(".", "key "), "  value with blanks ");

    // Every byte value survives a save and a load inside a value.
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += char(b);
    allBytes += "\\";
    CIniFile written;
    written.SetString("S", "K", allBytes);
    ASSERT_TRUE(written.Save(folder.Path("all.ini")));
    ASSERT_TRUE(ini.Load(folder.Path("all.ini")));
    EXPECT_EQ(ini.GetString("S", "K"), allBytes);
}

TEST_F(IniFileTest, ValueEscapesWorkOnBytes) {
    LoadText("[S]\r\nLF=a\\nb\r\nTab=a\\tb\r\nEnd=x\\\r\nPair=\\\\n\r\n");
    EXPECT_EQ(ini.GetString("S", "LF"), "a\nb");
    EXPECT_EQ(ini.GetString("S", "Tab"), "a\\tb");
    EXPECT_EQ(ini.GetString("S", "End"), "x\\");
    EXPECT_EQ(ini.GetString("S", "Pair"), "\\n");
    EXPECT_EQ(Saved(), "\r\n[S]\r\nLF=a\\nb\r\nTab=a\\\\tb\r\nEnd=x\\\\\r\nPair=\\\\n\r\n");

    // 0x81 0x5C is one character whose trail byte is a backslash.
    const std::string trail = "\x81\x5C" "n";
    ini.Clear();
    ini.SetString("S", "K", trail);
    EXPECT_EQ(Saved(), "\r\n[S]\r\nK=\x81\x5C\x5C" "n\r\n");
    ASSERT_TRUE(ini.Load(folder.Path("out.ini")));
    EXPECT_EQ(ini.GetString("S", "K"), trail);
}

TEST_F(IniFileTest, LinesAreReadByTheirFirstBytes) {
    LoadText("Orphan=dropped\r\n"
             "   [Head] trailing ] text\r\n"
             "  \tTabbed = v = w \r\n"
             "[NoClose\r\n"
             "AfterNoClose\r\n"
             "[[Double]\r\n"
             "   \r\n"
             "K=1\r\n");
    EXPECT_EQ(Saved(), "\r\n[Head]\r\n"
                       "\tTabbed = v = w \r\n"
                       "AfterNoClose=\r\n"
                       "\r\n[Double]\r\n"
                       "K=1\r\n");
    EXPECT_EQ(ini.GetString("Head", "\tTabbed "), " v = w ");
}

TEST_F(IniFileTest, LineEndsAreLfAndEveryCrIsDropped) {
    LoadText("[S]\nA=1\nB=x\ry\n[T\r]\nC=3");
    EXPECT_EQ(ini.GetString("S", "B"), "xy");
    EXPECT_EQ(ini.GetString("T", "C"), "3");
    EXPECT_EQ(Saved(), "\r\n[S]\r\nA=1\r\nB=xy\r\n\r\n[T]\r\nC=3\r\n");

    // CR alone does not end a line: the whole file is one header line.
    LoadText("[S]\rA=1\rB=2\r");
    EXPECT_EQ(KeyNames("S").size(), 0u);
    EXPECT_EQ(Saved(), "\r\n[S]\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndKeepTheirStoredCase) {
    LoadText("[Company]\r\nName=A\r\nName=dup\r\n[COMPANY]\r\nOnlyHere=x\r\n"
             "[名称A]\r\nK=gbk\r\n[\x81\x61]\r\nK=lower trail\r\n");
    EXPECT_EQ(ini.GetString("company", "NAME"), "A");
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
}

TEST_F(IniFileTest, MissingAndEmptyValuesAndNumbers) {
    LoadText("[S]\r\nEmpty=\r\nMixed=12ab\r\nSigned= \t-7\r\nWord=abc\r\n");
    EXPECT_TRUE(ini.HasValue("S", "Empty"));
    EXPECT_EQ(ini.GetString("S", "Empty"), "");
    EXPECT_FALSE(ini.HasValue("S", "None"));
    EXPECT_FALSE(ini.HasValue("None", "Empty"));
    EXPECT_EQ(ini.GetInt("S", "Mixed"), 12);
    EXPECT_EQ(ini.GetInt("S", "Signed"), -7);
    EXPECT_EQ(ini.GetInt("S", "Word"), 0);
    EXPECT_EQ(ini.GetInt("S", "None"), 0);
    ini.SetInt("S", "Min", -2147483647 - 1);
    EXPECT_EQ(ini.GetString("S", "Min"), "-2147483648");
    EXPECT_EQ(ini.GetInt("S", "Min"), -2147483647 - 1);
}

TEST_F(IniFileTest, NameListsSkipEmptySectionNamesAndKeepDuplicateKeys) {
    LoadText(kCanonical);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(ini.GetSectionNames(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{".", "Empty", "."}));
    EXPECT_EQ(ini.GetKeyNames(".", nullptr), 0);
    EXPECT_EQ(KeyNames("."), (std::vector<std::string>{"Name", "Intro", "Key ", ";comment"}));
    EXPECT_EQ(KeyNames("missing").size(), 0u);
}

TEST_F(IniFileTest, NamesAreWrittenUnescapedAndMayNotComeBack) {
    ini.SetString("A]B", "  key=x", "  value");
    ASSERT_TRUE(ini.Save(folder.Path("names.ini")));
    ASSERT_TRUE(ini.Load(folder.Path("names.ini")));
    EXPECT_EQ(KeyNames("A"), std::vector<std::string>{"key"});
    EXPECT_EQ(ini.GetString("A", "key"), "x=  value");
}

TEST_F(IniFileTest, EmptyDocumentSavesAnEmptyFile) {
    ASSERT_TRUE(folder.Write("out.ini", "old content"));
    EXPECT_EQ(Saved(), "");
    EXPECT_TRUE(folder.Exists("out.ini"));
}

TEST_F(IniFileTest, LoadKeepsTheDocumentOnlyWhenTheFileIsMissing) {
    ini.SetString("S", "K", "kept");
    EXPECT_FALSE(ini.Load(folder.Path("missing.ini")));
    EXPECT_EQ(ini.GetString("S", "K"), "kept");

    ASSERT_TRUE(QDir().mkpath(FromGbk(folder.Path("dir.ini"))));
    EXPECT_FALSE(ini.Load(folder.Path("dir.ini")));
    EXPECT_FALSE(ini.HasValue("S", "K"));

    ini.SetString("S", "K", "kept");
    ASSERT_TRUE(folder.Write("secret.ini", "[S]\r\nK=file\r\n"));
    SetMode("secret.ini", {});
    UnprivilegedScope scope(folder);
    ASSERT_TRUE(scope.Unprivileged());
    EXPECT_FALSE(ini.Load(folder.Path("secret.ini")));
    EXPECT_FALSE(ini.HasValue("S", "K"));
}

TEST_F(IniFileTest, FailedSaveLeavesTheOldFileIntact) {
    const std::string old = "\r\n[S]\r\nK=old\r\n";
    ini.SetString("S", "K", "new");
    ASSERT_TRUE(folder.Write("locked/company.ini", old));
    ASSERT_TRUE(folder.Write("open/readonly.ini", old));
    SetMode("open", QFile::Permissions(0x7777));
    SetMode("locked", QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    SetMode("open/readonly.ini", QFile::ReadOwner | QFile::ReadOther);
    {
        UnprivilegedScope scope(folder);
        ASSERT_TRUE(scope.Unprivileged());
        EXPECT_FALSE(ini.Save(folder.Path("locked/company.ini")));
        EXPECT_FALSE(ini.Save(folder.Path("open/readonly.ini")));
    }
    EXPECT_EQ(folder.Read("locked/company.ini"), old);
    EXPECT_EQ(folder.Read("open/readonly.ini"), old);
    EXPECT_EQ(Entries("locked"), QStringList{QStringLiteral("company.ini")});
    EXPECT_EQ(Entries("open"), QStringList{QStringLiteral("readonly.ini")});
    EXPECT_FALSE(ini.Save(folder.Path("no/such/folder.ini")));
    EXPECT_FALSE(ini.Save(folder.Path("open")));
}

TEST_F(IniFileTest, HostileBytesLoadWithoutHarmAndComeBack) {
    const std::string nul("\0", 1);
    const std::string invalid = "\xFF\x80\x81";                         // lead byte at the end
    std::string hostile = "\r\n[" + invalid + nul + "]\r\n" +           // section name
                          "K" + nul + "ey=v" + nul + "\xFE\x7F\r\n" +  // NUL in name and value
                          invalid + "=" + invalid + "\r\n";
    LoadText(hostile);
    EXPECT_EQ(Saved(), hostile);
    EXPECT_EQ(ini.GetString(invalid + nul, invalid), invalid);
    EXPECT_EQ(ini.GetString(invalid + nul, "k" + nul + "EY"), "v" + nul + "\xFE\x7F");

    // A 1 MB line with a value, and one without "=", CR-only line ends inside.
    std::string big, name, value;
    while (big.size() < (1u << 20)) {
        big += "中文值\\n\r";
        name += "中文值\\n";
        value += "中文值\n";
    }
    LoadText("[Big]\r\nValue=" + big + "\r\n" + big + "\r\n");
    EXPECT_EQ(ini.GetString("Big", "Value"), value);
    EXPECT_EQ(KeyNames("Big").at(1), name);
    EXPECT_EQ(Saved(), "\r\n[Big]\r\nValue=" + name + "\r\n" + name + "=\r\n");
}

TEST_F(IniFileTest, ReloadForgetsTheRememberedSection) {
    LoadText("[A]\r\n[B]\r\n[C]\r\nK=c\r\n");
    EXPECT_EQ(ini.GetString("C", "K"), "c");
    LoadText("[C]\r\n");
    EXPECT_FALSE(ini.HasValue("C", "K"));
    EXPECT_EQ(KeyNames("C").size(), 0u);
    ini.SetString("C", "K", "new");
    ini.Clear();
    EXPECT_FALSE(ini.HasValue("C", "K"));
    EXPECT_EQ(Saved(), "");
}
