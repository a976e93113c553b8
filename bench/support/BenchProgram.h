#pragma once
// What the benchmarks that run the program's windows share: the simulator as a process, the
// program in a folder of its own with its dialogs answered on standard error, a connection
// through the wizard, the real event loop, and the process's CPU time and resident memory.

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <fstream>
#include <functional>

#include "Measures.h"
#include "app/TForm1.h"
#include "ui/common/Dialogs.h"
#include "ui/wizard/TAsystentForm.h"

namespace bench {

// The real event loop, blocking between events as in the program (timers, the idle step).
inline void runFor(int ms)
{
    QEventLoop loop;
    // Precise: a coarse timer may end a ten-second run a few hundred ms early.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer wait;
    wait.start();
    while (!done()) {
        if (wait.elapsed() > timeoutMs)
            return false;
        runFor(20);
    }
    return true;
}

// User and system CPU time of the whole process, in seconds.
inline double cpuSeconds()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](FILETIME f) {
        return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
#endif
}

// Messages go to standard error: nobody is there to dismiss a box. Questions get `answer`,
// file dialogs `fileName`.
struct PrintedDialogs : kx::Dialogs
{
    bool answer = false;
    QString fileName;
    int messages = 0;
    bool quiet = false;

    PrintedDialogs() { kx::setDialogs(this); }
    ~PrintedDialogs() override { kx::setDialogs(nullptr); }
    void showMessage(const QString& text) override { messageBox(text, {}, {}); }
    void messageBox(const QString& text, const QString&, kx::MessageIcon) override
    {
        ++messages;
        if (!quiet)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool question(const QString&, const QString&) override { return answer; }
    QString openFileName(const QString&, const QString&) override { return fileName; }
    QString saveFileName(const QString&, const QString&, QString*) override { return fileName; }
};

// The simulated device as a process; `port` is the terminal to open. Where the simulator cannot
// run (Windows), the caller starts it and names the port it reaches it by (`useGiven`).
struct Simulator
{
    QProcess process;
    QString port;

    bool useGiven(const QString& given)
    {
        port = given;
        return !port.isEmpty();
    }

    bool start(const QStringList& args = {})
    {
#ifndef KX_SIM_PATH
        Q_UNUSED(args);
        return false;
#else
        process.start(KX_SIM_PATH, args);
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return false;
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
        return port.startsWith('/');
#endif
    }
    ~Simulator()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
};

// A working folder of its own, so no settings of the operator's are read or written.
struct WorkFolder
{
    QTemporaryDir dir;
    WorkFolder() { QDir::setCurrent(dir.path()); }
};

// Connects the program to `port` as the operator does through the wizard; false when the
// device is not detected within the time.
inline bool connect(kx::TForm1* main, const QString& port, int timeoutMs = 10000)
{
    auto* wizard = main->findChild<kx::TAsystentForm*>();
    wizard->portBox()->setCurrentText(port);
    wizard->BitBtn3Click();
    return runUntil([main] { return main->model().Detected; }, timeoutMs);
}

} // namespace bench
