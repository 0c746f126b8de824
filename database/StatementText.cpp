#include "database/StatementText.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// Letters, "_" and every byte of a non-ASCII character.
bool IsWordStart(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_' || b >= 0x80;
}
bool IsWordPart(char c) {
    return IsWordStart(c) || IsDigit(c) || c == '$';
}

class Scanner {
public:
    Scanner(std::string_view sql, DbEngine engine)
        : m_sql(sql.substr(0, sql.find('\0'))), m_postgres(engine == DbEngine::PostgreSQL) {}

    StatementScan Run() const {
        StatementScan scan;
        bool inStatement = false;
        for (size_t i = 0; i < m_sql.size();) {
            if (IsBlank(m_sql[i])) {
                ++i;
            } else if (At(i, "--")) {
                i = SkipLineComment(i);
            } else if (At(i, "/*")) {
                i = SkipBlockComment(i);
            } else if (m_sql[i] == ';') {
                if (inStatement)
                    scan.position = i + 1;
                inStatement = false;
                ++i;
            } else {
                if (!inStatement && scan.count == StatementScan::Count::One)
                    return {StatementScan::Count::Several, i};
                if (!inStatement)
                    scan = {StatementScan::Count::One, m_sql.size()};
                inStatement = true;
                i = SkipToken(i);
            }
        }
        return scan;
    }

private:
    bool At(size_t i, std::string_view text) const { return m_sql.substr(i, text.size()) == text; }
    char CharAt(size_t i) const { return i < m_sql.size() ? m_sql[i] : '\0'; }

    // A double-byte character is one character: its second byte may look
    // like ASCII (a backslash, a letter) but is none.
    size_t CharLength(size_t i) const {
        const auto lead = static_cast<unsigned char>(CharAt(i));
        const auto trail = static_cast<unsigned char>(CharAt(i + 1));
        const bool pair =
            lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
        return pair ? 2 : 1;
    }

    // The position after the token that starts at i.
    size_t SkipToken(size_t i) const {
        const char c = m_sql[i];
        if (c == '\'' || c == '"')
            return SkipQuoted(i, c, false);
        if (m_postgres && (c == 'E' || c == 'e') && CharAt(i + 1) == '\'')
            return SkipQuoted(i + 1, '\'', true);
        if (m_postgres && c == '$')
            return SkipDollar(i);
        if (!m_postgres && c == '`')
            return SkipQuoted(i, c, false);
        if (!m_postgres && c == '[') {
            size_t j = i + 1;
            while (j < m_sql.size() && m_sql[j] != ']')
                j += CharLength(j);
            return std::min(j + 1, m_sql.size());
        }
        if (IsDigit(c) || (c == '.' && IsDigit(CharAt(i + 1))))
            return SkipNumber(i);
        if (IsWordStart(c)) {
            size_t j = i + CharLength(i);
            while (j < m_sql.size() && IsWordPart(m_sql[j]))
                j += CharLength(j);
            return j;
        }
        return i + 1; // an operator or a punctuation character
    }

    // Quoted from i to the next unpaired quote; with escapes, a backslash
    // takes the character after it along.
    size_t SkipQuoted(size_t i, char quote, bool escapes) const {
        for (size_t j = i + 1; j < m_sql.size();) {
            if (escapes && m_sql[j] == '\\') {
                j += 1 + CharLength(j + 1);
            } else if (m_sql[j] == quote) {
                if (CharAt(j + 1) != quote)
                    return j + 1;
                j += 2;
            } else {
                j += CharLength(j);
            }
        }
        return m_sql.size();
    }

    size_t SkipLineComment(size_t i) const {
        const size_t end = m_sql.find_first_of(m_postgres ? "\n\r" : "\n", i);
        return end == std::string_view::npos ? m_sql.size() : end;
    }

    size_t SkipBlockComment(size_t i) const {
        int depth = 1;
        for (size_t j = i + 2; j < m_sql.size();) {
            if (At(j, "*/")) {
                j += 2;
                if (--depth == 0)
                    return j;
            } else if (m_postgres && At(j, "/*")) {
                ++depth;
                j += 2;
            } else {
                ++j;
            }
        }
        return m_sql.size();
    }

    // "$tag$...$tag$" or "$$...$$" quotes everything up to the same
    // delimiter; "$1" is a parameter; any other "$" stands alone.
    size_t SkipDollar(size_t i) const {
        size_t j = i + 1;
        if (IsWordStart(CharAt(j)))
            while (IsWordStart(CharAt(j)) || IsDigit(CharAt(j)))
                j += CharLength(j);
        if (CharAt(j) == '$') {
            const std::string_view delimiter = m_sql.substr(i, j + 1 - i);
            return EndOf(m_sql.find(delimiter, j + 1), delimiter.size());
        }
        if (j == i + 1)
            while (IsDigit(CharAt(j)))
                ++j;
        return j;
    }

    // Digits with a decimal point and an exponent. What follows starts a
    // token of its own, as on the server: 1e'x' is 1 and the string e'x'.
    size_t SkipNumber(size_t i) const {
        size_t j = i;
        while (IsDigit(CharAt(j)))
            ++j;
        if (CharAt(j) == '.')
            for (++j; IsDigit(CharAt(j));)
                ++j;
        if (CharAt(j) == 'e' || CharAt(j) == 'E') {
            size_t k = j + 1;
            if (CharAt(k) == '+' || CharAt(k) == '-')
                ++k;
            if (IsDigit(CharAt(k)))
                for (j = k; IsDigit(CharAt(j));)
                    ++j;
        }
        return j;
    }

    size_t EndOf(size_t found, size_t length) const {
        return found == std::string_view::npos ? m_sql.size() : found + length;
    }

    std::string_view m_sql;
    bool m_postgres;
};

} // namespace

StatementScan ScanStatements(std::string_view sql, DbEngine engine) {
    return Scanner(sql, engine).Run();
}
