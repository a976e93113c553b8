#include <QtTest>

#include <QAction>

#include "RecordingDesktop.h"
#include "RecordingDialogs.h"
#include "TempStartDirectory.h"
#include "app/HelpFiles.h"
#include "app/Program.h"
#include "app/TForm1.h"

using namespace kx;

namespace {

const QString kHelpFile = "KX350T-PC.hlp";
const QString kManual = "KX350T rev 1.0_instrukcja_obslugi.pdf";

// Windows keeps one folder whatever the letter case it is named in.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

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
        QTest::newRow("manual: no folder") << "instrukcja1"
                                           << ""
                                           << "Help/" + kManual;
        QTest::newRow("manual: only the help file") << "instrukcja1"
                                                    << "help/" + kHelpFile << "help/" + kManual;
    }

    void missingFileIsNamed()
    {
        QFETCH(QString, action);
        QFETCH(QString, present);
        QFETCH(QString, lookedFor);
        TempStartDirectory start;
        if (present.endsWith('/'))
            QVERIFY(start.makeFolder(present));
        else if (!present.isEmpty())
            QVERIFY(start.makeFolder(QFileInfo(present).path()) &&
                    writeFile(start.path(present), "document"));
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

    void fileTheDesktopCannotOpenIsNamed()
    {
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
