#include "settings/IniFile.h"

#include "platform/CodePage.h"
#include "settings/FileWriter.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

static void PrintTo(EIniLoad result, std::ostream* out) {
    *out << (result == EIniLoad::Loaded    ? "Loaded"
             : result == EIniLoad::Missing ? "Missing"
                                           : "Unreadable");
}

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void LoadText(const std::string& bytes) {
        ASSERT_TRUE(folder.Write("in.ini", bytes));
        ASSERT_EQ(ini.Load(folder.Path("in.ini")), EIniLoad::Loaded);
    }
    std::string Saved() {
        EXPECT_TRUE(ini.Save(folder.Path("out.ini")));
        return folder.Read("out.ini");
    }

    // A folder whose name GBK cannot spell: paths are not GBK texts.
    TempHostFolder folder{QStringLiteral("Straße")};
    CIniFile ini;
};

// A disk with room for a number of bytes more, where writing past a file's
// end takes room and writing over its bytes takes none; in a read-only folder
// no temporary file can be made.
class FaultyDisk : public CFileWriter {
public:
    FaultyDisk(long long room, bool readOnlyFolder) : m_room(room), m_readOnly(readOnlyFolder) {}

protected:
    bool OpenTemporary(QSaveFile& file) override {
        return !m_readOnly && CFileWriter::OpenTemporary(file);
    }
    long long WriteSome(QFileDevice& file, const char* data, long long size) override {
        const long long end = file.size();
        const long long allowed = std::min(size, end + m_room - file.pos());
        if (allowed <= 0)
            return -1;
        const long long written = CFileWriter::WriteSome(file, data, allowed);
        m_room -= std::max(0LL, file.pos() - end);
        return written;
    }

private:
    long long m_room;
    const bool m_readOnly;
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
    ASSERT_EQ(ini.Load(folder.Path("out.ini")), EIniLoad::Loaded);
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

TEST_F(IniFileTest, LoadTellsMissingFromUnreadableAndReadsOnlyRegularFiles) {
    ini.SetString("S", "K", "kept");
    ASSERT_TRUE(folder.Write("file.ini", "[S]\r\n"));
    for (const char* missing : {"missing.ini", "no/such/folder.ini", "file.ini/below.ini"}) {
        EXPECT_EQ(ini.Load(folder.Path(missing)), EIniLoad::Missing) << missing;
        EXPECT_EQ(ini.GetString("S", "K"), "kept") << "a missing file keeps the document";
    }

    ASSERT_EQ(::mkfifo(folder.Path("pipe.ini").c_str(), 0600), 0);
    QFile big(FromPath(folder.Path("big.ini")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(CIniFile::kMaxFileBytes + 1));
    big.close();
    // A folder, a pipe without a writer, an endless device, a file too large
    // to be a settings file, a file that fails on reading.
    const std::string unreadable[] = {folder.Path(), folder.Path("pipe.ini"), "/dev/zero",
                                      folder.Path("big.ini"), "/proc/self/mem"};
    for (const std::string& path : unreadable) {
        ini.SetString("S", "K", "stale");
        auto loading = std::async(std::launch::async, [&] { return ini.Load(path); });
        if (loading.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << path << " blocks";
            ::close(::open(folder.Path("pipe.ini").c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_EQ(loading.get(), EIniLoad::Unreadable) << path;
        EXPECT_FALSE(ini.HasValue("S", "K")) << path;
    }
}

TEST_F(IniFileTest, SaveWritesTheWholeFileOrLeavesTheOldOne) {
    const std::string old = "\r\n[S]\r\nK=" + std::string(100, 'o') + "\r\n"; // 111 bytes
    struct Case {
        long long room;
        bool readOnlyFolder;
        size_t length; // of the new value; the file is 11 bytes more
        bool saved;
    };
    const Case cases[] = {
        {10, false, 100, false}, // no room for the temporary file
        {111, false, 100, true}, // just room for it
        {0, true, 50, true},     // rewritten in place and cut short
        {40, true, 150, false},  // does not fit in place: the old bytes go back
        {50, true, 150, true},   // just fits in place
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.Write("disk.ini", old));
        const std::string value(c.length, 'n');
        ini.SetString("S", "K", value);
        FaultyDisk disk(c.room, c.readOnlyFolder);
        EXPECT_EQ(ini.Save(folder.Path("disk.ini"), disk), c.saved) << c.room << " " << c.length;
        EXPECT_EQ(folder.Read("disk.ini"), c.saved ? "\r\n[S]\r\nK=" + value + "\r\n" : old)
            << c.room << " " << c.length;
        EXPECT_EQ(QDir(FromPath(folder.Path())).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("disk.ini")})
            << "no temporary file is left behind";
    }
    // In a read-only folder only an existing file can be written.
    FaultyDisk readOnly(1000, true);
    EXPECT_FALSE(ini.Save(folder.Path("new.ini"), readOnly));
    EXPECT_FALSE(folder.Exists("new.ini"));
    EXPECT_FALSE(ini.Save(folder.Path("no/such/folder.ini")) || ini.Save(folder.Path()));
}
