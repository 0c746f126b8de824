#pragma once
#include "module/ModuleApi.h"

#include <QLibrary>
#include <QString>

// The module, loaded at run time from the host folder; its exports are
// resolved by name. A missing export resolves to null.
class ModuleLibrary {
public:
    bool Load(const QString& folder);
    QString ErrorText() const { return m_library.errorString(); }
    ScreenExport Resolve(const char* name);
    void Unload();

private:
    QLibrary m_library;
};
