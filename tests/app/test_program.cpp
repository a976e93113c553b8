#include <QtTest>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <optional>
#include <stdexcept>

#include "Fakes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "app/TO_programieForm.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/ValueLabel.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/wizard/TAsystentForm.h"

using namespace kx;

class TestProgram : public QObject
{
    Q_OBJECT

    // No test here may block on a real message box.
    RecordingDialogs m_dialogs;

    QAction* action(TForm1* w, const char* name)
    {
        auto* a = w->findChild<QAction*>(name);
        if (!a)
            qWarning("no action %s", name);
        return a;
    }

private slots:
    void createsFiveWindowsInOrderAndShowsOnlyTheMain()
    {
        Program program;
        program.start();
        TForm1* main = program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));

        QStringList order;
        for (QObject* child : main->children())
            if (auto* w = qobject_cast<ToolWindow*>(child))
                order << w->metaObject()->className();
        QCOMPARE(order, (QStringList{"kx::TO_programieForm", "kx::TKonigLiniiForm",
                                     "kx::TCOM_DBG_Form", "kx::TAsystentForm"}));

        QVERIFY(main->isVisible());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != main && qobject_cast<ToolWindow*>(w))
                QVERIFY2(!w->isVisible(), w->metaObject()->className());

        QCOMPARE(main->windowTitle(), QString("KX350T-PC V1.00"));
        QCOMPARE(QApplication::applicationName(), QString("KX350T-PC"));
        QCOMPARE(main->findChild<TCOM_DBG_Form*>()->windowTitle(), QString("COM_debugger"));
        QCOMPARE(main->findChild<TAsystentForm*>()->windowTitle(),
                 QString::fromUtf8("łączenie z urządzeniem...."));
    }

    void fixedClientAreaCentred()
    {
        Program program;
        program.start();
        TForm1* main = program.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QCOMPARE(main->centralWidget()->size(), QSize(947, 638));
        QCOMPARE(main->minimumSize(), main->maximumSize());
        const QRect screen = main->screen()->availableGeometry();
        // The platform may add its frame after the move: allow for a few pixels of it.
        const QPoint offset = main->frameGeometry().center() - screen.center();
        QVERIFY2(offset.manhattanLength() <= 6,
                 qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void tabsInOrderFirstActive()
    {
        Program program;
        auto* tabs = program.mainWindow()->findChild<QTabWidget*>("PageControl1");
        QVERIFY(tabs);
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        QCOMPARE(titles,
                 (QStringList{QString::fromUtf8("Wskaźniki"), QString::fromUtf8("Urządzenie"),
                              "Wykres", QString::fromUtf8("Rejestracja pomiarów")}));
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void menuEntries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("visible");
        QTest::newRow("firmware") << "Aktualizacja1"
                                  << QString::fromUtf8("aktualizacja firmware urządzenia...")
                                  << false;
        QTest::newRow("quit") << "zakocz1" << QString::fromUtf8("zakończ") << true;
        QTest::newRow("connect") << "pocz1" << QString::fromUtf8("połącz") << false;
        QTest::newRow("disconnect") << "rozcz1" << QString::fromUtf8("rozłącz") << false;
        QTest::newRow("port") << "port1Action"
                              << "port" << false;
        QTest::newRow("debugger") << "debugger1"
                                  << "debuger..." << false;
        QTest::newRow("wizard") << "wizard1" << QString::fromUtf8("Połączenie...") << true;
        QTest::newRow("help") << "pomocprogramu1"
                              << "pomoc programu" << true;
        QTest::newRow("manual") << "instrukcja1"
                                << "instrukcja KX350T" << true;
        QTest::newRow("about") << "orpogramie1"
                               << "o programie" << true;
    }

    void menuEntries()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, visible);
        Program program;
        QAction* a = action(program.mainWindow(), qPrintable(name));
        QVERIFY(a);
        QCOMPARE(a->text(), text);
        QCOMPARE(a->isVisible(), visible);
    }

    void menuBarInOrder()
    {
        Program program;
        QStringList titles;
        for (QAction* a : program.mainWindow()->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"Program", "komunikacja", "Pomoc", "o programie"}));
    }

    void portItemsAreOneRadioGroup()
    {
        Program program;
        TForm1* main = program.mainWindow();
        auto* port = main->findChild<QMenu*>("port1");
        QVERIFY(port);
        QStringList items;
        for (QAction* a : port->actions())
            items << a->text();
        QStringList expected;
        for (int n = 1; n <= 14; ++n)
            expected << QString("COM%1").arg(n);
        expected << "auto";
        QCOMPARE(items, expected);
        QVERIFY(action(main, "COM1")->isChecked());
        action(main, "auto1")->trigger();
        QVERIFY(action(main, "auto1")->isChecked());
        QVERIFY(!action(main, "COM1")->isChecked());
    }

    void menuShowsTheSecondaryWindows()
    {
        Program program;
        program.start();
        TForm1* main = program.mainWindow();
        action(main, "wizard1")->trigger();
        QVERIFY(main->findChild<TAsystentForm*>()->isVisible());
        action(main, "orpogramie1")->trigger();
        QVERIFY(main->findChild<TO_programieForm*>()->isVisible());
        action(main, "debugger1")->trigger();
        QVERIFY(main->findChild<TCOM_DBG_Form*>()->isVisible());
        // Closing a secondary window only hides it.
        main->findChild<TAsystentForm*>()->close();
        QVERIFY(!main->findChild<TAsystentForm*>()->isVisible());
        QVERIFY(main->findChild<TAsystentForm*>());
    }

    void quitClosesTheMainWindow()
    {
        Program program;
        program.start();
        action(program.mainWindow(), "zakocz1")->trigger();
        QVERIFY(!program.mainWindow()->isVisible());
    }

    // Without config.ini "próbkowanie co:" shows 0, and the measurement takes it as 10 ms: the
    // same requests and the same rate as 10.
    void withoutSettingsThePeriodShowsZeroAndSamplesAsTen()
    {
        QTemporaryDir work;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work.path());
        auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        struct Run
        {
            int shown = -1; // the box before anything is set
            QString rate;   // "próbek na sekundę:"
            std::size_t requests = 0;
        };
        // A timed measurement over 0.3 s in steps of 0.01 s, the box set to period unless none.
        auto measure = [](std::optional<int> period) {
            Run run;
            RecordingSink sink; // outlives the program that sends through it
            Program program;
            TForm1* main = program.mainWindow();
            IndicatorPage* ind = main->indicatorPage();
            MeasurementControl& measurement = main->measurement();
            auto* box = child<QSpinBox>(ind, "SamplingPeriod");
            auto* rate = child<ValueLabel>(ind, "RateLabel");
            auto* start = child<QPushButton>(ind, "ButtonStart");
            if (!box || !rate || !start)
                return run;
            run.shown = box->value();
            if (period)
                ind->setSampling({false, *period});
            int64_t now = 500;
            measurement.setRequests({&sink, nullptr});
            measurement.setClock([&now] { return now; });
            main->link().PortOpen = true;
            main->model().Detected = true;
            main->model().TypeCode = 4;
            start->click();
            for (int step = 0; step <= 30; ++step) {
                now += step > 0 ? 1 : 0;
                measurement.IdleStep();
            }
            measurement.DisplayTimerTick();
            run.rate = rate->text();
            run.requests = sink.sent.size();
            measurement.StopClick();
            return run;
        };
        const Run none = measure(std::nullopt);
        QCOMPARE(none.shown, 0);
        const Run ten = measure(10);
        QCOMPARE(none.rate, ten.rate);
        QCOMPARE(none.rate, QString("100,00000"));
        QCOMPARE(none.requests, ten.requests);
        // The count tells periods apart.
        QVERIFY(measure(20).requests < ten.requests);
    }

    void startUpExceptionIsShownAndExitsNonZero_data()
    {
        QTest::addColumn<bool>("withText");
        QTest::newRow("std::exception") << true;
        QTest::newRow("exception without text") << false;
    }

    void startUpExceptionIsShownAndExitsNonZero()
    {
        QFETCH(bool, withText);
        m_dialogs.messages.clear();
        RecordingDialogs& dialogs = m_dialogs;
        const int code = runGuarded([withText]() -> int {
            if (withText)
                throw std::runtime_error("brak pamięci");
            throw 42;
        });
        QCOMPARE(code, 1);
        QCOMPARE(dialogs.texts(),
                 QStringList{withText ? QString::fromUtf8("brak pamięci") : QString()});
    }
};

QTEST_MAIN(TestProgram)
#include "test_program.moc"
