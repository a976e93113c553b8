#include <QtTest>

#include "PageFit.h"
#include "ui/monitor/TCOM_DBG_Form.h"

using namespace kx;

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    // The counters row under the panes: every caption whole, every count readable, in the
    // window's fixed width, with counts as large as a long session gives.
    void fitsWithoutOverlapOrClipping()
    {
        TCOM_DBG_Form window;
        LinkCounters counters;
        counters.badChecksums = 99999;
        counters.blocksDropped = 99999;
        counters.partialFrames = 99999;
        counters.measureRequests = 99999;
        window.showCounters(counters);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        checkFitsWithoutOverlap(&window, 8);
    }
};

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
