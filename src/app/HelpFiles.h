#pragma once
// The "Pomoc" menu: the program's help (HTML, opened in the desktop's browser) and the manual
// (PDF, made from the same help when the program is built), delivered with the program in
// one folder "help" and opened with the program the desktop associates with them.

#include <QString>

namespace kx {

inline constexpr char kHelpFileName[] = "KX350T-PC.html";
inline constexpr char kManualFileName[] = "KX350T rev 1.0_instrukcja_obslugi.pdf";

// help/KX350T-PC.html under StartDirectory, else in the installed data folder, the folder
// and file found whatever their letter case; the StartDirectory one when neither has it.
QString helpFilePath(const QString& startDirectory);
// Help/KX350T rev 1.0_instrukcja_obslugi.pdf, found the same way.
QString manualFilePath(const QString& startDirectory);

// Hands the file to the desktop. Many desktops show nothing when a file is missing or has
// no program to open it, so the operator is told which file was looked for. True when the
// desktop took the file.
bool openProgramDocument(const QString& path);

} // namespace kx
