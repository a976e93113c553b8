// The device hangs up while the program is connected and measuring, and comes back: a hundred
// times (or as many as asked). Each time the program must handle the port's close once, stop
// the measurement and show the device as not connected, send nothing more, keep running, and
// connect again through the wizard. Prints a line per failure and the counts.
// Usage: bench_hangup [cycles, default 100]
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include <cstdio>
#include <cstdlib>

#include "BenchProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/common/ValueLabel.h"
#include "ui/device/DevicePage.h"
#include "ui/link/LinkControl.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"

namespace {

// How long the simulator lives: the wizard connects in about two seconds, then it measures.
constexpr int kHangupAfterMs = 3500;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    bench::PrintedDialogs dialogs;
    dialogs.quiet = true;
    bench::WorkFolder work;
    const QString link = QDir(work.dir.path()).filePath("kx350t-sim-port");

    kx::Program program;
    program.start();
    program.mainWindow()->startupTimer().stop();
    kx::TForm1* main = program.mainWindow();
    kx::DeviceModel& model = main->model();
    kx::LinkControl& linkControl = main->link();
    main->indicatorPage()->setActive({true, true, true});
    main->indicatorPage()->setSampling({true, 100});

    int closedTotal = 0;
    int lostTotal = 0;
    QObject::connect(&linkControl, &kx::LinkControl::portClosed, [&] { ++closedTotal; });
    QObject::connect(&linkControl, &kx::LinkControl::lineLost, [&] { ++lostTotal; });

    int connected = 0;
    int handledOnce = 0;
    int stoppedClean = 0;
    int silentAfter = 0;
    int failures = 0;
    auto fail = [&](int cycle, const char* what) {
        ++failures;
        std::printf("cycle %d: %s\n", cycle, what);
    };

    for (int cycle = 1; cycle <= cycles; ++cycle) {
        bench::Simulator sim;
        if (!sim.start({"--link", link, "--hangup-after", QString::number(kHangupAfterMs)})) {
            fail(cycle, "the simulator did not start");
            continue;
        }
        const int closedBefore = closedTotal;
        const int lostBefore = lostTotal;
        if (!bench::connect(main, link, 5000)) {
            fail(cycle, "the wizard did not connect");
            continue;
        }
        ++connected;
        main->measurement().StartClick();
        if (!model.GO)
            fail(cycle, "START did not start the measurement");
        if (!bench::runUntil([&] { return closedTotal > closedBefore; }, kHangupAfterMs + 5000)) {
            fail(cycle, "the hang-up was not noticed");
            continue;
        }
        bench::runFor(300); // a second report would come now
        if (closedTotal - closedBefore == 1 && lostTotal - lostBefore == 1)
            ++handledOnce;
        else
            fail(cycle, "the close was not handled exactly once as a lost line");
        auto* sampling = main->indicatorPage()->findChild<QGroupBox*>("GroupBoxSampling");
        auto* status = main->devicePage()->findChild<kx::ValueLabel*>("Label66");
        bool clean = !model.GO && !model.Detected && sampling && sampling->isEnabled() && status &&
                     status->text() == QStringLiteral("nie wykryto") && !linkControl.PortOpen;
        for (QWidget* group : main->devicePage()->lockableGroups())
            clean = clean && group->isEnabled();
        if (clean)
            ++stoppedClean;
        else
            fail(cycle, "the program still shows a connected or running device");
        const auto requests = linkControl.counters().measureRequests;
        bench::runFor(500);
        if (linkControl.counters().measureRequests == requests)
            ++silentAfter;
        else
            fail(cycle, "requests went out after the line was lost");
        sim.process.waitForFinished(3000);
    }

    std::printf("cycles=%d connected=%d handled_once=%d stopped_clean=%d silent_after=%d "
                "failures=%d\n",
                cycles, connected, handledOnce, stoppedClean, silentAfter, failures);
    return failures == 0 ? 0 : 1;
}
