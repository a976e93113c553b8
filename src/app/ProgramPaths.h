#pragma once
// The program's own files are delivered beside it and found under StartDirectory with the
// names they were delivered with. Those names differ in letter case ("bootloader" and
// "Bootloader", "help" and "Help"), which means nothing on Windows; where file names tell
// letter case apart, each name is looked up whatever its letter case, so both spellings
// reach the one folder that exists.

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

// The same path, shown to the operator with the system's separators.
QString shownPath(const QString& path);

} // namespace kx
