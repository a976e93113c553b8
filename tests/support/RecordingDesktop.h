#pragma once
// Records what the program hands to the desktop in tests, instead of opening or starting it.

#include <QList>
#include <QStringList>
#include <QUrl>

#include "ui/common/Desktop.h"

struct RecordingDesktop : kx::Desktop
{
    struct Start
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };
    QList<QUrl> opened;
    QList<Start> started;
    QStringList commandLines;
    // What the desktop answers: whether it opened or started what it was given.
    bool result = true;

    RecordingDesktop() { kx::setDesktop(this); }
    ~RecordingDesktop() override { kx::setDesktop(nullptr); }

    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return result;
    }
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override
    {
        started.append({program, arguments, workingDirectory});
        return result;
    }
    bool startCommandLine(const QString& commandLine, const QString&) override
    {
        commandLines.append(commandLine);
        return result;
    }
    int count() const { return int(opened.size() + started.size() + commandLines.size()); }
};
