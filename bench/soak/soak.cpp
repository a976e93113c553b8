// A bench that records all day: the program's windows (offscreen) against the simulated
// device, continuous sampling, "autoodczyt" registering every sample and the chart recording
// every sample, for a given time. Every minute it prints the resident memory, the rows
// registered, the chart's points, the measurement requests left without a reply and the
// program's CPU share; at the end one line of key=value pairs.
// Usage: soak [duration: 600 (seconds), 90s, 10m, 2h; default 10m]
#include <QApplication>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/chart/ChartSeries.h"
#include "ui/chart/ChartControl.h"
#include "ui/chart/ChartPage.h"
#include "ui/link/LinkControl.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"

namespace {

// "600", "90s", "10m", "2h": seconds.
long durationSeconds(const char* text)
{
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (n <= 0)
        return -1;
    switch (*end) {
    case '\0':
    case 's':
        return n;
    case 'm':
        return n * 60;
    case 'h':
        return n * 3600;
    default:
        return -1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long seconds = argc > 1 ? durationSeconds(argv[1]) : 600;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: soak [duration: 600, 90s, 10m, 2h]\n");
        return 2;
    }

    bench::PrintedDialogs dialogs;
    bench::WorkFolder work;
    bench::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    kx::Program program;
    program.start();
    program.mainWindow()->startupTimer().stop();
    kx::TForm1* main = program.mainWindow();
    if (!bench::connect(main, sim.port)) {
        std::fprintf(stderr, "the wizard did not detect the simulator\n");
        return 1;
    }

    kx::IndicatorPage* indicators = main->indicatorPage();
    indicators->setActive({true, true, true});
    indicators->setSampling({true, 100});
    kx::RegisterPage::Options options = main->registerPage()->options();
    options.autoRead = true;
    main->registerPage()->setOptions(options);
    auto* grid = main->registerPage()->findChild<QTableView*>("RegisterGrid");
    auto* rows = qobject_cast<kx::RegisterTableModel*>(grid->model());
    main->pages()->setCurrentWidget(main->chartPage());
    main->chart().RecordClick();
    main->measurement().StartClick();

    auto points = [&] {
        long n = 0;
        for (int t = 0; t < kx::kTraceCount; ++t)
            n += long(main->chart().data().series(static_cast<kx::Trace>(t)).size());
        return n;
    };
    const kx::LinkControl& link = main->link();

    // A minute to settle (caches, first allocations) before the growth is measured.
    std::printf("minute rss_mb rows points lost cpu_percent\n");
    long rssStart = 0;
    long rowsStart = 0;
    double cpuLast = bench::cpuSeconds();
    const long minutes = (seconds + 59) / 60;
    for (long minute = 1; minute <= minutes; ++minute) {
        const long span = std::min<long>(60, seconds - (minute - 1) * 60);
        bench::runFor(int(span * 1000));
        const double cpuNow = bench::cpuSeconds();
        const long rss = bench::residentBytes();
        const long registered = rows ? rows->registeredCount() : 0;
        std::printf("%6ld %6.1f %ld %ld %llu %.1f\n", minute, double(rss) / 1e6, registered,
                    points(), static_cast<unsigned long long>(link.counters().unanswered()),
                    100.0 * (cpuNow - cpuLast) / double(span));
        std::fflush(stdout);
        cpuLast = cpuNow;
        if (minute == 1) {
            rssStart = rss;
            rowsStart = registered;
        }
    }
    main->measurement().StopClick();
    bench::runFor(300);

    const long rss = bench::residentBytes();
    const long registered = rows ? rows->registeredCount() : 0;
    const long samples = registered - rowsStart;
    std::printf("minutes=%ld rows=%ld points=%ld lost=%llu rss_mb=%.1f "
                "growth_bytes_per_sample=%.1f\n",
                minutes, registered, points(),
                static_cast<unsigned long long>(link.counters().unanswered()), double(rss) / 1e6,
                samples > 0 ? double(rss - rssStart) / double(samples) : 0.0);
    return 0;
}
