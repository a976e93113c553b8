#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include "ConfigFile.h"
#include "EventLoop.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "WidgetTexts.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/protocol/Commands.h"
#include "serial/PtyPair.h"
#include "ui/common/CGauge.h"
#include "ui/common/ValueLabel.h"
#include "ui/device/DevicePage.h"
#include "ui/device/DeviceSync.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/monitor/TCOM_DBG_Form.h"

using namespace kx;

namespace {

QStringList lines(QPlainTextEdit* pane)
{
    const QString text = pane->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split('\n');
}

// The program's windows with an open link, driven by blocks as the engine would post them.
struct Fixture
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    LinkControl& link = main->link();
    DeviceModel& model = main->model();

    Fixture()
    {
        link.PortName = "COM3";
        link.post(PortOpened);
        dialogs.messages.clear();
    }
    void block(const QByteArray& bytes) { link.post(DataReceived, bytes); }
};

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

    void routing_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<int>("led");
        QTest::addColumn<float>("d0");
        QTest::addColumn<bool>("replied");

        const QByteArray led = byteReply(Cmd::LED, 5);
        const QByteArray d0 = realReply(Cmd::D0, 10.5f);
        QTest::newRow("two replies in one block, both applied") << led + d0 << 5 << 10.5f << true;
        QTest::newRow("7-byte reply block is dropped") << led.left(7) << 0 << 0.0f << false;
        QTest::newRow("9-byte block: its reply is applied")
            << led + QByteArray(1, '\xF3') << 5 << 0.0f << true;
        QTest::newRow("bad checksum is dropped")
            << led.left(7) + QByteArray(1, char(led[7] + 1)) << 0 << 0.0f << false;
        QTest::newRow("garbage block") << QByteArray("\x01\x02\x03", 3) << 0 << 0.0f << false;
    }

    void routing()
    {
        QFETCH(QByteArray, block);
        QFETCH(int, led);
        QFETCH(float, d0);
        QFETCH(bool, replied);
        Fixture f;
        f.block(block);
        QCOMPARE(f.model.Stan.LED, led);
        QCOMPARE(f.model.Stan.D0, d0);
        QCOMPARE(f.model.ReplyReceived, replied);
    }

    void measurementFrameReachesItsHandler()
    {
        Fixture f;
        f.model.Stan.D2 = 20;
        f.block(measurement(0x05 | 0x10, {1.25f, 5.0f})); // 11 bytes: Y, X2 and PK2 on
        QCOMPARE(f.model.CurrentY, 1.25f);
        QCOMPARE(f.model.CurrentX2, 10.0f);
        QCOMPARE(f.model.OutputPK2, uint8_t(1));
        QVERIFY(!f.model.ReplyReceived);
    }

    void blockAfterThePortFellIsDropped()
    {
        Fixture f;
        f.link.PortOpen = false;
        f.block(byteReply(Cmd::LED, 7));
        QCOMPARE(f.model.Stan.LED, 0);
        f.link.PortOpen = true;
        f.block(byteReply(Cmd::LED, 7));
        QCOMPARE(f.model.Stan.LED, 7);
    }

    void openedAndClosedNotices()
    {
        RecordingDialogs dialogs;
        Program program;
        LinkControl& link = program.mainWindow()->link();
        link.PortName = "COM3";
        link.post(PortOpened);
        QVERIFY(link.PortOpen);
        link.post(PortClosed);
        QVERIFY(!link.PortOpen);
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages[0].text, QString("Otwarto port COM3\n Predkosc: 57600 kb/s"));
        QCOMPARE(dialogs.messages[0].caption, QString("OK"));
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Information);
        QCOMPARE(dialogs.messages[1].text, QString("Zamknieto port COM3"));
        QCOMPARE(dialogs.messages[1].caption, QString("OK"));
    }

    void suppressedNoticeIsConsumedByItsOpen()
    {
        RecordingDialogs dialogs;
        Program program;
        LinkControl& link = program.mainWindow()->link();
        link.SuppressOpenNotice = true;
        link.post(PortOpened);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(!link.SuppressOpenNotice);
        QVERIFY(link.PortOpen);
    }

    void closedPortStaysOpenWhileItsNoticeIsShown()
    {
        Fixture f;
        bool openDuringNotice = false;
        f.dialogs.whileShown = [&] { openDuringNotice = f.link.PortOpen; };
        f.link.post(PortClosed);
        QVERIFY(openDuringNotice);
        QVERIFY(!f.link.PortOpen);
    }

    void noticeDoesNotLetTheNextBlockIn()
    {
        Fixture f;
        int ledSeenInsideNotice = -1;
        f.dialogs.whileShown = [&] {
            // A block arrives while the operator reads the notice.
            f.block(byteReply(Cmd::LED, 3));
            ledSeenInsideNotice = f.model.Stan.LED;
        };
        f.link.post(PortOpened);
        QCOMPARE(ledSeenInsideNotice, 0);
        QCOMPARE(f.model.Stan.LED, 3);
    }

    void connectRefusals_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("portChosen");
        QTest::addColumn<bool>("baudChosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("already open")
            << true << true << true << "Jeden z portow juz zostal otwarty.";
        QTest::newRow("no port") << false << false << true
                                 << "Nalezy wybrac port, ktory ma zostac otwarty.";
        QTest::newRow("no baud rate")
            << false << true << false << "Nalezy wybrac predkosc transmisji.";
        QTest::newRow("port that does not exist")
            << false << true << true << "Nie mozna otworzyc portu COM77";
    }

    void connectRefusals()
    {
        QFETCH(bool, open);
        QFETCH(bool, portChosen);
        QFETCH(bool, baudChosen);
        QFETCH(QString, text);
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        LinkControl& link = main->link();
        link.PortOpen = open;
        link.PortChosen = portChosen;
        link.BaudChosen = baudChosen;
        link.PortName = "COM77";
        main->model().GO = true;
        main->findChild<QAction*>("pocz1")->trigger();
        QCOMPARE(dialogs.texts(), QStringList{text});
        QCOMPARE(dialogs.messages[0].caption, QString("Blad otwarcia portu COM"));
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Information);
        QVERIFY(!link.engine().is_open());
        QCOMPARE(link.PortOpen, open);
        QVERIFY(!main->model().GO); // cleared after every "połącz"
    }

    void disconnectWithoutOpenPort()
    {
        RecordingDialogs dialogs;
        Program program;
        program.mainWindow()->findChild<QAction*>("rozcz1")->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"Zaden port jeszcze nie zostal otwarty."});
        QCOMPARE(dialogs.messages[0].caption, QString("Blad zamkniecia portu COM"));
    }

    void autoKeepsTheLastChosenPort()
    {
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        main->link().PortChosen = main->link().BaudChosen = true;
        main->findChild<QAction*>("COM12")->trigger();
        main->findChild<QAction*>("auto1")->trigger();
        QCOMPARE(main->link().PortName, QString("COM12"));
        main->findChild<QAction*>("pocz1")->trigger();
        QCOMPARE(dialogs.texts(), QStringList{"Nie mozna otworzyc portu COM12"});
    }

    void connectAndHangUpAgainstThePseudoTerminal()
    {
        KX_NEEDS_PTY();
        kx::test::PtyPair pty;
        QVERIFY(pty.valid());
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        LinkControl& link = main->link();
        link.PortChosen = link.BaudChosen = true;
        link.PortName = QString::fromStdString(pty.slavePath());
        main->findChild<QAction*>("pocz1")->trigger();
        QTRY_VERIFY(link.PortOpen);
        QCOMPARE(dialogs.texts(),
                 QStringList{QString("Otwarto port %1\n Predkosc: 57600 kb/s").arg(link.PortName)});

        SendReadCmd(link.requests(), Cmd::D1);
        const auto request = pty.read(8, std::chrono::seconds(2));
        QCOMPARE(request, (std::vector<uint8_t>{0xF1, 0xF1, 0x11, 0, 0, 0, 0, 0x11}));
        const Frame8 answer = buildFrame(FrameKind::Reply, Cmd::D1, encodeReal(25));
        QVERIFY(pty.write(answer.data(), answer.size()));
        QTRY_COMPARE(main->model().Stan.D1, 25.0f);
        QCOMPARE(main->devicePage()->editFor(Param::D1)->text(), QString("25"));

        pty.closeMaster();
        QTRY_VERIFY(!link.PortOpen);
        QTRY_COMPARE(dialogs.texts().filter("Zamknieto port").size(), 1);
        // Nothing to wait for: the one hang-up must not bring a second notice in this span.
        runEventLoop(200);
        QCOMPARE(dialogs.texts().filter("Zamknieto port").size(), 1);
    }

    void connectReadAndHangUpWithTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        SimProcess sim({"--hangup-after", "1500"});
        QVERIFY(sim.valid());
        RecordingDialogs dialogs;
        Program program;
        TForm1* main = program.mainWindow();
        LinkControl& link = main->link();
        link.PortChosen = link.BaudChosen = true;
        link.PortName = sim.port;
        main->findChild<QAction*>("pocz1")->trigger();
        QTRY_VERIFY(link.PortOpen);

        SendReadCmd(link.requests(), Cmd::D2);
        QTRY_COMPARE(main->model().received(Param::D2), uint8_t(1));
        QCOMPARE(main->model().Stan.D2, 20.0f); // the simulator's default width
        QCOMPARE(main->devicePage()->editFor(Param::D2)->text(), QString("20"));
        auto* x2Bar = child<CGauge>(main->indicatorPage(), "CGauge3");
        QVERIFY(x2Bar);
        QCOMPARE(x2Bar->maxValue(), 20);

        QTRY_VERIFY_WITH_TIMEOUT(!link.PortOpen, 5000);
        QTRY_COMPARE(dialogs.texts().filter("Zamknieto port").size(), 1);
        // Nothing to wait for: the one hang-up must not bring a second notice in this span.
        runEventLoop(200);
        QCOMPARE(dialogs.texts().filter("Zamknieto port").size(), 1);
        QVERIFY(!link.engine().is_open());
    }

    void wizardOpenShowsNoNotice()
    {
        KX_NEEDS_PTY();
        kx::test::PtyPair pty;
        QVERIFY(pty.valid());
        RecordingDialogs dialogs;
        Program program;
        LinkControl& link = program.mainWindow()->link();
        QCOMPARE(link.openForWizard(QString::fromStdString(pty.slavePath())), 0);
        QVERIFY(link.PortOpen);
        QTRY_VERIFY(!link.SuppressOpenNotice);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void failedWizardOpenClearsTheSuppression()
    {
        RecordingDialogs dialogs;
        Program program;
        LinkControl& link = program.mainWindow()->link();
        QCOMPARE(link.openForWizard("/dev/kx350t-no-such-port"), 8);
        QVERIFY(!link.SuppressOpenNotice);
        QVERIFY(!link.PortOpen);
    }

    void dispatchShowsOnTheWindows()
    {
        Fixture f;
        DevicePage* device = f.main->devicePage();
        IndicatorPage* indicators = f.main->indicatorPage();
        auto* yBar = child<CGauge>(indicators, "CGauge1");
        auto* x1Bar = child<CGauge>(indicators, "CGauge2");
        auto* x2Bar = child<CGauge>(indicators, "CGauge3");
        auto* rightHalfBar = child<CGauge>(indicators, "CGauge4");
        auto* leftHalfBar = child<CGauge>(indicators, "CGauge5");
        auto* field1Min = child<QLabel>(device, "Label41");
        auto* field1Max = child<QLabel>(device, "Label42");
        auto* yResult = child<QLineEdit>(device, "Edit21");
        auto* mode = child<QComboBox>(device, "ComboBox1");
        QVERIFY(yBar && x1Bar && x2Bar && rightHalfBar && leftHalfBar);
        QVERIFY(field1Min && field1Max && yResult && mode);
        f.model.Stan.D0 = 10;
        f.model.Stan.D2 = -100;
        f.block(realReply(Cmd::D1, 120));
        QCOMPARE(yBar->maxValue(), 30);
        QCOMPARE(x1Bar->maxValue(), 120);
        QCOMPARE(rightHalfBar->maxValue(), 12000);
        QCOMPARE(leftHalfBar->maxValue(), 10000);
        QCOMPARE(leftHalfBar->progress(), 10000); // still empty: no value yet
        QCOMPARE(x2Bar->maxValue(), 100);         // untouched until a D2 reply
        QCOMPARE(field1Min->x(), 28);
        QCOMPARE(field1Max->x(), 148);
        QCOMPARE(DevicePage::boxColour(device->editFor(Param::D1)), kGeometryOrange);

        DevicePage::setBoxColour(device->editFor(Param::COEF), kCommittedSkyBlue);
        f.block(realReply(Cmd::Coef, 1.23456f));
        QCOMPARE(device->editFor(Param::COEF)->text(), QString("1,235"));
        QCOMPARE(DevicePage::boxColour(device->editFor(Param::COEF)), kConfirmedWhite);

        f.block(realReply(Cmd::Measure, 1.23456f));
        QCOMPARE(yResult->text(), QString("1,235"));
        QCOMPARE(f.model.CurrentY, 1.235f);

        f.block(byteReply(Cmd::Mode, 1));
        QCOMPARE(mode->currentIndex(), 1);
    }

    void voltageRangeReplyMovesTheDesiredValue()
    {
        Fixture f;
        auto* range10V = child<QRadioButton>(f.main->devicePage(), "RadioButton1");
        auto* range5V = child<QRadioButton>(f.main->devicePage(), "RadioButton2");
        QVERIFY(range10V && range5V);
        f.block(byteReply(Cmd::VoltageRange, 2));
        QVERIFY(range5V->isChecked());
        QCOMPARE(f.model.Stan.VoltageRange, 2);
        QCOMPARE(f.model.Set.VoltageRange, 1);
        // No change of the selection: the handler does not run.
        f.model.Set.VoltageRange = 7;
        f.block(byteReply(Cmd::VoltageRange, 1));
        QCOMPARE(f.model.Set.VoltageRange, 7);
        f.block(byteReply(Cmd::VoltageRange, 0));
        QVERIFY(range10V->isChecked());
        QCOMPARE(f.model.Set.VoltageRange, 0);
    }

    void monitorLines()
    {
        // A request shows once the engine has taken it: a port for the requests to go to.
        KX_NEEDS_PTY();
        kx::test::PtyPair pty;
        QVERIFY(pty.valid());
        Fixture f;
        QCOMPARE(f.link.openForWizard(QString::fromStdString(pty.slavePath())), 0);
        TCOM_DBG_Form* monitor = f.main->monitor();
        SendReadCmd(f.link.requests(), Cmd::D0);
        f.block(byteReply(Cmd::LED, 5));
        QVERIFY(lines(monitor->pane(1)).isEmpty()); // hidden: nothing kept

        monitor->show();
        // The engine takes one request at a time: the first may still be on its way. Sent
        // once only: the wait evaluates its condition more than once.
        bool taken = false;
        QTRY_VERIFY(taken = taken || SendReadCmd(f.link.requests(), Cmd::D0));
        SendReadCmd(f.link.requests(), Cmd::Measure, {1, 1, 1, 0});
        f.block(byteReply(Cmd::LED, 5));
        f.block(measurement(0x01, {2.0f}));
        f.block(byteReply(15, 0));
        QCOMPARE(
            lines(monitor->pane(1)),
            (QStringList{">sending read cmd: 16: 0 0 0 0 ,CRC=16",
                         "   <<Received Data: 12: 5 0 0 0 ,CRC=17<->17",
                         "   <<Received Data: 15: 0 0 0 0 ,CRC=15<->15", "  <<BAD COMMAND :("}));

        monitor->pane(3)->appendPlainText("x");
        monitor->findChild<QAction*>("MenuItem2")->trigger();
        QVERIFY(monitor->pane(3)->toPlainText().isEmpty());
        QCOMPARE(lines(monitor->pane(1)).size(), 4);
        monitor->findChild<QAction*>("czy1")->trigger();
        QVERIFY(monitor->pane(1)->toPlainText().isEmpty());
    }

    // A line longer than its pane is wrapped: read by scrolling down, never sideways.
    void monitorPanesWrapLongLines()
    {
        Fixture f;
        TCOM_DBG_Form* monitor = f.main->monitor();
        monitor->show();
        QVERIFY(QTest::qWaitForWindowExposed(monitor));
        // Fifteen significant digits either side: the state dump's longest kind of line.
        f.model.Set.PK1 = 1.0f / 3;
        f.model.Stan.PK1 = 2.0f / 3;
        f.main->sync().Timer2Timer();
        const std::string traffic(120, 'x');
        monitor->appendLine(">sending read cmd: " + traffic);

        const struct
        {
            int pane;
            int block;
            const char* begins;
        } lines[] = {{2, 1, "Set.PK1=0,333333343267441 , Stan.PK1=0,666666686534882"},
                     {1, 0, ">sending read cmd: xxx"}};
        for (const auto& l : lines) {
            QPlainTextEdit* pane = monitor->pane(l.pane);
            const QTextBlock block = pane->document()->findBlockByNumber(l.block);
            QVERIFY2(block.text().startsWith(l.begins), qPrintable(block.text()));
            QVERIFY2(pane->fontMetrics().horizontalAdvance(block.text()) >
                         pane->viewport()->width(),
                     qPrintable(block.text()));
            QTRY_VERIFY2(block.layout() && block.layout()->lineCount() > 1,
                         qPrintable(block.text()));
            QCOMPARE(pane->horizontalScrollBar()->maximum(), 0);
        }
        for (int n = 1; n <= 4; ++n) {
            QPlainTextEdit* pane = monitor->pane(n);
            QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QCOMPARE(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        }
    }

    // What the line lost, in a row of its own under the panes, refreshed with the state dump.
    void monitorCountsTheLinesLosses()
    {
        Fixture f;
        TCOM_DBG_Form* monitor = f.main->monitor();
        monitor->show();
        QByteArray badSum = frameBytes(buildFrame(FrameKind::Reply, Cmd::LED, {5, 0, 0, 0}));
        badSum[7] = char(badSum[7] + 1);
        f.block(badSum);
        f.block(QByteArray("\x01\x02", 2)); // stray
        f.block(measurement(0x07, {1.0f})); // cut off: two values missing
        f.block(QByteArray("\xF3", 1));     // a reply's first byte, then silence
        f.main->sync().Timer2Timer();
        const struct
        {
            const char* name;
            const char* caption;
            const char* shown;
        } rows[] = {
            {"BadChecksums", "złe sumy kontrolne:", "1"},
            {"BlocksDropped", "odrzucone bloki:", "1"},
            {"PartialFrames", "ucięte ramki:", "2"},
            {"UnansweredRequests", "pomiary bez odpowiedzi:", "0"},
        };
        for (const auto& r : rows) {
            auto* value = child<ValueLabel>(monitor, r.name);
            QVERIFY(value);
            QCOMPARE(value->text(), QString(r.shown));
            QCOMPARE(accessibleName(value), QString::fromUtf8(r.caption));
        }
        monitor->hide();
    }

    void monitorLook()
    {
        Program program;
        TCOM_DBG_Form* monitor = program.mainWindow()->monitor();
        // The panes' 692 × 489, and a row for the line's losses under them.
        QCOMPARE(monitor->size(), QSize(692, 489 + 28));
        QVERIFY(monitor->windowFlags().testFlag(Qt::Tool));
        const QSize sizes[] = {{365, 385}, {309, 385}, {365, 89}, {309, 89}};
        for (int n = 1; n <= 4; ++n) {
            QPlainTextEdit* pane = monitor->pane(n);
            QCOMPARE(pane->objectName(), QString("Memo%1").arg(n));
            QCOMPARE(pane->size(), sizes[n - 1]);
            QVERIFY(pane->isReadOnly());
            QVERIFY(pane->font().bold());
            QCOMPARE(pane->font().pixelSize(), 12);
            QCOMPARE(pane->palette().color(QPalette::Base), QColor(4, 153, 225));
            QCOMPARE(pane->palette().color(QPalette::Text), QColor(Qt::white));
        }
        QVERIFY(monitor->pane(1)->x() < monitor->pane(2)->x());
        QVERIFY(monitor->pane(1)->y() < monitor->pane(3)->y());
    }
};

QTEST_MAIN(TestLink)
#include "test_link.moc"
