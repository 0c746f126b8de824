// New keys while other programs insert into the same tables.
#include "database/KeyedInsert.h"

#include "database/AdoDatabase.h"
#include "database/Schema.h"
#include "database/SqlStatement.h"
#include "tests/database/support/TestDatabase.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

constexpr int kRowsPerWriter = 300;

// One of the writers of the test below, run as a program of its own (the
// test program started again for this test alone). It adds tasks the way
// the task editor does (insert, learn the key, update the row by it) and
// categories the way the category tree does (next key, insert).
TEST(KeyWriter, DISABLED_AddRowsAsOneOfSeveralPrograms) {
    const std::string name = qEnvironmentVariable("NIMBREL_KEY_WRITER").toStdString();
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(qEnvironmentVariable("NIMBREL_KEY_WRITER_CONNECT").toStdString()))
        << db.GetLastError();
    for (int i = 0; i < kRowsPerWriter; ++i) {
        const std::string text = name + " " + std::to_string(i);
        CSqlInsert task;
        task.SetTableName("Nimbrel");
        task.SetText("Title", text);
        const int key = InsertAndGetKey(&db, task);
        ASSERT_GT(key, 0) << db.GetLastError();
        CSqlUpdate update;
        update.SetTableName("Nimbrel");
        update.SetText("Comment", text);
        update.AddWhere(" KeyId=" + std::to_string(key) + " ");
        ASSERT_EQ(db.Execute(update.BuildSql()), 1) << db.GetLastError();

        CSqlInsert category;
        category.SetTableName("NimbrelClass");
        category.SetText("Name", text);
        ASSERT_GT(InsertWithNextKey(&db, category), 0) << db.GetLastError();
    }
}

class KeyedInsertTest : public SchemaDatabaseTest {};

TEST_P(KeyedInsertTest, KeysComeWithTheirRowsAndEndAtTheLargestKey) {
    CSqlInsert task;
    task.SetTableName("Nimbrel");
    task.SetText("Title", "a");
    EXPECT_EQ(InsertAndGetKey(&m_db, task), 1);
    EXPECT_EQ(InsertAndGetKey(&m_db, task), 2);
    CSqlInsert category;
    category.SetTableName("NimbrelClass");
    category.SetText("Name", "c");
    EXPECT_EQ(InsertWithNextKey(&m_db, category), 1);
    EXPECT_EQ(InsertWithNextKey(&m_db, category), 2);

    // Failures store nothing and leave the reason.
    CSqlInsert missing;
    missing.SetTableName("Missing");
    missing.SetText("Name", "m");
    EXPECT_EQ(InsertAndGetKey(&m_db, missing), -1);
    EXPECT_NE(m_db.GetLastError(), "");
    EXPECT_EQ(InsertWithNextKey(&m_db, missing), -1);
    EXPECT_NE(m_db.GetLastError(), "");
    EXPECT_EQ(InsertAndGetKey(nullptr, task), -1);
    ExecuteOrFail(m_db, "insert into NimbrelClass(KeyId,Name) values (2147483647,'last')");
    EXPECT_EQ(InsertWithNextKey(&m_db, category), -1);
    EXPECT_EQ(m_db.GetLastError(),
              "No key is left in NimbrelClass: its highest key is 2147483647, and keys end at "
              "2147483647.");
    EXPECT_EQ(CountRows(m_db, "NimbrelClass"), 3);
    EXPECT_EQ(m_db.Execute("insert into Nimbrel(Title) values ('next')"), 1)
        << "no transaction is left open";

    // Keys of 64 bits do not wrap around into 32.
    ExecuteOrFail(m_db, "create table Wide (KeyId bigint, Name text)");
    ExecuteOrFail(m_db, "insert into Wide values (4294967297,'w')");
    EXPECT_EQ(GetMaxKeyId(&m_db, "Wide"), -1);
    CSqlInsert wide;
    wide.SetTableName("Wide");
    wide.SetText("Name", "x");
    EXPECT_EQ(InsertAndGetKey(&m_db, wide), -1);
    EXPECT_EQ(CountRows(m_db, "Wide"), 1);
}

// Rows stored with keys of their own (tasks or sites moved in from another
// database) leave PostgreSQL's key sequence behind them: the next row still
// gets a key above them, and the key learned is that row's.
TEST_P(KeyedInsertTest, RowsStoredWithTheirOwnKeysDoNotMisleadTheNextKey) {
    ExecuteOrFail(m_db, "insert into Nimbrel(KeyId,Title) values (5,'moved'),(9,'moved')");
    CSqlInsert task;
    task.SetTableName("Nimbrel");
    task.SetText("Title", "new");
    EXPECT_EQ(InsertAndGetKey(&m_db, task), 10);
    EXPECT_EQ(ReadRows(m_db, "select KeyId from Nimbrel where Title='new'"),
              (std::vector<Row>{{"10"}}));
}

// Two programs add tasks and categories at the same time: each learns the
// keys of its own rows, so every row holds the texts of the program and
// the step that added it, and no category insert meets a taken key.
TEST_P(KeyedInsertTest, TwoProgramsAddingAtOnceEachGetTheirOwnKeys) {
    std::string connect = m_test.ConnectionString();
    if (GetParam() == Engine::SQLite)
        connect = "Provider=SQLite;Data Source=" + m_test.HostFolder().Path("data/test.db");
    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NIMBREL_KEY_WRITER"), QString(QChar(u'a' + i)));
        environment.insert(QStringLiteral("NIMBREL_KEY_WRITER_CONNECT"),
                           QString::fromStdString(connect));
        writers[i].setProcessEnvironment(environment);
        writers[i].setProcessChannelMode(QProcess::MergedChannels);
        writers[i].start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--gtest_also_run_disabled_tests"),
                          QStringLiteral("--gtest_filter=KeyWriter.*")});
    }
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(300000));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAll().toStdString();
    }
    const std::string rows = std::to_string(2 * kRowsPerWriter);
    EXPECT_EQ(ReadRows(m_db, "select count(*),count(distinct KeyId),count(distinct Title) from "
                             "Nimbrel where Comment=Title"),
              (std::vector<Row>{{rows, rows, rows}}));
    EXPECT_EQ(ReadRows(m_db, "select count(*),count(distinct Name) from NimbrelClass"),
              (std::vector<Row>{{rows, rows}}));
}

NIMBREL_ON_BOTH_ENGINES(KeyedInsertTest);

} // namespace
