#include <QtTest>

#include <QAction>
#include <QProcess>

#include <memory>

#include "RecordingDesktop.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "TempStartDirectory.h"
#include "app/FirmwareUpdate.h"
#include "app/Program.h"
#include "app/ProgramPaths.h"
#include "app/TForm1.h"

using namespace kx;

namespace {

// Records the firmware dialog's settings besides answering it.
struct FirmwareDialogs : RecordingDialogs
{
    int asked = 0;
    QString title;
    QString openFilter;
    QString suffix;

    QString openExistingFile(const QString& t, const QString& f, const QString& s) override
    {
        ++asked;
        title = t;
        openFilter = f;
        suffix = s;
        return fileName;
    }
};

// PATH for the duration of a test, so whether a terminal is found does not depend on the
// machine.
struct ScopedPath
{
    QByteArray previous = qgetenv("PATH");
    explicit ScopedPath(const QString& path) { qputenv("PATH", QFile::encodeName(path)); }
    ~ScopedPath() { qputenv("PATH", previous); }
};

// A stand-in for the programmer tool: writes its arguments, one a line, beside itself.
const QByteArray kTool = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/args.txt\"\n";
const QFile::Permissions kExecutable =
    QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;

QStringList toolArguments(const QString& hexFile)
{
    return {"-dATmega16", "-pf", "-vf", "-if" + hexFile, "-e"};
}

// The program in a fresh StartDirectory that holds a boot-loader folder with the tool and an
// older program.hex, and a new firmware file elsewhere. No terminal on PATH.
struct Fixture
{
    TempStartDirectory start;
    FirmwareDialogs dialogs;
    RecordingDesktop desktop;
    std::unique_ptr<ScopedPath> path;
    std::unique_ptr<Program> program;
    QString folder;
    QString target;
    QString chosen;

    explicit Fixture(const QString& folderName = "Bootloader", bool withTool = true)
    {
        start.makeFolder("bin");
        path = std::make_unique<ScopedPath>(start.path("bin"));
        folder = start.path(folderName);
        if (!folderName.isEmpty()) {
            start.makeFolder(folderName);
            if (withTool)
                writeFile(QDir(folder).filePath("AVROSP"), kTool, kExecutable);
            writeFile(QDir(folder).filePath("program.hex"), "old firmware");
        }
        target = QDir(folder).filePath("program.hex");
        start.makeFolder("fw");
        chosen = start.path("fw/new.hex");
        writeFile(chosen, ":10000000new firmware\n");
        dialogs.fileName = chosen;
        program = std::make_unique<Program>();
    }

    TForm1* main() const { return program->mainWindow(); }
    LinkControl& link() const { return main()->link(); }
    void update() const { main()->findChild<QAction*>("Aktualizacja1")->trigger(); }
    QStringList folderEntries() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                      QDir::Name);
    }
};

} // namespace

class TestFirmware : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QString>("startDirectory");
        QTest::addColumn<QString>("line");
        const QString kx = "cmd /k \"C:\\KX\\Bootloader\\AVROSP -dATmega16 -pf -vf "
                           "-if\"C:\\KX\\Bootloader\\program.hex\" -e\"";
        QTest::newRow("C:\\KX") << "C:\\KX" << kx;
        QTest::newRow("C:/KX as Qt gives it") << "C:/KX" << kx;
        QTest::newRow("a drive's root") << "C:/"
                                        << "cmd /k \"C:\\Bootloader\\AVROSP -dATmega16 -pf -vf "
                                           "-if\"C:\\Bootloader\\program.hex\" -e\"";
        QTest::newRow("blanks in the folder")
            << "D:\\Program Files\\KX350T-PC"
            << "cmd /k \"D:\\Program Files\\KX350T-PC\\Bootloader\\AVROSP -dATmega16 -pf -vf "
               "-if\"D:\\Program Files\\KX350T-PC\\Bootloader\\program.hex\" -e\"";
    }

    void commandLine()
    {
        QFETCH(QString, startDirectory);
        QFETCH(QString, line);
        QCOMPARE(firmwareCommandLine(startDirectory), line);
    }

    void findsProgramFilesWhateverTheirLetterCase_data()
    {
        QTest::addColumn<QStringList>("entries"); // folders end with '/'
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("found");
        QTest::newRow("as delivered")
            << QStringList{"Bootloader/"} << QStringList{"Bootloader"} << "Bootloader";
        QTest::newRow("lower case")
            << QStringList{"bootloader/"} << QStringList{"Bootloader"} << "bootloader";
        QTest::newRow("upper case")
            << QStringList{"BOOTLOADER/"} << QStringList{"Bootloader"} << "BOOTLOADER";
        QTest::newRow("both spellings: its own first")
            << QStringList{"Help/", "help/"} << QStringList{"help"} << "help";
        QTest::newRow("a file does not stand for a folder")
            << QStringList{"help", "HELP/x"} << QStringList{"help", "x"} << "HELP/x";
        QTest::newRow("folder and file")
            << QStringList{"HELP/kx350t-pc.HLP"} << QStringList{"help", "KX350T-PC.hlp"}
            << "HELP/kx350t-pc.HLP";
        QTest::newRow("missing: as given")
            << QStringList{"other/"} << QStringList{"Help", "manual.pdf"} << "Help/manual.pdf";
        QTest::newRow("missing file in a found folder")
            << QStringList{"HELP/"} << QStringList{"help", "KX350T-PC.hlp"} << "HELP/KX350T-PC.hlp";
    }

    void findsProgramFilesWhateverTheirLetterCase()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, parts);
        QFETCH(QString, found);
        QTemporaryDir dir;
        for (const QString& entry : entries) {
            if (entry.endsWith('/')) {
                QVERIFY(QDir(dir.path()).mkpath(entry));
            } else {
                QDir(dir.path()).mkpath(QFileInfo(entry).path());
                QVERIFY(writeFile(dir.filePath(entry), "x"));
            }
        }
        QCOMPARE(findProgramFile(dir.path(), parts), QDir(dir.path()).filePath(found));
    }

    void bootloaderFolderIsAFolder()
    {
        QTemporaryDir dir;
        QCOMPARE(bootloaderFolder(dir.path()), QString());
        QVERIFY(writeFile(dir.filePath("bootloader"), "not a folder"));
        QCOMPARE(bootloaderFolder(dir.path()), QString());
        QVERIFY(QDir(dir.path()).mkdir("BootLoader"));
        QCOMPARE(bootloaderFolder(dir.path()), dir.filePath("BootLoader"));
        QVERIFY(writeFile(dir.filePath("BootLoader/avrosp"), kTool));
        QCOMPARE(programmerTool(dir.filePath("BootLoader")), dir.filePath("BootLoader/avrosp"));
    }

    void programmerAloneGetsTheToolsArguments()
    {
        const ProgramStart start =
            programmerStart("/kx/Bootloader/AVROSP", "/kx/Bootloader/program.hex", QString());
        QCOMPARE(start.program, QString("/kx/Bootloader/AVROSP"));
        QCOMPARE(start.arguments, toolArguments("/kx/Bootloader/program.hex"));
    }

    // The terminal runs the tool and then leaves a shell, as "cmd /k" leaves its console. The
    // command after -e is run here as the terminal would run it, with a shell that ends at once.
    void programmerInATerminalRunsTheToolThenAShell()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("a \"quoted\" $HOME folder");
        QVERIFY(QDir().mkpath(folder));
        const QString tool = QDir(folder).filePath("AVROSP");
        QVERIFY(writeFile(tool, kTool, kExecutable));
        const QString hex = QDir(folder).filePath("program.hex");

        const ProgramStart start = programmerStart(tool, hex, "/usr/bin/x-terminal-emulator");
        QCOMPARE(start.program, QString("/usr/bin/x-terminal-emulator"));
        QVERIFY(start.arguments.size() >= 2);
        QCOMPARE(start.arguments.first(), QString("-e"));

        QProcess terminal;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString marker = dir.filePath("shell-ran");
        QVERIFY(writeFile(dir.filePath("shell"), "#!/bin/sh\n: > \"$KX_MARKER\"\n", kExecutable));
        env.insert("SHELL", dir.filePath("shell"));
        env.insert("KX_MARKER", marker);
        terminal.setProcessEnvironment(env);
        terminal.start(start.arguments[1], start.arguments.mid(2));
        QVERIFY(terminal.waitForFinished(5000));
        QCOMPARE(terminal.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(readFile(QDir(folder).filePath("args.txt"))),
                 toolArguments(hex).join('\n') + '\n');
        QVERIFY2(QFile::exists(marker), "no shell left for the operator");
    }

    void asksForAnExistingHexFile()
    {
        Fixture f;
        f.dialogs.fileName.clear();
        f.update();
        QCOMPARE(f.dialogs.asked, 1);
        QCOMPARE(f.dialogs.title, QString::fromUtf8("Wskaż plik HEX do wgrania"));
        QCOMPARE(f.dialogs.openFilter, QString("EEPROM hex file (*.hex)"));
        QCOMPARE(f.dialogs.suffix, QString("hex"));
    }

    void cancelledDialogLeavesAnOpenPortOpen()
    {
        SimProcess sim;
        QVERIFY(sim.valid());
        Fixture f;
        QCOMPARE(f.link().openForWizard(sim.port), 0);
        QTRY_VERIFY(!f.link().SuppressOpenNotice); // its PortOpened handled
        f.dialogs.fileName.clear();
        f.update();
        QTest::qWait(200);
        QVERIFY(f.link().PortOpen);
        QVERIFY(f.link().engine().is_open());
        QCOMPARE(readFile(f.target), QByteArray("old firmware"));
        QCOMPARE(f.desktop.count(), 0);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void copiesIntoTheBootloaderFolderOfAnyCase_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("bootloader") << "bootloader";
        QTest::newRow("Bootloader") << "Bootloader";
        QTest::newRow("BOOTLOADER") << "BOOTLOADER";
        QTest::newRow("BootLoader") << "BootLoader";
    }

    void copiesIntoTheBootloaderFolderOfAnyCase()
    {
        QFETCH(QString, folderName);
        Fixture f(folderName);
        f.update();
        QVERIFY2(f.dialogs.messages.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
        QCOMPARE(readFile(f.target), readFile(f.chosen));
        // Replaced through a temporary file that is gone again; no second folder was made.
        QCOMPARE(f.folderEntries(), (QStringList{"AVROSP", "program.hex"}));
        QCOMPARE(QDir(f.start.root).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"bin", folderName, "fw"}));
        // The tool flashes the very file just copied.
        QCOMPARE(f.desktop.started.size(), 1);
        QCOMPARE(f.desktop.started[0].program, QDir(f.folder).filePath("AVROSP"));
        QCOMPARE(f.desktop.started[0].arguments, toolArguments(f.target));
        QCOMPARE(f.desktop.started[0].workingDirectory, f.start.root);
        QVERIFY(f.desktop.commandLines.isEmpty());
    }

    void startsInATerminalWhereOneIsOnThePath()
    {
        Fixture f;
        const QString terminal = f.start.path("bin/x-terminal-emulator");
        QVERIFY(writeFile(terminal, "#!/bin/sh\n", kExecutable));
        f.update();
        QCOMPARE(f.desktop.started.size(), 1);
        QCOMPARE(f.desktop.started[0].program, terminal);
        const QStringList args = f.desktop.started[0].arguments;
        QCOMPARE(args.first(), QString("-e"));
        QVERIFY(args.contains(QDir(f.folder).filePath("AVROSP")));
        QCOMPARE(args.mid(args.size() - 5), toolArguments(f.target));
    }

    void withoutAnOpenPortCopiesAtOnce()
    {
        Fixture f;
        QVERIFY(!f.link().PortOpen);
        bool loopRan = false;
        QMetaObject::invokeMethod(
            f.main(), [&] { loopRan = true; }, Qt::QueuedConnection);
        f.update();
        QVERIFY2(!loopRan, "the update waited for something");
        QCOMPARE(readFile(f.target), readFile(f.chosen));
        QCOMPARE(f.desktop.started.size(), 1);
    }

    // The wait runs the event loop, so the link handles the engine's report (notice and all)
    // before the copy; the port stays closed until the wizard connects again.
    void closesAnOpenPortBeforeTheCopy()
    {
        SimProcess sim;
        QVERIFY(sim.valid());
        Fixture f;
        LinkControl& link = f.link();
        QCOMPARE(link.openForWizard(sim.port), 0);
        QTRY_VERIFY(!link.SuppressOpenNotice);

        int closedReports = 0;
        QByteArray targetAtClose;
        connect(&link, &LinkControl::portClosed, this, [&] {
            ++closedReports;
            targetAtClose = readFile(f.target);
        });
        qsizetype startsDuringNotice = -1;
        f.dialogs.whileShown = [&] { startsDuringNotice = f.desktop.started.size(); };

        f.update();
        QCOMPARE(closedReports, 1);
        QCOMPARE(targetAtClose, QByteArray("old firmware"));
        QVERIFY(!link.PortOpen);
        QVERIFY(!link.engine().is_open());
        QCOMPARE(f.dialogs.texts(), QStringList{"Zamknieto port " + sim.port});
        QCOMPARE(startsDuringNotice, 0);
        QCOMPARE(readFile(f.target), readFile(f.chosen));
        QCOMPARE(f.desktop.started.size(), 1);

        QTest::qWait(300);
        QVERIFY(!link.PortOpen);
        QCOMPARE(closedReports, 1);
    }

    void goesOnWhenThePortNeverReportsClosed()
    {
        Fixture f;
        f.link().PortOpen = true; // no engine behind it: no report will come
        QCOMPARE(updateFirmware(f.link(), f.start.root, 200), FirmwareOutcome::Started);
        QCOMPARE(readFile(f.target), readFile(f.chosen));
        QCOMPARE(f.desktop.started.size(), 1);
    }

    void failedCopyIsReportedAndStartsNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("target links into a missing folder") << "dangling";
        QTest::newRow("chosen file gone") << "gone";
    }

    // Tests run as root, who may write anywhere: the target is made impossible to write by
    // what it is, not by its permissions.
    void failedCopyIsReportedAndStartsNothing()
    {
        QFETCH(QString, kind);
        Fixture f;
        QString expected = QString::fromUtf8("Nie można zapisać pliku:\n") + f.target;
        if (kind == "folder") {
            QVERIFY(QFile::remove(f.target));
            QVERIFY(QDir(f.folder).mkpath("program.hex"));
            QVERIFY(writeFile(QDir(f.target).filePath("inside"), "kept"));
        } else if (kind == "dangling") {
            QVERIFY(QFile::remove(f.target));
            QVERIFY(QFile::link(f.start.path("missing/program.hex"), f.target));
        } else {
            QVERIFY(QFile::remove(f.chosen));
            expected = QString::fromUtf8("Nie można odczytać pliku:\n") + f.chosen;
        }
        const QStringList before = f.folderEntries();

        QCOMPARE(updateFirmware(f.link(), f.start.root), FirmwareOutcome::CopyFailed);
        QCOMPARE(f.dialogs.texts(), QStringList{expected});
        QCOMPARE(f.desktop.count(), 0);
        QCOMPARE(f.folderEntries(), before);
        if (kind == "folder")
            QCOMPARE(readFile(QDir(f.target).filePath("inside")), QByteArray("kept"));
        else if (kind == "dangling")
            QVERIFY(QFileInfo(f.target).isSymLink() && !QFileInfo::exists(f.target));
        else
            QCOMPARE(readFile(f.target), QByteArray("old firmware"));
    }

    void choosingTheTargetItselfCopiesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("its own path") << "path";
        QTest::newRow("a path through ..") << "dotdot";
        QTest::newRow("a link to it") << "link";
    }

    void choosingTheTargetItselfCopiesNothing()
    {
        QFETCH(QString, how);
        Fixture f;
        if (how == "path") {
            f.dialogs.fileName = f.target;
        } else if (how == "dotdot") {
            f.dialogs.fileName = f.start.path("fw/../Bootloader/program.hex");
        } else {
            f.dialogs.fileName = f.start.path("fw/link.hex");
            QVERIFY(QFile::link(f.target, f.dialogs.fileName));
        }
        f.update();
        QVERIFY2(f.dialogs.messages.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
        QCOMPARE(readFile(f.target), QByteArray("old firmware"));
        QVERIFY(!QFileInfo(f.target).isSymLink());
        QCOMPARE(f.desktop.started.size(), 1);
        QCOMPARE(f.desktop.started[0].arguments, toolArguments(f.target));
    }

    // Nothing here would tell the operator that the tool is missing; the port is not closed
    // for an update that cannot happen.
    void missingToolIsReportedFirst_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("no tool in the folder") << "bootloader";
        QTest::newRow("no boot-loader folder") << "";
    }

    void missingToolIsReportedFirst()
    {
        QFETCH(QString, folderName);
        Fixture f(folderName, false);
        f.link().PortOpen = true;
        const QString tool =
            QDir(folderName.isEmpty() ? f.start.path("Bootloader") : f.folder).filePath("AVROSP");
        QCOMPARE(updateFirmware(f.link(), f.start.root, 200), FirmwareOutcome::ToolMissing);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{QString::fromUtf8("Nie odnaleziono programatora:\n") + tool});
        QVERIFY(f.link().PortOpen);
        QCOMPARE(f.desktop.count(), 0);
        if (folderName.isEmpty())
            QVERIFY(!QFileInfo::exists(f.start.path("Bootloader")) &&
                    !QFileInfo::exists(f.start.path("bootloader")));
        else
            QCOMPARE(readFile(f.target), QByteArray("old firmware"));
    }

    void failedStartIsReported()
    {
        Fixture f;
        f.desktop.result = false;
        QCOMPARE(updateFirmware(f.link(), f.start.root), FirmwareOutcome::StartFailed);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{QString::fromUtf8("Nie można uruchomić programatora:\n") +
                             QDir(f.folder).filePath("AVROSP")});
        QCOMPARE(readFile(f.target), readFile(f.chosen));
    }

    void copiesAFileOfManyChunksWhole()
    {
        QTemporaryDir dir;
        QByteArray bytes;
        for (int n = 0; n < 300000; ++n)
            bytes.append(char(n * 7 + n / 251));
        QVERIFY(writeFile(dir.filePath("big.hex"), bytes));
        QVERIFY(writeFile(dir.filePath("program.hex"), "older"));
        QCOMPARE(copyFirmware(dir.filePath("big.hex"), dir.filePath("program.hex")),
                 FirmwareCopy::Copied);
        QCOMPARE(readFile(dir.filePath("program.hex")), bytes);
        QVERIFY(writeFile(dir.filePath("empty.hex"), ""));
        QCOMPARE(copyFirmware(dir.filePath("empty.hex"), dir.filePath("program.hex")),
                 FirmwareCopy::Copied);
        QCOMPARE(readFile(dir.filePath("program.hex")), QByteArray());
    }

    // The desktop's own start, no recorder: the tool really runs, detached.
    void theToolReallyStarts()
    {
        Fixture f;
        setDesktop(nullptr);
        f.update();
        const QString args = QDir(f.folder).filePath("args.txt");
        QTRY_VERIFY(QFile::exists(args));
        QTRY_COMPARE(QString::fromUtf8(readFile(args)), toolArguments(f.target).join('\n') + '\n');
    }
};

QTEST_MAIN(TestFirmware)
#include "test_firmware.moc"
