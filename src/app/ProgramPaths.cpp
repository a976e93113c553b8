#include "app/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>

namespace kx {

namespace {

// The entry of dir called name in any letter case, or an empty string.
QString findEntry(const QDir& dir, const QString& name, bool folderOnly)
{
    const QFileInfo exact(dir.filePath(name));
    if (exact.exists() && (!folderOnly || exact.isDir()))
        return name;
    const QDir::Filters filters = (folderOnly ? QDir::Dirs : QDir::AllEntries) |
                                  QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QStringList entries = dir.entryList(filters, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

QString findPath(const QString& base, const QStringList& parts, bool lastIsFolder)
{
    QString path = base;
    bool found = true;
    for (qsizetype n = 0; n < parts.size(); ++n) {
        QString part = parts[n];
        if (found) {
            const bool folderOnly = lastIsFolder || n + 1 < parts.size();
            const QString entry = findEntry(QDir(path), part, folderOnly);
            found = !entry.isEmpty();
            if (found)
                part = entry;
        }
        path = QDir(path).filePath(part);
    }
    return QDir::fromNativeSeparators(path);
}

} // namespace

QString findProgramFile(const QString& base, const QStringList& parts)
{
    return findPath(base, parts, false);
}

QString findProgramFolder(const QString& base, const QStringList& parts)
{
    return findPath(base, parts, true);
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace kx
