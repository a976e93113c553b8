#include <QtTest>

#include "Fakes.h"
#include "core/protocol/Commands.h"
#include "core/protocol/FrameRouter.h"

using namespace kx;

namespace {

struct RecordingConsumer : FrameConsumer
{
    QStringList frames;
    void replyReceived(const Frame8& reply) override
    {
        frames << "reply " + hex(reply.data(), reply.size());
    }
    void measurementFrameReceived(std::span<const uint8_t> frame) override
    {
        frames << "measurement " + hex(frame.data(), frame.size());
    }
    static QString hex(const uint8_t* data, std::size_t size)
    {
        return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).toHex());
    }
};

// A router wired to a consumer and a shown traffic pane, as the link wires it.
struct Fixture
{
    RecordingConsumer consumer;
    FakeLog log;
    FrameRouter router{64};

    Fixture()
    {
        router.setConsumer(&consumer);
        router.setTrafficLog(&log);
    }
    void route(const QString& hexBlock)
    {
        const QByteArray raw = QByteArray::fromHex(hexBlock.toLatin1());
        router.route({reinterpret_cast<const uint8_t*>(raw.constData()),
                      static_cast<std::size_t>(raw.size())});
    }
    QStringList logLines() const
    {
        QStringList lines;
        for (const std::string& l : log.lines)
            lines << QString::fromStdString(l);
        return lines;
    }
};

const QString kLed = "f3f30c0500000011"; // LED = 5
const QString kLedBadSum = "f3f30c0500000012";
const QString kYX2 = "f4f4050000a03f0000f0c0";

} // namespace

class TestFrameRouter : public QObject
{
    Q_OBJECT

private slots:
    void routesEachFrameToItsHandler_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("a reply") << QStringList{kLed} << QStringList{"reply " + kLed};
        QTest::newRow("a measurement frame")
            << QStringList{kYX2} << QStringList{"measurement " + kYX2};
        QTest::newRow("merged, in order")
            << QStringList{kYX2 + kLed + kYX2}
            << QStringList{"measurement " + kYX2, "reply " + kLed, "measurement " + kYX2};
        QTest::newRow("a reply with a bad checksum is not dispatched")
            << QStringList{kLedBadSum, kLed} << QStringList{"reply " + kLed};
        QTest::newRow("bytes that begin no frame") << QStringList{"0102030405"} << QStringList{};
    }

    void routesEachFrameToItsHandler()
    {
        QFETCH(QStringList, blocks);
        Fixture f;
        for (const QString& block : blocks)
            f.route(block);
        QTEST(f.consumer.frames, "frames");
    }

    void everyReplyIsLoggedBeforeItIsDispatched()
    {
        Fixture f;
        f.route(kLedBadSum + kLed);
        const QStringList lines = f.logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("   <<Received Data: 12:"));
        QCOMPARE(lines[1], QString(kBadCrcLine));
        QVERIFY(lines[2].startsWith("   <<Received Data: 12:"));
        QCOMPARE(f.consumer.frames, QStringList{"reply " + kLed});
    }

    void measurementFramesAreNotLogged()
    {
        Fixture f;
        f.route(kYX2);
        QVERIFY(f.log.lines.empty());
    }

    void nothingIsLoggedWhileThePaneIsHidden()
    {
        Fixture f;
        f.log.shown = false;
        f.route(kLedBadSum + kLed);
        QVERIFY(f.log.lines.empty());
        QCOMPARE(f.consumer.frames, QStringList{"reply " + kLed});
    }

    void aCutFrameIsCompletedFromTheNextBlock()
    {
        Fixture f;
        f.router.setReadSize(8 * 7 + 5);
        QString cut;
        for (int i = 0; i < 7; ++i)
            cut += kLed;
        f.route(cut + kYX2.left(10));
        QCOMPARE(f.consumer.frames.size(), 7);
        f.route(kYX2.mid(10));
        QCOMPARE(f.consumer.frames.size(), 8);
        QCOMPARE(f.consumer.frames.last(), "measurement " + kYX2);
    }

    void aCutFrameIsNotCompletedFromABlockThatBeginsAFrame()
    {
        Fixture f;
        // A block cut at the read size: seven replies, then the first five bytes of a
        // measurement frame.
        f.router.setReadSize(8 * 7 + 5);
        QString cut;
        for (int i = 0; i < 7; ++i)
            cut += kLed;
        f.route(cut + kYX2.left(10));
        f.route(kLed);
        QCOMPARE(f.consumer.frames.size(), 8);
        QVERIFY(!f.consumer.frames.join(' ').contains("measurement"));
        QVERIFY(f.logLines().contains("   <<Measurement Frame: 5: 0 0 ,CUT OFF"));
    }

    void droppedPiecesLeaveALine_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<QString>("line");
        QTest::newRow("a reply cut by silence")
            << QStringList{kLed.left(10)} << "   <<Received Data: 12: 5 0 ,CUT OFF";
        QTest::newRow("a bare reply header")
            << QStringList{"f3f3"} << "   <<Received Data: ,CUT OFF";
        QTest::newRow("a measurement frame cut by silence")
            << QStringList{kYX2.left(8)} << "   <<Measurement Frame: 5: 0 ,CUT OFF";
        QTest::newRow("bytes that begin no frame")
            << QStringList{"0102f1"} << "   <<Stray Bytes: 1 2 241";
    }

    void droppedPiecesLeaveALine()
    {
        QFETCH(QStringList, blocks);
        QFETCH(QString, line);
        Fixture f;
        for (const QString& block : blocks)
            f.route(block);
        QCOMPARE(f.logLines(), QStringList{line});
        QVERIFY(f.consumer.frames.isEmpty());
    }

    void theLinesLossesAreCounted()
    {
        Fixture f;
        f.log.shown = false;        // counted whether or not anyone reads the monitor
        f.route(kLedBadSum + kLed); // one bad checksum
        f.route(kYX2 + kYX2);       // two answers
        f.route("0102");            // stray bytes
        f.route(kLed.left(6));      // a reply cut off by silence
        f.router.setReadSize(8 * 7 + 5);
        QString cut;
        for (int i = 0; i < 7; ++i)
            cut += kLed;
        f.route(cut + kYX2.left(10));
        f.router.reset(); // a measurement frame cut off by the close
        const LinkCounters& c = f.router.counters();
        QCOMPARE(c.badChecksums, 1u);
        QCOMPARE(c.measureAnswers, 2u);
        QCOMPARE(c.blocksDropped, 1u);
        QCOMPARE(c.partialFrames, 2u);
        f.router.counters().measureRequests = 5;
        QCOMPARE(c.unanswered(), 3u);
        f.router.counters().measureRequests = 1;
        QCOMPARE(c.unanswered(), 0u); // more answers than asked: none outstanding
    }

    void aPortCloseDropsTheCarriedFrame()
    {
        Fixture f;
        f.router.setReadSize(8 * 7 + 5);
        QString cut;
        for (int i = 0; i < 7; ++i)
            cut += kLed;
        f.route(cut + kYX2.left(10));
        f.router.reset();
        QCOMPARE(f.logLines().last(), QString("   <<Measurement Frame: 5: 0 0 ,CUT OFF"));
        f.route(kYX2.mid(10));
        QCOMPARE(f.consumer.frames.size(), 7);
    }
};

QTEST_APPLESS_MAIN(TestFrameRouter)
#include "test_frame_router.moc"
