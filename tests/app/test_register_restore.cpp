#include <QtTest>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>
#include <optional>

#include "EventLoop.h"
#include "FileSizeLimit.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/register/RegisterJournal.h"
#include "core/settings/SettingsFile.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterTableModel.h"

using namespace kx;

namespace {

const char* const kChild = "--measure-until-killed";

// The child: the program in the current folder, connecting by itself one second after the
// start, then measuring with "autoodczyt" until it is killed.
int measureUntilKilled(int argc, char** argv)
{
    QApplication app(argc, argv);
    RecordingDialogs dialogs;
    dialogs.answer = false;
    Program program;
    program.start();
    TForm1* main = program.mainWindow();
    if (!runUntil([main] { return main->model().Detected; }, 15000))
        return 3;
    main->measurement().StartClick();
    for (;;)
        runEventLoop(1000);
}

void writeConfig(const QString& dir, const QString& port)
{
    Settings s;
    s.PortName = port.toStdString();
    s.Cz_0 = s.Cz_1 = s.Cz_2 = true;
    s.Real_Time_Sample = true;
    s.Autorejestracja = true;
    QFile file(QDir(dir).filePath("config.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(writeSettings(s)));
}

QByteArray journalBytes(const QString& dir)
{
    QFile f(QDir(dir).filePath("rejestr.journal"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

JournalContents contents(const QByteArray& bytes)
{
    return readJournal(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool same(const Registration& a, const Registration& b)
{
    return std::memcmp(&a.measureTime, &b.measureTime, sizeof a.measureTime) == 0 &&
           a.stampMs == b.stampMs &&
           std::memcmp(a.shown.data(), b.shown.data(), sizeof a.shown) == 0 &&
           a.options == b.options && a.flags == b.flags;
}

} // namespace

// A register that survives the end of its run: killed mid-measurement, the program offers
// the rows at the next start and brings back every one that reached the journal.
class TestRegisterRestore : public QObject
{
    Q_OBJECT

private slots:
    void killedMidMeasurementTheRowsComeBack_data()
    {
        QTest::addColumn<int>("cutBytes"); // bytes of a row written only in part
        QTest::newRow("whole rows") << 0;
        QTest::newRow("a row cut off") << 11;
    }

    void killedMidMeasurementTheRowsComeBack()
    {
        QFETCH(int, cutBytes);
        KX_NEEDS_SIMULATOR();
        SimProcess sim;
        QVERIFY(sim.valid());
        QTemporaryDir work;
        writeConfig(work.path(), sim.port);

        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({kChild});
        child.setWorkingDirectory(work.path());
        child.start();
        QVERIFY(child.waitForStarted(5000));
        // Rows reach the journal within about a second of being registered.
        QTRY_VERIFY_WITH_TIMEOUT(contents(journalBytes(work.path())).rows.size() >= 40, 20000);
        child.kill(); // SIGKILL; TerminateProcess on Windows
        QVERIFY(child.waitForFinished(5000));

        QByteArray bytes = journalBytes(work.path());
        const JournalContents flushed = contents(bytes);
        QVERIFY(!flushed.cut);
        if (cutBytes > 0) {
            QFile f(QDir(work.path()).filePath("rejestr.journal"));
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(cutBytes, '\x5A'));
        }

        QDir::setCurrent(work.path());
        RecordingDialogs dialogs;
        dialogs.answer = true;
        {
            Program program;
            program.mainWindow()->startupTimer().stop();
            const RegisterRows& rows = program.mainWindow()->registers().model().rows();
            QCOMPARE(rows.size(), flushed.rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i)
                QVERIFY2(same(rows[i], flushed.rows[i]), qPrintable(QString::number(i)));
            QVERIFY(dialogs.messages.first().text.startsWith(
                QString::fromUtf8("Program nie został poprawnie zamknięty.")));
            QCOMPARE(dialogs.messages.size(), cutBytes > 0 ? 2 : 1);
            if (cutBytes > 0)
                QVERIFY(dialogs.messages.last().text.contains(QString::fromUtf8("ucięty")));
            // This run's journal holds them again, for a second failure.
            QTRY_COMPARE_WITH_TIMEOUT(contents(journalBytes(work.path())).rows.size(),
                                      flushed.rows.size(), 5000);
        }
        // An end without a crash: nothing is offered at the next start.
        QVERIFY(journalBytes(work.path()).isEmpty());
        QDir::setCurrent(QDir::tempPath());
    }

    void declinedTheRowsAreGone()
    {
        QTemporaryDir work;
        QFile f(QDir(work.path()).filePath("rejestr.journal"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        std::string bytes(journalHeader());
        Registration r;
        r.setShown(ValueField::Y, 1.5f);
        appendJournalRecord(bytes, r);
        f.write(bytes.data(), qint64(bytes.size()));
        f.close();
        writeConfig(work.path(), "COM1");
        QDir::setCurrent(work.path());
        RecordingDialogs dialogs;
        dialogs.answer = false;
        {
            Program program;
            program.mainWindow()->startupTimer().stop();
            QCOMPARE(dialogs.messages.size(), 1);
            QCOMPARE(program.mainWindow()->registers().model().rows().size(), std::size_t(0));
            QTRY_COMPARE_WITH_TIMEOUT(journalBytes(work.path()).toStdString(),
                                      std::string(journalHeader()), 5000);
        }
        QDir::setCurrent(QDir::tempPath());
    }

    // A journal that cannot be written, from the start or once the disk is full, is said once;
    // the table keeps every row and is saved as before.
    void aJournalThatCannotBeWrittenIsSaidOnce_data()
    {
        QTest::addColumn<bool>("fillsUp");
        QTest::newRow("a folder in its place") << false;
        QTest::newRow("the disk fills up") << true;
    }

    void aJournalThatCannotBeWrittenIsSaidOnce()
    {
        QFETCH(bool, fillsUp);
#ifndef Q_OS_UNIX
        if (fillsUp)
            QSKIP("a full disk is made with a POSIX file size limit");
#endif
        QTemporaryDir work;
        writeConfig(work.path(), "COM1");
        if (!fillsUp)
            QVERIFY(QDir(work.path()).mkdir("rejestr.journal"));
        QDir::setCurrent(work.path());
        auto back = qScopeGuard([] { QDir::setCurrent(QDir::tempPath()); });
        const QString journal = QDir::current().filePath("rejestr.journal");
        RecordingDialogs dialogs;
        {
            Program program;
            program.mainWindow()->startupTimer().stop();
            RegisterControl& registers = program.mainWindow()->registers();
            QVERIFY(dialogs.messages.isEmpty());
            int registered = 0;
#ifdef Q_OS_UNIX
            std::optional<FileSizeLimit> full;
            if (fillsUp) {
                // The journal works at first.
                registers.ReadPositionClick();
                ++registered;
                QTRY_COMPARE_WITH_TIMEOUT(contents(journalBytes(work.path())).rows.size(),
                                          std::size_t(1), 5000);
                QVERIFY(dialogs.messages.isEmpty());
                full.emplace(rlim_t(journalBytes(work.path()).size()));
                QVERIFY(full->set);
            }
#endif
            // Rows registered over several of the journal's writes, the first failure said
            // before the rest.
            const bool said = runUntil(
                [&] {
                    registers.ReadPositionClick();
                    ++registered;
                    return !dialogs.messages.isEmpty();
                },
                10000);
            for (int i = 0; i < 3 * JournalWriter::kFlushMs / 20; ++i) {
                registers.ReadPositionClick();
                ++registered;
                runEventLoop(20);
            }
#ifdef Q_OS_UNIX
            full.reset(); // before anything is logged
#endif
            QVERIFY2(said, "nothing said of the journal");
            QCOMPARE(dialogs.messages.size(), 1);
            QVERIFY2(dialogs.messages.first().text.startsWith(
                         QString::fromUtf8("Nie można zapisywać kopii tabeli rejestracji:\n") +
                         QDir::toNativeSeparators(journal)),
                     qPrintable(dialogs.messages.first().text));
            QCOMPARE(registers.model().registeredCount(), registered);
            // The table is saved as before.
            const QString saved = QDir::current().filePath("tabela.txt");
            dialogs.fileName = saved;
            dialogs.filter = "Text (*.txt)";
            registers.ButtonSaveAsClick();
            QCOMPARE(dialogs.messages.size(), 1);
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().count('\n') >= registered);
        }
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kChild) == 0)
        return measureUntilKilled(argc, argv);
    QApplication app(argc, argv);
    TestRegisterRestore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_register_restore.moc"
