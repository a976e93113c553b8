#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include "SimProcess.h"
#include "core/settings/SettingsFile.h"

// The running program, ended by the system or a terminal: it closes as through its close
// button, so the settings changed since it started are written.
class TestTermination : public QObject
{
    Q_OBJECT

private slots:
    void aSignalClosesAndWritesTheSettings_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void aSignalClosesAndWritesTheSettings()
    {
        QFETCH(int, signal);
        SimProcess sim({"--verbose"});
        QVERIFY(sim.valid());
        QTemporaryDir work;
        QVERIFY(work.isValid());
        kx::Settings settings;
        settings.PortName = sim.port.toStdString();
        settings.Sample_rate = 250;
        // Line ends the program does not write: a file it wrote again is told apart.
        std::string text = kx::writeSettings(settings);
        std::erase(text, '\r');
        QFile config(work.filePath("config.ini"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(text.data(), qint64(text.size()));
        config.close();

        QProcess program;
        program.setProgram(QStringLiteral(KX_PROGRAM_PATH));
        program.setWorkingDirectory(work.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start();
        QVERIFY(program.waitForStarted(5000));
        // Running: its wizard reads the simulated device one second after the start.
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += sim.process.readAllStandardError()).contains("<- read"),
                                 10000);
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QVERIFY(config.open(QIODevice::ReadOnly));
        const QByteArray written = config.readAll();
        QVERIFY2(written.contains("\r\n"), "config.ini was not written again");
        const kx::Settings read = kx::readSettings(written.toStdString());
        QCOMPARE(read.Sample_rate, 250);
        QCOMPARE(QString::fromStdString(read.PortName), sim.port);
    }
};

QTEST_GUILESS_MAIN(TestTermination)
#include "test_termination.moc"
