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

// A stand-in for the programmer tool: writes its arguments, one a line, beside itself. On
// Windows the command interpreter finds the tool by its extension, and the stand-in is a
// Windows program of the tests' own (tests/win/programmer_standin.cpp).
const QByteArray kTool = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/args.txt\"\n";
const QFile::Permissions kExecutable =
    QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
#ifdef Q_OS_WIN
const QString kToolName = "AVROSP.exe";
#else
const QString kToolName = "AVROSP";
#endif

QStringList toolArguments(const QString& hexFile)
{
    return {"-dATmega16", "-pf", "-vf", "-if" + hexFile, "-e"};
}

// A path as the program shows it in a message.
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
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
    QString tool;
    QString chosen;

    explicit Fixture(const QString& folderName = "Bootloader", bool withTool = true)
    {
        start.makeFolder("bin");
        path = std::make_unique<ScopedPath>(start.path("bin"));
        folder = start.path(folderName);
        if (!folderName.isEmpty()) {
            start.makeFolder(folderName);
            if (withTool)
                writeFile(QDir(folder).filePath(kToolName), kTool, kExecutable);
            writeFile(QDir(folder).filePath("program.hex"), "old firmware");
        }
        target = QDir(folder).filePath("program.hex");
        tool = QDir(folder).filePath(kToolName);
        start.makeFolder("fw");
        chosen = start.path("fw/new.hex");
        writeFile(chosen, ":10000000new firmware\n");
        dialogs.fileName = chosen;
        program = std::make_unique<Program>();
    }

    TForm1* main() const { return program->mainWindow(); }
    LinkControl& link() const { return main()->link(); }
    void update() const { main()->findChild<QAction*>("Aktualizacja1")->trigger(); }
    // What is wrong with the programmer's start, or nothing: started once, on Windows as the
    // command interpreter's line, elsewhere as the tool with its arguments in StartDirectory.
    QString programmerStartProblem() const
    {
#ifdef Q_OS_WIN
        if (!desktop.started.isEmpty() ||
            desktop.commandLines != QStringList{firmwareCommandLine(start.root)})
            return "command lines: " + desktop.commandLines.join(" | ");
#else
        if (desktop.started.size() != 1 || !desktop.commandLines.isEmpty())
            return QString("%1 started").arg(desktop.started.size());
        const RecordingDesktop::Start& s = desktop.started[0];
        if (s.program != tool || s.arguments != toolArguments(target) ||
            s.workingDirectory != start.root)
            return s.program + " " + s.arguments.join(' ') + " in " + s.workingDirectory;
#endif
        return {};
    }
    QStringList folderEntries() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                      QDir::Name);
    }
};

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

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
#ifndef Q_OS_WIN // one folder on a file system that ignores letter case
        QTest::newRow("both spellings: its own first")
            << QStringList{"Help/", "help/"} << QStringList{"help"} << "help";
        QTest::newRow("a file does not stand for a folder")
            << QStringList{"help", "HELP/x"} << QStringList{"help", "x"} << "HELP/x";
#endif
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
        const QString path = findProgramFile(dir.path(), parts);
        QVERIFY2(path.compare(QDir(dir.path()).filePath(found), kPathCase) == 0, qPrintable(path));
    }

    void bootloaderFolderIsAFolder()
    {
        QTemporaryDir dir;
        QCOMPARE(bootloaderFolder(dir.path()), QString());
        QVERIFY(writeFile(dir.filePath("bootloader"), "not a folder"));
        QCOMPARE(bootloaderFolder(dir.path()), QString());
        QVERIFY(QFile::remove(dir.filePath("bootloader")));
        QVERIFY(QDir(dir.path()).mkdir("BootLoader"));
        QCOMPARE(bootloaderFolder(dir.path()).compare(dir.filePath("BootLoader"), kPathCase), 0);
        const QString tool = dir.filePath("BootLoader/" + kToolName.toLower());
        QVERIFY(writeFile(tool, kTool));
        QCOMPARE(programmerTool(dir.filePath("BootLoader")).compare(tool, kPathCase), 0);
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
#ifdef Q_OS_WIN
        QSKIP("Windows starts the programmer through its command interpreter");
#endif
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
        KX_NEEDS_SIMULATOR();
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
        QCOMPARE(f.folderEntries(), (QStringList{kToolName, "program.hex"}));
        QCOMPARE(QDir(f.start.root).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{"bin", folderName, "fw"}));
        // The tool flashes the very file just copied.
        QCOMPARE(f.programmerStartProblem(), QString());
    }

    void startsInATerminalWhereOneIsOnThePath()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows starts the programmer through its command interpreter");
#endif
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
        QCOMPARE(f.programmerStartProblem(), QString());
    }

    // The wait runs the event loop, so the link handles the engine's report (notice and all)
    // before the copy; the port stays closed until the wizard connects again.
    void closesAnOpenPortBeforeTheCopy()
    {
        KX_NEEDS_SIMULATOR();
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
        QCOMPARE(f.programmerStartProblem(), QString());

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
        QCOMPARE(f.programmerStartProblem(), QString());
    }

    void failedCopyIsReportedAndStartsNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("target is a folder") << "folder";
#ifndef Q_OS_WIN // a link on Windows is a shortcut file, which the file dialog resolves
        QTest::newRow("target links into a missing folder") << "dangling";
#endif
        QTest::newRow("chosen file gone") << "gone";
    }

    // Tests run as root, who may write anywhere: the target is made impossible to write by
    // what it is, not by its permissions.
    void failedCopyIsReportedAndStartsNothing()
    {
        QFETCH(QString, kind);
        Fixture f;
        QString expected = QString::fromUtf8("Nie można zapisać pliku:\n") + shown(f.target);
        if (kind == "folder") {
            QVERIFY(QFile::remove(f.target));
            QVERIFY(QDir(f.folder).mkpath("program.hex"));
            QVERIFY(writeFile(QDir(f.target).filePath("inside"), "kept"));
        } else if (kind == "dangling") {
            QVERIFY(QFile::remove(f.target));
            QVERIFY(QFile::link(f.start.path("missing/program.hex"), f.target));
        } else {
            QVERIFY(QFile::remove(f.chosen));
            expected = QString::fromUtf8("Nie można odczytać pliku:\n") + shown(f.chosen);
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
#ifndef Q_OS_WIN // a link on Windows is a shortcut file, which the file dialog resolves
        QTest::newRow("a link to it") << "link";
#endif
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
        QCOMPARE(f.programmerStartProblem(), QString());
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
        QCOMPARE(f.dialogs.texts().size(), 1);
        const QString expected = QString::fromUtf8("Nie odnaleziono programatora:\n") + shown(tool);
        QVERIFY2(f.dialogs.texts()[0].compare(expected, kPathCase) == 0,
                 qPrintable(f.dialogs.texts()[0]));
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
        QCOMPARE(
            f.dialogs.texts(),
            QStringList{QString::fromUtf8("Nie można uruchomić programatora:\n") + shown(f.tool)});
        QCOMPARE(readFile(f.target), readFile(f.chosen));
    }

#ifdef Q_OS_WIN
    // WinExec's contract: the program gets the line as written, not as QProcess would quote
    // its words.
    void theCommandLineReachesTheProgramUnchanged()
    {
        QTemporaryDir dir;
        const QString program = QDir::toNativeSeparators(dir.filePath("tool.exe"));
        QVERIFY(QFile::copy(
            QDir(QCoreApplication::applicationDirPath()).filePath(KX_PROGRAMMER_STANDIN), program));
        const QString line = '"' + program + "\"  -if\"C:\\a b\\p.hex\" -e\"  \\\"x\\\" ";
        QVERIFY(QtDesktop().startCommandLine(line, dir.path()));
        const QString recorded = dir.filePath("commandline.txt");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(recorded).size() > 0, 20000);
        QCOMPARE(QString::fromUtf8(readFile(recorded)), line);
    }
#endif

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

    // The desktop's own start, no recorder: the tool really runs, detached (on Windows through
    // "cmd /k", whose console stays open), and gets exactly the arguments of the line.
    void theToolReallyStarts()
    {
        Fixture f;
#ifdef Q_OS_WIN
        QVERIFY(QFile::remove(f.tool));
        QVERIFY(QFile::copy(
            QDir(QCoreApplication::applicationDirPath()).filePath(KX_PROGRAMMER_STANDIN), f.tool));
#endif
        setDesktop(nullptr);
        f.update();
        const QString args = QDir(f.folder).filePath("args.txt");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 20000);
        QTRY_COMPARE(QString::fromUtf8(readFile(args)),
                     toolArguments(shown(f.target)).join('\n') + '\n');
#ifdef Q_OS_WIN
        // The line as the tool got it from the command interpreter.
        qInfo("programmer started as: %s",
              readFile(QDir(f.folder).filePath("commandline.txt")).constData());
#endif
    }
};

QTEST_MAIN(TestFirmware)
#include "test_firmware.moc"
