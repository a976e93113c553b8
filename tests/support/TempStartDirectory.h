#pragma once
// A fresh folder that is the working directory while it lives, so a main window created
// meanwhile takes it as its StartDirectory. It holds a config.ini, so no message about a
// missing one is shown.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ConfigFile.h"

struct TempStartDirectory
{
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    QString root;

    TempStartDirectory()
    {
        QDir::setCurrent(dir.path());
        root = QDir::currentPath();
        writeDefaultConfig();
    }
    ~TempStartDirectory() { QDir::setCurrent(previous); }
    TempStartDirectory(const TempStartDirectory&) = delete;
    TempStartDirectory& operator=(const TempStartDirectory&) = delete;

    QString path(const QString& relative) const { return QDir(root).filePath(relative); }
    bool makeFolder(const QString& relative) const { return QDir(root).mkpath(relative); }
};

inline bool writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions extra = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && (!extra || file.setPermissions(file.permissions() | extra));
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
