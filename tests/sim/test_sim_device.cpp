// The simulated device's model, driven by bytes as the line would deliver them and read back
// through the program's own codec. Time is a fake clock the tests move by hand.

#include <QtTest>

#include <cmath>
#include <random>

#include "core/protocol/Commands.h"
#include "core/protocol/Frame.h"
#include "sim/SimDevice.h"

using namespace std::chrono_literals;
using kx::Data4;
using kx::Frame8;
using kx::FrameKind;
using kx::sim::SimDevice;
using kx::sim::SimOptions;
using kx::sim::SimTime;

namespace {

struct FakeClock
{
    SimTime now = SimTime{} + 1000h;
    SimDevice::ClockFn fn()
    {
        return [this] { return now; };
    }
};

std::vector<uint8_t> toBytes(const QByteArray& a)
{
    return {a.begin(), a.end()};
}

QByteArray toQByteArray(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

Frame8 readRequest(uint8_t command)
{
    return kx::buildFrame(FrameKind::ReadRequest, command, {});
}

Frame8 writeRequest(uint8_t command, const Data4& data)
{
    return kx::buildFrame(FrameKind::WriteRequest, command, data);
}

Frame8 measureRequest(bool y, bool x1, bool x2)
{
    return kx::buildFrame(FrameKind::ReadRequest, kx::Cmd::Measure,
                          {uint8_t(y), uint8_t(x1), uint8_t(x2), 0});
}

// Feeds one request and returns everything due at the clock's present time.
std::vector<uint8_t> exchange(SimDevice& device, const FakeClock& clock, const Frame8& request)
{
    device.receive(request);
    return device.takeDue(clock.now);
}

// The answer must be exactly one 8-byte reply; returns it.
Frame8 singleReply(const std::vector<uint8_t>& bytes)
{
    Frame8 f{};
    if (bytes.size() != kx::kFrameSize || bytes[0] != 0xF3 || bytes[1] != 0xF3) {
        qWarning() << "expected one reply, got" << toQByteArray(bytes).toHex(' ');
        return f;
    }
    std::copy(bytes.begin(), bytes.end(), f.begin());
    return f;
}

// Splits a stream of answers into frames and describes them: "16" for a good reply to command
// 16, "16!" for one with a bad checksum, "M" for a measurement frame. Empty when the stream is
// not made of whole frames.
QStringList describe(const std::vector<uint8_t>& bytes)
{
    QStringList out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at >= 3 && bytes[at] == 0xF4 && bytes[at + 1] == 0xF4) {
            const std::size_t size = kx::measurementFrameSize(bytes[at + 2]);
            if (bytes.size() - at < size)
                return {"<cut measurement frame>"};
            out << "M";
            at += size;
        } else if (bytes.size() - at >= 8 && bytes[at] == 0xF3 && bytes[at + 1] == 0xF3) {
            Frame8 f;
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), 8, f.begin());
            out << QString::number(f[2]) + (kx::checkReply(f).valid ? "" : "!");
            at += 8;
        } else {
            return {"<not a frame>"};
        }
    }
    return out;
}

kx::MeasurementFrameValues decodeOne(const std::vector<uint8_t>& bytes)
{
    const auto m = kx::decodeMeasurement(bytes);
    if (!m || bytes.size() != kx::measurementFrameSize(bytes.at(2)))
        qWarning() << "not one measurement frame:" << toQByteArray(bytes).toHex(' ');
    return m.value_or(kx::MeasurementFrameValues{});
}

} // namespace

class TestSimDevice : public QObject
{
    Q_OBJECT

private slots:
    void fixedAnswers_data();
    void fixedAnswers();
    void readsReturnDefaults_data();
    void readsReturnDefaults();
    void writesAreStoredAndAnswered_data();
    void writesAreStoredAndAnswered();
    void restoreDefaults();
    void readOfRestoreDefaultsChangesNothing();

    void framing_data();
    void framing();
    void unknownCommandsGetNoReply_data();
    void unknownCommandsGetNoReply();
    void randomBytesNeverBreakTheDevice();

    void measurementFrameLayout_data();
    void measurementFrameLayout();
    void measurementValuesComeInOrderYX1X2();
    void valuesFollowGeometry_data();
    void valuesFollowGeometry();
    void valuesMoveWithTheClock();
    void sameSeedSameValues();
    void outputsFollowThresholds_data();
    void outputsFollowThresholds();
    void outputsTrackYOverTime();

    void misbehaviour_data();
    void misbehaviour();
    void measurementFramesCarryNoChecksumToSpoil();
    void unansweredWritesStillTakeEffect();
    void latencyDelaysTheSendTime();
};

void TestSimDevice::fixedAnswers_data()
{
    QTest::addColumn<QString>("identity");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("type K T 5") << "KT5" << QByteArray::fromHex("f1f1200000000020")
                                << QByteArray::fromHex("f3f3204b543500f4");
    QTest::newRow("other type R N 3") << "RN3" << QByteArray::fromHex("f1f1200000000020")
                                      << QByteArray::fromHex("f3f320524e3300f3");
    QTest::newRow("hardware version 12") << "KT5" << QByteArray::fromHex("f1f1230000000023")
                                         << QByteArray::fromHex("f3f3230c0000002f");
    QTest::newRow("software version 105") << "KT5" << QByteArray::fromHex("f1f1220000000022")
                                          << QByteArray::fromHex("f3f322690000008b");
    for (uint8_t cmd : {5, 6, 10, 11}) {
        const QByteArray req = toQByteArray(std::vector<uint8_t>{0xF1, 0xF1, cmd, 0, 0, 0, 0, cmd});
        const QByteArray rep = toQByteArray(std::vector<uint8_t>{0xF3, 0xF3, cmd, 0, 0, 0, 0, cmd});
        QTest::addRow("command %d answers zero data", cmd) << "KT5" << req << rep;
    }
    QTest::newRow("version asked by a write is still the version")
        << "KT5" << QByteArray::fromHex("f2f223070000002a")
        << QByteArray::fromHex("f3f3230c0000002f");
}

void TestSimDevice::fixedAnswers()
{
    QFETCH(QString, identity);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    SimOptions options;
    const QByteArray id = identity.toLatin1();
    std::copy_n(id.begin(), 3, options.identity.begin());
    FakeClock clock;
    SimDevice device(options, clock.fn());
    device.receive(toBytes(request));
    QCOMPARE(toQByteArray(device.takeDue(clock.now)).toHex(' '), reply.toHex(' '));
}

void TestSimDevice::readsReturnDefaults_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("isReal");
    QTest::addColumn<double>("expected");

    QTest::newRow("mode 1") << 1 << false << 1.0;
    QTest::newRow("decp 2") << 2 << false << 2.0;
    QTest::newRow("Beep 0") << 3 << false << 0.0;
    QTest::newRow("PK1 5") << 8 << true << 5.0;
    QTest::newRow("PK2 15") << 9 << true << 15.0;
    QTest::newRow("LED 5") << 12 << false << 5.0;
    QTest::newRow("OFFSET 0") << 13 << true << 0.0;
    QTest::newRow("COEF 1") << 14 << true << 1.0;
    QTest::newRow("D0 10") << 16 << true << 10.0;
    QTest::newRow("D1 20") << 17 << true << 20.0;
    QTest::newRow("D2 20") << 18 << true << 20.0;
    QTest::newRow("a1 0") << 19 << true << 0.0;
    QTest::newRow("a2 0") << 20 << true << 0.0;
    QTest::newRow("b1 0") << 21 << true << 0.0;
    QTest::newRow("b2 0") << 22 << true << 0.0;
    QTest::newRow("filter 1") << 27 << true << 1.0;
    QTest::newRow("VoltageRange 0") << 29 << false << 0.0;
}

void TestSimDevice::readsReturnDefaults()
{
    QFETCH(int, command);
    QFETCH(bool, isReal);
    QFETCH(double, expected);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    const Frame8 reply = singleReply(exchange(device, clock, readRequest(uint8_t(command))));
    QCOMPARE(reply[2], uint8_t(command));
    QVERIFY(kx::checkReply(reply).valid);
    if (isReal)
        QCOMPARE(double(kx::replyReal(reply)), expected);
    else
        QCOMPARE(double(reply[3]), expected);
}

void TestSimDevice::writesAreStoredAndAnswered_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("isReal");
    QTest::addColumn<double>("written");
    QTest::addColumn<double>("answered");

    QTest::newRow("PK1 1.5") << 8 << true << 1.5 << 1.5;
    QTest::newRow("PK2 -3.25") << 9 << true << -3.25 << -3.25;
    QTest::newRow("OFFSET 0.125") << 13 << true << 0.125 << 0.125;
    QTest::newRow("D1 35.5") << 17 << true << 35.5 << 35.5;
    QTest::newRow("b2 -7") << 22 << true << -7.0 << -7.0;
    QTest::newRow("filter 4") << 27 << true << 4.0 << 4.0;
    QTest::newRow("LED 3") << 12 << false << 3.0 << 3.0;
    QTest::newRow("LED 9, the top") << 12 << false << 9.0 << 9.0;
    QTest::newRow("LED 25 kept at 9") << 12 << false << 25.0 << 9.0;
    QTest::newRow("LED 255 kept at 9") << 12 << false << 255.0 << 9.0;
    QTest::newRow("decp 4") << 2 << false << 4.0 << 4.0;
    QTest::newRow("decp 200 kept at 6") << 2 << false << 200.0 << 6.0;
    QTest::newRow("mode 0") << 1 << false << 0.0 << 0.0;
    QTest::newRow("Beep 1") << 3 << false << 1.0 << 1.0;
    QTest::newRow("VoltageRange 1") << 29 << false << 1.0 << 1.0;
}

void TestSimDevice::writesAreStoredAndAnswered()
{
    QFETCH(int, command);
    QFETCH(bool, isReal);
    QFETCH(double, written);
    QFETCH(double, answered);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    const Data4 data = isReal ? kx::encodeReal(float(written)) : kx::encodeByte(int(written));
    auto value = [isReal](const Frame8& reply) {
        return isReal ? double(kx::replyReal(reply)) : double(reply[3]);
    };

    const Frame8 toWrite =
        singleReply(exchange(device, clock, writeRequest(uint8_t(command), data)));
    QCOMPARE(toWrite[2], uint8_t(command));
    QVERIFY(kx::checkReply(toWrite).valid);
    QCOMPARE(value(toWrite), answered);

    clock.now += 1s;
    const Frame8 toRead = singleReply(exchange(device, clock, readRequest(uint8_t(command))));
    QCOMPARE(value(toRead), answered);
}

void TestSimDevice::restoreDefaults()
{
    FakeClock clock;
    SimDevice device({}, clock.fn());
    exchange(device, clock, writeRequest(kx::Cmd::PK1, kx::encodeReal(1.5f)));
    exchange(device, clock, writeRequest(kx::Cmd::D0, kx::encodeReal(99.0f)));
    exchange(device, clock, writeRequest(kx::Cmd::LED, kx::encodeByte(3)));
    exchange(device, clock, writeRequest(kx::Cmd::Mode, kx::encodeByte(0)));
    QVERIFY(device.params() != SimDevice::defaultParams());

    const std::vector<uint8_t> reply =
        exchange(device, clock, writeRequest(kx::Cmd::RestoreDefaults, {}));
    QCOMPARE(toQByteArray(reply).toHex(' '), QByteArray("f3 f3 24 00 00 00 00 24"));

    // Every parameter read back over the line is its default again.
    const kx::ParamSet defaults = SimDevice::defaultParams();
    for (const kx::CommandInfo& info : kx::commandTable()) {
        if (!info.param)
            continue;
        const Frame8 r = singleReply(exchange(device, clock, readRequest(info.command)));
        if (kx::ParamSet::isReal(*info.param))
            QCOMPARE(kx::replyReal(r), defaults.real(*info.param));
        else
            QCOMPARE(int(r[3]), defaults.integer(*info.param));
    }
}

void TestSimDevice::readOfRestoreDefaultsChangesNothing()
{
    FakeClock clock;
    SimDevice device({}, clock.fn());
    exchange(device, clock, writeRequest(kx::Cmd::PK1, kx::encodeReal(1.5f)));
    const std::vector<uint8_t> reply =
        exchange(device, clock, readRequest(kx::Cmd::RestoreDefaults));
    QCOMPARE(toQByteArray(reply).toHex(' '), QByteArray("f3 f3 24 00 00 00 00 24"));
    QCOMPARE(device.params().PK1, 1.5f);
}

void TestSimDevice::framing_data()
{
    QTest::addColumn<QByteArrayList>("chunks"); // hex
    QTest::addColumn<QString>("answered");

    const QByteArray id = "f1f1200000000020";
    const QByteArray hw = "f1f1230000000023";
    QTest::newRow("whole request") << QByteArrayList{id} << "32";
    QTest::newRow("split 3 + 5") << QByteArrayList{"f1f120", "0000000020"} << "32";
    QByteArrayList single;
    for (int i = 0; i < id.size(); i += 2)
        single << id.mid(i, 2);
    QTest::newRow("byte by byte") << single << "32";
    QTest::newRow("two requests in one chunk") << QByteArrayList{id + hw} << "32 35";
    QTest::newRow("second request split across chunks")
        << QByteArrayList{id + "f1f123", "0000", "000023"} << "32 35";
    QTest::newRow("garbage before") << QByteArrayList{"0011f3f3ab" + id} << "32";
    QTest::newRow("garbage in its own chunk") << QByteArrayList{"55aa", id} << "32";
    QTest::newRow("lone header byte before") << QByteArrayList{"f1" + id} << "32";
    QTest::newRow("write header before read header") << QByteArrayList{"f2" + id} << "32";
    QTest::newRow("mixed header pair before") << QByteArrayList{"f1f2" + id} << "32";
    QTest::newRow("bad checksum, no reply") << QByteArrayList{"f1f1200000000021"} << "";
    QTest::newRow("bad checksum then a good request")
        << QByteArrayList{"f1f1200000000021", hw} << "35";
    QTest::newRow("abandoned start, then a whole request") << QByteArrayList{"f1f120", hw} << "35";
    QTest::newRow("our own reply echoed back is not a request")
        << QByteArrayList{"f3f3204b543500f4"} << "";
    QTest::newRow("measurement frame header is not a request")
        << QByteArrayList{"f4f4070000000007"} << "";
    QTest::newRow("header pair alone") << QByteArrayList{"f1f1"} << "";
    QTest::newRow("seven bytes of a request") << QByteArrayList{"f1f12000000000"} << "";
}

void TestSimDevice::framing()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QString, answered);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    std::vector<uint8_t> out;
    for (const QByteArray& hex : chunks) {
        device.receive(toBytes(QByteArray::fromHex(hex)));
        const std::vector<uint8_t> due = device.takeDue(clock.now);
        out.insert(out.end(), due.begin(), due.end());
        clock.now += 5ms;
    }
    QCOMPARE(describe(out).join(' '), answered);
}

void TestSimDevice::unknownCommandsGetNoReply_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("write");
    for (int cmd : {0, 4, 15, 25, 26, 28, 30, 31, 33, 37, 128, 255}) {
        QTest::addRow("read %d", cmd) << cmd << false;
        QTest::addRow("write %d", cmd) << cmd << true;
    }
}

void TestSimDevice::unknownCommandsGetNoReply()
{
    QFETCH(int, command);
    QFETCH(bool, write);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    const Frame8 request =
        write ? writeRequest(uint8_t(command), {1, 2, 3, 4}) : readRequest(uint8_t(command));
    QVERIFY(exchange(device, clock, request).empty());
    QVERIFY(!device.nextSendTime());
    // The request was understood as one: the next one is answered normally.
    QCOMPARE(describe(exchange(device, clock, readRequest(kx::Cmd::DeviceType))),
             QStringList{"32"});
    QCOMPARE(device.params(), SimDevice::defaultParams());
}

void TestSimDevice::randomBytesNeverBreakTheDevice()
{
    FakeClock clock;
    SimDevice device({}, clock.fn());
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> chunkSize(1, 40);
    std::uniform_int_distribution<int> kind(0, 9);
    std::vector<uint8_t> out;
    for (int chunk = 0; chunk < 5000; ++chunk) {
        std::vector<uint8_t> bytes;
        const int n = chunkSize(random);
        for (int i = 0; i < n; ++i) {
            const int k = kind(random);
            // Header bytes and small command numbers often, so many partial and false frames
            // are seen, and now and then a real request.
            if (k < 3)
                bytes.push_back(k == 0 ? 0xF2 : 0xF1);
            else if (k < 5)
                bytes.push_back(uint8_t(byte(random) % 40));
            else if (k == 5) {
                const Frame8 f = readRequest(uint8_t(byte(random) % 40));
                bytes.insert(bytes.end(), f.begin(), f.end());
            } else
                bytes.push_back(uint8_t(byte(random)));
        }
        device.receive(bytes);
        clock.now += 3ms;
        const std::vector<uint8_t> due = device.takeDue(clock.now);
        out.insert(out.end(), due.begin(), due.end());
    }
    QVERIFY(device.requestCount() > 0);
    // Whatever arrived, only whole, well-formed frames went out.
    const QStringList frames = describe(out);
    QVERIFY(!frames.isEmpty());
    for (const QString& f : frames)
        QVERIFY2(f == "M" || (!f.endsWith('!') && f.toInt() > 0), qPrintable(f));

    // Enough bytes that begin no request settle any frame begun in the noise; then the device
    // answers as on the first day.
    device.receive(std::vector<uint8_t>(16, 0));
    device.takeDue(clock.now);
    QCOMPARE(toQByteArray(exchange(device, clock, readRequest(kx::Cmd::DeviceType))).toHex(),
             QByteArray("f3f3204b543500f4"));
}

void TestSimDevice::measurementFrameLayout_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<bool>("x1");
    QTest::addColumn<bool>("x2");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("valueFlags");

    QTest::newRow("Y and X2") << true << false << true << 11 << 0x05;
    QTest::newRow("all three") << true << true << true << 15 << 0x07;
    QTest::newRow("X1 only") << false << true << false << 7 << 0x02;
    QTest::newRow("X2 only") << false << false << true << 7 << 0x04;
    QTest::newRow("none: outputs only") << false << false << false << 3 << 0x00;
}

void TestSimDevice::measurementFrameLayout()
{
    QFETCH(bool, y);
    QFETCH(bool, x1);
    QFETCH(bool, x2);
    QFETCH(int, size);
    QFETCH(int, valueFlags);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    const std::vector<uint8_t> frame = exchange(device, clock, measureRequest(y, x1, x2));
    QCOMPARE(int(frame.size()), size);
    QCOMPARE(frame[0], uint8_t(0xF4));
    QCOMPARE(frame[1], uint8_t(0xF4));
    QCOMPARE(frame[2] & 0x07, valueFlags);
    QCOMPARE(frame[2] & 0xE0, 0);
    const kx::MeasurementFrameValues m = decodeOne(frame);
    QCOMPARE(m.hasY, y);
    QCOMPARE(m.hasX1, x1);
    QCOMPARE(m.hasX2, x2);
}

void TestSimDevice::measurementValuesComeInOrderYX1X2()
{
    // The noise does not depend on what is asked, so two devices alike, asked at the same
    // moments, sample the same values; only the frame's choice of them differs.
    FakeClock clock;
    SimDevice all({}, clock.fn());
    SimDevice some({}, clock.fn());
    for (int i = 0; i < 20; ++i) {
        clock.now += 730ms;
        const kx::MeasurementFrameValues a =
            decodeOne(exchange(all, clock, measureRequest(true, true, true)));
        const kx::MeasurementFrameValues s =
            decodeOne(exchange(some, clock, measureRequest(true, false, true)));
        QCOMPARE(s.y, a.y);
        QCOMPARE(s.x2, a.x2);
        // The raw channels are 0...10 and Y is not one of them.
        QVERIFY(a.y > 10.0f);
    }
}

void TestSimDevice::valuesFollowGeometry_data()
{
    QTest::addColumn<float>("D0");
    QTest::addColumn<float>("D1");
    QTest::addColumn<float>("D2");
    QTest::addColumn<float>("COEF");
    QTest::addColumn<float>("OFFSET");

    QTest::newRow("defaults") << 10.0f << 20.0f << 20.0f << 1.0f << 0.0f;
    QTest::newRow("other geometry") << 5.0f << 40.0f << 7.5f << 1.0f << 0.0f;
    QTest::newRow("with COEF and OFFSET") << 10.0f << 20.0f << 20.0f << 2.0f << -3.0f;
}

void TestSimDevice::valuesFollowGeometry()
{
    QFETCH(float, D0);
    QFETCH(float, D1);
    QFETCH(float, D2);
    QFETCH(float, COEF);
    QFETCH(float, OFFSET);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    const std::pair<uint8_t, float> writes[] = {{kx::Cmd::D0, D0},
                                                {kx::Cmd::D1, D1},
                                                {kx::Cmd::D2, D2},
                                                {kx::Cmd::Coef, COEF},
                                                {kx::Cmd::Offset, OFFSET}};
    for (auto [cmd, v] : writes)
        exchange(device, clock, writeRequest(cmd, kx::encodeReal(v)));

    for (int i = 0; i < 60; ++i) {
        clock.now += 370ms;
        const kx::MeasurementFrameValues m =
            decodeOne(exchange(device, clock, measureRequest(true, true, true)));
        QVERIFY2(m.x1 >= 0 && m.x1 <= 10, qPrintable(QString::number(m.x1)));
        QVERIFY2(m.x2 >= 0 && m.x2 <= 10, qPrintable(QString::number(m.x2)));
        // As the program scales them.
        const double X1 = double(m.x1) * D1 * 0.1;
        const double X2 = double(m.x2) * D2 * 0.1;
        const double expected = COEF * (D0 + X1 + X2) + OFFSET;
        QVERIFY2(std::abs(m.y - expected) < 1e-4 * std::max(1.0, std::abs(expected)),
                 qPrintable(QString("Y %1, expected %2").arg(m.y).arg(expected)));
    }
}

void TestSimDevice::valuesMoveWithTheClock()
{
    FakeClock clock;
    SimDevice device({}, clock.fn());
    auto x1At = [&](std::chrono::milliseconds t) {
        clock.now = SimTime{} + 1000h + t;
        return decodeOne(exchange(device, clock, measureRequest(false, true, false))).x1;
    };
    const float start = x1At(0ms);
    const float again = x1At(0ms);
    const float quarter = x1At(2500ms);
    const float period = x1At(10000ms);
    // Noise alone moves little; a quarter of the ~10 s wave moves a lot.
    QVERIFY2(std::abs(again - start) < 0.1f, qPrintable(QString::number(again - start)));
    QVERIFY2(std::abs(quarter - start) > 2.0f, qPrintable(QString::number(quarter - start)));
    QVERIFY2(std::abs(period - start) < 0.1f, qPrintable(QString::number(period - start)));
}

void TestSimDevice::sameSeedSameValues()
{
    FakeClock clock;
    SimOptions seeded;
    seeded.seed = 42;
    SimOptions other;
    other.seed = 43;
    SimDevice a(seeded, clock.fn());
    SimDevice b(seeded, clock.fn());
    SimDevice c(other, clock.fn());
    std::vector<uint8_t> outA, outB, outC;
    for (int i = 0; i < 30; ++i) {
        clock.now += std::chrono::milliseconds(37 * i);
        const Frame8 request =
            i % 3 == 0 ? readRequest(kx::Cmd::X1) : measureRequest(true, true, true);
        const std::pair<SimDevice*, std::vector<uint8_t>*> devices[] = {
            {&a, &outA}, {&b, &outB}, {&c, &outC}};
        for (auto [device, out] : devices) {
            const std::vector<uint8_t> due = exchange(*device, clock, request);
            out->insert(out->end(), due.begin(), due.end());
        }
    }
    QCOMPARE(describe(outA).size(), 30);
    QCOMPARE(toQByteArray(outA).toHex(), toQByteArray(outB).toHex());
    QVERIFY(outA != outC);
}

void TestSimDevice::outputsFollowThresholds_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("P1");
    QTest::addColumn<float>("P2");
    QTest::addColumn<bool>("pk1");
    QTest::addColumn<bool>("pk2");

    // With the default geometry Y stays within 10 ... 50.
    QTest::newRow("mode 1, both thresholds below Y") << 1 << 0.0f << 0.0f << true << true;
    QTest::newRow("mode 1, P2 above Y") << 1 << 0.0f << 1000.0f << true << false;
    QTest::newRow("mode 1, P1 above Y") << 1 << 1000.0f << 0.0f << false << true;
    QTest::newRow("mode 1, both above Y") << 1 << 1000.0f << 1000.0f << false << false;
    QTest::newRow("mode 0, both thresholds below Y") << 0 << 0.0f << 0.0f << false << false;
    QTest::newRow("mode 2 is no output mode") << 2 << 0.0f << 0.0f << false << false;
}

void TestSimDevice::outputsFollowThresholds()
{
    QFETCH(int, mode);
    QFETCH(float, P1);
    QFETCH(float, P2);
    QFETCH(bool, pk1);
    QFETCH(bool, pk2);

    FakeClock clock;
    SimDevice device({}, clock.fn());
    exchange(device, clock, writeRequest(kx::Cmd::Mode, kx::encodeByte(mode)));
    exchange(device, clock, writeRequest(kx::Cmd::PK1, kx::encodeReal(P1)));
    exchange(device, clock, writeRequest(kx::Cmd::PK2, kx::encodeReal(P2)));
    // The outputs come whether or not any value is asked for.
    for (bool withValues : {true, false}) {
        clock.now += 1234ms;
        const kx::MeasurementFrameValues m =
            decodeOne(exchange(device, clock, measureRequest(withValues, withValues, false)));
        QCOMPARE(bool(m.outputPK1), pk1);
        QCOMPARE(bool(m.outputPK2), pk2);
    }
}

void TestSimDevice::outputsTrackYOverTime()
{
    FakeClock clock;
    SimDevice device({}, clock.fn());
    int pk2On = 0;
    int pk2Off = 0;
    for (int i = 0; i < 200; ++i) {
        clock.now += 100ms;
        const kx::MeasurementFrameValues m =
            decodeOne(exchange(device, clock, measureRequest(true, false, false)));
        QCOMPARE(bool(m.outputPK1), m.y > 5.0f);
        QCOMPARE(bool(m.outputPK2), m.y > 15.0f);
        (m.outputPK2 ? pk2On : pk2Off)++;
    }
    // The default P2 lies inside the range Y sweeps, so PK2 switches both ways.
    QVERIFY(pk2On > 0);
    QVERIFY(pk2Off > 0);
}

void TestSimDevice::misbehaviour_data()
{
    QTest::addColumn<unsigned>("ignoreFirst");
    QTest::addColumn<unsigned>("dropEvery");
    QTest::addColumn<unsigned>("badChecksumEvery");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("answered"); // to reads of commands 16 ... 21 in turn

    QTest::newRow("well behaved") << 0u << 0u << 0u << false << "16 17 18 19 20 21";
    QTest::newRow("first 2 unanswered") << 2u << 0u << 0u << false << "18 19 20 21";
    QTest::newRow("every 3rd dropped") << 0u << 3u << 0u << false << "16 17 19 20";
    QTest::newRow("every reply dropped") << 0u << 1u << 0u << false << "";
    QTest::newRow("every 2nd with a bad checksum")
        << 0u << 0u << 2u << false << "16 17! 18 19! 20 21!";
    QTest::newRow("first unanswered, then every 2nd dropped")
        << 1u << 2u << 0u << false << "17 19 21";
    QTest::newRow("bad checksums counted among replies sent")
        << 0u << 2u << 2u << false << "16 18! 20";
    QTest::newRow("silent") << 0u << 0u << 0u << true << "";
}

void TestSimDevice::misbehaviour()
{
    QFETCH(unsigned, ignoreFirst);
    QFETCH(unsigned, dropEvery);
    QFETCH(unsigned, badChecksumEvery);
    QFETCH(bool, silent);
    QFETCH(QString, answered);

    SimOptions options;
    options.ignoreFirst = ignoreFirst;
    options.dropEvery = dropEvery;
    options.badChecksumEvery = badChecksumEvery;
    options.silent = silent;
    FakeClock clock;
    SimDevice device(options, clock.fn());
    std::vector<uint8_t> out;
    for (uint8_t cmd = 16; cmd <= 21; ++cmd) {
        const std::vector<uint8_t> due = exchange(device, clock, readRequest(cmd));
        out.insert(out.end(), due.begin(), due.end());
        clock.now += 50ms;
    }
    QCOMPARE(device.requestCount(), std::size_t(6));
    QCOMPARE(describe(out).join(' '), answered);
    QVERIFY(!device.nextSendTime());
}

void TestSimDevice::measurementFramesCarryNoChecksumToSpoil()
{
    SimOptions options;
    options.badChecksumEvery = 2;
    FakeClock clock;
    SimDevice device(options, clock.fn());
    std::vector<uint8_t> out;
    for (const Frame8& request :
         {readRequest(kx::Cmd::D0), measureRequest(true, true, true), readRequest(kx::Cmd::D1)}) {
        const std::vector<uint8_t> due = exchange(device, clock, request);
        out.insert(out.end(), due.begin(), due.end());
    }
    QCOMPARE(describe(out).join(' '), QString("16 M 17!"));
    const kx::MeasurementFrameValues m = decodeOne({out.begin() + 8, out.end() - 8});
    QVERIFY(m.y > 10.0f && m.y < 50.0f);
}

void TestSimDevice::unansweredWritesStillTakeEffect()
{
    SimOptions options;
    options.ignoreFirst = 1;
    FakeClock clock;
    SimDevice device(options, clock.fn());
    QVERIFY(exchange(device, clock, writeRequest(kx::Cmd::PK1, kx::encodeReal(1.5f))).empty());
    const Frame8 reply = singleReply(exchange(device, clock, readRequest(kx::Cmd::PK1)));
    QCOMPARE(kx::replyReal(reply), 1.5f);
}

void TestSimDevice::latencyDelaysTheSendTime()
{
    SimOptions options;
    options.latency = 40ms;
    FakeClock clock;
    SimDevice device(options, clock.fn());
    const SimTime t0 = clock.now;

    device.receive(readRequest(kx::Cmd::DeviceType));
    clock.now = t0 + 10ms;
    device.receive(readRequest(kx::Cmd::HardwareVersion));
    QCOMPARE(device.nextSendTime(), std::optional(t0 + 40ms));

    QVERIFY(device.takeDue(t0 + 39ms).empty());
    QCOMPARE(describe(device.takeDue(t0 + 40ms)), QStringList{"32"});
    QCOMPARE(device.nextSendTime(), std::optional(t0 + 50ms));
    QVERIFY(device.takeDue(t0 + 49ms).empty());
    QCOMPARE(describe(device.takeDue(t0 + 60ms)), QStringList{"35"});
    QVERIFY(!device.nextSendTime());
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "test_sim_device.moc"
