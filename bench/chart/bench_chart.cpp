// The program's time chart with five long recordings: what a redraw of everything and of one page
// costs, what adding a sample costs, and how much memory a point takes. Prints its figures; the
// last line is one line of key=value pairs.

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include <time.h>
#include <unistd.h>

#include <qcustomplot.h>

#include "Measures.h"
#include "core/chart/ChartRecording.h"
#include "core/chart/ChartSeries.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/ChartPlottable.h"

using namespace kx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPoints = 1'000'000;
constexpr int kFewerPoints = 100'000;
constexpr int kPagePoints = 1000;
constexpr int kRedraws = 21;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double threadMs()
{
    return bench::threadUs() / 1000;
}

using bench::median;
using bench::residentBytes;

// The program's chart tab, the size the main window gives it, filled by the program's
// recording.
struct Chart
{
    ChartData data;
    ChartPage page{data};
    QCustomPlot& plot = *page.chart();
    ChartRecording recording{data};
    Sample sample;
    LineSettings lines{50, 0, 50, 75, 50, 150, 50, 225};

    Chart()
    {
        page.resize(947, 610);
        recording.record();
        sample.active = {true, true, true};
    }
    // One sample to all five: three noisy signals, two outputs switching now and then.
    struct Signal
    {
        std::mt19937 random{1};
        std::normal_distribution<double> noise{0, 3};
        std::uniform_int_distribution<int> flip{0, 999};
        int pk1 = 0;
        int pk2 = 1;
    } signal;

    // As a measured sample reaches the chart: the three values, then the output lines.
    void addSample(double t)
    {
        const double base = 40 * std::sin(t * 0.05) + 10 * std::sin(t * 1.3);
        sample.measureTime = t;
        sample.shown.y = float(base + signal.noise(signal.random));
        sample.shown.x1 = float(0.6 * base + 20 + signal.noise(signal.random));
        sample.shown.x2 = float(-0.4 * base - 30 + signal.noise(signal.random));
        if (signal.flip(signal.random) == 0)
            signal.pk1 ^= 1;
        if (signal.flip(signal.random) == 0)
            signal.pk2 ^= 1;
        sample.pk1 = signal.pk1 != 0;
        sample.pk2 = signal.pk2 != 0;
        recording.add(sample, lines);
    }

    void fill(int points)
    {
        for (int i = 0; i < points; ++i)
            addSample(i * 0.01);
    }

    // Median milliseconds of a replot painted to the screen at once: on this thread's CPU and
    // on the wall clock.
    struct Redraw
    {
        double cpu;
        double wall;
    };
    Redraw redraw()
    {
        std::vector<double> cpu;
        std::vector<double> wall;
        for (int i = 0; i < kRedraws; ++i) {
            const double cpuStart = threadMs();
            const auto start = Clock::now();
            plot.replot(QCustomPlot::rpImmediateRefresh);
            wall.push_back(microseconds(Clock::now() - start) / 1000);
            cpu.push_back(threadMs() - cpuStart);
        }
        return {median(cpu), median(wall)};
    }

    // Page `number` of pages of `perPage` points, as the tab's paging shows it.
    void showPage(int perPage, int number)
    {
        page.setPointsPerPage(perPage);
        page.setCurrentPage(number);
    }
    void showAll()
    {
        page.setPointsPerPage(0);
        page.refresh(recording.generation());
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The large recording first, so its memory is not taken from what a freed one left.
    auto owner = std::make_unique<Chart>();
    Chart& chart = *owner;
    chart.page.show();
    chart.plot.xAxis->setRange(0, kPoints * 0.01);
    chart.plot.yAxis->setRange(-100, 150);
    // What the chart costs without points: ground, grid, axes, legend.
    const Chart::Redraw empty = chart.redraw();
    const long before = residentBytes();
    chart.fill(kPoints);
    const long after = residentBytes();
    const double bytesPerPoint = double(after - before) / (5.0 * kPoints);
    std::size_t held = 0;
    for (int t = 0; t < kTraceCount; ++t)
        held += chart.data.series(static_cast<Trace>(t)).memoryUsage();

    chart.showAll();
    const Chart::Redraw full = chart.redraw();

    chart.showPage(kPagePoints, kPoints / kPagePoints);
    const Chart::Redraw page = chart.redraw();
    chart.showPage(kPagePoints, kPoints / kPagePoints / 2);
    const Chart::Redraw middlePage = chart.redraw();

    // Adding one sample to all five series, one at a time.
    std::vector<double> appends;
    double t = kPoints * 0.01;
    for (int i = 0; i < 20000; ++i) {
        const auto start = Clock::now();
        chart.addSample(t);
        appends.push_back(microseconds(Clock::now() - start));
        t += 0.01;
    }

    // A second run of the measurement restarting at 0: each sample lands among the million.
    std::vector<double> inserts;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> when(0, kPoints * 0.01);
    for (int i = 0; i < 2000; ++i) {
        const double at = i < 1000 ? i * 0.01 + 0.005 : when(random);
        const auto start = Clock::now();
        chart.addSample(at);
        inserts.push_back(microseconds(Clock::now() - start));
    }

    chart.showAll();
    const Chart::Redraw fullAfterInserts = chart.redraw();

    const int shownWidth = chart.plot.width();
    const int shownHeight = chart.plot.height();
    owner.reset();

    // The smaller recording, for the comparison.
    Chart::Redraw full100k{};
    {
        Chart smaller;
        smaller.page.show();
        smaller.fill(kFewerPoints);
        smaller.showAll();
        full100k = smaller.redraw();
    }

    const double append = median(appends);
    const double insert = median(inserts);
    std::printf("points per series: %d (5 series), chart %d x %d px\n", kPoints, shownWidth,
                shownHeight);
    std::printf("redraws, median of %d, ms on this thread's CPU (wall clock):\n", kRedraws);
    std::printf("  empty chart:                  %6.2f (%6.2f)\n", empty.cpu, empty.wall);
    std::printf("  everything, %7d points:     %6.2f (%6.2f)\n", kFewerPoints, full100k.cpu,
                full100k.wall);
    std::printf("  everything, %7d points:     %6.2f (%6.2f), %.2f times the above\n", kPoints,
                full.cpu, full.wall, full.cpu / full100k.cpu);
    std::printf("  everything, after insertions: %6.2f (%6.2f)\n", fullAfterInserts.cpu,
                fullAfterInserts.wall);
    std::printf("  last page of %d points:     %6.2f (%6.2f)\n", kPagePoints, page.cpu, page.wall);
    std::printf("  middle page of %d points:   %6.2f (%6.2f)\n", kPagePoints, middlePage.cpu,
                middlePage.wall);
    std::printf("one sample to all five series (wall clock): append %.3f us (max %.1f), insert "
                "%.2f us (max %.1f)\n",
                append, *std::max_element(appends.begin(), appends.end()), insert,
                *std::max_element(inserts.begin(), inserts.end()));
    std::printf("resident memory: %.2f bytes per point (the store counts %.2f)\n", bytesPerPoint,
                double(held) / (5.0 * kPoints));
    std::printf("full_redraw_ms=%.2f full_redraw_100k_ms=%.2f page_redraw_ms=%.2f append_us=%.3f "
                "insert_us=%.2f bytes_per_point=%.2f\n",
                full.cpu, full100k.cpu, page.cpu, append, insert, bytesPerPoint);
    return 0;
}
