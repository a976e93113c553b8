#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include <limits>

#include "ConfigFile.h"
#include "Fakes.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "Stamps.h"
#include "TempStartDirectory.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The main window with the register tab, a clock for the measurement the test moves and a
// fixed wall clock for the register.
struct Fixture
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    DeviceModel& model = main->model();
    IndicatorPage* ind = main->indicatorPage();
    MeasurementControl& measure = main->measurement();
    RegisterPage* page = main->registerPage();
    const RegisterTableModel& reg = main->registers().model();
    QTableView* grid = page->grid();
    RecordingSink sink;
    int64_t now = 500;

    ValueLabel* yField = child<ValueLabel>(ind, "YField");
    ValueLabel* x1Field = child<ValueLabel>(ind, "X1Field");
    ValueLabel* x2Field = child<ValueLabel>(ind, "X2Field");
    QPushButton* start = child<QPushButton>(ind, "ButtonStart");
    QPushButton* stop = child<QPushButton>(ind, "ButtonStop");
    QPushButton* read = child<QPushButton>(page, "ButtonReadPosition");
    QPushButton* clear = child<QPushButton>(page, "ButtonRegisterClear");
    QPushButton* saveAs = child<QPushButton>(page, "ButtonSaveAs");

    Fixture()
    {
        measure.setRequests({&sink, nullptr});
        measure.setClock([this] { return now; });
        main->registers().setClock([] { return localStamp(); });
        main->link().PortOpen = true;
        ind->setActive({true, true, true});
        ind->setSampling({false, 100});
        model.Stan.D1 = 10; // X1 and X2 as sent
        model.Stan.D2 = 10;
    }
    bool complete() const
    {
        return yField && x1Field && x2Field && start && stop && read && clear && saveAs;
    }
    void options(const std::function<void(RegisterPage::Options&)>& change)
    {
        RegisterPage::Options o = page->options();
        change(o);
        page->setOptions(o);
    }
    void detectedAndStarted()
    {
        model.Detected = true;
        model.TypeCode = 4;
        model.TypeName = "KX350T";
        QTest::mouseClick(start, Qt::LeftButton);
    }
    void step(int64_t hundredths)
    {
        now += hundredths;
        measure.IdleStep();
    }
    // A measurement frame with all three values and both outputs, as the link hands it on.
    void receive(float y, float x1, float x2, bool pk1 = false, bool pk2 = false)
    {
        const uint8_t flags = uint8_t(0x07 | (pk1 ? 0x08 : 0) | (pk2 ? 0x10 : 0));
        main->link().post(DataReceived, measurement(flags, {y, x1, x2}));
    }
    void readPosition()
    {
        options([](RegisterPage::Options& o) { o.autoRead = false; });
        QTest::mouseClick(read, Qt::LeftButton);
    }
    QStringList row(int gridRow) const
    {
        QStringList cells;
        for (int column = 0; column < RegisterTableModel::ColumnCount; ++column)
            cells << reg.cellText(gridRow, column);
        return cells;
    }
    // What a value field shows, as the register writes it.
    static QString withComma(const ValueLabel* field) { return field->text().replace('.', ','); }
    // The first data row in view, in grid rows (the header row is 0).
    int firstVisibleGridRow() const { return grid->rowAt(0) + 1; }
};

} // namespace

class TestRegisterWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

    void firstRegistrationWithTheDefaults()
    {
        Fixture f;
        QVERIFY(f.complete());
        QVERIFY(f.page->options().autoRead);
        f.detectedAndStarted();
        f.step(150);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 1.5);
        f.receive(12.3456f, 2.5f, -0.75f, true, false);
        QCOMPARE(f.yField->text(), QString("12.3456"));
        QCOMPARE(f.reg.gridRowCount(), 2);
        QCOMPARE(f.reg.registeredCount(), 1);
        const QStringList expected{"0 ",
                                   "1,500",
                                   "12,3456",
                                   Fixture::withComma(f.x1Field),
                                   Fixture::withComma(f.x2Field),
                                   "",
                                   "",
                                   "",
                                   ""};
        QCOMPARE(f.row(1), expected);
        QCOMPARE(expected[3], QString("2,5000"));
        QCOMPARE(f.grid->columnWidth(0), 60);
        // Each sample registers one more.
        f.step(10);
        f.receive(1, 2, 3);
        QCOMPARE(f.row(2),
                 (QStringList{"1 ", "1,600", "1,0000", "2,0000", "3,0000", "", "", "", ""}));
    }

    void columnZeroDateAndTime_data()
    {
        QTest::addColumn<bool>("index");
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("hour");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("data only") << false << true << false << "(5.03.2024)" << 110;
        QTest::newRow("godzina only") << false << false << true << "(14:07:09)" << 110;
        QTest::newRow("both") << false << true << true << "(5.03.2024 14:07:09)" << 160;
        QTest::newRow("number and both") << true << true << true << "0 (5.03.2024 14:07:09)" << 160;
        QTest::newRow("nothing") << false << false << false << "" << 60;
    }

    void columnZeroDateAndTime()
    {
        QFETCH(bool, index);
        QFETCH(bool, date);
        QFETCH(bool, hour);
        QFETCH(QString, text);
        QFETCH(int, width);
        Fixture f;
        QVERIFY(f.complete());
        f.options([&](RegisterPage::Options& o) {
            o.index = index;
            o.date = date;
            o.hour = hour;
        });
        f.readPosition();
        QCOMPARE(f.reg.registeredCount(), 1);
        QCOMPARE(f.reg.cellText(1, 0), text);
        QCOMPARE(f.grid->columnWidth(0), width);
    }

    // A field still showing its dashes gives the dashes; a field whose value is no longer
    // active gives what it last showed.
    void fieldsAsTheyShow()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.options([](RegisterPage::Options& o) {
            o.pk1 = true;
            o.pk2 = true;
        });
        f.readPosition();
        QCOMPARE(f.row(1), (QStringList{"0 ", "0,000", "-------------", "-------------",
                                        "-------------", "0", "0", "", ""}));
        f.ind->setActive({true, false, false});
        f.receive(5, 6, 7, false, true);
        QCOMPARE(f.x1Field->text(), QString("-------------"));
        QTest::mouseClick(f.read, Qt::LeftButton);
        QCOMPARE(f.row(2), (QStringList{"1 ", "0,000", "5,0000", "-------------", "-------------",
                                        "0", "1", "", ""}));
        f.ind->setActive({false, true, false});
        f.receive(8, 9, 10);
        QTest::mouseClick(f.read, Qt::LeftButton);
        QCOMPARE(f.row(3), (QStringList{"2 ", "0,000", "5,0000", "9,0000", "-------------", "0",
                                        "0", "", ""}));
    }

    void notFiniteValueReadsAsItsField()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.receive(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                  -std::numeric_limits<float>::infinity());
        QCOMPARE(f.yField->text(), QString("NAN"));
        QCOMPARE(f.row(1).mid(2, 3), (QStringList{"NAN", "INF", "-INF"}));
    }

    // The newest rows stay in view, wholly, whatever column 0 holds.
    void newestRowsStayInView_data()
    {
        QTest::addColumn<bool>("stamps"); // "data" and "godzina"
        QTest::newRow("index only") << false;
        QTest::newRow("date and time") << true;
    }

    void newestRowsStayInView()
    {
        QFETCH(bool, stamps);
        Fixture f;
        QVERIFY(f.complete());
        f.main->pages()->setCurrentWidget(f.page);
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.options([stamps](RegisterPage::Options& o) {
            o.autoRead = false;
            o.date = o.hour = stamps;
        });
        for (int n = 0; n < 27; ++n)
            QTest::mouseClick(f.read, Qt::LeftButton);
        QApplication::processEvents();
        QCOMPARE(f.reg.gridRowCount(), 28);
        QCOMPARE(f.firstVisibleGridRow(), 1);
        // The 28th registration: row count 29, the first data row in view is row 2.
        QTest::mouseClick(f.read, Qt::LeftButton);
        QCOMPARE(f.reg.gridRowCount(), 29);
        QCOMPARE(f.firstVisibleGridRow(), 2);
        QApplication::processEvents();
        QCOMPARE(f.firstVisibleGridRow(), 2);
        const int lastRow = f.grid->rowAt(f.grid->viewport()->height() - 1);
        QCOMPARE(lastRow, 27); // the newest, whole
        // And the first of those in view, whole too.
        QCOMPARE(f.grid->visualRect(f.grid->model()->index(1, 0)).top(), 0);
        for (int n = 0; n < 12; ++n)
            QTest::mouseClick(f.read, Qt::LeftButton);
        QCOMPARE(f.firstVisibleGridRow(), 41 - 27);
        // The operator's scroll holds until the next registration.
        f.grid->verticalScrollBar()->setValue(0);
        QApplication::processEvents();
        QCOMPARE(f.firstVisibleGridRow(), 1);
        QTest::mouseClick(f.read, Qt::LeftButton);
        QApplication::processEvents();
        QCOMPARE(f.firstVisibleGridRow(), 42 - 27);
    }

    // Column 0 is as wide as specified for its date and time at least, and wide enough for
    // the text it holds, so "953 (10.12.2026 10:24:41)" is not cut; the grid needs no
    // horizontal scroll for it.
    void column0ShowsItsWholeText_data()
    {
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("hour");
        QTest::addColumn<int>("specified");
        QTest::newRow("index") << false << false << 60;
        QTest::newRow("date") << true << false << 110;
        QTest::newRow("time of day") << false << true << 110;
        QTest::newRow("date and time") << true << true << 160;
    }

    void column0ShowsItsWholeText()
    {
        QFETCH(bool, date);
        QFETCH(bool, hour);
        QFETCH(int, specified);
        Fixture f;
        QVERIFY(f.complete());
        f.main->pages()->setCurrentWidget(f.page);
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.options([&](RegisterPage::Options& o) {
            o.autoRead = false;
            o.date = date;
            o.hour = hour;
        });
        // A day and month of two digits each: the widest date.
        const auto wide = QDateTime(QDate(2026, 12, 10), QTime(10, 24, 41)).toMSecsSinceEpoch();
        f.main->registers().setClock([wide] { return wide; });
        for (int n = 0; n < 1000; ++n)
            QTest::mouseClick(f.read, Qt::LeftButton);
        QApplication::processEvents();
        if (qEnvironmentVariableIsSet("KX_GRAB"))
            f.main->grab().save(qEnvironmentVariable("KX_GRAB") + QTest::currentDataTag() +
                                QString(".png"));
        const QString newest = f.reg.cellText(f.reg.gridRowCount() - 1, 0);
        QVERIFY2(newest.startsWith("999 "), qPrintable(newest));
        if (date)
            QVERIFY2(newest.contains("10.12.2026"), qPrintable(newest));
        const int width = f.grid->columnWidth(RegisterTableModel::ColumnIndex);
        QVERIFY2(width >= specified, qPrintable(QString::number(width)));
        const int textWidth = f.grid->fontMetrics().horizontalAdvance(newest.trimmed());
        QVERIFY2(
            width > textWidth,
            qPrintable(QString("%1 px for %2 px of \"%3\"").arg(width).arg(textWidth).arg(newest)));
        QVERIFY(!f.grid->horizontalScrollBar()->isVisible());
        // The newest row whole at the bottom, the 27th newest whole at the top.
        const QRect viewport = f.grid->viewport()->rect();
        const QAbstractItemModel* model = f.grid->model();
        QVERIFY(viewport.contains(f.grid->visualRect(model->index(model->rowCount() - 1, 0))));
        QVERIFY(viewport.contains(f.grid->visualRect(model->index(model->rowCount() - 27, 0))));
    }

    void clearThenRegisterAgain_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void clearThenRegisterAgain()
    {
        QFETCH(bool, yes);
        Fixture f;
        QVERIFY(f.complete());
        f.options([](RegisterPage::Options& o) { o.pk1 = true; });
        f.receive(1, 2, 3, true);
        f.receive(4, 5, 6, true);
        f.receive(7, 8, 9, true);
        QCOMPARE(f.reg.gridRowCount(), 4);
        f.dialogs.answer = yes;
        QTest::mouseClick(f.clear, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{u("Czyszczenie tabeli rejestracji pomiarów...\nCzy jesteś pewien?")});
        f.options([](RegisterPage::Options& o) {
            o.x1 = false;
            o.pk1 = false;
        });
        f.receive(10, 11, 12, true);
        if (!yes) {
            QCOMPARE(f.reg.gridRowCount(), 5);
            QCOMPARE(f.row(3),
                     (QStringList{"2 ", "0,000", "7,0000", "8,0000", "9,0000", "1", "", "", ""}));
            QCOMPARE(f.row(4),
                     (QStringList{"3 ", "0,000", "10,0000", "", "12,0000", "", "", "", ""}));
            return;
        }
        // Numbered from 0 again, with nothing of the rows before.
        QCOMPARE(f.reg.gridRowCount(), 2);
        QCOMPARE(f.row(1), (QStringList{"0 ", "0,000", "10,0000", "", "12,0000", "", "", "", ""}));
        QCOMPARE(f.row(2), QStringList(QList<QString>(9)));
        f.receive(13, 14, 15);
        QCOMPARE(f.reg.gridRowCount(), 3);
        QCOMPARE(f.row(2).first(), QString("1 "));
    }

    // Measure, STOP, save: the file says how long the measurement ran, and reads byte for
    // byte as the register shows.
    void measureStopAndSave()
    {
        TempStartDirectory folder;
        Fixture f;
        QVERIFY(f.complete());
        f.detectedAndStarted();
        f.step(10);
        f.receive(12.3456f, 2.5f, -0.75f);
        f.step(10);
        f.receive(13.5f, 2.5f, -0.75f, true);
        f.step(7);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.27);
        QTest::mouseClick(f.stop, Qt::LeftButton);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.0);
        QCOMPARE(f.reg.registeredCount(), 2);

        f.dialogs.fileName = folder.path("pomiar");
        f.dialogs.filter = QStringLiteral("Text (*.txt)");
        QTest::mouseClick(f.saveAs, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList());
        const QByteArray expected =
            "typ urz\xB9"
            "dzenia= \tKX350T\r\n"
            "data pomiaru= \t\t\"5.03.2024\"\r\n"
            "godzina pomiaru= \t\"14:07:09\"\r\n"
            "czas trwania pomiaru= \t0.27 [s]\r\n"
            "Ilosc pr\xF3"
            "bek= \t\t2\r\n"
            "Okres pr\xF3"
            "bkowania= \t100 [ms]\r\n"
            "Cz\xEAstotliwo\x9C\xE6 pr\xF3"
            "bkowania= \t10.000000\t [pr\xF3"
            "bek / sek]\r\n"
            "\r\n\r\n\r\n\r\n"
            "| Index    ||   Czas [s]  || Y  (pomiar) || X1 (kana\xB3 1)|| X2 (kana\xB3 2)||  PK1 "
            "||  PK2 |\r\n" +
            QByteArray(88, '-') +
            "\r\n"
            "|       0  ||       0,100 ||     12,3456 ||      2,5000 ||     -0,7500 ||      ||"
            "      |\r\n"
            "|       1  ||       0,200 ||     13,5000 ||      2,5000 ||     -0,7500 ||      ||"
            "      |\r\n";
        QCOMPARE(readFile(folder.path("pomiar.txt")), expected);

        // The spreadsheet text says the same, with a comma.
        f.dialogs.fileName = folder.path("pomiar.xls");
        QTest::mouseClick(f.saveAs, Qt::LeftButton);
        const QByteArray xls = readFile(folder.path("pomiar.xls"));
        QVERIFY(xls.contains("\r\nczas trwania pomiaru=\t0,27\t [s]\r\n"));
        QVERIFY(xls.contains("\r\n1 \t0,200\t13,5000\t2,5000\t-0,7500\t\t\t\r\n"));
        // The table keeps its rows.
        QCOMPARE(f.reg.registeredCount(), 2);
    }

    // The saved duration of a measurement begun by PAUSE, and of one whose time the chart tab
    // reset after STOP: the measurement's length, not 0 nor an earlier run's.
    void savedDurationThroughTheButtons_data()
    {
        QTest::addColumn<QStringList>("clicks"); // object names; "run" is a second of time
        QTest::addColumn<QByteArray>("duration");
        QTest::newRow("PAUSE from stopped, 3 s, PAUSE")
            << QStringList{"ButtonPause", "run", "run", "run", "ButtonPause"} << QByteArray("3");
        QTest::newRow("START, 1 s, STOP, then PAUSE, 2 s, PAUSE")
            << QStringList{"ButtonStart", "run", "ButtonStop", "ButtonPause",
                           "run",         "run", "ButtonPause"}
            << QByteArray("2");
        QTest::newRow("START, 4 s, STOP, the chart's stop")
            << QStringList{"ButtonStart",    "run", "run", "run", "run", "ButtonStop",
                           "ButtonChartStop"}
            << QByteArray("4");
        QTest::newRow("START, 4 s, STOP, the chart's record")
            << QStringList{"ButtonStart", "run", "run", "run", "run", "ButtonStop", "ButtonRecord"}
            << QByteArray("4");
    }

    void savedDurationThroughTheButtons()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QByteArray, duration);
        TempStartDirectory folder;
        Fixture f;
        QVERIFY(f.complete());
        f.model.Detected = true;
        f.model.TypeCode = 4;
        f.model.TypeName = "KX350T";
        for (const QString& name : clicks) {
            if (name == "run") {
                for (int n = 0; n < 10; ++n)
                    f.step(10);
                continue;
            }
            auto* button = f.main->findChild<QAbstractButton*>(name);
            QVERIFY2(button, qPrintable(name));
            QTest::mouseClick(button, Qt::LeftButton);
        }
        f.dialogs.fileName = folder.path("wyniki");
        f.dialogs.filter = QStringLiteral("Excel (*.xls)");
        QTest::mouseClick(f.saveAs, Qt::LeftButton);
        const QByteArray xls = readFile(folder.path("wyniki.xls"));
        QVERIFY2(xls.contains("\r\nczas trwania pomiaru=\t" + duration + "\t [s]\r\n"),
                 xls.left(200).constData());
    }

    // While a measurement runs, its present time is the duration; the header follows the
    // indicator tab's boxes at the time of saving.
    void saveWhileRunning()
    {
        TempStartDirectory folder;
        Fixture f;
        QVERIFY(f.complete());
        f.detectedAndStarted();
        f.step(150);
        f.receive(1, 2, 3);
        f.ind->setActive({true, false, false});
        f.ind->setSampling({true, 100});
        f.dialogs.fileName = folder.path("wyniki");
        f.dialogs.filter = QStringLiteral("Excel (*.xls)");
        QTest::mouseClick(f.saveAs, Qt::LeftButton);
        const QByteArray xls = readFile(folder.path("wyniki.xls"));
        QVERIFY(xls.contains("\r\nczas trwania pomiaru=\t1,5\t [s]\r\n"));
        QVERIFY(xls.contains("\r\nCz\xEAstotliwo\x9C\xE6 pr\xF3"
                             "bkowania=[real time]\r\n"));
        QVERIFY(xls.contains("\r\nIndex\tCzas [s]\tY (warto\x9C\xE6 mierzona)\tPK1\tPK2\t\r\n"));
        QVERIFY(xls.endsWith("\r\n0 \t1,500\t1,0000\t\t\t\r\n"));
    }
};

QTEST_MAIN(TestRegisterWindow)
#include "test_register_window.moc"
