#include <QtTest>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "Stamps.h"
#include "core/register/RegisterRows.h"
#include "core/text/NumberFormat.h"

using namespace kx;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

QStringList cellsOf(const RegisterRows& rows, std::size_t row)
{
    QStringList cells;
    for (int c = 0; c < RegisterColumnCount; ++c)
        cells << QString::fromStdString(rows.cellText(row, c, kUtcStamps));
    return cells;
}

Registration registration(RegisterOptions options, double measureTime, QVariant y, QVariant x1,
                          QVariant x2, bool pk1 = false, bool pk2 = false)
{
    Registration r;
    r.options = options;
    r.measureTime = measureTime;
    r.stampMs = utcStamp();
    const std::pair<ValueField, QVariant> fields[] = {
        {ValueField::Y, y}, {ValueField::X1, x1}, {ValueField::X2, x2}};
    for (const auto& [field, value] : fields) {
        if (value.isValid())
            r.setShown(field, value.toFloat());
    }
    r.setOutputs(pk1, pk2);
    return r;
}

using O = RegisterOptions;

} // namespace

class TestRegisterRows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A Polish C locale must not leak a comma into the "%3.4f" texts before CommaDecimal.
        if (!std::setlocale(LC_ALL, "pl_PL.UTF-8"))
            std::setlocale(LC_ALL, "");
    }

    void headerCaptions()
    {
        const QStringList expected{
            "Index", "Czas [s]", "Y (pomiar)", "X1 - kanał 1", "X2 - kanał 2", "PK1", "PK2",
            "",      ""};
        QStringList captions;
        for (int c = 0; c < RegisterColumnCount; ++c)
            captions << QString::fromUtf8(registerHeaderCaption(c));
        QCOMPARE(captions, expected);
        QVERIFY(registerHeaderCaption(-1).empty());
        QVERIFY(registerHeaderCaption(RegisterColumnCount).empty());
    }

    void firstRegistration_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<double>("measureTime");
        QTest::addColumn<QVariant>("y"); // invalid: the field was never shown
        QTest::addColumn<QVariant>("x1");
        QTest::addColumn<QVariant>("x2");
        QTest::addColumn<bool>("pk1");
        QTest::addColumn<bool>("pk2");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("column0Width");

        const int defaults = O::defaults().bits();
        const QVariant none;

        QTest::newRow("default options")
            << defaults << 1.5 << QVariant(12.3456f) << QVariant(10.0f) << QVariant(-0.5f) << true
            << true << QStringList{"0 ", "1,500", "12,3456", "10,0000", "-0,5000", "", "", "", ""}
            << 60;
        QTest::newRow("date only: no number, date in parentheses")
            << int(O::Date) << 1.5 << QVariant(1.0f) << QVariant(2.0f) << QVariant(3.0f) << true
            << true << QStringList{"(05.03.2024)", "", "", "", "", "", "", "", ""} << 110;
        QTest::newRow("time of day with the number")
            << int(O::Number | O::TimeOfDay) << 0.0 << none << none << none << false << false
            << QStringList{"0 (14:07:09)", "", "", "", "", "", "", "", ""} << 110;
        QTest::newRow("date and time of day")
            << int(O::Date | O::TimeOfDay | O::MeasureTime) << 0.0 << none << none << none << false
            << false << QStringList{"(05.03.2024 14:07:09)", "0,000", "", "", "", "", "", "", ""}
            << 160;
        QTest::newRow("fields never shown keep their dashes")
            << defaults << 2.0 << none << QVariant(4.25f) << none << false << false
            << QStringList{"0 ", "2,000", "-------------", "4,2500", "-------------", "", "",
                           "",   ""}
            << 60;
        QTest::newRow("values that are not finite")
            << defaults << 2.0 << QVariant(kNaN) << QVariant(kInf) << QVariant(-kInf) << false
            << false << QStringList{"0 ", "2,000", "NAN", "INF", "-INF", "", "", "", ""} << 60;
        QTest::newRow("the field's float, not a double")
            << int(O::Y | O::X1) << 0.0 << QVariant(1234567.9f) << QVariant(0.1f) << none << false
            << false << QStringList{"", "", "1234567,8750", "0,1000", "", "", "", "", ""} << 60;
        QTest::newRow("three decimals of the measurement time")
            << int(O::MeasureTime) << 123.4567 << none << none << none << false << false
            << QStringList{"", "123,457", "", "", "", "", "", "", ""} << 60;
        QTest::newRow("outputs 1 and 0")
            << int(O::PK1 | O::PK2) << 0.0 << none << none << none << true << false
            << QStringList{"", "", "", "", "", "1", "0", "", ""} << 60;
        QTest::newRow("outputs 0 and 1")
            << int(O::PK1 | O::PK2) << 0.0 << none << none << none << false << true
            << QStringList{"", "", "", "", "", "0", "1", "", ""} << 60;
        QTest::newRow("every box off")
            << 0 << 1.5 << QVariant(1.0f) << QVariant(2.0f) << QVariant(3.0f) << true << true
            << QStringList(9, "") << 60;
    }

    void firstRegistration()
    {
        QFETCH(int, options);
        QFETCH(double, measureTime);
        QFETCH(QVariant, y);
        QFETCH(QVariant, x1);
        QFETCH(QVariant, x2);
        QFETCH(bool, pk1);
        QFETCH(bool, pk2);
        QFETCH(QStringList, cells);
        QFETCH(int, column0Width);

        RegisterRows rows;
        rows.append(
            registration(RegisterOptions(uint16_t(options)), measureTime, y, x1, x2, pk1, pk2));
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(cellsOf(rows, 0), cells);
        QCOMPARE(kx::column0Width(RegisterOptions(uint16_t(options))), column0Width);
    }

    // The cells are made without the general conversion; they must read exactly as the
    // fields' "%3.4f" and the time's "%2.3f" with a comma, for any value.
    void valueTextsMatchTheFieldFormatForAnyValue()
    {
        std::vector<float> values{
            0.0f,           -0.0f,    0.03125f, -0.03125f, 0.09375f, 1.00005f, -0.00004f,
            -0.00005f,      0.00005f, 9.99995f, 99999.99f, 1e-45f,   -1e-30f,  1e10f,
            99999997952.0f, 1e11f,    -1.5e11f, 3.4e38f,   kNaN,     kInf,     -kInf};
        std::vector<double> times{0.0,
                                  -0.0,
                                  0.0625,
                                  1.0625,
                                  0.0005,
                                  1.5,
                                  0.1 + 0.2,
                                  2.675,
                                  1e-300,
                                  -1e-250,
                                  99999999999.9995,
                                  1e11,
                                  4.5e12,
                                  1e300,
                                  std::numeric_limits<double>::quiet_NaN()};
        std::mt19937_64 random(350);
        for (int i = 0; i < 200'000; ++i) {
            const auto bits = uint32_t(random());
            float f;
            std::memcpy(&f, &bits, sizeof f);
            values.push_back(f);
            // Magnitudes a register sees, with every bit of the fraction in play.
            const double scale = std::ldexp(1.0, int(random() % 60) - 20);
            values.push_back(float(std::uniform_real_distribution<double>(-1, 1)(random) * scale));
            times.push_back(std::uniform_real_distribution<double>(-1, 1)(random) * scale);
            times.push_back(double(int64_t(random() % 100'000'000)) / 100);      // hundredths
            times.push_back(double(int64_t(random() % 2'000'000) * 2 + 1) / 16); // halves
        }

        Registration r;
        r.options = O::defaults();
        std::string cell;
        int mismatches = 0;
        const auto check = [&](int column, const std::string& expected, double value) {
            cell.clear();
            appendRegisterCell(cell, r, 0, column, kUtcStamps);
            if (cell != expected && ++mismatches <= 5)
                qWarning("%.17g: \"%s\" instead of \"%s\"", value, cell.c_str(), expected.c_str());
        };
        for (const float f : values) {
            r.setShown(ValueField::X1, f);
            check(RegisterColumnX1, CommaDecimal(formatFixed(f, 4, 3)), f);
        }
        for (const double t : times) {
            r.measureTime = t;
            check(RegisterColumnTime, CommaDecimal(formatFixed(t, 3, 2)), t);
        }
        QCOMPARE(mismatches, 0);
    }

    void aFreshRegistrationShowsDashesAndNoOutputs()
    {
        Registration r;
        QVERIFY(r.neverShown(ValueField::Y) && r.neverShown(ValueField::X1) &&
                r.neverShown(ValueField::X2));
        QVERIFY(!r.pk1() && !r.pk2());
        r.setOutputs(true, true);
        r.setShown(ValueField::X1, 1.0f);
        // Each flag is its own: showing a value keeps the outputs, and the other fields.
        QVERIFY(r.pk1() && r.pk2());
        QVERIFY(r.neverShown(ValueField::Y) && !r.neverShown(ValueField::X1) &&
                r.neverShown(ValueField::X2));
        r.setOutputs(false, true);
        QVERIFY(!r.pk1() && r.pk2());
        QVERIFY(!r.neverShown(ValueField::X1));
        r.setNeverShown(ValueField::X1);
        QVERIFY(r.neverShown(ValueField::X1));
    }

    void theNumberIsTheRowIndex()
    {
        RegisterRows rows;
        for (int i = 0; i < 12; ++i)
            rows.append(registration(O::defaults(), i * 0.1, 1.0f, 2.0f, 3.0f));
        QCOMPARE(QString::fromStdString(rows.cellText(0, RegisterColumnIndex, kUtcStamps)), "0 ");
        QCOMPARE(QString::fromStdString(rows.cellText(11, RegisterColumnIndex, kUtcStamps)), "11 ");
        QCOMPARE(QString::fromStdString(rows.cellText(11, RegisterColumnTime, kUtcStamps)),
                 "1,100");
        // Outside the registered rows and columns: nothing, and no read past the storage.
        QCOMPARE(cellsOf(rows, 12), QStringList(9, ""));
        QVERIFY(rows.cellText(0, -1, kUtcStamps).empty());
        QVERIFY(rows.cellText(0, RegisterColumnCount, kUtcStamps).empty());
    }

    void eachRowKeepsTheOptionsOfItsRegistration()
    {
        RegisterRows rows;
        rows.append(registration(O::defaults(), 1.0, 1.0f, 2.0f, 3.0f));
        rows.append(registration(RegisterOptions(O::Date), 2.0, 1.0f, 2.0f, 3.0f));
        QCOMPARE(cellsOf(rows, 0),
                 (QStringList{"0 ", "1,000", "1,0000", "2,0000", "3,0000", "", "", "", ""}));
        QCOMPARE(cellsOf(rows, 1), (QStringList{"(05.03.2024)", "", "", "", "", "", "", "", ""}));
    }

    void stampTextsComeFromTheCallerWithTheRowsStamp()
    {
        RegisterRows rows;
        Registration r = registration(RegisterOptions(O::Date | O::TimeOfDay), 0, {}, {}, {});
        r.stampMs = -1; // the last millisecond before the epoch
        rows.append(r);
        QCOMPARE(QString::fromStdString(rows.cellText(0, RegisterColumnIndex, kUtcStamps)),
                 "(31.12.1969 23:59:59)");
        // Without formatters the parentheses stay, empty.
        QCOMPARE(QString::fromStdString(rows.cellText(0, RegisterColumnIndex, StampFormat{})),
                 "( )");
    }

    void clearing()
    {
        RegisterRows rows;
        for (int i = 0; i < 3000; ++i) // more than one storage block
            rows.append(registration(O::defaults(), i, 1.0f, 2.0f, 3.0f, true, true));
        rows.clear();
        QCOMPARE(rows.size(), std::size_t(0));
        QVERIFY(rows.empty());
        QCOMPARE(cellsOf(rows, 0), QStringList(9, ""));

        // Numbering restarts, and columns switched off since hold none of the earlier values.
        rows.append(
            registration(RegisterOptions(O::Number | O::PK2), 5.0, 7.0f, {}, {}, false, true));
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(cellsOf(rows, 0), (QStringList{"0 ", "", "", "", "", "", "1", "", ""}));
        QCOMPARE(rows[0].measureTime, 5.0);
    }

    void millionRowsTakeAtMost64BytesEach()
    {
        constexpr std::size_t kRows = 1'000'000;
        const auto fill = [](RegisterRows& rows) {
            for (std::size_t i = 0; i < kRows; ++i) {
                Registration r = registration(O::defaults(), double(i), float(i), {}, {});
                r.stampMs = int64_t(i);
                rows.append(r);
            }
        };
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#if __GLIBC_PREREQ(2, 33)
#define KX_HEAP_IN_USE 1
#endif
#endif
#ifdef KX_HEAP_IN_USE
        // Heap in use, small blocks and mapped ones, before and after: the rows, the block
        // table and the allocator's own headers.
        const auto inUse = [] {
            const struct mallinfo2 m = mallinfo2();
            return m.uordblks + m.hblkhd;
        };
        const std::size_t before = inUse();
        RegisterRows rows;
        fill(rows);
        const std::size_t used = inUse() - before;
        qInfo("a million registrations: %zu bytes, %.2f bytes per row (record %zu bytes)", used,
              double(used) / kRows, sizeof(Registration));
        QVERIFY(used >= kRows * sizeof(Registration)); // the measurement saw the rows
        QVERIFY(used <= kRows * 64);
#else
        RegisterRows rows;
        fill(rows);
        qInfo("heap statistics not available here: memory not measured");
#endif
        // Rows on both sides of the storage blocks' edges read back as appended.
        for (const std::size_t i : {std::size_t(0), std::size_t(2047), std::size_t(2048),
                                    std::size_t(4095), std::size_t(4096), kRows - 1}) {
            QCOMPARE(rows[i].measureTime, double(i));
            QCOMPARE(rows[i].stampMs, int64_t(i));
            QCOMPARE(rows[i].shown[0], float(i));
        }
        QCOMPARE(rows.size(), kRows);
    }
};

QTEST_APPLESS_MAIN(TestRegisterRows)
#include "test_register_rows.moc"
