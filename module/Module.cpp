// The exports the host calls by name. Each builds a screen object without a
// window; the host creates, destroys and deletes it. The parameter text
// changes nothing, and the company editor uses no database.
#include "module/ModuleApi.h"

#include "company/CompanyEditView.h"
#include "sites/SiteListView.h"
#include "tasks/PublishTaskListView.h"

#define NIMBREL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// A new screen for the host, or null when it cannot be made: no exception
// may reach the host, and memory can run out in the screen's allocation as
// well as in its members' constructors. The screen's window goes before any
// of its destructors runs, however the host deletes it.
template <class Screen> Screen* NewScreen() noexcept {
    try {
        return new CDestroyWindowFirst<Screen>;
    } catch (...) {
        return nullptr;
    }
}

// A list screen on the host's database. The record is the caller's and is
// not kept; its parameter text changes nothing.
template <class Screen> Screen* NewListScreen(const HostParameters* parameters) noexcept {
    Screen* screen = NewScreen<Screen>();
    if (screen && parameters)
        screen->SetDatabase(parameters->database);
    return screen;
}

} // namespace

NIMBREL_EXPORT CWnd* editCompany(const HostParameters*) {
    return NewScreen<CCompanyEditView>();
}

NIMBREL_EXPORT CWnd* listSiteData(const HostParameters* parameters) {
    return NewListScreen<CSiteListView>(parameters);
}

NIMBREL_EXPORT CWnd* listPublishTask(const HostParameters* parameters) {
    return NewListScreen<CPublishTaskListView>(parameters);
}
