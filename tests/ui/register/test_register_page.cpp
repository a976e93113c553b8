#include <QtTest>

#include "FileSizeLimit.h"
#include "NamedChild.h"
#include "PageFit.h"
#include "RecordingDialogs.h"
#include "Stamps.h"
#include "TempStartDirectory.h"
#include "WidgetTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <functional>

#include "core/device/DeviceModel.h"
#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"

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

RegisterPage::Options allOn()
{
    return {true, true, true, true, true, true, true, true, true, true, true};
}

RegisterPage::Options allOff()
{
    return {false, false, false, false, false, false, false, false, false, false, false};
}

// A registration as the main window makes one: values shown, outputs, the time.
Registration sampleRow(RegisterOptions options, double time, float y = 12.3456f)
{
    Registration r;
    r.options = options;
    r.measureTime = time;
    r.stampMs = localStamp();
    r.setShown(ValueField::Y, y);
    r.setShown(ValueField::X1, 3.25f);
    r.setShown(ValueField::X2, -0.5f);
    r.setOutputs(true, false);
    return r;
}

// Records what the save dialog was asked besides answering it.
struct SaveDialogs : RecordingDialogs
{
    int saveAsked = 0;
    QString offered;

    QString saveFileName(const QString& title, const QString& filter,
                         QString* selectedFilter) override
    {
        ++saveAsked;
        offered = filter;
        return RecordingDialogs::saveFileName(title, filter, selectedFilter);
    }
    void choose(const QString& name, const QString& chosenFilter)
    {
        fileName = name;
        filter = chosenFilter;
    }
};

const QString kTextFilter = QStringLiteral("Text (*.txt)");
const QString kExcelFilter = QStringLiteral("Excel (*.xls)");

// The register's tab with its controller, as the main window joins them; the measurement
// it reads when saving is fixed.
struct Register
{
    DeviceModel device;
    RegisterControl control;
    // Runs when a file's header is read, that is while it is being written, as samples that
    // come meanwhile.
    std::function<void()> whileWriting;

    explicit Register(RegisterPage* page)
        : control(page, device, [this] {
              if (whileWriting)
                  whileWriting();
              return MeasurementSummary{0, 1.5, {false, 100}, {true, true, true}};
          })
    {
        device.TypeName = "KX350T";
    }
};

// The tab and its controller in a fresh folder, the header written, the clock fixed.
struct PageFixture
{
    SaveDialogs dialogs;
    QTemporaryDir dir;
    RegisterPage page;
    Register reg{&page};
    RegisterControl& control = reg.control;
    QPushButton* saveAs = child<QPushButton>(page, "ButtonSaveAs");
    QPushButton* save = child<QPushButton>(page, "ButtonSave");
    QPushButton* clear = child<QPushButton>(page, "ButtonRegisterClear");
    std::function<void()>& whileWriting = reg.whileWriting;

    PageFixture()
    {
        control.writeHeaderRow();
        control.setClock([] { return localStamp(); });
    }
    bool complete() const { return saveAs && save && clear && dir.isValid(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void registerRows(int count)
    {
        const int first = control.model().registeredCount();
        for (int n = first; n < first + count; ++n)
            control.addRegistration(sampleRow(page.registerOptions(), n * 0.5));
    }
    // The folder's entries, "." and ".." left out.
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    void saveAsClicked() { QTest::mouseClick(saveAs, Qt::LeftButton); }
};

// The first line of each register file, in Windows-1250.
const QByteArray kTextStart = QByteArray("typ urz\xB9"
                                         "dzenia= \t");
const QByteArray kExcelStart = QByteArray("typ urz\xB9"
                                          "dzenia=\t");

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
        Register reg(&page);
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
        Register reg(&page);
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
        Register reg(&page);
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
        Register reg(&page);
        RegisterTableModel* shown = registerModel(page);
        QVERIFY(shown);
        QCOMPARE(shown->columnCount(), 9);
        // Empty until the main window writes it at start-up.
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), QString());
        QSignalSpy changed(shown, &QAbstractItemModel::headerDataChanged);
        reg.control.writeHeaderRow();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(shown->headerData(column, Qt::Horizontal).toString(), caption);
        QCOMPARE(shown->cellText(0, column), caption);
    }

    void gridLook()
    {
        RegisterPage page;
        Register reg(&page);
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
        Register reg(&page);
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
        Register reg(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        auto* grid = child<QTableView>(page, "RegisterGrid");
        RegisterTableModel* model = registerModel(*page);
        auto* colourBox = child<QCheckBox>(page, "CheckBoxColour");
        QVERIFY(grid && model && colourBox);
        page->setOptions(allOn());
        colourBox->setChecked(coloured);
        reg.control.addRegistration(sampleRow(page->registerOptions(), 888.0));
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
        Register reg(&page);
        auto* control = page.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        auto* page = new RegisterPage;
        HostedPage host(page);
        Register reg(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        checkFitsWithoutOverlap(page, 9);
    }

    // --- what a registration fills in ----------------------------------------------------

    void registerOptionsFollowTheBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("option"); // 0: the box decides nothing a registration fills
        using O = RegisterOptions;
        QTest::newRow("numer próbki") << "CheckBoxIndex" << int(O::Number);
        QTest::newRow("data") << "CheckBoxDate" << int(O::Date);
        QTest::newRow("godzina") << "CheckBoxHour" << int(O::TimeOfDay);
        QTest::newRow("czas pomiaru") << "CheckBoxTime" << int(O::MeasureTime);
        QTest::newRow("Y (pomiar)") << "CheckBoxRegY" << int(O::Y);
        QTest::newRow("kanał 1") << "CheckBoxRegX1" << int(O::X1);
        QTest::newRow("kanał 2") << "CheckBoxRegX2" << int(O::X2);
        QTest::newRow("PK1") << "CheckBoxRegPK1" << int(O::PK1);
        QTest::newRow("PK2") << "CheckBoxRegPK2" << int(O::PK2);
        QTest::newRow("autoodczyt") << "CheckBoxAutoRead" << 0;
        QTest::newRow("kolor") << "CheckBoxColour" << 0;
    }

    void registerOptionsFollowTheBoxes()
    {
        QFETCH(QString, box);
        QFETCH(int, option);
        RegisterPage page;
        Register reg(&page);
        QCOMPARE(page.registerOptions(), RegisterOptions::defaults());
        page.setOptions(allOff());
        QCOMPARE(page.registerOptions(), RegisterOptions());
        auto* check = child<QCheckBox>(page, box);
        QVERIFY(check);
        check->setChecked(true);
        QCOMPARE(page.registerOptions().bits(), uint16_t(option));
        page.setOptions(allOn());
        check->setChecked(false);
        QCOMPARE(page.registerOptions().bits(), uint16_t(0x1FF & ~option));
    }

    void columnZeroWidthPerRegistration_data()
    {
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("hour");
        QTest::addColumn<int>("width");
        QTest::newRow("neither") << false << false << 60;
        QTest::newRow("date") << true << false << 110;
        QTest::newRow("time of day") << false << true << 110;
        QTest::newRow("both") << true << true << 160;
    }

    void columnZeroWidthPerRegistration()
    {
        QFETCH(bool, date);
        QFETCH(bool, hour);
        QFETCH(int, width);
        RegisterPage page;
        Register reg(&page);
        QTableView* grid = page.grid();
        // Column 0 starts as wide as the others.
        QCOMPARE(grid->columnWidth(0), 82);
        RegisterPage::Options o = page.options();
        o.date = date;
        o.hour = hour;
        page.setOptions(o);
        // The boxes alone change nothing; the registration made under them does.
        QCOMPARE(grid->columnWidth(0), 82);
        reg.control.addRegistration(sampleRow(page.registerOptions(), 0));
        QCOMPARE(grid->columnWidth(0), width);
        // The operator's width lasts until the next registration.
        grid->setColumnWidth(0, 300);
        reg.control.addRegistration(sampleRow(page.registerOptions(), 1));
        QCOMPARE(grid->columnWidth(0), width);
        for (int column = 1; column < 8; ++column)
            QCOMPARE(grid->columnWidth(column), 82);
    }

    void readPositionAsksForARegistration()
    {
        RegisterPage page;
        Register reg(&page);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* read = child<QPushButton>(page, "ButtonReadPosition");
        QVERIFY(read);
        QSignalSpy asked(&page, &RegisterPage::readPositionClicked);
        QTest::mouseClick(read, Qt::LeftButton); // disabled while "autoodczyt" is on
        QCOMPARE(asked.count(), 0);
        RegisterPage::Options o = page.options();
        o.autoRead = false;
        page.setOptions(o);
        QTest::mouseClick(read, Qt::LeftButton);
        QCOMPARE(asked.count(), 1);
        // The page only asks; its controller registers one row.
        QCOMPARE(reg.control.model().registeredCount(), 1);
    }

    // --- " Wyczyść" ---------------------------------------------------------------------

    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes clears") << true;
        QTest::newRow("no keeps every row") << false;
    }

    void clearAsksFirst()
    {
        QFETCH(bool, yes);
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(3);
        f.dialogs.answer = yes;
        QSignalSpy removed(&f.control.model(), &QAbstractItemModel::rowsRemoved);
        QTest::mouseClick(f.clear, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{u("Czyszczenie tabeli rejestracji pomiarów...\nCzy jesteś pewien?")});
        const RegisterTableModel& model = f.control.model();
        if (yes) {
            QCOMPARE(model.gridRowCount(), 2);
            QCOMPARE(model.registeredCount(), 0);
            QCOMPARE(model.cellText(1, 2), QString());
            QCOMPARE(removed.count(), 1);
        } else {
            QCOMPARE(model.gridRowCount(), 4);
            QCOMPARE(model.cellText(3, 0), QString("2 "));
            QCOMPARE(removed.count(), 0);
        }
        // The header row stays either way.
        QCOMPARE(model.cellText(0, 0), QString("Index"));
    }

    // A full table keeps what it holds and says once that readings are no longer registered;
    // cleared, it registers again and would say so again.
    void aFullTableSaysSoOnce()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.control.setCapacity(3);
        bool kept[5];
        for (int n = 0; n < 5; ++n)
            kept[n] = f.control.addRegistration(sampleRow(f.page.registerOptions(), n * 0.5));
        QVERIFY(kept[0] && kept[1] && kept[2]);
        QVERIFY(!kept[3] && !kept[4]);
        QCOMPARE(f.control.model().registeredCount(), 3);
        QCOMPARE(f.control.model().cellText(3, 1), QString("1,000"));
        QCOMPARE(f.dialogs.texts().size(), 1);
        QVERIFY2(f.dialogs.texts().first().contains(u("pełna (3 pozycji)")),
                 qPrintable(f.dialogs.texts().first()));

        f.dialogs.answer = true;
        QTest::mouseClick(f.clear, Qt::LeftButton);
        QCOMPARE(f.control.model().registeredCount(), 0);
        f.registerRows(4);
        QCOMPARE(f.control.model().registeredCount(), 3);
        QCOMPARE(f.dialogs.texts().size(), 3); // the full table, the clearing question, full again
    }

    // Registrations waiting for a save count against the capacity too.
    void aFullTableCountsTheWaitingRows()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.control.setCapacity(4);
        f.registerRows(3);
        bool keptMeanwhile[2] = {};
        f.whileWriting = [&] {
            keptMeanwhile[0] = f.control.addRegistration(sampleRow(f.page.registerOptions(), 7.0));
            keptMeanwhile[1] = f.control.addRegistration(sampleRow(f.page.registerOptions(), 8.0));
        };
        f.dialogs.choose(f.path("wyniki.xls"), kExcelFilter);
        f.saveAsClicked();
        f.whileWriting = nullptr;
        QVERIFY(keptMeanwhile[0]);
        QVERIFY(!keptMeanwhile[1]);
        QCOMPARE(f.control.model().registeredCount(), 4);
        QCOMPARE(f.control.model().cellText(4, 1), QString("7,000"));
    }

    // --- "Zapisz Jako..." and "     Zapisz       " -----------------------------------------

    void saveAsNamesTheFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("no extension: the Text filter's")
            << "wyniki" << kTextFilter << "wyniki.txt" << kTextStart;
        QTest::newRow("no extension: the Excel filter's")
            << "wyniki" << kExcelFilter << "wyniki.xls" << kExcelStart;
        QTest::newRow(".txt whatever the filter")
            << "wyniki.txt" << kExcelFilter << "wyniki.txt" << kTextStart;
        QTest::newRow(".XLS in capitals is a spreadsheet")
            << "wyniki.XLS" << kTextFilter << "wyniki.XLS" << kExcelStart;
        QTest::newRow("a dot in the folder's name")
            << "dane.v2/wyniki" << kExcelFilter << "dane.v2/wyniki.xls" << kExcelStart;
    }

    void saveAsNamesTheFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        PageFixture f;
        QVERIFY(f.complete());
        QVERIFY(QDir(f.dir.path()).mkpath("dane.v2"));
        f.registerRows(2);
        f.dialogs.choose(f.path(typed), filter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.saveAsked, 1);
        QCOMPARE(f.dialogs.offered, QString("Text (*.txt);;Excel (*.xls)"));
        QCOMPARE(f.dialogs.texts(), QStringList());
        const QByteArray bytes = readFile(f.path(written));
        QVERIFY2(bytes.startsWith(start), bytes.left(40).constData());
        QVERIFY(bytes.contains(QByteArray("Ilosc pr\xF3"
                                          "bek=")));
        QVERIFY(bytes.endsWith("\r\n"));
        QVERIFY(f.save->isEnabled());
        QVERIFY(f.control.saveTarget());
        QCOMPARE(QString::fromStdString(f.control.saveTarget()->fileName), f.path(written));
        // Nothing else was written (a typed name without extension is not kept as it is).
        QCOMPARE(QFileInfo::exists(f.path(typed)), typed == written);
    }

    // The dialog confirmed the name as typed; the extension added to it is asked about too.
    void completedNameAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes replaces") << true;
        QTest::newRow("no leaves the file") << false;
    }

    void completedNameAsksBeforeReplacing()
    {
        QFETCH(bool, yes);
        PageFixture f;
        QVERIFY(f.complete());
        QVERIFY(writeFile(f.path("wyniki.txt"), "poprzedni plik\r\n"));
        f.registerRows(2);
        f.dialogs.answer = yes;
        f.dialogs.choose(f.path("wyniki"), kTextFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.texts(), QStringList{QDir::toNativeSeparators(f.path("wyniki.txt")) +
                                                u(" już istnieje.\nCzy chcesz go zastąpić?")});
        const QByteArray bytes = readFile(f.path("wyniki.txt"));
        QCOMPARE(bytes.startsWith(kTextStart), yes);
        QCOMPARE(f.save->isEnabled(), yes);
        // A name given whole was the dialog's to confirm: no second question.
        f.dialogs.choose(f.path("wyniki.txt"), kTextFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(readFile(f.path("wyniki.txt")).startsWith(kTextStart));
    }

    void saveAsRefusesOtherExtensions_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("csv in capitals") << "wyniki.CSV";
        QTest::newRow("csv") << "wyniki.csv";
        QTest::newRow("a lone dot") << "wyniki.";
        QTest::newRow("txt, then another") << "wyniki.txt.bak";
    }

    void saveAsRefusesOtherExtensions()
    {
        QFETCH(QString, typed);
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(2);
        f.dialogs.choose(f.path(typed), kTextFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].text.contains(QDir::toNativeSeparators(f.path(typed))),
                 qPrintable(f.dialogs.messages[0].text));
        QCOMPARE(f.entries(), QStringList());
        QVERIFY(!f.save->isEnabled());
        QVERIFY(!f.control.saveTarget());
        QCOMPARE(f.control.model().registeredCount(), 2);
    }

    void refusedNameKeepsTheLastChoice()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(1);
        f.dialogs.choose(f.path("wyniki"), kExcelFilter);
        f.saveAsClicked();
        f.dialogs.choose(f.path("wyniki.csv"), kExcelFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.save->isEnabled());
        QCOMPARE(QString::fromStdString(f.control.saveTarget()->fileName), f.path("wyniki.xls"));
        QCOMPARE(f.entries(), QStringList{"wyniki.xls"});
    }

    void saveAsCancelledDoesNothing()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(1);
        f.dialogs.choose(QString(), kTextFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.saveAsked, 1);
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(f.entries(), QStringList());
        QVERIFY(!f.save->isEnabled());
    }

    void saveAsNeedsAnExistingFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("regularFile");
        QTest::newRow("folder that is a regular file") << "plik" << true;
        QTest::newRow("folder that is not there") << "brak" << false;
    }

    void saveAsNeedsAnExistingFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, regularFile);
        PageFixture f;
        QVERIFY(f.complete());
        if (regularFile)
            QVERIFY(writeFile(f.path(folder), "zawartość"));
        f.registerRows(2);
        f.dialogs.choose(f.path(folder + "/wyniki.txt"), kTextFilter);
        f.saveAsClicked();
        QCOMPARE(f.dialogs.texts(), QStringList{u("Nie odnaleziono folderu:\n") +
                                                QDir::toNativeSeparators(f.path(folder))});
        QCOMPARE(f.entries(), regularFile ? QStringList{folder} : QStringList());
        if (regularFile)
            QCOMPARE(readFile(f.path(folder)), QByteArray("zawartość"));
        QVERIFY(!f.save->isEnabled());
        QCOMPARE(f.control.model().registeredCount(), 2);
    }

    // A name the file cannot take: a folder of that name is there. It stays as it was.
    void saveOntoAFolderIsReported()
    {
        PageFixture f;
        QVERIFY(f.complete());
        QVERIFY(QDir(f.dir.path()).mkpath("wyniki.txt"));
        QVERIFY(writeFile(f.path("wyniki.txt/inny.txt"), "inny"));
        f.registerRows(3);
        f.dialogs.choose(f.path("wyniki.txt"), kTextFilter);
        f.saveAsClicked();
        const QString message =
            u("Nie można zapisać pliku:\n") + QDir::toNativeSeparators(f.path("wyniki.txt"));
        QCOMPARE(f.dialogs.texts(), QStringList{message});
        QVERIFY(QFileInfo(f.path("wyniki.txt")).isDir());
        QCOMPARE(readFile(f.path("wyniki.txt/inny.txt")), QByteArray("inny"));
        QCOMPARE(f.entries(), QStringList{"wyniki.txt"});
        QCOMPARE(f.control.model().registeredCount(), 3);
        // The name was chosen: "     Zapisz       " tries it again, and says so again.
        QVERIFY(f.save->isEnabled());
        QTest::mouseClick(f.save, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), (QStringList{message, message}));
        QCOMPARE(f.dialogs.saveAsked, 1);
    }

#if defined(Q_OS_UNIX)
    // A write that fails part way through leaves the previous file as it was, and no half
    // file beside it.
    void failedWriteKeepsThePreviousFile()
    {
        PageFixture f;
        QVERIFY(f.complete());
        QVERIFY(writeFile(f.path("wyniki.txt"), "poprzedni plik\r\n"));
        f.registerRows(5000); // about 440 kB as text
        f.dialogs.choose(f.path("wyniki.txt"), kTextFilter);
        {
            FileSizeLimit limit(64 * 1024);
            QVERIFY(limit.set);
            f.saveAsClicked();
        }
        QCOMPARE(f.dialogs.texts(), QStringList{u("Nie można zapisać pliku:\n") +
                                                QDir::toNativeSeparators(f.path("wyniki.txt"))});
        QCOMPARE(readFile(f.path("wyniki.txt")), QByteArray("poprzedni plik\r\n"));
        QCOMPARE(f.entries(), QStringList{"wyniki.txt"});
        QCOMPARE(f.control.model().registeredCount(), 5000);

        // Room again: the same name takes the whole register.
        QTest::mouseClick(f.save, Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.size(), 1);
        const QByteArray bytes = readFile(f.path("wyniki.txt"));
        QVERIFY(bytes.startsWith(kTextStart));
        QVERIFY(bytes.contains("Ilosc pr\xF3"
                               "bek= \t\t5000\r\n"));
        QCOMPARE(bytes.count("\r\n"), 13 + 5000);
    }
#endif

    void saveBeforeAnyChoiceWritesNothing()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.page));
        f.registerRows(2);
        QVERIFY(!f.save->isEnabled());
        QTest::mouseClick(f.save, Qt::LeftButton);
        f.control.ButtonSaveClick();
        QCOMPARE(f.dialogs.saveAsked, 0);
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(f.entries(), QStringList());
    }

    void saveWritesToTheLastNameAgain()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(2);
        f.dialogs.choose(f.path("wyniki"), kExcelFilter);
        f.saveAsClicked();
        QVERIFY(readFile(f.path("wyniki.xls"))
                    .contains("Ilosc pr\xF3"
                              "bek=\t2\r\n"));
        f.registerRows(3);
        f.dialogs.choose(f.path("nie-ten.txt"), kTextFilter); // not asked again
        QTest::mouseClick(f.save, Qt::LeftButton);
        QCOMPARE(f.dialogs.saveAsked, 1);
        const QByteArray bytes = readFile(f.path("wyniki.xls"));
        QVERIFY(bytes.startsWith(kExcelStart));
        QVERIFY(bytes.contains("Ilosc pr\xF3"
                               "bek=\t5\r\n"));
        QVERIFY(bytes.contains("\r\n4 \t2,000\t"));
        QCOMPARE(f.entries(), QStringList{"wyniki.xls"});
        QCOMPARE(f.dialogs.texts(), QStringList());
    }

    // Samples keep coming while a long file is written: they join the table after it, in
    // order, and the file holds the rows there were when it began.
    void registrationsDuringASaveWait()
    {
        PageFixture f;
        QVERIFY(f.complete());
        f.registerRows(3);
        QSignalSpy inserted(&f.control.model(), &QAbstractItemModel::rowsInserted);
        f.whileWriting = [&] {
            f.control.addRegistration(sampleRow(f.page.registerOptions(), 7.0, 1.0f));
            f.control.addRegistration(sampleRow(f.page.registerOptions(), 8.0, 2.0f));
            f.control.ButtonRegisterClearClick(); // the operator cannot clear meanwhile
        };
        f.dialogs.choose(f.path("wyniki.xls"), kExcelFilter);
        f.saveAsClicked();
        f.whileWriting = nullptr;
        QCOMPARE(f.dialogs.texts(), QStringList());
        const QByteArray bytes = readFile(f.path("wyniki.xls"));
        QVERIFY(bytes.contains("Ilosc pr\xF3"
                               "bek=\t3\r\n"));
        QVERIFY(!bytes.contains("7,000"));
        QCOMPARE(inserted.count(), 2);
        const RegisterTableModel& model = f.control.model();
        QCOMPARE(model.registeredCount(), 5);
        QCOMPARE(model.cellText(4, 1), QString("7,000"));
        QCOMPARE(model.cellText(5, 1), QString("8,000"));
        QCOMPARE(model.cellText(5, 2), QString("2,0000"));
    }

    // The header row is a row of fixed cells: the fixed ground, black text 5 pixels in.
    void headerRowPainting()
    {
        auto* page = new RegisterPage;
        HostedPage host(page);
        Register reg(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        reg.control.writeHeaderRow();
        QTableView* grid = page->grid();
        QHeaderView* header = grid->horizontalHeader();
        QCOMPARE(header->height(), 20);
        QApplication::processEvents();
        const QImage image = header->viewport()->grab().toImage();
        const QColor ground = grid->palette().color(QPalette::Button);
        for (int column : {0, 2, 7}) {
            const QRect cell(header->sectionViewportPosition(column), 0,
                             header->sectionSize(column) - 1, header->height() - 1);
            const QRect topBand(cell.left(), cell.top(), cell.width(), 4);
            const QRect leftBand(cell.left(), cell.top(), 4, cell.height());
            QVERIFY(!anyPixel(image, topBand, [&](QColor c) { return c != ground; }));
            QVERIFY(!anyPixel(image, leftBand, [&](QColor c) { return c != ground; }));
            const QRect text(cell.left() + 5, cell.top() + 5, 20, cell.height() - 5);
            const bool inked = anyPixel(
                image, text, [&](QColor c) { return c.red() + c.green() + c.blue() < 3 * 96; });
            QCOMPARE(inked, column != 7); // column 7's caption is empty
        }
    }
};

QTEST_MAIN(TestRegisterPage)
#include "test_register_page.moc"
