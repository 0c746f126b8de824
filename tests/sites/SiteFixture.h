#pragma once
// What the site directory's tests share: a fresh database of either engine
// with the tables and a few sites, the installation's form file in the
// temporary host folder, and the scripted seam.
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"

#include <string>
#include <vector>

// Keys are given by the database in insertion order: 1 to 5. The list shows
// the four under "/信息网", newest first: keys 5, 3, 2, 1 in rows 1 to 4.
class SiteTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        const std::string form = ReadFileBytes(NIMBREL_INSTALL_DATA "/res/SiteEditDlg.htm");
        ASSERT_NE(form, "");
        ASSERT_TRUE(Host().Write("res/SiteEditDlg.htm", form));
        const char* sites[] = {
            "('华东网',80,'old','pw','huadong.example.com',1,1,'/信息网/综合/')",
            "('Fruits供求',70,null,null,'file:///etc/passwd',0,1,'/信息网/')",
            "('南方网',60,null,null,'javascript:alert(1)',null,1,'/信息网/行业/')",
            "('论坛',50,null,null,'http://luntan.example',1,1,'/论坛/')",
            "('黄页',40,null,null,'',0,0,'/信息网/')",
        };
        for (const char* site : sites)
            ExecuteOrFail(m_db, std::string("insert into SiteData (Name,Score,UserName,UserPass,"
                                            "Homepage,IsSelected,NeedRegister,ClassPath) values ") +
                                    site);
    }

    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    std::string Value(const std::string& column, long long key) {
        std::vector<Row> rows = ReadRows(
            m_db, "select " + column + " from SiteData where KeyId=" + std::to_string(key));
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "NULL";
    }

    ScriptedInteraction m_seam;
};
