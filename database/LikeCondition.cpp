#include "database/LikeCondition.h"

#include "database/AdoDatabase.h"

namespace {

bool IsDoubleByte(unsigned char lead, unsigned char trail) {
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// The pattern as a quoted SQL text, its ASCII letters in lower case if asked.
std::string QuotedPattern(const std::string& pattern, bool lowerCase) {
    std::string quoted = "'";
    for (size_t i = 0; i < pattern.size(); ++i) {
        const auto c = static_cast<unsigned char>(pattern[i]);
        if (i + 1 < pattern.size() && IsDoubleByte(c, static_cast<unsigned char>(pattern[i + 1]))) {
            quoted.append(pattern, i++, 2);
        } else if (c == '\'') {
            quoted += "''";
        } else {
            quoted += char(lowerCase && c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    return quoted + "'";
}

} // namespace

std::string BuildLikeCondition(const CAdoDatabase* database, const std::string& column,
                               const std::string& pattern) {
    if (!database || database->GetProvider() != "PostgreSQL")
        return column + " like " + QuotedPattern(pattern, false);
    return "translate(" + column +
           ",'ABCDEFGHIJKLMNOPQRSTUVWXYZ','abcdefghijklmnopqrstuvwxyz') like " +
           QuotedPattern(pattern, true) + " escape ''";
}
