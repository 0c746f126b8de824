#include "toolkit/WorkerTaskFile.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "settings/FileWriter.h"

#include <algorithm>

int WriteWorkerTaskFile(CAdoDatabase* database, const std::string& select, const std::string& path,
                        int& error) {
    CAdoRecordset sites;
    sites.SetConnection(database ? database->GetConnection() : nullptr);
    sites.Open(select);
    std::string lines;
    int count = 0;
    for (; !sites.IsEOF(); sites.MoveNext()) {
        ++count;
        std::string name = sites.GetText("Name");
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        lines += sites.GetText("KeyId") + "," + name + "\r\n";
    }
    sites.Close();
    CFileWriter writer;
    if (writer.Replace(path, lines))
        return count;
    error = writer.LastError();
    return -1;
}
