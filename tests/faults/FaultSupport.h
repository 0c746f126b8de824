#pragma once
// What the fault and hostile-data tests share: file systems of their own to
// fill up or make read-only, and the two list screens of one host on one
// database.
#include "sites/SiteListView.h"
#include "tasks/PublishTaskListView.h"
#include "tests/database/support/TestDatabase.h"

#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class CDialog;
class ScriptedInteraction;

// A small tmpfs as the host folder for the life of the object, with the
// faults a disk can have. The folder and its data/ and res/ start empty.
class SmallDisk {
public:
    explicit SmallDisk(const char* size = "8m");
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Empty when the disk is mounted and is the host folder.
    const std::string& Problem() const { return m_problem; }
    std::string Path(const std::string& relative = {}) const;
    bool Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

    // No byte more fits: a file takes every free block.
    bool Fill();
    // Every file and folder can be read, none written.
    bool SetReadOnly(bool readOnly);
    // The folder takes no new file, and none of its files can be renamed or
    // removed; the files in it can still be written. As root, whom folder
    // permissions do not stop, the folder is made immutable.
    bool CloseFolder(const std::string& relative);
    // Back to an empty, writable disk with open folders.
    bool Repair();

private:
    QTemporaryDir m_dir;
    std::string m_path;
    std::string m_problem;
    std::vector<std::string> m_closed;
};

// The two list screens of one host, side by side on one database, as the
// host shows them: the task list opens on its first top-level category.
class HostScreens {
public:
    explicit HostScreens(CAdoDatabase& db);
    ~HostScreens();

    CPublishTaskListView& Tasks() { return m_tasks; }
    CSiteListView& Sites() { return m_sites; }
    // Clicks a button of a screen's strip, as the user does.
    static void Press(CWnd& screen, int id) { PressButton(screen.Widget(), id); }
    // A category by its name, below the root or below another category.
    HTREEITEM Category(const std::string& name, HTREEITEM under = nullptr);
    // Column col of the data rows, top down.
    static std::vector<std::string> Column(CGridCtrl& grid, int col);
    // The data row whose column 0 holds key, or -1.
    static int RowOf(CGridCtrl& grid, const std::string& key);

private:
    QWidget m_window;
    CDestroyWindowFirst<CPublishTaskListView> m_tasks;
    CDestroyWindowFirst<CSiteListView> m_sites;
};

// The script of a category name dialog that names the category and confirms.
std::function<void(CDialog&)> NameCategory(const std::string& name);
// The control of a site editor's field by its name.
QWidget* SiteField(CDialog& editor, const char* name);

// Runs the site list's query for text, typed and confirmed.
void QuerySites(CSiteListView& sites, ScriptedInteraction& seam, const std::string& text);

bool EndsWith(const std::string& text, const std::string& end);
// The first n bytes of a GBK text, readable in a failure message.
std::string Shown(const std::string& gbk, size_t n = 120);
