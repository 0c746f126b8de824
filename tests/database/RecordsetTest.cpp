// Reading selects through CAdoRecordset on both engines.
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/CodePage.h"
#include "tests/database/support/TestDatabase.h"

#include <QDateTime>
#include <QLocale>
#include <cstdlib>
#include <ctime>

namespace {

class RecordsetTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_test.Error(), "");
        ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
        ExecuteOrFail(m_db, "create table Item (KeyId integer primary key, Name text, "
                            "Score integer, Price real, Made timestamp)");
    }
    void Fill(int count) {
        for (int key = 1; key <= count; ++key)
            ExecuteOrFail(m_db, "insert into Item(KeyId,Name,Score) values (" +
                                    std::to_string(key) + ",'n" + std::to_string(key) + "'," +
                                    std::to_string(key * 10) + ")");
    }
    void Open(CAdoRecordset& rs, const std::string& sql) {
        rs.SetConnection(m_db.GetConnection());
        ASSERT_EQ(rs.Open(sql), 1) << Utf8(rs.GetLastError());
    }

    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
};

TEST_P(RecordsetTest, ValuesComeAsTextWithNullApart) {
    ExecuteOrFail(m_db, "insert into Item(KeyId,Name,Score,Price) values (42,'" "中文" "',-7,2.5)");
    ExecuteOrFail(m_db, "insert into Item(KeyId) values (43)");
    CAdoRecordset rs;
    Open(rs, "select KeyId,Name,Score,Price,Made from Item order by KeyId");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_STREQ(rs.GetString("KeyId"), "42");
    EXPECT_STREQ(rs.GetString("Name"), "中文");
    EXPECT_STREQ(rs.GetString("Score"), "-7");
    EXPECT_STREQ(rs.GetString("Price"), "2.5");
    EXPECT_EQ(rs.GetInt("Score"), -7);
    EXPECT_EQ(rs.GetString("Made"), nullptr);
    EXPECT_EQ(rs.GetText("Made"), "");
    EXPECT_EQ(rs.GetLastError(), "") << "NULL is a value, not an error";
    rs.MoveNext();
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetInt("KeyId"), 43);
    EXPECT_EQ(rs.GetString("Name"), nullptr);
    EXPECT_EQ(rs.GetInt("Score"), 0);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetString("KeyId"), nullptr);
    EXPECT_NE(rs.GetLastError(), "");
    EXPECT_EQ(rs.Close(), 1);
}

TEST_P(RecordsetTest, FieldNamesResolveWithoutRegardToCase) {
    Fill(3);
    CAdoRecordset rs;
    Open(rs, "select KeyId,Name from Item order by keyid");
    for (int key = 1; !rs.IsEOF(); ++key, rs.MoveNext()) {
        // Spellings mixed and out of select order, as the screens use them.
        EXPECT_EQ(rs.GetInt("keyid"), key);
        EXPECT_EQ(rs.GetText("NAME"), "n" + std::to_string(key));
        EXPECT_EQ(rs.GetInt("KeyId"), key);
        EXPECT_EQ(rs.GetInt("Keyid"), key);
        EXPECT_EQ(rs.GetText("name"), "n" + std::to_string(key));
    }
    Open(rs, "select Name,KeyId from Item where KeyId=2");
    EXPECT_EQ(rs.GetInt("keyid"), 2) << "a new select resolves names afresh";
    EXPECT_EQ(rs.GetString("Nope"), nullptr);
    EXPECT_NE(rs.GetLastError().find("Nope"), std::string::npos);
    EXPECT_EQ(rs.GetInt("Nope"), 0);
    EXPECT_FALSE(rs.IsEOF()) << "an unknown field does not end the records";
}

TEST_P(RecordsetTest, FieldsByPosition) {
    ExecuteOrFail(m_db, "insert into Item(KeyId,Name) values (5,'e')");
    CAdoRecordset rs;
    Open(rs, "select KeyId,' ',Name,Score,Made from Item");
    ASSERT_EQ(rs.GetFieldCount(), 5);
    EXPECT_TRUE(GbkEqualNoCase(rs.GetFieldName(0), "KeyId"));
    EXPECT_TRUE(GbkEqualNoCase(rs.GetFieldName(2), "Name"));
    EXPECT_STREQ(rs.GetFieldValue(0), "5");
    EXPECT_STREQ(rs.GetFieldValue(1), " ");
    EXPECT_STREQ(rs.GetFieldValue(2), "e");
    EXPECT_EQ(rs.GetFieldValue(3), nullptr);
    EXPECT_EQ(rs.GetFieldValue(5), nullptr);
    EXPECT_FALSE(rs.IsTextField(0));
    EXPECT_TRUE(rs.IsTextField(2));
    EXPECT_FALSE(rs.IsTextField(3));
    EXPECT_FALSE(rs.IsTextField(4));
}

TEST_P(RecordsetTest, DatesInTheUsersLocaleWithoutShifting) {
    // A zone far from UTC shows any conversion between local time and UTC.
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    ExecuteOrFail(m_db, "insert into Item(KeyId,Made) values (1,'2024-01-05 10:03:07')");
    CAdoRecordset rs;
    Open(rs, "select Made from Item");
    EXPECT_STREQ(rs.GetString("Made"), "2024/1/5 10:03:07");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Open(rs, "select Made from Item");
    EXPECT_STREQ(rs.GetString("Made"), "05.01.24 10:03:07");
    rs.Close();
    QLocale::setDefault(QLocale::system());
    qputenv("TZ", oldZone);
    tzset();
}

TEST_P(RecordsetTest, FailedOpenEndsTheRecords) {
    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    EXPECT_EQ(rs.Open("selec KeyId from Item"), 0);
    EXPECT_NE(rs.GetLastError().find("syntax"), std::string::npos) << Utf8(rs.GetLastError());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetString("KeyId"), nullptr);
    rs.MoveNext();
    EXPECT_EQ(rs.Close(), 1);
    EXPECT_EQ(rs.Open("select KeyId from NoSuchTable"), 0);
    EXPECT_NE(QString::fromStdString(rs.GetLastError()).toLower().indexOf(u"nosuchtable"), -1)
        << "the database names what is wrong: " << Utf8(rs.GetLastError());
}

TEST_P(RecordsetTest, WithoutSelectOrConnection) {
    CAdoRecordset never;
    EXPECT_TRUE(never.IsEOF());
    EXPECT_EQ(never.Close(), 0);
    EXPECT_EQ(never.GetLastError(), "");
    EXPECT_EQ(never.GetString("x"), nullptr);
    EXPECT_EQ(never.GetInt("x"), 0);
    CAdoRecordset unconnected;
    EXPECT_EQ(unconnected.Open("select 1"), 0);
    EXPECT_EQ(unconnected.GetLastError(), "Connection Not open!\r\n");
    EXPECT_TRUE(unconnected.IsEOF());
}

TEST_P(RecordsetTest, EmptyResultKeepsItsFieldNames) {
    CAdoRecordset rs;
    Open(rs, "select KeyId,Name from Item");
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetFieldCount(), 2);
    EXPECT_TRUE(GbkEqualNoCase(rs.GetFieldName(1), "Name"));
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
    EXPECT_EQ(rs.Close(), 1);

    Open(rs, sql);
    int rows = 0;
    for (; !rs.IsEOF() && rows < 2000; rs.MoveNext())
        ++rows;
    EXPECT_EQ(rows, 999) << "the failing row ends the records";
    EXPECT_NE(rs.GetLastError(), "");
}

TEST_P(RecordsetTest, OtherStatementsWhileReadingLoseNoRows) {
    Fill(50);
    CAdoRecordset outer;
    Open(outer, "select KeyId,Name from Item order by KeyId");
    int seen = 0;
    while (!outer.IsEOF()) {
        ++seen;
        EXPECT_EQ(outer.GetInt("KeyId"), seen);
        if (seen == 10) {
            ExecuteOrFail(m_db, "update Item set Score=0 where KeyId=30");
            CAdoRecordset inner;
            Open(inner, "select Score from Item where KeyId=30");
            EXPECT_EQ(inner.GetInt("Score"), 0);
        }
        outer.MoveNext();
    }
    EXPECT_EQ(seen, 50);
    EXPECT_EQ(outer.GetLastError(), "");
}

TEST_P(RecordsetTest, ReaderKeepsTheConnectionAfterTheHostClosesIt) {
    Fill(3);
    CAdoRecordset rs;
    Open(rs, "select KeyId from Item order by KeyId");
    m_db.Close();
    EXPECT_FALSE(m_db.IsOpen());
    int count = 0;
    for (; !rs.IsEOF(); rs.MoveNext())
        EXPECT_EQ(rs.GetInt("KeyId"), ++count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(m_db.Execute("select 1"), 0);
    EXPECT_EQ(m_db.GetLastError(), "Connection Not open!\r\n");
}

NIMBREL_ON_BOTH_ENGINES(RecordsetTest);

} // namespace
