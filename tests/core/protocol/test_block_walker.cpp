#include <QtTest>

#include <memory>

#include "core/protocol/BlockWalker.h"

using namespace kx;

namespace {

// Walks each block from an exactly sized heap copy, so a read past a block's end shows
// under the address sanitizer, and returns the frames found as hex text.
QStringList framesOf(const QStringList& blocks, std::size_t readSize)
{
    BlockWalker walker(readSize);
    QStringList frames;
    for (const QString& hex : blocks) {
        const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
        std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<qsizetype>(raw.size(), 1)]);
        std::memcpy(exact.get(), raw.constData(), static_cast<std::size_t>(raw.size()));
        walker.walk({exact.get(), static_cast<std::size_t>(raw.size())},
                    [&](FrameKind kind, std::span<const uint8_t> f) {
                        const QByteArray bytes(reinterpret_cast<const char*>(f.data()),
                                               static_cast<qsizetype>(f.size()));
                        QCOMPARE(static_cast<uint8_t>(kind), f[0]);
                        frames << QString::fromLatin1(bytes.toHex());
                    });
    }
    return frames;
}

// Walks the blocks (and, when closeAfter is set, closes the port after them) and returns
// every frame and every dropped piece, in the order the walker reported them.
QStringList eventsOf(const QStringList& blocks, std::size_t readSize, bool closeAfter = false)
{
    BlockWalker walker(readSize);
    QStringList events;
    auto hex = [](std::span<const uint8_t> bytes) {
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()))
                                       .toHex());
    };
    const auto dropped = [&](DroppedPiece piece, std::span<const uint8_t> bytes) {
        QVERIFY(!bytes.empty());
        switch (piece) {
        case DroppedPiece::PartialReply:
            events << "dropped partial reply " + hex(bytes);
            break;
        case DroppedPiece::PartialMeasurement:
            events << "dropped partial measurement " + hex(bytes);
            break;
        case DroppedPiece::StrayBytes:
            events << "dropped stray bytes " + hex(bytes);
            break;
        }
    };
    for (const QString& block : blocks) {
        const QByteArray raw = QByteArray::fromHex(block.toLatin1());
        std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<qsizetype>(raw.size(), 1)]);
        std::memcpy(exact.get(), raw.constData(), static_cast<std::size_t>(raw.size()));
        walker.walk(
            {exact.get(), static_cast<std::size_t>(raw.size())},
            [&](FrameKind kind, std::span<const uint8_t> f) {
                events << (kind == FrameKind::Reply ? "reply " : "measurement ") + hex(f);
            },
            dropped);
    }
    if (closeAfter)
        walker.reset(dropped);
    return events;
}

const QString kLed = "f3f30c0500000011";
const QString kD0 = "f3f3100000284179";
const QString kYX2 = "f4f405"
                     "0000a03f"
                     "0000f0c0"; // Y 1.25, X2 -7.5
const QString kOutputs = "f4f418";

// A block cut at the read size: seven whole replies, then the first `keep` bytes of `frame`.
// Its read size is 56 + keep.
QString cutBlock(const QString& frame, int keep)
{
    QString block;
    for (int i = 0; i < 7; ++i)
        block += kLed;
    return block + frame.left(keep * 2);
}

} // namespace

class TestBlockWalker : public QObject
{
    Q_OBJECT

private slots:
    void walk_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<int>("readSize");
        QTest::addColumn<QStringList>("frames");

        QTest::newRow("one reply") << QStringList{kLed} << 64 << QStringList{kLed};
        QTest::newRow("two replies merged, both kept in order")
            << QStringList{kLed + kD0} << 64 << QStringList{kLed, kD0};
        QTest::newRow("reply then measurement frames")
            << QStringList{kD0 + kYX2 + kOutputs} << 64 << QStringList{kD0, kYX2, kOutputs};
        QTest::newRow("7-byte reply ended by silence is dropped")
            << QStringList{kLed.left(14), kD0} << 64 << QStringList{kD0};
        QTest::newRow("9-byte block: the reply, then a lone byte")
            << QStringList{kLed + "f3"} << 64 << QStringList{kLed};
        QTest::newRow("garbage first ends the walk")
            << QStringList{"00" + kLed} << 64 << QStringList{};
        QTest::newRow("unequal header bytes")
            << QStringList{"f3f4" + kLed.mid(4)} << 64 << QStringList{};
        QTest::newRow("garbage between frames ends the walk")
            << QStringList{kLed + "aa" + kD0} << 64 << QStringList{kLed};
        QTest::newRow("requests echoed back begin no frame")
            << QStringList{"f1f1100000000010"} << 64 << QStringList{};
        QTest::newRow("short measurement frame ended by silence is dropped")
            << QStringList{kYX2.left(kYX2.size() - 2), kLed} << 64 << QStringList{kLed};
        QTest::newRow("lone measurement header") << QStringList{"f4f4"} << 64 << QStringList{};

        const QString cutReply = cutBlock(kD0, 3);
        QStringList fillers;
        for (int i = 0; i < 7; ++i)
            fillers << kLed;
        QTest::newRow("reply cut at the read size is completed from the next block")
            << QStringList{cutReply, kD0.mid(6) + kLed} << 56 + 3
            << (QStringList{} << fillers.mid(0, 7) << kD0 << kLed);
        QTest::newRow("cut after one header byte")
            << QStringList{cutBlock(kD0, 1), kD0.mid(2)} << 56 + 1
            << (QStringList{} << fillers.mid(0, 7) << kD0);
        QTest::newRow("measurement frame cut before its flag byte")
            << QStringList{cutBlock(kYX2, 2), kYX2.mid(4) + kLed} << 56 + 2
            << (QStringList{} << fillers.mid(0, 7) << kYX2 << kLed);
        QTest::newRow("measurement frame cut over three blocks of read size 4")
            << QStringList{kYX2.left(8), kYX2.mid(8, 8), kYX2.mid(16)} << 4 << QStringList{kYX2};
        QTest::newRow("carried bytes that the next block does not continue are dropped")
            << QStringList{cutBlock(kD0, 1), kLed} << 56 + 1
            << (QStringList{} << fillers.mid(0, 7) << kLed);
        QTest::newRow("a block of the read size that ends on a frame boundary carries nothing")
            << QStringList{kLed + kLed + kLed + kLed + kLed + kLed + kLed + kLed, kD0} << 64
            << (QStringList{} << fillers << kLed << kD0);
    }

    void walkAfterAFrameCutAtTheReadSize_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<int>("readSize");
        QTest::addColumn<QStringList>("frames");
        QStringList fillers;
        for (int i = 0; i < 7; ++i)
            fillers << kLed;

        // 64 bytes: seven replies and the first 8 bytes of an 11-byte measurement frame.
        QTest::newRow("measurement frame cut inside its values, next block begins a reply")
            << QStringList{cutBlock(kYX2, 8), kLed} << 64 << (QStringList{} << fillers << kLed);
        QTest::newRow("measurement frame cut inside its values, next block begins a frame")
            << QStringList{cutBlock(kYX2, 8), kOutputs + kLed} << 64
            << (QStringList{} << fillers << kOutputs << kLed);
        QTest::newRow("measurement header alone, next block begins a reply")
            << QStringList{cutBlock(kYX2, 2), kD0} << 56 + 2 << (QStringList{} << fillers << kD0);
        QTest::newRow("one header byte, next block begins a measurement frame")
            << QStringList{cutBlock(kYX2, 1), kYX2} << 56 + 1 << (QStringList{} << fillers << kYX2);
        QTest::newRow("measurement frame cut inside its values is completed")
            << QStringList{cutBlock(kYX2, 8), kYX2.mid(16) + kLed} << 64
            << (QStringList{} << fillers << kYX2 << kLed);
        QTest::newRow("measurement frame cut after its flag byte is completed")
            << QStringList{cutBlock(kYX2, 3), kYX2.mid(6)} << 56 + 3
            << (QStringList{} << fillers << kYX2);
    }

    void walkAfterAFrameCutAtTheReadSize()
    {
        QFETCH(QStringList, blocks);
        QFETCH(int, readSize);
        QFETCH(QStringList, frames);
        QCOMPARE(framesOf(blocks, static_cast<std::size_t>(readSize)), frames);
    }

    void droppedPieces_data()
    {
        QTest::addColumn<QStringList>("blocks");
        QTest::addColumn<int>("readSize");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QStringList>("events");
        QStringList fillers;
        for (int i = 0; i < 7; ++i)
            fillers << "reply " + kLed;
        const QString led = "reply " + kLed;

        QTest::newRow("clean blocks drop nothing")
            << QStringList{kLed + kD0, kYX2} << 64 << false
            << QStringList{led, "reply " + kD0, "measurement " + kYX2};
        QTest::newRow("measurement frame cut at the read size, next block begins a reply")
            << QStringList{cutBlock(kYX2, 8), kLed} << 64 << false
            << (QStringList{} << fillers << "dropped partial measurement " + kYX2.left(16) << led);
        QTest::newRow("reply cut at the read size that the next block does not finish")
            << QStringList{cutBlock(kD0, 5), kLed} << 56 + 5 << false
            << (QStringList{} << fillers << "dropped partial reply " + kD0.left(10) << led);
        QTest::newRow("one carried byte that a reply follows")
            << QStringList{cutBlock(kD0, 1), kLed} << 56 + 1 << false
            << (QStringList{} << fillers << "dropped partial reply f3" << led);
        QTest::newRow("one carried byte that begins no frame with the next")
            << QStringList{cutBlock(kD0, 1), "00"} << 56 + 1 << false
            << (QStringList{} << fillers << "dropped stray bytes f3"
                              << "dropped stray bytes 00");
        QTest::newRow("carried frame still short when a block ends by silence")
            << QStringList{cutBlock(kYX2, 8), "0000"} << 64 << false
            << (QStringList{} << fillers
                              << "dropped partial measurement " + kYX2.left(16) + "0000");
        QTest::newRow("reply ended by silence, then a whole one")
            << QStringList{kLed.left(14), kD0} << 64 << false
            << QStringList{"dropped partial reply " + kLed.left(14), "reply " + kD0};
        QTest::newRow("measurement frame ended by silence")
            << QStringList{kYX2.left(20)} << 64 << false
            << QStringList{"dropped partial measurement " + kYX2.left(20)};
        QTest::newRow("lone header byte after a reply")
            << QStringList{kLed + "f4"} << 64 << false
            << QStringList{led, "dropped partial measurement f4"};
        QTest::newRow("bytes between frames drop the rest of their block")
            << QStringList{kLed + "aa" + kD0} << 64 << false
            << QStringList{led, "dropped stray bytes aa" + kD0};
        QTest::newRow("echoed request") << QStringList{"f1f1100000000010"} << 64 << false
                                        << QStringList{"dropped stray bytes f1f1100000000010"};
        QTest::newRow("a lone byte that begins no frame")
            << QStringList{kLed + "07"} << 64 << false
            << QStringList{led, "dropped stray bytes 07"};
        QTest::newRow("port closed with a reply carried")
            << QStringList{cutBlock(kD0, 5)} << 56 + 5 << true
            << (QStringList{} << fillers << "dropped partial reply " + kD0.left(10));
        QTest::newRow("port closed with nothing carried")
            << QStringList{kLed} << 64 << true << QStringList{led};
    }

    void droppedPieces()
    {
        QFETCH(QStringList, blocks);
        QFETCH(int, readSize);
        QFETCH(bool, closeAfter);
        QFETCH(QStringList, events);
        QCOMPARE(eventsOf(blocks, static_cast<std::size_t>(readSize), closeAfter), events);
    }

    // Random blocks of frames, fragments and noise: every byte walked comes out once, in a
    // frame or in a dropped piece, in the order received.
    void everyByteIsAccountedFor()
    {
        uint32_t seed = 12345;
        auto next = [&seed](uint32_t below) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % below;
        };
        const QStringList pieces{kLed, kD0,  kYX2, kOutputs, "f4f407" + kYX2.mid(6) + "00000000",
                                 "00", "f3", "f4", "aa55"};
        for (int round = 0; round < 200; ++round) {
            const std::size_t readSize = 1 + next(64);
            QByteArray stream;
            for (int n = next(30); n > 0; --n)
                stream += QByteArray::fromHex(pieces[int(next(pieces.size()))].toLatin1());
            BlockWalker walker(readSize);
            QByteArray out;
            auto take = [&out](std::span<const uint8_t> bytes) {
                out.append(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
            };
            const auto dropped = [&](DroppedPiece, std::span<const uint8_t> bytes) { take(bytes); };
            qsizetype pos = 0;
            while (pos < stream.size()) {
                const qsizetype length =
                    std::min<qsizetype>(1 + next(uint32_t(readSize)), stream.size() - pos);
                const QByteArray block = stream.mid(pos, length);
                pos += length;
                walker.walk(
                    {reinterpret_cast<const uint8_t*>(block.constData()),
                     static_cast<std::size_t>(block.size())},
                    [&](FrameKind, std::span<const uint8_t> f) { take(f); }, dropped);
            }
            walker.reset(dropped);
            QCOMPARE(out.toHex(), stream.toHex());
        }
    }

    void walk()
    {
        QFETCH(QStringList, blocks);
        QFETCH(int, readSize);
        QFETCH(QStringList, frames);
        QCOMPARE(framesOf(blocks, static_cast<std::size_t>(readSize)), frames);
    }

    void portCloseDropsThePartialFrame()
    {
        BlockWalker walker(56 + 5);
        const QByteArray cut = QByteArray::fromHex(cutBlock(kD0, 5).toLatin1());
        int count = 0;
        auto handler = [&](FrameKind, std::span<const uint8_t>) { ++count; };
        walker.walk({reinterpret_cast<const uint8_t*>(cut.constData()), 61}, handler);
        QCOMPARE(count, 7);
        QVERIFY(walker.hasPartialFrame());
        walker.reset();
        QVERIFY(!walker.hasPartialFrame());
        const QByteArray rest = QByteArray::fromHex(kD0.mid(10).toLatin1());
        walker.walk({reinterpret_cast<const uint8_t*>(rest.constData()),
                     static_cast<std::size_t>(rest.size())},
                    handler);
        QCOMPARE(count, 7);
    }
};

QTEST_APPLESS_MAIN(TestBlockWalker)
#include "test_block_walker.moc"
