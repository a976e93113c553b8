#pragma once
// The program's own files as installed: a folder of the test's in place of the installed data
// folder, and the letter case the system's paths keep.

#include <QString>
#include <QTemporaryDir>

#include "app/ProgramPaths.h"

// Windows keeps one folder whatever the letter case it is named in.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// A folder of its own in place of the installed data folder while it lives.
struct InstalledFolder
{
    QTemporaryDir dir;
    InstalledFolder() { kx::setInstalledDataFolder(dir.path()); }
    ~InstalledFolder() { kx::setInstalledDataFolder(QString()); }
    QString path(const QString& relative) const { return dir.filePath(relative); }
};
