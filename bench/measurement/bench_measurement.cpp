// The program's windows (offscreen) against the simulated device: how many samples a second
// continuous sampling gets, against the line's limit, and what timed sampling gets per
// request, with the mean period between its requests and the largest gap between two.
// Usage: bench_measurement [seconds of the continuous run, default 30]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Program.h"
#include "app/TForm1.h"
#include "measure/IndicatorPage.h"
#include "measure/MeasurementControl.h"
#include "protocol/Commands.h"
#include "ui/Dialogs.h"
#include "wizard/TAsystentForm.h"

namespace {

// One request (8 bytes) and one reply (3 + 3 × 4 bytes) at 57600 bit/s, 10 bits a byte,
// plus the 25 ms of silence that ends a read.
constexpr double kLineLimitPerSecond = 1.0 / ((8 + 15) * 10.0 / 57600.0 + 0.025);

void run(int ms)
{
    QEventLoop loop;
    // Precise: a coarse timer (the default from 2 s) may end a 10 s run half a second early.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Counts measurement requests on their way to the engine, and when the engine took each.
struct CountingSink : kx::ByteSink
{
    kx::ByteSink* next = nullptr;
    long requests = 0;
    QElapsedTimer clock;
    std::vector<qint64> takenAtNs;
    bool send(const uint8_t* data, int length) override
    {
        const bool taken = next->send(data, length);
        if (taken && length == 8 && data[2] == kx::Cmd::Measure) {
            ++requests;
            takenAtNs.push_back(clock.nsecsElapsed());
        }
        return taken;
    }
};

// The mean period between the requests taken, and the largest gap between two, in ms.
struct Periods
{
    double meanMs = 0;
    double largestGapMs = 0;
};

Periods periods(const std::vector<qint64>& takenAtNs)
{
    Periods p;
    if (takenAtNs.size() < 2)
        return p;
    p.meanMs = double(takenAtNs.back() - takenAtNs.front()) / 1e6 / double(takenAtNs.size() - 1);
    for (std::size_t i = 1; i < takenAtNs.size(); ++i)
        p.largestGapMs = std::max(p.largestGapMs, double(takenAtNs[i] - takenAtNs[i - 1]) / 1e6);
    return p;
}

// Messages go to standard error: nobody is there to dismiss a box.
struct PrintedDialogs : kx::Dialogs
{
    void showMessage(const QString& text) override { messageBox(text, {}, {}); }
    void messageBox(const QString& text, const QString&, kx::MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool question(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, QString*) override { return {}; }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    QProcess sim;
    sim.start(KX_SIM_PATH, {});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();

    PrintedDialogs dialogs;
    kx::setDialogs(&dialogs);
    // A folder of its own, so no settings of the operator's are read or written.
    QTemporaryDir work;
    QDir::setCurrent(work.path());

    kx::Program program;
    program.start();
    program.mainWindow()->startupTimer().stop();
    kx::TForm1* main = program.mainWindow();
    kx::DeviceModel& model = main->model();
    kx::IndicatorPage* ind = main->indicatorPage();
    auto* wizard = main->findChild<kx::TAsystentForm*>();
    wizard->portBox()->setCurrentText(port);
    wizard->BitBtn3Click();
    QElapsedTimer wait;
    wait.start();
    while (!model.Detected && wait.elapsed() < 10000)
        run(50);
    if (!model.Detected) {
        std::fprintf(stderr, "the wizard did not detect the simulator\n");
        return 1;
    }

    CountingSink sink;
    sink.next = &main->link();
    sink.clock.start();
    main->measurement().setRequests({&sink, nullptr});
    long samples = 0;
    main->measurement().setAfterNewValues([&] { ++samples; });
    ind->setActive({true, true, true});

    auto measure = [&](bool continuous, int periodMs, int ms, double* cpu) {
        ind->setSampling({continuous, periodMs});
        sink.requests = 0;
        sink.takenAtNs.clear();
        samples = 0;
        const double cpuBefore = cpuSeconds();
        main->measurement().StartClick();
        run(ms);
        main->measurement().StopClick();
        run(300); // late answers still count
        if (cpu)
            *cpu = cpuSeconds() - cpuBefore;
    };

    double cpu = 0;
    measure(true, 10, seconds * 1000, &cpu);
    const double perSecond = double(samples) / seconds;
    const double timeouts = sink.requests ? double(sink.requests - samples) / sink.requests : 0;
    const long continuousRequests = sink.requests;
    const long continuousSamples = samples;
    std::printf("continuous: %ld requests, %ld samples in %d s\n", continuousRequests,
                continuousSamples, seconds);
    std::printf("program CPU while measuring at the full rate: %.1f %% of one core\n",
                100.0 * cpu / (seconds + 0.3));

    for (int period : {100, 20}) {
        measure(false, period, 10000, nullptr);
        const Periods p = periods(sink.takenAtNs);
        std::printf("timed %d ms: %ld requests, %ld samples, %.3f samples per request, %.2f "
                    "samples per second, mean period %.2f ms, largest gap %.2f ms\n",
                    period, sink.requests, samples,
                    sink.requests ? double(samples) / sink.requests : 0.0, samples / 10.0, p.meanMs,
                    p.largestGapMs);
    }

    std::printf("samples_per_second=%.2f ratio_to_limit=%.3f timeouts=%.4f\n", perSecond,
                perSecond / kLineLimitPerSecond, timeouts);
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
