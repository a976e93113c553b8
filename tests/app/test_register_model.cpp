#include <QtTest>

#include <QBrush>

#include "measure/RegisterTableModel.h"

using namespace kx;

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};

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

    void appendRowInsertsOnlyTheNewRow_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("insertedAt"); // -1: the empty row is filled, nothing inserted
        QTest::newRow("first registration fills the empty row") << 0 << -1;
        QTest::newRow("second registration") << 1 << 1;
        QTest::newRow("after a long run") << 5000 << 5000;
    }

    void appendRowInsertsOnlyTheNewRow()
    {
        QFETCH(int, before);
        QFETCH(int, insertedAt);
        RegisterTableModel model;
        for (int n = 0; n < before; ++n)
            model.appendRow({QString::number(n) + " "});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        const RegisterTableModel::Row cells{"7 ", "1,500", "12,3456", "-----------", "2,0000", "1",
                                            "0",  "",      ""};
        model.appendRow(cells);

        QCOMPARE(reset.count(), 0);
        QCOMPARE(removed.count(), 0);
        const int newRow = before;
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
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column) {
            QCOMPARE(model.index(newRow, column).data().toString(),
                     cells[static_cast<size_t>(column)]);
            QCOMPARE(model.cellText(newRow + 1, column), cells[static_cast<size_t>(column)]);
        }
        if (before > 0)
            QCOMPARE(model.index(before - 1, 0).data().toString(),
                     QString::number(before - 1) + " ");
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
            model.appendRow({QString::number(n), "x", "y"});
        QSignalSpy removedSpy(&model, &QAbstractItemModel::rowsRemoved);
        model.clear();
        QCOMPARE(removedSpy.count(), removed > 0 ? 1 : 0);
        if (removed > 0) {
            QCOMPARE(removedSpy[0][1].toInt(), 1);
            QCOMPARE(removedSpy[0][2].toInt(), removed);
        }
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.gridRowCount(), 2);
        QCOMPARE(model.registeredCount(), 0);
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
            QCOMPARE(model.index(0, column).data().toString(), QString());
        // The header row stays.
        QCOMPARE(model.cellText(0, 0), QString("Index"));

        // The next registration fills the empty row again.
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.appendRow({"0 "});
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
        model.appendRow({"a", "b"});
        model.appendRow({"c", "d"});
        QCOMPARE(model.cellText(gridRow, column), QString());
        QVERIFY(!model.index(gridRow - 1, column).isValid());
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
        model.appendRow({});
        model.appendRow({});
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
