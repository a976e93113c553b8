#include <QtTest>

#include <QBrush>

#include <limits>

#include "Stamps.h"
#include "ui/register/RegisterTableModel.h"

using namespace kx;

Q_DECLARE_METATYPE(kx::Registration)

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};

using O = RegisterOptions;

// Every option on, the outputs too.
Registration fullRow(double time, float y, float x1, float x2, bool pk1, bool pk2)
{
    Registration r;
    r.options = O(O::defaults().bits() | O::PK1 | O::PK2);
    r.measureTime = time;
    r.setShown(ValueField::Y, y);
    r.setShown(ValueField::X1, x1);
    r.setShown(ValueField::X2, x2);
    r.setOutputs(pk1, pk2);
    return r;
}

Registration numbered()
{
    Registration r;
    r.options = O().set(O::Number);
    return r;
}

QStringList rowTexts(const RegisterTableModel& model, int modelRow)
{
    QStringList texts;
    for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
        texts << model.index(modelRow, column).data().toString();
    return texts;
}

} // namespace

// The register's model alone, without a grid or any other widget.
class TestRegisterModel : public QObject
{
    Q_OBJECT

private slots:
    void indexColumnIsFixed()
    {
        RegisterTableModel model;
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column) {
            const QModelIndex index = model.index(0, column);
            const bool fixed = column == RegisterTableModel::ColumnIndex;
            QCOMPARE(index.data(RegisterTableModel::FixedRole).toBool(), fixed);
            QCOMPARE(model.flags(index).testFlag(Qt::ItemIsSelectable), !fixed);
            QVERIFY(!model.flags(index).testFlag(Qt::ItemIsEditable));
        }
    }

    void appendInsertsOnlyTheNewRow_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("insertedAt"); // -1: the empty row is filled, nothing inserted
        QTest::newRow("first registration fills the empty row") << 0 << -1;
        QTest::newRow("second registration") << 1 << 1;
        QTest::newRow("after a long run") << 5000 << 5000;
    }

    void appendInsertsOnlyTheNewRow()
    {
        QFETCH(int, before);
        QFETCH(int, insertedAt);
        RegisterTableModel model;
        for (int n = 0; n < before; ++n)
            QVERIFY(model.appendRegistration(numbered()));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        Registration r = fullRow(1.5, 12.3456f, 0, 2.0f, true, false);
        r.setNeverShown(ValueField::X1);
        QVERIFY(model.appendRegistration(r));

        QCOMPARE(reset.count(), 0);
        QCOMPARE(removed.count(), 0);
        if (insertedAt < 0) {
            QCOMPARE(inserted.count(), 0);
            QCOMPARE(changed.count(), 1);
            QCOMPARE(changed[0][0].toModelIndex().row(), 0);
            QCOMPARE(changed[0][1].toModelIndex().row(), 0);
        } else {
            QCOMPARE(inserted.count(), 1);
            QCOMPARE(inserted[0][1].toInt(), insertedAt);
            QCOMPARE(inserted[0][2].toInt(), insertedAt);
        }
        QCOMPARE(model.rowCount(), before + 1);
        QCOMPARE(model.registeredCount(), before + 1);
        QCOMPARE(model.gridRowCount(), before + 2);
        const QStringList expected{QString::number(before) + " ",
                                   "1,500",
                                   "12,3456",
                                   "-------------",
                                   "2,0000",
                                   "1",
                                   "0",
                                   "",
                                   ""};
        QCOMPARE(rowTexts(model, before), expected);
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
            QCOMPARE(model.cellText(before + 1, column), expected[column]);
        if (before > 0)
            QCOMPARE(model.index(before - 1, 0).data().toString(),
                     QString::number(before - 1) + " ");
    }

    // A row keeps what its texts are made of; each reads as the register wrote it.
    void cellTexts_data()
    {
        QTest::addColumn<Registration>("registration");
        QTest::addColumn<QStringList>("texts");
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        Registration never;
        never.options = O::defaults();
        Registration offOptions = fullRow(2.25, 1, 2, 3, true, true);
        offOptions.options = O().set(O::Y).set(O::PK2);
        QTest::newRow("fields never shown give their dashes")
            << never
            << QStringList{"0 ", "0,000", "-------------", "-------------", "-------------", "", "",
                           "",   ""};
        QTest::newRow("not finite values as the fields show them")
            << fullRow(0.125, nan, inf, -inf, false, true)
            << QStringList{"0 ", "0,125", "NAN", "INF", "-INF", "0", "1", "", ""};
        QTest::newRow("switched-off columns stay empty")
            << offOptions << QStringList{"", "", "1,0000", "", "", "", "1", "", ""};
        QTest::newRow("float as the field showed it, rounded to four decimals")
            << fullRow(1234.5678, 0.1f, -0.00005f, 99999.99f, false, false)
            << QStringList{"0 ", "1234,568", "0,1000", "-0,0000", "99999,9922", "0", "0", "", ""};
    }

    void cellTexts()
    {
        QFETCH(Registration, registration);
        QFETCH(QStringList, texts);
        RegisterTableModel model;
        model.appendRegistration(registration);
        QCOMPARE(rowTexts(model, 0), texts);
    }

    void dateAndTimeInColumnZero_data()
    {
        QTest::addColumn<bool>("number");
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("number only") << true << false << false << "1 ";
        QTest::newRow("date only") << false << true << false << "(D)";
        QTest::newRow("time only") << false << false << true << "(T)";
        QTest::newRow("date and time") << false << true << true << "(D T)";
        QTest::newRow("number, date and time") << true << true << true << "1 (D T)";
        QTest::newRow("nothing") << false << false << false << "";
    }

    void dateAndTimeInColumnZero()
    {
        QFETCH(bool, number);
        QFETCH(bool, date);
        QFETCH(bool, time);
        QFETCH(QString, text);
        RegisterTableModel model;
        int64_t asked = -1;
        model.setStampFormat({[&](int64_t ms) {
                                  asked = ms;
                                  return std::string("D");
                              },
                              [](int64_t) { return std::string("T"); }});
        model.appendRegistration(numbered());
        Registration r;
        r.options = O().set(O::Number, number).set(O::Date, date).set(O::TimeOfDay, time);
        r.stampMs = localStamp();
        model.appendRegistration(r);
        QCOMPARE(model.cellText(2, RegisterTableModel::ColumnIndex), text);
        if (date)
            QCOMPARE(asked, localStamp());
    }

    // The system locale's texts, without the time zone Qt's long format adds on Linux.
    void regionalStamps_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("Polish") << "pl_PL"
                                << "5.03.2024"
                                << "14:07:09";
        QTest::newRow("German") << "de_DE"
                                << "05.03.24"
                                << "14:07:09";
        QTest::newRow("American: hours of twelve") << "en_US"
                                                   << "3/5/24"
                                                   << "2:07:09 PM";
        QTest::newRow("Finnish: points between") << "fi_FI"
                                                 << "5.3.2024"
                                                 << "14.07.09";
    }

    void regionalStamps()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        const StampFormat stamps = regionalStampFormat(QLocale(locale));
        QCOMPARE(QString::fromStdString(stamps.date(localStamp())), date);
        QCOMPARE(QString::fromStdString(stamps.time(localStamp())), time);
    }

    void timeZoneTakenOut_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("kept");
        QTest::newRow("zone at the end") << "HH:mm:ss t"
                                         << "HH:mm:ss";
        QTest::newRow("after AM/PM") << "h:mm:ss AP t"
                                     << "h:mm:ss AP";
        QTest::newRow("zone in front") << "t HH:mm:ss"
                                       << "HH:mm:ss";
        QTest::newRow("long zone name") << "HH:mm:ss tttt"
                                        << "HH:mm:ss";
        QTest::newRow("no zone") << "H.mm.ss"
                                 << "H.mm.ss";
        QTest::newRow("zone between") << "HH:mm t ss"
                                      << "HH:mm ss";
        QTest::newRow("other spaces stay")
            << QString::fromUtf8("h:mm:ss\u202FAP t") << QString::fromUtf8("h:mm:ss\u202FAP");
        QTest::newRow("a quoted t is text") << "HH 'to' mm t"
                                            << "HH 'to' mm";
        QTest::newRow("a doubled quote stays a quote") << "HH''mm 't''s' t"
                                                       << "HH''mm 't''s'";
    }

    void timeZoneTakenOut()
    {
        QFETCH(QString, format);
        QFETCH(QString, kept);
        QCOMPARE(withoutTimeZone(format), kept);
    }

    void modelUsesTheSystemLocale()
    {
        RegisterTableModel model;
        Registration r;
        r.options = O().set(O::Date).set(O::TimeOfDay);
        r.stampMs = localStamp();
        model.appendRegistration(r);
        // The tests run in a Polish locale.
        QCOMPARE(QLocale::system().name(), QString("pl_PL"));
        QCOMPARE(model.cellText(1, 0), QString("(5.03.2024 14:07:09)"));
    }

    void clearLeavesOneEmptyRow_data()
    {
        QTest::addColumn<int>("registered");
        QTest::addColumn<int>("removed"); // rows taken out of the view
        QTest::newRow("nothing registered") << 0 << 0;
        QTest::newRow("one row") << 1 << 0;
        QTest::newRow("three rows") << 3 << 2;
    }

    void clearLeavesOneEmptyRow()
    {
        QFETCH(int, registered);
        QFETCH(int, removed);
        RegisterTableModel model;
        model.writeHeaderRow();
        for (int n = 0; n < registered; ++n)
            model.appendRegistration(fullRow(n, 1, 2, 3, true, true));
        QSignalSpy removedSpy(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changedSpy(&model, &QAbstractItemModel::dataChanged);
        model.clear();
        QCOMPARE(removedSpy.count(), removed > 0 ? 1 : 0);
        if (removed > 0) {
            QCOMPARE(removedSpy[0][1].toInt(), 1);
            QCOMPARE(removedSpy[0][2].toInt(), removed);
        }
        // The row that stays is told it is empty now.
        QCOMPARE(changedSpy.count(), registered > 0 ? 1 : 0);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.gridRowCount(), 2);
        QCOMPARE(model.registeredCount(), 0);
        QCOMPARE(model.rows().size(), std::size_t(0));
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
            QCOMPARE(model.index(0, column).data().toString(), QString());
        // The header row stays.
        QCOMPARE(model.cellText(0, 0), QString("Index"));

        // The next registration fills the empty row again, numbered 0.
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.appendRegistration(numbered());
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(model.index(0, 0).data().toString(), QString("0 "));
    }

    void cellTextOutsideTheGridIsEmpty_data()
    {
        QTest::addColumn<int>("gridRow");
        QTest::addColumn<int>("column");
        QTest::newRow("row past the end") << 3 << 1;
        QTest::newRow("negative row") << -1 << 1;
        QTest::newRow("column past the end") << 1 << 9;
        QTest::newRow("negative column") << 1 << -1;
    }

    void cellTextOutsideTheGridIsEmpty()
    {
        QFETCH(int, gridRow);
        QFETCH(int, column);
        RegisterTableModel model;
        model.writeHeaderRow();
        model.appendRegistration(fullRow(1, 1, 1, 1, true, true));
        model.appendRegistration(fullRow(2, 2, 2, 2, true, true));
        QCOMPARE(model.cellText(gridRow, column), QString());
        QVERIFY(!model.index(gridRow - 1, column).isValid());
    }

    void headerEmptyUntilWritten()
    {
        RegisterTableModel model;
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString());
        QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
        model.writeHeaderRow();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString::fromUtf8("X2 - kanał 2"));
        QCOMPARE(model.headerData(8, Qt::Horizontal).toString(), QString());
    }

    void cellColours_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("index") << 0 << QColor();
        QTest::newRow("time") << 1 << QColor();
        QTest::newRow("Y red") << 2 << kRed;
        QTest::newRow("X1 lime") << 3 << kLime;
        QTest::newRow("X2 aqua") << 4 << kAqua;
        QTest::newRow("PK1 white") << 5 << kWhite;
        QTest::newRow("PK2 orange") << 6 << kOrange;
        QTest::newRow("spare 7") << 7 << QColor();
        QTest::newRow("spare 8") << 8 << QColor();
    }

    void cellColours()
    {
        QFETCH(int, column);
        QFETCH(QColor, colour);
        RegisterTableModel model;
        model.appendRegistration({});
        model.appendRegistration({});
        QCOMPARE(RegisterTableModel::columnColour(column), colour);
        for (int row = 0; row < 2; ++row) {
            const QVariant brush = model.index(row, column).data(Qt::BackgroundRole);
            QCOMPARE(brush.isValid(), colour.isValid());
            if (colour.isValid())
                QCOMPARE(brush.value<QBrush>().color(), colour);
        }
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setColoured(false);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!model.index(1, column).data(Qt::BackgroundRole).isValid());
    }
};

QTEST_GUILESS_MAIN(TestRegisterModel)
#include "test_register_model.moc"
