#include "app/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kx {

namespace {

// The folder's name under <prefix>/share: the package's name.
constexpr char kDataFromBin[] = "../share/kx350t-pc";

QString& dataFolderOverride()
{
    static QString folder;
    return folder;
}

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

bool sameFolder(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
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

QString dataFolderFor(const QString& executableFolder)
{
#ifdef Q_OS_WIN
    return QDir::cleanPath(QDir::fromNativeSeparators(executableFolder));
#else
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(executableFolder))
                               .filePath(QString::fromLatin1(kDataFromBin)));
#endif
}

QString installedDataFolder()
{
    if (!dataFolderOverride().isEmpty())
        return dataFolderOverride();
    // Without an application object there is no executable to go by.
    if (!QCoreApplication::instance())
        return {};
    return dataFolderFor(QCoreApplication::applicationDirPath());
}

void setInstalledDataFolder(const QString& folder)
{
    dataFolderOverride() = QDir::fromNativeSeparators(folder);
}

QStringList programFolders(const QString& startDirectory)
{
    QStringList folders{startDirectory};
    const QString installed = installedDataFolder();
    if (!installed.isEmpty() && !sameFolder(installed, startDirectory))
        folders << installed;
    return folders;
}

QString findInstalledProgramFile(const QString& startDirectory, const QStringList& parts)
{
    for (const QString& folder : programFolders(startDirectory)) {
        const QString path = findProgramFile(folder, parts);
        if (QFileInfo(path).isFile())
            return path;
    }
    return findProgramFile(startDirectory, parts);
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace kx
