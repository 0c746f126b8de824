#pragma once
// What the host and the module share: the parameter record that every export
// takes, and the exports themselves. An export builds a screen object without
// a window; the host creates the window as a child of its own, later destroys
// it with DestroyWindow and then deletes the object.
class CAdoDatabase;
class CWnd;

// Read only during the call: the caller may reuse or drop it afterwards.
struct HostParameters {
    const char* parameterText; // "path?name=value&name=value" in GBK, may be null
    CAdoDatabase* database;    // the host's open database object
};

extern "C" {
using ScreenExport = CWnd* (*)(const HostParameters*);

CWnd* editCompany(const HostParameters* parameters);
CWnd* listSiteData(const HostParameters* parameters);
CWnd* listPublishTask(const HostParameters* parameters);
}
