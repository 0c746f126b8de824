#include "sites/RegistrationLaunch.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/LikeCondition.h"
#include "platform/FileError.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The chosen sites under "/信息网" that still need an account; no order.
std::string SiteSelect(const CAdoDatabase* database) {
    return std::string("select keyid,Name from SiteData where isSelected=1") +
           " and NeedRegister=1 " + " and " +
           BuildLikeCondition(database, "ClassPath", "/信息网%") + " ";
}

// Writes one line per site; a select that cannot be opened writes none.
// The number of sites, or -1 when a write failed (errno tells why).
int WriteSites(CAdoDatabase* database, std::FILE* file) {
    CAdoRecordset sites;
    sites.SetConnection(database ? database->GetConnection() : nullptr);
    sites.Open(SiteSelect(database));
    int count = 0;
    for (; !sites.IsEOF(); sites.MoveNext()) {
        ++count;
        // A NULL key or name writes nothing for its part.
        const std::string line = sites.GetText("KeyId") + "," + sites.GetText("Name") + "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size())
            return -1;
    }
    return count;
}

} // namespace

void LaunchRegistration(CAdoDatabase* database, CWnd* owner) {
    const std::string taskPath = HostPath("data/RegisterUser1.tsk");
    FilePtr taskFile(std::fopen(taskPath.c_str(), "wb"), &std::fclose);
    if (!taskFile) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, errno), MB_OK, owner);
        return;
    }
    CWaitCursor wait;
    const int count = WriteSites(database, taskFile.get());
    // Korvald.exe reads the file whole, so it is closed before the start.
    if (count < 0 || std::fclose(taskFile.release()) != 0) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, errno), MB_OK, owner);
        return;
    }
    if (database)
        database->Execute("update RegisterUser set TotalCount=" + std::to_string(count) +
                          " where keyid=1");
    StartProgram(HostPath("Korvald.exe"), "task=RegisterUser&Keyid=1"); // a failure is not reported
}

void RestartRegistration(CAdoDatabase* database, CWnd* owner) {
    if (database)
        database->Execute("update RegisterUser set Progress=0 where keyid=1");
    LaunchRegistration(database, owner);
}
