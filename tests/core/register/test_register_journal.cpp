#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

#include "core/register/RegisterJournal.h"

using namespace kx;

namespace {

Registration row(int n)
{
    Registration r;
    r.measureTime = 0.01 * n;
    r.stampMs = 1765000000000 + n * 25;
    r.options = RegisterOptions::defaults().set(RegisterOptions::PK1, n % 2 == 1);
    r.setShown(ValueField::Y, 12.3456f + float(n));
    if (n % 3 == 0)
        r.setShown(ValueField::X1, -0.5f);
    r.setOutputs(n % 2 == 0, n % 5 == 0);
    return r;
}

bool same(const Registration& a, const Registration& b)
{
    return std::memcmp(&a.measureTime, &b.measureTime, sizeof a.measureTime) == 0 &&
           a.stampMs == b.stampMs &&
           std::memcmp(a.shown.data(), b.shown.data(), sizeof a.shown) == 0 &&
           a.options == b.options && a.flags == b.flags;
}

std::string journal(int rows)
{
    std::string bytes(journalHeader());
    for (int n = 0; n < rows; ++n)
        appendJournalRecord(bytes, row(n));
    return bytes;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRegisterJournal : public QObject
{
    Q_OBJECT

private slots:
    void everyRowComesBackExactly()
    {
        std::string bytes(journalHeader());
        std::vector<Registration> written;
        for (int n = 0; n < 50; ++n)
            written.push_back(row(n));
        Registration odd;
        odd.setShown(ValueField::X2, std::nanf(""));
        odd.measureTime = -0.0;
        written.push_back(odd);
        for (const Registration& r : written)
            appendJournalRecord(bytes, r);
        QCOMPARE(bytes.size(), journalHeader().size() + written.size() * kJournalRecordSize);
        const JournalContents read = readJournal(bytes);
        QVERIFY(read.recognised);
        QVERIFY(!read.cut);
        QCOMPARE(read.rows.size(), written.size());
        for (std::size_t i = 0; i < written.size(); ++i)
            QVERIFY2(same(read.rows[i], written[i]), qPrintable(QString::number(i)));
    }

    void aCutJournalGivesTheWholeRowsBeforeTheCut_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("recognised");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("cut");
        const QByteArray three = QByteArray::fromStdString(journal(3));
        QByteArray damaged = three;
        damaged[int(journalHeader().size() + kJournalRecordSize + 5)] ^= 0x40;
        QTest::newRow("whole") << three << true << 3 << false;
        QTest::newRow("no rows yet") << QByteArray::fromStdString(journal(0)) << true << 0 << false;
        QTest::newRow("cut within the fourth row")
            << QByteArray::fromStdString(journal(4)).chopped(7) << true << 3 << true;
        QTest::newRow("cut within the first row")
            << QByteArray::fromStdString(journal(1)).chopped(1) << true << 0 << true;
        QTest::newRow("a damaged second row") << damaged << true << 1 << true;
        QTest::newRow("zeros where a power cut left them")
            << three + QByteArray(int(kJournalRecordSize), '\0') << true << 3 << true;
        QTest::newRow("not a journal") << QByteArray("Cz_0= 1\r\n") << false << 0 << false;
        QTest::newRow("empty") << QByteArray() << false << 0 << false;
    }

    void aCutJournalGivesTheWholeRowsBeforeTheCut()
    {
        QFETCH(QByteArray, bytes);
        const JournalContents read = readJournal(bytes.toStdString());
        QTEST(read.recognised, "recognised");
        QTEST(int(read.rows.size()), "rows");
        QTEST(read.cut, "cut");
        for (std::size_t i = 0; i < read.rows.size(); ++i)
            QVERIFY(same(read.rows[i], row(int(i))));
    }

    void theWriterKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("register.journal");
        QFile::remove(path);
        {
            JournalWriter writer(path.toStdString());
            for (int n = 0; n < 7; ++n)
                writer.append(row(n));
            writer.sync();
            QVERIFY(writer.healthy());
            QCOMPARE(fileBytes(path).toStdString(), journal(7));
            writer.clear();
            writer.sync();
            QCOMPARE(fileBytes(path).toStdString(), journal(0));
            writer.append(row(0));
            // Without being asked, within about a second.
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(path).toStdString(), journal(1), 5000);
        }
        QVERIFY(QFile::exists(path)); // an end without remove() leaves it for the next start
        JournalWriter again(path.toStdString());
        again.sync();
        QCOMPARE(fileBytes(path).toStdString(), journal(0)); // a new run starts it afresh
        again.remove();
        QVERIFY(!QFile::exists(path));
    }

    void aJournalThatCannotBeWrittenIsNotHealthy()
    {
        QTemporaryDir dir;
        // Root writes anywhere: a folder in the file's place stops it.
        QVERIFY(QDir(dir.path()).mkdir("register.journal"));
        JournalWriter writer(dir.filePath("register.journal").toStdString());
        writer.append(row(1));
        writer.sync();
        QVERIFY(!writer.healthy());
    }
};

QTEST_GUILESS_MAIN(TestRegisterJournal)
#include "test_register_journal.moc"
