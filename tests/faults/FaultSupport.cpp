#include "tests/faults/FaultSupport.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/HostFolder.h"
#include "sites/SiteEditDialog.h"
#include "sites/SiteIds.h"
#include "tests/support/ScriptedInteraction.h"
#include "toolkit/CategoryNameDialog.h"
#include "toolkit/InputDialog.h"

#include <QDir>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

// In a user namespace of its own the program holds every capability over
// its own files; without these three, folder permissions stop it as they
// stop its user.
bool DropFileCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[0].effective &= ~(1u << capability);
        data[0].permitted &= ~(1u << capability);
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}

// Runs before main, while the program has a single thread, which a new user
// namespace requires.
std::string EnterPrivateMounts() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            return SystemError("cannot make a mount namespace");
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return SystemError("cannot make a user and mount namespace");
        const std::string uidMap = std::to_string(uid) + " " + std::to_string(uid) + " 1";
        const std::string gidMap = std::to_string(gid) + " " + std::to_string(gid) + " 1";
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", uidMap) ||
            !WriteProcFile("/proc/self/gid_map", gidMap) || !DropFileCapabilities())
            return SystemError("cannot set up the user namespace");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return SystemError("cannot make the mounts private");
    return {};
}

const std::string g_mountProblem = EnterPrivateMounts();

bool SetImmutable(const std::string& path, bool immutable) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace

SmallDisk::SmallDisk(const char* size) : m_path(ToPath(m_dir.path()) + "/") {
    m_problem = g_mountProblem;
    if (m_problem.empty() && ::mount("nimbrel-test", m_path.c_str(), "tmpfs", 0,
                                     (std::string("size=") + size + ",mode=0755").c_str()) != 0)
        m_problem = SystemError("cannot mount a tmpfs on " + m_path);
    if (!m_problem.empty())
        return;
    QDir().mkpath(FromPath(m_path + "data"));
    QDir().mkpath(FromPath(m_path + "res"));
    SetHostFolder(m_path);
}

SmallDisk::~SmallDisk() {
    if (!m_problem.empty())
        return;
    SetHostFolder(std::string());
    Repair();
    ::umount2(m_path.c_str(), MNT_DETACH);
}

std::string SmallDisk::Path(const std::string& relative) const {
    return m_path + GbkToPath(relative);
}

bool SmallDisk::Write(const std::string& relative, const std::string& bytes) const {
    return WriteFileBytes(Path(relative), bytes);
}

std::string SmallDisk::Read(const std::string& relative) const {
    return ReadFileBytes(Path(relative));
}

bool SmallDisk::Exists(const std::string& relative) const {
    return ::access(Path(relative).c_str(), F_OK) == 0;
}

bool SmallDisk::Fill() {
    const int fd = ::open(Path(".filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    static const std::string block(64 * 1024, 'x');
    size_t size = block.size();
    while (size > 0) {
        if (::write(fd, block.data(), size) < 0) {
            if (errno != ENOSPC)
                break;
            size /= 2; // the last free bytes too
        }
    }
    ::close(fd);
    return size == 0;
}

bool SmallDisk::SetReadOnly(bool readOnly) {
    return ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0),
                   nullptr) == 0;
}

bool SmallDisk::CloseFolder(const std::string& relative) {
    const std::string path = Path(relative);
    const bool closed =
        ::geteuid() == 0 ? SetImmutable(path, true) : ::chmod(path.c_str(), 0555) == 0;
    if (closed)
        m_closed.push_back(path);
    return closed;
}

bool SmallDisk::Repair() {
    bool repaired = SetReadOnly(false);
    for (const std::string& path : m_closed)
        repaired &= ::geteuid() == 0 ? SetImmutable(path, false) : ::chmod(path.c_str(), 0755) == 0;
    m_closed.clear();
    ::unlink(Path(".filler").c_str());
    return repaired;
}

HostScreens::HostScreens(CAdoDatabase& db) {
    m_window.resize(900, 600);
    m_tasks.SetDatabase(&db);
    m_sites.SetDatabase(&db);
    EXPECT_TRUE(m_tasks.Create(&m_window, CRect{0, 0, 900, 600}, 1));
    EXPECT_TRUE(m_sites.Create(&m_window, CRect{0, 0, 900, 600}, 2));
    m_window.show();
    ProcessEvents();
}

HostScreens::~HostScreens() = default;

HTREEITEM HostScreens::Category(const std::string& name, HTREEITEM under) {
    CClassTree& tree = m_tasks.Tree();
    for (HTREEITEM item = tree.GetChildItem(under ? under : tree.GetRootClassItem()); item;
         item = tree.GetNextSiblingItem(item))
        if (tree.GetItemText(item) == name)
            return item;
    ADD_FAILURE() << "no category " << Utf8(name);
    return nullptr;
}

std::vector<std::string> HostScreens::Column(CGridCtrl& grid, int col) {
    std::vector<std::string> texts;
    for (int row = 1; row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetItemText(row, col));
    return texts;
}

int HostScreens::RowOf(CGridCtrl& grid, const std::string& key) {
    for (int row = 1; row < grid.GetRowCount(); ++row)
        if (grid.GetItemText(row, 0) == key)
            return row;
    return -1;
}

std::function<void(CDialog&)> NameCategory(const std::string& name) {
    return [name](CDialog& d) {
        d.SetDlgItemText(CCategoryNameDialog::kNameEditId, name);
        d.SendCommand(IDOK);
    };
}

QWidget* SiteField(CDialog& editor, const char* name) {
    auto& site = static_cast<CSiteEditDialog&>(editor);
    return site.GetDlgItem(site.FindControlId(name));
}

void QuerySites(CSiteListView& sites, ScriptedInteraction& seam, const std::string& text) {
    seam.ExpectDialog([text](CDialog& d) {
        d.SetDlgItemText(CInputDialog::kFirstControlId, text);
        d.SendCommand(IDOK);
    });
    HostScreens::Press(sites, SiteIds::kQuery);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Shown(const std::string& gbk, size_t n) {
    return Utf8(gbk.substr(0, n)) + (gbk.size() > n ? "..." : "");
}
