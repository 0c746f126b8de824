#include "bench/RawRead.h"

#include <sqlite3.h>

std::vector<std::string> ReadRawTexts(const std::string& file, const std::string& selectUtf8,
                                      int rows, std::string& error) {
    static sqlite3* raw = [&file] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        return db;
    }();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw, selectUtf8.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(raw);
        return {};
    }
    const int columns = sqlite3_column_count(stmt);
    std::vector<std::string> texts;
    texts.reserve(size_t(rows) * size_t(columns));
    int read = 0;
    for (; read < rows && sqlite3_step(stmt) == SQLITE_ROW; ++read) {
        for (int i = 0; i < columns; ++i) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            texts.emplace_back(text ? text : "", size_t(sqlite3_column_bytes(stmt, i)));
        }
    }
    sqlite3_finalize(stmt);
    if (read != rows) {
        error = "too few rows";
        return {};
    }
    return texts;
}
