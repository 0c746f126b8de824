// Reading selects through CAdoRecordset on both engines.
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/SqliteLibrary.h"
#include "platform/CodePage.h"
#include "tests/database/support/TestDatabase.h"

#include <QLocale>
#include <QSqlDatabase>
#include <climits>
#include <ctime>

namespace {

class RecordsetTest : public OpenedDatabaseTest {
protected:
    void SetUp() override {
        OpenedDatabaseTest::SetUp();
        ExecuteOrFail(m_db, "create table Item (KeyId integer primary key, Name text, "
                            "Score integer, Price real, Made timestamp)");
    }
};

TEST_P(RecordsetTest, ValuesAsTextByNameInAnyCaseOrByPosition) {
    CAdoRecordset rs;
    Open(rs, "select Name,KeyId from Item");
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetFieldCount(), 2) << "an empty result keeps its fields";
    EXPECT_TRUE(GbkEqualNoCase(rs.GetFieldName(0), "Name"));

    ExecuteOrFail(m_db, "insert into Item(KeyId,Name,Score,Price) values (42,'中文',-7,2.5)");
    ExecuteOrFail(m_db, "insert into Item(KeyId) values (43)");
    Open(rs, "select KeyId,Name,Score,Price,Made,' ' from Item order by KeyId");
    // Spellings mixed and out of select order, as the screens use them.
    const std::pair<const char*, const char*> values[] = {
        {"keyid", "42"},   {"NAME", "中文"}, {"Score", "-7"},  {"price", "2.5"},
        {"Made", nullptr}, {"KeyId", "42"},  {"name", "中文"}, {"Keyid", "42"}};
    for (const auto& [field, text] : values)
        EXPECT_STREQ(rs.GetString(field), text) << field;
    EXPECT_EQ(rs.GetInt("score"), -7);
    EXPECT_EQ(rs.GetText("Made"), "");
    EXPECT_EQ(rs.GetLastError(), "") << "NULL is a value, not an error";
    ASSERT_EQ(rs.GetFieldCount(), 6);
    // Lengths in GBK bytes, as the grid takes them without counting.
    const std::pair<const char*, size_t> byPosition[] = {{"42", 2},  {"中文", 4},  {"-7", 2},
                                                         {"2.5", 3}, {nullptr, 0}, {" ", 1}};
    for (int i = 0; i < 6; ++i) {
        size_t length = 99;
        EXPECT_STREQ(rs.GetFieldValue(i, &length), byPosition[i].first) << i;
        EXPECT_EQ(length, byPosition[i].second) << i;
    }
    EXPECT_EQ(rs.GetFieldValue(6), nullptr);
    const bool textFields[] = {false, true, false, false, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rs.IsTextField(i), textFields[i]) << i;

    Open(rs, "select Score,Name,KeyId from Item where KeyId=43");
    EXPECT_EQ(rs.GetInt("keyid"), 43) << "a new select resolves names afresh";
    EXPECT_EQ(rs.GetString("Name"), nullptr);
    EXPECT_EQ(rs.GetInt("Score"), 0);
    EXPECT_EQ(rs.GetString("Nope"), nullptr);
    EXPECT_TRUE(Contains(rs.GetLastError(), "Nope"));
    EXPECT_EQ(rs.GetInt("Nope"), 0);
    EXPECT_FALSE(rs.IsEOF()) << "an unknown field does not end the records";
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetString("KeyId"), nullptr);
    EXPECT_FALSE(Contains(rs.GetLastError(), "Nope")) << "no current record is an error";
    EXPECT_EQ(rs.Close(), 1);
}

TEST_P(RecordsetTest, DatesInTheUsersLocaleWithoutShifting) {
    // A zone far from UTC shows any conversion between local time and UTC.
    ScopedEnvironment zone("TZ", "Asia/Shanghai");
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    ExecuteOrFail(m_db, "insert into Item(KeyId,Made) values (1,'2024-01-05 10:03:07')");
    CAdoRecordset rs;
    Open(rs, "select Made from Item");
    EXPECT_STREQ(rs.GetString("Made"), "2024/1/5 10:03:07");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Open(rs, "select Made from Item");
    EXPECT_STREQ(rs.GetString("Made"), "05.01.24 10:03:07");
    QLocale::setDefault(QLocale::system());
}

TEST_P(RecordsetTest, FailedOrMissingSelectsEndTheRecords) {
    CAdoRecordset never;
    EXPECT_TRUE(never.IsEOF());
    EXPECT_EQ(never.Close(), 0);
    EXPECT_EQ(never.Open("select 1"), 0);
    EXPECT_EQ(never.GetLastError(), "Connection Not open!\r\n");

    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    EXPECT_EQ(rs.Open("selec KeyId from Item"), 0);
    EXPECT_TRUE(Contains(rs.GetLastError(), "syntax")) << Utf8(rs.GetLastError());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetString("KeyId"), nullptr);
    rs.MoveNext();
    EXPECT_EQ(rs.Close(), 1);
}

// Rows come as they are read: a select that fails at its 1000th row gives
// its first 200 rows, as a page of the grid takes them, without an error.
TEST_P(RecordsetTest, RowsComeAsTheyAreRead) {
    const std::string sql =
        GetParam() == Engine::SQLite
            ? "with recursive n(x) as (select 1 union all select x+1 from n where x<1000) "
              "select x, case when x=1000 then abs(-9223372036854775807-1) else x end from n"
            : "select x, 1/(1000-x) from generate_series(1,1000) x";
    CAdoRecordset rs;
    Open(rs, sql);
    for (int row = 0; row < 200; ++row, rs.MoveNext())
        ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetLastError(), "");
    int rows = 200;
    for (; !rs.IsEOF() && rows < 2000; rs.MoveNext())
        ++rows;
    EXPECT_EQ(rows, 999) << "the failing row ends the records";
    EXPECT_NE(rs.GetLastError(), "");
}

// Another statement on the connection takes the reader's remaining rows
// into memory; the host closing its object leaves the reader's connection.
TEST_P(RecordsetTest, ReadersLoseNoRowsToOtherStatementsOrClose) {
    ExecuteOrFail(m_db, "with recursive n(x) as (select 1 union all select x+1 from n where x<50) "
                        "insert into Item(KeyId,Score) select x, x*10 from n");
    CAdoRecordset outer;
    Open(outer, "select KeyId,Score from Item order by KeyId");
    int seen = 0;
    for (; !outer.IsEOF(); outer.MoveNext()) {
        EXPECT_EQ(outer.GetInt("KeyId"), ++seen);
        if (seen == 10) {
            ExecuteOrFail(m_db, "update Item set Score=0 where KeyId=30");
            CAdoRecordset inner;
            Open(inner, "select Score from Item where KeyId=30");
            EXPECT_EQ(inner.GetInt("Score"), 0);
        }
    }
    EXPECT_EQ(seen, 50);
    EXPECT_EQ(outer.GetLastError(), "");

    Open(outer, "select KeyId from Item order by KeyId");
    m_db.Close();
    for (seen = 0; !outer.IsEOF(); outer.MoveNext())
        EXPECT_EQ(outer.GetInt("KeyId"), ++seen);
    EXPECT_EQ(seen, 50);
    EXPECT_EQ(m_db.Execute("select 1"), 0);
    EXPECT_EQ(m_db.GetLastError(), "Connection Not open!\r\n");
}

// Keys and counts are read with GetInt: a value beyond 32 bits must not come
// back as some of its bits (two keys 2^32 apart would read as one).
TEST_P(RecordsetTest, IntegersThatDoNotFitAreRefusedNotCut) {
    CAdoRecordset rs;
    Open(rs, "select cast(4294967338 as bigint) as big, cast(1e300 as double precision) as huge, "
             "cast(3e9 as double precision) as over, cast(-7.9 as double precision) as neg, "
             "cast(-2147483648 as bigint) as low, '12abc' as txt, '99999999999' as longtxt");
    for (const char* rows : {"as read", "in memory"}) {
        const std::pair<const char*, int> fitting[] = {{"neg", -7}, {"low", INT_MIN}, {"txt", 12}};
        for (const auto& [field, value] : fitting)
            EXPECT_EQ(rs.GetInt(field), value) << field << ", " << rows;
        if (rows == std::string("as read")) {
            EXPECT_EQ(rs.GetLastError(), "");
        }
        for (const char* field : {"big", "huge", "over", "longtxt"}) {
            EXPECT_EQ(rs.GetInt(field), 0) << field << ", " << rows;
            EXPECT_TRUE(Contains(rs.GetLastError(), field)) << rs.GetLastError();
        }
        EXPECT_STREQ(rs.GetString("big"), "4294967338");
        ExecuteOrFail(m_db, "delete from Item"); // the rest of the rows go to memory
    }
}

// Text comes out as GBK whether the database hands over UTF-8 (SQLite) or
// Qt's text (the server): every character as its GBK bytes, those without
// any as "?".
TEST_P(RecordsetTest, EveryCharacterComesOutAsItsGbkBytes) {
    QString all;
    for (char32_t u = 1; u < 0x10000; ++u)
        if (u < 0xD800 || u > 0xDFFF)
            all += QChar(char16_t(u));
    all += QString::fromUcs4(U"\U00010000\U0001F600\U0010FFFF", 3);
    // Code points 1 to 65535 without the surrogates, and three beyond.
    const std::string rest = " where n < 55296 or n > 57343 union all select 65536 "
                             "union all select 128512 union all select 1114111";
    const std::string sql =
        GetParam() == Engine::SQLite
            ? "with recursive s(n) as (select 1 union all select n+1 from s where n < 65535) "
              "select group_concat(char(n), '') from (select n from s" +
                  rest + ")"
            : "select string_agg(chr(n), '' order by n) from (select n from "
              "generate_series(1, 65535) n" +
                  rest + ") c";
    CAdoRecordset rs;
    Open(rs, sql);
    EXPECT_EQ(rs.GetText(rs.GetFieldName(0)), ToGbk(all));
}

TEST(SqliteTextTest, BrokenUtf8ReadsAsQtReadsIt) {
    TestDatabase test(Engine::SQLite);
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(test.ConnectionString()));
    const char stored[] = "\xEF\xBB\xBF"
                          "a\xFF\xC3"
                          "b\xED\xA0\x80"
                          "c\xE4\xB8";
    EXPECT_EQ(ReadRows(db, "select cast(x'EFBBBF61FFC362EDA08063E4B8' as text)"),
              std::vector<Row>{{ToGbk(QString::fromUtf8(stored, sizeof stored - 1))}});
}

NIMBREL_ON_BOTH_ENGINES(RecordsetTest);

// SQLite is read with this program's SQLite functions on the handle of Qt's
// driver: the system's driver uses the same library, a driver without it
// (here the server's) is refused with a reason.
TEST(SqliteLibraryTest, TheDriverMustUseTheLinkedSqlite) {
    std::string error;
    {
        QSqlDatabase sqlite =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe1"));
        EXPECT_TRUE(SqliteDriverMatches(sqlite.driver(), error)) << error;
        QSqlDatabase server =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("probe2"));
        EXPECT_FALSE(SqliteDriverMatches(server.driver(), error));
        EXPECT_TRUE(Contains(error, "libqsqlpsql.so")) << error;
        EXPECT_FALSE(SqliteDriverMatches(nullptr, error));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe1"));
    QSqlDatabase::removeDatabase(QStringLiteral("probe2"));
}

} // namespace
