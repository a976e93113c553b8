#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include <functional>

#include "measure/RegisterPage.h"
#include "measure/RegisterTableModel.h"

using namespace kx;

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kOrange{0xFF, 0x80, 0x00};
const QColor kBlack{0x00, 0x00, 0x00};
const QColor kNavy{0x00, 0x00, 0x80};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The register the page's grid shows.
RegisterTableModel* registerModel(const QWidget& page)
{
    auto* grid = child<QTableView>(page, "RegisterGrid");
    return grid ? qobject_cast<RegisterTableModel*>(grid->model()) : nullptr;
}

bool anyPixel(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

} // namespace

class TestRegisterPage : public QObject
{
    Q_OBJECT

private slots:
    void registerControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("enabled");
        const struct
        {
            const char* name;
            const char* className;
            const char* text;
            const char* group;
            bool checked;
            bool enabled;
        } rows[] = {
            {"CheckBoxAutoRead", "QCheckBox", "autoodczyt", "Odczyt", true, true},
            {"ButtonReadPosition", "QPushButton", "Odczytaj pozycje", "Odczyt", false, false},
            {"CheckBoxRegY", "QCheckBox", "Y (pomiar)", "Kanał:", true, true},
            {"CheckBoxRegX1", "QCheckBox", "kanał 1", "Kanał:", true, true},
            {"CheckBoxRegX2", "QCheckBox", "kanał 2", "Kanał:", true, true},
            {"CheckBoxRegPK1", "QCheckBox", "PK1", "Kanał:", false, true},
            {"CheckBoxRegPK2", "QCheckBox", "PK2", "Kanał:", false, true},
            {"CheckBoxDate", "QCheckBox", "data", "Informacje", false, true},
            {"CheckBoxHour", "QCheckBox", "godzina", "Informacje", false, true},
            {"CheckBoxTime", "QCheckBox", "czas pomiaru", "Informacje", true, true},
            {"CheckBoxIndex", "QCheckBox", "numer próbki", "Informacje", true, true},
            {"CheckBoxColour", "QCheckBox", "kolor", "Informacje", true, true},
            {"ButtonRegisterClear", "QPushButton", " Wyczyść", "Tabela", false, true},
            {"ButtonSaveAs", "QPushButton", "Zapisz Jako...", "Plik:", false, true},
            {"ButtonSave", "QPushButton", "     Zapisz       ", "Plik:", false, false},
            {"RegisterGrid", "QTableView", "", "Pomiar", false, true},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << r.className << u(r.text) << u(r.group) << r.checked
                                  << r.enabled;
    }

    void registerControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        QFETCH(QString, group);
        QFETCH(bool, checked);
        QFETCH(bool, enabled);
        RegisterPage page;
        checkNamedControl(page, name, className, text);
        if (QTest::currentTestFailed())
            return;
        auto* w = page.findChild<QWidget*>(name);
        auto* box = qobject_cast<QGroupBox*>(w->parentWidget());
        QVERIFY2(box, "not in a group");
        QCOMPARE(box->title(), group);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            QCOMPARE(button->isChecked(), checked);
        QCOMPARE(w->isEnabled(), enabled);
    }

    void gridShowsTheRegister()
    {
        RegisterPage page;
        auto* grid = child<QTableView>(page, "RegisterGrid");
        QVERIFY(grid);
        QVERIFY(qobject_cast<RegisterTableModel*>(grid->model()));
    }

    void readButtonFollowsAutoRead_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("operator clicks") << true;
        QTest::newRow("state set by code (settings file)") << false;
    }

    void readButtonFollowsAutoRead()
    {
        QFETCH(bool, byClick);
        RegisterPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* box = child<QCheckBox>(page, "CheckBoxAutoRead");
        auto* read = child<QPushButton>(page, "ButtonReadPosition");
        QVERIFY(box && read);
        auto toggle = [&](bool checked) {
            if (byClick) {
                QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
            } else {
                RegisterPage::Options options = page.options();
                options.autoRead = checked;
                page.setOptions(options);
            }
            QCOMPARE(box->isChecked(), checked);
        };
        QVERIFY(!read->isEnabled());
        toggle(false);
        QVERIFY(read->isEnabled());
        toggle(true);
        QVERIFY(!read->isEnabled());
        toggle(false);
        QVERIFY(read->isEnabled());
    }

    void headerRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("caption");
        QTest::newRow("0") << 0 << "Index";
        QTest::newRow("1") << 1 << "Czas [s]";
        QTest::newRow("2") << 2 << "Y (pomiar)";
        QTest::newRow("3") << 3 << u("X1 - kanał 1");
        QTest::newRow("4") << 4 << u("X2 - kanał 2");
        QTest::newRow("5") << 5 << "PK1";
        QTest::newRow("6") << 6 << "PK2";
        QTest::newRow("7 never written") << 7 << "";
        QTest::newRow("8 never written") << 8 << "";
    }

    void headerRow()
    {
        QFETCH(int, column);
        QFETCH(QString, caption);
        RegisterPage page;
        RegisterTableModel* shown = registerModel(page);
        QVERIFY(shown);
        QCOMPARE(shown->columnCount(), 9);
        // Empty until the main window writes it at start-up.
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), QString());
        QSignalSpy changed(shown, &QAbstractItemModel::headerDataChanged);
        page.writeHeaderRow();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), caption);
        QCOMPARE(shown->cellText(0, column), caption);
    }

    void gridLook()
    {
        RegisterPage page;
        auto* grid = child<QTableView>(page, "RegisterGrid");
        RegisterTableModel* model = registerModel(page);
        QVERIFY(grid && model);
        for (int column = 0; column < 8; ++column)
            QCOMPARE(grid->columnWidth(column), 82);
        QCOMPARE(grid->rowHeight(0), 20);
        QCOMPARE(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(grid->verticalHeader()->isHidden());
        // The table starts with one empty data row under the header.
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->gridRowCount(), 2);
        QCOMPARE(model->registeredCount(), 0);
    }

    void colourBoxColoursTheGrid()
    {
        RegisterPage page;
        RegisterTableModel* model = registerModel(page);
        auto* colourBox = child<QCheckBox>(page, "CheckBoxColour");
        QVERIFY(model && colourBox);
        const QModelIndex y = model->index(0, RegisterTableModel::ColumnY);
        QCOMPARE(y.data(Qt::BackgroundRole).value<QBrush>().color(), kRed);
        colourBox->setChecked(false);
        QVERIFY(!y.data(Qt::BackgroundRole).isValid());
        colourBox->setChecked(true);
        QCOMPARE(y.data(Qt::BackgroundRole).value<QBrush>().color(), kRed);
    }

    void cellPainting_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("coloured");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QColor>("ground"); // invalid: the grid's normal background
        QTest::addColumn<QColor>("ink");
        QTest::addColumn<bool>("fixed"); // on the fixed-cell background instead
        QTest::newRow("index column is fixed") << 0 << true << false << QColor() << kBlack << true;
        QTest::newRow("Y coloured") << 2 << true << false << kRed << kBlack << false;
        QTest::newRow("X1 coloured") << 3 << true << false << kLime << kBlack << false;
        QTest::newRow("X2 coloured") << 4 << true << false << kAqua << kBlack << false;
        QTest::newRow("PK1 coloured") << 5 << true << false << kWhite << kBlack << false;
        QTest::newRow("PK2 coloured") << 6 << true << false << kOrange << kBlack << false;
        QTest::newRow("time never coloured") << 1 << true << false << QColor() << kBlack << false;
        QTest::newRow("Y without colour") << 2 << false << false << QColor() << kBlack << false;
        QTest::newRow("selected Y") << 2 << true << true << kNavy << kWhite << false;
        QTest::newRow("selected time") << 1 << false << true << kNavy << kWhite << false;
    }

    void cellPainting()
    {
        QFETCH(int, column);
        QFETCH(bool, coloured);
        QFETCH(bool, selected);
        QFETCH(QColor, ground);
        QFETCH(QColor, ink);
        QFETCH(bool, fixed);
        auto* page = new RegisterPage;
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        auto* grid = child<QTableView>(page, "RegisterGrid");
        RegisterTableModel* model = registerModel(*page);
        auto* colourBox = child<QCheckBox>(page, "CheckBoxColour");
        QVERIFY(grid && model && colourBox);
        colourBox->setChecked(coloured);
        RegisterTableModel::Row cells;
        cells.fill(QStringLiteral("888"));
        model->appendRow(cells);
        const QModelIndex index = model->index(0, column);
        if (selected)
            grid->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        else
            grid->selectionModel()->clearSelection();
        grid->setFocus();
        QApplication::processEvents();

        if (fixed)
            ground = grid->palette().color(QPalette::Button);
        else if (!ground.isValid())
            ground = grid->palette().color(QPalette::Base);
        QVERIFY(ground != grid->palette().color(QPalette::Base) || !fixed);
        const QImage image = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(index).intersected(image.rect());
        QVERIFY(cell.width() > 20 && cell.height() >= 18);
        const QRect lowerRight(cell.right() - 3, cell.bottom() - 2, 3, 2);
        QVERIFY(!anyPixel(image, lowerRight, [&](QColor c) { return c != ground; }));
        // The text starts 5 pixels in: the top and left bands are plain ground.
        const QRect topBand(cell.left(), cell.top(), cell.width() - 1, 4);
        const QRect leftBand(cell.left(), cell.top(), 4, cell.height() - 1);
        QVERIFY(!anyPixel(image, topBand, [&](QColor c) { return c != ground; }));
        QVERIFY(!anyPixel(image, leftBand, [&](QColor c) { return c != ground; }));
        const QRect text(cell.left() + 5, cell.top() + 5, 20, cell.height() - 6);
        QVERIFY(anyPixel(image, text, [&](QColor c) {
            return qAbs(c.red() - ink.red()) + qAbs(c.green() - ink.green()) +
                       qAbs(c.blue() - ink.blue()) <
                   60;
        }));
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* name;
            const char* expected;
        } rows[] = {
            {"RegisterGrid", "Pomiar"},
            {"CheckBoxAutoRead", "autoodczyt"},
            {"ButtonReadPosition", "Odczytaj pozycje"},
            {"CheckBoxRegY", "Y (pomiar)"},
            {"CheckBoxIndex", "numer próbki"},
            {"ButtonRegisterClear", " Wyczyść"},
            {"ButtonSave", "     Zapisz       "},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << u(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        RegisterPage page;
        auto* control = page.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        auto* page = new RegisterPage;
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        checkFitsWithoutOverlap(page, 9);
    }
};

QTEST_MAIN(TestRegisterPage)
#include "test_register_page.moc"
