#include "sites/RegistrationLaunch.h"

#include "database/AdoDatabase.h"
#include "database/LikeCondition.h"
#include "platform/FileError.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"
#include "toolkit/WorkerTaskFile.h"

#include <string>

namespace {

// The chosen sites under "/信息网" that still need an account; no order.
std::string SiteSelect(const CAdoDatabase* database) {
    return std::string("select keyid,Name from SiteData where isSelected=1") +
           " and NeedRegister=1 " + " and " +
           BuildLikeCondition(database, "ClassPath", "/信息网%") + " ";
}

} // namespace

void LaunchRegistration(CAdoDatabase* database, CWnd* owner) {
    const std::string taskPath = HostPath("data/RegisterUser1.tsk");
    int count = 0, error = 0;
    {
        CWaitCursor wait;
        count = WriteWorkerTaskFile(database, SiteSelect(database), taskPath, error);
    }
    // Korvald.exe reads the file whole: it starts only on a complete one.
    if (count < 0) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, error), MB_OK, owner);
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
