#include "sites/CsvExporter.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/CodePage.h"
#include "sites/CsvField.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The name each item of the select list ends with, as the select text spells
// it: "Keyid", "t.Keyid" and "count(*) as Keyid" all give Keyid; an item that
// ends otherwise gives an empty name. Commas inside parentheses or quotes do
// not split items; the list ends at the first "from" outside them.
std::vector<std::string> SelectListNames(std::string_view select) {
    std::vector<std::string> names;
    size_t start = select.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || select.size() - start < 7 ||
        !GbkEqualNoCase(select.substr(start, 6), "select") || IsNameChar(select[start + 6]))
        return names;
    start += 6;
    auto addItem = [&](size_t end) {
        size_t last = select.find_last_not_of(" \t\r\n", end - 1);
        size_t first = last;
        while (first != std::string_view::npos && first >= start && IsNameChar(select[first]))
            --first;
        names.emplace_back(last < start ? std::string_view()
                                        : select.substr(first + 1, last - first));
    };
    int depth = 0;
    char quote = 0;
    for (size_t i = start; i < select.size(); ++i) {
        const char c = select[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && c == ',') {
            addItem(i);
            start = i + 1;
        } else if (depth == 0 && !IsNameChar(select[i - 1]) &&
                   GbkEqualNoCase(select.substr(i, 4), "from") &&
                   (i + 4 == select.size() || !IsNameChar(select[i + 4]))) {
            addItem(i);
            break;
        }
    }
    return names;
}

// The field names as the database reports them, except that a name the
// select text spells in other letter case takes the select's spelling: the
// server folds unquoted names to lower case, and a spreadsheet user expects
// the header "Keyid,Name,..." the select asked for, whichever engine ran it.
std::vector<std::string> HeaderNames(CAdoRecordset& records, const std::string& select) {
    const std::vector<std::string> spelled = SelectListNames(select);
    std::vector<std::string> names;
    for (int i = 0; i < records.GetFieldCount(); ++i) {
        const std::string& reported = records.GetFieldName(i);
        const bool respell =
            size_t(i) < spelled.size() && GbkEqualNoCase(spelled[size_t(i)], reported);
        names.push_back(respell ? spelled[size_t(i)] : reported);
    }
    return names;
}

// The line and its CR LF; false when the file did not take them.
bool WriteLine(std::FILE* file, std::string& line) {
    line += "\r\n";
    return std::fwrite(line.data(), 1, line.size(), file) == line.size();
}

} // namespace

int CCsvExporter::ExportQuery(const std::string& select, const std::string& path) {
    if (!m_database)
        return 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file)
        return 0;
    CAdoRecordset records;
    records.SetConnection(m_database->GetConnection());
    if (!records.Open(select))
        return 0;

    const std::vector<std::string> names = HeaderNames(records, select);
    std::string line;
    for (size_t i = 0; i < names.size(); ++i)
        line += (i > 0 ? "," : "") + names[i];
    if (!WriteLine(file.get(), line))
        return 0;
    const int fields = records.GetFieldCount();
    std::vector<bool> quoted;
    for (int i = 0; i < fields; ++i)
        quoted.push_back(records.IsTextField(i));
    for (; !records.IsEOF(); records.MoveNext()) {
        line.clear();
        for (int i = 0; i < fields; ++i) {
            if (i > 0)
                line += ',';
            const char* value = records.GetFieldValue(i);
            if (quoted[size_t(i)])
                AppendQuotedField(line, value);
            else if (value)
                line += value;
        }
        if (!WriteLine(file.get(), line))
            return 0;
    }
    // The records end early when reading breaks off; the error says so.
    const bool complete = records.GetLastError().empty();
    records.Close();
    return std::fclose(file.release()) == 0 && complete ? 1 : 0;
}
