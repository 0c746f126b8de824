// "导出" of the site list and CCsvExporter on real files and databases of both
// engines.
#include "sites/CsvExporter.h"

#include "tests/sites/SiteListFixture.h"

#include <algorithm>

using namespace SiteIds;

namespace {

class SiteExportTest : public SiteScreenTest {
protected:
    // The lines after the header, sorted: the select has no order.
    static std::vector<std::string> Records(const std::string& csv) {
        std::vector<std::string> lines;
        size_t start = csv.find("\r\n");
        for (size_t end;
             start != std::string::npos && (end = csv.find("\r\n", start + 2)) != std::string::npos;
             start = end)
            lines.push_back(csv.substr(start + 2, end - start - 2));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    void Export(const std::string& path) {
        m_seam.ExpectFile(path);
        Press(kExport);
    }
};

const char kHeader[] = "Keyid,Name,UserName,UserPass\r\n";

} // namespace

TEST_P(SiteExportTest, ListedSitesAreWrittenQuotedWithTheQueryFilter) {
    ExecuteOrFail(m_db, "update SiteData set UserName='a\"b' where KeyId=2");
    Open();
    const std::string path = Host().Path("out/sites.csv");
    Host().Write("out/sites.csv", "an older export that is longer than the new one\r\n");
    Export(path);
    const FileDialogRequest& request = m_seam.FileRequests().at(0);
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.defaultExtension, ".csv");
    EXPECT_EQ(request.fileName, "");
    EXPECT_EQ(request.filter, "CSV文本文件 (*.csv)|*.csv|所有文件 (*.*)|*.*||");

    const std::string csv = Host().Read("out/sites.csv");
    EXPECT_EQ(csv.substr(0, sizeof kHeader - 1), kHeader)
        << "the select's spelling on both engines";
    EXPECT_EQ(Records(csv), (std::vector<std::string>{
                                "1,\"华东网\",\"old\",\"pw\"", "2,\"Fruits供求\",\"a\"\"b\",\"\"",
                                "3,\"南方网\",\"\",\"\"", "5,\"黄页\",\"\",\"\""}))
        << "keys unquoted, texts quoted, NULL texts as two quotes; only /信息网";
    EXPECT_EQ(m_seam.WaitCursorShown(), 1);

    Query("华东");
    Export(path);
    EXPECT_EQ(Host().Read("out/sites.csv"),
              std::string(kHeader) + "1,\"华东网\",\"old\",\"pw\"\r\n");
    Query("nothing like it");
    Export(path);
    EXPECT_EQ(Host().Read("out/sites.csv"), kHeader) << "an empty result keeps the header";
    m_seam.ExpectFileCancel();
    Press(kExport);
    EXPECT_EQ(Host().Read("out/sites.csv"), kHeader);
}

TEST_P(SiteExportTest, FailuresGiveZeroAndKeepWhatWasWritten) {
    CCsvExporter exporter;
    const std::string path = Host().Path("x.csv");
    EXPECT_EQ(exporter.ExportQuery("select KeyId from SiteData", path), 0) << "no database";
    EXPECT_FALSE(Host().Exists("x.csv"));
    EXPECT_EQ(exporter.SetDatabase(&m_db), 1);
    EXPECT_EQ(exporter.ExportQuery("select KeyId from SiteData", Host().Path("none/x.csv")), 0);
    EXPECT_FALSE(Host().Exists("none"));
    EXPECT_EQ(exporter.ExportQuery("select Nothing from SiteData", path), 0);
    EXPECT_EQ(Host().Read("x.csv"), "") << "the file stays, empty";
    EXPECT_TRUE(Host().Exists("x.csv"));

    // Reading breaks off at the third record (an integer overflow there). The
    // server finds it before the first row comes back; SQLite as it gets there.
    EXPECT_EQ(exporter.ExportQuery("select KeyId as n,abs(case when KeyId=3 then "
                                   "-9223372036854775807-1 else 1 end) as v from SiteData "
                                   "order by KeyId",
                                   path),
              0);
    EXPECT_EQ(Host().Read("x.csv"), GetParam() == Engine::SQLite ? "n,v\r\n1,1\r\n2,1\r\n" : "");
}

NIMBREL_ON_BOTH_ENGINES(SiteExportTest);
