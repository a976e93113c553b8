#pragma once
// The device's firmware update: the operator picks a hex file, the port is closed so the
// boot loader can have the line, the file is copied into the boot-loader folder that holds the
// AVR programmer tool (under StartDirectory, else the installed one) and the tool flashes it,
// in a console window the operator reads. The program does not wait for the tool; the wizard
// connects again.

#include <QString>
#include <QStringList>

namespace kx {

class LinkControl;

// How long the update waits for the link to report the port closed before it goes on.
constexpr int kFirmwareCloseWaitMs = 4000;

// The programmer's command line on Windows, the whole of it as the command interpreter gets
// it (startDirectory with either separator):
//   cmd /k "<dir>\Bootloader\AVROSP -dATmega16 -pf -vf -if"<dir>\Bootloader\program.hex" -e"
QString firmwareCommandLine(const QString& startDirectory);

// The boot-loader folder under startDirectory, whatever its letter case; empty when none.
// The copy and the tool's hex file are both in this one folder.
QString bootloaderFolder(const QString& startDirectory);
// The programmer tool in that folder, whatever its letter case (on Windows AVROSP with an
// executable extension, as the command interpreter finds it); its plain path when missing.
QString programmerTool(const QString& folder);

struct ProgramStart
{
    QString program;
    QStringList arguments;
};
// Outside Windows: the tool with the arguments of the Windows line. In terminal, when one is
// given, through a shell that stays open once the tool has ended, as "cmd /k" keeps its
// console, so the operator can read the tool's output.
ProgramStart programmerStart(const QString& tool, const QString& hexFile, const QString& terminal);

enum class FirmwareCopy
{
    Copied,
    SameFile, // the chosen file is the target itself: nothing to copy
    ReadFailed,
    WriteFailed,
};
// Copies source to target through a temporary file that replaces target only once complete:
// target is either the whole new file or stays as it was.
FirmwareCopy copyFirmware(const QString& source, const QString& target);

enum class FirmwareOutcome
{
    Cancelled,
    ToolMissing,
    CopyFailed,
    StartFailed,
    Started,
};
// The whole update, with its dialog and messages through the dialog seam and the tool started
// through the desktop seam. An open port is closed first; the update waits for the link to
// handle the close (its notice included) at most closeWaitMs, and then goes on all the same.
// A failed copy is reported and starts nothing: the tool would flash an older file.
FirmwareOutcome updateFirmware(LinkControl& link, const QString& startDirectory,
                               int closeWaitMs = kFirmwareCloseWaitMs);

} // namespace kx
