#pragma once
// The "Pomoc" menu: the program's help file and the device's manual, delivered beside the
// program under StartDirectory and opened with the program the desktop associates with them.

#include <QString>

namespace kx {

// StartDirectory/help/KX350T-PC.hlp, the folder and file found whatever their letter case.
QString helpFilePath(const QString& startDirectory);
// StartDirectory/Help/KX350T rev 1.0_instrukcja_obslugi.pdf, found the same way.
QString manualFilePath(const QString& startDirectory);

// Hands the file to the desktop. Many desktops show nothing when a file is missing or has
// no program to open it, so the operator is told which file was looked for. True when the
// desktop took the file.
bool openProgramDocument(const QString& path);

} // namespace kx
