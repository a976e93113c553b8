#pragma once
// The simulated device as a separate process, for tests that go through a real terminal.
// The simulator needs a POSIX pseudo-terminal; a build without one (Windows) has no
// KX_SIM_PATH, and the cases that need the device skip with KX_NEEDS_SIMULATOR.

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#ifdef KX_SIM_PATH
#define KX_NEEDS_SIMULATOR() (void)0
#else
#define KX_NEEDS_SIMULATOR()                                                                       \
    QSKIP("the simulated device needs a POSIX pseudo-terminal, which this system does not have")
#endif

struct SimProcess
{
    QProcess process;
    QString port; // the terminal the program connects to

    explicit SimProcess(const QStringList& args = {})
    {
#ifdef KX_SIM_PATH
        process.setProgram(QStringLiteral(KX_SIM_PATH));
        process.setArguments(args);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start();
        if (!process.waitForStarted(5000))
            return;
        QElapsedTimer timer;
        timer.start();
        while (!process.canReadLine() && timer.elapsed() < 5000)
            process.waitForReadyRead(100);
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
#else
        Q_UNUSED(args);
#endif
    }
    ~SimProcess()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
    bool valid() const
    {
        return port.startsWith('/');
    }
};
