// Where the program finds the files it was installed with when StartDirectory has none: the
// installed data folder, and the boot-loader folder of the firmware update looked up there.

#include <QtTest>

#include "InstalledFolder.h"
#include "RecordingDesktop.h"
#include "RecordingDialogs.h"
#include "TempStartDirectory.h"
#include "app/FirmwareUpdate.h"
#include "app/Program.h"
#include "app/ProgramPaths.h"
#include "app/TForm1.h"

using namespace kx;

namespace {

#ifdef Q_OS_WIN
const QString kToolName = "AVROSP.exe";
#else
const QString kToolName = "AVROSP";
#endif

// A boot-loader folder named folder under root, with the tool when withTool.
bool deliverBootloader(const QString& root, const QString& folder, bool withTool)
{
    if (folder.isEmpty())
        return true;
    const QDir dir(QDir(root).filePath(folder));
    return QDir(root).mkpath(folder) && writeFile(dir.filePath("program.hex"), "old firmware") &&
           (!withTool || writeFile(dir.filePath(kToolName), "#!/bin/sh\n"));
}

[[maybe_unused]] bool samePath(const QString& a, const QString& b)
{
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), kPathCase) == 0;
}

} // namespace

class TestProgramFolders : public QObject
{
    Q_OBJECT

private slots:
    void dataFolderOfAnInstalledProgram_data()
    {
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("dataFolder");
#ifdef Q_OS_WIN
        // Everything in the program's own folder, as the installer puts it.
        QTest::newRow("Program Files") << "C:/Program Files/KX350T-PC"
                                       << "C:/Program Files/KX350T-PC";
        QTest::newRow("native separators") << "C:\\Program Files\\KX350T-PC"
                                           << "C:/Program Files/KX350T-PC";
#else
        QTest::newRow("Debian package") << "/usr/bin"
                                        << "/usr/share/kx350t-pc";
        QTest::newRow("cmake --install prefix") << "/opt/kx/bin"
                                                << "/opt/kx/share/kx350t-pc";
        QTest::newRow("a trailing separator") << "/usr/local/bin/"
                                              << "/usr/local/share/kx350t-pc";
        QTest::newRow("the build tree") << "/work/build/src"
                                        << "/work/build/share/kx350t-pc";
#endif
    }

    void dataFolderOfAnInstalledProgram()
    {
        QFETCH(QString, executableFolder);
        QFETCH(QString, dataFolder);
        QCOMPARE(dataFolderFor(executableFolder), dataFolder);
    }

    void startDirectoryFirstThenTheInstalledFolderOnce()
    {
        InstalledFolder installed;
        QTemporaryDir start;
        QCOMPARE(programFolders(start.path()), (QStringList{start.path(), installed.dir.path()}));
        QCOMPARE(programFolders(installed.dir.path()), QStringList{installed.dir.path()});
        QCOMPARE(programFolders(installed.dir.path() + "/."),
                 QStringList{installed.dir.path() + "/."});
#ifndef Q_OS_WIN
        const QString link = start.filePath("link");
        QVERIFY(QFile::link(installed.dir.path(), link));
        QCOMPARE(programFolders(link), QStringList{link});
#endif
        setInstalledDataFolder(QString());
        // Without a test's folder: the folder beside this test's own executable.
        QCOMPARE(programFolders(start.path()).value(1),
                 dataFolderFor(QCoreApplication::applicationDirPath()));
    }

    void firmwareToolFromTheFirstFolderThatHasIt_data()
    {
        QTest::addColumn<QString>("inStart"); // boot-loader folder under StartDirectory
        QTest::addColumn<bool>("startHasTool");
        QTest::addColumn<QString>("inInstalled"); // in the installed data folder
        QTest::addColumn<QString>("used");        // "start" or "installed"
        QTest::newRow("none in StartDirectory") << "" << false << "Bootloader"
                                                << "installed";
        QTest::newRow("an installed folder of another case") << "" << false << "bootloader"
                                                             << "installed";
        QTest::newRow("StartDirectory's folder without the tool")
            << "Bootloader" << false << "Bootloader"
            << "installed";
        QTest::newRow("StartDirectory's tool first") << "bootloader" << true << "Bootloader"
                                                     << "start";
    }

    // The tool flashes the copy in its own folder, and on Windows the command line names the
    // folder the tool was found in.
    void firmwareToolFromTheFirstFolderThatHasIt()
    {
        QFETCH(QString, inStart);
        QFETCH(bool, startHasTool);
        QFETCH(QString, inInstalled);
        QFETCH(QString, used);
        InstalledFolder installed;
        TempStartDirectory start;
        QVERIFY(deliverBootloader(start.root, inStart, startHasTool));
        QVERIFY(deliverBootloader(installed.dir.path(), inInstalled, true));
        QVERIFY(start.makeFolder("fw"));
        const QString chosen = start.path("fw/new.hex");
        QVERIFY(writeFile(chosen, ":10000000new firmware\n"));
        RecordingDialogs dialogs;
        dialogs.fileName = chosen;
        RecordingDesktop desktop;
        Program program;

        QCOMPARE(updateFirmware(program.mainWindow()->link(), start.root, 200),
                 FirmwareOutcome::Started);
        const QString base = used == "start" ? start.root : installed.dir.path();
        const QString folder = QDir(base).filePath(used == "start" ? inStart : inInstalled);
        QCOMPARE(readFile(QDir(folder).filePath("program.hex")), readFile(chosen));
        const QString other =
            used == "start" ? installed.path(inInstalled) : QDir(start.root).filePath(inStart);
        if (!(used == "start" ? inInstalled : inStart).isEmpty())
            QCOMPARE(readFile(QDir(other).filePath("program.hex")), QByteArray("old firmware"));
#ifdef Q_OS_WIN
        QCOMPARE(desktop.commandLines, QStringList{firmwareCommandLine(base)});
#else
        QCOMPARE(desktop.started.size(), 1);
        QVERIFY2(samePath(desktop.started[0].program, QDir(folder).filePath(kToolName)),
                 qPrintable(desktop.started[0].program));
        QVERIFY(
            desktop.started[0].arguments.contains("-if" + QDir(folder).filePath("program.hex")));
        QCOMPARE(desktop.started[0].workingDirectory, start.root);
#endif
    }

    // Neither folder has the tool: named under StartDirectory, where the operator puts it.
    void missingEverywhereIsNamedUnderStartDirectory()
    {
        InstalledFolder installed;
        QVERIFY(deliverBootloader(installed.dir.path(), "Bootloader", false));
        TempStartDirectory start;
        const QString chosen = start.path("new.hex");
        QVERIFY(writeFile(chosen, ":10000000new firmware\n"));
        RecordingDialogs dialogs;
        dialogs.fileName = chosen;
        RecordingDesktop desktop;
        Program program;
        QCOMPARE(updateFirmware(program.mainWindow()->link(), start.root, 200),
                 FirmwareOutcome::ToolMissing);
        QCOMPARE(dialogs.texts().size(), 1);
        const QString expected = QString::fromUtf8("Nie odnaleziono programatora:\n") +
                                 QDir::toNativeSeparators(start.path("Bootloader/AVROSP"));
        QVERIFY2(dialogs.texts()[0].compare(expected, kPathCase) == 0,
                 qPrintable(dialogs.texts()[0]));
        QCOMPARE(desktop.count(), 0);
        QCOMPARE(readFile(installed.path("Bootloader/program.hex")), QByteArray("old firmware"));
    }
};

QTEST_MAIN(TestProgramFolders)
#include "test_program_folders.moc"
