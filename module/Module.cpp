// The exports the host calls by name. Each builds a screen object without a
// window; the host creates, destroys and deletes it. The parameter text
// changes nothing, and the company editor uses no database.
#include "module/ModuleApi.h"

#include "company/CompanyEditView.h"
#include "tasks/PublishTaskListView.h"

#include <new>

#define NIMBREL_EXPORT extern "C" __attribute__((visibility("default")))

NIMBREL_EXPORT CWnd* editCompany(const HostParameters*) {
    return new (std::nothrow) CCompanyEditView;
}

NIMBREL_EXPORT CWnd* listPublishTask(const HostParameters* parameters) {
    auto* view = new (std::nothrow) CPublishTaskListView;
    if (view)
        view->SetDatabase(parameters->database);
    return view;
}
