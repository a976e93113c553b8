#pragma once
// The program's own files (help, manual, boot-loader folder) are looked for under
// StartDirectory first, and then in the folder the program was installed with, so a program
// started from a desktop menu, whose working folder is the operator's, finds them too.
// They were delivered with names that differ in letter case ("bootloader" and "Bootloader",
// "help" and "Help"), which means nothing on Windows; where file names tell letter case
// apart, each name is looked up whatever its letter case, so both spellings reach the one
// folder that exists.

#include <QString>
#include <QStringList>

namespace kx {

// base followed by each of parts in turn. Each part takes the spelling of an existing entry
// that matches it in any letter case: the part's own spelling if that exists, else the
// first match in name order. Every part but the last must be a folder. A part with no match
// is kept as given, and so are the parts after it. The result is separated by '/'.
QString findProgramFile(const QString& base, const QStringList& parts);
// The same for a folder: the last part, too, matches folders only.
QString findProgramFolder(const QString& base, const QStringList& parts);

// The folder the program was installed with: on Windows the executable's own; elsewhere
// <prefix>/share/kx350t-pc for an executable in <prefix>/bin, the layout of the Debian
// package and of `cmake --install` (the build tree keeps it: build/src beside build/share).
QString installedDataFolder();
// The same for a program whose executable is in executableFolder.
QString dataFolderFor(const QString& executableFolder);
// Puts folder in place of the installed one (tests, and a program that keeps its files
// elsewhere); an empty folder goes back to the installed one.
void setInstalledDataFolder(const QString& folder);

// Where the program's own files are looked for, in this order: StartDirectory, then the
// installed data folder (left out when it is StartDirectory itself).
QStringList programFolders(const QString& startDirectory);
// parts under the first of programFolders that holds them as a file; when none does, the
// path under StartDirectory that findProgramFile gives, so a message names where the
// operator can put the file.
QString findInstalledProgramFile(const QString& startDirectory, const QStringList& parts);

// The same path, shown to the operator with the system's separators.
QString shownPath(const QString& path);

} // namespace kx
