#pragma once
// Publishing a task: the module posts nothing itself. It writes the sites
// the task goes to into data/nimbrel<K>.tsk (one line "key,name" CR LF per
// site that is chosen and set for automatic publishing, in the database's
// order), records their number as the task's TotalCount, hands the
// connection string over in database.ini ([Korvald] Connect, a file that
// only its owner may read), and starts Korvald.exe from the host folder with
// the one argument "task=Nimbrel&Keyid=K", without waiting for it.
//
// When the task file cannot be written whole, a message names the file and
// the reason, the previous file stays, and nothing else happens (see
// toolkit/WorkerTaskFile.h). Everything after that goes on
// whatever its result: a failed site select gives an empty file, and
// neither the update, nor database.ini, nor the start is reported.
#include <string>

class CAdoDatabase;
class CWnd;

// key is the task's key as the task list shows it (decimal text); owner the
// window of the message.
void LaunchPublishing(CWnd* owner, CAdoDatabase* database, const std::string& key);
