#include "module/ModuleApi.h"
#include "platform/Wnd.h"
#include "tests/support/TestSupport.h"

#include <QLibrary>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
ScreenExport Resolve(QLibrary& module, const char* name) {
    return reinterpret_cast<ScreenExport>(module.resolve(name));
}
} // namespace

TEST(Module, CompanyEditorComesFromTheBuiltLibraryByName) {
    TempHostFolder folder;
    QLibrary module(QStringLiteral(NIMBREL_APP_DIR "/libNimbrel.so"));
    ASSERT_TRUE(module.load()) << module.errorString().toStdString();
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

TEST(Module, SiteListComesFromTheBuiltLibraryByName) {
    TempHostFolder folder;
    QLibrary module(QStringLiteral(NIMBREL_APP_DIR "/libNimbrel.so"));
    ASSERT_TRUE(module.load()) << module.errorString().toStdString();
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
