#pragma once
// The simulated device as a separate process, for tests that go through a real terminal.

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

struct SimProcess
{
    QProcess process;
    QString port; // the terminal the program connects to

    explicit SimProcess(const QStringList& args = {})
    {
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
    }
    ~SimProcess()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
    bool valid() const { return port.startsWith('/'); }
};
