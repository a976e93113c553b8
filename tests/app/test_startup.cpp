#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

#include "EventLoop.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/settings/SettingsFile.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"
#include "ui/wizard/TAsystentForm.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

// A fresh working folder, optionally with a config.ini, made current for the test.
struct WorkDir
{
    QTemporaryDir dir;
    QString previous = QDir::currentPath();

    explicit WorkDir(const QByteArray& config = {}, bool withFile = true)
    {
        QDir::setCurrent(dir.path());
        if (withFile) {
            QFile f("config.ini");
            f.open(QIODevice::WriteOnly);
            f.write(config);
        }
    }
    ~WorkDir() { QDir::setCurrent(previous); }

    QStringList writtenLines() const
    {
        QFile f(dir.filePath("config.ini"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromLatin1(f.readAll());
        if (!text.endsWith("\r\n"))
            return {"(not ended by CR LF)"};
        text.chop(2);
        return text.split("\r\n");
    }
};

// The default file with one line's value replaced.
QByteArray configWith(int line, const QByteArray& value)
{
    QList<QByteArray> lines = QByteArray::fromStdString(writeSettings(Settings{})).split('\n');
    QByteArray& l = lines[line - 1];
    l = l.left(l.indexOf(' ') + 1) + value + "\r";
    return lines.join('\n');
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void withoutASettingsFile()
    {
        WorkDir work({}, false);
        RecordingDialogs dialogs;
        {
            Program program;
            TForm1* main = program.mainWindow();
            QCOMPARE(dialogs.texts(), QStringList{"nie odnaleziono pliku konfiguracyjnego!"});
            QCOMPARE(dialogs.messages[0].caption,
                     QString()); // a plain box with the program's title
            QCOMPARE(main->StartDirectory(), work.dir.path());
            auto* grid = child<QTableView>(main->registerPage(), "RegisterGrid");
            QVERIFY(grid);
            QCOMPARE(grid->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QString("Index"));
            QCOMPARE(main->link().PortName, QString("COM1"));
            QCOMPARE(main->model().TypeName, std::string("<nierozpoznane>"));
            auto* read = child<QPushButton>(main->registerPage(), "ButtonReadPosition");
            QVERIFY(read);
            QVERIFY(!read->isEnabled());
            program.start();
            main->startupTimer().stop();
            main->close();
        }
        const QStringList lines = work.writtenLines();
        QCOMPARE(lines.size(), 29);
        QCOMPARE(lines[0], QString("Cz_0= 0"));
        QCOMPARE(lines[7], QString("Sample_per_page= 10"));
        QCOMPARE(lines[20], QString("domyslny_port_com= COM1"));
        for (int i = 21; i < 29; ++i)
            QVERIFY(lines[i].endsWith("= 0"));
    }

    void settingsOnTheControls_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<int>("line"); // the line whose written value is checked
        QTest::addColumn<QString>("written");
        QTest::newRow("7 on Cz_0 checks the box, written back as 1")
            << configWith(1, "7") << 1 << "1";
        QTest::newRow("sample rate 5 becomes 10") << configWith(5, "5") << 5 << "10";
        QTest::newRow("line 18 wins over line 17")
            << configWith(18, "1").replace("Rejestracja_czas= 1", "Rejestracja_czas= 0") << 17
            << "1";
        QByteArray misspelled = QByteArray::fromStdString(writeSettings(Settings{}));
        misspelled.replace("Cz_", "Xx_").replace("Sample", "Smaple");
        misspelled.replace("Wykres_PK4_F= 0", "Wykres_PK4_F= 42");
        QTest::newRow("misspelled keys read by position") << misspelled << 29 << "42";
        QByteArray cut = QByteArray::fromStdString(writeSettings(Settings{}));
        cut.replace("Cz_1= 0", "Cz_1= 1");
        cut.replace("Rejestracja_Cz1= 1", "Rejestracja_Cz1= 0");
        cut = cut.left(cut.indexOf("Rejestracja_Cz1")); // cut after line 10
        QTest::newRow("cut after line 10: line 2 read") << cut << 2 << "1";
        QTest::newRow("cut after line 10: line 11 initial") << cut << 11 << "1";
        QTest::newRow("port") << configWith(21, "/dev/ttyUSB3") << 21 << "/dev/ttyUSB3";
        QTest::newRow("line settings") << configWith(24, "-12") << 24 << "-12";
    }

    void settingsOnTheControls()
    {
        QFETCH(QByteArray, config);
        QFETCH(int, line);
        QFETCH(QString, written);
        WorkDir work(config);
        RecordingDialogs dialogs;
        {
            Program program;
            QVERIFY(dialogs.messages.isEmpty());
            program.start();
            program.mainWindow()->startupTimer().stop();
            QAction* quit = program.mainWindow()->findChild<QAction*>("zakocz1");
            quit->trigger(); // "zakończ" writes as the close button does
        }
        const QStringList lines = work.writtenLines();
        QCOMPARE(lines.size(), 29);
        QCOMPARE(lines[line - 1].section("= ", 1), written);
    }

    void checkBoxReactionsAfterReading()
    {
        WorkDir work(configWith(9, "0").replace("Real_Time_Sample= 0", "Real_Time_Sample= 1"));
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        auto* autoRead = child<QCheckBox>(main->registerPage(), "CheckBoxAutoRead");
        auto* read = child<QPushButton>(main->registerPage(), "ButtonReadPosition");
        auto* continuous = child<QCheckBox>(main->indicatorPage(), "ContinuousSampling");
        auto* periodDisplay = child<ValueLabel>(main->indicatorPage(), "Label67");
        QVERIFY(autoRead && read && continuous && periodDisplay);
        QVERIFY(!autoRead->isChecked());
        QVERIFY(read->isEnabled());
        program.start();
        main->startupTimer().stop();
        QVERIFY(continuous->isChecked());
        QVERIFY(periodDisplay->isVisible());
    }

    void wizardConnectsOneSecondAfterStart()
    {
        KX_NEEDS_SIMULATOR();
        SimProcess sim;
        QVERIFY(sim.valid());
        QByteArray config = configWith(21, sim.port.toLocal8Bit());
        config.replace("Wykres_PK2_H= 0", "Wykres_PK2_H= 7");
        WorkDir work(config);
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        auto* wizard = main->findChild<TAsystentForm*>();
        QCOMPARE(wizard->portBox()->currentText(), sim.port); // the stored port
        program.start();
        runEventLoop(700);
        QVERIFY(!wizard->isVisible());
        QVERIFY(runUntil([&] { return wizard->isVisible(); }, 1500));
        QVERIFY(!main->startupTimer().isActive());
        QCOMPARE(main->findChild<TKonigLiniiForm*>()->lineSettings()[2], 7);
        QVERIFY(runUntil([&] { return main->model().Detected; }, 10000));
        QVERIFY(dialogs.messages.isEmpty());
        runEventLoop(1200);
        QVERIFY(!main->startupTimer().isActive());
    }

    // A config.ini that is there but cannot be read (here a folder of that name, which even
    // root cannot read as a file) is not called missing, and the program starts with the
    // defaults and closes as usual, leaving it in place.
    void aSettingsFileThatCannotBeReadIsNotCalledMissing()
    {
        WorkDir work({}, false);
        QVERIFY(QDir(work.dir.path()).mkdir("config.ini"));
        RecordingDialogs dialogs;
        {
            Program program;
            QCOMPARE(dialogs.texts(), QStringList());
            QCOMPARE(program.mainWindow()->link().PortName, QString("COM1"));
            program.start();
            program.mainWindow()->startupTimer().stop();
            program.mainWindow()->close();
            QVERIFY(!program.mainWindow()->isVisible());
        }
        QVERIFY(QFileInfo(work.dir.filePath("config.ini")).isDir());
    }

    void closeWithoutAWritableFolderStillCloses()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows does not let the working folder of a running program disappear");
#endif
        auto work = std::make_unique<WorkDir>(QByteArray::fromStdString(writeSettings(Settings{})));
        RecordingDialogs dialogs;
        Program program;
        program.start();
        program.mainWindow()->startupTimer().stop();
        const QString gone = work->dir.path();
        work.reset(); // the working folder disappears under the running program
        QVERIFY(!QDir(gone).exists());
        program.mainWindow()->close();
        QVERIFY(!program.mainWindow()->isVisible());
        QVERIFY(!QFile::exists(gone + "/config.ini"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
