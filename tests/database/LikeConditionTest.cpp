// Like conditions that match the same rows on both engines.
#include "database/LikeCondition.h"

#include "database/AdoDatabase.h"
#include "tests/database/support/TestDatabase.h"

namespace {

class LikeConditionTest : public OpenedDatabaseTest {
protected:
    // Keys of the rows whose Path matches the pattern, in key order.
    std::vector<Row> Matching(const std::string& pattern) {
        return ReadRows(m_db, "select KeyId from T where " +
                                  BuildLikeCondition(&m_db, "Path", pattern) + " order by KeyId");
    }
};

TEST_P(LikeConditionTest, BackslashOrdinaryWildcardsAndAsciiCaseAlikeOnBothEngines) {
    ExecuteOrFail(m_db, "create table T (KeyId integer, Path text)");
    ExecuteOrFail(m_db, "insert into T values (1,'/A\\B/'),(2,'/A\\/'),(3,'/A/'),(4,'/a\\b/'),"
                        "(5,'/A_B/'),(6,'/AxB/'),(7,'/A%B/'),(8,'/信息网/x'),(9,'/Α/'),"
                        "(10,'/α/'),(11,'/Ａ/'),(12,'/ａ/'),(13,'/x''; drop table T; --/'),"
                        "(14,NULL)");
    std::vector<Row> allButNull;
    for (int key = 1; key <= 13; ++key)
        allButNull.push_back({std::to_string(key)});
    const std::pair<std::string, std::vector<Row>> cases[] = {
        {"/A\\B/%", {{"1"}, {"4"}}},
        {"/A\\/%", {{"2"}}},
        {"/a_b/%", {{"1"}, {"4"}, {"5"}, {"6"}, {"7"}}},
        {"/A%B/", {{"1"}, {"4"}, {"5"}, {"6"}, {"7"}}},
        {"/信息网%", {{"8"}}},
        {"/Α/%", {{"9"}}},
        {"/ａ/%", {{"12"}}},
        {"/x'; drop table T; --/%", {{"13"}}},
        {"%", allButNull},
    };
    for (const auto& [pattern, keys] : cases)
        EXPECT_EQ(Matching(pattern), keys) << Utf8(pattern);
}

NIMBREL_ON_BOTH_ENGINES(LikeConditionTest);

} // namespace
