#include "host/HostDatabase.h"

#include "database/AdoDatabase.h"
#include "database/ConnectionString.h"
#include "database/Schema.h"
#include "database/SqlStatement.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QDir>
#include <ctime>

namespace {

bool Run(CAdoDatabase& db, const std::string& sql, std::string& error) {
    if (db.Execute(sql))
        return true;
    error = sql + "\r\n" + db.GetLastError();
    return false;
}

std::string Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

struct DemoSite {
    const char* name;
    int score;
    const char* userName;
    const char* registerStatus;
    const char* homepage;
    int selected;
    int needRegister;
    int autoPublish;
    const char* classPath;
};

// Sites under "/信息网" appear in the site list; the last two lie outside it.
const DemoSite kSites[] = {
    {"华东商务信息网", 86, "", "", "http://huadong.example.com/", 1, 1, 1, "/信息网/综合/"},
    {"中华供求信息网", 92, "nimbrel01", "注册成功", "http://gongqiu.example.com/", 1, 0, 1,
     "/信息网/综合/"},
    {"全国企业黄页", 78, "", "", "http://huangye.example.com/", 1, 1, 0, "/信息网/综合/"},
    {"商机快讯网", 65, "", "", "http://shangji.example.com/", 0, 1, 0, "/信息网/综合/"},
    {"南方产品信息网", 71, "nimbrel01", "注册成功", "http://nanfang.example.com/", 1, 0, 1,
     "/信息网/综合/"},
    {"机械设备信息网", 80, "", "", "http://jixie.example.com/", 1, 1, 1, "/信息网/行业/"},
    {"电子元件交易网", 74, "nimbrel01", "注册失败", "http://dianzi.example.com/", 0, 1, 1,
     "/信息网/行业/"},
    {"五金建材信息网", 69, "", "", "http://wujin.example.com/", 0, 0, 0, "/信息网/行业/"},
    {"化工原料供求网", 83, "", "", "http://huagong.example.com/", 1, 1, 0, "/信息网/行业/"},
    {"纺织服装商务网", 58, "", "", "http://fangzhi.example.com/", 0, 1, 1, "/信息网/行业/"},
    {"行业交流论坛", 60, "", "", "http://luntan.example.com/", 1, 1, 1, "/论坛/"},
    {"企业博客平台", 55, "", "", "http://boke.example.com/", 1, 0, 1, "/博客/"},
};

struct DemoCategory {
    int key;
    int parent;
    const char* name;
    const char* classPath; // as the category tree stores it: no trailing "/"
};

const DemoCategory kCategories[] = {
    {1, 0, "产品供应", "/产品供应"},          {2, 0, "求购信息", "/求购信息"},
    {3, 0, "企业动态", "/企业动态"},          {4, 1, "机械设备", "/产品供应/机械设备"},
    {5, 1, "电子元件", "/产品供应/电子元件"},
};

struct DemoTask {
    int category;
    const char* classPath; // as tasks store it: with a trailing "/"
    const char* title;
    const char* content;
};

const DemoTask kTasks[] = {
    {4, "/产品供应/机械设备/", "供应数控车床",
     "本公司常年供应各种型号数控车床，质量可靠，价格优惠。\r\n欢迎来电洽谈。"},
    {2, "/求购信息/", "求购贴片电阻", "长期求购各种规格贴片电阻，要求原装正品。"},
};

bool InsertSites(CAdoDatabase& db, std::string& error) {
    for (const DemoSite& site : kSites) {
        CSqlInsert insert;
        insert.SetTableName("SiteData");
        insert.SetText("Name", site.name);
        insert.SetNumber("Score", site.score);
        insert.SetText("UserName", site.userName);
        insert.SetText("UserPass", *site.userName ? "demo2024" : "");
        insert.SetText("RegisterStatus", site.registerStatus);
        insert.SetText("Homepage", site.homepage);
        insert.SetNumber("IsSelected", site.selected);
        insert.SetNumber("NeedRegister", site.needRegister);
        insert.SetNumber("AutoPublish", site.autoPublish);
        insert.SetText("ClassPath", site.classPath);
        if (!Run(db, insert.BuildSql(), error))
            return false;
    }
    return true;
}

bool InsertCategoriesAndTasks(CAdoDatabase& db, std::string& error) {
    for (const DemoCategory& category : kCategories) {
        CSqlInsert insert;
        insert.SetTableName("NimbrelClass");
        insert.SetNumber("KeyId", category.key);
        insert.SetNumber("ParentId", category.parent);
        insert.SetText("Name", category.name);
        insert.SetText("ClassPath", category.classPath);
        if (!Run(db, insert.BuildSql(), error))
            return false;
    }
    const std::string now = Now();
    for (const DemoTask& task : kTasks) {
        CSqlInsert insert;
        insert.SetTableName("Nimbrel");
        insert.SetText("Title", task.title);
        insert.SetText("Content", task.content);
        insert.SetText("Comment", "");
        insert.SetNumber("TaskClass", task.category);
        insert.SetText("ClassPath", task.classPath);
        insert.SetNumber("TaskStatus", 0);
        insert.SetText("CreateTime", now);
        insert.SetText("LastTime", now);
        if (!Run(db, insert.BuildSql(), error))
            return false;
    }
    return true;
}

} // namespace

bool SeedDemoData(CAdoDatabase& db, std::string& error) {
    for (const char* table : {"SiteData", "NimbrelClass", "Nimbrel"}) {
        int rows = CountRows(db, table, {}, &error);
        if (rows < 0)
            return false;
        if (rows > 0)
            return true;
    }
    return InsertSites(db, error) && InsertCategoriesAndTasks(db, error);
}

bool OpenHostDatabase(CAdoDatabase& db, const std::string& connectionString, std::string& error) {
    QDir().mkpath(FromPath(HostPath("data")));
    if (!db.Open(connectionString)) {
        error = db.GetLastError();
        return false;
    }
    bool ready = CreateSchema(db, error);
    if (ready && connectionString == kEmbeddedConnectionString)
        ready = SeedDemoData(db, error);
    if (!ready)
        db.Close();
    return ready;
}

std::string DescribeConnection(const std::string& connectionString, bool open) {
    return (open ? "数据库: " : "数据库未打开: ") + MaskConnectionPassword(connectionString);
}
