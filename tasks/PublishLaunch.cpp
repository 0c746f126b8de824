#include "tasks/PublishLaunch.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/FileError.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"
#include "settings/IniFile.h"
#include "settings/PrivateFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

constexpr const char* kSiteSelect =
    "select keyid,Name from SiteData where isSelected=1 and AutoPublish=1 ";

// Writes the line of every target site; the number of lines, or -1 when a
// write failed (errno tells why).
int WriteTargetSites(CAdoDatabase* database, std::FILE* file) {
    CAdoRecordset sites;
    sites.SetConnection(database ? database->GetConnection() : nullptr);
    sites.Open(kSiteSelect); // a failed select reads as no sites
    int count = 0;
    for (; !sites.IsEOF(); sites.MoveNext()) {
        ++count;
        const std::string line = sites.GetText("KeyId") + "," + sites.GetText("Name") + "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size())
            return -1;
    }
    sites.Close();
    return count;
}

void HandOverConnection(CAdoDatabase* database) {
    const std::string path = HostPath("database.ini");
    CIniFile ini;
    if (ini.Load(path) == EIniLoad::Unreadable)
        return; // saving would lose what could not be read
    ini.SetString("Korvald", "Connect", database ? database->GetConnectionString() : "");
    // The string may hold a password.
    if (MakePrivateFile(path))
        ini.Save(path);
}

} // namespace

void LaunchPublishing(CWnd* owner, CAdoDatabase* database, const std::string& key) {
    const std::string parameters = "task=Nimbrel&Keyid=" + key;
    const std::string program = HostPath("Korvald.exe");
    const std::string taskPath = HostPath("data/nimbrel" + key + ".tsk");

    FilePtr taskFile(std::fopen(taskPath.c_str(), "wb"), &std::fclose);
    if (!taskFile) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, errno), MB_OK, owner);
        return;
    }
    CWaitCursor wait;
    int count = WriteTargetSites(database, taskFile.get());
    // Korvald.exe reads the file whole, so it is closed before the start.
    if (count < 0 || std::fclose(taskFile.release()) != 0) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, errno), MB_OK, owner);
        return;
    }
    if (database)
        database->Execute("update Nimbrel set TotalCount=" + std::to_string(count) +
                          " where keyid=" + key);
    HandOverConnection(database);
    StartProgram(program, parameters);
}
