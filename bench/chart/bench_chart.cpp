// The time chart with five long recordings: what a redraw of everything and of one page costs,
// what adding a sample costs, and how much memory a point takes. Prints its figures; the last
// line is one line of key=value pairs.

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

#include "measure/ChartPaging.h"
#include "measure/ChartPlottable.h"

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

// The machine may be shared: time on this thread's CPU leaves out the time others ran.
double threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Like the chart tab: black to navy, white axes, legend, five series of width 2.
struct Chart
{
    QCustomPlot plot;
    std::vector<ChartPlottable*> series;

    Chart()
    {
        plot.resize(900, 500);
        QLinearGradient ground(0, 0, 0, 1);
        ground.setCoordinateMode(QGradient::ObjectMode);
        ground.setColorAt(0, Qt::black);
        ground.setColorAt(1, QColor(0, 0, 0x80));
        plot.setBackground(QBrush(ground));
        for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
            axis->setTickLabelColor(Qt::white);
            axis->setLabelColor(Qt::white);
            axis->grid()->setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1));
            axis->grid()->setSubGridVisible(true);
        }
        plot.xAxis->setLabel(QStringLiteral("czas [s]"));
        plot.yAxis->setLabel(QStringLiteral("kąt [ °]"));
        plot.legend->setVisible(true);
        const struct
        {
            const char* name;
            QColor colour;
            ChartPlottable::Style style;
        } looks[] = {
            {"Y", Qt::red, ChartPlottable::Style::Line},
            {"X1", Qt::green, ChartPlottable::Style::Line},
            {"X2", Qt::cyan, ChartPlottable::Style::Line},
            {"PK1", Qt::white, ChartPlottable::Style::StepLeft},
            {"PK2", QColor(0xFF, 0x80, 0), ChartPlottable::Style::StepLeft},
        };
        for (const auto& look : looks) {
            auto* s = new ChartPlottable(plot.xAxis, plot.yAxis);
            s->setName(look.name);
            s->setPen(QPen(look.colour, 2));
            s->setStyle(look.style);
            series.push_back(s);
        }
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

    void addSample(double t)
    {
        const double base = 40 * std::sin(t * 0.05) + 10 * std::sin(t * 1.3);
        series[0]->addPoint(t, base + signal.noise(signal.random));
        series[1]->addPoint(t, 0.6 * base + 20 + signal.noise(signal.random));
        series[2]->addPoint(t, -0.4 * base - 30 + signal.noise(signal.random));
        if (signal.flip(signal.random) == 0)
            signal.pk1 ^= 1;
        if (signal.flip(signal.random) == 0)
            signal.pk2 ^= 1;
        series[3]->addPoint(t, 50.0 * signal.pk1);
        series[4]->addPoint(t, 50.0 * signal.pk2 + 75);
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

    void showPage(IndexRange page)
    {
        std::vector<PagedSeries> shown;
        for (ChartPlottable* s : series) {
            s->setShownRange(page);
            shown.push_back(pagedSeries(s->series()));
        }
        const std::int64_t perPage = page.size();
        const PageLayout layout = layoutPage(perPage, page.first / perPage + 1, shown);
        plot.xAxis->setRange(layout.keyExtent->lower, layout.keyExtent->upper);
        plot.yAxis->setRange(layout.valueExtent->lower, layout.valueExtent->upper);
    }

    void showAll()
    {
        for (ChartPlottable* s : series)
            s->showAll();
        plot.rescaleAxes();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The large recording first, so its memory is not taken from what a freed one left.
    auto owner = std::make_unique<Chart>();
    Chart& chart = *owner;
    chart.plot.show();
    chart.plot.xAxis->setRange(0, kPoints * 0.01);
    chart.plot.yAxis->setRange(-100, 150);
    // What the chart costs without points: ground, grid, axes, legend.
    const Chart::Redraw empty = chart.redraw();
    const long before = residentBytes();
    chart.fill(kPoints);
    const long after = residentBytes();
    const double bytesPerPoint = double(after - before) / (5.0 * kPoints);
    std::size_t held = 0;
    for (ChartPlottable* s : chart.series)
        held += s->series().memoryUsage();

    chart.showAll();
    const Chart::Redraw full = chart.redraw();

    chart.showPage({kPoints - kPagePoints, kPoints - 1});
    const Chart::Redraw page = chart.redraw();
    chart.showPage({kPoints / 2, kPoints / 2 + kPagePoints - 1});
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
        smaller.plot.show();
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
