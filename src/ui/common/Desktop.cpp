#include "ui/common/Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <string>
#endif

namespace kx {

namespace {

Desktop* g_installed = nullptr;

} // namespace

Desktop& desktop()
{
    static QtDesktop qtDesktop;
    return g_installed ? *g_installed : qtDesktop;
}

void setDesktop(Desktop* d)
{
    g_installed = d;
}

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::startDetached(const QString& program, const QStringList& arguments,
                              const QString& workingDirectory)
{
    return QProcess::startDetached(program, arguments, workingDirectory);
}

bool QtDesktop::startCommandLine(const QString& commandLine, const QString& workingDirectory)
{
#ifdef Q_OS_WIN
    // QProcess joins its program and arguments into a line quoted its own way; the program
    // must get this line as written, quotes and blanks included, as WinExec passes it, so
    // the line QProcess built is replaced by this one.
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return false;
    std::wstring line = commandLine.toStdWString();
    QProcess process;
    process.setProgram(words.first());
    process.setWorkingDirectory(workingDirectory);
    process.setCreateProcessArgumentsModifier(
        [line](QProcess::CreateProcessArguments* args) mutable {
            args->arguments = line.data();
            // A console of its own, shown, whatever console this program has.
            args->flags &= ~static_cast<DWORD>(DETACHED_PROCESS | CREATE_NO_WINDOW);
            args->flags |= CREATE_NEW_CONSOLE;
            args->startupInfo->dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
        });
    return process.startDetached();
#else
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words, workingDirectory);
#endif
}

} // namespace kx
