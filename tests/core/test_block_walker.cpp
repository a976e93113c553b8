#include <QtTest>

#include <memory>

#include "protocol/BlockWalker.h"

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
