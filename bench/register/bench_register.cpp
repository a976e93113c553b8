// The measurement register with a million rows, on its tab as the main window shows it: the
// memory a row takes, what registering one sample costs while the view follows the newest
// row, and how long saving the whole register as ".txt" and ".xls" takes. Prints its
// figures; the last line is one line of key=value pairs.
//
// The machine may be shared: the key figures are time on this thread's CPU, which leaves out
// the time others ran (a file's writing into the page cache is this thread's too); the wall
// clock is printed beside them. An argument gives a smaller row count for a quick look.

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "core/device/DeviceModel.h"
#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"

using namespace kx;
using Clock = std::chrono::steady_clock;

#include "Measures.h"

namespace {

using bench::median;
using bench::percentile;
using bench::residentBytes;
using bench::threadUs;
using bench::wallUs;

constexpr int kDefaultRows = 1'000'000;
// While the register fills, the event loop runs every so many registrations and the view
// paints; then kFollowed registrations are timed one at a time, each followed by the loop.
constexpr int kRowsBetweenEvents = 100;
constexpr int kFollowed = 2001;

// A sample as a measurement gives it: values that move, outputs that switch.
Registration sample(int n, RegisterOptions options, int64_t stampMs)
{
    Registration r;
    r.options = options;
    r.measureTime = n * 0.01;
    r.stampMs = stampMs + n * 10;
    r.setShown(ValueField::Y, 12.3456f + float(n % 1000) * 0.01f);
    r.setShown(ValueField::X1, 5.25f - float(n % 333) * 0.001f);
    r.setShown(ValueField::X2, -0.5f + float(n % 77) * 0.1f);
    r.setOutputs(n % 3 == 0, n % 5 == 0);
    return r;
}

struct Export
{
    double cpuSeconds = 0;
    double wallSeconds = 0;
    qint64 bytes = 0;
    bool written = false;
};

// As "     Zapisz       " writes: QSaveFile, progress dialog and all.
Export save(RegisterControl& control, const QString& fileName, RegisterFileFormat format)
{
    Export e;
    const double cpu0 = threadUs();
    const double wall0 = wallUs();
    e.written = control.WriteRegisterFile(fileName, format);
    e.cpuSeconds = (threadUs() - cpu0) / 1e6;
    e.wallSeconds = (wallUs() - wall0) / 1e6;
    e.bytes = QFile(fileName).size();
    return e;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRows;

    // The tab as the main window hosts it.
    QTabWidget window;
    window.setFixedSize(947, 638);
    auto* page = new RegisterPage;
    window.addTab(page, QStringLiteral("Rejestracja pomiarów"));
    DeviceModel device;
    device.TypeName = "KX350T";
    RegisterControl control(page, device, [] {
        return MeasurementSummary{0, 10000.0, {false, 10}, {true, true, true}};
    });
    control.writeHeaderRow();
    window.show();
    QApplication::processEvents();

    const RegisterOptions options = page->registerOptions();
    const int64_t stamp = control.now();
    const long before = residentBytes();
    const double fill0 = wallUs();
    for (int n = 0; n < rows; ++n) {
        control.addRegistration(sample(n, options, stamp));
        if (n % kRowsBetweenEvents == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    const double fillSeconds = (wallUs() - fill0) / 1e6;
    const long after = residentBytes();
    const double bytesPerRow = double(after - before) / rows;

    // Reading the thread's CPU clock is a system call: its own cost is taken off each figure.
    std::vector<double> clockCost;
    for (int n = 0; n < 1001; ++n) {
        const double a = threadUs();
        clockCost.push_back(threadUs() - a);
    }
    const double clockUs = median(clockCost);

    std::vector<double> appendCpu;
    std::vector<double> appendWall;
    std::vector<double> loopCpu;
    for (int n = rows; n < rows + kFollowed; ++n) {
        const Registration r = sample(n, options, stamp);
        const double wall0 = wallUs();
        const double cpu0 = threadUs();
        control.addRegistration(r);
        const double cpu1 = threadUs();
        const double wall1 = wallUs();
        QApplication::processEvents();
        const double cpu2 = threadUs();
        appendCpu.push_back(std::max(cpu1 - cpu0 - clockUs, 0.0));
        appendWall.push_back(wall1 - wall0);
        loopCpu.push_back(cpu2 - cpu1);
    }

    const RegisterTableModel& model = control.model();
    const QTableView* grid = page->grid();
    std::printf("registered %d rows in %.1f s wall (view shown, the event loop every %d)\n", rows,
                fillSeconds, kRowsBetweenEvents);
    std::printf("then %d one at a time, each followed by the event loop: grid row %d of %d at "
                "the top, newest \"%s\", scroll %d of %d\n",
                kFollowed, grid->rowAt(0) + 1, model.gridRowCount(),
                qPrintable(model.cellText(model.gridRowCount() - 1, 0)),
                grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
    std::printf("append, view following: median %.2f us CPU (99th percentile %.2f; the clock's "
                "own %.2f us taken off), median %.2f us wall\n",
                median(appendCpu), percentile(appendCpu, 0.99), clockUs, median(appendWall));
    std::printf("event loop after it (layout, paint of the grid): median %.0f us CPU "
                "(99th percentile %.0f)\n",
                median(loopCpu), percentile(loopCpu, 0.99));
    std::printf("resident memory: %.2f bytes per row (%.1f MiB for the register)\n", bytesPerRow,
                double(after - before) / (1024.0 * 1024.0));

    QTemporaryDir dir;
    const Export txt = save(control, dir.filePath("rejestr.txt"), RegisterFileFormat::Text);
    const Export xls = save(control, dir.filePath("rejestr.xls"), RegisterFileFormat::Excel);
    for (const auto& [name, e] : {std::pair{".txt", txt}, std::pair{".xls", xls}})
        std::printf("export %s: %.3f s CPU, %.3f s wall, %lld bytes%s\n", name, e.cpuSeconds,
                    e.wallSeconds, static_cast<long long>(e.bytes), e.written ? "" : " (FAILED)");
    std::printf("bytes_per_row=%.2f append_us=%.2f export_txt_s=%.3f export_xls_s=%.3f\n",
                bytesPerRow, median(appendCpu), txt.cpuSeconds, xls.cpuSeconds);
    return txt.written && xls.written ? 0 : 1;
}
