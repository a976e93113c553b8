#pragma once
// Runs the real event loop, which blocks between events, so the program's idle step runs as
// it does in the program (QTest::qWait only polls and never lets the loop block).

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

inline void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        runEventLoop(20);
    }
    return true;
}
