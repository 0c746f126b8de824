#include "tasks/PublishLaunch.h"

#include "database/AdoDatabase.h"
#include "platform/FileError.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"
#include "settings/IniFile.h"
#include "settings/PrivateFile.h"
#include "toolkit/WorkerTaskFile.h"

namespace {

constexpr const char* kSiteSelect =
    "select keyid,Name from SiteData where isSelected=1 and AutoPublish=1 ";

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
    const std::string taskPath = HostPath("data/nimbrel" + key + ".tsk");
    int count = 0, error = 0;
    {
        CWaitCursor wait;
        count = WriteWorkerTaskFile(database, kSiteSelect, taskPath, error);
    }
    // Korvald.exe reads the file whole: it starts only on a complete one.
    if (count < 0) {
        AfxMessageBox(FileCreateErrorMessage(taskPath, error), MB_OK, owner);
        return;
    }
    if (database)
        database->Execute("update Nimbrel set TotalCount=" + std::to_string(count) +
                          " where keyid=" + key);
    HandOverConnection(database);
    StartProgram(HostPath("Korvald.exe"), "task=Nimbrel&Keyid=" + key);
}
