#pragma once
// Hands the registration of accounts to Korvald.exe: the chosen sites under
// "/信息网" that still need an account go into data/RegisterUser1.tsk below
// the host folder (one line each: key, ",", name as stored, CR LF, GBK; an
// empty file when there are none; see toolkit/WorkerTaskFile.h), their
// number into TotalCount of
// RegisterUser record 1, and Korvald.exe of the host folder is started with
// "task=RegisterUser&Keyid=1", without waiting for it. The file is complete
// and closed before the worker starts.
//
// A task file that cannot be written whole (the data folder is missing, the
// disk is full) is reported with the file's name and the reason, and the
// previous file stays; then nothing else happens: the folder is not created,
// TotalCount stays, nothing starts.
class CAdoDatabase;
class CWnd;

void LaunchRegistration(CAdoDatabase* database, CWnd* owner);
// The same after setting Progress of RegisterUser record 1 back to 0, for a
// run from the beginning; the reset stands even when the launch fails.
void RestartRegistration(CAdoDatabase* database, CWnd* owner);
