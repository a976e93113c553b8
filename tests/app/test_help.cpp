#include <QtTest>

#include <QAction>

#include "InstalledFolder.h"
#include "RecordingDesktop.h"
#include "RecordingDialogs.h"
#include "TempStartDirectory.h"
#include "app/HelpFiles.h"
#include "app/Program.h"
#include "app/ProgramPaths.h"
#include "app/TForm1.h"

using namespace kx;

namespace {

const QString kHelpFile = QString::fromLatin1(kHelpFileName);
const QString kManual = QString::fromLatin1(kManualFileName);

// A delivered document at relative under root (a path ending in '/' is an empty folder).
bool deliver(const QString& root, const QString& relative)
{
    if (relative.isEmpty())
        return true;
    if (relative.endsWith('/'))
        return QDir(root).mkpath(relative);
    return QDir(root).mkpath(QFileInfo(relative).path()) &&
           writeFile(QDir(root).filePath(relative), "document");
}

QString menuEntry(const QString& document)
{
    return document == "help" ? "pomocprogramu1" : "instrukcja1";
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void opensTheFileUnderStartDirectory_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file"); // relative to StartDirectory, as delivered
        QTest::newRow("help in help") << "pomocprogramu1"
                                      << "help/" + kHelpFile;
        QTest::newRow("help in Help") << "pomocprogramu1"
                                      << "Help/" + kHelpFile;
        QTest::newRow("help in HELP") << "pomocprogramu1"
                                      << "HELP/" + kHelpFile;
        QTest::newRow("manual in Help") << "instrukcja1"
                                        << "Help/" + kManual;
        QTest::newRow("manual in help") << "instrukcja1"
                                        << "help/" + kManual;
    }

    // The program is started from a folder that is not the executable's: the files are looked
    // for in the working directory at start.
    void opensTheFileUnderStartDirectory()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        InstalledFolder installed;
        TempStartDirectory start;
        QVERIFY(start.makeFolder(QFileInfo(file).path()));
        QVERIFY(writeFile(start.path(file), "document"));
        RecordingDialogs dialogs;
        RecordingDesktop desktop;
        Program program;
        QVERIFY(QCoreApplication::applicationDirPath() != start.root);

        program.mainWindow()->findChild<QAction*>(action)->trigger();
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.texts().join('|')));
        QCOMPARE(desktop.opened.size(), 1);
        const QString opened = desktop.opened[0].toLocalFile();
        QVERIFY2(opened.compare(start.path(file), kPathCase) == 0, qPrintable(opened));
        QVERIFY(desktop.started.isEmpty() && desktop.commandLines.isEmpty());
    }

    // Started from the desktop's menu, StartDirectory is the operator's folder: the files come
    // from the folder the program was installed with, unless StartDirectory has them.
    void opensTheInstalledFileWhenStartDirectoryHasNone_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("inStart");     // delivered under StartDirectory
        QTest::addColumn<QString>("inInstalled"); // delivered in the installed data folder
        QTest::addColumn<QString>("expected");    // "start/…" or "installed/…"
        QTest::newRow("help, none in StartDirectory")
            << "help"
            << ""
            << "help/" + kHelpFile << "installed/help/" + kHelpFile;
        QTest::newRow("manual, none in StartDirectory")
            << "manual"
            << ""
            << "help/" + kManual << "installed/help/" + kManual;
        QTest::newRow("manual in an installed Help")
            << "manual"
            << ""
            << "Help/" + kManual << "installed/Help/" + kManual;
        QTest::newRow("help, an empty help folder in StartDirectory")
            << "help"
            << "help/"
            << "help/" + kHelpFile << "installed/help/" + kHelpFile;
        QTest::newRow("manual, StartDirectory holds only the help")
            << "manual"
            << "help/" + kHelpFile << "help/" + kManual << "installed/help/" + kManual;
        QTest::newRow("help in both: StartDirectory's")
            << "help"
            << "help/" + kHelpFile << "help/" + kHelpFile << "start/help/" + kHelpFile;
        QTest::newRow("manual in both: StartDirectory's")
            << "manual"
            << "Help/" + kManual << "help/" + kManual << "start/Help/" + kManual;
    }

    void opensTheInstalledFileWhenStartDirectoryHasNone()
    {
        QFETCH(QString, document);
        QFETCH(QString, inStart);
        QFETCH(QString, inInstalled);
        QFETCH(QString, expected);
        InstalledFolder installed;
        TempStartDirectory start;
        QVERIFY(deliver(start.root, inStart));
        QVERIFY(deliver(installed.dir.path(), inInstalled));
        RecordingDialogs dialogs;
        RecordingDesktop desktop;
        Program program;

        program.mainWindow()->findChild<QAction*>(menuEntry(document))->trigger();
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.texts().join('|')));
        QCOMPARE(desktop.opened.size(), 1);
        const QString where = expected.section('/', 0, 0);
        const QString file = expected.section('/', 1);
        const QString path = where == "start" ? start.path(file) : installed.path(file);
        const QString opened = desktop.opened[0].toLocalFile();
        QVERIFY2(opened.compare(path, kPathCase) == 0, qPrintable(opened));
    }

    void missingFileIsNamed_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("present"); // what StartDirectory holds instead
        QTest::addColumn<QString>("lookedFor");
        QTest::newRow("help: no folder") << "pomocprogramu1"
                                         << ""
                                         << "help/" + kHelpFile;
        QTest::newRow("help: empty folder") << "pomocprogramu1"
                                            << "HELP/"
                                            << "HELP/" + kHelpFile;
        QTest::newRow("help: a folder of its name") << "pomocprogramu1"
                                                    << "help/" + kHelpFile + "/"
                                                    << "help/" + kHelpFile;
        QTest::newRow("help: only the old WinHelp file") << "pomocprogramu1"
                                                         << "help/KX350T-PC.hlp"
                                                         << "help/" + kHelpFile;
        QTest::newRow("manual: no folder") << "instrukcja1"
                                           << ""
                                           << "Help/" + kManual;
        QTest::newRow("manual: only the help file") << "instrukcja1"
                                                    << "help/" + kHelpFile << "help/" + kManual;
    }

    // Neither StartDirectory nor the installed data folder (here an empty one) has the file:
    // the message names it under StartDirectory, where the operator can put it.
    void missingFileIsNamed()
    {
        QFETCH(QString, action);
        QFETCH(QString, present);
        QFETCH(QString, lookedFor);
        InstalledFolder installed;
        TempStartDirectory start;
        QVERIFY(deliver(start.root, present));
        RecordingDialogs dialogs;
        RecordingDesktop desktop;
        Program program;

        program.mainWindow()->findChild<QAction*>(action)->trigger();
        QCOMPARE(dialogs.texts().size(), 1);
        const QString expected = QString::fromUtf8("Nie odnaleziono pliku:\n") +
                                 QDir::toNativeSeparators(start.path(lookedFor));
        QVERIFY2(dialogs.texts()[0].compare(expected, kPathCase) == 0,
                 qPrintable(dialogs.texts()[0]));
        QCOMPARE(desktop.count(), 0);
    }

    // No installed data folder at all (it was removed, or never made): the same message.
    void missingInstalledFolderIsNoFault()
    {
        QTemporaryDir gone;
        setInstalledDataFolder(gone.filePath("removed"));
        TempStartDirectory start;
        RecordingDialogs dialogs;
        RecordingDesktop desktop;
        Program program;
        program.mainWindow()->findChild<QAction*>("instrukcja1")->trigger();
        setInstalledDataFolder(QString());
        QCOMPARE(dialogs.texts(),
                 QStringList{QString::fromUtf8("Nie odnaleziono pliku:\n") +
                             QDir::toNativeSeparators(start.path("Help/" + kManual))});
        QCOMPARE(desktop.count(), 0);
    }

    void fileTheDesktopCannotOpenIsNamed()
    {
        InstalledFolder installed;
        TempStartDirectory start;
        QVERIFY(start.makeFolder("Help"));
        QVERIFY(writeFile(start.path("Help/" + kManual), "document"));
        RecordingDialogs dialogs;
        RecordingDesktop desktop;
        desktop.result = false;
        QVERIFY(!openProgramDocument(manualFilePath(start.root)));
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(dialogs.texts(),
                 QStringList{QString::fromUtf8("Nie można otworzyć pliku:\n") +
                             QDir::toNativeSeparators(start.path("Help/" + kManual))});
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
