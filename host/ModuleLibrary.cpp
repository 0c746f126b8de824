#include "host/ModuleLibrary.h"

#include <QDir>

bool ModuleLibrary::Load(const QString& folder) {
    m_library.setFileName(QDir(folder).filePath(QStringLiteral("libNimbrel.so")));
    return m_library.load();
}

ScreenExport ModuleLibrary::Resolve(const char* name) {
    return reinterpret_cast<ScreenExport>(m_library.resolve(name));
}

void ModuleLibrary::Unload() {
    if (m_library.isLoaded())
        m_library.unload();
}
