// The program's windows (offscreen) against the simulated device: how many samples a second
// continuous sampling gets, against the line's limit, and what timed sampling gets per
// request, with the mean period between its requests and the largest gap between two; and
// the program's own CPU share while it measures at the full rate, with the indicator tab
// shown, and with the chart tab shown and recording (everything each sample does runs:
// displays, "autoodczyt" registering, chart points).
// Usage: bench_measurement [seconds of the continuous run, default 30] [--port NAME]
// With --port the program connects to a simulator already running behind that port (on
// Windows, where the simulator cannot run, a COM port that wine maps onto its terminal);
// otherwise it starts one of its own.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/protocol/Commands.h"
#include "ui/chart/ChartControl.h"
#include "ui/chart/ChartPage.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"

namespace {

// One request (8 bytes) and one reply (3 + 3 × 4 bytes) at 57600 bit/s, 10 bits a byte,
// plus the 25 ms of silence that ends a read.
constexpr double kLineLimitPerSecond = 1.0 / ((8 + 15) * 10.0 / 57600.0 + 0.025);

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 30;
    QString givenPort;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size())
            givenPort = args[++i];
        else
            seconds = std::max(1, args[i].toInt());
    }

    bench::Simulator sim;
    if (givenPort.isEmpty() ? !sim.start() : !sim.useGiven(givenPort)) {
        std::fprintf(stderr, "the simulator did not start (on this system, name its port: "
                             "--port NAME)\n");
        return 1;
    }
    bench::PrintedDialogs dialogs;
    bench::WorkFolder work;

    kx::Program program;
    program.start();
    program.mainWindow()->startupTimer().stop();
    kx::TForm1* main = program.mainWindow();
    kx::IndicatorPage* ind = main->indicatorPage();
    if (!bench::connect(main, sim.port)) {
        std::fprintf(stderr, "the wizard did not detect the simulator\n");
        return 1;
    }

    CountingSink sink;
    sink.next = &main->link();
    sink.clock.start();
    main->measurement().setRequests({&sink, nullptr});
    ind->setActive({true, true, true});
    const kx::LinkCounters& counters = main->link().counters();

    long samples = 0;
    auto measure = [&](bool continuous, int periodMs, int ms, double* cpu) {
        ind->setSampling({continuous, periodMs});
        sink.requests = 0;
        sink.takenAtNs.clear();
        const auto answersBefore = counters.measureAnswers;
        const double cpuBefore = bench::cpuSeconds();
        main->measurement().StartClick();
        bench::runFor(ms);
        main->measurement().StopClick();
        bench::runFor(300); // late answers still count
        if (cpu)
            *cpu = bench::cpuSeconds() - cpuBefore;
        samples = long(counters.measureAnswers - answersBefore);
    };

    main->pages()->setCurrentWidget(ind);
    double cpu = 0;
    measure(true, 10, seconds * 1000, &cpu);
    const double cpuPercent = 100.0 * cpu / (seconds + 0.3);
    const double perSecond = double(samples) / seconds;
    const double timeouts = sink.requests ? double(sink.requests - samples) / sink.requests : 0;
    std::printf("continuous, indicator tab shown: %ld requests, %ld samples in %d s, program "
                "CPU %.1f %% of one core\n",
                sink.requests, samples, seconds, cpuPercent);

    main->pages()->setCurrentWidget(main->chartPage());
    main->chart().RecordClick();
    double cpuChart = 0;
    measure(true, 10, seconds * 1000, &cpuChart);
    const double cpuChartPercent = 100.0 * cpuChart / (seconds + 0.3);
    std::printf("continuous, chart tab shown and recording: %ld samples in %d s, program CPU "
                "%.1f %% of one core\n",
                samples, seconds, cpuChartPercent);
    main->chart().StopClick();
    main->pages()->setCurrentWidget(ind);

    for (int period : {100, 20}) {
        measure(false, period, 10000, nullptr);
        const Periods p = periods(sink.takenAtNs);
        std::printf("timed %d ms: %ld requests, %ld samples, %.3f samples per request, %.2f "
                    "samples per second, mean period %.2f ms, largest gap %.2f ms\n",
                    period, sink.requests, samples,
                    sink.requests ? double(samples) / sink.requests : 0.0, samples / 10.0, p.meanMs,
                    p.largestGapMs);
    }

    std::printf("samples_per_second=%.2f ratio_to_limit=%.3f timeouts=%.4f cpu_percent=%.1f "
                "cpu_percent_chart=%.1f\n",
                perSecond, perSecond / kLineLimitPerSecond, timeouts, cpuPercent, cpuChartPercent);
    return 0;
}
