#pragma once
// Reads one select record by record, forward only: rows come from the
// database as they are read, so a page of 200 rows never pulls a whole table.
// Lives on the stack of one operation:
//
//     CAdoRecordset rs;
//     rs.SetConnection(db->GetConnection());
//     if (rs.Open("select KeyId,Name from SiteData")) {
//         while (!rs.IsEOF()) {
//             int key = rs.GetInt("KeyId");
//             std::string name = rs.GetText("Name");
//             rs.MoveNext();
//         }
//     }
//     rs.Close();
//
// Values come out as GBK text: numbers as plain decimal text, dates and times
// in the user's locale format (short date, time with seconds). Field names are
// resolved without regard to case; each spelling is resolved once per select.
// If another statement runs on the same connection while this object is in
// the middle of its rows, the remaining rows are fetched into memory first,
// so nothing is lost. On SQLite the rows are stepped with SQLite's own
// statement, on the server with a Qt query (database/RowSource.h).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CAdoConnection;

class CAdoRecordset {
public:
    CAdoRecordset();
    virtual ~CAdoRecordset();
    CAdoRecordset(const CAdoRecordset&) = delete;
    CAdoRecordset& operator=(const CAdoRecordset&) = delete;

    // Holds its own reference to the connection (null lets it go).
    void SetConnection(CAdoConnection* connection);

    // 1 on success, 0 on failure (last error set; IsEOF is then true).
    // A select that is still open is closed first.
    int Open(const std::string& sql);
    // True at the end of the records, when nothing is open and after an error.
    bool IsEOF() const;
    void MoveNext();

    // The current record's value as text, or nullptr for NULL and on an error
    // (unknown field, no current record; the last error says which). The text
    // stays valid until the next GetString/GetFieldValue or the object's end.
    const char* GetString(std::string_view field);
    // The same as a copy; NULL and errors give "".
    std::string GetText(std::string_view field);
    // The value as a 32-bit integer; 0 for NULL and on an error. A real is
    // cut toward zero and a text read as atoi reads it; a value that does
    // not fit 32 bits is refused (0, and the last error names the field)
    // rather than cut to some of its bits.
    int GetInt(std::string_view field);

    // Access by position, for readers that take every column of every row.
    int GetFieldCount() const;                        // 0 when nothing is open
    const std::string& GetFieldName(int index) const; // as the database reports it
    // As GetString; length, when given, receives the text's length in bytes
    // (0 for NULL), so that a reader of many values need not count them.
    const char* GetFieldValue(int index, size_t* length = nullptr);
    bool IsTextField(int index) const; // text or binary column

    // 1 when closed or when the select is done with; 0 when nothing was ever opened.
    int Close();
    const std::string& GetLastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
