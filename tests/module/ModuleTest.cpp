#include "module/ModuleApi.h"
#include "platform/Wnd.h"
#include "tests/support/TestSupport.h"

#include <QLibrary>
#include <QWidget>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <new>

// Every allocation of this program goes through here, so that a test can make
// one made by the module's own code fail. Allocations inside Qt are left
// alone: Qt is not written to survive an exception thrown through it.
namespace {

std::atomic<long> g_moduleAllocationsBeforeFailure{-1}; // -1: none fails

bool IsModuleCode(void* address) {
    Dl_info info;
    return dladdr(address, &info) != 0 && info.dli_fname &&
           std::strstr(info.dli_fname, "libNimbrel.so") != nullptr;
}

} // namespace

void* operator new(std::size_t size) {
    if (g_moduleAllocationsBeforeFailure.load() >= 0 && IsModuleCode(__builtin_return_address(0)) &&
        g_moduleAllocationsBeforeFailure.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

ScreenExport Resolve(QLibrary& module, const char* name) {
    return reinterpret_cast<ScreenExport>(module.resolve(name));
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.load()) << module.errorString().toStdString(); }

    TempHostFolder folder;
    QLibrary module{QStringLiteral(NIMBREL_APP_DIR "/libNimbrel.so")};
};

} // namespace

TEST_F(ModuleTest, CompanyEditorComesFromTheBuiltLibraryByName) {
    ScreenExport editCompany = Resolve(module, "editCompany");
    ASSERT_NE(editCompany, nullptr);

    // The database field is not read; a null parameter text is accepted.
    HostParameters parameters{"/host/company?user=a&mode=b", nullptr};
    CWnd* screen = editCompany(&parameters);
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->IsWindow());
    QWidget host;
    ASSERT_TRUE(screen->Create(&host, CRect{0, 0, 800, 600}, 1));
    EXPECT_NE(screen->GetDlgItem(6001), nullptr);
    screen->DestroyWindow();
    EXPECT_FALSE(screen->IsWindow());
    delete screen;

    HostParameters noText{nullptr, nullptr};
    CWnd* neverShown = editCompany(&noText);
    ASSERT_NE(neverShown, nullptr);
    delete neverShown;
}

// Each allocation the module makes for a new screen fails in turn, the
// screen object's own and those in its members' constructors: no exception
// reaches the host, which gets null.
TEST_F(ModuleTest, ExportGivesNullWhenItsScreenCannotBeAllocated) {
    ScreenExport editCompany = Resolve(module, "editCompany");
    ASSERT_NE(editCompany, nullptr);
    HostParameters parameters{nullptr, nullptr};
    long failing = 0;
    for (;; ++failing) {
        g_moduleAllocationsBeforeFailure = failing;
        CWnd* screen = nullptr;
        EXPECT_NO_THROW(screen = editCompany(&parameters)) << "allocation " << failing;
        if (g_moduleAllocationsBeforeFailure.exchange(-1) >= 0) { // all made
            ASSERT_NE(screen, nullptr);
            delete screen;
            break;
        }
        EXPECT_EQ(screen, nullptr) << "allocation " << failing;
        delete screen;
    }
    EXPECT_GE(failing, 2); // the object and at least one member's own allocation
}

TEST_F(ModuleTest, SiteListComesFromTheBuiltLibraryByName) {
    ScreenExport listSiteData = Resolve(module, "listSiteData");
    ASSERT_NE(listSiteData, nullptr);

    // Without a database the screen opens empty.
    HostParameters parameters{nullptr, nullptr};
    CWnd* screen = listSiteData(&parameters);
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->IsWindow());
    QWidget host;
    ASSERT_TRUE(screen->Create(&host, CRect{0, 0, 800, 600}, 1));
    EXPECT_NE(screen->GetDlgItem(6010), nullptr);
    screen->DestroyWindow();
    EXPECT_TRUE(folder.Exists("res/gridpos.ini")) << "the column widths are kept";
    delete screen;
}
