#include <QtTest>

#include "Fakes.h"
#include "core/protocol/Commands.h"
#include "core/protocol/Frame.h"
#include "core/protocol/RequestSender.h"

using namespace kx;

Q_DECLARE_METATYPE(std::vector<uint8_t>)

namespace {
std::vector<uint8_t> bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(static_cast<uint8_t>(b));
    return v;
}
} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void requestsOnTheWire_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("command");
        QTest::addColumn<std::vector<uint8_t>>("data");
        QTest::addColumn<std::vector<uint8_t>>("expected");
        QTest::addColumn<QString>("line");

        QTest::newRow("read D0") << false << 16 << bytes({0, 0, 0, 0})
                                 << bytes({0xF1, 0xF1, 0x10, 0, 0, 0, 0, 0x10})
                                 << ">sending read cmd: 16: 0 0 0 0 ,CRC=16";
        QTest::newRow("write PK1 = 1.5, checksum wraps")
            << true << 8 << bytes({0x00, 0x00, 0xC0, 0x3F})
            << bytes({0xF2, 0xF2, 0x08, 0x00, 0x00, 0xC0, 0x3F, 0x07})
            << ">sending write cmd: 8: 0 0 192 63 ,CRC=7";
        QTest::newRow("write decp = 4")
            << true << 2 << bytes({4, 0, 0, 0}) << bytes({0xF2, 0xF2, 0x02, 0x04, 0, 0, 0, 0x06})
            << ">sending write cmd: 2: 4 0 0 0 ,CRC=6";
        QTest::newRow("restore defaults")
            << true << 36 << bytes({0, 0, 0, 0}) << bytes({0xF2, 0xF2, 0x24, 0, 0, 0, 0, 0x24})
            << ">sending write cmd: 36: 0 0 0 0 ,CRC=36";
        QTest::newRow("measurement request Y and X2 is never logged")
            << false << 7 << bytes({1, 0, 1, 0})
            << bytes({0xF1, 0xF1, 0x07, 0x01, 0, 0x01, 0, 0x09}) << QString();
    }

    void requestsOnTheWire()
    {
        QFETCH(bool, write);
        QFETCH(int, command);
        QFETCH(std::vector<uint8_t>, data);
        QFETCH(std::vector<uint8_t>, expected);
        QFETCH(QString, line);

        RecordingSink sink;
        FakeLog log;
        const RequestChannel channel{&sink, &log};
        const Data4 d{data[0], data[1], data[2], data[3]};
        if (write)
            SendWriteCmd(channel, static_cast<uint8_t>(command), d);
        else
            SendReadCmd(channel, static_cast<uint8_t>(command), d);

        QCOMPARE(sink.sent.size(), size_t(1));
        QCOMPARE(sink.sent[0], expected);
        if (line.isEmpty()) {
            QVERIFY(log.lines.empty());
        } else {
            QCOMPARE(log.lines.size(), size_t(1));
            QCOMPARE(QString::fromStdString(log.lines[0]), line);
        }
    }

    void hiddenMonitorGetsNoLineButTheRequestIsSent()
    {
        RecordingSink sink;
        FakeLog log;
        log.shown = false;
        SendReadCmd({&sink, &log}, Cmd::DeviceType);
        SendWriteCmd({&sink, nullptr}, Cmd::LED, encodeByte(5));
        QVERIFY(log.lines.empty());
        QCOMPARE(sink.sent.size(), size_t(2));
    }

    void aRefusedRequestIsNotLoggedAsSent()
    {
        RecordingSink sink;
        FakeLog log;
        sink.refuse = true;
        QVERIFY(!SendReadCmd({&sink, &log}, Cmd::D0));
        QVERIFY(!SendWriteCmd({&sink, &log}, Cmd::LED, encodeByte(5)));
        QVERIFY(log.lines.empty());
        sink.refuse = false;
        QVERIFY(SendWriteCmd({&sink, &log}, Cmd::LED, encodeByte(5)));
        QCOMPARE(log.lines.size(), size_t(1));
        QVERIFY(!SendReadCmd({nullptr, &log}, Cmd::D0)); // nowhere to send: not sent
        QCOMPARE(log.lines.size(), size_t(1));
    }

    void headerIsNotPartOfTheChecksum()
    {
        const Data4 d = encodeReal(-123.25f);
        const Frame8 read = buildFrame(FrameKind::ReadRequest, Cmd::D1, d);
        const Frame8 write = buildFrame(FrameKind::WriteRequest, Cmd::D1, d);
        const Frame8 reply = buildFrame(FrameKind::Reply, Cmd::D1, d);
        QCOMPARE(read[7], write[7]);
        QCOMPARE(read[7], reply[7]);
        QVERIFY(checkReply(reply).valid);
    }

    void realValuesAreLittleEndianSingles()
    {
        QCOMPARE(encodeReal(1.5f), (Data4{0x00, 0x00, 0xC0, 0x3F}));
        QCOMPARE(encodeReal(10.5f), (Data4{0x00, 0x00, 0x28, 0x41}));
        const Frame8 reply{0xF3, 0xF3, 0x10, 0x00, 0x00, 0x28, 0x41, 0x79};
        QCOMPARE(replyReal(reply), 10.5f);
        // A small integer keeps only its low byte.
        QCOMPARE(encodeByte(0x1FF), (Data4{0xFF, 0, 0, 0}));
    }

    void replyLines_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("LED 5") << bytes({0xF3, 0xF3, 0x0C, 0x05, 0, 0, 0, 0x11}) << true
                               << QStringList{"   <<Received Data: 12: 5 0 0 0 ,CRC=17<->17"};
        QTest::newRow("bad checksum")
            << bytes({0xF3, 0xF3, 0x0C, 0x05, 0, 0, 0, 0x12}) << false
            << QStringList{"   <<Received Data: 12: 5 0 0 0 ,CRC=18<->17", "  <<BAD CRC :("};
        QTest::newRow("checksum wraps in a reply")
            << bytes({0xF3, 0xF3, 0x08, 0x00, 0x00, 0xC0, 0x3F, 0x07}) << true
            << QStringList{"   <<Received Data: 8: 0 0 192 63 ,CRC=7<->7"};
    }

    void replyLines()
    {
        QFETCH(std::vector<uint8_t>, reply);
        QFETCH(bool, valid);
        QFETCH(QStringList, lines);

        Frame8 frame;
        std::copy(reply.begin(), reply.end(), frame.begin());
        FakeLog log;
        QCOMPARE(logAndCheckReply(&log, frame), valid);
        QStringList got;
        for (const auto& l : log.lines)
            got << QString::fromStdString(l);
        QCOMPARE(got, lines);

        FakeLog hidden;
        hidden.shown = false;
        QCOMPARE(logAndCheckReply(&hidden, frame), valid);
        QVERIFY(hidden.lines.empty());
    }

    void measurementFrames_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("frame");
        QTest::addColumn<bool>("decoded");
        QTest::addColumn<QString>("present"); // which values, in order
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<int>("pk1");
        QTest::addColumn<int>("pk2");

        auto withValues = [](int flags, std::initializer_list<float> values) {
            std::vector<uint8_t> f{0xF4, 0xF4, static_cast<uint8_t>(flags)};
            for (float v : values) {
                const Data4 d = encodeReal(v);
                f.insert(f.end(), d.begin(), d.end());
            }
            return f;
        };
        QTest::newRow("outputs only")
            << withValues(0x18, {}) << true << "" << QList<float>{} << 1 << 1;
        QTest::newRow("Y and X2 in order, no gap")
            << withValues(0x05, {1.25f, -7.5f}) << true << "Y X2" << QList<float>{1.25f, -7.5f} << 0
            << 0;
        QTest::newRow("only X2 sits in bytes 3 to 6")
            << withValues(0x04, {3.0f}) << true << "X2" << QList<float>{3.0f} << 0 << 0;
        QTest::newRow("all three and PK1")
            << withValues(0x0F, {1, 2, 3}) << true << "Y X1 X2" << QList<float>{1, 2, 3} << 1 << 0;
        QTest::newRow("unused bits ignored")
            << withValues(0xE2, {9}) << true << "X1" << QList<float>{9} << 0 << 0;
        auto cut = withValues(0x07, {1, 2, 3});
        cut.resize(cut.size() - 1);
        QTest::newRow("short frame is refused") << cut << false << "" << QList<float>{} << 0 << 0;
        QTest::newRow("no flag byte")
            << bytes({0xF4, 0xF4}) << false << "" << QList<float>{} << 0 << 0;
    }

    void measurementFrames()
    {
        QFETCH(std::vector<uint8_t>, frame);
        QFETCH(bool, decoded);
        QFETCH(QString, present);
        QFETCH(QList<float>, values);
        QFETCH(int, pk1);
        QFETCH(int, pk2);

        // Decode from an exactly sized heap copy so the address sanitizer sees any overread.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[frame.size()]);
        std::copy(frame.begin(), frame.end(), exact.get());
        const auto m = decodeMeasurement({exact.get(), frame.size()});
        QCOMPARE(m.has_value(), decoded);
        if (!m)
            return;
        QStringList names;
        QList<float> got;
        if (m->hasY) {
            names << "Y";
            got << m->y;
        }
        if (m->hasX1) {
            names << "X1";
            got << m->x1;
        }
        if (m->hasX2) {
            names << "X2";
            got << m->x2;
        }
        QCOMPARE(names.join(' '), present);
        QCOMPARE(got, values);
        QCOMPARE(int(m->outputPK1), pk1);
        QCOMPARE(int(m->outputPK2), pk2);
    }
};

QTEST_APPLESS_MAIN(TestFrame)
#include "test_frame.moc"
