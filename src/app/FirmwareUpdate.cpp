#include "app/FirmwareUpdate.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include "app/ProgramPaths.h"
#include "ui/common/Desktop.h"
#include "ui/common/Dialogs.h"
#include "ui/link/LinkControl.h"

namespace kx {

namespace {

constexpr qint64 kCopyChunk = 64 * 1024;
constexpr char kFolder[] = "Bootloader";
constexpr char kTool[] = "AVROSP";
constexpr char kHexFile[] = "program.hex";

void message(const char* what, const QString& path)
{
    dialogs().showMessage(QString::fromUtf8(what).arg(shownPath(path)));
}

// The engine reports the close from its reader thread and the link handles the report on
// this thread, notice and all; the wait runs the event loop so that handling can happen.
void closePortAndWait(LinkControl& link, int waitMs)
{
    if (!link.PortOpen)
        return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&link, &LinkControl::portClosed, &loop, &QEventLoop::quit);
    link.closePort();
    deadline.start(waitMs);
    // The operator's clicks wait until the update has gone on; the notice is a window of its
    // own and takes them.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// On Windows the line as it is, over the folder the tool was found in; elsewhere the same tool
// and arguments.
bool startProgrammer(const QString& startDirectory, [[maybe_unused]] const QString& base,
                     [[maybe_unused]] const QString& tool, [[maybe_unused]] const QString& hexFile)
{
#ifdef Q_OS_WIN
    return desktop().startCommandLine(firmwareCommandLine(base), startDirectory);
#else
    const ProgramStart start = programmerStart(
        tool, hexFile, QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator")));
    return desktop().startDetached(start.program, start.arguments, startDirectory);
#endif
}

// Where the update finds the programmer: the boot-loader folder of the first of the program's
// folders (StartDirectory, then the installed one) that holds the tool, and the folder above
// it, which the Windows command line names. When none holds it, StartDirectory's folder and
// tool as they were looked for, so the message says where the operator would put it.
struct ProgrammerPlace
{
    QString base;
    QString folder;
    QString tool;
};

ProgrammerPlace findProgrammer(const QString& startDirectory)
{
    for (const QString& base : programFolders(startDirectory)) {
        const QString folder = bootloaderFolder(base);
        if (folder.isEmpty())
            continue;
        const QString tool = programmerTool(folder);
        if (QFileInfo(tool).isFile())
            return {base, folder, tool};
    }
    // StartDirectory's folder, an empty one included.
    const QString found = bootloaderFolder(startDirectory);
    const QString folder = found.isEmpty() ? QDir(startDirectory).filePath(kFolder) : found;
    return {startDirectory, folder, programmerTool(folder)};
}

} // namespace

QString firmwareCommandLine(const QString& startDirectory)
{
    QString dir = startDirectory;
    dir.replace(u'/', u'\\');
    while (dir.endsWith(u'\\')) // a drive's root, "C:\"
        dir.chop(1);
    const QChar quote = u'"';
    return QStringLiteral("cmd /k ") + quote + dir +
           QStringLiteral("\\Bootloader\\AVROSP -dATmega16 -pf -vf -if") + quote + dir +
           QStringLiteral("\\Bootloader\\program.hex") + quote + QStringLiteral(" -e") + quote;
}

QString bootloaderFolder(const QString& startDirectory)
{
    const QString folder = findProgramFolder(startDirectory, {kFolder});
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString programmerTool(const QString& folder)
{
#ifdef Q_OS_WIN
    // The command interpreter runs AVROSP through the executable extensions.
    for (const char* extension : {".exe", ".com", ".bat", ".cmd"}) {
        const QString tool = findProgramFile(folder, {QString::fromLatin1(kTool) + extension});
        if (QFileInfo(tool).isFile())
            return tool;
    }
#endif
    return findProgramFile(folder, {kTool});
}

ProgramStart programmerStart(const QString& tool, const QString& hexFile, const QString& terminal)
{
    const QStringList toolArguments{"-dATmega16", "-pf", "-vf", "-if" + hexFile, "-e"};
    if (terminal.isEmpty())
        return {tool, toolArguments};
    // The shell gets the tool as $0 and its arguments as $@, so no path needs quoting.
    QStringList arguments{"-e", "/bin/sh", "-c", R"("$0" "$@"; exec "${SHELL:-/bin/sh}")", tool};
    arguments += toolArguments;
    return {terminal, arguments};
}

FirmwareCopy copyFirmware(const QString& source, const QString& target)
{
    const QFileInfo sourceInfo(source);
    const QFileInfo targetInfo(target);
    if (sourceInfo.exists() && targetInfo.exists() && sourceInfo == targetInfo)
        return FirmwareCopy::SameFile;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return FirmwareCopy::ReadFailed;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return FirmwareCopy::WriteFailed;
    for (;;) {
        const QByteArray chunk = in.read(kCopyChunk);
        if (in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return FirmwareCopy::ReadFailed;
        }
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return FirmwareCopy::WriteFailed;
        }
    }
    return out.commit() ? FirmwareCopy::Copied : FirmwareCopy::WriteFailed;
}

FirmwareOutcome updateFirmware(LinkControl& link, const QString& startDirectory, int closeWaitMs)
{
    const QString chosen = dialogs().openExistingFile(
        QString::fromUtf8("Wskaż plik HEX do wgrania"), "EEPROM hex file (*.hex)", "hex");
    if (chosen.isEmpty())
        return FirmwareOutcome::Cancelled;

    const ProgrammerPlace place = findProgrammer(startDirectory);
    // Said before the port is closed for an update that cannot happen.
    if (!QFileInfo(place.tool).isFile()) {
        message("Nie odnaleziono programatora:\n%1", place.tool);
        return FirmwareOutcome::ToolMissing;
    }

    closePortAndWait(link, closeWaitMs);

    // The tool flashes the hex file of its own folder.
    const QString target = QDir(place.folder).filePath(kHexFile);
    switch (copyFirmware(chosen, target)) {
    case FirmwareCopy::ReadFailed:
        message("Nie można odczytać pliku:\n%1", chosen);
        return FirmwareOutcome::CopyFailed;
    case FirmwareCopy::WriteFailed:
        message("Nie można zapisać pliku:\n%1", target);
        return FirmwareOutcome::CopyFailed;
    case FirmwareCopy::Copied:
    case FirmwareCopy::SameFile:
        break;
    }

    if (!startProgrammer(startDirectory, place.base, place.tool, target)) {
        message("Nie można uruchomić programatora:\n%1", place.tool);
        return FirmwareOutcome::StartFailed;
    }
    return FirmwareOutcome::Started;
}

} // namespace kx
