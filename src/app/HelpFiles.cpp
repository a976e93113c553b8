#include "app/HelpFiles.h"

#include <QFileInfo>
#include <QUrl>

#include "app/ProgramPaths.h"
#include "ui/common/Desktop.h"
#include "ui/common/Dialogs.h"

namespace kx {

QString helpFilePath(const QString& startDirectory)
{
    return findInstalledProgramFile(startDirectory, {"help", kHelpFileName});
}

QString manualFilePath(const QString& startDirectory)
{
    return findInstalledProgramFile(startDirectory, {"Help", kManualFileName});
}

bool openProgramDocument(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        dialogs().showMessage(QString::fromUtf8("Nie odnaleziono pliku:\n%1").arg(shownPath(path)));
        return false;
    }
    if (desktop().openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        return true;
    dialogs().showMessage(QString::fromUtf8("Nie można otworzyć pliku:\n%1").arg(shownPath(path)));
    return false;
}

} // namespace kx
