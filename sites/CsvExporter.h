#pragma once
// Writes the result of any select on the host's database as comma-separated
// text, for a spreadsheet: a header line of the field names, then one line
// per record, GBK, CR LF, no byte-order mark; an existing file is replaced.
// Text and binary fields are always quoted, with their double quotes doubled
// (a NULL text is ""); numbers and dates are not quoted (NULL gives nothing),
// dates in the user's locale format. Nothing else is escaped.
//
// The records are written as they are read: memory stays flat however many
// there are.
//
//     CCsvExporter exporter;
//     exporter.SetDatabase(database);
//     exporter.ExportQuery("select Keyid,Name from SiteData", "/home/u/sites.csv");
#include <string>

class CAdoDatabase;

class CCsvExporter {
public:
    int SetDatabase(CAdoDatabase* database) {
        m_database = database;
        return 1;
    }

    // 1 when every record was written. 0 without a database (no file is
    // made), when the file cannot be created, when the select cannot be
    // opened (the file stays, empty), or when reading or writing breaks off
    // (the file keeps what was written before).
    int ExportQuery(const std::string& select, const std::string& path);

private:
    CAdoDatabase* m_database = nullptr;
};
