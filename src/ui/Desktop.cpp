#include "ui/Desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <qt_windows.h>
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
    // QProcess would quote the arguments of its own; the line must reach the program as
    // written, quotes included, as WinExec passes it.
    const QString line = commandLine.trimmed();
    const qsizetype blank = line.indexOf(u' ');
    QProcess process;
    process.setProgram(blank < 0 ? line : line.left(blank));
    if (blank >= 0)
        process.setNativeArguments(line.mid(blank + 1));
    process.setWorkingDirectory(workingDirectory);
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
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
